pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// The strip of thermal files under the tabs: the linked folder's files and the recent files as
// picture tiles; a first click shows a tile's detail, a second opens or shows its file.
Rectangle {
    id: root
    readonly property var gbl_inputManager: CApp.inputManager
    readonly property var gbl_tabManager: CApp.tabManager
    readonly property var gbl_linkDirList: gbl_inputManager.linkDirList
    readonly property var gbl_linkRecentList: gbl_inputManager.linkRecentList
    property int cfg_mode: 0
    property string cfg_dir: ""
    property var cfg_link: null
    property bool cfg_linkFileOpened: false
    readonly property alias detailPopup: popupDetail
    readonly property alias dirList: dirList
    readonly property alias recentList: recentList
    readonly property alias btnClear: btnClear

    color: "#272727"

    // Names are matched without case, as the folder listing matches them.
    function fileType(path) {
        const p = path.toLowerCase()
        if (p.endsWith(".jpg"))
            return 2
        if (p.endsWith(".stream"))
            return 3
        return 0
    }

    function openLink(link, tile) {
        if (link === cfg_link)
            return
        cfg_link = link
        detailImage.source = link.fileNameUrl
        detailPath.text = link.fileNameAbs
        detailName.text = link.fileNameShort
        const p = tile.mapToItem(root, (tile.width - popupDetail.width) / 2, -popupDetail.height)
        popupDetail.x = Math.max(0, Math.min(p.x, root.width - popupDetail.width))
        popupDetail.y = p.y
        popupDetail.open()
    }

    function openLinkFile(link) {
        const path = link.fileNameAbs
        if (gbl_inputManager.file_find(path))
            return
        popupDetail.close()
        const type = fileType(path)
        if (type !== 0)
            gbl_tabManager.beginMoveFile(type, path)
    }

    function showLinkFile(link) {
        const input = gbl_inputManager.file_find(link.fileNameAbs)
        if (!input)
            return
        popupDetail.close()
        gbl_tabManager.view.module_select(input.module)
    }

    function tileClicked(link, tile) {
        cfg_linkFileOpened = gbl_inputManager.file_find(link.fileNameAbs) !== null
        if (link === cfg_link) {
            if (cfg_linkFileOpened)
                showLinkFile(link)
            else
                openLinkFile(link)
        } else {
            openLink(link, tile)
        }
    }

    // One wheel step moves a tenth of the scrollable range; a step past either end stops there,
    // so both the first and the last tile can be reached.
    function wheelPosition(p, size, delta) {
        const m = 1 - size
        if (m <= 0 || delta === 0)
            return p
        const q = delta > 0 ? p + 0.1 * m : p - 0.1 * m
        return Math.max(0, Math.min(q, m))
    }

    component Tile: Rectangle {
        id: tile
        required property var modelData
        required property int index
        property bool recent: false
        readonly property bool current: root.cfg_link === modelData
        objectName: "tile" + index
        width: 150
        height: 100
        color: tileArea.containsMouse ? "#3a3a3a" : "#272727"
        border.width: current ? 2 : 0
        border.color: "#cccccc"
        Image {
            objectName: "tileImage"
            x: 27; y: 4
            width: 96; height: 72
            sourceSize: Qt.size(96, 72)
            asynchronous: true
            fillMode: Image.PreserveAspectFit
            source: tile.modelData.fileNameUrl
        }
        XText {
            anchors.horizontalCenter: parent.horizontalCenter
            y: 80
            width: Math.min(implicitWidth, 140)
            elide: Text.ElideMiddle
            font.pointSize: 12
            color: XTheme.text_color
            text: tile.modelData.fileNameShort
        }
        MouseArea {
            id: tileArea
            anchors.fill: parent
            hoverEnabled: true
            onClicked: root.tileClicked(tile.modelData, tile)
        }
        Rectangle {
            objectName: "band"
            y: 35
            width: 150; height: 30
            visible: tile.current
            color: tileArea.containsMouse ? "#ffffff" : "#cccccc"
            XText {
                anchors.centerIn: parent
                color: "#000000"
                text: root.cfg_linkFileOpened ? qsTrId("Show") : qsTrId("Open")
            }
        }
        XButtonSvg {
            objectName: "btnRemove"
            visible: tile.recent
            x: 125; y: 5
            width: 20; height: 20
            iconWidth: 16; iconHeight: 16
            iconSource: "qrc:/Icons/close-box-outline.svg"
            onClicked: root.gbl_inputManager.link_delete(tile.modelData)
        }
    }

    XGrid {
        width: 60
        height: root.height
        rows: 2; columns: 1; unitMargin: 4
        XButtonSvg {
            objectName: "btnModeDir"
            iconSource: "qrc:/Icons/folder-outline.svg"
            xselected: root.cfg_mode === 0
            onClicked: root.cfg_mode = 0
        }
        XButtonSvg {
            objectName: "btnModeRecent"
            iconSource: "qrc:/Icons/history.svg"
            xselected: root.cfg_mode === 1
            onClicked: root.cfg_mode = 1
        }
    }
    XSeperator { x: 62; width: 1; height: root.height }

    Item {
        objectName: "pageDir"
        x: 64
        width: root.width - 64
        height: root.height
        visible: root.cfg_mode === 0
        XButtonSvg {
            objectName: "btnFolder"
            width: 50; height: parent.height
            iconWidth: 40; iconHeight: 40
            iconSource: "qrc:/Icons/folder-open-outline.svg"
            xtip: root.cfg_dir
            onClicked: App.openFolderDialog(0, root)
        }
        XSeperator { x: 52; width: 1; height: parent.height }
        ListView {
            id: dirList
            objectName: "dirList"
            x: 54
            width: parent.width - 54
            height: parent.height
            orientation: ListView.Horizontal
            clip: true
            model: root.gbl_linkDirList
            ScrollBar.horizontal: ScrollBar { id: dirBar }
            delegate: Tile {}
            WheelHandler {
                objectName: "dirWheel"
                acceptedDevices: PointerDevice.Mouse | PointerDevice.TouchPad
                onWheel: function (event) {
                    const p = root.wheelPosition(dirBar.position, dirBar.size, event.angleDelta.y)
                    console.log("ay " + event.angleDelta.y + ", pos " + p)
                    dirBar.position = p
                }
            }
        }
    }

    Item {
        objectName: "pageRecent"
        x: 64
        width: root.width - 64
        height: root.height
        visible: root.cfg_mode === 1
        XButtonSvg {
            id: btnClear
            objectName: "btnClear"
            width: 50; height: parent.height
            iconWidth: 40; iconHeight: 40
            iconSource: "qrc:/Icons/history-delete.svg"
            _xfgbgbo: XTheme.fgbgbo_delete
            enabled: root.gbl_linkRecentList.length > 0
            onClicked: root.gbl_inputManager.link_deleteAll()
        }
        XSeperator { x: 52; width: 1; height: parent.height }
        ListView {
            id: recentList
            objectName: "recentList"
            x: 54
            width: parent.width - 54
            height: parent.height
            orientation: ListView.Horizontal
            clip: true
            model: root.gbl_linkRecentList
            ScrollBar.horizontal: ScrollBar { policy: ScrollBar.AlwaysOn }
            delegate: Tile { recent: true }
        }
    }

    Popup {
        id: popupDetail
        objectName: "popupDetail"
        padding: 10
        // A press on the store reaches its tile, so that the second click opens the file.
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
        background: Rectangle { color: "#000000"; border.width: 1; border.color: "#3a3a3a" }
        onClosed: root.cfg_link = null
        contentItem: Column {
            spacing: 10
            Image {
                id: detailImage
                width: 400; height: 300
                asynchronous: true
                fillMode: Image.PreserveAspectFit
            }
            XSeperator { width: 400; height: 1 }
            XText { id: detailName; objectName: "detailName"; text: "0" }
            XSeperator { width: 400; height: 1 }
            XText { id: detailPath; objectName: "detailPath"; text: "0" }
        }
    }
}
