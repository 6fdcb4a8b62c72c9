import QtQuick

// Places its items in a rows x columns grid. Each entry of rowHeightArray / columnWidthArray
// above 1 is a size in pixels; an entry of 1 or less is a share of what the fixed sizes leave.
// Negative shares count as 0; with no share at all, share rows get 0; when the fixed sizes
// exceed the grid, share rows get 0 rather than negative sizes.
Item {
    id: root
    default property list<Item> xchildren
    property int rows: 2
    property int columns: 2
    property real unitMargin: 4
    property var rowHeightArray: []
    property var columnWidthArray: []
    property var rowHeightLut: []
    property var columnWidthLut: []
    // Sizes set while the grid is being created must not reset the arrays before they arrive.
    property bool _xcompleted: false

    function _sizes(entries, total) {
        let fixed = 0
        let shares = 0
        for (let i = 0; i < entries.length; ++i) {
            const t = entries[i]
            if (t > 1)
                fixed += t
            else
                shares += Math.max(t, 0)
        }
        const remaining = Math.max(total - fixed, 0)
        const out = []
        for (let i = 0; i < entries.length; ++i) {
            const t = entries[i]
            if (t > 1)
                out.push(t)
            else
                out.push(shares > 0 ? remaining * Math.max(t, 0) / shares : 0)
        }
        return out
    }

    function _equalShares(count) {
        const out = []
        for (let i = 0; i < count; ++i)
            out.push(0.1)
        return out
    }

    function calcLayout() {
        // A list that does not match the count is replaced by equal shares.
        if (!rowHeightArray || rowHeightArray.length !== rows)
            rowHeightArray = _equalShares(rows)
        if (!columnWidthArray || columnWidthArray.length !== columns)
            columnWidthArray = _equalShares(columns)
        rowHeightLut = _sizes(rowHeightArray, height)
        columnWidthLut = _sizes(columnWidthArray, width)
    }

    function getUnitX(col) {
        let x = 0
        for (let j = 0; j < col && j < columnWidthLut.length; ++j)
            x += columnWidthLut[j]
        return x
    }

    function getUnitY(row) {
        let y = 0
        for (let i = 0; i < row && i < rowHeightLut.length; ++i)
            y += rowHeightLut[i]
        return y
    }

    function applyLayout() {
        let k = 0
        for (let i = 0; i < rows; ++i) {
            for (let j = 0; j < columns; ++j, ++k) {
                if (k >= xchildren.length)
                    return
                const item = xchildren[k]
                item.x = getUnitX(j) + unitMargin
                item.y = getUnitY(i) + unitMargin
                item.width = Math.max(columnWidthLut[j] - 2 * unitMargin, 0)
                item.height = Math.max(rowHeightLut[i] - 2 * unitMargin, 0)
            }
        }
    }

    function layout() {
        if (rows <= 0 || columns <= 0)
            return
        calcLayout()
        applyLayout()
    }

    onWidthChanged: if (_xcompleted) layout()
    onHeightChanged: if (_xcompleted) layout()

    Component.onCompleted: {
        for (let k = 0; k < xchildren.length; ++k)
            xchildren[k].parent = root
        _xcompleted = true
        layout()
    }
}
