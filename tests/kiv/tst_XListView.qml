import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XListView"
    width: 1000
    height: 400
    visible: true
    when: windowShown

    ListModel {
        id: listModel
        ListElement { name: "a"; edit_select: false }
        ListElement { name: "b"; edit_select: false }
        ListElement { name: "c"; edit_select: false }
    }
    ListModel { id: emptyModel }

    Component {
        id: viewComponent
        XListView {
            id: view
            width: 1000
            height: 300
            xselectEnable: true
            xcolumnWidthArray: [80, 180, 150, 250, 250, 0.1]
            xcolumnNameArray: ["", "A", "B", "C", "D", "E"]
            delegate: XListRow {
                id: row
                xview: view
                xrow: Row {
                    XListCellSelect {}
                    XListCellText { xtext: "t" }
                    XListCellEdit {
                        objectName: "edit" + row.index
                        xrow: row.index
                        xeditNames: ["Show", "Delete"]
                        xeditColors: ["#00ff00", "#ff0000"]
                    }
                }
            }
        }
    }

    function make(model) {
        const v = createTemporaryObject(viewComponent, testCase, { model: model })
        tryVerify(() => v._xlist.count === 0 || v._xlist.itemAtIndex(v._xlist.count - 1) !== null)
        return v
    }
    function selectBox(v, row) {
        return findChild(v._xlist.itemAtIndex(row), "xselectBox")
    }

    function test_columnWidthsAndHeader() {
        const v = make([])
        compare(v.getColumnWidth(0), 80)
        compare(v.getColumnWidth(5), 90)
        v.xcolumnWidthArray = [100, 1]
        compare(v.getColumnWidth(1), 900, "a share of exactly 1 is the whole leftover width")
        v.xcolumnWidthArray = [80, 180, 150, 250, 250, 0.1]
        // One selection header cell and five plain ones, laid out by the same widths.
        const cells = findChild(v, "xheader").xcells.children
        compare(cells.length, 6)
        verify(findChild(cells[0], "xselectAllBox") !== null)
        compare(cells[1].head, "A")
        compare(cells[5].width, 90)
    }

    // Rows are found by the model's own kind, whatever the view's declared kind says.
    function test_selection_data() {
        return [
            { tag: "array", model: () => [{ edit_select: false }, { edit_select: false }, { edit_select: false }], kind: 0 },
            { tag: "list model", model: () => listModel, kind: 1 }
        ]
    }
    function test_selection(data) {
        const model = data.model()
        for (let i = 0; i < 3; ++i)
            (data.kind === 0 ? model[i] : model.get(i)).edit_select = false
        const v = make(model)
        compare(v.xmodelType, data.kind)
        compare(v.modeType, 0)
        v.updateSelect(0, true)
        compare(v.xselectRows, 1)
        verify(selectBox(v, 0).checked)
        // Ticking the last unticked row by its box ticks the header.
        mouseClick(selectBox(v, 1))
        verify(!v.xselectAll)
        mouseClick(selectBox(v, 2))
        compare(v.xselectRows, 3)
        verify(v.xselectAll)
        verify(findChild(v, "xselectAllBox").checked)
        // The tick mark does not swallow the click that clears it.
        mouseClick(selectBox(v, 1))
        verify(!v.xselectAll)
        verify(!findChild(v, "xselectAllBox").checked)
        // The header box ticks every row, and the rows' boxes follow.
        mouseClick(findChild(v, "xselectAllBox"))
        verify(v.xselectAll)
        compare(v.xselectRows, 3)
        for (let i = 0; i < 3; ++i)
            verify(selectBox(v, i).checked, "row " + i)
        v.xselectAllDo(false)
        compare(v.xselectRows, 0)
        verify(!selectBox(v, 2).checked)
    }

    function test_zeroRows_data() {
        return [{ tag: "array", model: [] }, { tag: "list model", model: emptyModel }]
    }
    function test_zeroRows(data) {
        const v = make(data.model)
        v.xselectUpdate()
        compare(v.xselectRows, 0)
        verify(!v.xselectAll)
        v.xselectAllDo(true)
        compare(v.xselectRows, 0)
        verify(!v.xselectAll, "no row is not every row ticked")
    }

    function test_actionMakesRowCurrentFirst() {
        const v = make([{ edit_select: false }, { edit_select: false }, { edit_select: false }])
        const edit = findChild(v._xlist.itemAtIndex(2), "edit2")
        let currentAtClick = -2
        let action = -1
        edit.clicked.connect(function (i) { currentAtClick = v.xcurrentRow; action = i })
        const texts = edit.children[0].children
        mouseClick(texts[1])
        compare(action, 1)
        compare(currentAtClick, 2)
    }
}
