import QtQuick
import QtQuick.Controls
import Kiv 1.0

// The frame every dialog and prompt of the workstation shares: black with a grey border, an
// optional 40-high head bar with the title, and a column (spacing 10) for the content. A dialog
// is tied to one object (`xtag`) while open and untied on every close, however it closes.
Popup {
    id: root
    property string xtitle: ""
    property var xtag: xuntiedTag
    property var xuntiedTag: null
    property bool xtied: false
    default property alias xcontent: column.data
    // Sent before the inputs are shown (fill them from `xtag`; a prompt with nothing to ask may
    // untie there and stays closed) and before untying.
    signal xfill()
    signal xclosing()

    // A dialog that must be answered closes only through its own buttons.
    property bool xmustAnswer: false

    padding: 4
    // Every dialog holds the input while open: a press outside one that closes on it does only
    // that, and never also reaches what lies below (the record button under the recorder
    // settings). Only a dialog that must be answered dims the window.
    modal: true
    closePolicy: xmustAnswer ? Popup.NoAutoClose : Popup.CloseOnEscape | Popup.CloseOnPressOutside
    Overlay.modal: xmustAnswer ? dimOverlay : clearOverlay
    property Component _xdimOverlay: Component { id: dimOverlay; Rectangle { color: Qt.rgba(0, 0, 0, 0.5) } }
    property Component _xclearOverlay: Component { id: clearOverlay; Item {} }
    // Escape reaches the popup only while it holds the focus.
    focus: true
    background: Rectangle { color: "#000000"; border.color: "#3a3a3a"; border.width: 1 }

    function xopen(tag, x, y) {
        xclose()
        xtag = tag
        xtied = true
        root.x = x
        root.y = y
        xfill()
        // Filling may have found nothing to ask and untied again.
        if (xtied)
            open()
    }

    function xclose() {
        if (!xtied)
            return
        xclosing()
        xtied = false
        xtag = xuntiedTag
        close()
    }

    onClosed: xclose()

    // Takes the keyboard focus, so that a number being typed is committed first.
    function xcommit() { column.forceActiveFocus() }

    contentItem: Column {
        id: column
        spacing: 10
        Rectangle {
            objectName: "dialogHead"
            visible: root.xtitle !== ""
            width: parent.width
            height: 40
            color: "#222222"
            XText {
                x: 12
                anchors.verticalCenter: parent.verticalCenter
                text: qsTrId(root.xtitle)
                color: "#ffffff"
                font.bold: true
            }
        }
    }
}
