import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XCheckBox"
    width: 300
    height: 200
    visible: true
    when: windowShown

    Component {
        id: boxComponent
        XCheckBox { x: 10; y: 10; text: "Show" }
    }

    function sameColour(actual, expected, what) {
        verify(Qt.colorEqual(actual, expected), what + ": " + actual + " != " + expected)
    }

    function test_indicatorAndMark() {
        const box = createTemporaryObject(boxComponent, testCase)
        const indicator = box.indicator
        compare(indicator.width, 20)
        compare(indicator.height, 20)
        compare(indicator.radius, 3)
        compare(indicator.x, box.leftPadding)
        compare(indicator.y, (box.height - 20) / 2)
        const mark = findChild(indicator, "xcheckMark")
        verify(!mark.visible)
        mouseClick(box, indicator.x + 10, indicator.y + 10)
        verify(box.checked)
        verify(mark.visible)
        compare(mark.x, 4)
        compare(mark.width, 12)
        waitForRendering(box)
        sameColour(grabImage(box).pixel(indicator.x + 10, indicator.y + 10), "#4087F0", "mark drawn")
        sameColour(grabImage(box).pixel(indicator.x + 2, indicator.y + 10), "#ffffff", "indicator drawn")
    }

    function test_labelAndDisabled() {
        const box = createTemporaryObject(boxComponent, testCase, { textColor: "#00ff00" })
        const label = box.contentItem
        compare(label.text, "Show")
        sameColour(label.color, "#00ff00", "label colour")
        compare(label.leftPadding, box.indicator.width + box.spacing)
        compare(label.opacity, 1.0)
        box.enabled = false
        compare(label.opacity, 0.3)
        compare(box.indicator.opacity, 1.0)
        box.enabled = true
        box.textColor = "#0000ff"
        sameColour(label.color, "#0000ff", "label colour follows")
    }

    function test_defaultTextColour() {
        const box = createTemporaryObject(boxComponent, testCase)
        sameColour(box.textColor, "#000000", "default")
    }
}
