import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XButtonImage"
    width: 300
    height: 200
    visible: true
    when: windowShown

    Component {
        id: buttonComponent
        XButtonImage { x: 10; y: 10; iconSource: Qt.resolvedUrl("green_square.svg"); xtip: "Tip" }
    }

    SignalSpy { id: clickSpy; signalName: "clicked" }

    function sameColour(actual, expected, what) {
        verify(Qt.colorEqual(actual, expected), what + ": " + actual + " != " + expected)
    }

    function init() {
        mouseMove(testCase, testCase.width - 1, testCase.height - 1)
        clickSpy.clear()
    }

    function test_pictureNotTintedAndCentred() {
        const b = createTemporaryObject(buttonComponent, testCase)
        compare(b.width, 40)
        compare(b.iconWidth, 20)
        compare(b.iconHeight, 32)
        waitForRendering(b)
        sameColour(grabImage(b).pixel(20, 20), "#00ff00", "picture as drawn by the SVG")
    }

    function test_backgroundIndex() {
        const b = createTemporaryObject(buttonComponent, testCase, { _xfgbgbo: XTheme.fgbgbo_delete })
        sameColour(b.color, "#00000000", "normal")
        mouseMove(b, 5, 5)
        tryCompare(b, "hovered", true)
        sameColour(b.color, "#ff6666", "hovered")
        tryVerify(() => b._xtooltip !== null && b._xtooltip.visible)
        // Selected and hovered: the selected background, and no tooltip.
        b._xfgbgbo = XTheme.fgbgbo_text
        b.xselected = true
        sameColour(b.color, "#2f2f37", "selected")
        tryVerify(() => !b._xtooltip.visible)
        const bar = findChild(b, "xselectionBar")
        verify(bar.visible)
        compare(bar.y, 36)
        b.enabled = false
        sameColour(b.color, "#00000000", "disabled")
    }

    function test_leftClickOnly() {
        const b = createTemporaryObject(buttonComponent, testCase)
        clickSpy.target = b
        mouseClick(b, 5, 5, Qt.RightButton)
        compare(clickSpy.count, 0)
        mouseClick(b, 5, 5)
        compare(clickSpy.count, 1)
        b.enabled = false
        mouseClick(b, 5, 5)
        compare(clickSpy.count, 1)
    }
}
