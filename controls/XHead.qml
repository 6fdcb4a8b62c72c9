import QtQuick
import QtQuick.Shapes

// Section head: marker (0 bar, 1 triangle, other values none), bold title, optional bottom line.
Item {
    id: root
    property int xiconType: 0
    property color xiconColor: XTheme.color_primary
    property alias xtext: title.text
    property alias xtextWidth: title.width
    property alias xfontSize: title.font.pointSize
    property alias xlineVisible: line.visible
    implicitWidth: 400
    implicitHeight: 32

    Row {
        height: root.height
        spacing: 10
        Rectangle {
            objectName: "xheadBar"
            width: 4
            height: 16
            anchors.verticalCenter: parent.verticalCenter
            color: root.xiconColor
            visible: root.xiconType === 0
        }
        Shape {
            objectName: "xheadTriangle"
            width: 16
            height: 16
            anchors.verticalCenter: parent.verticalCenter
            visible: root.xiconType === 1
            ShapePath {
                fillColor: root.xiconColor
                strokeColor: "transparent"
                startX: 16
                startY: 0
                PathLine { x: 16; y: 16 }
                PathLine { x: 0; y: 16 }
                PathLine { x: 16; y: 0 }
            }
        }
        XText {
            id: title
            anchors.verticalCenter: parent.verticalCenter
            font.bold: true
            font.pointSize: XTheme.font_size_large
        }
    }
    Rectangle {
        id: line
        width: root.width
        height: 1
        anchors.bottom: root.bottom
        anchors.horizontalCenter: root.horizontalCenter
        color: XTheme.border_color
        visible: false
    }
}
