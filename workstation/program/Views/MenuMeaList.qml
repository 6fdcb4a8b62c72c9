pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// Every measurement item of the workstation in one drop-down, with edit and delete buttons.
Row {
    id: root
    readonly property var gbl_tempCanvasManager: CApp.tempCanvasManager
    readonly property var gbl_meaList: gbl_tempCanvasManager.meaList
    readonly property var dummyMea: ({ meaType: -1, meaName: "", meaColor: "#808080", tfm_inputNameShort: "" })
    // The chosen item itself, not its row: once it is deleted nothing is chosen, rather than
    // whichever item moved into its row (with Delete enabled for it).
    property var xcurrentMea: null
    readonly property int xcurrentIndex: {
        for (let i = 0; i < gbl_meaList.length; ++i) {
            if (gbl_meaList[i] === xcurrentMea)
                return i
        }
        return -1
    }
    readonly property var xcurrentItem: xcurrentIndex >= 0 ? gbl_meaList[xcurrentIndex] : dummyMea

    width: 520
    height: 40

    Connections {
        target: root.gbl_tempCanvasManager
        function onMeaSelectedChanged() { root.xcurrentMea = root.gbl_tempCanvasManager.meaSelected }
    }

    // Colour bar and tool icon of an item.
    component MeaBox: Rectangle {
        property var item
        width: 44; height: 32
        color: "#000000"
        border.width: 1
        border.color: "#ffffff"
        Rectangle { x: 2; y: 4; width: 12; height: 24; color: parent.item.meaColor }
        XImage { x: 18; y: 4; width: 24; height: 24; source: App.meaType2meaIcon(parent.item.meaType) }
    }

    ComboBox {
        id: combo
        objectName: "cmbMeaList"
        width: 400
        height: 40
        model: root.gbl_meaList
        currentIndex: root.xcurrentIndex
        onActivated: function (index) {
            const item = root.gbl_meaList[index]
            root.xcurrentMea = item
            if (item && item.tfm_module)
                CApp.tabManager.view.module_select(item.tfm_module)
        }
        background: Rectangle { color: "#1a1a1a" }
        contentItem: Item {
            MeaBox { x: 12; y: 4; item: root.xcurrentItem }
            XText { x: 60; y: 5; width: 300; text: root.xcurrentItem.meaName; font.pointSize: 12; elide: Text.ElideMiddle; verticalAlignment: Text.AlignTop }
            XText { x: 60; y: 20; width: 300; text: root.xcurrentItem.tfm_inputNameShort; font.pointSize: 12; elide: Text.ElideMiddle; verticalAlignment: Text.AlignTop }
        }
        indicator: Canvas {
            x: combo.width - 40
            y: (combo.height - 30) / 2
            width: 40; height: 30
            onPaint: {
                const ctx = getContext("2d")
                ctx.fillStyle = "#ffffff"
                ctx.beginPath()
                ctx.moveTo(10, 10)
                ctx.lineTo(30, 10)
                ctx.lineTo(20, 20)
                ctx.closePath()
                ctx.fill()
            }
        }
        delegate: ItemDelegate {
            id: row
            required property var modelData
            required property int index
            width: 400
            height: 60
            padding: 0
            highlighted: combo.highlightedIndex === index
            background: Rectangle {
                color: row.highlighted ? "#48484f" : "#2f2f37"
                Rectangle { width: 4; height: 60; color: "#18AAE2"; visible: row.highlighted }
            }
            contentItem: Item {
                MeaBox { x: 12; y: 14; item: row.modelData }
                XText { x: 60; y: 14; width: 340; text: row.modelData.meaName; font.pointSize: 12; elide: Text.ElideMiddle; verticalAlignment: Text.AlignTop }
                XText { x: 60; y: 32; width: 340; text: row.modelData.tfm_inputNameShort; font.pointSize: 12; elide: Text.ElideMiddle; verticalAlignment: Text.AlignTop }
            }
        }
        popup: Popup {
            // The room below the box down to the window's bottom edge: a longer list scrolls.
            property real xroom: 600
            y: combo.height
            width: 400
            implicitHeight: Math.min(contentItem.implicitHeight, xroom)
            padding: 0
            background: Rectangle { color: "#2f2f37" }
            onAboutToShow: xroom = Math.max(60, combo.Window.height - combo.mapToItem(null, 0, combo.height).y - 10)
            contentItem: ListView {
                objectName: "meaListView"
                clip: true
                implicitHeight: contentHeight
                model: combo.popup.visible ? combo.delegateModel : null
                currentIndex: combo.highlightedIndex
                ScrollBar.vertical: ScrollBar { objectName: "meaListScrollBar"; policy: ScrollBar.AsNeeded }
            }
        }
    }
    XButtonSvg {
        objectName: "btnMeaEdit"
        width: 40; height: 40
        iconSource: "qrc:/Icons/pencil.svg"
        onClicked: if (root.xcurrentItem !== root.dummyMea) CApp.tabManager.view.subview_openConfig("ConfigMea", root.xcurrentItem, null)
    }
    XButtonSvg {
        objectName: "btnMeaDelete"
        width: 40; height: 40
        iconSource: "qrc:/Icons/close-thick.svg"
        enabled: root.xcurrentItem.meaType > 0
        onClicked: root.gbl_tempCanvasManager.mea_deleteInCanvas(root.xcurrentItem)
    }
}
