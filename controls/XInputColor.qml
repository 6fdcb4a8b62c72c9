import QtQml

// Labelled colour picker; `xvalue` is the picker's colour.
XInputBase {
    id: root
    property alias xvalue: picker.xcolor

    function init(v) {
        if (Qt.colorEqual(v, xvalue))
            return
        xvalue = v
    }

    XColorPicker {
        id: picker
        parent: root.xpanelValueLoader
        anchors.fill: parent
    }
}
