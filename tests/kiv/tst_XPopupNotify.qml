import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XPopupNotify"
    width: 600
    height: 300
    visible: true
    when: windowShown

    Component {
        id: notifyComponent
        XPopupNotify { width: 400; height: 50 }
    }
    SignalSpy { id: tickSpy; signalName: "triggered" }

    function make(props) {
        const n = createTemporaryObject(notifyComponent, testCase, props || {})
        tickSpy.target = n._xtimer
        tickSpy.clear()
        return n
    }
    function nextTick() {
        const count = tickSpy.count
        tickSpy.wait(3000)
        compare(tickSpy.count, count + 1)
    }

    // The countdown is counted in the timer's ticks, so the check does not depend on how late a
    // loaded machine delivers them.
    function test_closesAfterDurationAndRestarts() {
        const n = make({ xduration: 2 })
        n.xopen(1, "first")
        tryCompare(n, "opened", true)
        nextTick()
        verify(n.visible, "one tick of two")
        n.xopen(3, "second")
        compare(n.xnofityType, 3)
        compare(n.xnotifyInfo, "second")
        compare(findChild(n.contentItem, "xnotifyText").text, "second")
        nextTick()
        verify(n.visible, "the second notice restarted the countdown")
        nextTick()
        tryCompare(n, "visible", false)
        verify(!n._xtimer.running)
    }

    function test_zeroDurationClosesOnFirstTick() {
        const n = make({ xduration: 0 })
        n.xopen(0, "x")
        nextTick()
        tryCompare(n, "visible", false)
    }

    function test_errorCodeLevels() {
        const n = make()
        n.xopenErrorCode(0, "Save")
        compare(n.xnofityType, 0)
        compare(n.xnotifyInfo, "SaveSuccess")
        verify(Qt.colorEqual(findChild(n.contentItem, "xnotifyText").color, XTheme.color_success))
        // A failure keeps its code and adds its meaning (here untranslated: the id).
        n.xopenErrorCode(-1, "Save")
        compare(n.xnofityType, 3)
        compare(n.xnotifyInfo, "SaveFail -1: Status_Failed")
        n.xopenErrorCode(-12345, "Save")
        compare(n.xnotifyInfo, "SaveFail -12345")
        verify(Qt.colorEqual(findChild(n.contentItem, "xnotifyIcon").color, XTheme.color_danger))
        n.close()
    }

    // Escape closes the notice at once after it opens, with the focus elsewhere before.
    function test_escapeRightAfterOpen() {
        const n = make({ xduration: 30 })
        n.xopen(2, "notice")
        tryCompare(n, "opened", true)
        keyClick(Qt.Key_Escape)
        tryCompare(n, "visible", false)
    }
}
