import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import "../Basic"

// A recorded stream: its temperature image with the palette bar, the tool column and the player
// bar. Frame numbers shown run from 1; the module's seek and frameCurrent from 0.
Rectangle {
    id: root
    property var module: null
    readonly property var imageConfig: module ? module.imageConfig : null
    readonly property var input: module ? module.input : null
    readonly property int cfg_leftWidth: 50
    readonly property int cfg_rightWidth: paletteBar.width
    readonly property int cfg_controlHeight: 60
    readonly property int cfg_midWidth: width - cfg_leftWidth - cfg_rightWidth
    property alias tempCanvas: canvas
    property alias frameSlider: slider
    property alias frameBox: frameBox

    anchors.fill: parent
    anchors.margins: 2
    color: "#111111"

    Component.onCompleted: {
        console.log("create module " + module.viewName + ", inputName " + (input ? input.inputName : ""))
        module.tempCanvas = canvas
        module.loadData()
        slider.to = Math.max(module.frameCount, 1)
        showFrame()
    }

    // Following the player only shows the number: the slider seeks on the user's move alone, so
    // playing never seeks.
    function showFrame() {
        slider.value = module ? module.frameCurrent + 1 : 1
        showFrameBox()
    }
    function showFrameBox() { frameBox.text = String(module ? module.frameCurrent + 1 : 1) }

    // A whole decimal number within 1 .. frameCount seeks there; anything else restores the box.
    function acceptFrameBox(text) {
        const t = String(text).trim()
        const n = /^[0-9]+$/.test(t) ? parseInt(t, 10) : 0
        if (module && n >= 1 && n <= module.frameCount)
            module.seek(n - 1)
        else
            showFrameBox()
    }

    Connections {
        target: root.module
        function onFrameCurrentChanged() { root.showFrame() }
    }

    ImageConfigApply { module: root.module }

    ModuleToolColumn {
        objectName: "toolColumn"
        width: root.cfg_leftWidth
        xroom: root.height - root.cfg_controlHeight
        module: root.module
        canvas: canvas
        xexport: 2
    }

    TempCanvas {
        id: canvas
        objectName: "tempCanvas"
        x: root.cfg_leftWidth
        width: root.cfg_midWidth
        height: root.height - root.cfg_controlHeight
    }

    TempPalette {
        id: paletteBar
        anchors.right: parent.right
        height: root.height
        tempCanvas: canvas
    }

    Rectangle {
        id: playerBar
        objectName: "playerBar"
        x: root.cfg_leftWidth
        y: root.height - root.cfg_controlHeight
        width: root.cfg_midWidth
        height: root.cfg_controlHeight
        color: "#272727"

        XSlider {
            id: slider
            objectName: "frameSlider"
            width: parent.width
            height: 30
            from: 1
            to: 1
            stepSize: 1
            onMoved: root.module.seek(Math.round(value) - 1)
        }

        XGrid {
            y: 30
            width: 210; height: 30
            rows: 1; columns: 7; unitMargin: 2
            XButtonSvg {
                objectName: "btnFirst"
                iconWidth: 24; iconHeight: 24
                iconSource: "qrc:/Icons/backward-first.svg"; xtip: qsTrId("GotoFirstFrame")
                onClicked: root.module.seek(0)
            }
            XButtonSvg {
                objectName: "btnBackwardFast"
                iconWidth: 24; iconHeight: 24
                iconSource: "qrc:/Icons/backward-fast.svg"; xtip: qsTrId("BackwardFast")
                xselected: root.module ? root.module.playMode === 4 : false
                onClicked: root.module.playMode = 4
            }
            XButtonSvg {
                objectName: "btnBackward"
                iconWidth: 24; iconHeight: 24
                iconSource: "qrc:/Icons/backward.svg"; xtip: qsTrId("Backward")
                xselected: root.module ? root.module.playMode === 2 : false
                onClicked: root.module.playMode = 2
            }
            XButtonSvg {
                objectName: "btnStop"
                iconWidth: 24; iconHeight: 24
                iconSource: "qrc:/Icons/stop.svg"; xtip: qsTrId("Stop")
                xselected: root.module ? root.module.playMode === 0 : false
                onClicked: root.module.playMode = 0
            }
            XButtonSvg {
                objectName: "btnForward"
                iconWidth: 24; iconHeight: 24
                iconSource: "qrc:/Icons/forward.svg"; xtip: qsTrId("Forward")
                xselected: root.module ? root.module.playMode === 1 : false
                onClicked: root.module.playMode = 1
            }
            XButtonSvg {
                objectName: "btnForwardFast"
                iconWidth: 24; iconHeight: 24
                iconSource: "qrc:/Icons/forward-fast.svg"; xtip: qsTrId("ForwardFast")
                xselected: root.module ? root.module.playMode === 3 : false
                onClicked: root.module.playMode = 3
            }
            XButtonSvg {
                objectName: "btnLast"
                iconWidth: 24; iconHeight: 24
                iconSource: "qrc:/Icons/forward-last.svg"; xtip: qsTrId("GotoLastFrame")
                onClicked: root.module.seek(root.module.frameCount - 1)
            }
        }

        XButtonSvg {
            objectName: "btnPrevious"
            x: parent.width / 2 - 30; y: 30
            width: 30; height: 30; iconWidth: 24; iconHeight: 24
            iconSource: "qrc:/Icons/chevron-left.svg"; xtip: qsTrId("PreviousFrame")
            onClicked: root.module.seek(root.module.frameCurrent - 1)
        }
        XButtonSvg {
            objectName: "btnNext"
            x: parent.width / 2; y: 30
            width: 30; height: 30; iconWidth: 24; iconHeight: 24
            iconSource: "qrc:/Icons/chevron-right.svg"; xtip: qsTrId("NextFrame")
            onClicked: root.module.seek(root.module.frameCurrent + 1)
        }

        XGrid {
            x: parent.width - 150; y: 30
            width: 150; height: 30
            rows: 1; columns: 3; unitMargin: 2
            XText {
                text: "1"
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
            XTextBox {
                id: frameBox
                objectName: "frameBox"
                horizontalAlignment: TextInput.AlignHCenter
                onAccepted: root.acceptFrameBox(text)
                // A number typed but not accepted is dropped when the box loses the focus.
                onActiveFocusChanged: if (!activeFocus) root.showFrameBox()
            }
            XText {
                objectName: "frameCount"
                text: root.module ? String(root.module.frameCount) : ""
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
        }
    }
}
