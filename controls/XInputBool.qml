import QtQuick
import QtQuick.Controls

// Labelled check box; every change of the check state is written to `xvalue`.
XInputBase {
    id: root
    property bool xvalue: false

    function init(v) {
        if (v === xvalue)
            return
        xvalue = v
        model2view()
    }

    function model2view() {
        box.checked = xvalue
    }

    onXvalueChanged: model2view()

    Rectangle {
        parent: root.xpanelValueLoader
        anchors.fill: parent
        color: XTheme.input_colors4[root.enabled ? 0 : 3]

        CheckBox {
            id: box
            objectName: "xcheckBox"
            x: root.xvalueMargin - leftPadding
            anchors.verticalCenter: parent.verticalCenter
            enabled: !root.xreadonly
            onCheckedChanged: root.xvalue = checked
            indicator: Rectangle {
                implicitWidth: 16
                implicitHeight: 16
                x: box.leftPadding
                y: (box.height - height) / 2
                radius: 2
                color: box.checked ? "#4087F0" : "transparent"
                border.width: box.checked ? 0 : 1
                border.color: XTheme.text_color
                XImage {
                    anchors.centerIn: parent
                    width: 16
                    height: 16
                    visible: box.checked
                    // The mark is a picture, not a button: the click belongs to the box.
                    enabled: false
                    source: Qt.resolvedUrl("Icons/check.svg")
                }
            }
        }
    }

    Component.onCompleted: model2view()
}
