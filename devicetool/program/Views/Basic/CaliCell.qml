import QtQuick
import Kiv 1.0

// A table cell over one number of a calibration row. Finishing an edit writes the typed number
// into the row at once; text that is not a finite number is not written, and the cell shows the
// row's value again (the row may also refuse the value).
Item {
    id: root
    property var xview: null
    property var xtarget: null
    property string xprop: ""
    property int xformat: 1
    readonly property real _xshown: xtarget && xprop !== "" ? xtarget[xprop] : 0
    implicitWidth: 80
    implicitHeight: 40

    function _xshow() {
        box.text = Number(root._xshown).toFixed(root.xformat)
    }
    on_XshownChanged: _xshow()
    Component.onCompleted: _xshow()

    XTextBox {
        id: box
        objectName: "cell_" + root.xprop
        anchors.fill: parent
        anchors.margins: 4
        enabled: root.enabled
        onEditingFinished: {
            const t = text.trim()
            const v = Number(t)
            if (root.xtarget && t !== "" && isFinite(v))
                root.xtarget[root.xprop] = v
            root._xshow()
        }
    }
}
