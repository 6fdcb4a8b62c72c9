import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XSwitch"
    width: 300
    height: 200
    visible: true
    when: windowShown

    Component {
        id: switchComponent
        XSwitch { x: 20; y: 20 }
    }

    function sameColour(actual, expected, what) {
        verify(Qt.colorEqual(actual, expected), what + ": " + actual + " != " + expected)
    }

    // Default 60 x 30: track (60 - 48) / 2 = 6 from the left, (30 - 24) / 2 = 3 from the top,
    // 48 x 12; knob 24 across, centred on the track: (12 - 24) / 2 = -6 relative to the track.
    function test_defaultGeometry() {
        const sw = createTemporaryObject(switchComponent, testCase)
        compare(sw.width, 60)
        compare(sw.height, 30)
        const track = sw.indicator
        compare(track.x, 6)
        compare(track.y, 3)
        compare(track.width, 48)
        compare(track.height, 12)
        const knob = findChild(track, "xswitchKnob")
        compare(knob.width, 24)
        compare(knob.height, 24)
        compare(knob.y, -6)
        compare(knob.x, 0)
        compare(knob.y + knob.height / 2, track.height / 2)
    }

    function test_toggleMovesKnobAndRecolours() {
        const sw = createTemporaryObject(switchComponent, testCase)
        const track = sw.indicator
        const knob = findChild(track, "xswitchKnob")
        sameColour(track.color, "#909090", "off track")
        sameColour(knob.border.color, "#999999", "off knob border")
        mousePress(sw, 30, 15)
        sameColour(knob.color, "#d0d0d0", "pressed knob")
        mouseRelease(sw, 30, 15)
        verify(sw.checked)
        compare(knob.x, 24)
        sameColour(track.color, "#18aae2", "on track")
        sameColour(track.border.color, "#18aae2", "on track border")
        sameColour(knob.color, "#f0f0f0", "released knob")
        sameColour(knob.border.color, knob.color, "on knob border")
        waitForRendering(sw)
        // Right end of the track, past the knob's reach: x = 6 + 2, y = 3 + 6.
        sameColour(grabImage(sw).pixel(8, 9), "#18aae2", "track drawn")
    }

    function test_customSizes() {
        const sw = createTemporaryObject(switchComponent, testCase,
                                         { width: 100, height: 40, cfg_width: 80, cfg_height: 20 })
        compare(sw.indicator.x, 10)
        compare(sw.indicator.y, 10)
        compare(sw.indicator.height, 10)
        sw.checked = true
        compare(findChild(sw.indicator, "xswitchKnob").x, 60)
    }
}
