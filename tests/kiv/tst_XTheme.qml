import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XTheme"
    width: 400
    height: 300
    visible: true
    when: windowShown

    property url probeUrl

    XColorPicker { id: pickerA; xcolor: "#111111" }
    XColorPicker { id: pickerB; y: 30; xcolor: "#222222" }

    function sameColour(actual, expected, what) {
        verify(Qt.colorEqual(actual, expected), what + ": " + actual + " != " + expected)
    }

    // Exact rule worked in tenths: base + (target - base) * k / 10, halves rounded up.
    function expectedChannel(base, target, k) {
        return Math.floor((base * (10 - k) + target * k) / 10 + 0.5)
    }

    function test_shades() {
        const bases = { primary: [64, 158, 255], success: [103, 194, 58], warning: [230, 162, 60],
                        danger: [245, 108, 108], info: [144, 147, 153] }
        let checked = 0
        for (const name in bases) {
            for (const kind of ["light", "dark"]) {
                const target = kind === "light" ? 255 : 20
                for (let k = 1; k <= 9; ++k) {
                    const c = XTheme["color_" + name + "_" + kind + "_" + k]
                    const got = [Math.round(c.r * 255), Math.round(c.g * 255), Math.round(c.b * 255)]
                    const want = bases[name].map(b => expectedChannel(b, target, k))
                    compare(got, want, name + " " + kind + " " + k)
                    compare(c.a, 1)
                    ++checked
                }
            }
        }
        compare(checked, 90)
    }

    function test_shadeSamples() {
        compare(XTheme.color_primary_light_1.toString(), "#53a8ff")
        compare(XTheme.color_primary_light_5.toString(), "#a0cfff")
        compare(XTheme.color_primary_dark_1.toString(), "#3c90e8")
        compare(XTheme.color_primary_dark_5.toString(), "#2a598a")
        compare(XTheme.color_primary_dark_9.toString(), "#18222c")
        compare(XTheme.color_warning_light_7.toString(), "#f8e3c5")
        compare(XTheme.color_danger_dark_1.toString(), "#df6363")
        compare(XTheme.color_info_light_5.toString(), "#c8c9cc")
        compare(XTheme.color_info_dark_9.toString(), "#202121")
        compare(XTheme.form_colors4[3].toString(), "#2a598a")
    }

    function test_buttonArray() {
        const table = [
            [["button_default_text_color", "color_primary", "color_primary", "button_disabled_text_color"],
             ["button_default_background_color", "color_primary_dark_9", "color_primary_dark_9", "button_disabled_background_color"],
             ["button_default_border_color", "color_primary_dark_7", "color_primary", "button_disabled_border_color"]]
        ]
        for (const f of ["primary", "success", "warning", "danger", "info"]) {
            const c = "color_" + f
            table.push([["color_white", "color_white", "color_white", "button_default_text_color"],
                        [c, c + "_dark_3", c + "_light_2", c + "_dark_5"],
                        [c, c + "_dark_3", c + "_light_2", c + "_dark_5"]])
        }
        table.push([["button_default_text_color", "color_primary", "color_primary", "button_disabled_text_color"],
                    ["button_default_background_color", "color_transparent", "color_transparent", "button_disabled_background_color"],
                    ["button_default_border_color", "color_primary", "color_primary", "button_disabled_border_color"]])
        for (const f of ["primary", "success", "warning", "danger", "info"]) {
            const c = "color_" + f
            table.push([[c, "color_white", "color_white", c + "_dark_5"],
                        [c + "_dark_9", c, c + "_light_2", c + "_dark_9"],
                        [c + "_dark_6", c, c + "_light_2", c + "_dark_8"]])
        }
        table.push([["color_primary", "color_primary_dark_5", "color_primary_dark_2", "button_disabled_text_color"],
                    ["color_transparent", "color_transparent", "color_transparent", "color_transparent"],
                    ["color_transparent", "color_transparent", "color_transparent", "color_transparent"]])
        compare(XTheme._button_array.length, 13)
        const lists = ["fg", "bg", "bo"]
        for (let n = 0; n < 13; ++n) {
            const style = XTheme._button_array[n]
            verify(style === XTheme["_button" + n])
            for (let l = 0; l < 3; ++l) {
                compare(style[lists[l]].length, 4)
                for (let s = 0; s < 4; ++s)
                    sameColour(style[lists[l]][s], XTheme[table[n][l][s]],
                               "_button" + n + "." + lists[l] + "[" + s + "] " + table[n][l][s])
            }
        }
        // The absolute values the names stand for.
        sameColour(XTheme.button_default_text_color, "#CFD3DC", "default text")
        sameColour(XTheme.button_disabled_border_color, "#414243", "disabled border")
        for (const s of ["fgbgbo_icon", "fgbgbo_icon_2", "fgbgbo_text", "fgbgbo_update", "fgbgbo_delete", "fgbgbo_create"])
            compare(XTheme[s].bo.length, 0, s)
    }

    function test_pathToUrl() {
        compare(XTheme.fn_os2url("/home/u/x"), "file:///home/u/x")
        compare(XTheme.fn_os2url("/img/a b.png"), "file:///img/a b.png")
        compare(XTheme.fn_os2url("/img/a#1.png"), "file:///img/a%231.png")
        compare(XTheme.fn_os2url("/img/q?.png"), "file:///img/q%3F.png")
        compare(XTheme.fn_os2url("/img/50%25.png"), "file:///img/50%2525.png")
        compare(XTheme.fn_os2url(""), "")
    }

    function test_urlToPath() {
        compare(XTheme.fn_url2os("file:///home/u/x"), "/home/u/x")
        compare(XTheme.fn_url2os("file:///img/a%20b.png"), "/img/a b.png")
        compare(XTheme.fn_url2os("file:///img/a%231.png"), "/img/a#1.png")
        compare(XTheme.fn_url2os("file:///img/50%25.png"), "/img/50%.png")
        // A stray '%' is read as itself rather than failing.
        compare(XTheme.fn_url2os("file:///img/50%.png"), "/img/50%.png")
        compare(XTheme.fn_url2os(""), "")
        // A plain path is already a path.
        compare(XTheme.fn_url2os("/img/50%25 #1.png"), "/img/50%25 #1.png")
        probeUrl = "file:///img/x%3Fy%23z.png"
        compare(XTheme.fn_url2os(probeUrl), "/img/x?y#z.png")
    }

    function test_roundTrip_data() {
        return [
            { tag: "space", path: "/tmp/a b/c d.png" },
            { tag: "hash", path: "/tmp/a#b/#c.png" },
            { tag: "question", path: "/tmp/what?.png" },
            { tag: "percent25", path: "/tmp/50%25.png" },
            { tag: "percent", path: "/tmp/50%.png" },
            { tag: "unicode", path: "/tmp/温度 ü.png" },
            { tag: "mixed", path: "/tmp/%41#?%2F &+;=.png" }
        ]
    }

    function test_roundTrip(data) {
        const url = XTheme.fn_os2url(data.path)
        compare(XTheme.fn_url2os(url), data.path)
        probeUrl = url
        compare(XTheme.fn_url2os(probeUrl), data.path)
    }

    function test_colourDialogRetargets() {
        const dialog = XTheme.colorDialog
        compare(dialog.title, "SelectColor")
        compare(dialog.modality, Qt.ApplicationModal)
        XTheme.openColorDialog(pickerA)
        tryCompare(dialog, "visible", true)
        verify(dialog.colorPicker === pickerA)
        sameColour(dialog.selectedColor, "#111111", "starts at A's colour")
        XTheme.openColorDialog(pickerB)
        tryCompare(dialog, "visible", true)
        verify(dialog.colorPicker === pickerB)
        sameColour(dialog.selectedColor, "#222222", "starts at B's colour")
        dialog.selectedColor = "#336699"
        dialog.accept()
        tryCompare(dialog, "visible", false)
        sameColour(pickerA.xcolor, "#111111", "A unchanged")
        sameColour(pickerB.xcolor, "#336699", "B takes the choice")

        XTheme.openColorDialog(pickerA)
        tryCompare(dialog, "visible", true)
        dialog.selectedColor = "#ff0000"
        dialog.reject()
        tryCompare(dialog, "visible", false)
        sameColour(pickerA.xcolor, "#111111", "rejected leaves A")
    }

    function test_colourDialogForPlainObject() {
        const holder = createTemporaryQmlObject("import QtQuick; QtObject { property color xcolor: \"#445566\" }", testCase)
        const dialog = XTheme.colorDialog
        // An object outside any window uses the window the dialog last showed in.
        XTheme.openColorDialog(pickerA)
        tryCompare(dialog, "visible", true)
        XTheme.openColorDialog(holder)
        tryCompare(dialog, "visible", true)
        verify(dialog.colorPicker === holder)
        dialog.selectedColor = "#010203"
        dialog.accept()
        tryCompare(dialog, "visible", false)
        sameColour(holder.xcolor, "#010203", "plain object takes the choice")
        sameColour(pickerA.xcolor, "#111111", "A unchanged")
        XTheme.openColorDialog(null)
        verify(!dialog.visible)
    }

    function test_writableColoursFollowed() {
        const saved = XTheme.tab_colors4
        XTheme.tab_colors4 = ["#010101", "#020202", "#030303", "#040404"]
        compare(XTheme.tab_colors4[2], "#030303")
        XTheme.tab_colors4 = saved
        sameColour(XTheme.popup_color_head, XTheme.color_dark, "popup head")
    }
}
