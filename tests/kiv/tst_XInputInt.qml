import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XInputInt"
    width: 400
    height: 200
    visible: true
    when: windowShown

    Component {
        id: inputComponent
        XInputInt { x: 10; y: 10 }
    }
    Rectangle { id: elsewhere; x: 10; y: 150; width: 50; height: 30; activeFocusOnTab: true }
    // An action as the views write it: it reads the input when clicked.
    XButtonText {
        id: action
        x: 250; y: 150; text: "Apply"
        property var xinput: null
        property var xseen: null
        onClicked: xseen = { value: xinput.xvalue, valid: xinput.xrule_isInputValid }
    }
    SignalSpy { id: spy; signalName: "xvalueChanged" }

    function make(props) {
        const input = createTemporaryObject(inputComponent, testCase, props || {})
        spy.target = input
        spy.clear()
        return input
    }
    function field(input) { return input.xpanelValueLoader.children[0] }
    function frame(input) { return findChild(input, "xvalidityFrame") }

    // Replaces the field's text the way a user does: select everything, type, finish with a key.
    function typeInto(input, text, finishKey) {
        const f = field(input)
        mouseClick(f, 20, f.height / 2)
        verify(f.activeFocus)
        f.selectAll()
        keyClick(Qt.Key_Delete)
        for (const ch of text)
            keyClick(ch)
        if (finishKey !== undefined)
            keyClick(finishKey)
    }

    function test_initNotifiesOnlyOnChange() {
        const input = make()
        input.init(0)
        compare(spy.count, 0)
        input.init(12)
        compare(spy.count, 1)
        compare(field(input).text, "12")
        input.init(12)
        compare(spy.count, 1)
    }

    function test_commitRule() {
        const input = make()
        input.init(7)
        spy.clear()
        // The same number in another spelling is no change: the text stays as typed.
        typeInto(input, "007", Qt.Key_Return)
        compare(spy.count, 0)
        compare(input.xvalue, 7)
        compare(field(input).text, "007")
        input.init(8)
        spy.clear()
        typeInto(input, "007", Qt.Key_Enter)
        compare(spy.count, 1)
        compare(input.xvalue, 7)
        compare(field(input).text, "7")

        // A text that is no number marks the input while it stands, and is never written: it
        // stays as typed, marked, through Return and the loss of the focus alike.
        spy.clear()
        typeInto(input, "abc")
        verify(!input.xrule_isInputValid)
        verify(frame(input).visible)
        keyClick(Qt.Key_Return)
        compare(spy.count, 0)
        compare(input.xvalue, 7)
        compare(field(input).text, "abc")
        verify(!input.xrule_isInputValid)
        verify(frame(input).visible)
        for (const bad of ["2.5", "99999999999", "1e400", "-", "", " "]) {
            typeInto(input, bad)
            elsewhere.forceActiveFocus()
            compare(input.xvalue, 7, bad)
            compare(field(input).text, bad, bad)
            verify(!input.xrule_isInputValid, bad)
        }
        compare(spy.count, 0)
        // The next number mends it.
        typeInto(input, "9", Qt.Key_Return)
        compare(input.xvalue, 9)
        verify(input.xrule_isInputValid)
        compare(spy.count, 1)
    }

    // The user types and clicks the action at once: the button takes the focus, which ends the
    // edit before the action reads the input. What the input does not accept stays on screen,
    // marked, and the action sees the mark and the value held before, never a value shown.
    function test_typedThenActionAtOnce() {
        const input = make({ xrule_rangeType: 3, xrule_rangeMin: 1, xrule_rangeMax: 100, xvalue: 5 })
        action.xinput = input
        for (const bad of ["abc", "", "-", "101", "0"]) {
            action.xseen = null
            typeInto(input, bad)
            mouseClick(action)
            verify(action.xseen !== null, bad)
            verify(!action.xseen.valid, bad)
            compare(action.xseen.value, 5, bad)
            compare(input.xvalue, 5, bad)
            compare(field(input).text, bad, bad)
            verify(frame(input).visible, bad)
        }
        compare(spy.count, 0)
        typeInto(input, "42")
        mouseClick(action)
        compare(action.xseen.value, 42)
        verify(action.xseen.valid)
        compare(spy.count, 1)
    }

    // A value shown from outside replaces a text held uncommitted, without a notification when
    // it is the value held; the text the user is still typing stays.
    function test_initOverHeldText() {
        const input = make({ xvalue: 5 })
        typeInto(input, "-")
        input.init(5)
        compare(field(input).text, "-", "the text being typed stays")
        elsewhere.forceActiveFocus()
        input.init(5)
        compare(field(input).text, "5")
        verify(input.xrule_isInputValid)
        compare(spy.count, 0)
        typeInto(input, "x")
        elsewhere.forceActiveFocus()
        input.init(6)
        compare(field(input).text, "6")
        verify(input.xrule_isInputValid)
        compare(spy.count, 1)
    }

    function test_outOfRangeMarkedNotCommitted() {
        const input = make({ xrule_rangeType: 3, xrule_rangeMin: 1, xrule_rangeMax: 10, xvalue: 5 })
        verify(input.xrule_isInputValid)
        compare(input.xtip, " ValueRange [1, 10]")
        // A range learnt later (a recording's frame count) is the one the tip names.
        input.xrule_rangeMax = 100
        compare(input.xtip, " ValueRange [1, 100]")
        input.xrule_rangeMax = 10
        typeInto(input, "20", Qt.Key_Return)
        compare(input.xvalue, 5)
        compare(field(input).text, "20")
        verify(!input.xrule_isInputValid)
        verify(frame(input).visible)
        // The frame lies exactly over the value panel.
        compare(frame(input).x, input.xpanelValueLoader.x)
        compare(frame(input).width, input.xpanelValueWidth)
        typeInto(input, "", Qt.Key_Return)
        compare(input.xvalue, 5)
        verify(!input.xrule_isInputValid)
        compare(spy.count, 0)
        typeInto(input, "10", Qt.Key_Return)
        verify(input.xrule_isInputValid)
        compare(input.xvalue, 10)
        compare(spy.count, 1)
        // A value from outside is shown and checked, whatever it is.
        input.init(0)
        compare(field(input).text, "0")
        verify(!input.xrule_isInputValid)
    }

    function test_exmidBoundsInclusive() {
        const input = make({ xrule_rangeType: 4, xrule_rangeMin: 10, xrule_rangeMax: 20, xtip: "Gain" })
        compare(input.xtip, "Gain ValueRange (-\u221e, 10], [20, +\u221e)")
        for (const [v, ok] of [[10, true], [20, true], [15, false], [9, true], [21, true]]) {
            input.init(v)
            compare(input.xrule_isInputValid, ok, "value " + v)
        }
    }

    // Without a range rule the flag is the view's: a non-number marks the input, and the next
    // number gives back what the view had set, both ways. While the text is no number, the view
    // cannot clear the mark (its own rule over the values held may well hold).
    function test_nonNumberKeepsViewMark() {
        const input = make({ xvalue: 3 })
        input.xrule_isInputValid = false
        typeInto(input, "abc", Qt.Key_Return)
        compare(input.xvalue, 3)
        compare(field(input).text, "abc")
        verify(!input.xrule_isInputValid, "the view's mark survives a rejected non-number")
        verify(frame(input).visible)
        typeInto(input, "x")
        typeInto(input, "4", Qt.Key_Return)
        verify(!input.xrule_isInputValid, "the view's mark survives the next number")
        input.xrule_isInputValid = true
        typeInto(input, "x")
        verify(!input.xrule_isInputValid)
        typeInto(input, "5", Qt.Key_Return)
        verify(input.xrule_isInputValid)
        typeInto(input, "y", Qt.Key_Return)
        input.xrule_isInputValid = true
        verify(!input.xrule_isInputValid, "the view does not clear the mark of a non-number")
        verify(frame(input).visible)
        input.xrule_isInputValid = false
        input.xrule_isInputValid = true
        typeInto(input, "6", Qt.Key_Return)
        verify(input.xrule_isInputValid, "the view's last word holds at the next number")
        compare(input.xvalue, 6)
    }

    // The range tip stays shown while the input is invalid, through presses elsewhere.
    function test_rangeTipStaysWhileInvalid() {
        const input = make({ xrule_rangeType: 3, xrule_rangeMin: 1, xrule_rangeMax: 10, xvalue: 5, xtip: "Gain" })
        typeInto(input, "20")
        verify(!input.xrule_isInputValid)
        verify(input._xtooltip !== null)
        tryCompare(input._xtooltip, "visible", true)
        mouseClick(elsewhere, 5, 5)
        mouseClick(testCase, testCase.width - 5, testCase.height - 5)
        verify(input._xtooltip.visible, "a press elsewhere keeps the tip of an invalid input")
        typeInto(input, "7", Qt.Key_Return)
        tryCompare(input._xtooltip, "visible", false)
    }
}
