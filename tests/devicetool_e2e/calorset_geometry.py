"""Where things are in Calorset's 1200 x 800 main window, worked out by hand from its views.

All positions are window coordinates (x right, y down, pixels).

Pages start at y 54; the live page's device panel at x 4, y 58, 240 wide, 738 high: its head 50
high, the device list 0.6 x 738 = 442.8 high (first row inset 4: x 8..236, y 108..168), the address
row 50 high, then the control grid of 3 x 4 cells of 60 x 50 at y 58 + 542.8 = 600.8: Play in its
first cell, centre (34, 625.8).
The canvas area: x 248, y 58 + 50 = 108, 1200 - 248 - 4 = 948 wide, 738 - 50 = 688 high. It fits
the 640 x 512 image by height (948 / 688 > 1.25): 860 x 688 at x 248 + 44 = 292, so image x maps
to 292 + x x 860 / 640 and image y to 108 + y x 688 / 512.
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


def view_x(ix):
    return 292 + int(ix * 860 / 640)


def view_y(iy):
    return 108 + int(iy * 688 / 512)
