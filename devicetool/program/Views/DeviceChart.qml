import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// The live device's trend chart of its three internal temperatures, with one switch per series.
XPopup {
    id: root
    objectName: "deviceChart"
    width: parent ? parent.width : 800
    height: parent ? parent.height : 600
    xinterWidth: width / 2
    xinterHeight: height / 2
    xtitle: qsTrId("DeviceChart")
    focus: true
    readonly property var gbl_device: CApp.deviceManager.device
    readonly property var gbl_deviceChart: gbl_device.chart
    readonly property var gbl_seriesList: gbl_deviceChart.seriesList

    onClicked: close()

    Item {
        parent: root.xcontentLoader
        anchors.fill: parent
        ListView {
            id: switches
            width: parent.width
            height: 30
            orientation: ListView.Horizontal
            model: root.gbl_seriesList
            delegate: XCheckBox {
                required property var modelData
                width: 150
                height: 24
                text: modelData.seriesName
                textColor: modelData.seriesColor
                checked: true
                onToggled: modelData.visible = checked
            }
        }
        Item {
            id: chartArea
            objectName: "chartArea"
            y: 30
            width: parent.width
            height: parent.height - 30
        }
        // The chart item belongs to the device; it moves here for good the first time.
        Component.onCompleted: {
            const chart = root.gbl_deviceChart
            chart.parent = chartArea
            chart.x = 0
            chart.y = 0
            chart.width = Qt.binding(function () { return chartArea.width })
            chart.height = Qt.binding(function () { return chartArea.height })
            chart.forceActiveFocus()
        }
    }
}
