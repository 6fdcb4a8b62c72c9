import QtQuick

// A control style: foreground, background and border colour per visual state
// (0 normal, 1 hovered, 2 pressed, 3 disabled). An empty bo list keeps the control's border.
QtObject {
    property var fg: []
    property var bg: []
    property var bo: []
}
