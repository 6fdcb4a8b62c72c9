import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XButtonText"
    width: 300
    height: 200
    visible: true
    when: windowShown

    Component {
        id: buttonComponent
        XButtonText { x: 10; y: 10; text: "OK" }
    }

    SignalSpy { id: clickSpy; signalName: "clicked" }

    function sameColour(actual, expected, what) {
        verify(Qt.colorEqual(actual, expected), what + ": " + actual + " != " + expected)
    }

    function label(b) {
        for (let i = 0; i < b.children.length; ++i)
            if (b.children[i].text === b.text)
                return b.children[i]
        return null
    }

    function init() {
        mouseMove(testCase, testCase.width - 1, testCase.height - 1)
        clickSpy.clear()
    }

    function test_geometryAndLabelPosition() {
        const b = createTemporaryObject(buttonComponent, testCase)
        compare(b.width, 100)
        compare(b.height, 30)
        const l = label(b)
        verify(l)
        compare(l.x, (100 - l.width) / 2)
        compare(l.y, (30 - l.height) / 2)
        b.textPos = 1
        compare(l.x, 5)
    }

    function test_statesAndColours() {
        const b = createTemporaryObject(buttonComponent, testCase)
        sameColour(b.color, "#3b3b43", "normal")
        sameColour(label(b).color, "#ffffff", "normal text")
        mouseMove(b, 50, 15)
        tryCompare(b, "hovered", true)
        sameColour(b.color, "#48484f", "hovered")
        mousePress(b, 50, 15)
        verify(b.pressed)
        sameColour(b.color, "#2f2f37", "pressed")
        b.enabled = false
        compare(b._xstate, 3)
        sameColour(label(b).color, "#505050", "disabled text")
        mouseRelease(b, 50, 15)
        b.enabled = true
        // Border: the style has no border colours, so it stays transparent.
        sameColour(b.border.color, "#00000000", "border")
        waitForRendering(b)
        sameColour(grabImage(b).pixel(3, 3), b.color, "drawn")
    }

    function test_onlyLeftClicks() {
        const b = createTemporaryObject(buttonComponent, testCase)
        clickSpy.target = b
        mouseClick(b, 50, 15, Qt.RightButton)
        mouseClick(b, 50, 15, Qt.MiddleButton)
        compare(clickSpy.count, 0)
        mouseClick(b, 50, 15)
        compare(clickSpy.count, 1)
        b.enabled = false
        mouseClick(b, 50, 15)
        compare(clickSpy.count, 1)
    }

    function test_restyleAtOnce() {
        const b = createTemporaryObject(buttonComponent, testCase)
        b._xfgbgbo = XTheme._button_array[1]
        sameColour(b.color, XTheme.color_primary, "restyled")
        sameColour(b.border.color, XTheme.color_primary, "restyled border")
    }
}
