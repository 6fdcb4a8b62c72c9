pragma Singleton
import QtQuick
import QtQuick.Dialogs
import Kiv

// The module's look: palette, shades, font sizes, button and icon styles, plus the path helpers and
// the one colour dialog that every colour picker shares.
QtObject {
    id: theme

    readonly property color color_transparent: "#00000000"
    readonly property color color_black: "#000000"
    readonly property color color_white: "#FFFFFF"
    readonly property color color_dark: "#141414"
    readonly property color color_primary: "#409EFF"
    readonly property color color_success: "#67C23A"
    readonly property color color_warning: "#E6A23C"
    readonly property color color_danger: "#F56C6C"
    readonly property color color_info: "#909399"

    readonly property color text_color_primary: "#E5EAF3"
    readonly property color text_color_regular: "#CFD3DC"
    readonly property color text_color_secondary: "#A3A6AD"
    readonly property color text_color_placeholder: "#8D9095"
    readonly property color text_color_disabled: "#6C6E72"
    readonly property color text_color: text_color_primary

    readonly property color border_color_darker: "#636466"
    readonly property color border_color_base: "#4C4D4F"
    readonly property color border_color_light: "#414243"
    readonly property color border_color_lighter: "#363637"
    readonly property color border_color_extra_light: "#2B2B2C"
    readonly property color border_color: border_color_base

    readonly property color background_color_base: "#262627"
    readonly property color background_color: color_dark

    readonly property color fill_color_1: "#21242A"
    readonly property color fill_color_2: "#2D323C"
    readonly property color fill_color_3: "#393F47"
    readonly property color fill_color_4: "#3E454E"
    readonly property color fill_color_5: "#515A65"

    readonly property int font_size_extra_large: 18
    readonly property int font_size_large: 16
    readonly property int font_size_medium: 14
    readonly property int font_size_base: 12
    readonly property int font_size_small: 10
    readonly property int font_size_extra_small: 8
    readonly property int font_size: font_size_base

    readonly property color button_default_text_color: text_color_regular
    readonly property color button_default_background_color: color_transparent
    readonly property color button_default_border_color: border_color_base
    readonly property color button_disabled_text_color: text_color_disabled
    readonly property color button_disabled_background_color: color_transparent
    readonly property color button_disabled_border_color: border_color_light

    // Shades: the rule lives in the generator; these are its stored results.
    // BEGIN generated shades (scripts/gen_theme_shades.py)
    readonly property color color_primary_light_1: "#53a8ff"
    readonly property color color_primary_light_2: "#66b1ff"
    readonly property color color_primary_light_3: "#79bbff"
    readonly property color color_primary_light_4: "#8cc5ff"
    readonly property color color_primary_light_5: "#a0cfff"
    readonly property color color_primary_light_6: "#b3d8ff"
    readonly property color color_primary_light_7: "#c6e2ff"
    readonly property color color_primary_light_8: "#d9ecff"
    readonly property color color_primary_light_9: "#ecf5ff"
    readonly property color color_primary_dark_1: "#3c90e8"
    readonly property color color_primary_dark_2: "#3782d0"
    readonly property color color_primary_dark_3: "#3375b9"
    readonly property color color_primary_dark_4: "#2e67a1"
    readonly property color color_primary_dark_5: "#2a598a"
    readonly property color color_primary_dark_6: "#264b72"
    readonly property color color_primary_dark_7: "#213d5b"
    readonly property color color_primary_dark_8: "#1d3043"
    readonly property color color_primary_dark_9: "#18222c"
    readonly property color color_success_light_1: "#76c84e"
    readonly property color color_success_light_2: "#85ce61"
    readonly property color color_success_light_3: "#95d475"
    readonly property color color_success_light_4: "#a4da89"
    readonly property color color_success_light_5: "#b3e19d"
    readonly property color color_success_light_6: "#c2e7b0"
    readonly property color color_success_light_7: "#d1edc4"
    readonly property color color_success_light_8: "#e1f3d8"
    readonly property color color_success_light_9: "#f0f9eb"
    readonly property color color_success_dark_1: "#5fb136"
    readonly property color color_success_dark_2: "#569f32"
    readonly property color color_success_dark_3: "#4e8e2f"
    readonly property color color_success_dark_4: "#467c2b"
    readonly property color color_success_dark_5: "#3e6b27"
    readonly property color color_success_dark_6: "#355a23"
    readonly property color color_success_dark_7: "#2d481f"
    readonly property color color_success_dark_8: "#25371c"
    readonly property color color_success_dark_9: "#1c2518"
    readonly property color color_warning_light_1: "#e9ab50"
    readonly property color color_warning_light_2: "#ebb563"
    readonly property color color_warning_light_3: "#eebe77"
    readonly property color color_warning_light_4: "#f0c78a"
    readonly property color color_warning_light_5: "#f3d19e"
    readonly property color color_warning_light_6: "#f5dab1"
    readonly property color color_warning_light_7: "#f8e3c5"
    readonly property color color_warning_light_8: "#faecd8"
    readonly property color color_warning_light_9: "#fdf6ec"
    readonly property color color_warning_dark_1: "#d19438"
    readonly property color color_warning_dark_2: "#bc8634"
    readonly property color color_warning_dark_3: "#a77730"
    readonly property color color_warning_dark_4: "#92692c"
    readonly property color color_warning_dark_5: "#7d5b28"
    readonly property color color_warning_dark_6: "#684d24"
    readonly property color color_warning_dark_7: "#533f20"
    readonly property color color_warning_dark_8: "#3e301c"
    readonly property color color_warning_dark_9: "#292218"
    readonly property color color_danger_light_1: "#f67b7b"
    readonly property color color_danger_light_2: "#f78989"
    readonly property color color_danger_light_3: "#f89898"
    readonly property color color_danger_light_4: "#f9a7a7"
    readonly property color color_danger_light_5: "#fab6b6"
    readonly property color color_danger_light_6: "#fbc4c4"
    readonly property color color_danger_light_7: "#fcd3d3"
    readonly property color color_danger_light_8: "#fde2e2"
    readonly property color color_danger_light_9: "#fef0f0"
    readonly property color color_danger_dark_1: "#df6363"
    readonly property color color_danger_dark_2: "#c85a5a"
    readonly property color color_danger_dark_3: "#b25252"
    readonly property color color_danger_dark_4: "#9b4949"
    readonly property color color_danger_dark_5: "#854040"
    readonly property color color_danger_dark_6: "#6e3737"
    readonly property color color_danger_dark_7: "#582e2e"
    readonly property color color_danger_dark_8: "#412626"
    readonly property color color_danger_dark_9: "#2b1d1d"
    readonly property color color_info_light_1: "#9b9ea3"
    readonly property color color_info_light_2: "#a6a9ad"
    readonly property color color_info_light_3: "#b1b3b8"
    readonly property color color_info_light_4: "#bcbec2"
    readonly property color color_info_light_5: "#c8c9cc"
    readonly property color color_info_light_6: "#d3d4d6"
    readonly property color color_info_light_7: "#dedfe0"
    readonly property color color_info_light_8: "#e9e9eb"
    readonly property color color_info_light_9: "#f4f4f5"
    readonly property color color_info_dark_1: "#84868c"
    readonly property color color_info_dark_2: "#777a7e"
    readonly property color color_info_dark_3: "#6b6d71"
    readonly property color color_info_dark_4: "#5e6064"
    readonly property color color_info_dark_5: "#525457"
    readonly property color color_info_dark_6: "#464749"
    readonly property color color_info_dark_7: "#393a3c"
    readonly property color color_info_dark_8: "#2d2d2f"
    readonly property color color_info_dark_9: "#202121"
    // END generated shades

    // Button styles, indexed by XButton.xbuttonType.
    // default
    readonly property FGBGBO _button0: FGBGBO {
        fg: [theme.button_default_text_color, theme.color_primary, theme.color_primary, theme.button_disabled_text_color]
        bg: [theme.button_default_background_color, theme.color_primary_dark_9, theme.color_primary_dark_9, theme.button_disabled_background_color]
        bo: [theme.button_default_border_color, theme.color_primary_dark_7, theme.color_primary, theme.button_disabled_border_color]
    }
    // filled primary
    readonly property FGBGBO _button1: FGBGBO {
        fg: [theme.color_white, theme.color_white, theme.color_white, theme.button_default_text_color]
        bg: [theme.color_primary, theme.color_primary_dark_3, theme.color_primary_light_2, theme.color_primary_dark_5]
        bo: [theme.color_primary, theme.color_primary_dark_3, theme.color_primary_light_2, theme.color_primary_dark_5]
    }
    // filled success
    readonly property FGBGBO _button2: FGBGBO {
        fg: [theme.color_white, theme.color_white, theme.color_white, theme.button_default_text_color]
        bg: [theme.color_success, theme.color_success_dark_3, theme.color_success_light_2, theme.color_success_dark_5]
        bo: [theme.color_success, theme.color_success_dark_3, theme.color_success_light_2, theme.color_success_dark_5]
    }
    // filled warning
    readonly property FGBGBO _button3: FGBGBO {
        fg: [theme.color_white, theme.color_white, theme.color_white, theme.button_default_text_color]
        bg: [theme.color_warning, theme.color_warning_dark_3, theme.color_warning_light_2, theme.color_warning_dark_5]
        bo: [theme.color_warning, theme.color_warning_dark_3, theme.color_warning_light_2, theme.color_warning_dark_5]
    }
    // filled danger
    readonly property FGBGBO _button4: FGBGBO {
        fg: [theme.color_white, theme.color_white, theme.color_white, theme.button_default_text_color]
        bg: [theme.color_danger, theme.color_danger_dark_3, theme.color_danger_light_2, theme.color_danger_dark_5]
        bo: [theme.color_danger, theme.color_danger_dark_3, theme.color_danger_light_2, theme.color_danger_dark_5]
    }
    // filled info
    readonly property FGBGBO _button5: FGBGBO {
        fg: [theme.color_white, theme.color_white, theme.color_white, theme.button_default_text_color]
        bg: [theme.color_info, theme.color_info_dark_3, theme.color_info_light_2, theme.color_info_dark_5]
        bo: [theme.color_info, theme.color_info_dark_3, theme.color_info_light_2, theme.color_info_dark_5]
    }
    // plain
    readonly property FGBGBO _button6: FGBGBO {
        fg: [theme.button_default_text_color, theme.color_primary, theme.color_primary, theme.button_disabled_text_color]
        bg: [theme.button_default_background_color, theme.color_transparent, theme.color_transparent, theme.button_disabled_background_color]
        bo: [theme.button_default_border_color, theme.color_primary, theme.color_primary, theme.button_disabled_border_color]
    }
    // light primary
    readonly property FGBGBO _button7: FGBGBO {
        fg: [theme.color_primary, theme.color_white, theme.color_white, theme.color_primary_dark_5]
        bg: [theme.color_primary_dark_9, theme.color_primary, theme.color_primary_light_2, theme.color_primary_dark_9]
        bo: [theme.color_primary_dark_6, theme.color_primary, theme.color_primary_light_2, theme.color_primary_dark_8]
    }
    // light success
    readonly property FGBGBO _button8: FGBGBO {
        fg: [theme.color_success, theme.color_white, theme.color_white, theme.color_success_dark_5]
        bg: [theme.color_success_dark_9, theme.color_success, theme.color_success_light_2, theme.color_success_dark_9]
        bo: [theme.color_success_dark_6, theme.color_success, theme.color_success_light_2, theme.color_success_dark_8]
    }
    // light warning
    readonly property FGBGBO _button9: FGBGBO {
        fg: [theme.color_warning, theme.color_white, theme.color_white, theme.color_warning_dark_5]
        bg: [theme.color_warning_dark_9, theme.color_warning, theme.color_warning_light_2, theme.color_warning_dark_9]
        bo: [theme.color_warning_dark_6, theme.color_warning, theme.color_warning_light_2, theme.color_warning_dark_8]
    }
    // light danger
    readonly property FGBGBO _button10: FGBGBO {
        fg: [theme.color_danger, theme.color_white, theme.color_white, theme.color_danger_dark_5]
        bg: [theme.color_danger_dark_9, theme.color_danger, theme.color_danger_light_2, theme.color_danger_dark_9]
        bo: [theme.color_danger_dark_6, theme.color_danger, theme.color_danger_light_2, theme.color_danger_dark_8]
    }
    // light info
    readonly property FGBGBO _button11: FGBGBO {
        fg: [theme.color_info, theme.color_white, theme.color_white, theme.color_info_dark_5]
        bg: [theme.color_info_dark_9, theme.color_info, theme.color_info_light_2, theme.color_info_dark_9]
        bo: [theme.color_info_dark_6, theme.color_info, theme.color_info_light_2, theme.color_info_dark_8]
    }
    // text
    readonly property FGBGBO _button12: FGBGBO {
        fg: [theme.color_primary, theme.color_primary_dark_5, theme.color_primary_dark_2, theme.button_disabled_text_color]
        bg: [theme.color_transparent, theme.color_transparent, theme.color_transparent, theme.color_transparent]
        bo: [theme.color_transparent, theme.color_transparent, theme.color_transparent, theme.color_transparent]
    }
    readonly property var _button_array: [_button0, _button1, _button2, _button3, _button4, _button5,
        _button6, _button7, _button8, _button9, _button10, _button11, _button12]

    // Icon and text button styles; an empty bo list leaves the control's border colour alone.
    readonly property FGBGBO fgbgbo_icon: FGBGBO {
        fg: ["#cccccc", "#ffffff", "#cccccc", "#505050"]
        bg: ["#00000000", "#3a3a3a", "#00000000", "#00000000"]
    }
    readonly property FGBGBO fgbgbo_icon_2: FGBGBO {
        fg: ["#ffffff", "#18aae2", "#18aae2", "#505050"]
        bg: ["#00000000", "#3a3a3a", "#00000000", "#00000000"]
    }
    readonly property FGBGBO fgbgbo_text: FGBGBO {
        fg: ["#ffffff", "#ffffff", "#ffffff", "#505050"]
        bg: ["#3b3b43", "#48484f", "#2f2f37", "#00000000"]
    }
    readonly property FGBGBO fgbgbo_update: FGBGBO {
        fg: ["#cccccc", "#000000", "#000000", "#505050"]
        bg: ["#00000000", "#ffffff", "#ffffff", "#00000000"]
    }
    readonly property FGBGBO fgbgbo_delete: FGBGBO {
        fg: ["#cccccc", "#000000", "#000000", "#505050"]
        bg: ["#00000000", "#ff6666", "#ff6666", "#00000000"]
    }
    readonly property FGBGBO fgbgbo_create: FGBGBO {
        fg: ["#cccccc", "#66ff66", "#66ff66", "#505050"]
        bg: ["#00000000", "#00000000", "#00000000", "#00000000"]
    }

    // Writable: a view may reassign these and every control bound to them follows.
    property var dropdown_colors4: ["#2D323C", "#4E5A69", "#141820", "#505050"]
    property var input_colors4: ["#303040", "#404050", "#505060", "#505050"]
    property var tab_colors4: ["#141414", "#18222c", "#18222c", "#505050"]
    property var form_colors4: ["#1d1d1d", "#2d2d2d", "#3d3d3d", color_primary_dark_5]
    property color popup_color_head: color_dark
    property color form_color_head: "#2D323C"

    readonly property ColorDialog colorDialog: ColorDialog {
        // The picker the dialog currently works for; a later request takes the dialog over.
        property var colorPicker: null
        modality: Qt.ApplicationModal // qmllint disable type property
        title: qsTrId("SelectColor")
        onAccepted: {
            if (colorPicker)
                colorPicker.xcolor = selectedColor
        }
    }

    function fn_os2url(fn) {
        return XUtil.os2url(fn)
    }

    function fn_url2os(fn) {
        return XUtil.url2os(fn)
    }

    // A picker that had the dialog open loses it without a result; the dialog then works for
    // this picker and, on acceptance, sets its xcolor.
    function openColorDialog(colorPicker) {
        if (!colorPicker)
            return
        if (colorDialog.visible)
            colorDialog.close()
        colorDialog.colorPicker = colorPicker
        colorDialog.selectedColor = colorPicker.xcolor
        // The toolkit's own dialog shows inside a window: the picker's.
        const attached = colorPicker.Window
        if (attached && attached.window)
            colorDialog.parentWindow = attached.window
        colorDialog.open()
    }
}
