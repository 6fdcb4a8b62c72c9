import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XButton"
    width: 300
    height: 200
    visible: true
    when: windowShown

    Component {
        id: buttonComponent
        XButton {}
    }

    SignalSpy { id: clickSpy; signalName: "clicked" }

    function make(props) {
        const b = createTemporaryObject(buttonComponent, testCase, props || {})
        verify(b)
        return b
    }

    function sameColour(actual, expected, what) {
        verify(Qt.colorEqual(actual, expected), what + ": " + actual + " != " + expected)
    }

    // The colour actually drawn at (x, y) of the item.
    function pixelAt(item, x, y) {
        const image = grabImage(item)
        return image.pixel(x, y)
    }

    function init() {
        mouseMove(testCase, testCase.width - 1, testCase.height - 1)
        clickSpy.clear()
    }

    function test_defaultStyleStates() {
        const b = make({ x: 10, y: 10 })
        compare(b.width, 80)
        compare(b.height, 40)
        compare(b._xstate, 0)
        sameColour(b._xcolor, XTheme.text_color_regular, "normal text")
        sameColour(b.background.color, "#00000000", "normal background")
        sameColour(b.background.border.color, XTheme.border_color_base, "normal border")

        mouseMove(b, 40, 20)
        tryCompare(b, "_xstate", 1)
        sameColour(b._xcolor, XTheme.color_primary, "hovered text")
        sameColour(b.background.color, XTheme.color_primary_dark_9, "hovered background")
        sameColour(b.background.border.color, XTheme.color_primary_dark_7, "hovered border")

        mousePress(b, 40, 20)
        compare(b._xstate, 2)
        sameColour(b.background.border.color, XTheme.color_primary, "pressed border")

        // Disabled wins over pressed.
        b.enabled = false
        compare(b._xstate, 3)
        sameColour(b._xcolor, XTheme.button_disabled_text_color, "disabled text")
        sameColour(b.background.border.color, XTheme.button_disabled_border_color, "disabled border")
        mouseRelease(b, 40, 20)
        b.enabled = true
        compare(b._xstate, 1)
    }

    function test_drawnBackgroundPerState() {
        const b = make({ x: 10, y: 10, xbuttonType: 1 })
        sameColour(pixelAt(b, 10, 10), XTheme.color_primary, "drawn normal")
        mouseMove(b, 40, 20)
        tryCompare(b, "_xstate", 1)
        waitForRendering(b)
        sameColour(pixelAt(b, 10, 10), XTheme.color_primary_dark_3, "drawn hovered")
        mousePress(b, 40, 20)
        waitForRendering(b)
        sameColour(pixelAt(b, 10, 10), XTheme.color_primary_light_2, "drawn pressed")
        mouseRelease(b, 40, 20)
        b.enabled = false
        waitForRendering(b)
        sameColour(pixelAt(b, 10, 10), XTheme.color_primary_dark_5, "drawn disabled")
    }

    function test_keysPressAndClick() {
        const b = make({ x: 10, y: 10, xbuttonType: 4 })
        clickSpy.target = b
        b.forceActiveFocus()
        verify(b.activeFocus)
        keyPress(Qt.Key_Space)
        compare(b._xstate, 2)
        sameColour(b._xbgcolor, XTheme.color_danger_light_2, "key pressed background")
        keyRelease(Qt.Key_Space)
        compare(b._xstate, 0)
        compare(clickSpy.count, 1)
    }

    function test_leftClickOnly() {
        const b = make({ x: 10, y: 10, text: "ok" })
        clickSpy.target = b
        mouseClick(b, 40, 20, Qt.RightButton)
        mouseClick(b, 40, 20, Qt.MiddleButton)
        compare(clickSpy.count, 0)
        mouseClick(b, 40, 20, Qt.LeftButton)
        compare(clickSpy.count, 1)
    }

    function test_restyleAfterCompletionShowsAtOnce() {
        const b = make({ x: 10, y: 10 })
        compare(b._xstate, 0)
        b.xbuttonType = 2
        sameColour(b._xbgcolor, XTheme.color_success, "new type background")
        sameColour(b._xcolor, XTheme.color_white, "new type text")
        sameColour(b._xbocolor, XTheme.color_success, "new type border")
        waitForRendering(b)
        sameColour(pixelAt(b, 10, 10), XTheme.color_success, "new type drawn")

        // A style without border colours keeps the border it had.
        b._xfgbgbo = XTheme.fgbgbo_update
        sameColour(b._xbgcolor, "#00000000", "assigned style background")
        sameColour(b._xcolor, "#cccccc", "assigned style text")
        sameColour(b._xbocolor, XTheme.color_success, "border kept")
    }

    function test_styleIndexOutOfRange() {
        const b = make({ x: 10, y: 10, xbuttonType: 3 })
        b.xbuttonType = 99
        compare(b._xfgbgbo, null)
        // The last colours stay; nothing throws.
        sameColour(b._xbgcolor, XTheme.color_warning, "kept background")
    }

    function test_selectionBarAndTooltip() {
        const b = make({ x: 10, y: 10, xtip: "Save" })
        const bar = findChild(b.background, "xselectionBar")
        verify(bar)
        verify(!bar.visible)
        b.xselected = true
        verify(bar.visible)
        compare(bar.height, 4)
        compare(bar.width, b.width)
        compare(bar.y, b.height - 4)
        sameColour(bar.color, "#18AAE2", "bar")

        compare(b._xtooltip, null)
        mouseMove(b, 40, 20)
        tryVerify(() => b._xtooltip !== null && b._xtooltip.visible)
        compare(b._xtooltip.text, "Save")
        mouseMove(testCase, testCase.width - 1, testCase.height - 1)
        tryVerify(() => !b._xtooltip.visible)
        b.xtip = ""
        mouseMove(b, 40, 20)
        tryCompare(b, "_xstate", 1)
        verify(!b._xtooltip.visible)
    }

    function test_iconTintedWithForeground() {
        const b = make({ x: 10, y: 10, width: 40, height: 40, xbuttonType: 1,
                         iconSource: Qt.resolvedUrl("green_square.svg"),
                         iconWidth: 24, iconHeight: 24 })
        waitForRendering(b)
        // The icon is centred; its middle shows the foreground (white), not the SVG's green.
        sameColour(pixelAt(b, 20, 20), XTheme.color_white, "tinted icon")
    }
}
