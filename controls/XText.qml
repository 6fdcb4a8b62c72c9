import QtQuick

Text {
    color: XTheme.text_color
    horizontalAlignment: Text.AlignLeft
    verticalAlignment: Text.AlignVCenter
}
