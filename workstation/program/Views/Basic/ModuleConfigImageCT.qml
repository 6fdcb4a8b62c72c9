import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// The colour-temperature marking of an image module, written on Apply.
ModuleConfigBase {
    id: root
    objectName: "ModuleConfigImageCT"
    readonly property alias inType: inType
    readonly property alias inTemp0: inTemp0
    readonly property alias inTemp1: inTemp1
    readonly property alias inColor0: inColor0
    readonly property alias inColor1: inColor1
    property bool _changed: false
    // Type 0 marks nothing; any marking needs a stretch that is neither empty nor inverted.
    readonly property bool xrangeValid: inType.xvalue <= 0 || inTemp0.xvalue < inTemp1.xvalue

    function xmark() {
        inTemp0.xrule_isInputValid = xrangeValid
        inTemp1.xrule_isInputValid = xrangeValid
    }
    onXrangeValidChanged: xmark()

    function xopen(module, btn, x, y) {
        xopen_pre(module, btn, x, y)
        const cfg = module.imageConfig
        inType.init(cfg.ct_type)
        inTemp0.init(cfg.ct_temp0)
        inTemp1.init(cfg.ct_temp1)
        inColor0.init(cfg.ct_color0)
        inColor1.init(cfg.ct_color1)
        xmark()
        _changed = false
        open()
    }

    function xapply() {
        btnApply.forceActiveFocus()
        const module = cfg_module
        // A marked end holds a text that was not taken: the value behind it is not the one shown.
        if (!module || !_changed || !xrangeValid
                || !inTemp0.xrule_isInputValid || !inTemp1.xrule_isInputValid)
            return false
        const cfg = module.imageConfig
        cfg.ct_type = inType.xvalue
        cfg.ct_temp0 = inTemp0.xvalue
        cfg.ct_temp1 = inTemp1.xvalue
        cfg.ct_color0 = inColor0.xvalue
        cfg.ct_color1 = inColor1.xvalue
        module.applyImageConfig()
        _changed = false
        return true
    }

    contentItem: Column {
        spacing: 4
        XText { text: qsTrId("IRImage_CT"); font.pointSize: XTheme.font_size_medium }
        XSeperator { width: 400; height: 2 }
        XInputEnum {
            id: inType
            objectName: "inType"
            xname: qsTrId("IRImage_CTType")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            xoptions: CApp.commonManager.colorTempList
            onXvalueChanged: root._changed = true
        }
        XInputFloat {
            id: inTemp0
            objectName: "inTemp0"
            xname: qsTrId("IRImage_CTTemp0")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            onXvalueChanged: root._changed = true
        }
        XInputFloat {
            id: inTemp1
            objectName: "inTemp1"
            xname: qsTrId("IRImage_CTTemp1")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            onXvalueChanged: root._changed = true
        }
        XInputColor {
            id: inColor0
            objectName: "inColor0"
            xname: qsTrId("IRImage_CTColor0")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            onXvalueChanged: root._changed = true
        }
        XInputColor {
            id: inColor1
            objectName: "inColor1"
            xname: qsTrId("IRImage_CTColor1")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            onXvalueChanged: root._changed = true
        }
        Item {
            width: 404; height: 30
            XButtonText {
                id: btnApply
                objectName: "btnApply"
                anchors.right: parent.right
                width: 80; height: 30
                text: qsTrId("Apply")
                onClicked: root.xapply()
            }
        }
    }
}
