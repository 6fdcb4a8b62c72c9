import QtQuick
import Kiv 1.0

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
            onClicked: root.module.buildData()
        }
        XButtonSvg {
            id: btnExport
            objectName: "btnExport"
            iconSource: "qrc:/Icons/export.svg"; xtip: qsTrId("Export")
            onClicked: root.openExport(btnExport)
        }
    }
}
