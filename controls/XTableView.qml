import QtQuick
import QtQuick.Controls
import QtQml.Models

// The table counterpart of XListView over a two-dimensional item model. The model keeps the
// ticks: column 0's display data is a row's tick, the role `edit_select` reads and writes it,
// and a writable `xselectAll` ticks or clears every row.
Rectangle {
    id: root
    property int xrowHeight: 40
    property int xheaderHeight: 40
    property int xmargin: 12
    property var xcolumnWidthArray: []
    property var xcolumnNameArray: []
    property alias model: table.model
    property alias delegate: table.delegate
    property int xcurrentRow: -1
    property int xhoverRow: -1
    property bool xselectEnable: false
    property bool xselectAll: false
    property int xselectRows: 0
    readonly property TableView _xtable: table

    color: XTheme.background_color

    function getColumnWidth(col) {
        const a = xcolumnWidthArray
        const w = a[col]
        if (w > 1)
            return w
        let pixels = 0
        let shares = 0
        for (let i = 0; i < a.length; ++i) {
            if (a[i] > 1)
                pixels += a[i]
            else
                shares += a[i]
        }
        return (width - pixels) * w / shares
    }

    function _xrowCount() {
        return model ? model.rowCount() : 0
    }

    function xselectUpdate() {
        const all = _xrowCount()
        let ticked = 0
        for (let i = 0; i < all; ++i) {
            if (model.data(model.index(i, 0)))
                ++ticked
        }
        xselectRows = ticked
        xselectAll = all > 0 && ticked === all
    }

    // "All ticked" needs at least one row: an empty table is never all ticked.
    function xselectAllDo(b) {
        if (model)
            model.xselectAll = b
        const all = _xrowCount()
        xselectRows = b ? all : 0
        xselectAll = b && all > 0
    }

    function layoutHead() {
        header.layoutHead()
    }

    function initHead() {
        header.initHead()
    }

    Component.onCompleted: initHead()
    onWidthChanged: table.forceLayout()

    XListHeader {
        id: header
        objectName: "xheader"
        width: root.width
        height: root.xheaderHeight
        xview: root
        xnames: root.xcolumnNameArray
        xselectEnable: root.xselectEnable
        xselectAll: root.xselectAll
        xmargin: root.xmargin
        xbarColor: XTheme.border_color
        xcheckedColor: "#4087F0"
        xuncheckedColor: "#00000000"
    }

    TableView {
        id: table
        y: root.xheaderHeight
        width: root.width
        height: root.height - root.xheaderHeight
        clip: true
        columnWidthProvider: function (col) {
            return root.getColumnWidth(col)
        }
        // Its own selection model, which nothing else uses. The type information Qt 6.4 ships does
        // not know the property's type.
        selectionModel: ItemSelectionModel { // qmllint disable
            model: table.model
        }
        ScrollBar.vertical: ScrollBar {}
    }
}
