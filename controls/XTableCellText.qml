import QtQuick

XTableCellBase {
    id: root
    property string xtext: ""
    property color xtextColor: XTheme.text_color
    xcell: XText {
        x: root.xview ? root.xview.xmargin : 12
        width: root.width - x
        height: root.height
        text: root.xtext
        color: root.xtextColor
        elide: Text.ElideRight
    }
}
