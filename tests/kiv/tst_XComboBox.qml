import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XComboBox"
    width: 400
    height: 400
    visible: true
    when: windowShown

    Component {
        id: comboComponent
        XComboBox { x: 10; y: 10; width: 200; height: 30 }
    }
    ListModel { id: listModel; ListElement { name: "a" } }

    function sameColour(actual, expected, what) {
        verify(Qt.colorEqual(actual, expected), what + ": " + actual + " != " + expected)
    }

    function test_enabledFollowsModelLength() {
        const box = createTemporaryObject(comboComponent, testCase)
        verify(!box.enabled, "no model")
        box.model = []
        verify(!box.enabled, "empty model")
        box.model = [{ name: "Iron" }, { name: "Rainbow" }]
        verify(box.enabled, "entries arrived")
        compare(box.displayText, "Iron")
        box.model = 3
        verify(!box.enabled, "a number has no length")
        box.model = listModel
        verify(!box.enabled, "an item model has no length")
        box.model = ["x"]
        box.textRole = ""
        verify(box.enabled)
    }

    function test_lateModelThroughBinding() {
        const source = createTemporaryQmlObject("import QtQuick; QtObject { property var entries: [] }", testCase)
        const box = createTemporaryObject(comboComponent, testCase)
        box.model = Qt.binding(() => source.entries)
        verify(!box.enabled)
        source.entries = [{ name: "one" }]
        verify(box.enabled)
        compare(box.displayText, "one")
    }

    function test_plainArrayEntries() {
        const box = createTemporaryObject(comboComponent, testCase, { textRole: "", model: ["1", "2"] })
        compare(box.displayText, "1")
        mouseClick(box, 50, 15)
        tryCompare(box.popup, "opened", true)
        const list = box.popup.contentItem
        compare(list.count, 2)
        tryVerify(() => list.itemAtIndex(1) !== null)
        compare(box.popup.height, 60)
        compare(box.popup.y, 30)
        compare(box.popup.width, 200)
        const texts = []
        for (let i = 0; i < list.count; ++i) {
            const entry = list.itemAtIndex(i)
            texts.push(entry.contentItem.text)
            compare(entry.width, 200)
            compare(entry.height, 30)
        }
        compare(texts, ["1", "2"])
        sameColour(list.itemAtIndex(0).background.color, "#48484f", "highlighted entry")
        sameColour(list.itemAtIndex(1).background.color, "#2f2f37", "other entry")
        mouseClick(list.itemAtIndex(1), 50, 15)
        tryCompare(box.popup, "visible", false)
        compare(box.currentIndex, 1)
        compare(list.count, 0)
    }

    function test_objectEntriesShowName() {
        const box = createTemporaryObject(comboComponent, testCase,
                                          { model: [{ name: "Iron", value: 3 }, { name: "Gray", value: 4 }] })
        box.currentIndex = 1
        compare(box.displayText, "Gray")
        compare(box.contentItem.text, "Gray")
        sameColour(box.contentItem.color, "#ffffff", "text")
        compare(box.contentItem.leftPadding, 10)
    }

    function test_indicatorAndBadge() {
        const box = createTemporaryObject(comboComponent, testCase,
                                          { model: [{ name: "a" }, { name: "b" }, { name: "c" }], xshowCount: true })
        const badge = findChild(box.indicator, "xcountBadge")
        verify(box.indicator.visible)
        verify(badge.visible)
        compare(badge.children[0].text, "3")
        compare(box.indicator.x + box.indicator.width, box.width - 4)
        mouseMove(testCase, 390, 390)
        sameColour(badge.color, "#cccccc", "badge not hovered")
        sameColour(box.background.color, "#272727", "background")
        mouseMove(box, 20, 15)
        tryCompare(box, "hovered", true)
        sameColour(badge.color, "#00000000", "badge hovered")
        sameColour(badge.border.color, "#cccccc", "badge border hovered")
        sameColour(box.background.color, "#373737", "hovered background")
        box.xshowIndicator = false
        verify(!box.indicator.visible, "the badge goes with the indicator")
    }

    function test_tooltipOnlyWhileClosed() {
        const box = createTemporaryObject(comboComponent, testCase,
                                          { model: [{ name: "a" }], xtip: "Palette" })
        mouseMove(box, 20, 15)
        tryVerify(() => box._xtooltip !== null && box._xtooltip.visible)
        mouseClick(box, 20, 15)
        tryCompare(box.popup, "opened", true)
        tryVerify(() => !box._xtooltip.visible)
        box.popup.close()
    }

    // A plain array shows its entries under the default text role, and a value outside the list
    // shows the text the view gives for it.
    function test_plainArrayDefaultRoleAndOutsideValue() {
        const box = createTemporaryObject(comboComponent, testCase, { model: [50, 60, 70] })
        compare(box.displayText, "50")
        compare(box.contentItem.text, "50")
        box.currentIndex = 2
        compare(box.displayText, "70")
        box.xvalueText = "65"
        compare(box.displayText, "70")
        box.currentIndex = -1
        compare(box.displayText, "65")
        compare(box.contentItem.text, "65")
        box.model = [{ name: "Iron" }]
        box.currentIndex = -1
        compare(box.displayText, "65")
        box.currentIndex = 0
        compare(box.displayText, "Iron")
        mouseClick(box, 50, 15)
        tryCompare(box.popup, "opened", true)
        tryVerify(() => box.popup.contentItem.itemAtIndex(0) !== null)
        compare(box.popup.contentItem.itemAtIndex(0).contentItem.text, "Iron")
        box.popup.close()
    }
}
