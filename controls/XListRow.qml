import QtQuick

// A row of XListView: its template `xrow` holds one cell per column; the row gives each cell the
// view and its column's width.
Rectangle {
    id: root
    required property int index
    property XListView xview: null
    property Item xrow: null

    width: xview ? xview.width : 0
    height: xview ? xview.xrowHeight : 40
    color: XTheme.form_colors4[!xview ? 0 : xview.xcurrentRow === index ? 3 : xview.xhoverRow === index ? 2 : 0]

    function layoutCellArray() {
        if (!xrow || !xview)
            return
        for (let i = 0; i < xrow.children.length; ++i) {
            const cell = xrow.children[i]
            cell.xview = xview
            cell.width = xview.getColumnWidth(i)
        }
    }

    onWidthChanged: layoutCellArray()
    Component.onCompleted: {
        if (xrow)
            xrow.parent = root
        layoutCellArray()
    }

    MouseArea {
        anchors.fill: parent
        onClicked: root.xview.xcurrentRow = root.index
    }
    // A hover handler sees the mouse over the cells too. Leaving clears the mark only while it
    // still names this row: the next row may have entered first.
    HoverHandler {
        onHoveredChanged: {
            if (!root.xview)
                return
            if (hovered)
                root.xview.xhoverRow = root.index
            else if (root.xview.xhoverRow === root.index)
                root.xview.xhoverRow = -1
        }
    }

    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: XTheme.border_color
        z: 1
    }
}
