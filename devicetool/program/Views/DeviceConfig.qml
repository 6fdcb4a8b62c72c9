import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import "Basic"

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
    property var currentConfigView: basicInfoPanel
    property int currentConfigType: 1

    // Panel id, its view and its channel.
    readonly property var _panels: ({ "CameraBasicInfo": { view: basicInfoPanel, type: 1 } })
    readonly property var gbl_configList: [
        { group: "System", panels: ["CameraBasicInfo"] }
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

    function applyCurrentConfig() {
        if (currentConfigType > 13)
            return
        currentConfigView.view2model()
        const r = gbl_deviceConfiger.setConfig(currentConfigType)
        if (r < 0)
            App.notifyError(3, qsTrId("Fail") + " " + r)
    }

    function xclose() {
        close()
    }

    onOpened: setCurrentConfig("CameraBasicInfo")
    onClicked: xclose()
    // Escape closes the popup without the title bar's signal: the login is given back here, so
    // every way of closing releases the camera and the dialog opens again next time.
    onClosed: gbl_deviceConfiger.stopWork()

    Item {
        parent: root.xcontentLoader
        anchors.fill: parent

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
                    model: group.modelData.panels
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
                id: basicInfoPanel
                objectName: "cameraBasicInfo"
                visible: root.currentConfigId === "CameraBasicInfo"
                xmodel: root.gbl_deviceConfiger.basicInfo
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
                    onClicked: {
                        root.applyCurrentConfig()
                        root.xclose()
                    }
                }
            }
        }
    }
}
