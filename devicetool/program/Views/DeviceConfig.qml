import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import "Basic"
import "Basic/Checks.js" as Checks

// The camera's configuration channels, one panel at a time: a panel is read from the camera when
// chosen and written on Apply; closing logs out, however the dialog closes.
XPopup {
    id: root
    objectName: "deviceConfig"
    width: parent ? parent.width : 800
    height: parent ? parent.height : 600
    xinterWidth: 800
    xinterHeight: 600
    xtitle: qsTrId("DeviceConfig")
    // Takes the keyboard when open, so Escape reaches it.
    focus: true

    property var gbl_deviceManager: CApp.deviceManager
    property var gbl_deviceConfiger: gbl_deviceManager.deviceConfiger
    property string currentConfigId: "CameraBasicInfo"
    property var currentConfigView: cameraBasicInfoPanel
    property int currentConfigType: 1

    // Panel id, its view and its channel.
    readonly property var _panels: ({
        "CameraBasicInfo": { view: cameraBasicInfoPanel, type: 1 },
        "FixInfo": { view: fixInfoPanel, type: 2 },
        "CameraNetworkInfo": { view: cameraNetworkInfoPanel, type: 3 },
        "CameraTimeInfo": { view: cameraTimeInfoPanel, type: 4 },
        "TvoutInfo": { view: tvoutInfoPanel, type: 5 },
        "CameraOSDInfo": { view: cameraOSDInfoPanel, type: 6 },
        "SerialPortInfo": { view: serialPortInfoPanel, type: 7 },
        "GpioInfo": { view: gpioInfoPanel, type: 8 },
        "FFCInfo": { view: fFCInfoPanel, type: 9 },
        "DestripInfo": { view: destripInfoPanel, type: 10 },
        "DenoiseInfo": { view: denoiseInfoPanel, type: 11 },
        "CameraPluginInfo": { view: cameraPluginInfoPanel, type: 12 },
        "GB28181Info": { view: gB28181InfoPanel, type: 13 },
        "TestInfo": { view: testInfoPanel, type: 100 }
    })
    readonly property var gbl_configList: [
        { group: QT_TRID_NOOP("System"), panels: [QT_TRID_NOOP("CameraBasicInfo"), QT_TRID_NOOP("FixInfo")] },
        { group: QT_TRID_NOOP("Network"),
          panels: [QT_TRID_NOOP("CameraNetworkInfo"), QT_TRID_NOOP("CameraTimeInfo")] },
        { group: QT_TRID_NOOP("Interface"),
          panels: [QT_TRID_NOOP("TvoutInfo"), QT_TRID_NOOP("SerialPortInfo"), QT_TRID_NOOP("GpioInfo"),
                   QT_TRID_NOOP("CameraOSDInfo")] },
        { group: QT_TRID_NOOP("Advance"),
          panels: [QT_TRID_NOOP("FFCInfo"), QT_TRID_NOOP("DestripInfo"), QT_TRID_NOOP("DenoiseInfo")] },
        { group: QT_TRID_NOOP("Plugin"),
          panels: [QT_TRID_NOOP("CameraPluginInfo"), QT_TRID_NOOP("GB28181Info")] },
        // The test group is its panel: no rows of its own.
        { group: QT_TRID_NOOP("Test"), panels: [QT_TRID_NOOP("TestInfo")], rows: [] }
    ]

    function setCurrentConfig(id) {
        const p = _panels[id]
        if (!p)
            return
        currentConfigId = id
        currentConfigView = p.view
        currentConfigType = p.type
        if (p.type <= 13 && gbl_deviceConfiger.getConfig(p.type) >= 0)
            p.view.model2view()
    }

    // Writes the shown panel; false when nothing was sent because a field is invalid (the fields
    // stay marked and keep what was typed).
    function applyCurrentConfig() {
        if (currentConfigType > 13)
            return true
        if (Checks.invalidInputs(currentConfigView).length > 0) {
            App.notifyError(2, qsTrId("InvalidInput"))
            return false
        }
        // The edit in progress ends here, so the typed value is the one written, not the one
        // before it.
        editEnd.forceActiveFocus()
        if (Checks.invalidInputs(currentConfigView).length > 0) {
            App.notifyError(2, qsTrId("InvalidInput"))
            return false
        }
        currentConfigView.view2model()
        // A refused or failed write is shown, also when the dialog closes right after it.
        const r = gbl_deviceConfiger.setConfig(currentConfigType)
        if (r < 0)
            App.notifyError(3, qsTrId("Fail") + " " + r)
        return true
    }

    function xclose() {
        close()
    }

    onOpened: {
        testInfoPanel.model2view()
        setCurrentConfig("CameraBasicInfo")
    }
    onClicked: xclose()
    // Escape closes the popup without the title bar's signal: the login is given back here, so
    // every way of closing releases the camera and the dialog opens again next time.
    onClosed: gbl_deviceConfiger.stopWork()

    Item {
        parent: root.xcontentLoader
        anchors.fill: parent

        // Takes the keyboard from a field being edited, which ends (commits) its edit.
        Item {
            id: editEnd
            objectName: "editEnd"
        }

        ListView {
            id: nav
            width: 200
            height: parent.height - 40
            clip: true
            model: root.gbl_configList
            delegate: Column {
                id: group
                required property var modelData
                width: nav.width
                Rectangle {
                    width: nav.width
                    height: 40
                    color: XTheme.tab_colors4[group.modelData.panels[0] === root.currentConfigId ? 2 : 0]
                    XHead { x: 10; width: nav.width - 20; height: 40; xtext: qsTrId(group.modelData.group) }
                    MouseArea { anchors.fill: parent; onClicked: root.setCurrentConfig(group.modelData.panels[0]) }
                }
                Repeater {
                    model: group.modelData.rows !== undefined ? group.modelData.rows : group.modelData.panels
                    delegate: Rectangle {
                        id: panelRow
                        required property string modelData
                        width: nav.width
                        height: 30
                        color: XTheme.tab_colors4[panelRow.modelData === root.currentConfigId ? 2 : (hover.hovered ? 1 : 0)]
                        HoverHandler { id: hover }
                        XText {
                            x: 30
                            anchors.verticalCenter: parent.verticalCenter
                            font.pixelSize: XTheme.font_size
                            font.bold: true
                            text: qsTrId(panelRow.modelData)
                        }
                        MouseArea { anchors.fill: parent; onClicked: root.setCurrentConfig(panelRow.modelData) }
                    }
                }
            }
        }

        ScrollView {
            id: panelScroll
            x: 204
            width: parent.width - 204
            height: parent.height - 40
            ScrollBar.horizontal.policy: ScrollBar.AlwaysOff
            contentHeight: root.currentConfigView ? root.currentConfigView.height : 0
            CameraBasicInfo {
                id: cameraBasicInfoPanel
                objectName: "cameraBasicInfo"
                visible: root.currentConfigId === "CameraBasicInfo"
                xmodel: root.gbl_deviceConfiger.basicInfo
                xnameWidth: panelScroll.width * 0.45
                xvalueWidth: panelScroll.width * 0.55 - 16
            }
            FixInfo {
                id: fixInfoPanel
                objectName: "fixInfo"
                visible: root.currentConfigId === "FixInfo"
                xmodel: root.gbl_deviceConfiger.fixInfo
                xnameWidth: panelScroll.width * 0.45
                xvalueWidth: panelScroll.width * 0.55 - 16
            }
            CameraNetworkInfo {
                id: cameraNetworkInfoPanel
                objectName: "cameraNetworkInfo"
                visible: root.currentConfigId === "CameraNetworkInfo"
                xmodel: root.gbl_deviceConfiger.networkInfo
                xnameWidth: panelScroll.width * 0.45
                xvalueWidth: panelScroll.width * 0.55 - 16
            }
            CameraTimeInfo {
                id: cameraTimeInfoPanel
                objectName: "cameraTimeInfo"
                visible: root.currentConfigId === "CameraTimeInfo"
                xmodel: root.gbl_deviceConfiger.timeInfo
                xnameWidth: panelScroll.width * 0.45
                xvalueWidth: panelScroll.width * 0.55 - 16
            }
            TvoutInfo {
                id: tvoutInfoPanel
                objectName: "tvoutInfo"
                visible: root.currentConfigId === "TvoutInfo"
                xmodel: root.gbl_deviceConfiger.tvoutInfo
                xnameWidth: panelScroll.width * 0.45
                xvalueWidth: panelScroll.width * 0.55 - 16
            }
            CameraOSDInfo {
                id: cameraOSDInfoPanel
                objectName: "cameraOSDInfo"
                visible: root.currentConfigId === "CameraOSDInfo"
                xmodel: root.gbl_deviceConfiger.osdInfo
                xnameWidth: panelScroll.width * 0.45
                xvalueWidth: panelScroll.width * 0.55 - 16
            }
            SerialPortInfo {
                id: serialPortInfoPanel
                objectName: "serialPortInfo"
                visible: root.currentConfigId === "SerialPortInfo"
                xmodel: root.gbl_deviceConfiger.serialPortInfo
                xnameWidth: panelScroll.width * 0.45
                xvalueWidth: panelScroll.width * 0.55 - 16
            }
            GpioInfo {
                id: gpioInfoPanel
                objectName: "gpioInfo"
                visible: root.currentConfigId === "GpioInfo"
                xmodel: root.gbl_deviceConfiger.gpioInfo
                xnameWidth: panelScroll.width * 0.45
                xvalueWidth: panelScroll.width * 0.55 - 16
            }
            FFCInfo {
                id: fFCInfoPanel
                objectName: "fFCInfo"
                visible: root.currentConfigId === "FFCInfo"
                xmodel: root.gbl_deviceConfiger.ffcInfo
                xnameWidth: panelScroll.width * 0.45
                xvalueWidth: panelScroll.width * 0.55 - 16
            }
            DestripInfo {
                id: destripInfoPanel
                objectName: "destripInfo"
                visible: root.currentConfigId === "DestripInfo"
                xmodel: root.gbl_deviceConfiger.destripInfo
                xnameWidth: panelScroll.width * 0.45
                xvalueWidth: panelScroll.width * 0.55 - 16
            }
            DenoiseInfo {
                id: denoiseInfoPanel
                objectName: "denoiseInfo"
                visible: root.currentConfigId === "DenoiseInfo"
                xmodel: root.gbl_deviceConfiger.denoiseInfo
                xnameWidth: panelScroll.width * 0.45
                xvalueWidth: panelScroll.width * 0.55 - 16
            }
            CameraPluginInfo {
                id: cameraPluginInfoPanel
                objectName: "cameraPluginInfo"
                visible: root.currentConfigId === "CameraPluginInfo"
                xmodel: root.gbl_deviceConfiger.pluginInfo
                xnameWidth: panelScroll.width * 0.45
                xvalueWidth: panelScroll.width * 0.55 - 16
            }
            GB28181Info {
                id: gB28181InfoPanel
                objectName: "gB28181Info"
                visible: root.currentConfigId === "GB28181Info"
                xmodel: root.gbl_deviceConfiger.gb28181Info
                xnameWidth: panelScroll.width * 0.45
                xvalueWidth: panelScroll.width * 0.55 - 16
            }
            TestInfo {
                id: testInfoPanel
                objectName: "testInfo"
                visible: root.currentConfigId === "TestInfo"
                xnameWidth: panelScroll.width * 0.45
                xvalueWidth: panelScroll.width * 0.55 - 16
            }
        }

        Rectangle {
            y: parent.height - 40
            width: parent.width
            height: 40
            color: XTheme.background_color
            Row {
                anchors.right: parent.right
                anchors.rightMargin: 10
                anchors.verticalCenter: parent.verticalCenter
                spacing: 10
                XButtonText {
                    objectName: "btnApply"
                    width: 100
                    height: 32
                    text: qsTrId("Apply")
                    onClicked: root.applyCurrentConfig()
                }
                XButtonText {
                    objectName: "btnApplyAndClose"
                    width: 200
                    height: 32
                    text: qsTrId("ApplyAndClose")
                    // The dialog stays open while a field is invalid, so the marks are seen.
                    onClicked: {
                        if (root.applyCurrentConfig())
                            root.xclose()
                    }
                }
            }
        }
    }
}
