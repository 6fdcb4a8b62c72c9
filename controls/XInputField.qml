import QtQuick
import QtQuick.Controls

// The one-line text field of the number and text inputs, in the input colours of the theme.
TextField {
    id: root
    property int xvalueMargin: 12
    leftPadding: xvalueMargin
    hoverEnabled: true
    verticalAlignment: TextInput.AlignVCenter
    color: enabled ? XTheme.text_color : XTheme.text_color_disabled
    selectByMouse: true
    background: Rectangle {
        color: XTheme.input_colors4[!root.enabled ? 3 : root.activeFocus ? 2 : root.hovered ? 1 : 0]
    }
}
