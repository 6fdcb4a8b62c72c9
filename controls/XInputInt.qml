import QtQml
import "XInputRules.js" as Rules

// Labelled whole-number input; an accepted edit reaches `xvalue` when editing finishes, any other
// text stays as typed and marked.
XInputBase {
    id: root
    property int xvalue: 0
    property alias xplaceholderText: field.placeholderText
    property alias xvalidator: field.validator
    property alias xmaximumLength: field.maximumLength
    property int xrule_rangeType: 0
    property int xrule_rangeMin: 0
    property int xrule_rangeMax: 0
    // The field holds a text the input does not accept (see XInputRules.js), and the view's
    // own mark to give back once it does.
    property bool _xbadText: false
    property bool _xviewMark: true
    property bool _xownMark: false

    function init(v) {
        Rules.init(root, field, v)
    }

    // The check runs also when the text stays the same: the bounds may have changed since.
    function model2view() {
        field.text = String(xvalue)
        Rules.checkText(root, field.text, true)
    }

    onXvalueChanged: model2view()
    onXrule_isInputValidChanged: Rules.viewMarked(root)

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
