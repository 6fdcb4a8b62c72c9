import QtQuick
import Kiv 1.0
import Ostrel 1.0

// The VNR detector registers of a calibration entry: five supply voltages (volts, three
// decimals), four offsets, the integration time, origin and gain. Labels are the register names.
Column {
    id: root
    spacing: 4
    property var xmodel: null
    property real xnameWidth: 200
    property real xvalueWidth: 100
    property var gbl_commonManager: CApp.commonManager

    readonly property var _voltages: ["ad_gpol", "ad_vr", "ad_vdda", "ad_vddo", "ad_subpv"]
    readonly property var _ints: ["ad_offset0", "ad_offset1", "ad_offset2", "ad_offset3", "tint"]

    function model2view() {
        if (!xmodel)
            return
        for (let i = 0; i < _voltages.length; ++i)
            voltages.itemAt(i).init(xmodel[_voltages[i]])
        for (let i = 0; i < _ints.length; ++i)
            ints.itemAt(i).init(xmodel[_ints[i]])
        origin.init(xmodel.origin)
        gain.init(xmodel.gain)
    }

    function view2model() {
        if (!xmodel)
            return
        for (let i = 0; i < _voltages.length; ++i)
            xmodel[_voltages[i]] = voltages.itemAt(i).xvalue
        for (let i = 0; i < _ints.length; ++i)
            xmodel[_ints[i]] = ints.itemAt(i).xvalue
        xmodel.origin = origin.xvalue
        xmodel.gain = gain.xvalue
    }

    Repeater {
        id: voltages
        model: root._voltages
        delegate: XInputFloat {
            required property string modelData
            objectName: modelData
            height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
            xname: modelData
            xformat: 3
        }
    }
    Repeater {
        id: ints
        model: root._ints
        delegate: XInputInt {
            required property string modelData
            objectName: modelData
            height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
            xname: modelData
        }
    }
    XInputFloatSlider {
        id: origin
        objectName: "origin"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: "origin"
        xmin: 0
        xmax: 3
    }
    XInputInt {
        id: gain
        objectName: "gain"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: "gain"
    }
}
