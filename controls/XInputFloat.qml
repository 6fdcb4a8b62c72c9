import QtQml
import "XInputRules.js" as Rules

// Labelled decimal input shown with `xformat` decimals; the edit reaches `xvalue` when editing
// finishes.
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
    property bool _xnotNumber: false
    property bool _xvalidBeforeNotNumber: true

    function init(v) {
        if (v === xvalue)
            return
        xvalue = v
        model2view()
    }

    function model2view() {
        field.text = xvalue.toFixed(xformat)
    }

    onXvalueChanged: model2view()

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
