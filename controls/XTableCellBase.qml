import QtQuick

// A cell of XTableView: the row colouring and a holder for the content item `xcell`.
Rectangle {
    id: root
    required property int row
    property XTableView xview: null
    property Item xcell: null

    implicitHeight: xview ? xview.xrowHeight : 40
    color: XTheme.form_colors4[!xview ? 0 : xview.xcurrentRow === row ? 2 : xview.xhoverRow === row ? 1 : 0]

    Component.onCompleted: {
        if (xcell)
            xcell.parent = holder
    }

    MouseArea {
        anchors.fill: parent
        onClicked: root.xview.xcurrentRow = root.row
    }
    // Every cell of the row reacts, so the whole row is coloured.
    HoverHandler {
        onHoveredChanged: {
            if (!root.xview)
                return
            if (hovered)
                root.xview.xhoverRow = root.row
            else if (root.xview.xhoverRow === root.row)
                root.xview.xhoverRow = -1
        }
    }
    Item {
        id: holder
        anchors.fill: parent
    }
    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: XTheme.border_color
    }
}
