import QtQuick

// The row's tick (the model's `edit_select`) and the row's number from 1.
XTableCellBase {
    id: root
    required property var model
    xcell: Row {
        width: root.width
        height: root.height
        leftPadding: root.xview ? root.xview.xmargin : 12
        spacing: 4
        XSelectBox {
            objectName: "xselectBox"
            anchors.verticalCenter: parent.verticalCenter
            xcheckedColor: "#4087F0"
            xuncheckedColor: "#00000000"
            checked: root.model.edit_select === true
            onClicked: {
                root.model.edit_select = checked
                if (root.xview)
                    root.xview.xselectUpdate()
            }
        }
        XText {
            height: root.height
            text: root.row + 1
        }
    }
}
