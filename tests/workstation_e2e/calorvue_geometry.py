"""Where things are in Calorvue's 1400 x 800 main window, worked out by hand from its QML.

Every end-to-end check of the workstation takes its positions from here, so a layout change is
mended in one place. All positions are window coordinates (x right, y down, pixels).

Main (Views/Main.qml): menu bar 40 high; tab area from y 40, 800 - 40 - 20 (expander) - 100
(store) = 640 high, 1400 wide; popups opened by TabManagerView are placed in its coordinates,
so their window y is 40 more.
"""

WINDOW_W, WINDOW_H = 1400, 800
TITLE = "Calorvue v1.6.0.0330"
MENU_H = 40
TAB_AREA_Y, TAB_AREA_W, TAB_AREA_H = MENU_H, 1400, 800 - 40 - 20 - 100   # 640


def centre(x0, y0, w, h):
    return x0 + w // 2, y0 + h // 2


# --- Live camera module in layout r1c1 (LiveScreenshot) ------------------------------------------
# Frame body 30 below the frame's top, the module view 2 inside it: x 2, y 113, 1396 x 565.
# Canvas: x 2 + 50 = 52, y 113, 1396 - 50 - 80 = 1266 wide, 565 - 40 = 525 high. Palette bar at
# x 2 + 1396 - 80 = 1318, 80 wide; its colour picture 16 wide, 18 from the bar's right edge
# (x 1364..1379), from y 113 + 30 = 143 to 113 + 565 - 70 = 608.
# The canvas fits the 640 x 512 image by height (1.25 < 1266 / 525): 656.25 x 525, centred, so
# image x maps to 304.875 + x * 656.25 / 640 and image y to y * 525 / 512 inside the canvas.
CANVAS_X, CANVAS_Y, CANVAS_W, CANVAS_H = 52, 113, 1266, 525
IMG_W, IMG_H = 640, 512
FIT_W = CANVAS_H * IMG_W / IMG_H          # 656.25
FIT_LEFT = CANVAS_W / 2 - FIT_W / 2       # 304.875
PALETTE_X = 1372                          # middle of the colour picture
PALETTE_TOP, PALETTE_BOTTOM = 143, 608


def view_x(ix):
    return CANVAS_X + int(ix * FIT_W / IMG_W + FIT_LEFT)


def view_y(iy):
    return CANVAS_Y + int(iy * CANVAS_H / IMG_H)


# --- MenuConfig (Views/MenuConfig.qml) at the bar's right edge: 80 wide -----------------------
# Manual button x 1320..1359, settings (cog) button x 1360..1399, both 39 high.
MENU_CONFIG_X = WINDOW_W - 80
COG = centre(MENU_CONFIG_X + 40, 0, 40, 39)                   # (1380, 19)
# Its popup: list 120 wide + padding 5 each side = 130, right edge on the window's right edge
# (x 1270), directly below the bar (y 40); rows 120 x 40 from (1275, 45).
CONFIG_POPUP_X, CONFIG_POPUP_Y = WINDOW_W - 130, MENU_H


def config_entry(i):
    """Centre of entry i of the settings menu: 0 Settings, 1 AppInfo, 2 Update."""
    return centre(CONFIG_POPUP_X + 5, CONFIG_POPUP_Y + 5 + 40 * i, 120, 40)


# --- AppConfigSettings (Views/Basic/AppConfigSettings.qml) -------------------------------------
# 512 wide (rows of 200 + 4 + 300 and padding 4 each side), centred in the tab area:
# x = (1400 - 512) / 2 = 444. Height: padding 8 + head 40 + Language 32 + SaveDir 80 +
# DisplayFpsMax 32 + buttons 40 + 5 gaps of 10 = 272; y = 40 + (640 - 272) / 2 = 224.
# Content from (448, 228): head y 228..267, Language 278..309, SaveDir 320..399,
# DisplayFpsMax 410..441, button bar 452..491 (504 wide).
SETTINGS_X, SETTINGS_Y, SETTINGS_W, SETTINGS_H = 444, 224, 512, 272
_SX, _SY = SETTINGS_X + 4, SETTINGS_Y + 4
SETTINGS_HEAD = (_SX + 400, _SY + 20)                          # fill "#222222", right of the title
LANGUAGE_Y, SAVEDIR_Y, FPS_Y, BUTTONS_Y = _SY + 50, _SY + 92, _SY + 182, _SY + 224
VALUE_X = _SX + 200 + 4                                        # 652: value panels start here
VALUE_W = 300
# The validity frame lies exactly over DisplayFpsMax's value panel: red columns x 652 and 951,
# each the row's height (y 410..441).
FPS_FRAME_LEFT, FPS_FRAME_RIGHT = VALUE_X, VALUE_X + VALUE_W - 1
FPS_FRAME_TOP, FPS_FRAME_BOTTOM = FPS_Y, FPS_Y + 31
FPS_FIELD = centre(VALUE_X, FPS_Y, VALUE_W, 32)               # (802, 426)
LANGUAGE_BOX = centre(VALUE_X, LANGUAGE_Y, VALUE_W, 32)       # (802, 294)


def language_entry(i):
    """Centre of entry i of the language list: directly below the box, padding 1, 32 high each."""
    return centre(VALUE_X, LANGUAGE_Y + 32 + 1 + 32 * i, VALUE_W, 32)


# Folder button: 32 x 32 right of the 260-wide value panel, vertically centred in the 80 rows.
FOLDER_BUTTON = centre(_SX + 200 + 4 + 260, SAVEDIR_Y + 24, 32, 32)     # (928, 360)
# Buttons 80 x 30, 20 from the bar's right end and 20 apart: Cancel x 852..931, Save 752..831.
SAVE = centre(_SX + 504 - 20 - 80 - 20 - 80, BUTTONS_Y + 5, 80, 30)    # (792, 472)
CANCEL = centre(_SX + 504 - 20 - 80, BUTTONS_Y + 5, 80, 30)           # (892, 472)
# The reason a Save did not close the dialog: text in "color_danger" from x 12 of the bar, as wide
# as the bar less 220 (x 460..743), over the bar's 40 rows.
SAVE_ERROR_BOX = (_SX + 12, BUTTONS_Y, 504 - 220, 40)

# --- AppConfigInformation: 412 wide (150 + 4 + 250 + padding), 8 + 40 + 32 + 32 + 2 gaps = 132
# high, centred: x = (1400 - 412) / 2 = 494, y = 40 + (640 - 132) / 2 = 294. Content from
# (498, 298): AppName row y 348..379, AppVersion row 390..421; value panels x 652..901.
INFO_X, INFO_Y = 494, 294
INFO_VALUE_X, INFO_VALUE_W = INFO_X + 4 + 154, 250
INFO_NAME_Y, INFO_VERSION_Y = INFO_Y + 4 + 50, INFO_Y + 4 + 92

# --- The toolkit's own folder dialog (QtQuick.Dialogs without a platform dialog) --------------
# Its size is set by the toolkit, not by our QML: 600 x 400, centred in the window, measured on a
# shot: (400, 200)..(999, 599). First folder of its list and its "Open" button:
TOOLKIT_DIALOG = (400, 200, 600, 400)
TOOLKIT_BORDER = (184, 184, 184)          # its 1-pixel frame, at x 400 and 999
TOOLKIT_FIRST_ENTRY = (700, 287)
TOOLKIT_OPEN = (861, 574)


def live_image_shown(shot, close):
    """Whether the live canvas shows a camera picture: the palette bar has two ends and the
    simulator's cold spot shows the palette's bottom colour."""
    top = shot.at(PALETTE_X, PALETTE_TOP + 3)
    bottom = shot.at(PALETTE_X, PALETTE_BOTTOM - 3)
    if close(top, bottom):
        return False
    return bool(shot.near(view_x(480), view_y(341), lambda c: close(c, bottom)))

# --- Tab strip, frames and the dialogs and prompts (DialogsAndPrompts) --------------------------
# Tab strip of TabManagerView at y 40 + 5, tabs 250 wide; the selected tab's three buttons at
# x 172, 194, 216 (22 x 22, y 45 + 4): name, layout grid, close. The body starts at y 40 + 41 = 81.
TAB_BODY_Y = TAB_AREA_Y + 41                                   # 81
TAB_GRID_BUTTON = centre(194, TAB_AREA_Y + 5 + 4, 22, 22)      # (205, 60)
# Layout r1c2 in the 1400 x 599 body: w2 = (1400 - 4) / 2 = 698; frame 0 x 0..697, frame 1 from
# x 702 (its 1-pixel border "#666666"), the 4 between them the window's "#171717".
FRAME1_X = 698 + 4                                             # 702
FRAME_BORDER, WINDOW_COLOUR = (0x66, 0x66, 0x66), (0x17, 0x17, 0x17)
# Frame heads (y 82..110): the close button 22 x 22 at x 1 + 307, y 81 + 1 + 2; "#555859" right of
# the buttons (x 400 of the frame), "#0f6b8e" for the selected frame.
FRAME_HEAD_Y = TAB_BODY_Y + 15                                 # 96
FRAME0_CLOSE = centre(1 + 307, TAB_BODY_Y + 3, 22, 22)         # (319, 95)
FRAME_HEAD_COLOURS = ((0x55, 0x58, 0x59), (0x0f, 0x6b, 0x8e))
FRAME_BODY_COLOUR = (0x33, 0x33, 0x33)
# Frame 0's live module in r1c2: module view x 2..695, y 113..677 (694 x 565); canvas x 52,
# 694 - 50 - 80 = 564 wide, 525 high. The 640 x 512 image fits by width (564 / 525 < 1.25):
# 564 x 451.2, centred: 36.9 from the canvas top. Image x maps to 52 + x * 564 / 640, y to
# 113 + 36.9 + y * 451.2 / 512. Palette picture x 696 - 18 - 16 = 662..677, y 143..608.
R1C2_CANVAS_X, R1C2_CANVAS_W = 52, 564
R1C2_FIT_H = R1C2_CANVAS_W * IMG_H / IMG_W                     # 451.2
R1C2_FIT_TOP = CANVAS_Y + (CANVAS_H - R1C2_FIT_H) / 2          # 149.9
R1C2_PALETTE_X = 670


def r1c2_x(ix):
    return R1C2_CANVAS_X + int(ix * R1C2_CANVAS_W / IMG_W)


def r1c2_y(iy):
    return int(R1C2_FIT_TOP + iy * R1C2_FIT_H / IMG_H)


# Control bar of frame 0's live module: x 52, y 113 + 565 - 40 = 638, 40 high; a 1 x 7 grid of
# 50-wide cells: pause, record, snap, FFC, recorder settings (cog), REC, PTZ.
LIVE_RECORD = (52 + 75, 658)
LIVE_RECORDER_CONFIG = (52 + 225, 658)
# Place button of frame 0 while a placement is pending: 120 x 120, centred in the frame's body
# (x 0..697, y 111..679).
FRAME0_PLACE = (349, 395)
# Camera button of the menu bar: x 40 + 1 + 40 + 80 + 1 + 40 = 202, 80 wide; its popup from
# (202, 40), rows 500 x 130, "Connect" 100 x 30 at (172, 90) of the row.
CAMERA_BUTTON = centre(202, 0, 80, 40)                         # (242, 20)
CONNECT_FIRST = centre(202 + 172, MENU_H + 90, 100, 30)        # (424, 145)
# Measurement list: after the 240-wide tool bar place, x 202 + 80 + 1 + 240 = 523; its box 400
# wide, then edit (40) and delete (40). The drop-down rows, 60 high, from y 40.
MEA_LIST_BOX = centre(523, 0, 400, 40)                         # (723, 20)
MEA_LIST_EDIT = centre(923, 0, 40, 40)                         # (943, 20)


def mea_list_row(i):
    return centre(523, MENU_H + 60 * i, 400, 60)


# Dialogs (Views/Basic) open at x = (1400 - width) / 2, y = 81 + 100 = 181; padding 4 (2 for
# the module prompt); head bar 40 high "#222222" under the padding; content 10 below it.
DIALOG_Y = TAB_BODY_Y + 100                                    # 181
DIALOG_HEAD = (0x22, 0x22, 0x22)
# ConfigTabLayout: 4 x 160 + 3 x 10 = 670 + 8 = 678 wide at x 361; buttons from (365, 235),
# 170 apart; r1c2 is row 0, column 2. Buttons bar y 495..534: OK x 835..914, Cancel 935..1014.
LAYOUT_X = (1400 - 678) // 2                                   # 361
LAYOUT_HEAD = (LAYOUT_X + 400, DIALOG_Y + 24)
LAYOUT_R1C2 = centre(365 + 2 * 170, 235, 160, 120)             # (785, 295)
LAYOUT_OK = centre(365 + 670 - 20 - 80 - 20 - 80, 500, 80, 30)  # (875, 515)
# ConfigRecorder: two 354-wide columns, 4 + 1 + 4 between them, padding 4: 725 wide at x 337;
# rows 32 high, 4 apart, from y 235; left value panels from x 341 + 154 = 495, right column
# from x 341 + 354 + 9 = 704, its value panels from 858. Left rows: start and stop trigger,
# addToRecent, a 32-high gap, preBufferEnable (y 379), preBuffer (415), ...; right rows:
# fnPrefixEnable (235), fnPrefix (271), ...
RECORDER_X = (1400 - 725) // 2                                 # 337
RECORDER_HEAD = (RECORDER_X + 400, DIALOG_Y + 24)
CHECK_OFFSET = 20                                              # the check box's centre in its panel


def recorder_left(y):
    return 341 + 154, y


def recorder_right(y):
    return 704 + 154, y


PREFIX_ENABLE = (recorder_right(235)[0] + CHECK_OFFSET, 235 + 16)
PREFIX_FIELD = (recorder_right(271)[0] + 100, 271 + 16)
PREBUFFER_ENABLE = (recorder_left(379)[0] + CHECK_OFFSET, 379 + 16)
PREBUFFER_FIELD = (recorder_left(415)[0] + 100, 415 + 16)
CHECKED_BLUE = (0x40, 0x87, 0xF0)
# CommonSaveModule: 600 wide at x 400, padding 2: head y 183..222, text 233..272, button bar
# 283..322 holding a 1 x 3 grid (unit margin 8) over 596 from x 402: Save, SaveNone, Cancel.
PROMPT_X = 400
MODULE_PROMPT_HEAD = (PROMPT_X + 300, DIALOG_Y + 2 + 20)
MODULE_PROMPT_SAVE = (402 + 596 // 6, 303)                     # (501, 303)
MODULE_PROMPT_SAVENONE = (402 + 596 // 2, 303)                 # (700, 303)
# CommonSaveWorkspace with one input: padding 4, head 185..224, "Workspace" 235..264, its switch
# row 275..304, "Input" 315..344, one input row 355..384, buttons 395..434 as a 1 x 4 grid over
# 592 from x 404: SaveAll, SaveSelected, SaveNone, Cancel.
WORKSPACE_PROMPT_HEAD = (PROMPT_X + 300, DIALOG_Y + 4 + 20)
WORKSPACE_PROMPT_SAVENONE = (404 + 148 * 2 + 74, 415)          # (774, 415)
# ConfigMea: 150 + 4 + 250 + 8 = 412 wide at x 494; rows from y 235 (name), 271 (colour), ...
# 4 apart, two separators; buttons bar y 539..578: OK x 702..781. The colour picker fills the
# value panel x 652..901 (swatch 218 wide); its presets popup below it (y 303), padding 4: 30 x 30
# presets in 8 columns from (656, 307); "#FF00FF" is preset 24, "#00FFFF" preset 28.
MEA_X = (1400 - 412) // 2                                      # 494
MEA_HEAD = (MEA_X + 300, DIALOG_Y + 24)
MEA_SWATCH = (652 + 109, 271 + 16)
MEA_OK = centre(498 + 404 - 20 - 80 - 20 - 80, 544, 80, 30)    # (742, 559)


def mea_preset(i):
    return centre(656 + 30 * (i % 8), 307 + 30 * (i // 8), 30, 30)

# --- Tools and popups (ToolsAndPopups), live module in r1c1 -------------------------------------
# Measurement tool bar (Views/MenuMeaTool.qml) from x 202 + 80 + 1 = 283: Select, then the four
# group buttons 40 wide each; the fourth (x 443..482) starts with Rectangle.
TOOL_RECTANGLE = centre(283 + 4 * 40, 0, 40, 39)               # (463, 19)
MEA_LIST_ROW_COLOURS = ((0x2f, 0x2f, 0x37), (0x48, 0x48, 0x4f))
# Left tool column of the live module: a 1 x 8 grid of 50 x 50 cells from (2, 113); the palette
# button is its second cell.
LIVE_PALETTE_BUTTON = centre(2, 113 + 50, 50, 50)              # (27, 188)
# ModuleConfigPalette: padding 4 around a column (spacing 4) of the title (30), a 2-high
# separator, the palette's name (30), a 1-high separator and the 450 x 240 grid: 458 x 327. No
# place around the module view is free, so it lies inside at the left bar's edge: (52, 113),
# borders "#3a3a3a" at x 52 and 509, y 113 and 439. Grid from (56, 196), cells 150 x 80 holding
# a 140 x 70 button; palette k at row k // 3, column k % 3.
PALETTE_POPUP = (52, 113, 458, 327)
POPUP_BORDER = (0x3a, 0x3a, 0x3a)


def palette_cell(k):
    return centre(56 + 150 * (k % 3), 196 + 80 * (k // 3), 140, 70)


# Palette bar (Views/Basic/TempPalette.qml) at x 1318: top box y 113..142, bottom box
# 113 + 565 - 70 = 608..637, both 80 x 30; its bottom row y 637..676 a 1 x 2 grid of 40-wide
# cells: manual range, colour temperature.
PALETTE_TOP_BOX = (1318, 113, 80, 30)
PALETTE_BOTTOM_BOX = (1318, 608, 80, 30)
LIVE_MT_BUTTON = centre(1318, 637, 40, 40)                     # (1338, 657)
# ModuleConfigImageMT: 412 wide (a 404-wide column and padding 4), inside the module view's
# top-right corner next to the palette bar: x 2 + 1396 - 80 - 412 = 906, y 113. Its title is one
# line of 14-point text, 23 high (its font's line height, measured on a shot); rows 32 high below
# the title, a 4 gap, the 2-high separator and a 4 gap: enable y 150..181, temp0 186..217, temp1
# 222..253; Apply 50 x 30 at the right, y 258..287; value panels from x 910 + 154 = 1064.
MT_POPUP = (906, 113, 412, 179)
MT_TEMP0 = (1064 + 125, 186 + 16)                              # (1189, 202)
MT_TEMP1 = (1064 + 125, 222 + 16)                              # (1189, 238)
MT_APPLY = centre(910 + 404 - 50, 258, 50, 30)                 # (1289, 273)
# Store (Views/Store.qml) at y 800 - 100 = 700: the folder page from x 64, its folder button 50
# wide; tiles 150 x 100 from x 64 + 54 = 118, the picture 96 x 72 at (27, 4) of the tile.
STORE_Y = WINDOW_H - 100
STORE_FOLDER = centre(64, STORE_Y, 50, 100)                    # (89, 750)
STORE_BACKGROUND = (0x27, 0x27, 0x27)


def store_tile(i):
    return (118 + 150 * i, STORE_Y, 150, 100)


def tile_picture(i):
    return (118 + 150 * i + 27, STORE_Y + 4, 96, 72)


# Frame 0's body in r1c1: x 1..1398, y 111..678; the Place button 120 x 120 in its middle.
FRAME0_BODY = (1, 111, 1398, 568)
R1C1_PLACE = (1400 // 2 - 60, 111 + 568 // 2 - 60, 120, 120)   # (640, 335)

# The save dialog's file name field (shown only when saving), measured on a shot like the rest of
# the toolkit's dialog.
TOOLKIT_FILE_NAME = (700, 541)
