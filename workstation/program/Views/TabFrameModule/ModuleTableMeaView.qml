pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// The measurement table: the live results of measurement items, grouped by their image under
// a band with the image's name (the list keeps each image's items together). The current row is
// the selected item everywhere.
Rectangle {
    id: root
    property var module: null
    property alias list: list

    anchors.fill: parent
    anchors.margins: 2
    color: "#111111"

    // A row: its cells get the list and their column's width, again whenever the width changes.
    // The first row of each image carries the image's band above it.
    component XListRowCustom: Rectangle {
        id: row
        required property int index
        property XListView xview: null
        property string xsection: ""
        readonly property bool xsectionFirst: index === 0 || !xview || !xview.xelement(index - 1)
            || xview.xelement(index - 1).tfm_inputNameShort !== xsection
        readonly property int xbandHeight: xsectionFirst ? 30 : 0
        default property alias xcells: cells.data
        width: xview ? xview.width : 0
        height: (xview ? xview.xrowHeight : 30) + xbandHeight
        color: XTheme.form_colors4[0]

        function layoutCellArray() {
            if (!xview)
                return
            for (let i = 0; i < cells.children.length; ++i) {
                cells.children[i].xview = xview
                cells.children[i].width = xview.getColumnWidth(i)
                cells.children[i].height = xview.xrowHeight
            }
        }
        onWidthChanged: layoutCellArray()
        Component.onCompleted: layoutCellArray()

        Rectangle {
            objectName: "section"
            width: parent.width
            height: row.xbandHeight
            visible: row.xsectionFirst
            color: "#000000"
            XText {
                x: 8
                anchors.verticalCenter: parent.verticalCenter
                text: row.xsection
                font.bold: true
            }
        }
        MouseArea {
            y: row.xbandHeight
            width: parent.width
            height: parent.height - row.xbandHeight
            hoverEnabled: true
            onEntered: row.xview.xhoverRow = row.index
            onExited: if (row.xview.xhoverRow === row.index) row.xview.xhoverRow = -1
            onClicked: row.xview.xcurrentRow = row.index
        }
        Row { id: cells; y: row.xbandHeight; height: parent.height - row.xbandHeight }
    }

    // The name cell: current-row marker, the item's colour, its name and its delete button.
    component XListCellCustom: Item {
        id: cell
        property var xview: null
        property var item: null
        property bool current: false
        Rectangle { x: 2; y: 5; width: 6; height: 20; color: "#1780ec"; visible: cell.current }
        Rectangle { x: 14; y: 10; width: 10; height: 10; color: cell.item ? cell.item.meaColor : "transparent" }
        XText {
            x: 30; width: 100
            anchors.verticalCenter: parent.verticalCenter
            text: cell.item ? cell.item.meaName : ""
            elide: Text.ElideRight
        }
        XButtonSvg {
            objectName: "btnMeaDelete"
            x: 128; y: 5
            width: 20; height: 20; iconWidth: 18; iconHeight: 18
            iconSource: "qrc:/Icons/close.svg"
            _xfgbgbo: XTheme.fgbgbo_delete
            onClicked: root.module.mea_delete(cell.item)
        }
    }

    // The item of the current row. A new list replaces the model, on which the view moves its
    // current row to the first one; the row of this item is made current again instead, so that
    // adding or removing a row selects nothing else anywhere.
    property var _currentItem: null
    property bool _replacing: false

    function showList() {
        _replacing = true
        const items = module ? module.meaList : []
        list.model = items
        let row = -1
        for (let i = 0; i < items.length; ++i) {
            if (items[i] === _currentItem)
                row = i
        }
        list.xcurrentRow = row
        _replacing = false
        if (row < 0)
            _currentItem = null
    }

    Connections {
        target: root.module
        function onMeaListChanged() { root.showList() }
    }

    Component.onCompleted: {
        console.log("create module " + module.viewName)
        showList()
    }

    XListView {
        id: list
        objectName: "meaList"
        anchors.fill: parent
        xrowHeight: 30
        xcolumnWidthArray: [150, 0.1, 0.1, 0.1]
        xcolumnNameArray: [qsTrId("Name"), qsTrId("Avg"), qsTrId("Max"), qsTrId("Min")]
        // A valid current row selects its item in the menu bar's list and on its canvas.
        onXcurrentRowChanged: {
            if (root._replacing)
                return
            const item = xelement(xcurrentRow)
            root._currentItem = item
            if (item)
                CApp.tempCanvasManager.meaSelected = item
        }
        delegate: XListRowCustom {
            id: meaRow
            required property var modelData
            xview: list
            xsection: modelData.tfm_inputNameShort
            XListCellCustom { item: meaRow.modelData; current: list.xcurrentRow === meaRow.index }
            XListCellText { xtext: meaRow.modelData.result_avg }
            XListCellText { xtext: meaRow.modelData.result_max }
            XListCellText { xtext: meaRow.modelData.result_min }
        }
    }

    XButtonSvg {
        objectName: "btnCopyImage"
        x: root.width - 50; y: root.height - 50
        width: 40; height: 40
        iconSource: "qrc:/Icons/image.svg"; xtip: qsTrId("CopyToClipboardAsImage")
        onClicked: CApp.grab(list, "")
    }
}
