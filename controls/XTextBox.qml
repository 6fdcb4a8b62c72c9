import QtQuick
import QtQuick.Controls

TextField {
    id: root
    implicitWidth: 100
    implicitHeight: 40
    hoverEnabled: true
    verticalAlignment: TextInput.AlignVCenter
    color: enabled ? "#ffffff" : "#a0a0a0"
    placeholderTextColor: "#a0a0a080"
    selectedTextColor: "#a0a0a0"
    // Disabled wins over focused, focused over hovered.
    background: Rectangle {
        implicitWidth: root.width
        implicitHeight: root.height
        color: XTheme.input_colors4[!root.enabled ? 3 : root.activeFocus ? 2 : root.hovered ? 1 : 0]
    }
}
