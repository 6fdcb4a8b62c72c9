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

        // A text that is no number marks the input while it stands, and is never written: the
        // end of the edit shows the value again.
        spy.clear()
        typeInto(input, "abc")
        verify(!input.xrule_isInputValid)
        verify(frame(input).visible)
        keyClick(Qt.Key_Return)
        compare(spy.count, 0)
        compare(input.xvalue, 7)
        compare(field(input).text, "7")
        verify(input.xrule_isInputValid)
        verify(!frame(input).visible)
        // Losing the focus ends an edit too.
        for (const bad of ["2.5", "99999999999", "1e400", "-"]) {
            typeInto(input, bad)
            elsewhere.forceActiveFocus()
            compare(input.xvalue, 7, bad)
            compare(field(input).text, "7", bad)
        }
        compare(spy.count, 0)
        // An emptied field commits 0.
        typeInto(input, "", Qt.Key_Return)
        compare(input.xvalue, 0)
        compare(field(input).text, "0")
        compare(spy.count, 1)
    }

    function test_rangeMarksButCommits() {
        const input = make({ xrule_rangeType: 3, xrule_rangeMin: 1, xrule_rangeMax: 10, xvalue: 5 })
        verify(input.xrule_isInputValid)
        compare(input.xtip, " ValueRange [1, 10]")
        // A range learnt later (a recording's frame count) is the one the tip names.
        input.xrule_rangeMax = 100
        compare(input.xtip, " ValueRange [1, 100]")
        input.xrule_rangeMax = 10
        typeInto(input, "20", Qt.Key_Return)
        compare(input.xvalue, 20)
        verify(!input.xrule_isInputValid)
        verify(frame(input).visible)
        // The frame lies exactly over the value panel.
        compare(frame(input).x, input.xpanelValueLoader.x)
        compare(frame(input).width, input.xpanelValueWidth)
        typeInto(input, "", Qt.Key_Return)
        compare(input.xvalue, 0)
        verify(!input.xrule_isInputValid)
        typeInto(input, "10", Qt.Key_Return)
        verify(input.xrule_isInputValid)
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
    // number gives back what the view had set, both ways.
    function test_nonNumberKeepsViewMark() {
        const input = make({ xvalue: 3 })
        input.xrule_isInputValid = false
        typeInto(input, "abc", Qt.Key_Return)
        compare(input.xvalue, 3)
        compare(field(input).text, "3")
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
