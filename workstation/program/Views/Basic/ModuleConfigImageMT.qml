import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// The manual palette range of an image module, written on Apply.
ModuleConfigBase {
    id: root
    objectName: "ModuleConfigImageMT"
    readonly property alias inEnable: inEnable
    readonly property alias inTemp0: inTemp0
    readonly property alias inTemp1: inTemp1
    property bool _changed: false
    // An empty or inverted stretch is no range: while on, both ends are marked and nothing is
    // written.
    readonly property bool xrangeValid: !inEnable.xvalue || inTemp0.xvalue < inTemp1.xvalue

    function xmark() {
        inTemp0.xrule_isInputValid = xrangeValid
        inTemp1.xrule_isInputValid = xrangeValid
    }
    onXrangeValidChanged: xmark()

    function xopen(module, btn, x, y) {
        xopen_pre(module, btn, x, y)
        const cfg = module.imageConfig
        let t0 = cfg.man_temp0
        let t1 = cfg.man_temp1
        const pd = module.tempCanvas ? module.tempCanvas.paletteData : null
        if (t0 >= t1 && pd) {
            t0 = pd.gblMin
            t1 = pd.gblMax
        }
        inEnable.init(cfg.man_enable)
        inTemp0.init(t0)
        inTemp1.init(t1)
        xmark()
        _changed = false
        open()
    }

    // Returns true when something was written.
    function xapply() {
        btnApply.forceActiveFocus()
        const module = cfg_module
        // A marked end holds a text that was not taken: the value behind it is not the one shown.
        if (!module || !_changed || !xrangeValid
                || !inTemp0.xrule_isInputValid || !inTemp1.xrule_isInputValid)
            return false
        const cfg = module.imageConfig
        cfg.man_temp0 = inTemp0.xvalue
        cfg.man_temp1 = inTemp1.xvalue
        cfg.man_enable = inEnable.xvalue
        module.applyImageConfig()
        if (module.tempCanvas)
            module.tempCanvas.paletteData.updateMan(inEnable.xvalue, inTemp0.xvalue, inTemp1.xvalue)
        _changed = false
        return true
    }

    contentItem: Column {
        spacing: 4
        XText { text: qsTrId("IRImage_MT"); font.pointSize: XTheme.font_size_medium }
        XSeperator { width: 400; height: 2 }
        XInputBool {
            id: inEnable
            objectName: "inEnable"
            xname: qsTrId("IRImage_MTEnable")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            onXvalueChanged: root._changed = true
        }
        XInputFloat {
            id: inTemp0
            objectName: "inTemp0"
            xname: qsTrId("IRImage_MTTemp0")
            xpanelNameWidth: 150; xpanelValueWidth: 250
            onXvalueChanged: root._changed = true
        }
        XInputFloat {
            id: inTemp1
            objectName: "inTemp1"
            xname: qsTrId("IRImage_MTTemp1")
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
