import QtQuick
import QtTest
import Kiv 1.0
import KivTest 1.0

TestCase {
    id: testCase
    name: "XTableView"
    width: 600
    height: 400
    visible: true
    when: windowShown

    SelectTableModel { id: tableModel; rows: 3 }
    SelectTableModel { id: emptyTable; rows: 0 }

    Component {
        id: tableComponent
        XTableView {
            id: view
            width: 600
            height: 300
            xselectEnable: true
            xcolumnWidthArray: [100, 0.5, 0.5]
            xcolumnNameArray: ["", "A", "B"]
            delegate: Loader {
                id: cell
                required property int row
                required property int column
                required property var model
                required property var display
                sourceComponent: column === 0 ? selectCell : textCell
                Component {
                    id: selectCell
                    XTableCellSelect { objectName: "select" + cell.row; xview: view; row: cell.row; model: cell.model }
                }
                Component {
                    id: textCell
                    XTableCellText { objectName: "text" + cell.row; xview: view; row: cell.row; xtext: cell.display }
                }
            }
        }
    }

    function make(model) {
        const v = createTemporaryObject(tableComponent, testCase, { model: model })
        v._xtable.forceLayout()
        return v
    }
    function cell(v, name) {
        let found = null
        tryVerify(() => (found = findChild(v._xtable, name)) !== null)
        return found
    }

    function test_selectionThroughTheModel() {
        tableModel.xselectAll = false
        const v = make(tableModel)
        compare(v.getColumnWidth(1), 250)
        for (let r = 0; r < 3; ++r) {
            verify(!v.xselectAll)
            mouseClick(findChild(cell(v, "select" + r), "xselectBox"))
            compare(tableModel.data(tableModel.index(r, 0)), true)
        }
        compare(v.xselectRows, 3)
        verify(v.xselectAll, "ticking the last row ticks every row")
        verify(findChild(v, "xselectAllBox").checked)
        mouseClick(findChild(v, "xselectAllBox"))
        compare(v.xselectRows, 0)
        verify(!tableModel.xselectAll)
        verify(!findChild(cell(v, "select1"), "xselectBox").checked)
    }

    function test_zeroRows() {
        const v = make(emptyTable)
        v.xselectUpdate()
        compare(v.xselectRows, 0)
        verify(!v.xselectAll)
        v.xselectAllDo(true)
        compare(v.xselectRows, 0)
        verify(!v.xselectAll)
    }

    function test_rowColouring() {
        const v = make(tableModel)
        const text = cell(v, "text2")
        mouseMove(text, 10, 10)
        tryCompare(v, "xhoverRow", 2)
        verify(Qt.colorEqual(cell(v, "select2").color, XTheme.form_colors4[1]))
        mouseClick(text, 10, 10)
        compare(v.xcurrentRow, 2)
        verify(Qt.colorEqual(cell(v, "select2").color, XTheme.form_colors4[2]))
        verify(Qt.colorEqual(cell(v, "select1").color, XTheme.form_colors4[0]))
    }
}
