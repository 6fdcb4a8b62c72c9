import QtQuick

Item {
    id: root
    property var xview: null
    property alias xtext: label.text
    property alias xtextColor: label.color
    implicitWidth: 100
    implicitHeight: 40
    XText {
        id: label
        x: root.xview ? root.xview.xmargin : 12
        width: root.width - x
        anchors.verticalCenter: parent.verticalCenter
        elide: Text.ElideRight
    }
}
