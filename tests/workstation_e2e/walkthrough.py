#!/usr/bin/env python3
"""Walkthrough: Calorvue used as a new user would, from a live camera to a saved workspace,
driven from outside with the simulator's live camera (640 x 512, 25 frames/s) of
scripts/run-calorvue.sh.

walkthrough.py <source root> <Calorvue> <ostrel-camsim> <address>; run under xvfb-run.

1. Settings: a new save folder, saved. Layout r1c2; the start workspace's camera module closed
   and the camera connected again from the camera popup ("Connect", "Place" in frame 0), so that
   it records into the new folder: live, its cold spot in the palette's bottom colour.
2. A rectangle drawn over image (440, 320)..(520, 360) with the tool bar's
   rectangle tool, recoloured pure blue from the measurement dialog's picker: at least 90 % of
   its top and left edge pixels in frame 0 (those its label leaves free) are that blue.
3. The live view's chart button, "Chart_Time", the rectangle, "Max", "Place" in frame 1: the
   chart in frame 1 soon holds at least 100 pixels of the series' blue.
4. 3 s recorded with the live view's record button; the recording placed in frame 0 from the
   store's recent page; its Export, "ExportIrMp4", measurement items off, colour bar none,
   "Export": ffprobe counts an H.264 video of 640 x 512 with exactly the recording's frames. Frame
   0 shows the camera again (its module box).
5. The chart's Export, "ExportCsv", "walk.csv" in the file dialog: Python's csv reads the header
   "Index" and one column titled "...-T-Max", every value in [25.03, 25.52] (the simulator's
   background under the rectangle is 25 to 25.5 degrees).
6. The workspace menu's "SaveWorkspaceAs", "walk": "walk.workspace" passes `xmllint --noout`,
   holds layout type 2 and the live camera, stream and time chart modules, the stream's
   `inputName` relative to the workspace's folder.
7. "NewWorkspace", "SaveAll": no tab is left, and "Device-CAMSIM-0001.conf" (read with Python's
   struct) holds the blue rectangle. "OpenWorkspace", "walk.workspace": the camera is live again
   in frame 0 with the blue rectangle; "SaveWorkspaceAs" "walk2" lists the same tabs, layout and
   modules as "walk" (`xmllint --xpath`).
"""
import csv
import glob
import json
import os
import struct
import subprocess
import sys
import time
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, HERE)
import calorvue_geometry as g  # noqa: E402
import dialogs_and_prompts  # noqa: E402
import e2e_harness as e2e  # noqa: E402
import settings_dialog  # noqa: E402

BLUE = (0, 0, 255)
BORDER = (0x3a, 0x3a, 0x3a)
RECT = (440, 320, 520, 360)
# The measurement tool bar from x 283, tools 40 wide: select, point, line, ellipse, rectangle.
RECT_TOOL = (283 + 4 * 40 + 20, 20)

# --- Positions worked out from the views' QML, in window coordinates -----------------------------
# The live view in frame 0 (x 2, y 113): its left tool column is a 1 x 8 grid 50 wide and 400
# high, rows 50 high: the chart button is row 3.
LIVE_CHART = (2 + 25, 113 + 3 * 50 + 25)                       # (27, 288)
# Add popups open at the module view's (50, 0), padding 4: x 52 + 4, y 113 + 4. A 14-point title
# (about 22 high) and 4 spacing above the menu (rows 120 x 40) or the item list (rows 200 x 40,
# 4 apart).
ADD_X, ADD_Y = 52, 113
ADD_LIST_Y = ADD_Y + 4 + 22 + 4                                # 143
CHART_TIME_ENTRY = (ADD_X + 4 + 60, ADD_LIST_Y + 40 + 20)      # (116, 203)
# The drawn rectangle is the third item (after the whole image and the start record's R1).
ITEM_ROW2 = (ADD_X + 4 + 100, ADD_LIST_Y + 2 * 44 + 20)        # (156, 251)
# "Statistics" opens at the first popup's right edge (52 + 200 + 8 = 260), level with the row
# (less its padding): its buttons 200 x 30 from (264, 231); "Max" is the second.
STATS_MAX = (260 + 4 + 100, ADD_LIST_Y + 2 * 44 + 30 + 15)     # (364, 276)
# Frame 1 of r1c2: x 702..1399, body y 111..679; its Place button centred in the body.
FRAME1_PLACE = (g.FRAME1_X + 349, 395)
# The time chart's view in frame 1: x 704..1397, y 113..677; its button column the right 50, rows
# 50 high (axis, series, clear, build, export). The chart itself x 704..1347.
CHART_AREA = (704, 113, 644, 565)
CHART_EXPORT_BTN = (704 + 694 - 25, 113 + 4 * 50 + 25)          # (1373, 338)
# ConfigExportChart opens left of the export button (its grid cell: x 1352, y 317, 42 x 42):
# 168 wide (160 + padding), so x 1184; buttons 160 x 30 from (1188, 321), 4 apart; the title
# row is not shown.
EXPORT_X, EXPORT_Y = 1352 - 168, 317
EXPORT_CSV = (EXPORT_X + 4 + 80, EXPORT_Y + 4 + 34 + 15)       # (1268, 370)
# The workspace menu below its button (0, 0, 40, 40): a 30-high head, then a 6 x 2 grid of 600 x
# 300 (rows 50); "SaveWorkspaceAs" is row 4, column 1.
WORKSPACE_BUTTON = (20, 20)
SAVE_WORKSPACE_AS = (300 + 150, g.MENU_H + 30 + 4 * 50 + 25)   # (450, 295)
NEW_WORKSPACE = (300 + 150, g.MENU_H + 30 + 50 + 25)            # (450, 145)
OPEN_WORKSPACE = (300 + 150, g.MENU_H + 30 + 2 * 50 + 25)       # (450, 195)
# CommonSaveWorkspace with one input: its buttons a 1 x 4 grid over 592 from x 404, y 395..434.
WORKSPACE_PROMPT_SAVEALL = (404 + 74, 415)
TAB_STRIP = (125, g.TAB_AREA_Y + 20)
# The store under the tab area (y 700..799): its mode column 60 wide, 2 rows (files, recent);
# the recent page's tiles 150 x 100 from x 64 + 54.
STORE_RECENT = (30, 700 + 75)
STORE_TILE0 = (118 + 75, 700 + 50)
# The stream view's tool column (as the live view's) holds the export button in row 5; the export
# choice opens right of the button (x 6 + 42), padding 4: buttons 150 x 30, 4 apart.
STREAM_EXPORT = (2 + 25, 113 + 5 * 50 + 25)                     # (27, 388)
EXPORT_IR_X, EXPORT_IR_Y = 6 + 42, 113 + 250 + 4                # (48, 367)
EXPORT_IR_MP4 = (EXPORT_IR_X + 4 + 75, EXPORT_IR_Y + 4 + 2 * 34 + 15)
# ConfigExportIrMp4: 512 wide, centred (x 444), y 181; padding 4, rows 10 apart: head 185..224,
# separator, file row 247..278, WithRoi 289..320, Colorbar 331..362, begin, end, interval, then
# the button bar 499..538 (Export x 752..831). Value panels from x 448 + 204 = 652.
MP4_X, MP4_Y = 444, 181
MP4_HEAD = (MP4_X + 400, MP4_Y + 4 + 20)
MP4_WITH_ROI = (652 + g.CHECK_OFFSET, 289 + 16)
MP4_COLORBAR = (652 + 150, 331 + 16)
MP4_COLORBAR_NONE = (652 + 150, 331 + 32 + 1 + 16)
MP4_EXPORT = (792, 519)
# Frame 0's module box (300 x 28 at the frame head's left) and its list below it, rows 40 high.
FRAME0_MODULES = (150, g.TAB_BODY_Y + 15)


def frame0_module_entry(i):
    return (150, g.TAB_BODY_Y + 1 + 28 + 40 * i + 20)


def probe(path):
    """(codec, width, height, counted frames) of the first video stream, by ffprobe."""
    out = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                          "stream=codec_name,width,height,nb_read_frames", "-of", "json", path],
                         capture_output=True, text=True)
    if out.returncode != 0:
        return None
    st = json.loads(out.stdout)["streams"][0]
    return st["codec_name"], st["width"], st["height"], int(st["nb_read_frames"])
# "Device-%s.conf": the item count at byte 344, 216-byte items from 348; an item's colour word at
# its byte 64, its type at 68, its point count at 86 and its points (two 16-bit words each) from 88.
ITEM_COUNT_AT, ITEMS_AT, ITEM_SIZE = 344, 348, 216


def conf_items(path):
    """(colour, type, points) of each item of a camera's view record."""
    with open(path, "rb") as f:
        data = f.read()
    items = []
    for i in range(struct.unpack_from("<i", data, ITEM_COUNT_AT)[0]):
        at = ITEMS_AT + i * ITEM_SIZE
        colour, kind = struct.unpack_from("<IB", data, at + 64)
        n = data[at + 86]
        points = [struct.unpack_from("<HH", data, at + 88 + 4 * k) for k in range(n)]
        items.append((colour, kind, points))
    return items


def xpath(path, expr):
    return subprocess.run(["xmllint", "--xpath", expr, path], check=True, capture_output=True, text=True).stdout


def fraction_of_edge(s, colour):
    """Share of the rectangle's top and left edges (every 4th image pixel) drawn in `colour` in
    frame 0. The item's label box is drawn over its lower right, so those edges are not counted."""
    x0, y0, x1, y1 = RECT
    points = [(x, y0) for x in range(x0, x1 + 1, 4)] + [(x0, y) for y in range(y0 + 4, y1 + 1, 4)]
    hits = sum(1 for x, y in points if s.near(g.r1c2_x(x), g.r1c2_y(y), lambda c: c == colour, tol=2))
    return hits / len(points)


def count_in(s, area, predicate):
    x0, y0, w, h = area
    return sum(1 for y in range(y0, y0 + h) for x in range(x0, x0 + w) if predicate(s.at(x, y)))


class Scenario(dialogs_and_prompts.Scenario):
    def draw_rectangle(self, rect):
        """A rectangle over image `rect` in frame 0 with the tool bar's rectangle tool: a click at
        one corner, the pointer to the other, a right click there ends it."""
        x0, y0, x1, y1 = rect
        self.w.click(*RECT_TOOL)
        self.w.click(g.r1c2_x(x0), g.r1c2_y(y0))
        for k in range(1, 5):
            self.w.move_to(g.r1c2_x(x0 + (x1 - x0) * k // 4), g.r1c2_y(y0 + (y1 - y0) * k // 4))
        self.w.click(g.r1c2_x(x1), g.r1c2_y(y1), button=3)

    def recolour_to(self, row, colour):
        """Item `row` of the measurement list recoloured in the measurement dialog with the
        picker's preset of `colour`, wherever the picker keeps it."""
        self.w.click(*g.MEA_LIST_BOX)
        self.wait("mea-list", lambda s: s.at(*g.mea_list_row(row)) in ((0x2f, 0x2f, 0x37), (0x48, 0x48, 0x4f)))
        self.w.click(*g.mea_list_row(row))
        self.w.click(*g.MEA_LIST_EDIT)
        self.wait("mea-dialog", lambda s: s.at(*g.MEA_HEAD) == g.DIALOG_HEAD)
        self.w.click(*g.MEA_SWATCH)
        s = self.wait("mea-presets", lambda s: any(s.at(*g.mea_preset(i)) == colour for i in range(40)))
        self.w.click(*g.mea_preset(next(i for i in range(40) if s.at(*g.mea_preset(i)) == colour)))
        self.wait("mea-colour", lambda s: s.at(*g.MEA_SWATCH) == colour)
        self.w.click(*g.MEA_OK)
        self.wait("mea-recoloured", lambda s: s.at(*g.MEA_HEAD) != g.DIALOG_HEAD)

    def save_through_dialog(self, name, folder):
        """The toolkit's save dialog: to `folder`, the file name typed, accepted with its button
        (at the folder dialog's Open)."""
        x0, y0, w, h = g.TOOLKIT_DIALOG
        self.wait("save-dialog", lambda s: s.at(x0, y0 + h // 2) == g.TOOLKIT_BORDER and
                  s.at(x0 + w - 1, y0 + h // 2) == g.TOOLKIT_BORDER)
        e2e.type_path_into_dialog(folder)
        self.w.click(*g.TOOLKIT_FILE_NAME)
        e2e.key("ctrl+a")
        e2e.type_text(name)
        # Return hands the typed name to the dialog; its button then accepts it.
        e2e.key("Return")
        self.w.click(*g.TOOLKIT_OPEN)
        self.wait("save-closed", lambda s: s.at(x0, y0 + h // 2) != g.TOOLKIT_BORDER)


def main():
    root, program, camsim, address = sys.argv[1:5]
    p = e2e.Program(root, program, address, "run-calorvue.sh", "Calorvue", env={"OSTREL_CAMSIM": camsim},
                    args=["spots"])
    shots = os.environ.get("E2E_SHOTS_DIR") or os.path.join(p.work, "shots")
    os.makedirs(shots, exist_ok=True)
    save_dir = os.path.join(p.work, "walk", "walk data")
    os.makedirs(save_dir)
    out_dir = os.path.join(p.work, "walk out")
    os.makedirs(out_dir)
    ok = False
    # The toolkit's file dialog opens in the working folder and sizes itself to its entries: the
    # scenario's own folder keeps it at the size the geometry module measured.
    os.chdir(p.work)
    p.start()
    try:
        sc = Scenario.start(p, shots)
        w = sc.w

        # 1. A new save folder.
        sc.open_menu_entry(0, settings_dialog.settings_shown)
        sc.choose_folder(save_dir)
        w.click(*g.SAVE)
        sc.wait("saved", lambda s: not settings_dialog.settings_shown(s))
        conf = os.path.join(p.config_dir, "AppConfig.bin")
        e2e.wait_until("the new save folder", lambda: os.path.exists(conf) and
                       settings_dialog.unpack(open(conf, "rb").read())["saveDir"] == save_dir)

        w.click(*g.TAB_GRID_BUTTON)
        sc.wait("layout-dialog", lambda s: s.at(*g.LAYOUT_HEAD) == g.DIALOG_HEAD)
        w.click(*g.LAYOUT_R1C2)
        w.click(*g.LAYOUT_OK)
        sc.wait("r1c2", lambda s: s.at(*g.LAYOUT_HEAD) != g.DIALOG_HEAD and sc.live_in_frame0(s))
        sc.close_module_unasked()
        sc.reconnect()

        # 2. A rectangle in pure blue.
        sc.draw_rectangle(RECT)
        sc.recolour_to(2, BLUE)
        s = sc.wait("blue", lambda s: fraction_of_edge(s, BLUE) >= 0.9)
        print(f"rectangle edge in blue: {fraction_of_edge(s, BLUE):.2f}")

        # 3. A time chart of the new rectangle's maximum in frame 1.
        w.click(*LIVE_CHART)
        sc.wait("add-chart", lambda s: s.at(ADD_X, ADD_Y + 60) == BORDER)
        w.click(*CHART_TIME_ENTRY)
        sc.wait("add-chart-time", lambda s: s.at(*ITEM_ROW2) in ((0x3b, 0x3b, 0x43), (0x48, 0x48, 0x4f)))
        w.click(*ITEM_ROW2)
        sc.wait("statistics", lambda s: s.at(260, STATS_MAX[1]) == BORDER)
        w.click(*STATS_MAX)
        sc.wait("placing", lambda s: max(s.at(1000, 400)) < 0x20)
        w.click(*FRAME1_PLACE)
        s = sc.wait("chart", lambda s: count_in(s, CHART_AREA, lambda c: e2e.close(c, BLUE, 40)) >= 100, timeout=30)
        print(f"series pixels in frame 1: {count_in(s, CHART_AREA, lambda c: e2e.close(c, BLUE, 40))}")

        # 4. A recording, placed from the store into frame 0 and exported as MP4.
        before = set(glob.glob(os.path.join(save_dir, "*.stream")))
        w.click(*g.LIVE_RECORD)
        sc.wait("recording", lambda s: s.near(*g.LIVE_RECORD, lambda c: c[0] > 200 and c[1] < 60 and c[2] < 60, tol=8))
        w.move_to(g.LIVE_RECORD[0], g.LIVE_RECORD[1] - 10)
        time.sleep(3.0)  # the length of the recording, not a wait for an event
        w.click(*g.LIVE_RECORD)
        new = e2e.wait_until("the recording", lambda: sorted(set(glob.glob(os.path.join(save_dir, "*.stream"))) - before))
        assert len(new) == 1, f"recordings {new}"
        frames = e2e.wait_until("the recording to end", lambda: (lambda r: r[0] if r[3] == dialogs_and_prompts.CONF_BLOCK
                                                                 else None)(dialogs_and_prompts.read_stream(new[0])))
        print(f"recording {os.path.basename(new[0])}: {frames} frames")
        w.click(*STORE_RECENT)
        sc.wait("recent", lambda s: count_in(s, (118, 705, 150, 90), lambda c: c != g.WINDOW_COLOUR) > 2000)
        w.click(*STORE_TILE0)
        w.click(*STORE_TILE0)
        # Frame 0's Place button: a white icon and text over the darkened camera picture.
        sc.wait("placing-stream", lambda s: count_in(s, (g.FRAME0_PLACE[0] - 60, g.FRAME0_PLACE[1] - 60, 120, 120),
                                                     lambda c: min(c) > 220) > 100)
        w.click(*g.FRAME0_PLACE)
        # The live view's tool column has nothing in row 5; the stream view its export icon.
        sc.wait("stream", lambda s: count_in(s, (8, 369, 38, 38), lambda c: min(c) > 150) > 20)
        w.click(*STREAM_EXPORT)
        sc.wait("export-choice", lambda s: s.at(EXPORT_IR_X, EXPORT_IR_Y + 50) == BORDER)
        w.click(*EXPORT_IR_MP4)
        sc.wait("export-mp4", lambda s: s.at(*MP4_HEAD) == g.DIALOG_HEAD)
        w.click(*MP4_WITH_ROI)
        w.click(*MP4_COLORBAR)
        sc.wait("colorbar-list", lambda s: s.at(*MP4_COLORBAR_NONE) != s.at(MP4_COLORBAR_NONE[0], 440))
        w.click(*MP4_COLORBAR_NONE)
        w.click(*MP4_EXPORT)
        sc.wait("exporting", lambda s: s.at(*MP4_HEAD) != g.DIALOG_HEAD)
        mp4 = new[0][:-len(".stream")] + "-export.mp4"
        video = e2e.wait_until("the video", lambda: os.path.exists(mp4) and probe(mp4), timeout=120)
        assert video == ("h264", g.IMG_W, g.IMG_H, frames), f"the video is {video}, the recording {frames} frames"
        w.click(*FRAME0_MODULES)
        sc.wait("frame0-modules", lambda s: s.at(*frame0_module_entry(0)) != s.at(*FRAME0_MODULES))
        w.click(*frame0_module_entry(0))
        sc.wait("camera-again", sc.live_in_frame0)

        # 5. The chart's series as CSV.
        w.click(*CHART_EXPORT_BTN)
        sc.wait("export-chart", lambda s: s.at(EXPORT_X, EXPORT_Y + 40) == BORDER)
        w.click(*EXPORT_CSV)
        sc.save_through_dialog("walk.csv", out_dir)
        csv_path = os.path.join(out_dir, "walk.csv")
        e2e.wait_until("walk.csv", lambda: os.path.exists(csv_path))
        with open(csv_path, newline="") as f:
            rows = list(csv.reader(f))
        assert rows[0][0] == "Index", f"header {rows[0]}"
        assert len(rows[0]) == 2 and rows[0][1].endswith("-T-Max"), f"header {rows[0]}"
        values = [float(r[1]) for r in rows[1:] if len(r) > 1 and r[1] != ""]
        assert values, "no values in walk.csv"
        assert all(25.03 <= v <= 25.52 for v in values), f"values {min(values)}..{max(values)}"
        print(f"walk.csv: {len(values)} values in {min(values)}..{max(values)}")

        # 6. The workspace saved as "walk".
        w.click(*WORKSPACE_BUTTON)
        sc.wait("workspace-menu", lambda s: s.at(599, g.MENU_H + 200) == BORDER)
        w.click(*SAVE_WORKSPACE_AS)
        sc.save_through_dialog("walk", out_dir)
        ws = os.path.join(out_dir, "walk.workspace")
        e2e.wait_until("walk.workspace", lambda: os.path.exists(ws))
        subprocess.run(["xmllint", "--noout", ws], check=True)
        tree = ET.parse(ws).getroot()
        tabs = tree.findall("./tabs/tab")
        assert len(tabs) == 1 and tabs[0].get("layoutType") == "2", "one tab of layout r1c2"
        types = sorted(m.get("moduleType") for m in tree.iter("module"))
        assert types == ["1", "3", "4"], f"module types {types}"
        stream = next(m for m in tree.iter("module") if m.get("moduleType") == "3").get("inputName")
        assert not os.path.isabs(stream) and os.path.normpath(os.path.join(out_dir, stream)) == new[0], \
            f"the stream's inputName {stream}"

        # 7. A new workspace, the camera's settings saved; the saved workspace opened again.
        w.click(*WORKSPACE_BUTTON)
        sc.wait("workspace-menu", lambda s: s.at(599, g.MENU_H + 200) == BORDER)
        w.click(*NEW_WORKSPACE)
        sc.wait("save-prompt", lambda s: s.at(*g.WORKSPACE_PROMPT_HEAD) == g.DIALOG_HEAD)
        w.click(*WORKSPACE_PROMPT_SAVEALL)
        sc.wait("no-tab", lambda s: s.at(*g.WORKSPACE_PROMPT_HEAD) != g.DIALOG_HEAD and
                s.at(*TAB_STRIP) == g.WINDOW_COLOUR and s.at(350, 400) == g.WINDOW_COLOUR)
        conf = os.path.join(p.config_dir, "Device-CAMSIM-0001.conf")
        blue = [it for it in conf_items(conf) if it[0] == 0xFF0000FF]
        assert len(blue) == 1 and blue[0][1] == 9, f"blue items {blue}"
        (ax, ay), (bx, by) = blue[0][2][0], blue[0][2][-1]
        # The clicks land on whole window pixels, each 1.13 image pixels, and the canvas and the
        # positions above both round down: a few image pixels either way.
        assert max(abs(ax - RECT[0]), abs(ay - RECT[1]), abs(bx - RECT[2]), abs(by - RECT[3])) <= 3, \
            f"the blue rectangle from {(ax, ay)} to {(bx, by)}"
        w.click(*WORKSPACE_BUTTON)
        sc.wait("workspace-menu", lambda s: s.at(599, g.MENU_H + 200) == BORDER)
        w.click(*OPEN_WORKSPACE)
        x0, y0, dw, dh = g.TOOLKIT_DIALOG
        sc.wait("open-dialog", lambda s: s.at(x0, y0 + dh // 2) == g.TOOLKIT_BORDER)
        # The file's name written dark on the list's light grey in the first row.
        e2e.type_path_into_dialog(out_dir, sc.shows("workspace-shown",
                                                    lambda s: count_in(s, (440, 272, 130, 16), lambda c: max(c) < 100) > 20))
        w.click(*g.TOOLKIT_FIRST_ENTRY)
        w.click(*g.TOOLKIT_OPEN)
        sc.wait("reopened", lambda s: sc.live_in_frame0(s) and fraction_of_edge(s, BLUE) >= 0.9, timeout=30)
        w.click(*WORKSPACE_BUTTON)
        sc.wait("workspace-menu", lambda s: s.at(599, g.MENU_H + 200) == BORDER)
        w.click(*SAVE_WORKSPACE_AS)
        sc.save_through_dialog("walk2", out_dir)
        ws2 = os.path.join(out_dir, "walk2.workspace")
        e2e.wait_until("walk2.workspace", lambda: os.path.exists(ws2))
        for expr in ("count(//tab)", "//tab/@layoutType", "//module/@moduleType", "//module/@inputName"):
            assert xpath(ws, expr) == xpath(ws2, expr), f"{expr}: {xpath(ws, expr)} against {xpath(ws2, expr)}"

        p.finish()
        print(f"Walkthrough passed; shots in {shots}")
        ok = True
    finally:
        p.close(ok)


if __name__ == "__main__":
    main()
