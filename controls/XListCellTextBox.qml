import QtQuick

Item {
    id: root
    property var xview: null
    property alias xtext: box.text
    property alias xtextColor: box.color
    property real xpadding: 4
    implicitWidth: 100
    implicitHeight: 40
    XTextBox {
        id: box
        anchors.fill: parent
        anchors.margins: root.xpadding
    }
}
