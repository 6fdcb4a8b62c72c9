import QtQuick
import Kiv 1.0

// The space chart: the temperature profile along measurement items, over pixels.
ModuleChartLineView {
    id: root
    cfg_axisXUnit: QT_TRID_NOOP("Pixel")
    cfg_seriesConfig: "ModuleConfigChartSpace"
    cfg_leftWidth: 0

    XGrid {
        x: root.width - root.cfg_rightWidth
        width: root.cfg_rightWidth
        height: 150
        rows: 3; columns: 1; unitMargin: 4
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
            id: btnExport
            objectName: "btnExport"
            iconSource: "qrc:/Icons/export.svg"; xtip: qsTrId("Export")
            onClicked: root.openExport(btnExport)
        }
    }
}
