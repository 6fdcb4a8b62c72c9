import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import "TabFrameModule"

// The one top-level window: menu bar, tab area, expander and file store.
ApplicationWindow {
    id: main
    width: 1400
    height: 800
    visible: true
    color: "#171717"
    title: CApp.appNameFull

    property var gbl_tabManager: CApp.tabManager
    property var gbl_inputManager: CApp.inputManager
    property var gbl_fileList: gbl_inputManager.fileList
    property var gbl_deviceList: gbl_inputManager.deviceList
    readonly property int cfg_menuHeight: 40
    readonly property int cfg_expanderHeight: 20
    readonly property int cfg_storeHeight: 100
    readonly property int cfg_tfmHeight: height - cfg_menuHeight - cfg_expanderHeight
    property bool showStore: true
    readonly property int tfmHeight: showStore ? cfg_tfmHeight - cfg_storeHeight : cfg_tfmHeight
    readonly property bool moving: gbl_tabManager.state.moving
    property alias tabManagerView: tabManagerView
    property alias menuMeaTool: menuMeaTool
    property alias store: store
    property alias devicePopup: popupDevice
    property alias filePopup: popupFile

    function popupAt(popup, button) {
        const p = button.mapToItem(main.contentItem, 0, button.height)
        popup.x = p.x
        popup.y = p.y
        popup.open()
    }
    function popupFile_show() { popupAt(popupFile, btnFileList) }
    function popupDevice_show() { popupAt(popupDevice, btnDevice) }

    // Deletes every open file. A file whose module is deleted leaves the list by itself; one
    // that has no module would stay, so it is removed directly: the loop always ends.
    function closeAllFiles() {
        const snapshot = []
        for (let i = 0; i < gbl_fileList.length; ++i)
            snapshot.push(gbl_fileList[i])
        for (const input of snapshot) {
            if (input.module)
                gbl_tabManager.view.module_delete(input.module)
            else
                gbl_inputManager.file_delete(input)
        }
    }

    // The workspace named on the command line, once the tab area exists.
    function loadStartWorkspace() {
        const args = Qt.application.arguments
        if (args.length > 1 && args[1] !== "")
            tabManagerView.workspace_load(args[1])
    }

    Component.onCompleted: {
        App.main = main
        loadStartWorkspace()
    }

    // Set once the quit prompt was answered: the next closing request goes through.
    property bool quitConfirmed: false

    // Closing with unsaved input edits asks first, as closing a module or a tab does; the prompt
    // closes the window again through xquit unless it was cancelled.
    onClosing: function (close) {
        if (!quitConfirmed) {
            const prompt = tabManagerView.subview_get("qrc:/Views/Basic/CommonSaveWorkspace.qml")
            tabManagerView.subview_openCommon("CommonSaveWorkspace", 2)
            if (prompt && prompt.xtied)
                close.accepted = false
        }
        console.log("close.accepted " + close.accepted)
        if (close.accepted)
            tabManagerView.workspace_clear()
    }

    function xquit() {
        quitConfirmed = true
        main.close()
    }

    // 1. Menu bar.
    Rectangle {
        id: menuBar
        objectName: "menuBar"
        width: parent.width
        height: main.cfg_menuHeight
        color: "#272727"
        enabled: !main.moving
        Rectangle { anchors.bottom: parent.bottom; width: parent.width; height: 1; color: "#3a3a3a" }
        Row {
            height: parent.height - 1
            XButtonSvg {
                id: btnWorkspace
                objectName: "btnWorkspace"
                width: 40; height: parent.height
                iconSource: "qrc:/Icons/menu.svg"
                xselected: popupWorkspace.visible
                onClicked: main.popupAt(popupWorkspace, btnWorkspace)
            }
            XSeperator { width: 1; height: parent.height }
            XButtonSvg {
                width: 40; height: parent.height
                iconSource: "qrc:/Icons/folder-open-outline.svg"
                onClicked: App.openFileDialog(0, 0)
            }
            XButtonSvg {
                id: btnFileList
                objectName: "btnFileList"
                width: 80; height: parent.height
                iconSource: "qrc:/Icons/file-outline.svg"
                text: main.gbl_fileList.length
                display: AbstractButton.TextBesideIcon
                xselected: popupFile.visible
                onClicked: main.popupFile_show()
            }
            XSeperator { width: 1; height: parent.height }
            XButtonSvg {
                objectName: "btnRefresh"
                width: 40; height: parent.height
                iconSource: "qrc:/Icons/refresh.svg"
                onClicked: main.gbl_inputManager.device_scan()
            }
            XButtonSvg {
                id: btnDevice
                objectName: "btnDevice"
                width: 80; height: parent.height
                iconSource: "qrc:/Icons/camera.svg"
                text: main.gbl_deviceList.length
                display: AbstractButton.TextBesideIcon
                xselected: popupDevice.visible
                onClicked: main.popupDevice_show()
            }
            XSeperator { width: 1; height: parent.height }
            MenuMeaTool { id: menuMeaTool; objectName: "menuMeaTool" }
            MenuMeaList { objectName: "menuMeaList" }
            XSeperator { width: 1; height: parent.height }
        }
        MenuConfig {
            id: menuConfig
            objectName: "menuConfig"
            anchors.right: parent.right
            width: 80
            height: parent.height
        }
    }

    // 2. Tab area.
    TabManagerView {
        id: tabManagerView
        objectName: "tabManagerView"
        y: main.cfg_menuHeight
        width: parent.width
        height: main.tfmHeight
    }

    // 3. Expander.
    Rectangle {
        id: expander
        objectName: "expander"
        y: main.cfg_menuHeight + main.tfmHeight
        width: parent.width
        height: main.cfg_expanderHeight
        color: "#272727"
        border.color: "#3a3a3a"
        enabled: !main.moving
        XImage {
            anchors.centerIn: parent
            width: 20; height: 20
            source: main.showStore ? "qrc:/Icons/chevron-down.svg" : "qrc:/Icons/chevron-up.svg"
        }
        MouseArea {
            anchors.fill: parent
            onClicked: main.showStore = !main.showStore
        }
    }

    // 4. File store.
    Store {
        id: store
        objectName: "store"
        y: expander.y + expander.height
        width: parent.width
        height: main.cfg_storeHeight
        visible: main.showStore
        enabled: !main.moving
    }

    // Workspace menu.
    Popup {
        id: popupWorkspace
        objectName: "popupWorkspace"
        padding: 0
        background: Rectangle { color: "#000000"; border.color: "#3a3a3a"; border.width: 1 }
        contentItem: Column {
            width: 600
            Rectangle {
                width: 600; height: 30
                color: "transparent"
                border.color: "#3a3a3a"; border.width: 1
                XText {
                    anchors.centerIn: parent
                    text: main.gbl_tabManager.workspaceNameShort
                }
                XImage {
                    id: infoIcon
                    property int xstate: infoArea.pressed ? 2 : infoArea.containsMouse ? 1 : 0
                    anchors.right: parent.right
                    width: 30; height: 30
                    source: "qrc:/Icons/information-slab-circle.svg"
                    color: XTheme.fgbgbo_icon_2.fg[xstate]
                    MouseArea { id: infoArea; anchors.fill: parent; hoverEnabled: true }
                }
            }
            XGrid {
                width: 600; height: 300
                rows: 6; columns: 2; unitMargin: 4
                XText { text: qsTrId("Files"); color: "#ffffff"; font.bold: true; font.pointSize: XTheme.font_size_medium; verticalAlignment: Text.AlignBottom }
                XText { text: qsTrId("Workspaces"); color: "#ffffff"; font.bold: true; font.pointSize: XTheme.font_size_medium; verticalAlignment: Text.AlignBottom }
                XButtonText { textPos: 1; text: qsTrId("OpenFile"); onClicked: { popupWorkspace.close(); App.openFileDialog(0, 0) } }
                XButtonText { textPos: 1; text: qsTrId("NewWorkspace"); onClicked: { popupWorkspace.close(); tabManagerView.subview_openCommon("CommonSaveWorkspace", 0) } }
                XButtonText { textPos: 1; text: qsTrId("ShowFiles"); onClicked: { popupWorkspace.close(); main.popupFile_show() } }
                XButtonText { textPos: 1; text: qsTrId("OpenWorkspace"); onClicked: { popupWorkspace.close(); tabManagerView.subview_openCommon("CommonSaveWorkspace", 1) } }
                XText { text: qsTrId("Devices"); color: "#ffffff"; font.bold: true; font.pointSize: XTheme.font_size_medium; verticalAlignment: Text.AlignBottom }
                XButtonText {
                    objectName: "btnSaveWorkspace"
                    textPos: 1; text: qsTrId("SaveWorkspace")
                    enabled: main.gbl_tabManager.workspaceNameShort !== ""
                    onClicked: { popupWorkspace.close(); tabManagerView.workspace_save(main.gbl_tabManager.workspaceName) }
                }
                XButtonText { textPos: 1; text: qsTrId("ScanDevices"); onClicked: popupWorkspace.close() }
                XButtonText { textPos: 1; text: qsTrId("SaveWorkspaceAs"); onClicked: { popupWorkspace.close(); App.openFileDialog(2, 0) } }
                XButtonText { textPos: 1; text: qsTrId("ShowDevices"); onClicked: { popupWorkspace.close(); main.popupDevice_show() } }
                Item {}
            }
            Rectangle { width: 600; height: 2; color: "#3a3a3a" }
            XButtonText {
                width: 600; height: 42
                text: qsTrId("Exit")
                onClicked: { popupWorkspace.close(); main.close() }
            }
        }
    }

    // Open files.
    Popup {
        id: popupFile
        objectName: "popupFile"
        padding: 0
        background: Rectangle { color: "#000000"; border.color: "#3a3a3a"; border.width: 1 }
        contentItem: Column {
            spacing: 4
            ListView {
                width: 500; height: 520
                clip: true
                model: main.gbl_fileList
                ScrollBar.vertical: ScrollBar {}
                delegate: Item {
                    id: fileRow
                    required property var modelData
                    width: 500; height: 130
                    Image { x: 4; y: 5; width: 160; height: 120; source: fileRow.modelData.inputNameIcon; fillMode: Image.PreserveAspectFit }
                    XText { x: 172; y: 8; width: 320; text: fileRow.modelData.inputNameShort; color: "#cccccc"; font.pointSize: 24; elide: Text.ElideMiddle }
                    XButtonText { x: 172; y: 90; width: 100; height: 30; text: qsTrId("Show")
                        onClicked: { main.gbl_tabManager.view.module_select(fileRow.modelData.module); popupFile.close() } }
                    XButtonText { x: 280; y: 90; width: 100; height: 30; text: qsTrId("Close")
                        onClicked: main.gbl_tabManager.view.module_delete(fileRow.modelData.module) }
                }
            }
            Rectangle { width: 500; height: 2; color: "#3a3a3a" }
            XButtonText {
                objectName: "btnCloseAllFiles"
                width: 500; height: 30
                text: qsTrId("CloseAllFiles")
                onClicked: main.closeAllFiles()
            }
        }
    }

    // Known cameras.
    Popup {
        id: popupDevice
        objectName: "popupDevice"
        padding: 0
        background: Rectangle { color: "#000000"; border.color: "#3a3a3a"; border.width: 1 }
        contentItem: Column {
            spacing: 4
            ListView {
                objectName: "deviceListView"
                width: 500; height: 520
                clip: true
                model: main.gbl_deviceList
                ScrollBar.vertical: ScrollBar {}
                delegate: Item {
                    id: devRow
                    required property var modelData
                    required property int index
                    objectName: "deviceRow" + index
                    width: 500; height: 130
                    Rectangle {
                        x: 4; y: 5; width: 160; height: 120
                        color: "transparent"; border.color: "#cccccc"; border.width: 2
                        XText { anchors.centerIn: parent; text: devRow.modelData.device_ip }
                    }
                    XText { x: 172; y: 8; width: 320; text: devRow.modelData.device_id; color: "#cccccc"; font.pointSize: 24; elide: Text.ElideRight }
                    XButtonText {
                        objectName: "btnConnect"
                        x: 172; y: 90; width: 100; height: 30; text: qsTrId("Connect")
                        enabled: !devRow.modelData.device_isConnected
                        onClicked: {
                            console.log("connect " + devRow.modelData.device_ip)
                            main.gbl_tabManager.beginMoveDevice(devRow.modelData)
                            popupDevice.close()
                        }
                    }
                    XButtonText {
                        objectName: "btnDisconnect"
                        x: 280; y: 90; width: 100; height: 30; text: qsTrId("Disconnect")
                        enabled: devRow.modelData.device_isConnected
                        onClicked: {
                            console.log("disconnect " + devRow.modelData.device_ip)
                            main.gbl_tabManager.view.module_delete(devRow.modelData.module)
                        }
                    }
                }
            }
            Rectangle { width: 500; height: 2; color: "#3a3a3a" }
            XGrid {
                width: 500; height: 40
                rows: 1; columns: 2
                XTextBox { id: manualAddress; objectName: "manualAddress"; text: qsTrId("192.168.1.201") }
                XButtonText {
                    objectName: "btnManualCreate"
                    text: qsTrId("ManualCreate")
                    onClicked: main.gbl_inputManager.device_createIr(manualAddress.text, true)
                }
            }
        }
    }
}
