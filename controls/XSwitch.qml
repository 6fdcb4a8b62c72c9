import QtQuick
import QtQuick.Controls

// Track cfg_width x cfg_height / 2; the knob (diameter cfg_height) is centred on the track.
Switch {
    id: root
    property real cfg_width: 48
    property real cfg_height: 24

    implicitWidth: 60
    implicitHeight: 30

    indicator: Rectangle {
        objectName: "xswitchTrack"
        x: (root.width - root.cfg_width) / 2
        y: (root.height - root.cfg_height) / 2
        width: root.cfg_width
        height: root.cfg_height / 2
        radius: 8
        color: root.checked ? "#18aae2" : "#909090"
        border.width: 1
        border.color: color

        Rectangle {
            objectName: "xswitchKnob"
            x: root.checked ? parent.width - width : 0
            y: (parent.height - height) / 2
            width: root.cfg_height
            height: root.cfg_height
            radius: height / 2
            color: root.pressed ? "#d0d0d0" : "#f0f0f0"
            border.width: 1
            border.color: root.checked ? color : "#999999"
        }
    }
}
