import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import ".."

// Edits one measurement item. Nothing is written before OK; OK writes only what the dialog shows
// enabled (the global item has no name or correction of its own), keeps the item's reflected
// temperature, and stays open while an input holds a value the item would refuse.
DialogBase {
    id: root
    readonly property var gbl_textPosList: CApp.commonManager.textPosList
    property bool edit_global: false
    property string edit_meaName: ""
    property color edit_meaColor: "#000000"
    property int edit_textPos: 0
    property bool edit_trackHigh: false
    property bool edit_trackLow: false
    property bool edit_fixEnable: false
    property real edit_fixEmi: 0
    property bool edit_use3x3: false
    // The item keeps names shorter than its 64-byte field and emissivities inside (0.01, 1.01).
    readonly property bool xnameValid: edit_global || App.utf8Size(edit_meaName) < 64
    readonly property bool xemiValid: edit_global || (edit_fixEmi > 0.01 && edit_fixEmi < 1.01)
    xtitle: QT_TRID_NOOP("ConfigMea")

    // The number input also marks a text that is no number, so the marks are set, not bound.
    function xmark() {
        inName.xrule_isInputValid = xnameValid
        inFixEmi.xrule_isInputValid = xemiValid
    }
    onXnameValidChanged: xmark()
    onXemiValidChanged: xmark()

    onXfill: {
        const item = xtag
        edit_global = item.meaType === 0
        edit_meaName = item.meaName
        edit_meaColor = item.meaColor
        edit_textPos = item.textPos
        edit_trackHigh = item.meaFlags_trackHigh
        edit_trackLow = item.meaFlags_trackLow
        edit_fixEnable = edit_global ? false : item.fixEnable
        edit_fixEmi = edit_global ? 0 : item.fixEmi
        edit_use3x3 = item.use3x3
        inName.init(edit_meaName)
        inColor.init(edit_meaColor)
        inTextPos.init(edit_textPos)
        inTrackHigh.init(edit_trackHigh)
        inTrackLow.init(edit_trackLow)
        inFixEnable.init(edit_fixEnable)
        inFixEmi.init(edit_fixEmi)
        inUse3x3.init(edit_use3x3)
        xmark()
    }

    // 0 OK, 1 Cancel.
    function xanswer(index) {
        if (index === 0) {
            xcommit()
            xmark()
            // The emissivity's mark also stands for a text that is no number: the value behind
            // it is not the one shown.
            if (!xnameValid || !xemiValid || !inFixEmi.xrule_isInputValid)
                return
            const item = xtag
            if (!edit_global)
                item.meaName = edit_meaName
            item.meaColor = edit_meaColor
            item.textPos = edit_textPos
            item.meaFlags_trackHigh = edit_trackHigh
            item.meaFlags_trackLow = edit_trackLow
            if (!edit_global)
                item.set_fix(edit_fixEnable, edit_fixEmi, item.fixReflectTemp)
            item.use3x3 = edit_use3x3
            if (item.tfm_canvas)
                item.tfm_canvas.forceRedraw()
        }
        xclose()
    }

    Column {
        spacing: 4
        XInputString {
            id: inName
            objectName: "inMeaName"
            xname: qsTrId("MeaName")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            enabled: !root.edit_global
            onXvalueChanged: root.edit_meaName = xvalue
        }
        XInputColor {
            id: inColor
            objectName: "inMeaColor"
            xname: qsTrId("MeaColor")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            onXvalueChanged: root.edit_meaColor = xvalue
        }
        XInputEnum {
            id: inTextPos
            objectName: "inTextPos"
            xname: qsTrId("TextPos")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            xoptions: root.gbl_textPosList
            onXvalueChanged: root.edit_textPos = xvalue
        }
        XInputBool {
            id: inTrackHigh
            objectName: "inTrackHigh"
            xname: qsTrId("TrackHigh")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            onXvalueChanged: root.edit_trackHigh = xvalue
        }
        XInputBool {
            id: inTrackLow
            objectName: "inTrackLow"
            xname: qsTrId("TrackLow")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            onXvalueChanged: root.edit_trackLow = xvalue
        }
        XSeperator { width: 404; height: 1 }
        XInputBool {
            id: inFixEnable
            objectName: "inFixEnable"
            xname: qsTrId("FixEnable")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            enabled: !root.edit_global
            onXvalueChanged: root.edit_fixEnable = xvalue
        }
        XInputFloat {
            id: inFixEmi
            objectName: "inFixEmi"
            xname: qsTrId("FixEmi")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            xformat: 2
            enabled: !root.edit_global
            onXvalueChanged: root.edit_fixEmi = xvalue
        }
        XSeperator { width: 404; height: 1 }
        XInputBool {
            id: inUse3x3
            objectName: "inUse3x3"
            xname: qsTrId("Use3x3")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            onXvalueChanged: root.edit_use3x3 = xvalue
        }
    }
    DialogButtonBar {
        objectName: "buttonBar"
        xtexts: [QT_TRID_NOOP("OK"), QT_TRID_NOOP("Cancel")]
        onXclicked: function (index) { root.xanswer(index) }
    }
}
