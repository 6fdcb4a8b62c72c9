import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XButtonSvg"
    width: 300
    height: 200
    visible: true
    when: windowShown

    Component {
        id: buttonComponent
        XButtonSvg { x: 10; y: 10; iconSource: Qt.resolvedUrl("green_square.svg"); iconWidth: 24; iconHeight: 24 }
    }

    SignalSpy { id: clickSpy; signalName: "clicked" }

    function sameColour(actual, expected, what) {
        verify(Qt.colorEqual(actual, expected), what + ": " + actual + " != " + expected)
    }

    function init() {
        mouseMove(testCase, testCase.width - 1, testCase.height - 1)
    }

    function test_defaults() {
        const b = createTemporaryObject(buttonComponent, testCase)
        compare(b.width, 40)
        compare(b.height, 40)
        compare(b.xborderWidth, 0)
        compare(b.background.border.width, 0)
        compare(b._xfgbgbo, XTheme.fgbgbo_icon)
        sameColour(b._xcolor, "#cccccc", "normal icon")
        waitForRendering(b)
        sameColour(grabImage(b).pixel(20, 20), "#cccccc", "drawn icon")
    }

    function test_deleteStyleKeepsTransparentBorder() {
        const b = createTemporaryObject(buttonComponent, testCase, { _xfgbgbo: XTheme.fgbgbo_delete })
        sameColour(b._xbocolor, "#00000000", "normal border")
        mouseMove(b, 20, 20)
        tryCompare(b, "_xstate", 1)
        sameColour(b._xbgcolor, "#ff6666", "hovered background")
        sameColour(b._xcolor, "#000000", "hovered icon")
        sameColour(b._xbocolor, "#00000000", "hovered border")
        mousePress(b, 20, 20)
        compare(b._xstate, 2)
        sameColour(b._xbgcolor, "#ff6666", "pressed background")
        sameColour(b._xbocolor, "#00000000", "pressed border")
        waitForRendering(b)
        const image = grabImage(b)
        sameColour(image.pixel(2, 2), "#ff6666", "drawn pressed background")
        sameColour(image.pixel(20, 20), "#000000", "drawn pressed icon")
        mouseRelease(b, 20, 20)
    }

    function test_styleAssignedLaterShowsAtOnce() {
        const b = createTemporaryObject(buttonComponent, testCase)
        b._xfgbgbo = XTheme.fgbgbo_icon_2
        sameColour(b._xcolor, "#ffffff", "icon_2 normal")
        b.enabled = false
        sameColour(b._xcolor, "#505050", "icon_2 disabled")
    }

    function test_clicks() {
        const b = createTemporaryObject(buttonComponent, testCase)
        clickSpy.target = b
        mouseClick(b, 20, 20, Qt.RightButton)
        compare(clickSpy.count, 0)
        mouseClick(b, 20, 20)
        compare(clickSpy.count, 1)
        b.enabled = false
        mouseClick(b, 20, 20)
        compare(clickSpy.count, 1)
    }
}
