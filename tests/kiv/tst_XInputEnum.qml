import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XInputEnum"
    width: 400
    height: 300
    visible: true
    when: windowShown

    readonly property var options: [{ name: "zero", value: 0 }, { name: "five", value: 5 }, { name: "nine", value: 9 }]

    Component {
        id: inputComponent
        XInputEnum { x: 10; y: 10 }
    }
    SignalSpy { id: spy; signalName: "xvalueChanged" }

    function make(props) {
        const input = createTemporaryObject(inputComponent, testCase, props || {})
        spy.target = input
        spy.clear()
        return input
    }
    function box(input) { return findChild(input, "xcomboBox") }

    function test_followsOutsideWrites() {
        const input = make({ xoptions: options, xvalue: 5 })
        compare(box(input).xcurrentText, "five")
        compare(box(input).currentIndex, 1)
        input.xvalue = 9
        compare(box(input).xcurrentText, "nine")
        compare(box(input).currentIndex, 2)
        spy.clear()
        input.init(9)
        compare(spy.count, 0)
        input.init(0)
        compare(spy.count, 1)
        compare(box(input).xcurrentText, "zero")
        // A value no option has shows an empty box.
        input.xvalue = 4
        compare(box(input).xcurrentText, "")
        compare(box(input).currentIndex, -1)
    }

    function test_lateOptions() {
        const input = make({ xvalue: 9 })
        compare(box(input).xcurrentText, "")
        input.xoptions = options
        compare(box(input).xcurrentText, "nine")
        compare(box(input).currentIndex, 2)
        input.xoptions = [{ name: "other nine", value: 9 }, { name: "zero", value: 0 }]
        compare(box(input).xcurrentText, "other nine")
        compare(box(input).currentIndex, 0)
        compare(spy.count, 0)
    }

    function test_clickWritesValue() {
        const input = make({ xoptions: options, xvalue: 0 })
        const b = box(input)
        mouseClick(b)
        tryCompare(b.popup, "opened", true)
        // Entries are as high as the row; the list starts one padding below the box.
        compare(b.popup.height, 3 * input.height + 4)
        const list = b.popup.contentItem
        tryVerify(() => list.itemAtIndex(2) !== null)
        mouseClick(list.itemAtIndex(2))
        tryCompare(b.popup, "visible", false)
        compare(input.xvalue, 9)
        compare(spy.count, 1)
        compare(b.xcurrentText, "nine")
    }

    function test_plainMode() {
        const input = make({ xtextRole: "", xoptions: ["a", "b", "c"], xvalue: 1 })
        compare(box(input).xcurrentText, "b")
        input.xvalue = -1
        compare(box(input).xcurrentText, "")
        input.xvalue = 2
        compare(box(input).xcurrentText, "c")
    }
}
