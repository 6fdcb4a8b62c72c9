import QtQuick
import QtQuick.Controls

Slider {
    id: root
    property color xcolor1: "#505050"
    property color xcolor2: "#505050"
    snapMode: Slider.SnapAlways

    background: Rectangle {
        x: root.leftPadding
        y: root.topPadding
        width: root.availableWidth
        height: root.availableHeight
        radius: 2
        color: root.xcolor1

        Rectangle {
            objectName: "xsliderFill"
            width: root.visualPosition * parent.width
            height: parent.height
            radius: 2
            color: root.xcolor2
        }
    }

    handle: Rectangle {
        x: root.leftPadding + root.visualPosition * (root.availableWidth - width)
        y: root.topPadding + (root.availableHeight - height) / 2
        implicitWidth: 10
        implicitHeight: 20
        color: root.pressed ? "#18AAE2" : "#f0f0f0"
    }
}
