import QtQuick
import Kiv 1.0
import Ostrel 1.0

// The selected measurement item's settings; every change is written to the item at once. The
// global item (type 0) keeps its name, colour, text position and correction.
Column {
    id: root
    spacing: 4
    property var xmodel: null
    readonly property int cfg_nameWidth: 120
    readonly property int cfg_valueWidth: 150
    readonly property bool _xown: xmodel !== null && xmodel.meaType !== 0
    property bool _xfilling: false

    function model2view() {
        if (!xmodel)
            return
        _xfilling = true
        inName.init(xmodel.meaName)
        inColor.init(xmodel.meaColor)
        inTextPos.init(xmodel.textPos)
        inTrackHigh.init(xmodel.meaFlags_trackHigh)
        inTrackLow.init(xmodel.meaFlags_trackLow)
        inFixEnable.init(xmodel.fixEnable)
        inFixEmi.init(xmodel.fixEmi)
        inUse3x3.init(xmodel.use3x3)
        _xfilling = false
    }
    function _write(fn) {
        if (xmodel && !_xfilling)
            fn(xmodel)
    }
    onXmodelChanged: model2view()

    XInputString {
        id: inName
        xname: qsTrId("MeaName"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        enabled: root._xown
        onXvalueChanged: root._write(function (m) { m.meaName = inName.xvalue })
    }
    XInputColor {
        id: inColor
        xname: qsTrId("MeaColor"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        enabled: root._xown
        onXvalueChanged: root._write(function (m) { m.meaColor = inColor.xvalue })
    }
    XInputEnum {
        id: inTextPos
        xname: qsTrId("TextPos"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        xoptions: CApp.commonManager.textPosList
        enabled: root._xown
        onXvalueChanged: root._write(function (m) { m.textPos = inTextPos.xvalue })
    }
    XInputBool {
        id: inTrackHigh
        xname: qsTrId("TrackHigh"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        onXvalueChanged: root._write(function (m) { m.meaFlags_trackHigh = inTrackHigh.xvalue })
    }
    XInputBool {
        id: inTrackLow
        xname: qsTrId("TrackLow"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        onXvalueChanged: root._write(function (m) { m.meaFlags_trackLow = inTrackLow.xvalue })
    }
    XInputBool {
        id: inFixEnable
        xname: qsTrId("FixEnable"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        enabled: root._xown
        onXvalueChanged: root._write(function (m) { m.set_fix(inFixEnable.xvalue, inFixEmi.xvalue, 0) })
    }
    XInputFloat {
        id: inFixEmi
        xname: qsTrId("FixEmi"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        xformat: 2
        enabled: root._xown
        onXvalueChanged: root._write(function (m) { m.set_fix(inFixEnable.xvalue, inFixEmi.xvalue, 0) })
    }
    XInputBool {
        id: inUse3x3
        xname: qsTrId("Use3x3"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        onXvalueChanged: root._write(function (m) { m.use3x3 = inUse3x3.xvalue })
    }
}
