import QtQuick
import QtQuick.Controls
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XSlider"
    width: 400
    height: 200
    visible: true
    when: windowShown

    Component {
        id: sliderComponent
        XSlider { x: 10; y: 10; width: 210; from: 0; to: 100; stepSize: 10 }
    }

    function sameColour(actual, expected, what) {
        verify(Qt.colorEqual(actual, expected), what + ": " + actual + " != " + expected)
    }

    function test_trackAndHandleGeometry() {
        const s = createTemporaryObject(sliderComponent, testCase, { value: 50, xcolor2: "#ff0000" })
        const track = s.background
        compare(track.x, s.leftPadding)
        compare(track.width, s.availableWidth)
        compare(track.height, s.availableHeight)
        const fill = findChild(track, "xsliderFill")
        compare(fill.width, 0.5 * s.availableWidth)
        compare(s.handle.width, 10)
        compare(s.handle.height, 20)
        compare(s.handle.x, s.leftPadding + 0.5 * (s.availableWidth - 10))
        s.value = 100
        compare(s.handle.x, s.leftPadding + s.availableWidth - 10)
        compare(fill.width, s.availableWidth)
        s.value = 0
        compare(s.handle.x, s.leftPadding)
        compare(fill.width, 0)
        sameColour(track.color, "#505050", "track")
        sameColour(fill.color, "#ff0000", "fill")
    }

    function test_snapsWhileDragging() {
        const s = createTemporaryObject(sliderComponent, testCase)
        compare(s.snapMode, Slider.SnapAlways)
        const y = s.height / 2
        mousePress(s, s.leftPadding + 5, y)
        sameColour(s.handle.color, "#18AAE2", "pressed handle")
        mouseMove(s, s.leftPadding + 5 + 0.33 * (s.availableWidth - 10), y)
        mouseRelease(s, s.leftPadding + 5 + 0.33 * (s.availableWidth - 10), y)
        compare(s.value % 10, 0)
        verify(s.value >= 30 && s.value <= 40, "value " + s.value)
        sameColour(s.handle.color, "#f0f0f0", "released handle")
    }
}
