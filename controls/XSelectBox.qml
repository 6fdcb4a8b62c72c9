import QtQuick
import QtQuick.Controls

// The 16 x 16 tick box of selection columns and their header.
CheckBox {
    id: root
    property color xcheckedColor: XTheme.color_primary
    property color xuncheckedColor: XTheme.color_transparent
    implicitWidth: 16
    implicitHeight: 16
    padding: 0
    spacing: 0
    indicator: Rectangle {
        implicitWidth: 16
        implicitHeight: 16
        y: (root.height - height) / 2
        radius: 2
        color: root.checked ? root.xcheckedColor : root.xuncheckedColor
        border.width: root.checked ? 0 : 1
        border.color: XTheme.text_color
        XImage {
            anchors.centerIn: parent
            width: 16
            height: 16
            visible: root.checked
            // The mark is a picture, not a button: the click belongs to the box.
            enabled: false
            source: Qt.resolvedUrl("Icons/check.svg")
        }
    }
    contentItem: Item {}
}
