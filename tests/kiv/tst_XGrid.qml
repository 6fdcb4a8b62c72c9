import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XGrid"
    width: 600
    height: 600
    visible: true
    when: windowShown

    Component {
        id: threeRows
        XGrid {
            width: 200
            height: 240
            rows: 3
            columns: 1
            rowHeightArray: [40, 0.5, 0.5]
            Rectangle { objectName: "a" }
            Rectangle { objectName: "b" }
            Rectangle { objectName: "c" }
        }
    }

    Component {
        id: itemsComponent
        XGrid {
            width: 200
            height: 200
            Rectangle {}
            Rectangle {}
            Rectangle {}
            Rectangle {}
            Rectangle {}
        }
    }

    function make(component, props) {
        const g = createTemporaryObject(component, testCase, props || {})
        verify(g)
        return g
    }

    function test_fixedAndShares() {
        const g = make(threeRows)
        compare(g.rowHeightLut, [40, 100, 100])
        compare(g.columnWidthLut, [200])
        const a = g.xchildren[0]
        compare(a.parent, g)
        compare([a.x, a.y, a.width, a.height], [4, 4, 192, 32])
        const c = g.xchildren[2]
        compare([c.x, c.y, c.width, c.height], [4, 144, 192, 92])
        compare(g.getUnitY(2), 140)
        compare(g.getUnitX(0), 0)
    }

    function test_mismatchedArrayResets() {
        const g = make(threeRows, { rows: 2, rowHeightArray: [10, 0.2, 0.3] })
        compare(g.rowHeightArray, [0.1, 0.1])
        compare(g.rowHeightLut, [120, 120])
    }

    function test_surplusCellsAndItems() {
        const g = make(itemsComponent)
        compare(g.xchildren.length, 5)
        // 2 x 2 cells for 5 items: the fifth is not placed.
        const fifth = g.xchildren[4]
        compare([fifth.x, fifth.y, fifth.width, fifth.height], [0, 0, 0, 0])
        compare([g.xchildren[3].x, g.xchildren[3].y], [104, 104])
        g.columns = 3
        g.rows = 2
        g.width = 300
        // Now six cells for five items: the last cell stays empty, every item is placed.
        compare([fifth.x, fifth.y, fifth.width, fifth.height], [104, 104, 92, 92])
    }

    function test_zeroRowsDoesNothing() {
        const g = make(itemsComponent)
        const before = g.rowHeightLut
        g.rows = 0
        g.height = 400
        compare(g.rowHeightLut, before)
        compare(g.xchildren[0].height, 92)
    }

    function test_entryOfOneIsAShare() {
        const g = make(threeRows, { rowHeightArray: [40, 1, 1] })
        compare(g.rowHeightLut, [40, 100, 100])
        const single = make(threeRows, { rows: 1, rowHeightArray: [1] })
        compare(single.rowHeightLut, [240])
    }

    function test_zeroAndNegativeShares() {
        const g = make(threeRows, { rowHeightArray: [40, 0, 0] })
        compare(g.rowHeightLut, [40, 0, 0])
        compare(g.xchildren[1].height, 0)
        const n = make(threeRows, { rowHeightArray: [40, -0.5, 0.5] })
        compare(n.rowHeightLut, [40, 0, 200])
    }

    function test_fixedBeyondTheGrid() {
        const g = make(threeRows, { rowHeightArray: [300, 0.5, 0.5] })
        compare(g.rowHeightLut, [300, 0, 0])
        const full = make(threeRows, { rowHeightArray: [120, 120, 0.5] })
        compare(full.rowHeightLut, [120, 120, 0])
    }

    function test_resizeRelayouts() {
        const g = make(threeRows)
        g.height = 440
        compare(g.rowHeightLut, [40, 200, 200])
        compare(g.xchildren[1].height, 192)
        g.columnWidthArray = [0.25]
        g.width = 100
        compare(g.columnWidthLut, [100])
    }
}
