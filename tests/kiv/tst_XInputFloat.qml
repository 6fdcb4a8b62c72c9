import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XInputFloat"
    width: 400
    height: 200
    visible: true
    when: windowShown

    Component {
        id: inputComponent
        XInputFloat { x: 10; y: 10 }
    }
    SignalSpy { id: spy; signalName: "xvalueChanged" }

    function make(props) {
        const input = createTemporaryObject(inputComponent, testCase, props || {})
        spy.target = input
        spy.clear()
        return input
    }
    function field(input) { return input.xpanelValueLoader.children[0] }

    function typeInto(input, text) {
        const f = field(input)
        mouseClick(f, 20, f.height / 2)
        f.selectAll()
        keyClick(Qt.Key_Delete)
        for (const ch of text)
            keyClick(ch)
        keyClick(Qt.Key_Return)
    }

    function test_commitRule() {
        const input = make({ xvalue: 2 })
        compare(field(input).text, "2.0")
        typeInto(input, "2.50")
        compare(input.xvalue, 2.5)
        compare(field(input).text, "2.5")
        compare(spy.count, 1)
        // No NaN ever reaches the value.
        for (const bad of ["abc", "2,5", "1.2.3", "inf"]) {
            typeInto(input, bad)
            compare(input.xvalue, 2.5, bad)
            compare(field(input).text, "2.5", bad)
            verify(input.xrule_isInputValid, bad)
        }
        compare(spy.count, 1)
        typeInto(input, "-1e-1")
        compare(input.xvalue, -0.1)
        compare(field(input).text, "-0.1")
    }

    function test_emptyCommitsZeroMarkedUnderMin() {
        const input = make({ xvalue: 3, xrule_rangeType: 1, xrule_rangeMin: 1, xformat: 2 })
        compare(input.xtip, " ValueRange [1.00, +\u221e)")
        typeInto(input, "")
        compare(input.xvalue, 0)
        compare(field(input).text, "0.00")
        verify(!input.xrule_isInputValid)
    }
}
