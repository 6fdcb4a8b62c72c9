import QtQuick
import QtQuick.Controls

// A flat icon; single-colour SVGs are drawn entirely in `color`.
Button {
    id: root
    property string source: ""
    property color color: "#ffffff"
    // Styles add their own horizontal padding on top of `padding`; the icon takes the whole control.
    padding: 0
    horizontalPadding: 0
    verticalPadding: 0
    display: AbstractButton.IconOnly
    icon.source: source
    icon.color: color
    icon.width: width
    icon.height: height
    background: Rectangle {
        implicitWidth: root.width
        implicitHeight: root.height
        color: "transparent"
    }
}
