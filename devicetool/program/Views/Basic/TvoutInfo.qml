import QtQuick
import Kiv 1.0
import Ostrel 1.0
import "Checks.js" as Checks

// Video output: the analogue output, the picture's palette and stretch, the manual and
// colour-temperature ranges and the H.264 encoder.
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
        enableTvout.init(xmodel.enableTvout)
        zoom.init(xmodel.zoom)
        xuiDisplayFlags.init(xmodel.xuiDisplayFlags)
        paletteType.init(xmodel.paletteType)
        strechType.init(xmodel.strechType)
        gain.init(xmodel.gain)
        temp2gray.init(xmodel.temp2gray)
        ddeLevel.init(xmodel.ddeLevel)
        man_enable.init(xmodel.man_enable)
        man_temp0.init(xmodel.man_temp0)
        man_temp1.init(xmodel.man_temp1)
        ct_type.init(xmodel.ct_type)
        ct_temp0.init(xmodel.ct_temp0)
        ct_temp1.init(xmodel.ct_temp1)
        ct_color0.init(xmodel.ct_color0)
        ct_color1.init(xmodel.ct_color1)
        h264_bitrate.init(xmodel.h264_bitrate)
        h264_gopSize.init(xmodel.h264_gopSize)
    }

    function view2model() {
        if (!xmodel)
            return
        xmodel.enableTvout = enableTvout.xvalue
        xmodel.zoom = zoom.xvalue
        xmodel.xuiDisplayFlags = xuiDisplayFlags.xvalue
        xmodel.paletteType = paletteType.xvalue
        xmodel.strechType = strechType.xvalue
        xmodel.gain = gain.xvalue
        xmodel.temp2gray = temp2gray.xvalue
        xmodel.ddeLevel = ddeLevel.xvalue
        xmodel.man_enable = man_enable.xvalue
        xmodel.man_temp0 = man_temp0.xvalue
        xmodel.man_temp1 = man_temp1.xvalue
        xmodel.ct_type = ct_type.xvalue
        xmodel.ct_temp0 = ct_temp0.xvalue
        xmodel.ct_temp1 = ct_temp1.xvalue
        xmodel.ct_color0 = ct_color0.xvalue
        xmodel.ct_color1 = ct_color1.xvalue
        xmodel.h264_bitrate = h264_bitrate.xvalue
        xmodel.h264_gopSize = h264_gopSize.xvalue
    }

    XHead { width: root.xnameWidth + root.xvalueWidth; height: 30; xtext: qsTrId("Tvout") }
    XInputBool {
        id: enableTvout
        objectName: "enableTvout"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("Enable")
    }
    XInputEnum {
        id: zoom
        objectName: "zoom"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("Zoom")
        xoptions: Checks.withValue(root.gbl_commonManager.zoomList, xvalue)
    }
    XInputInt {
        id: xuiDisplayFlags
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "xuiDisplayFlags"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DisplayFlags")
    }
    XHead { width: root.xnameWidth + root.xvalueWidth; height: 30; xtext: qsTrId("IRImage") }
    XInputEnum {
        id: paletteType
        objectName: "paletteType"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("IRImage_PaletteType")
        xoptions: Checks.withValue(root.gbl_commonManager.paletteList, xvalue)
    }
    XInputEnum {
        id: strechType
        objectName: "strechType"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("IRImage_StrechType")
        xoptions: Checks.withValue(root.gbl_commonManager.strechList, xvalue)
    }
    XInputFloat {
        id: gain
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 1000
        objectName: "gain"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("IRImage_Gain")
    }
    XInputFloatSlider {
        id: temp2gray
        objectName: "temp2gray"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("IRImage_Temp2Gray")
        xmin: 0; xmax: 50; xstep: 1
    }
    XInputInt {
        id: ddeLevel
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 255
        objectName: "ddeLevel"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("IRImage_DDELevel")
    }
    XHead { width: root.xnameWidth + root.xvalueWidth; height: 30; xtext: qsTrId("IRImage_MT") }
    XInputBool {
        id: man_enable
        objectName: "man_enable"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("IRImage_MTEnable")
    }
    XInputFloat {
        id: man_temp0
        xrule_rangeType: 3; xrule_rangeMin: -3276.8; xrule_rangeMax: 3276.7
        objectName: "man_temp0"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("IRImage_MTTemp0")
    }
    XInputFloat {
        id: man_temp1
        xrule_rangeType: 3; xrule_rangeMin: -3276.8; xrule_rangeMax: 3276.7
        objectName: "man_temp1"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("IRImage_MTTemp1")
    }
    XHead { width: root.xnameWidth + root.xvalueWidth; height: 30; xtext: qsTrId("IRImage_CT") }
    XInputEnum {
        id: ct_type
        objectName: "ct_type"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("IRImage_CTType")
        xoptions: Checks.withValue(root.gbl_commonManager.colorTempList, xvalue)
    }
    XInputFloat {
        id: ct_temp0
        xrule_rangeType: 3; xrule_rangeMin: -3276.8; xrule_rangeMax: 3276.7
        objectName: "ct_temp0"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("IRImage_CTTemp0")
    }
    XInputFloat {
        id: ct_temp1
        xrule_rangeType: 3; xrule_rangeMin: -3276.8; xrule_rangeMax: 3276.7
        objectName: "ct_temp1"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("IRImage_CTTemp1")
    }
    XInputColor {
        id: ct_color0
        objectName: "ct_color0"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("IRImage_CTColor0")
    }
    XInputColor {
        id: ct_color1
        objectName: "ct_color1"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("IRImage_CTColor1")
    }
    XHead { width: root.xnameWidth + root.xvalueWidth; height: 30; xtext: qsTrId("H264") }
    XInputInt {
        id: h264_bitrate
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 2147483647
        objectName: "h264_bitrate"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("H264_Bitrate") + "(bps)"
    }
    XInputInt {
        id: h264_gopSize
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "h264_gopSize"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("H264_GopSize")
    }

}
