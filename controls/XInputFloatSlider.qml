import QtQuick

// Labelled slider with its value as text; every move by the user is written to `xvalue`.
XInputBase {
    id: root
    property real xvalue: 0
    property alias xmin: slider.from
    property alias xmax: slider.to
    property alias xstep: slider.stepSize
    property int xformat: 0
    property int xtextWidth: 50

    function init(v) {
        if (v === xvalue)
            return
        xvalue = v
        model2view()
    }

    function model2view() {
        slider.value = xvalue
    }

    onXvalueChanged: model2view()

    Item {
        parent: root.xpanelValueLoader
        anchors.fill: parent

        XSlider {
            id: slider
            width: parent.width - root.xtextWidth
            height: parent.height
            stepSize: 1
            onMoved: root.xvalue = value
        }
        XText {
            objectName: "xvalueText"
            x: parent.width - root.xtextWidth
            width: root.xtextWidth
            height: parent.height
            color: "#ffffff"
            text: slider.value.toFixed(root.xformat)
        }
    }

    Component.onCompleted: model2view()
}
