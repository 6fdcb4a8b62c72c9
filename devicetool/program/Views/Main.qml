import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import "Basic"

// The device tool's window: the page tabs, the editor buttons, the live page, the fullscreen
// switch, and the notification and confirmation popups every view uses.
ApplicationWindow {
    id: main
    width: 1200
    height: 800
    visible: true
    color: XTheme.background_color_base
    title: CApp.appName + " v" + CApp.appVersion

    property var gbl_deviceManager: CApp.deviceManager
    property var gbl_nodeList: gbl_deviceManager.nodeList
    property var gbl_deviceConfiger: gbl_deviceManager.deviceConfiger
    property var gbl_custEditor: gbl_deviceManager.custEditor
    property var gbl_weijuEditor: gbl_deviceManager.weijuEditor
    property var gbl_fixdistEditor: gbl_deviceManager.fixdistEditor
    readonly property int cfg_tabHeight: 54
    property var m_subView: preview
    property bool m_isFullscreen: false

    function notifyError(type, msg) {
        notify.xopen(type, msg)
    }

    function confirmOp(title, msg, cb) {
        confirm.ask(title, cb)
    }

    function selectedNode() {
        const cur = m_subView.m_selectedDevice
        return cur >= 0 && cur < gbl_nodeList.length ? gbl_nodeList[cur] : null
    }

    Component.onCompleted: {
        App.main = main
        gbl_deviceManager.node_refresh()
    }

    // 1. Top bar.
    Rectangle {
        id: topBar
        width: parent.width
        height: 50
        color: XTheme.background_color
        XTab {
            id: tabs
            objectName: "pageTabs"
            width: 300
            height: 50
            xnames: [qsTrId("Preview"), qsTrId("Config")]
            xitemWidth: 150
        }
        XButtonText {
            id: btnDeviceConfig
            objectName: "btnDeviceConfig"
            // The fourth cell of the bar's grid: 120 wide, right of a filler; three editor cells,
            // the settings button and a margin follow.
            x: main.width - 5 - 50 - 3 * 120 + 10
            y: 9
            width: 100
            height: 32
            text: qsTrId("DeviceConfig")
            onClicked: {
                const node = main.selectedNode()
                if (node === null)
                    return
                const r = main.gbl_deviceConfiger.startWork(node)
                if (r < 0)
                    App.notifyError(3, qsTrId("Fail") + " " + r)
                else if (App.openView("DeviceConfig") === null)
                    main.gbl_deviceConfiger.stopWork()  // no dialog would ever log it out
            }
        }
        XButtonText {
            objectName: "btnDeviceCust"
            x: btnDeviceConfig.x + 120
            y: 9
            width: 100
            height: 32
            text: qsTrId("DeviceCust")
            onClicked: {
                const node = main.selectedNode()
                if (node !== null && main.gbl_custEditor.init(node.deviceIp) >= 0
                        && App.openView("DeviceCust") === null)
                    main.gbl_custEditor.free()  // no view would ever release the login
            }
        }
        XButtonText {
            id: btnDeviceCali
            objectName: "btnDeviceCali"
            x: btnDeviceConfig.x + 240
            y: 9
            width: 100
            height: 32
            text: qsTrId("DeviceCali")
            onClicked: {
                if (main.selectedNode() === null)
                    return
                const p = mapToItem(main.contentItem, 0, height)
                caliChooser.x = p.x
                caliChooser.y = p.y
                caliChooser.open()
            }
        }
    }

    CaliChooser {
        id: caliChooser
        parent: main.contentItem
    }

    XButtonSvg {
        objectName: "btnAppConfig"
        parent: topBar
        x: main.width - 5 - 50 + 5
        y: 5
        width: 40
        height: 40
        iconWidth: 24
        iconHeight: 24
        iconSource: "qrc:/Icons/cog.svg"
        onClicked: App.openView("Basic/AppConfig")
    }

    // 2. Pages.
    MainPreview {
        id: preview
        objectName: "mainPreview"
        y: main.cfg_tabHeight
        width: main.width
        height: main.height - main.cfg_tabHeight
        visible: tabs.xcurrentIndex === 0
        onVisibleChanged: if (visible) main.m_subView = preview
    }
    MainConfig {
        id: configPage
        objectName: "mainConfig"
        y: main.cfg_tabHeight
        width: main.width
        height: main.height - main.cfg_tabHeight
        visible: tabs.xcurrentIndex === 1
        onVisibleChanged: if (visible) main.m_subView = configPage
    }

    // Fullscreen switch.
    XButtonSvg {
        objectName: "btnFullscreen"
        z: 1
        x: main.m_isFullscreen ? main.width - 45 : main.width / 2
        y: main.m_isFullscreen ? main.height - 45 : 5
        width: 40
        height: 40
        iconSource: main.m_isFullscreen ? "qrc:/Icons/fullscreen-exit.svg" : "qrc:/Icons/fullscreen.svg"
        xtip: main.m_isFullscreen ? qsTrId("LeaveFullscreen") : qsTrId("EnterFullscreen")
        onClicked: {
            main.m_isFullscreen = !main.m_isFullscreen
            if (main.m_isFullscreen)
                main.showFullScreen()
            else
                main.showNormal()
            preview.showFullscreen(main.m_isFullscreen)
        }
    }

    XPopupNotify {
        id: notify
        objectName: "notify"
        width: 400
        height: 50
        x: (main.width - width) / 2
        y: (main.height - height) / 2
    }

    ConfirmPopup {
        id: confirm
        objectName: "confirm"
        width: main.width
        height: main.height
    }
}
