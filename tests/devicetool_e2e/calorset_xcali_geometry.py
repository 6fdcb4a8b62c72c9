"""Where the XCali editor is in Calorset's 1200 x 800 main window, worked out by hand from its views.

"DeviceCali" is the fifth cell of the top bar: x 1200 - 5 - 50 - 120 + 10 = 1035, y 9, 100 x 32. Its
chooser opens at the button's bottom-left corner (1035, 41) with a padding of 4 and a column of three
buttons 100 x 32, 4 apart ("DeviceWeiJu", "DeviceFixDist", "DeviceXCali"): "DeviceXCali" is at
(1039, 45 + 2 x 36 = 117).
The DeviceXCali popup covers the window; its 804 x 746 box is centred at (198, 27), the title bar
40 high at (200, 29), 800 wide, whose close button (28 x 28, 8 from the right) is centred at
(978, 49). The content starts at (200, 71), 800 x 700.
The page tabs (180 wide, inset 4, 4 apart) are 40 high at the content's top: tab k is centred at
(200 + 4 + 184 k + 90, 91). The pages start at y 111.
Page 0: a column (spacing 4) of a 4-pixel spacer, the info row (32), the count slider (32), the
gear list (32) and the button row at y 111 + 116 = 227: "Refresh" 100 x 32 at x 200, centred
(250, 243). The scroll area follows at 227 + 36 = 263: the head "ResConfig" (32), then the
resolution list at 263 + 36 = 299, whose header is 30 high: row r spans y 329 + 40 r .. +40, and
the current row carries a green (#00ff00) bar 10 x 30 at its cell's left edge, 5 below its top.
Page 2: a grid 160 high, then the table at y 111 + 164 = 275 with its 30-high header: row r spans
y 305 + 40 r; its columns are 50 wide, then five of (800 - 50) x 0.2 = 150: temp1 starts at
x 200 + 50 + 2 x 150 = 550, its box 80 x 32, 4 below the row's top.
The write buttons are 120 x 32, 20 apart, from x 210 at y 71 + 664 = 735: "SetCali2", the third,
is centred at (210 + 2 x 140 + 60, 751).
"""

DEVICE_CALI = (1085, 25)
DEVICE_XCALI = (1089, 133)
CHOOSER_PIXEL = (1037, 43)  # the chooser's black ground beside its button
CLOSE_XCALI = (978, 49)
TAB_HEAD = (294, 91)
TAB_CALI1 = (478, 91)
TAB_CALI2 = (662, 91)
REFRESH = (250, 243)
RES_BAR = (205, 369 + 20)  # row 1's bar
RES_BAR_ROW0 = (205, 329 + 20)
CELL_ROW0_TEMP1 = (590, 325)
CELL_ROW0_TEMP1_BOX = (551, 310, 629, 340)  # x0, y0, x1, y1
SET_CALI1 = (410, 751)
SET_CALI2 = (550, 751)
