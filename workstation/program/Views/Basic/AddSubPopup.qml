import QtQuick
import QtQuick.Controls

// The second level of an add popup: it lives beside the first popup (same parent), opens at its
// right edge, never closes by itself and closes with it.
Popup {
    id: root
    required property Popup xowner

    padding: 4
    closePolicy: Popup.NoAutoClose
    background: Rectangle { color: "#000000"; border.width: 1; border.color: "#3a3a3a" }

    // `row` (optional) is the item the popup opens level with.
    function xopenBeside(row) {
        root.x = xowner.x + xowner.width
        root.y = row ? row.mapToItem(parent, 0, 0).y - topPadding : xowner.y
        open()
    }

    Component.onCompleted: parent = xowner.parent
    Connections {
        target: root.xowner
        function onClosed() { root.close() }
    }
}
