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
    // An action as the views write it: it reads the input when clicked.
    XButtonText {
        id: action
        x: 250; y: 150; text: "Apply"
        property var xinput: null
        property var xseen: null
        onClicked: xseen = { value: xinput.xvalue, valid: xinput.xrule_isInputValid }
    }

    function make(props) {
        const input = createTemporaryObject(inputComponent, testCase, props || {})
        spy.target = input
        spy.clear()
        return input
    }
    function field(input) { return input.xpanelValueLoader.children[0] }

    function typeInto(input, text, noReturn) {
        const f = field(input)
        mouseClick(f, 20, f.height / 2)
        f.selectAll()
        keyClick(Qt.Key_Delete)
        for (const ch of text)
            keyClick(ch)
        if (!noReturn)
            keyClick(Qt.Key_Return)
    }

    function test_commitRule() {
        const input = make({ xvalue: 2 })
        compare(field(input).text, "2.0")
        typeInto(input, "2.50")
        compare(input.xvalue, 2.5)
        compare(field(input).text, "2.5")
        compare(spy.count, 1)
        // No NaN ever reaches the value; the text stays as typed, marked.
        for (const bad of ["abc", "2,5", "1.2.3", "inf", ""]) {
            typeInto(input, bad)
            compare(input.xvalue, 2.5, bad)
            compare(field(input).text, bad, bad)
            verify(!input.xrule_isInputValid, bad)
        }
        compare(spy.count, 1)
        typeInto(input, "-1e-1")
        compare(input.xvalue, -0.1)
        compare(field(input).text, "-0.1")
    }

    // Typed, then the action clicked at once: a text the input does not accept stays, marked,
    // and the action reads the value held before it.
    function test_typedThenActionAtOnce() {
        const input = make({ xvalue: 3, xrule_rangeType: 1, xrule_rangeMin: 1, xformat: 2 })
        compare(input.xtip, " ValueRange [1.00, +∞)")
        action.xinput = input
        for (const bad of ["abc", "", "-", "0.5", "-7"]) {
            action.xseen = null
            typeInto(input, bad, true)
            mouseClick(action)
            verify(action.xseen !== null, bad)
            verify(!action.xseen.valid, bad)
            compare(action.xseen.value, 3, bad)
            compare(field(input).text, bad, bad)
        }
        compare(spy.count, 0)
        typeInto(input, "1.25", true)
        mouseClick(action)
        compare(action.xseen.value, 1.25)
        verify(action.xseen.valid)
        compare(field(input).text, "1.25")
        compare(spy.count, 1)
    }
}
