pragma ComponentBehavior: Bound
import QtQuick

// A row of clickable action texts in their own colours.
Row {
    id: root
    property var xnames: []
    property var xcolors: []
    signal triggered(int index)

    Repeater {
        model: root.xnames
        delegate: XText {
            id: action
            required property var modelData
            required property int index
            text: String(modelData)
            color: index < root.xcolors.length ? root.xcolors[index] : XTheme.text_color
            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor // qmllint disable
                // The row takes the focus first: a cell still being edited then finishes its
                // edit, so the action reads the value shown.
                onClicked: {
                    root.forceActiveFocus()
                    root.triggered(action.index)
                }
            }
        }
    }
}
