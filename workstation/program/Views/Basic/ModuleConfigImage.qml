pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// The image settings of an image module; each change is written and applied at once.
ModuleConfigBase {
    id: root
    objectName: "ModuleConfigImage"
    // Filling the inputs on opening writes nothing.
    property bool _filling: false

    function xopen(module, btn, x, y) {
        xopen_pre(module, btn, x, y)
        const cfg = module.imageConfig
        _filling = true
        inStrech.init(cfg.strechType)
        inGain.init(cfg.gain)
        inTemp2Gray.init(cfg.temp2gray)
        inDde.init(cfg.ddeLevel)
        inDenoise.init(cfg.denoise)
        inSmallTarget.init(cfg.smalltarget_bg)
        _filling = false
        open()
    }

    function write(field, value) {
        const module = cfg_module
        if (_filling || !module || module.imageConfig[field] === value)
            return
        module.imageConfig[field] = value
        module.applyImageConfig()
    }

    component Slider: XInputFloatSlider {
        property string field
        xpanelNameWidth: 150
        xpanelValueWidth: 250
        xstep: 1
        onXvalueChanged: root.write(field, xvalue)
    }

    contentItem: Column {
        spacing: 4
        XText { text: qsTrId("IRImage"); font.pointSize: XTheme.font_size_medium }
        XSeperator { width: 400; height: 2 }
        XInputEnum {
            id: inStrech
            objectName: "inStrech"
            xname: qsTrId("IRImage_StrechType")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            xoptions: CApp.commonManager.strechList
            onXvalueChanged: root.write("strechType", xvalue)
        }
        Slider { id: inGain; objectName: "inGain"; field: "gain"; xname: qsTrId("IRImage_Gain"); xmin: 0.1; xmax: 10; xstep: 0.1; xformat: 1 }
        Slider { id: inTemp2Gray; objectName: "inTemp2Gray"; field: "temp2gray"; xname: qsTrId("IRImage_Temp2Gray"); xmin: 0; xmax: 50 }
        Slider { id: inDde; objectName: "inDde"; field: "ddeLevel"; xname: qsTrId("IRImage_DDELevel"); xmin: 0; xmax: 8 }
        Slider { id: inDenoise; objectName: "inDenoise"; field: "denoise"; xname: qsTrId("IRImage_Denoise"); xmin: 0; xmax: 8 }
        Slider { id: inSmallTarget; objectName: "inSmallTarget"; field: "smalltarget_bg"; xname: qsTrId("IRImage_SmallTarget_BG"); xmin: 1; xmax: 99 }
    }
}
