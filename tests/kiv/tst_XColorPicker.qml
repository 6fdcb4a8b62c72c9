import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XColorPicker"
    width: 400
    height: 400
    visible: true
    when: windowShown

    Component {
        id: pickerComponent
        XColorPicker { x: 10; y: 10; xcolor: "#3366FF" }
    }

    SignalSpy { id: colourSpy; signalName: "xcolorChanged" }

    function sameColour(actual, expected, what) {
        verify(Qt.colorEqual(actual, expected), what + ": " + actual + " != " + expected)
    }

    function presets(picker) {
        const repeater = findChild(picker, "xcolorPresets")
        verify(repeater, "presets")
        const out = []
        for (let i = 0; i < repeater.count; ++i)
            out.push(repeater.itemAt(i))
        return out
    }

    function checkedIndexes(picker) {
        const out = []
        const p = presets(picker)
        for (let i = 0; i < p.length; ++i)
            if (p[i].xchecked && p[i].children[0].visible)
                out.push(i)
        return out
    }

    function openPalette(picker) {
        const popup = findChild(picker, "xpalettePopup")
        mouseClick(picker, 20, 10)
        tryCompare(popup, "opened", true)
        return popup
    }

    function test_layout() {
        const picker = createTemporaryObject(pickerComponent, testCase)
        compare(picker.width, 180)
        compare(picker.height, 20)
        const swatch = findChild(picker, "xcolorSwatch")
        compare([swatch.y, swatch.width, swatch.height], [2, 148, 16])
        sameColour(swatch.color, "#3366FF", "swatch")
        const menu = findChild(picker, "xcolorMenu")
        compare([menu.x, menu.width, menu.height], [150, 30, 20])
        compare(picker.cfg_colors.length, 40)
        compare(picker.cfg_colors[0], "#000000")
        compare(picker.cfg_colors[39], "#FFFFFF")
    }

    function test_checkMarkFollowsColour() {
        const picker = createTemporaryObject(pickerComponent, testCase)
        const popup = openPalette(picker)
        compare(popup.y, 20)
        const p = presets(picker)
        compare(p.length, 40)
        // "#3366FF" is the sixth colour of the third row.
        compare(checkedIndexes(picker), [21])
        compare(p[21].mapToItem(popup.contentItem, 0, 0).x, 5 * 30)
        compare(p[21].mapToItem(popup.contentItem, 0, 0).y, 2 * 30)
        picker.xcolor = "#ff9900"
        compare(checkedIndexes(picker), [17])
        picker.xcolor = "#123456"
        compare(checkedIndexes(picker), [])
        popup.close()
    }

    function test_pickPreset() {
        const picker = createTemporaryObject(pickerComponent, testCase)
        colourSpy.target = picker
        colourSpy.clear()
        let popup = openPalette(picker)
        const p = presets(picker)
        mouseClick(p[9], 15, 15)
        tryCompare(popup, "visible", false)
        sameColour(picker.xcolor, "#FF6600", "picked")
        compare(colourSpy.count, 1)

        // Picking the colour already chosen closes the palette and changes nothing.
        popup = openPalette(picker)
        compare(checkedIndexes(picker), [9])
        mouseClick(p[9], 15, 15)
        tryCompare(popup, "visible", false)
        compare(colourSpy.count, 1)
    }

    function test_menuButtonOpensPalette() {
        const picker = createTemporaryObject(pickerComponent, testCase)
        const popup = findChild(picker, "xpalettePopup")
        mouseClick(findChild(picker, "xcolorMenu"), 15, 10)
        tryCompare(popup, "opened", true)
        popup.close()
        tryCompare(popup, "visible", false)
    }

    function test_moreColoursCancelled() {
        const picker = createTemporaryObject(pickerComponent, testCase)
        const popup = openPalette(picker)
        const more = findChild(popup.contentItem, "xmoreColors")
        verify(more)
        compare(more.text, "MoreColors")
        mouseClick(more, 10, 10)
        const dialog = XTheme.colorDialog
        tryCompare(dialog, "visible", true)
        verify(dialog.colorPicker === picker)
        verify(popup.visible, "the palette stays open")
        dialog.selectedColor = "#abcdef"
        dialog.reject()
        tryCompare(dialog, "visible", false)
        sameColour(picker.xcolor, "#3366FF", "unchanged")
        popup.close()
    }

    function test_moreColoursAccepted() {
        const picker = createTemporaryObject(pickerComponent, testCase)
        const popup = openPalette(picker)
        mouseClick(findChild(popup.contentItem, "xmoreColors"), 10, 10)
        const dialog = XTheme.colorDialog
        tryCompare(dialog, "visible", true)
        sameColour(dialog.selectedColor, "#3366FF", "dialog starts at the picker's colour")
        dialog.selectedColor = "#abcdef"
        dialog.accept()
        tryCompare(dialog, "visible", false)
        sameColour(picker.xcolor, "#abcdef", "accepted")
        popup.close()
    }
}
