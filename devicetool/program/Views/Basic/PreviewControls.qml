import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import ".."
import "Checks.js" as Checks

// The live page's control side page: manual, automatic and motor focus, the filter wheel, the
// pan-tilt pad with speed and light, the head's position and the presets. Every button runs one
// device command; the page is disabled by its user while a command runs.
Flickable {
    id: root
    property var gbl_device: null
    property var gbl_deviceCanvas: null
    property int m_ptzSpeed: 50
    property int m_ptzLight: 0
    property int m_filterCur: 0
    readonly property int cfg_width: 268

    contentWidth: width
    contentHeight: col.height
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar {
        objectName: "controlScrollBar"
        policy: ScrollBar.AlwaysOn
        width: 10
    }

    component Head: XHead {
        width: root.cfg_width
        height: 30
        xfontSize: 14
    }
    component Icon: XButtonSvg {
        iconWidth: 24
        iconHeight: 24
    }
    component Value: XText {
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    // A number box of a command: its text is the number sent, a whole number within the bounds
    // of the command's field; anything else marks the box and sends nothing.
    component NumberBox: XTextBox {
        id: numberBox
        property real xmin: -2147483648
        property real xmax: 2147483647
        readonly property real xnumber: Checks.parseIntIn(text, xmin, xmax)
        readonly property bool xvalid: !isNaN(xnumber)
        InvalidFrame { visible: !numberBox.xvalid }
    }

    // Runs `send` with the boxes' numbers when every box holds a valid one.
    function sendNumbers(boxes, send) {
        for (const b of boxes)
            if (!b.xvalid) {
                App.notifyError(2, qsTrId("InvalidInput"))
                return
            }
        send(...boxes.map(b => b.xnumber))
    }

    Column {
        id: col
        width: root.cfg_width
        spacing: 4

        Head { xtext: qsTrId("FocusMF") }
        XGrid {
            width: root.cfg_width
            height: 80
            rows: 2
            columns: 3
            Icon { objectName: "btnFocusNear"; iconSource: "qrc:/Icons/minus.svg"; xtip: qsTrId("FocusDeltaNear"); onClicked: root.gbl_device.focusMFDelta(-100) }
            Item {}
            Icon { objectName: "btnFocusFar"; iconSource: "qrc:/Icons/plus.svg"; xtip: qsTrId("FocusDeltaFar"); onClicked: root.gbl_device.focusMFDelta(100) }
            Icon { iconSource: "qrc:/Icons/minus.svg"; xtip: qsTrId("FocusContiNear"); onClicked: root.gbl_device.focusMFConti(2) }
            Icon { iconSource: "qrc:/Icons/stop.svg"; xtip: qsTrId("FocusContiStop"); onClicked: root.gbl_device.focusMFConti(0) }
            Icon { iconSource: "qrc:/Icons/plus.svg"; xtip: qsTrId("FocusContiFar"); onClicked: root.gbl_device.focusMFConti(1) }
        }

        Head { xtext: qsTrId("FocusAF") }
        Icon {
            objectName: "btnFocusAF"
            width: 40
            height: 30
            iconSource: "qrc:/Icons/focus-auto.svg"
            onClicked: root.gbl_device.focusAF(root.gbl_deviceCanvas.itemSelected)
        }

        Head { xtext: qsTrId("FocusXF") }
        XGrid {
            width: root.cfg_width
            height: 80
            rows: 2
            columns: 3
            Icon { iconSource: "qrc:/Icons/minus.svg"; xtip: qsTrId("FocusDeltaNear"); onClicked: root.gbl_device.focusXFRel(-100) }
            Value { text: root.gbl_device.xfCur }
            Icon { iconSource: "qrc:/Icons/plus.svg"; xtip: qsTrId("FocusDeltaFar"); onClicked: root.gbl_device.focusXFRel(100) }
            Item {}
            NumberBox { id: xfBox; objectName: "xfBox"; text: "0" }
            XButtonText { objectName: "btnXFSet"; text: qsTrId("Set"); onClicked: root.sendNumbers([xfBox], x => root.gbl_device.focusXFAbs(x)) }
        }

        Head { xtext: qsTrId("FilterIR") }
        XGrid {
            width: root.cfg_width
            height: 80
            rows: 2
            columns: 3
            XButtonText { text: qsTrId("Reset"); onClicked: root.gbl_device.filterReset(10000) }
            Value { text: root.gbl_device.filterCur }
            XButtonText { text: qsTrId("Get"); onClicked: root.gbl_device.filterGoto(-1) }
            XSlider {
                from: 0
                to: 3
                stepSize: 1
                snapMode: Slider.SnapAlways
                value: root.m_filterCur
                onMoved: root.m_filterCur = Math.round(value)
            }
            Value { text: root.m_filterCur.toFixed(0) }
            XButtonText { text: qsTrId("Set"); onClicked: root.gbl_device.filterGoto(root.m_filterCur) }
        }

        Head { xtext: qsTrId("PTZ") }
        XGrid {
            width: root.cfg_width
            height: 150
            rows: 3
            columns: 3
            Icon { iconSource: "qrc:/Icons/arrow-top-left.svg"; onClicked: root.gbl_device.ptzControl(5, root.m_ptzSpeed) }
            Icon { objectName: "btnPtzUp"; iconSource: "qrc:/Icons/arrow-up.svg"; onClicked: root.gbl_device.ptzControl(1, root.m_ptzSpeed) }
            Icon { iconSource: "qrc:/Icons/arrow-top-right.svg"; onClicked: root.gbl_device.ptzControl(6, root.m_ptzSpeed) }
            Icon { iconSource: "qrc:/Icons/arrow-left.svg"; onClicked: root.gbl_device.ptzControl(3, root.m_ptzSpeed) }
            Icon { iconSource: "qrc:/Icons/stop.svg"; onClicked: root.gbl_device.ptzControl(0, root.m_ptzSpeed) }
            Icon { iconSource: "qrc:/Icons/arrow-right.svg"; onClicked: root.gbl_device.ptzControl(4, root.m_ptzSpeed) }
            Icon { iconSource: "qrc:/Icons/arrow-bottom-left.svg"; onClicked: root.gbl_device.ptzControl(7, root.m_ptzSpeed) }
            Icon { iconSource: "qrc:/Icons/arrow-down.svg"; onClicked: root.gbl_device.ptzControl(2, root.m_ptzSpeed) }
            Icon { iconSource: "qrc:/Icons/arrow-bottom-right.svg"; onClicked: root.gbl_device.ptzControl(8, root.m_ptzSpeed) }
        }
        Row {
            height: 30
            spacing: 4
            XSlider {
                width: 200
                height: 30
                from: 1
                to: 100
                stepSize: 1
                value: root.m_ptzSpeed
                onMoved: root.m_ptzSpeed = Math.round(value)
            }
            Value { width: 60; height: 30; text: root.m_ptzSpeed.toFixed(0) }
        }
        Row {
            height: 36
            spacing: 4
            // The light's level travels in the command's one-byte argument.
            NumberBox {
                id: lightBox
                objectName: "lightBox"
                width: 120
                height: 32
                xmin: 0
                xmax: 255
                text: String(root.m_ptzLight)
                onTextEdited: if (xvalid) root.m_ptzLight = xnumber
            }
            XButtonText {
                objectName: "btnSetLight"
                width: 100; height: 32
                text: qsTrId("SetLight")
                onClicked: root.sendNumbers([lightBox], v => root.gbl_device.ptzControl(30, v))
            }
        }
        XSeperator { width: root.cfg_width; height: 1 }
        XGrid {
            width: root.cfg_width
            height: 100
            rows: 3
            columns: 3
            Value { text: "P(0.01)" }
            Value { text: "T(0.01)" }
            Item {}
            Value { text: root.gbl_device.ptzPan }
            Value { text: root.gbl_device.ptzTilt }
            XButtonText { text: qsTrId("Get"); onClicked: root.gbl_device.ptzGetPTZ() }
            NumberBox { id: panBox; objectName: "panBox"; text: "0" }
            NumberBox { id: tiltBox; objectName: "tiltBox"; text: "0" }
            XButtonText {
                objectName: "btnPtzSet"
                text: qsTrId("Set")
                onClicked: root.sendNumbers([panBox, tiltBox], (pan, tilt) => root.gbl_device.ptzSetPTZ(pan, tilt, 0))
            }
        }
        XSeperator { width: root.cfg_width; height: 1 }
        ListView {
            id: presetList
            objectName: "presetList"
            width: root.cfg_width
            height: 300
            clip: true
            model: root.gbl_device.ptzPresetList
            delegate: Rectangle {
                id: presetRow
                required property var modelData
                width: presetList.width
                height: 30
                color: XTheme.form_colors4[0]
                XText { x: 4; anchors.verticalCenter: parent.verticalCenter; text: presetRow.modelData.presetId }
                XText { x: 50; anchors.verticalCenter: parent.verticalCenter; text: presetRow.modelData.presetName }
                XButtonSvg {
                    x: 200
                    y: 5
                    width: 20
                    height: 20
                    iconWidth: 14
                    iconHeight: 14
                    iconSource: "qrc:/Icons/redo.svg"
                    onClicked: root.gbl_device.ptzControl(17, presetRow.modelData.presetId)
                }
                XButtonSvg {
                    x: 230
                    y: 5
                    width: 20
                    height: 20
                    iconWidth: 14
                    iconHeight: 14
                    iconSource: "qrc:/Icons/cog.svg"
                    onClicked: root.gbl_device.ptzControl(15, presetRow.modelData.presetId)
                }
            }
        }
    }
}
