import QtQuick
import Kiv 1.0
import "Checks.js" as Checks

// A table cell over one number of a calibration row. It shows the row's value, also after the row
// changes from elsewhere (a read, a reload). Finishing an edit writes the typed number into the
// row at once when it is a number within [xmin, xmax] (a whole one with `xintegral`), and the cell
// then shows the row's value (the row may refuse it). Any other text, typed or read as NaN or
// infinity, stays as it stands and is marked, and `xcellValid` tells the editor's write not to go
// out: the write must not send the row's old value while the cell shows something else.
Item {
    id: root
    property var xview: null
    property var xtarget: null
    property string xprop: ""
    property int xformat: 1
    property real xmin: -273.1
    property real xmax: 3000
    property bool xintegral: false
    // 0: the box fills the cell; otherwise its width, 32 high.
    property real xboxWidth: 0
    readonly property real _xshown: xtarget && xprop !== "" ? xtarget[xprop] : 0
    readonly property bool xcellValid: !isNaN(xintegral ? Checks.parseIntIn(box.text, xmin, xmax)
                                                        : Checks.parseRealIn(box.text, xmin, xmax))
    implicitWidth: 80
    implicitHeight: 40

    function _xshow() {
        box.text = xintegral ? String(root._xshown) : Number(root._xshown).toFixed(root.xformat)
    }
    on_XshownChanged: _xshow()
    Component.onCompleted: _xshow()

    XTextBox {
        id: box
        objectName: "cell_" + root.xprop
        x: root.xboxWidth > 0 ? 0 : 4
        y: 4
        width: root.xboxWidth > 0 ? root.xboxWidth : root.width - 8
        height: root.xboxWidth > 0 ? 32 : root.height - 8
        enabled: root.enabled
        onEditingFinished: {
            if (!root.xcellValid)
                return
            if (root.xtarget)
                root.xtarget[root.xprop] = Number(text.trim())
            root._xshow()
        }
        InvalidFrame { visible: !root.xcellValid }
    }
}
