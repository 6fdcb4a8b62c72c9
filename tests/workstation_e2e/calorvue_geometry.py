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
