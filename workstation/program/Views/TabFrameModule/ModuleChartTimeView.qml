import QtQuick
import Kiv 1.0
import Ostrel 1.0

// The time chart: statistics of measurement items over frames.
ModuleChartLineView {
    id: root
    cfg_axisXUnit: "Frame"
    cfg_seriesConfig: "ModuleConfigChartTime"
    cfg_leftWidth: 50

    XGrid {
        x: root.width - root.cfg_rightWidth
        width: root.cfg_rightWidth
        height: 250
        rows: 5; columns: 1; unitMargin: 4
        XButtonSvg {
            id: btnAxis
            objectName: "btnAxis"
            iconSource: "qrc:/Icons/axis.svg"; xtip: qsTrId("AutoXY")
            onClicked: root.openAxes(btnAxis)
        }
        XButtonSvg {
            id: btnConfig
            objectName: "btnConfig"
            iconSource: "qrc:/Icons/wrench.svg"; xtip: qsTrId("Config")
            onClicked: root.toggleSeries(btnConfig)
        }
        XButtonSvg {
            objectName: "btnClear"
            iconSource: "qrc:/Icons/delete.svg"; xtip: qsTrId("Clear")
            onClicked: root.module.clearData()
        }
        XButtonSvg {
            objectName: "btnBuild"
            iconSource: "qrc:/Icons/calculator.svg"; xtip: qsTrId("Build")
            enabled: !root.module || !root.module.building
            // Only a chart that follows a recording can be built; anything else is said.
            onClicked: {
                root.module.buildData()
                if (!root.module.building)
                    CApp.tabManager.view.subview_openCommon("CommonNotify", qsTrId("BuildNeedsStream"))
            }
        }
        XButtonSvg {
            id: btnExport
            objectName: "btnExport"
            iconSource: "qrc:/Icons/export.svg"; xtip: qsTrId("Export")
            onClicked: root.openExport(btnExport)
        }
    }

    // While the whole recording is measured the chart says so.
    Rectangle {
        objectName: "buildingMark"
        visible: root.module !== null && root.module !== undefined && root.module.building
        x: (root.width - root.cfg_rightWidth - width) / 2
        y: 30
        width: 200; height: 36; radius: 6
        color: "#18aae2"
        XText {
            anchors.centerIn: parent
            text: qsTrId("Building")
            color: "#000000"
        }
    }
}
