import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import "Basic"
import "Basic/Checks.js" as Checks

// The live page: the camera list and its controls, the live canvas with its tool bar and values,
// and the side panels of image and measurement settings and of lens, filter and pan-tilt.
Rectangle {
    id: root
    color: XTheme.background_color

    property var gbl_commonManager: CApp.commonManager
    property var gbl_deviceManager: CApp.deviceManager
    property var gbl_nodeList: gbl_deviceManager.nodeList
    property var gbl_device: gbl_deviceManager.device
    property var gbl_dataState: gbl_device.dataState
    property var gbl_deviceCanvas: gbl_device.canvas
    property var gbl_deviceChart: gbl_device.chart
    property var gbl_imageConfig: gbl_device.imageConfig
    property int m_selectedDevice: deviceList.currentIndex
    property var m_panel2Sub: imagePage
    property int m_ptzSpeed: 50
    property int m_ptzLight: 0
    property int m_filterCur: 0
    readonly property bool _working: gbl_device.isWorking
    // The control page waits while a start, stop or command of the device runs.
    readonly property bool _controlsReady: _working && gbl_device.qtcFlags === 0

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

    // A search and a start take seconds (the cameras' time to answer): the list shows it is working.
    BusyIndicator {
        objectName: "deviceListBusy"
        parent: deviceList
        anchors.centerIn: parent
        width: 64
        height: 64
        z: 1
        running: root.gbl_deviceManager.isBusy || root.gbl_device.qtcFlags === 1
        visible: running
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
                enabled: !root._working && !root.gbl_deviceManager.isBusy
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
                // Set by "Add" for a text that is no address; any edit lifts it.
                property bool xinvalid: false
                onTextEdited: xinvalid = false
                InvalidFrame { visible: ipBox.xinvalid }
            }
            XButtonText {
                x: 160
                y: 9
                width: 80
                height: 32
                text: qsTrId("Add")
                enabled: !root._working
                onClicked: {
                    const ip = ipBox.text.trim()
                    ipBox.xinvalid = !Checks.isIpv4(ip)
                    if (ipBox.xinvalid)
                        App.notifyError(2, qsTrId("InvalidIp"))
                    else
                        root.gbl_deviceManager.node_create(ip)
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
            XButtonSvg {
                objectName: "btnSnap"
                iconSource: "qrc:/Icons/image.svg"
                xtip: qsTrId("Snap")
                onClicked: {
                    const r = root.gbl_device.saveImage("")
                    if (r < 0)
                        App.notifyError(3, qsTrId("Fail") + " " + r)
                }
            }
            XButtonSvg {
                objectName: "btnRecord"
                readonly property bool xrecording: root.gbl_device.isRecording
                iconSource: xrecording ? "qrc:/Icons/stop.svg" : "qrc:/Icons/record.svg"
                xtip: xrecording ? qsTrId("RecordEnd") : qsTrId("RecordBegin")
                icon.color: xrecording ? "#ff0000" : "#cccccc"
                onClicked: {
                    const r = xrecording ? root.gbl_device.endSave(2) : root.gbl_device.beginSave("", 2)
                    if (r < 0)
                        App.notifyError(3, qsTrId("Fail") + " " + r)
                }
            }
            XButtonText {
                objectName: "btnFFC"
                text: "FFC"
                onClicked: root.gbl_device.sendControl(2)
            }
            XButtonText {
                objectName: "btnChart"
                text: qsTrId("Chart")
                onClicked: App.openView("DeviceChart")
            }
            Item {}
            XComboBox {
                id: gearCombo
                objectName: "gearCombo"
                visible: root.gbl_device.gearEnable
                xshowIndicator: false
                model: root.gbl_commonManager.gearLevelList
                textRole: "name"
                // The camera's level, also one the list does not name (shown as its number).
                readonly property int xlevel: root.gbl_device.gearLevel
                function _xindexOf(level) {
                    const list = root.gbl_commonManager.gearLevelList
                    for (let i = 0; i < list.length; ++i)
                        if (list[i].value === level)
                            return i
                    return -1
                }
                function _xshowLevel() {
                    currentIndex = _xindexOf(xlevel)
                }
                displayText: currentIndex >= 0 ? currentText : String(xlevel)
                onXlevelChanged: _xshowLevel()
                Component.onCompleted: _xshowLevel()
                // Only the user's choice commands the camera; the box then shows the level the
                // camera has, the chosen one only when the camera took it.
                onActivated: function (index) {
                    const entry = root.gbl_commonManager.gearLevelList[index]
                    if (root.m_selectedDevice < 0 || entry === undefined) {
                        _xshowLevel()
                        return
                    }
                    const r = root.gbl_device.applyGearLevel(entry.value)
                    _xshowLevel()
                    if (r < 0)
                        App.notifyError(3, qsTrId("Fail") + " " + r)
                }
                Connections {
                    target: root.gbl_device
                    function onGearLevelChanged() {
                        gearCombo._xshowLevel()
                    }
                }
            }
            XButtonText {
                objectName: "btnUtil"
                text: "Util"
                visible: root._working
                onClicked: {
                    if (!root.gbl_device.softwareId.startsWith("V7R2K"))
                        return
                    const util = root.gbl_deviceManager.utilV7R2K
                    if (util.init(root.gbl_device.deviceIp) >= 0)
                        App.openView("DeviceUtilV7R2K")
                }
            }
        }
    }

    // Image panel: the tool bar and live values over the live canvas.
    Item {
        id: imagePanel
        x: devicePanel.x + devicePanel.width + 4
        y: 4
        width: root.width - 240 - 280 - 16
        height: root.height - 8
        enabled: root._working
        MeaToolList {
            y: 5
        }
        DataState {
            anchors.right: parent.right
            width: parent.width * 0.6
            height: 50
            xmodel: root.gbl_dataState
        }
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

    // Side panel: image and measurement settings, or the lens, filter and pan-tilt controls.
    Item {
        id: sidePanel
        x: imagePanel.x + imagePanel.width + 4
        y: 4
        width: 280
        height: root.height - 8
        XTab {
            id: sideTabs
            objectName: "sideTabs"
            width: 280
            height: 50
            xnames: [qsTrId("Image"), qsTrId("Control")]
            xitemWidth: 132
            onXcurrentIndexChanged: root.m_panel2Sub = xcurrentIndex === 1 ? controlPage : imagePage
        }
        ScrollView {
            id: imagePage
            objectName: "imagePage"
            y: 50
            width: 280
            height: parent.height - 50
            visible: root.m_panel2Sub === imagePage
            enabled: root._working
            clip: true
            ScrollBar.horizontal.policy: ScrollBar.AlwaysOff
            contentWidth: 280
            Column {
                width: 280
                spacing: 4
                XHead {
                    width: 280
                    height: 30
                    xtext: qsTrId("ImageConfig")
                    xfontSize: 14
                }
                ImageConfig {
                    id: imageConfigPanel
                    xmodel: root.gbl_imageConfig
                    onXvalueChanged: {
                        view2model()
                        root.gbl_device.setImageConfig()
                    }
                }
                XHead {
                    width: 280
                    height: 30
                    xtext: qsTrId("MeaConfig")
                    xfontSize: 14
                }
                MeaConfig {
                    xmodel: root.gbl_deviceCanvas.itemSelected
                }
            }
        }
        PreviewControls {
            id: controlPage
            objectName: "controlPage"
            y: 50
            width: 280
            height: parent.height - 50
            visible: root.m_panel2Sub === controlPage
            enabled: root._controlsReady
            gbl_device: root.gbl_device
            gbl_deviceCanvas: root.gbl_deviceCanvas
            m_ptzSpeed: root.m_ptzSpeed
            m_ptzLight: root.m_ptzLight
            m_filterCur: root.m_filterCur
            onM_ptzSpeedChanged: root.m_ptzSpeed = m_ptzSpeed
            onM_ptzLightChanged: root.m_ptzLight = m_ptzLight
            onM_filterCurChanged: root.m_filterCur = m_filterCur
        }
    }
}
