"""Where things are in Calorset's 1200 x 800 main window, worked out by hand from its views.

All positions are window coordinates (x right, y down, pixels).

Pages start at y 54; the live page's device panel at x 4, y 58, 240 wide, 738 high: its head 50
high, the device list 0.6 x 738 = 442.8 high (first row inset 4: x 8..236, y 108..168), the address
row 50 high, then the control grid of 3 x 4 cells of 60 x 50 at y 58 + 542.8 = 600.8: Play in its
first cell, centre (34, 625.8).
The image panel: x 248, 1200 - 240 - 280 - 16 = 664 wide (the side panel, 280 wide, follows at
x 916); its canvas area below a 50-pixel strip: y 108, 688 high. It fits the 640 x 512 image by
width (664 / 688 < 1.25): 664 x 531.2 at y 108 + (688 - 531.2) / 2 = 186.4, so image x maps to
248 + x x 664 / 640 and image y to 186.4 + y x 531.2 / 512.
Control grid cells are 60 x 50 from (4, 600.8): Play (34, 626), Snap (154, 626), Chart (94, 676).
The side panel's tabs (132 wide, inset 4, spacing 4): "Control" centred at (1122, 83). Its
control page fills x 916..1196, y 108..796: "FocusMF" head 30 high, then (spacing 4) a grid of
2 x 3 cells 80 high whose first cell, "FocusDeltaNear", is centred at (916 + 268 / 6, 142 + 20).
The page's scroll bar (10 wide) at its right edge, x 1186..1196; dragged to its end, the page's
last item, the preset list (300 high, rows of 30), ends at y 796: preset 3's row is y 556..586
and its "go to" button (20 x 20 at x 200 of the row) is centred at (1126, 571).
The trend chart popup: a 600 x 400 box centred in the window at (300, 200), its content from
(302, 244), 596 x 354; the series switches 30 high, then the chart area y 274..598, whose plot
lies inside x 382..878, y 294..538 (margins 80, 20, 20, 60).
The NETD text: bold, 18 pixels, right and bottom margins of 10 in the image panel: inside
x 600..902, y 760..790, below the image (which ends at y 718).
"DeviceConfig": the fourth cell of the top bar, x 1200 - 5 - 50 - 360 + 10 = 795, y 9, 100 x 32.
The dialog's 800 x 600 box is centred: x 200, y 100; its content at (202, 144), 796 x 554; the
bottom bar 40 high at y 658; "ApplyAndClose" 200 wide ends 10 before the right edge: x 788..988,
centre (888, 678).
"""

TITLE = "Calorset v1.6.0.0330"
WINDOW_W, WINDOW_H = 1200, 800
IMG_W, IMG_H = 640, 512
PLAY = (34, 626)
FIRST_ROW = (122, 138)
LIST_BELOW_ROWS = (122, 400)
DEVICE_CONFIG = (845, 25)
APPLY_AND_CLOSE = (888, 678)
# The dialog's close button: its box's right edge 1000 less 8 and 28 / 2, the title bar's middle.
CLOSE_BUTTON = (978, 122)


SNAP = (154, 626)
CHART = (94, 676)
CONTROL_TAB = (1122, 83)
FOCUS_NEAR = (961, 162)
SCROLL_TOP = (1191, 114)
SCROLL_END = (1191, 800)
PRESET3_GOTO = (1126, 571)
CHART_PLOT = (382, 294, 878, 538)
NETD_TEXT = (600, 760, 902, 790)


def view_x(ix):
    return 248 + int(ix * 664 / 640)


def view_y(iy):
    return int(186.4 + iy * 531.2 / 512)
