import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// The live page: the camera list with Search, Add, Play and Stop, and the live canvas.
Rectangle {
    id: root
    color: XTheme.background_color

    property var gbl_commonManager: CApp.commonManager
    property var gbl_deviceManager: CApp.deviceManager
    property var gbl_nodeList: gbl_deviceManager.nodeList
    property var gbl_device: gbl_deviceManager.device
    property var gbl_dataState: gbl_device.dataState
    property var gbl_deviceCanvas: gbl_device.canvas
    property int m_selectedDevice: deviceList.currentIndex
    readonly property bool _working: gbl_device.isWorking

    // The canvas fills the window in fullscreen and its area otherwise.
    function showFullscreen(b) {
        const target = b ? App.main.contentItem : canvasArea
        gbl_deviceCanvas.parent = target
        gbl_deviceCanvas.x = 0
        gbl_deviceCanvas.y = 0
        gbl_deviceCanvas.width = Qt.binding(function () { return target.width })
        gbl_deviceCanvas.height = Qt.binding(function () { return target.height })
    }

    Component.onCompleted: showFullscreen(false)

    Connections {
        target: root.gbl_deviceManager
        function onNodeListChanged() {
            deviceList.currentIndex = root.gbl_nodeList.length > 0 ? 0 : -1
        }
    }
    Connections {
        target: root.gbl_device
        function onWorkFailed(errorCode) {
            App.notifyError(3, qsTrId("Fail") + " " + errorCode)
        }
    }

    // Device panel.
    Column {
        id: devicePanel
        x: 4
        y: 4
        width: 240
        height: root.height - 8

        XHead {
            width: parent.width
            height: 50
            xtext: qsTrId("DeviceList")
            XButtonText {
                objectName: "btnSearch"
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                width: 80
                height: 32
                text: qsTrId("Search")
                enabled: !root._working
                onClicked: root.gbl_deviceManager.node_refresh()
            }
        }

        ListView {
            id: deviceList
            objectName: "deviceList"
            width: parent.width
            height: devicePanel.height * 0.6
            spacing: 4
            clip: true
            enabled: !root._working
            model: root.gbl_nodeList
            delegate: Rectangle {
                id: row
                required property var modelData
                required property int index
                x: 4
                width: deviceList.width - 8
                height: 60
                color: XTheme.form_colors4[row.index === deviceList.currentIndex ? 3 : (hover.hovered ? 2 : 0)]
                HoverHandler { id: hover }
                XText {
                    x: 8
                    y: 10
                    text: row.modelData.deviceId
                }
                XText {
                    x: 8
                    y: 30
                    text: row.modelData.deviceIp
                }
                MouseArea {
                    anchors.fill: parent
                    onClicked: deviceList.currentIndex = row.index
                }
            }
        }

        Item {
            width: parent.width
            height: 50
            XTextBox {
                id: ipBox
                objectName: "ipBox"
                x: 0
                y: 9
                width: 150
                height: 32
                text: "192.168.1.201"
            }
            XButtonText {
                x: 160
                y: 9
                width: 80
                height: 32
                text: qsTrId("Add")
                enabled: !root._working
                onClicked: {
                    if (ipBox.text === "")
                        App.notifyError(2, qsTrId("InvalidIp"))
                    else
                        root.gbl_deviceManager.node_create(ipBox.text)
                }
            }
        }

        XGrid {
            id: controlGrid
            width: parent.width
            height: 150
            rows: 3
            columns: 4
            XButtonSvg {
                objectName: "btnPlay"
                iconSource: "qrc:/Icons/play.svg"
                xtip: qsTrId("Play")
                onClicked: {
                    if (root.m_selectedDevice < 0)
                        return
                    const r = root.gbl_device.startWork(root.gbl_nodeList[root.m_selectedDevice])
                    if (r < 0)
                        App.notifyError(3, qsTrId("Fail") + " " + r)
                }
            }
            XButtonSvg {
                objectName: "btnStop"
                iconSource: "qrc:/Icons/stop.svg"
                xtip: qsTrId("Stop")
                onClicked: root.gbl_device.stopWork()
            }
        }
    }

    // Image panel: the live canvas below a 50-pixel strip.
    Item {
        id: imagePanel
        x: devicePanel.x + devicePanel.width + 4
        y: 4
        width: root.width - x - 4
        height: root.height - 8
        enabled: root._working
        Item {
            id: canvasArea
            objectName: "canvasArea"
            y: 50
            width: parent.width
            height: parent.height - 50
        }
        XText {
            z: 1
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: 10
            font.bold: true
            font.pixelSize: 18
            color: "cyan"
            visible: CApp.debug_netdEnable && root._working
            text: "netd(mk): " + root.gbl_dataState.netd.toFixed(1) + ", sstd(mk): " + root.gbl_dataState.sstd.toFixed(1)
        }
    }
}
