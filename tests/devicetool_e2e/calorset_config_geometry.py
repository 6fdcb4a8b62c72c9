"""Where the configuration views are in Calorset's 1200 x 800 main window, worked out by hand.

The DeviceConfig dialog's content starts at (202, 144) (calorset_geometry). Its group list is 200
wide: "System" 40 high at y 144, its two panel rows of 30 (184, 214), then "Network" at y 244..284.
The panels start at x 202 + 204 = 406, 592 wide: the name column 45 % (266.4), 4 of spacing, the
value column 55 % less 16 (309.6), so a value field spans x 676..986. Every network row is 32 high
with 2 between: the eighth, "Mtu", lies at y 144 + 7 x 34 = 382..414. "Apply" is 100 wide, 10 left
of "ApplyAndClose" (788..988): x 678..778 on the bar at y 658..698.

The configuration page starts at y 54 with margins 4: the device table 746 / 2 = 373 high (y
58..431), the page tabs 50 high at y 435 (150 wide each from x 4), the page below from y 489. The
firmware page: the file box 32 high (489..521), then rows of 200-wide buttons, 4 apart, 32 high at
y 525 and 561. The network page: the short network panel 400 wide at x 4, then at x 414 the clock
box (200 x 32, y 489..521) and the buttons 200 x 32, 10 apart: "GetTime" at y 531, "SetTime" 573.
"""

CONFIG_TAB = (225, 25)
NAV_NETWORK = (300, 264)
MTU_FIELD = (831, 398)
MTU_FIELD_RIGHT = (985, 398)  # the right edge of its validity frame
APPLY = (728, 678)
TAB_NETWORK = (229, 460)
FILE_BOX = (600, 505)
UPLOAD_BIN = (104, 541)
DOWNLOAD_LOG = (512, 541)
TIME_BOX = (414, 489, 614, 521)  # x0, y0, x1, y1
GET_TIME = (514, 547)
SET_TIME = (514, 589)
# Panel rows of the dialog's list: "FixInfo" is System's second panel (y 214..244); "TvoutInfo" is
# the first panel of "Interface" (the group at 344..384, after Network's two panels).
NAV_FIX_INFO = (300, 229)
NAV_TVOUT = (300, 399)
