import QtQuick

// The tick of the row's element (`edit_select`) and the row's number from 1.
Row {
    id: root
    property var xview: null
    readonly property XListRow _xlistRow: parent ? parent.parent as XListRow : null
    readonly property int _xindex: _xlistRow ? _xlistRow.index : -1
    readonly property var _xelement: {
        // Read again after each selection operation of the view.
        const revision = xview ? xview._xselectRevision : 0
        return xview && revision >= 0 ? xview.xelement(_xindex) : null
    }

    width: 100
    height: 40
    leftPadding: xview ? xview.xmargin : 12
    spacing: 4

    XSelectBox {
        objectName: "xselectBox"
        anchors.verticalCenter: parent.verticalCenter
        checked: root._xelement ? root._xelement.edit_select === true : false
        onClicked: {
            if (!root._xelement)
                return
            root._xelement.edit_select = checked
            root.xview.xselectUpdate()
        }
    }
    XText {
        height: root.height
        text: root._xindex + 1
    }
}
