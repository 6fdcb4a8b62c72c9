import QtQuick
import QtTest
import Ostrel 1.0

// The measurement tool bar against the real canvas manager, driven by clicks.
TestCase {
    id: tc
    name: "MeaToolBar"
    when: windowShown
    width: 1400
    height: 800

    property var main: null
    property var bar: null
    readonly property var cm: CApp.tempCanvasManager

    function initTestCase() {
        const c = Qt.createComponent("qrc:/Views/Main.qml")
        compare(c.status, Component.Ready, c.errorString())
        main = c.createObject(null)
        verify(main !== null)
        tryVerify(() => CApp.tabManager.view === main.tabManagerView, 30000)
        bar = main.menuMeaTool
        verify(bar !== null)
    }

    function cleanupTestCase() {
        cm.hideAll = false
        cm.tool = 0
        main.destroy()
    }

    function findNamed(item, name) {
        if (!item)
            return null
        if (item.objectName === name)
            return item
        for (let i = 0; i < item.children.length; ++i) {
            const f = findNamed(item.children[i], name)
            if (f)
                return f
        }
        return null
    }
    function button(name) { return findNamed(bar, name) }
    function cell(i) { return findNamed(bar.popupGrid.contentItem, "gridCell" + i) }
    function openGrid() {
        mouseClick(button("btnMore"))
        tryCompare(bar.popupGrid, "opened", true)
    }

    function test_toolBar() {
        const fourth = button("btn3")
        compare(fourth.iconSource, "qrc:/Icons/rectangle-outline.svg")
        compare(bar.selectedTool, 0)
        verify(button("btnSelect").xselected)

        // Square sits in the fourth column, second row of the grid.
        openGrid()
        mouseMove(cell(7))
        compare(bar.toolGrid_name, CApp.commonManager.meaToolList[10].name)
        verify(bar.toolGrid_desc !== "")
        mouseClick(cell(7))
        tryCompare(bar.popupGrid, "visible", false)
        compare(fourth.iconSource, "qrc:/Icons/square-outline.svg")
        compare(fourth.tool, 10)
        compare(cm.tool, 10)
        verify(fourth.xselected)
        verify(!button("btnSelect").xselected)
        // The other groups keep their tools.
        compare(button("btn0").tool, 1)
        compare(button("btn1").tool, 5)
        compare(button("btn2").tool, 6)

        // An empty cell closes the grid and changes nothing.
        openGrid()
        mouseClick(cell(1))
        tryCompare(bar.popupGrid, "visible", false)
        compare(cm.tool, 10)
        compare(fourth.tool, 10)

        // A tool set elsewhere shows here; the bar's own buttons write the manager.
        cm.tool = 7
        compare(bar.selectedTool, 7)
        verify(!fourth.xselected)
        mouseClick(button("btn3"))
        compare(cm.tool, 10)
        mouseClick(button("btnSelect"))
        compare(cm.tool, 0)

        // Hide follows its own clicks; a later tool clears the canvases' hide-all only.
        openGrid()
        const hide = findNamed(bar.popupGrid.contentItem, "btnHide")
        mouseClick(hide)
        verify(cm.hideAll)
        verify(hide.xselected)
        compare(hide.iconSource, "qrc:/Icons/eye-off-outline.svg")
        mouseClick(cell(0))
        tryCompare(bar.popupGrid, "visible", false)
        compare(cm.tool, 1)
        verify(!cm.hideAll)
        verify(hide.xselected)
    }
}
