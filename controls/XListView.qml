import QtQuick
import QtQuick.Controls

// Multi-column list: a header of captions over a scrolling list whose rows share the header's
// column widths, with an optional selection column. The tick of a row is its element's
// `edit_select`.
Rectangle {
    id: root
    property int xrowHeight: 40
    property int xheaderHeight: 30
    property var xcolumnWidthArray: []
    property var xcolumnNameArray: []
    // Kept here as given: the list view's own copy of an array holds copies of its objects, so
    // ticks must be written through this reference.
    property var model: null
    property alias delegate: list.delegate
    // The model kind the original callers declared; selection uses `xmodelType`, derived from the
    // model itself, so a wrong declaration cannot address rows the wrong way.
    property int modeType: 0
    property alias xcurrentRow: list.currentIndex
    property int xhoverRow: -1
    readonly property alias xsection: list.section
    property real xmargin: 12
    property bool xselectEnable: false
    property bool xselectAll: false
    property int xselectRows: 0
    property int xmodelType: 0
    // Rises with every selection operation, so tick boxes over plain objects, which signal no
    // change of their own, read their element again.
    property int _xselectRevision: 0
    readonly property ListView _xlist: list

    color: XTheme.background_color

    onModelChanged: xmodelType = _xkindOf(model)

    function _xkindOf(m) {
        if (m !== null && m !== undefined && typeof m === "object") {
            if (typeof m.length === "number")
                return 0
            if (typeof m.count === "number")
                return 1
        }
        return 0
    }

    function xcount() {
        const m = model
        if (m === null || m === undefined)
            return 0
        const n = xmodelType === 0 ? m.length : m.count
        return typeof n === "number" ? n : 0
    }

    function xelement(row) {
        if (row < 0 || row >= xcount())
            return null
        return xmodelType === 0 ? model[row] : model.get(row)
    }

    // Column widths: more than 1 is pixels, 1 or less a share of what the pixel columns leave.
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

    function xselectUpdate() {
        const all = xcount()
        let ticked = 0
        for (let i = 0; i < all; ++i) {
            if (xelement(i).edit_select)
                ++ticked
        }
        xselectRows = ticked
        xselectAll = all > 0 && ticked === all
        ++_xselectRevision
    }

    // "All ticked" needs at least one row: an empty list is never all ticked.
    function xselectAllDo(b) {
        const all = xcount()
        for (let i = 0; i < all; ++i)
            xelement(i).edit_select = b
        xselectAll = b && all > 0
        xselectRows = b ? all : 0
        ++_xselectRevision
    }

    function updateSelect(row, value) {
        const e = xelement(row)
        if (e)
            e.edit_select = value
        xselectUpdate()
    }

    function layoutHead() {
        header.layoutHead()
    }

    function initHead() {
        header.initHead()
    }

    Component.onCompleted: initHead()

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
        xcheckedColor: XTheme.color_primary
    }

    ListView {
        id: list
        y: root.xheaderHeight
        width: root.width
        height: root.height - root.xheaderHeight
        model: root.model
        clip: true
        ScrollBar.vertical: ScrollBar {}
    }
}
