pragma ComponentBehavior: Bound
import QtQuick

// The header row shared by the list and the table: column captions laid out by the view's
// column widths, with an optional tick-all box in column 0.
Rectangle {
    id: root
    // The list or table view: getColumnWidth, xselectAllDo, xselectAll, xmargin.
    property var xview: null
    property var xnames: []
    property bool xselectEnable: false
    property bool xselectAll: false
    property real xmargin: 12
    property color xbarColor: XTheme.border_color_light
    property color xcheckedColor: XTheme.color_primary
    property color xuncheckedColor: XTheme.color_transparent
    readonly property Row xcells: cellRow

    color: XTheme.form_color_head

    function initHead() {
        const old = []
        for (let i = 0; i < cellRow.children.length; ++i)
            old.push(cellRow.children[i])
        for (const c of old) {
            c.parent = null
            c.destroy()
        }
        let col = 0
        if (xselectEnable) {
            selectCell.createObject(cellRow)
            col = 1
        }
        const n = xnames ? xnames.length : 0
        for (; col < n; ++col)
            plainCell.createObject(cellRow)
        layoutHead()
    }

    function layoutHead() {
        if (!xview)
            return
        for (let i = 0; i < cellRow.children.length; ++i) {
            const c = cellRow.children[i]
            c.width = xview.getColumnWidth(i)
            c.head = xnames && i < xnames.length ? String(xnames[i]) : ""
        }
    }

    Row {
        id: cellRow
        width: parent.width
        height: parent.height
        onWidthChanged: root.layoutHead()
    }

    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: XTheme.border_color
    }

    Component {
        id: plainCell
        Item {
            id: cell
            property string head: ""
            height: root.height
            Rectangle {
                width: 2
                height: 24
                anchors.verticalCenter: parent.verticalCenter
                color: root.xbarColor
            }
            XText {
                x: root.xmargin
                width: cell.width - root.xmargin
                height: cell.height
                text: cell.head
                font.bold: true
                font.pointSize: XTheme.font_size
                elide: Text.ElideRight
            }
        }
    }

    Component {
        id: selectCell
        Row {
            id: cell
            property string head: ""
            height: root.height
            leftPadding: root.xmargin
            spacing: 4
            XSelectBox {
                objectName: "xselectAllBox"
                anchors.verticalCenter: parent.verticalCenter
                checked: root.xselectAll
                xcheckedColor: root.xcheckedColor
                xuncheckedColor: root.xuncheckedColor
                onClicked: root.xview.xselectAllDo(checked)
            }
            XText {
                height: cell.height
                text: cell.head
                font.bold: true
                font.pointSize: XTheme.font_size
            }
        }
    }
}
