import QtQuick
import Kiv 1.0
import Ostrel 1.0

// Flat-field correction: the shutter's frame counts (shown, written back as read so a write
// never changes them), the intervals and the autofocus rebound.
Column {
    id: root
    spacing: 2
    property var xmodel: null
    property real xnameWidth: 150
    property real xvalueWidth: 200
    property var gbl_commonManager: CApp.commonManager

    function model2view() {
        if (!xmodel)
            return
        frames_skipped_after_open.init(xmodel.frames_skipped_after_open)
        frames_skipped_after_close.init(xmodel.frames_skipped_after_close)
        frames_accumlated_when_closed.init(xmodel.frames_accumlated_when_closed)
        time_interval.init(xmodel.time_interval)
        temp_interval.init(xmodel.temp_interval)
        nst_enable.init(xmodel.nst_enable)
        af_rebound.init(xmodel.af_rebound)
        fpa_shutter.init(xmodel.fpa_shutter)
        time_interval_sec.init(xmodel.time_interval_sec)
    }

    function view2model() {
        if (!xmodel)
            return
        xmodel.frames_skipped_after_open = frames_skipped_after_open.xvalue
        xmodel.frames_skipped_after_close = frames_skipped_after_close.xvalue
        xmodel.frames_accumlated_when_closed = frames_accumlated_when_closed.xvalue
        xmodel.time_interval = time_interval.xvalue
        xmodel.temp_interval = temp_interval.xvalue
        xmodel.nst_enable = nst_enable.xvalue
        xmodel.af_rebound = af_rebound.xvalue
        xmodel.fpa_shutter = fpa_shutter.xvalue
        xmodel.time_interval_sec = time_interval_sec.xvalue
    }

    XInputInt {
        id: frames_skipped_after_open
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 255
        objectName: "frames_skipped_after_open"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("FramesSkippedAfterOpen")
        xreadonly: true
    }
    XInputInt {
        id: frames_skipped_after_close
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 255
        objectName: "frames_skipped_after_close"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("FramesSkippedAfterClose")
        xreadonly: true
    }
    XInputInt {
        id: frames_accumlated_when_closed
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 255
        objectName: "frames_accumlated_when_closed"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("FramesAccumlatedWhenClosed")
        xreadonly: true
    }
    XInputInt {
        id: time_interval
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "time_interval"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("TimeInterval")
    }
    XInputInt {
        id: temp_interval
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "temp_interval"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("TempInterval") + "(mK)"
    }
    XInputBool {
        id: nst_enable
        objectName: "nst_enable"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("NSTEnable")
    }
    XInputInt {
        id: af_rebound
        xrule_rangeType: 3; xrule_rangeMin: -128; xrule_rangeMax: 127
        objectName: "af_rebound"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("AFRebound")
    }
    XInputInt {
        id: fpa_shutter
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 255
        objectName: "fpa_shutter"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("FPAShutter")
        visible: false
    }
    XInputInt {
        id: time_interval_sec
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "time_interval_sec"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("TimeIntervalSec")
    }

}
