import QtQml
import "XInputRules.js" as Rules

// Labelled whole-number input; the edit reaches `xvalue` when editing finishes.
XInputBase {
    id: root
    property int xvalue: 0
    property alias xplaceholderText: field.placeholderText
    property alias xvalidator: field.validator
    property alias xmaximumLength: field.maximumLength
    property int xrule_rangeType: 0
    property int xrule_rangeMin: 0
    property int xrule_rangeMax: 0
    property bool _xnotNumber: false
    property bool _xvalidBeforeNotNumber: true

    function init(v) {
        if (v === xvalue)
            return
        xvalue = v
        model2view()
    }

    function model2view() {
        field.text = String(xvalue)
    }

    onXvalueChanged: model2view()

    XInputField {
        id: field
        parent: root.xpanelValueLoader
        anchors.fill: parent
        xvalueMargin: root.xvalueMargin
        readOnly: root.xreadonly
        onTextChanged: Rules.checkText(root, text, true)
        onEditingFinished: Rules.finishEdit(root, text, true)
    }

    // The tip names the range; a range set later (from the data it limits) renews it.
    property string _xtipOwn: ""
    property bool _xtipReady: false
    function _xupdateRangeTip() {
        if (!_xtipReady)
            return
        xtip = xrule_rangeType > 0
            ? _xtipOwn + " " + qsTrId("ValueRange") + " "
              + Rules.rangeText(xrule_rangeType, String(xrule_rangeMin), String(xrule_rangeMax))
            : _xtipOwn
    }
    onXrule_rangeMinChanged: _xupdateRangeTip()
    onXrule_rangeMaxChanged: _xupdateRangeTip()
    onXrule_rangeTypeChanged: _xupdateRangeTip()

    Component.onCompleted: {
        model2view()
        _xtipOwn = xtip
        _xtipReady = true
        _xupdateRangeTip()
    }
}
