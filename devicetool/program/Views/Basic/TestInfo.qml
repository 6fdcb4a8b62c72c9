import QtQuick
import Kiv 1.0
import Ostrel 1.0

// Tries the camera's outputs: the five GPIO outputs at once, and the shutter.
Column {
    id: root
    spacing: 2
    property var xmodel: null
    property real xnameWidth: 150
    property real xvalueWidth: 200
    property var gbl_deviceConfiger: CApp.deviceManager.deviceConfiger
    property int buttonWidth: 200

    // Every output off, as the camera starts.
    function model2view() {
        light.init(false)
        ledy.init(false)
        ledb.init(false)
        alarm.init(false)
        buzz.init(false)
    }

    function view2model() {
    }

    Component.onCompleted: model2view()

    XHead { width: root.xnameWidth + root.xvalueWidth; height: 30; xtext: qsTrId("Gpio") }
    XInputBool { id: light; objectName: "light"; height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth; xname: qsTrId("Light") }
    XInputBool { id: ledy; objectName: "ledy"; height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth; xname: qsTrId("LedYellow") }
    XInputBool { id: ledb; objectName: "ledb"; height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth; xname: qsTrId("LedBlue") }
    XInputBool { id: alarm; objectName: "alarm"; height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth; xname: qsTrId("Alarm") }
    XInputBool { id: buzz; objectName: "buzz"; height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth; xname: qsTrId("Buzz") }
    Item {
        width: root.xnameWidth + root.xvalueWidth
        height: 32
        XButtonText {
            objectName: "btnSetGpio"
            anchors.right: parent.right
            width: 80
            height: 32
            text: qsTrId("SetGpio")
            onClicked: {
                const all = CDeviceConfiger.DeviceGpioOutputFlag_light | CDeviceConfiger.DeviceGpioOutputFlag_ledy
                          | CDeviceConfiger.DeviceGpioOutputFlag_ledb | CDeviceConfiger.DeviceGpioOutputFlag_alarm
                          | CDeviceConfiger.DeviceGpioOutputFlag_buzz
                let values = 0
                if (light.xvalue) values |= CDeviceConfiger.DeviceGpioOutputFlag_light
                if (ledy.xvalue) values |= CDeviceConfiger.DeviceGpioOutputFlag_ledy
                if (ledb.xvalue) values |= CDeviceConfiger.DeviceGpioOutputFlag_ledb
                if (alarm.xvalue) values |= CDeviceConfiger.DeviceGpioOutputFlag_alarm
                if (buzz.xvalue) values |= CDeviceConfiger.DeviceGpioOutputFlag_buzz
                root.gbl_deviceConfiger.control_setGpioOutput(all, values)
            }
        }
    }
    XHead { width: root.xnameWidth + root.xvalueWidth; height: 30; xtext: qsTrId("Shutter") }
    Row {
        width: root.xnameWidth + root.xvalueWidth
        height: 32
        spacing: (width - 2 * root.buttonWidth) / 3
        leftPadding: spacing
        XButtonText { objectName: "btnShutterOpen"; width: root.buttonWidth; height: 32; text: qsTrId("Open"); onClicked: root.gbl_deviceConfiger.control_setShutter(0) }
        XButtonText { objectName: "btnShutterClose"; width: root.buttonWidth; height: 32; text: qsTrId("Close"); onClicked: root.gbl_deviceConfiger.control_setShutter(1) }
    }
}
