import QtQuick

// Action texts of a row; a click makes the row current, then reports the action's index.
Item {
    id: root
    property var xview: null
    property var xeditNames: []
    property var xeditColors: []
    property int xrow: -1
    signal clicked(int index)
    implicitWidth: 100
    implicitHeight: 40
    XActionRow {
        x: root.xview ? root.xview.xmargin : 12
        anchors.verticalCenter: parent.verticalCenter
        spacing: root.xview ? root.xview.xmargin : 12
        xnames: root.xeditNames
        xcolors: root.xeditColors
        onTriggered: function (index) {
            if (root.xview)
                root.xview.xcurrentRow = root.xrow
            root.clicked(index)
        }
    }
}
