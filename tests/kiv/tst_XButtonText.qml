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

    Component {
        id: formComponent
        Item {
            id: form
            width: 300
            height: 200
            property alias input: input
            property alias cell: cell
            property alias button: button
            property var seen: []
            XInputInt { id: input; x: 10; y: 10 }
            // A bare field that commits only when its edit finishes, as table cells do.
            TextInput {
                id: cell
                property string committed: ""
                x: 10; y: 60; width: 100; height: 30
                onEditingFinished: committed = text
            }
            XButtonText {
                id: button
                x: 10; y: 120; text: "Apply"
                onClicked: form.seen = [input.xvalue, cell.committed]
            }
        }
    }

    // The action reads the values typed just before, without Return and without leaving a field.
    function test_clickFinishesEditFirst() {
        const form = createTemporaryObject(formComponent, testCase)
        const f = form.input.xpanelValueLoader.children[0]
        mouseClick(f, 20, f.height / 2)
        verify(f.activeFocus)
        f.selectAll()
        keyClick(Qt.Key_Delete)
        for (const ch of "42")
            keyClick(ch)
        compare(form.input.xvalue, 0)
        mouseClick(form.button)
        compare(form.seen, [42, ""])
        verify(!f.activeFocus)

        mouseClick(form.cell, 5, 15)
        verify(form.cell.activeFocus)
        for (const ch of "7")
            keyClick(ch)
        mouseClick(form.button)
        compare(form.seen, [42, "7"])
    }
}
