import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XPopup"
    width: 800
    height: 600
    visible: true
    when: windowShown

    Component {
        id: popupComponent
        XPopup { width: testCase.width; height: testCase.height; xtitle: "Title" }
    }
    SignalSpy { id: clickSpy; signalName: "clicked" }

    function openPopup() {
        const p = createTemporaryObject(popupComponent, testCase)
        p.open()
        tryCompare(p, "opened", true)
        return p
    }
    function drag(p, dx, dy) {
        // In window coordinates: the bar moves under the mouse.
        const start = findChild(p.contentItem, "xtitleBar").mapToItem(testCase, 100, 20)
        mousePress(testCase, start.x, start.y)
        mouseMove(testCase, start.x + dx / 2, start.y + dy / 2)
        mouseMove(testCase, start.x + dx, start.y + dy)
        mouseRelease(testCase, start.x + dx, start.y + dy)
    }

    function test_dragStopsAtEdges() {
        const p = openPopup()
        const box = p._xbox
        compare(box.x, 200)
        compare(box.y, 150)
        drag(p, 50, -30)
        compare(box.x, 250)
        compare(box.y, 120)
        drag(p, -1000, -1000)
        compare(box.x, 0)
        compare(box.y, 0)
        drag(p, 2000, 2000)
        compare(box.x, 800 - 400)
        compare(box.y, 600 - 300)
        // A resize recentres the dragged box.
        p.width = 700
        compare(box.x, 150)
        p.height = 500
        compare(box.y, 100)
    }

    function test_closeButtonSignalsOnly() {
        const p = openPopup()
        clickSpy.target = p
        clickSpy.clear()
        mouseClick(findChild(p.contentItem, "xcloseButton"))
        compare(clickSpy.count, 1)
        compare(clickSpy.signalArguments[0][0], 0)
        verify(p.visible)
        // A press outside the box leaves it open; Escape closes it.
        mouseClick(testCase, 20, 580)
        verify(p.visible)
        keyClick(Qt.Key_Escape)
        tryCompare(p, "visible", false)
    }

    // Escape closes the popup at once after it opens: no click inside has to give it the focus.
    function test_escapeRightAfterOpen() {
        const p = openPopup()
        keyClick(Qt.Key_Escape)
        tryCompare(p, "visible", false)
    }
}
