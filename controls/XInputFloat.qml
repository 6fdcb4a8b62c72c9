import QtQml
import "XInputRules.js" as Rules

// Labelled decimal input shown with `xformat` decimals; an accepted edit reaches `xvalue` when
// editing finishes, any other text stays as typed and marked.
XInputBase {
    id: root
    property double xvalue: 0
    property alias xplaceholderText: field.placeholderText
    property alias xvalidator: field.validator
    property alias xmaximumLength: field.maximumLength
    property int xrule_rangeType: 0
    property double xrule_rangeMin: 0
    property double xrule_rangeMax: 0
    property int xformat: 1
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
        field.text = xvalue.toFixed(xformat)
        Rules.checkText(root, field.text, false)
    }

    onXvalueChanged: model2view()
    onXrule_isInputValidChanged: Rules.viewMarked(root)

    XInputField {
        id: field
        parent: root.xpanelValueLoader
        anchors.fill: parent
        xvalueMargin: root.xvalueMargin
        readOnly: root.xreadonly
        onTextChanged: Rules.checkText(root, text, false)
        onEditingFinished: Rules.finishEdit(root, text, false)
    }

    Component.onCompleted: {
        model2view()
        if (xrule_rangeType > 0)
            xtip = xtip + " " + qsTrId("ValueRange") + " " + Rules.rangeText(xrule_rangeType,
                xrule_rangeMin.toFixed(xformat), xrule_rangeMax.toFixed(xformat))
    }
}
