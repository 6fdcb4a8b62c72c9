import QtQuick
import Kiv 1.0

// The 40-high bar under a dialog's content. Config dialogs put their 80 x 30 buttons at the right
// end, 20 apart and 20 from the edge; prompts spread theirs over a one-row grid (`xgrid`).
Rectangle {
    id: root
    property var xtexts: []
    property bool xgrid: false
    property real xunitMargin: 8
    signal xclicked(int index)

    width: parent ? parent.width : 0
    height: 40
    color: "#222222"

    function button(index) { return (xgrid ? grid.xchildren : row.children)[index] || null }

    Row {
        id: row
        visible: !root.xgrid
        anchors.right: parent.right
        anchors.rightMargin: 20
        anchors.verticalCenter: parent.verticalCenter
        spacing: 20
        Repeater {
            model: root.xgrid ? [] : root.xtexts
            XButtonText {
                required property string modelData
                required property int index
                objectName: "btn" + modelData
                width: 80; height: 30
                text: qsTrId(modelData)
                onClicked: root.xclicked(index)
            }
        }
    }

    Component {
        id: gridButton
        XButtonText {
            property int xindex: 0
            property string xid: ""
            objectName: "btn" + xid
            text: qsTrId(xid)
            onClicked: root.xclicked(xindex)
        }
    }
    XGrid {
        id: grid
        visible: root.xgrid
        anchors.fill: parent
        rows: 1
        columns: Math.max(root.xtexts.length, 1)
        unitMargin: root.xunitMargin
    }
    Component.onCompleted: {
        if (!xgrid)
            return
        const items = []
        for (let i = 0; i < xtexts.length; ++i)
            items.push(gridButton.createObject(grid, { xindex: i, xid: xtexts[i] }))
        grid.xchildren = items
        grid.layout()
    }
}
