import QtQuick

// Labelled text input: `xvalue` is the field's text, so every keystroke is a change.
XInputBase {
    id: root
    property alias xvalue: field.text
    property alias xplaceholderText: field.placeholderText
    property alias xvalidator: field.validator
    property alias xmaximumLength: field.maximumLength
    property bool xrule_notNull: false

    function init(v) {
        if (v === xvalue)
            return
        xvalue = v
    }

    function model2view() {
    }

    XInputField {
        id: field
        parent: root.xpanelValueLoader
        anchors.fill: parent
        xvalueMargin: root.xvalueMargin
        readOnly: root.xreadonly
        // A long path shows on several lines in a taller row.
        wrapMode: TextInput.WrapAnywhere
        autoScroll: true
        selectedTextColor: XTheme.color_info_light_5
        onTextChanged: {
            if (root.xrule_notNull)
                root.xrule_isInputValid = text !== ""
        }
    }

    Component.onCompleted: {
        if (xrule_notNull)
            xtip = xtip + " " + qsTrId("ValueNotNull") + " "
    }
}
