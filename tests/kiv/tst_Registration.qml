import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "Registration"
    width: 300
    height: 200
    visible: true
    when: windowShown

    readonly property var typeNames: [
        "FGBGBO", "XButton", "XButtonSvg", "XButtonImage", "XButtonText", "XColorPicker",
        "XComboBox", "XCheckBox", "XFileDialog", "XFolderDialog", "XGrid", "XHead", "XImage",
        "XSeperator", "XSlider", "XSliderRange", "XSwitch", "XTab", "XText", "XTextBox",
        "XInputInt", "XInputFloat", "XInputFloatSlider", "XInputString", "XInputBool", "XInputEnum",
        "XInputColor", "XPopup", "XPopupNotify", "XListView", "XListCellText", "XListCellTextBox",
        "XListCellCheckBox", "XListCellEdit", "XTableView"
    ]

    XTextBox { id: box; x: 10; y: 10 }

    function test_everyTypeInstantiates_data() {
        return typeNames.map(n => ({ tag: n, type: n }))
    }

    function test_everyTypeInstantiates(data) {
        const object = Qt.createQmlObject("import Kiv 1.0; " + data.type + " {}", testCase, data.type)
        verify(object !== null)
        object.destroy()
    }

    function test_singletons() {
        verify(XTheme !== null && XTheme !== undefined)
        verify(XUtil !== null && XUtil !== undefined)
        const viaImport = Qt.createQmlObject(
            "import QtQuick; import Kiv 1.0; QtObject { property var theme: XTheme }", testCase)
        verify(viaImport.theme === XTheme)
        viaImport.destroy()
    }

    // The view (this file) and a control resolve the same theme object: a change made here
    // recolours the control.
    function test_sharedThemeInstance() {
        const saved = XTheme.input_colors4
        try {
            verify(Qt.colorEqual(box.background.color, saved[0]))
            XTheme.input_colors4 = ["#112233", "#223344", "#334455", "#445566"]
            verify(Qt.colorEqual(box.background.color, "#112233"))
        } finally {
            XTheme.input_colors4 = saved
        }
        verify(Qt.colorEqual(box.background.color, saved[0]))
    }

    function near(actual, expected) {
        return Math.abs(actual - expected) < 1 / 1000
    }

    function test_mix() {
        const a = Qt.rgba(1, 0, 0.5, 0.25)
        const b = Qt.rgba(0, 1, 0.25, 1)
        const m0 = XUtil.mix(a, b, 0)
        verify(near(m0.r, 0) && near(m0.g, 1) && near(m0.b, 0.25) && m0.a === 1, "alpha 0 gives c1: " + m0)
        const m1 = XUtil.mix(a, b, 1)
        verify(near(m1.r, 1) && near(m1.g, 0) && near(m1.b, 0.5) && m1.a === 1, "alpha 1 gives c0: " + m1)
        const mh = XUtil.mix(a, b, 0.5)
        verify(near(mh.r, 0.5) && near(mh.g, 0.5) && near(mh.b, 0.375) && mh.a === 1, "half: " + mh)

        // Dark and white mixes: (20, 20, 20) and white as the first colour.
        const d = XUtil.mix_dark("#409EFF", 0.5)
        verify(near(d.r, 42 / 255) && near(d.g, 89 / 255) && near(d.b, 137.5 / 255), "dark: " + d)
        const w = XUtil.mix_white("#409EFF", 0.5)
        verify(near(w.r, 159.5 / 255) && near(w.g, 206.5 / 255) && near(w.b, 1), "white: " + w)
        const t = XUtil.mix_dark("#80ffffff", 0)
        compare(t.a, 1)
    }
}
