import QtQuick
import Kiv 1.0
import Ostrel 1.0

// The live preview's image settings. Filling the inputs at start writes nothing back; every later
// single change is signalled once, and the page then sends the whole set.
Column {
    id: root
    spacing: 4
    property var xmodel: null
    property bool isInit: false
    readonly property int cfg_nameWidth: 120
    readonly property int cfg_valueWidth: 150
    readonly property var gbl_commonManager: CApp.commonManager
    signal xvalueChanged()

    function model2view() {
        if (!xmodel)
            return
        inPalette.init(xmodel.paletteType)
        inStrech.init(xmodel.strechType)
        inGain.init(xmodel.gain)
        inTemp2Gray.init(xmodel.temp2gray)
        inDde.init(xmodel.ddeLevel)
        inDenoise.init(xmodel.denoise)
        inManEnable.init(xmodel.man_enable)
        inManTemp0.init(xmodel.man_temp0)
        inManTemp1.init(xmodel.man_temp1)
        inCtType.init(xmodel.ct_type)
        inCtTemp0.init(xmodel.ct_temp0)
        inCtTemp1.init(xmodel.ct_temp1)
        inCtColor0.init(xmodel.ct_color0)
        inCtColor1.init(xmodel.ct_color1)
        inSmallTarget.init(xmodel.smalltarget_bg)
    }

    function view2model() {
        if (!isInit || !xmodel)
            return
        xmodel.paletteType = inPalette.xvalue
        xmodel.strechType = inStrech.xvalue
        xmodel.gain = inGain.xvalue
        xmodel.temp2gray = inTemp2Gray.xvalue
        xmodel.ddeLevel = inDde.xvalue
        xmodel.denoise = inDenoise.xvalue
        xmodel.man_enable = inManEnable.xvalue
        xmodel.man_temp0 = inManTemp0.xvalue
        xmodel.man_temp1 = inManTemp1.xvalue
        xmodel.ct_type = inCtType.xvalue
        xmodel.ct_temp0 = inCtTemp0.xvalue
        xmodel.ct_temp1 = inCtTemp1.xvalue
        xmodel.ct_color0 = inCtColor0.xvalue
        xmodel.ct_color1 = inCtColor1.xvalue
        xmodel.smalltarget_bg = inSmallTarget.xvalue
    }

    function _changed() {
        if (isInit)
            xvalueChanged()
    }

    Component.onCompleted: {
        model2view()
        isInit = true
    }

    XInputEnum {
        id: inPalette
        objectName: "inPalette"
        xname: qsTrId("IRImage_PaletteType"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        xoptions: root.gbl_commonManager.paletteList
        onXvalueChanged: root._changed()
    }
    XInputEnum {
        id: inStrech
        xname: qsTrId("IRImage_StrechType"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        xoptions: root.gbl_commonManager.strechList
        onXvalueChanged: root._changed()
    }
    XInputFloatSlider {
        id: inGain
        xname: qsTrId("IRImage_Gain"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        xmin: 0.1; xmax: 10; xstep: 0.1; xformat: 1
        onXvalueChanged: root._changed()
    }
    XInputFloatSlider {
        id: inTemp2Gray
        xname: qsTrId("IRImage_Temp2Gray"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        xmin: 0; xmax: 50; xstep: 1
        onXvalueChanged: root._changed()
    }
    XInputFloatSlider {
        id: inDde
        xname: qsTrId("IRImage_DDELevel"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        xmin: 0; xmax: 8; xstep: 1
        onXvalueChanged: root._changed()
    }
    XInputFloatSlider {
        id: inDenoise
        xname: qsTrId("IRImage_Denoise"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        xmin: 0; xmax: 8; xstep: 1
        onXvalueChanged: root._changed()
    }
    XInputBool {
        id: inManEnable
        xname: qsTrId("IRImage_MTEnable"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        onXvalueChanged: root._changed()
    }
    XInputFloat {
        id: inManTemp0
        xname: qsTrId("IRImage_MTTemp0"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        xformat: 1
        onXvalueChanged: root._changed()
    }
    XInputFloat {
        id: inManTemp1
        xname: qsTrId("IRImage_MTTemp1"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        xformat: 1
        onXvalueChanged: root._changed()
    }
    XInputEnum {
        id: inCtType
        xname: qsTrId("IRImage_CTType"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        xoptions: root.gbl_commonManager.colorTempList
        onXvalueChanged: root._changed()
    }
    XInputFloat {
        id: inCtTemp0
        xname: qsTrId("IRImage_CTTemp0"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        xformat: 1
        onXvalueChanged: root._changed()
    }
    XInputFloat {
        id: inCtTemp1
        xname: qsTrId("IRImage_CTTemp1"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        xformat: 1
        onXvalueChanged: root._changed()
    }
    XInputColor {
        id: inCtColor0
        xname: qsTrId("IRImage_CTColor0"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        onXvalueChanged: root._changed()
    }
    XInputColor {
        id: inCtColor1
        xname: qsTrId("IRImage_CTColor1"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        onXvalueChanged: root._changed()
    }
    XInputFloatSlider {
        id: inSmallTarget
        xname: qsTrId("IRImage_SmallTarget_BG"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
        xmin: 1; xmax: 99; xstep: 1
        onXvalueChanged: root._changed()
    }
}
