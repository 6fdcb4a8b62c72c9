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

    Component.onCompleted: {
        model2view()
        if (xrule_rangeType > 0)
            xtip = xtip + " " + qsTrId("ValueRange") + " "
                + Rules.rangeText(xrule_rangeType, String(xrule_rangeMin), String(xrule_rangeMax))
    }
}
