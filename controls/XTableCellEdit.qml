import QtQuick

// Action texts of a row; a click makes the row current, then reports the action's index.
XTableCellBase {
    id: root
    property var xeditNames: []
    property var xeditColors: []
    signal clicked(int index)
    xcell: Item {
        width: root.width
        height: root.height
        XActionRow {
            x: root.xview ? root.xview.xmargin : 12
            anchors.verticalCenter: parent.verticalCenter
            spacing: root.xview ? root.xview.xmargin : 12
            xnames: root.xeditNames
            xcolors: root.xeditColors
            onTriggered: function (index) {
                if (root.xview)
                    root.xview.xcurrentRow = root.row
                root.clicked(index)
            }
        }
    }
}
