import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// What the time and space chart views share: the chart item, which the module fills with its
// series, and the actions of the button column that each view puts at its right.
Rectangle {
    id: root
    property var module: null
    property string cfg_axisXUnit: QT_TRID_NOOP("Frame")
    property string cfg_seriesConfig: ""
    property int cfg_leftWidth: 0
    readonly property int cfg_rightWidth: 50
    property alias tempChart: chart
    property alias tempChartConfig: chart.config

    anchors.fill: parent
    anchors.margins: 2
    color: "#111111"

    function tabManagerView() { return CApp.tabManager.view }

    // An argument above 0 becomes the axis' mode; the chart recomputes its ranges only when an
    // axis changed.
    function configChart(xmode, ymode) {
        let changed = false
        if (xmode > 0) {
            chart.config.xmode = xmode
            changed = true
        }
        if (ymode > 0) {
            chart.config.ymode = ymode
            changed = true
        }
        if (changed)
            chart.refresh()
    }

    function openAxes(button) { tabManagerView().subview_openConfig("ConfigChart", module, button) }
    function toggleSeries(button) {
        if (button.xselected)
            tabManagerView().subview_closeModuleConfig(cfg_seriesConfig)
        else
            tabManagerView().subview_openModuleConfig(cfg_seriesConfig, module, button)
    }
    function openExport(button) { tabManagerView().subview_openConfig("ConfigExportChart", module, button) }

    Component.onCompleted: {
        console.log("create module " + module.viewName)
        module.tempChart = chart
    }

    TempChart {
        id: chart
        objectName: "tempChart"
        width: root.width - root.cfg_rightWidth
        height: root.height
        axisXUnit: qsTrId(root.cfg_axisXUnit)
    }
}
