import QtQuick
import QtQuick.Controls

CheckBox {
    id: root
    property color textColor: "#000000"

    indicator: Rectangle {
        implicitWidth: 20
        implicitHeight: 20
        x: root.leftPadding
        y: (root.height - height) / 2
        radius: 3

        Rectangle {
            objectName: "xcheckMark"
            x: 4
            y: 4
            width: 12
            height: 12
            radius: 2
            color: "#4087F0"
            visible: root.checked
        }
    }

    contentItem: Text {
        text: root.text
        color: root.textColor
        font: root.font
        verticalAlignment: Text.AlignVCenter
        leftPadding: root.indicator.width + root.spacing
        opacity: root.enabled ? 1.0 : 0.3
    }
}
