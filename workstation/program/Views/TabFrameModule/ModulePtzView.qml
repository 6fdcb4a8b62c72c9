pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// Pan-tilt, focus and filter control of a live camera. Disabled while a command of the module
// runs, and for a module that has no camera. Number boxes take integers only: a box whose text
// is not a number sends nothing, since the camera would take it as 0.
Rectangle {
    id: root
    property var module: null
    property int m_ptzSpeed: 50
    property int m_ptzLight: 0
    property int m_filterCur: 0
    readonly property bool cfg_usable: module !== null && module.ir !== null && module.qtcFlags === 0
    property alias grid: grid

    anchors.fill: parent
    anchors.margins: 2
    color: "#111111"

    Component.onCompleted: console.log("create module " + module.viewName)

    // The integer a box holds, or NaN for anything else (empty, a sign alone, letters).
    function intOf(box) {
        const t = box.text.trim()
        return /^[-+]?[0-9]+$/.test(t) ? parseInt(t, 10) : NaN
    }

    function setLight() {
        if (!isNaN(intOf(lightBox)))
            module.ptzControl(30, intOf(lightBox))
    }
    function setPanTilt() {
        const pan = intOf(panBox)
        const tilt = intOf(tiltBox)
        if (!isNaN(pan) && !isNaN(tilt))
            module.ptzSetPTZ(pan, tilt, 0)
    }
    function setFocus() {
        if (!isNaN(intOf(focusBox)))
            module.focusXFAbs(intOf(focusBox))
    }
    function focusAuto() {
        const canvas = module.ir ? module.ir.tempCanvas : null
        module.focusAF(canvas ? canvas.itemSelected : null)
    }

    component IconButton: XButton {
        property string iconName: ""
        iconSource: iconName !== "" ? "qrc:/Icons/" + iconName + ".svg" : ""
        iconWidth: 24; iconHeight: 24
    }
    component NumberBox: XTextBox {
        validator: IntValidator {}
        horizontalAlignment: TextInput.AlignHCenter
    }
    component GroupHead: XHead {
        width: parent ? parent.width : 0
        height: 30
        xfontSize: 14
    }

    XGrid {
        id: grid
        objectName: "ptzGrid"
        anchors.fill: parent
        rows: 1; columns: 3; unitMargin: 4
        enabled: root.cfg_usable

        // Pan-tilt pad, speed, light and position.
        ScrollView {
            ScrollBar.horizontal.policy: ScrollBar.AlwaysOff
            contentWidth: availableWidth
            Column {
                width: parent.width
                spacing: 4
                XGrid {
                    width: parent.width
                    height: 100
                    rows: 3; columns: 3; unitMargin: 2
                    IconButton { objectName: "ptz5"; iconName: "arrow-top-left"; onClicked: root.module.ptzControl(5, root.m_ptzSpeed) }
                    IconButton { objectName: "ptz1"; iconName: "arrow-up"; onClicked: root.module.ptzControl(1, root.m_ptzSpeed) }
                    IconButton { objectName: "ptz6"; iconName: "arrow-top-right"; onClicked: root.module.ptzControl(6, root.m_ptzSpeed) }
                    IconButton { objectName: "ptz3"; iconName: "arrow-left"; onClicked: root.module.ptzControl(3, root.m_ptzSpeed) }
                    IconButton { objectName: "ptz0"; iconName: "stop"; onClicked: root.module.ptzControl(0, root.m_ptzSpeed) }
                    IconButton { objectName: "ptz4"; iconName: "arrow-right"; onClicked: root.module.ptzControl(4, root.m_ptzSpeed) }
                    IconButton { objectName: "ptz7"; iconName: "arrow-bottom-left"; onClicked: root.module.ptzControl(7, root.m_ptzSpeed) }
                    IconButton { objectName: "ptz2"; iconName: "arrow-down"; onClicked: root.module.ptzControl(2, root.m_ptzSpeed) }
                    IconButton { objectName: "ptz8"; iconName: "arrow-bottom-right"; onClicked: root.module.ptzControl(8, root.m_ptzSpeed) }
                }
                Item {
                    width: parent.width
                    height: 30
                    XSlider {
                        objectName: "speedSlider"
                        width: parent.width - 54
                        height: 30
                        from: 1; to: 100; stepSize: 1
                        value: 50
                        onValueChanged: root.m_ptzSpeed = Math.round(value)
                    }
                    XText {
                        x: parent.width - 50; width: 50
                        anchors.verticalCenter: parent.verticalCenter
                        text: root.m_ptzSpeed.toFixed(0)
                        horizontalAlignment: Text.AlignHCenter
                    }
                }
                XGrid {
                    width: parent.width
                    height: 36
                    rows: 1; columns: 3; unitMargin: 2
                    Item {}
                    NumberBox {
                        id: lightBox
                        objectName: "lightBox"
                        text: String(root.m_ptzLight)
                        onTextEdited: if (!isNaN(root.intOf(lightBox))) root.m_ptzLight = root.intOf(lightBox)
                    }
                    XButton { objectName: "btnSetLight"; text: qsTrId("SetLight"); onClicked: root.setLight() }
                }
                XSeperator { width: parent.width; height: 2 }
                XGrid {
                    width: parent.width
                    height: 108
                    rows: 3; columns: 3; unitMargin: 2
                    XText { text: "P(0.01)"; horizontalAlignment: Text.AlignHCenter; verticalAlignment: Text.AlignVCenter }
                    XText { text: "T(0.01)"; horizontalAlignment: Text.AlignHCenter; verticalAlignment: Text.AlignVCenter }
                    Item {}
                    XText { objectName: "ptzPan"; text: root.module ? root.module.ptzPan : ""; horizontalAlignment: Text.AlignHCenter; verticalAlignment: Text.AlignVCenter }
                    XText { objectName: "ptzTilt"; text: root.module ? root.module.ptzTilt : ""; horizontalAlignment: Text.AlignHCenter; verticalAlignment: Text.AlignVCenter }
                    XButton { objectName: "btnGet"; text: qsTrId("Get"); onClicked: root.module.ptzGetPTZ() }
                    NumberBox { id: panBox; objectName: "panBox"; text: "0" }
                    NumberBox { id: tiltBox; objectName: "tiltBox"; text: "0" }
                    XButton { objectName: "btnSet"; text: qsTrId("Set"); onClicked: root.setPanTilt() }
                }
            }
        }

        // Presets.
        ListView {
            id: presets
            objectName: "presetList"
            spacing: 4
            clip: true
            model: root.module ? root.module.ptzPresetList : []
            ScrollBar.vertical: ScrollBar {}
            delegate: Rectangle {
                id: preset
                required property var modelData
                width: presets.width - 8
                height: 30
                color: XTheme.form_colors4[0]
                XText { x: 4; y: 5; text: preset.modelData.presetId }
                XText { x: 50; y: 5; text: preset.modelData.presetName }
                XButtonSvg {
                    x: preset.width - 60; y: 5
                    width: 20; height: 20; iconWidth: 14; iconHeight: 14
                    iconSource: "qrc:/Icons/redo.svg"
                    onClicked: root.module.ptzControl(17, preset.modelData.presetId)
                }
                XButtonSvg {
                    x: preset.width - 30; y: 5
                    width: 20; height: 20; iconWidth: 14; iconHeight: 14
                    iconSource: "qrc:/Icons/cog.svg"
                    onClicked: root.module.ptzControl(15, preset.modelData.presetId)
                }
            }
        }

        // Focus and filter.
        ScrollView {
            ScrollBar.horizontal.policy: ScrollBar.AlwaysOff
            contentWidth: availableWidth
            Column {
                width: parent.width
                spacing: 4
                GroupHead { xtext: qsTrId("FocusMF") }
                XGrid {
                    width: parent.width
                    height: 60
                    rows: 2; columns: 3; unitMargin: 2
                    IconButton { iconName: "minus"; xtip: qsTrId("FocusDeltaNear"); onClicked: root.module.focusMFDelta(-100) }
                    Item {}
                    IconButton { iconName: "plus"; xtip: qsTrId("FocusDeltaFar"); onClicked: root.module.focusMFDelta(100) }
                    IconButton { iconName: "minus"; xtip: qsTrId("FocusContiNear"); onClicked: root.module.focusMFConti(2) }
                    IconButton { iconName: "stop"; xtip: qsTrId("FocusContiStop"); onClicked: root.module.focusMFConti(0) }
                    IconButton { iconName: "plus"; xtip: qsTrId("FocusContiFar"); onClicked: root.module.focusMFConti(1) }
                }
                GroupHead { xtext: qsTrId("FocusAF") }
                XGrid {
                    width: parent.width
                    height: 30
                    rows: 1; columns: 3; unitMargin: 2
                    IconButton { objectName: "btnFocusAF"; iconName: "focus-auto"; onClicked: root.focusAuto() }
                }
                GroupHead { xtext: qsTrId("FocusXF") }
                XGrid {
                    width: parent.width
                    height: 72
                    rows: 2; columns: 3; unitMargin: 2
                    IconButton { iconName: "minus"; xtip: qsTrId("FocusDeltaNear"); onClicked: root.module.focusXFRel(-100) }
                    XText { text: root.module ? root.module.xfCur : ""; horizontalAlignment: Text.AlignHCenter; verticalAlignment: Text.AlignVCenter }
                    IconButton { iconName: "plus"; xtip: qsTrId("FocusDeltaFar"); onClicked: root.module.focusXFRel(100) }
                    Item {}
                    NumberBox { id: focusBox; objectName: "focusBox" }
                    XButton { objectName: "btnFocusSet"; text: qsTrId("Set"); onClicked: root.setFocus() }
                }
                GroupHead { xtext: qsTrId("FilterIR") }
                XGrid {
                    width: parent.width
                    height: 72
                    rows: 2; columns: 3; unitMargin: 2
                    XButton { text: qsTrId("Reset"); onClicked: root.module.filterReset(10000) }
                    XText { text: root.module ? root.module.filterCur : ""; horizontalAlignment: Text.AlignHCenter; verticalAlignment: Text.AlignVCenter }
                    XButton { text: qsTrId("Get"); onClicked: root.module.filterGoto(-1) }
                    XSlider {
                        from: 0; to: 3; stepSize: 1
                        value: 0
                        onValueChanged: root.m_filterCur = Math.round(value)
                    }
                    XText { text: root.m_filterCur; horizontalAlignment: Text.AlignHCenter; verticalAlignment: Text.AlignVCenter }
                    XButton { text: qsTrId("Set"); onClicked: root.module.filterGoto(root.m_filterCur) }
                }
            }
        }
    }
}
