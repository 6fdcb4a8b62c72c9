import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XTextBox"
    width: 300
    height: 200
    visible: true
    when: windowShown

    Component {
        id: boxComponent
        XTextBox { x: 10; y: 10 }
    }

    Item { id: elsewhere; focus: true }

    function sameColour(actual, expected, what) {
        verify(Qt.colorEqual(actual, expected), what + ": " + actual + " != " + expected)
    }

    function test_backgroundFollowsState() {
        const box = createTemporaryObject(boxComponent, testCase)
        compare(box.width, 100)
        compare(box.height, 40)
        mouseMove(testCase, 290, 190)
        sameColour(box.background.color, XTheme.input_colors4[0], "normal")
        mouseMove(box, 50, 20)
        tryCompare(box, "hovered", true)
        sameColour(box.background.color, XTheme.input_colors4[1], "hovered")
        box.forceActiveFocus()
        verify(box.activeFocus)
        sameColour(box.background.color, XTheme.input_colors4[2], "focused over hovered")
        mouseMove(testCase, 290, 190)
        sameColour(box.background.color, XTheme.input_colors4[2], "focused")
        sameColour(box.color, "#ffffff", "enabled text")
        box.enabled = false
        sameColour(box.background.color, XTheme.input_colors4[3], "disabled over focused")
        sameColour(box.color, "#a0a0a0", "disabled text")
        waitForRendering(box)
        sameColour(grabImage(box).pixel(2, 2), XTheme.input_colors4[3], "drawn disabled")
    }

    function test_typingAndColours() {
        const box = createTemporaryObject(boxComponent, testCase, { placeholderText: "name" })
        sameColour(box.placeholderTextColor, "#a0a0a080", "placeholder")
        sameColour(box.selectedTextColor, "#a0a0a0", "selected text")
        compare(box.verticalAlignment, TextInput.AlignVCenter)
        box.forceActiveFocus()
        keyClick(Qt.Key_A)
        keyClick(Qt.Key_B)
        compare(box.text, "ab")
    }
}
