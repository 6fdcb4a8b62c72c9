import QtQuick

// A line: give it width 1 and the parent's height, or the parent's width and height 1.
Rectangle {
    color: XTheme.border_color
}
