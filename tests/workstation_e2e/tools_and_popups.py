#!/usr/bin/env python3
"""ToolsAndPopups: the measurement tool bar, the palette and manual-range popups and the file
store of Calorvue, driven from outside with the simulator's "spots" camera filling the tab.

tools_and_popups.py <source root> <Calorvue> <ostrel-camsim> <address>; run under xvfb-run.

The camera's view record (scripts/write-device-conf.py) starts with IronBow over the manual
range 10..45 degC; the scene has a background of 25.00..25.53, a cold 3 x 3 spot of -5 (centre
-8) at image (480, 341) and a hot 3 x 3 plateau of 90 (centre 95) walking along row 170.

1. Rectangle tool, a rectangle around the cold spot (image 360,240 .. 520,390): the measurement
   list grows from two rows to three, and >= 90 % of the pixels on the rectangle's four edges
   have the new item's colour ("#008000", the second item colour).
2. The palette button: the popup's borders lie at the module view's top-left corner (inside,
   next to the left bar). "Jet" (dark blue to dark red), popup closed: the cold spot shows the
   bar's new bottom colour, the hot plateau its new top colour.
3. Manual range 40..50, then 30..40, Apply: the background takes the bar's bottom colour and
   the top box shows what the bottom box showed for 40.0; 40..30 marks both inputs and Apply
   changes no pixel of the picture or the bar.
4. The store linked to a folder of two of our pictures: each tile shows its picture; a first
   click opens the detail, a second arms the placement: the frame body darkens to under a fifth
   of its brightness, its Place button aside; Escape cancels.
"""
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, HERE)
import calorvue_geometry as g  # noqa: E402
import e2e_harness as e2e  # noqa: E402
import settings_dialog  # noqa: E402

NEW_ITEM = (0x00, 0x80, 0x00)
HOVER_BORDER = (0x18, 0xAA, 0xE2)
COLD = (480, 341)
HOT_ROW = 170
# Its label box (about 85 x 80, at its top-left corner inside) leaves the cold spot and the other
# edges free.
RECT = ((360, 240), (520, 390))


def box_crop(s, box):
    x0, y0, w, h = box
    return [s.at(x, y) for y in range(y0, y0 + h) for x in range(x0, x0 + w)]


def text_mask(s, box):
    """Positions of the bold white digits in a palette-bar box."""
    x0, y0, w, h = box
    return frozenset((x - x0, y - y0) for y in range(y0 + 2, y0 + h - 2) for x in range(x0 + 2, x0 + w - 2)
                     if min(s.at(x, y)) >= 128)


def bar_ends(s):
    return s.at(g.PALETTE_X, g.PALETTE_TOP + 1), s.at(g.PALETTE_X, g.PALETTE_BOTTOM - 2)


def popup_at(s, box):
    x0, y0, w, h = box
    return all(s.at(*p) == g.POPUP_BORDER for p in
               ((x0, y0 + h // 2), (x0 + w - 1, y0 + h // 2), (x0 + w // 2, y0), (x0 + w // 2, y0 + h - 1)))


def hot_x(s, colour):
    """The first view column of the hot plateau's rows in `colour`, None when there is none. The
    maximum's marker sits on the plateau's upper part: its lower rows show between the marks."""
    for y in range(g.view_y(HOT_ROW - 1), g.view_y(HOT_ROW + 2) + 1):
        x = next((x for x in range(g.view_x(8), g.view_x(632)) if e2e.close(s.at(x, y), colour)), None)
        if x is not None:
            return x
    return None


def hot_seen(s, colour):
    return hot_x(s, colour) is not None


def picture_pixels(s, exclude):
    """(x, y) of the canvas's shown picture, every 7th pixel, outside the boxes in `exclude` and
    away from the hot plateau's and the first rectangle's rows, which change from frame to frame."""
    band = (g.view_y(140), g.view_y(200))
    out = []
    for y in range(g.CANVAS_Y + 2, g.CANVAS_Y + g.CANVAS_H - 2, 7):
        if band[0] <= y <= band[1]:
            continue
        for x in range(g.view_x(0) + 2, g.view_x(639), 7):
            if not any(x0 - 2 <= x < x0 + w + 2 and y0 - 2 <= y < y0 + h + 2 for x0, y0, w, h in exclude):
                out.append((x, y))
    return out


def frame_points():
    """Every 7th pixel of frame 0's body outside its Place button."""
    x0, y0, w, h = g.FRAME0_BODY
    px, py, pw, ph = g.R1C1_PLACE
    return [(x, y) for y in range(y0 + 2, y0 + h - 2, 7) for x in range(x0 + 2, x0 + w - 2, 7)
            if not (px - 2 <= x < px + pw + 2 and py - 2 <= y < py + ph + 2)]


def brightness(s, points):
    return sum(sum(s.at(x, y)) for x, y in points)


class Scenario(settings_dialog.Scenario):
    def wait(self, name, predicate, timeout=30.0):
        # A loaded machine may take seconds to redraw after a click.
        return super().wait(name, predicate, timeout)

    def mea_rows(self):
        """Rows of the measurement list's drop-down, counted from its row colours."""
        self.w.click(*g.MEA_LIST_BOX)
        s = self.wait("mea-list", lambda s: s.at(g.mea_list_row(0)[0] + 150, g.mea_list_row(0)[1]) in g.MEA_LIST_ROW_COLOURS)
        n = 0
        while s.at(g.mea_list_row(n)[0] + 150, g.mea_list_row(n)[1]) in g.MEA_LIST_ROW_COLOURS:
            n += 1
        e2e.key("Escape")
        self.wait("mea-list-closed", lambda s: s.at(g.mea_list_row(0)[0] + 150, g.mea_list_row(0)[1]) not in g.MEA_LIST_ROW_COLOURS)
        return n

    def type_into(self, pos, text):
        self.w.click(*pos)
        e2e.key("ctrl+a")
        e2e.type_text(text)
        e2e.key("Return")

    def choose_folder(self, folder):
        """The store's folder button and the toolkit's folder dialog, as in SettingsDialog."""
        self.w.click(*g.STORE_FOLDER)
        # The dialog's width follows the folder it starts in (its path bar): it is known by its
        # light list in the window's middle, over the dark picture.
        x0, y0, w, h = g.TOOLKIT_DIALOG
        middle = (x0 + w // 2, y0 + h // 2)
        self.wait("folder-dialog", lambda s: min(s.at(*middle)) >= 200)
        # The parent shows its only entry, `folder` (a leaf), chosen: the list's second row (from
        # y 318) holds no text, whatever the folder the dialog started in listed.
        ex, ey = g.TOOLKIT_FIRST_ENTRY
        e2e.type_path_into_dialog(os.path.dirname(folder), self.shows("folder-shown", lambda s: s.at(ex, ey)[2] > 150 and s.at(ex, ey)[0] < 120 and
                  not any(max(s.at(x, y)) < 100 for x in range(ex - 260, ex - 100) for y in range(ey + 31, ey + 61, 2))))
        self.w.click(*g.TOOLKIT_FIRST_ENTRY)
        self.w.click(*g.TOOLKIT_OPEN)
        self.wait("folder-chosen", lambda s: min(s.at(*middle)) < 200)


def rectangle_edges(s):
    """Share of the pixels on the four edges of the rectangle drawn over RECT that have the new
    item's colour. The fit rule puts an image pixel's edge on a fraction of a view pixel and the
    line is 2 wide: each edge pixel is looked for within 2 pixels."""
    (ix0, iy0), (ix1, iy1) = RECT
    x0, y0, x1, y1 = g.view_x(ix0), g.view_y(iy0), g.view_x(ix1), g.view_y(iy1)
    edge = [(x, y0) for x in range(x0, x1 + 1)] + [(x, y1) for x in range(x0, x1 + 1)]
    edge += [(x0, y) for y in range(y0, y1 + 1)] + [(x1, y) for y in range(y0, y1 + 1)]
    hits = sum(1 for x, y in edge if s.near(x, y, lambda c: e2e.close(c, NEW_ITEM, 16), tol=2))
    return hits / len(edge)


def main():
    p, shots = settings_dialog.program_and_shots(sys.argv)
    # Two of our radiometric pictures (the format's own writer), one under an upper-case suffix,
    # in a folder without sub-folders, the only entry of its parent.
    golden = os.path.join(p.work, "golden")
    os.makedirs(golden)
    subprocess.run([sys.executable, os.path.join(p.root, "tests", "sdk_files", "make_golden.py"), golden],
                   check=True, capture_output=True)
    folder = os.path.join(p.work, "store", "pictures")
    os.makedirs(folder)
    for i, (src, dst) in enumerate((("pic_plain.jpg", "first.jpg"), ("pic_conf.jpg", "Upper.JPG"))):
        shutil.copyfile(os.path.join(golden, src), os.path.join(folder, dst))
        os.utime(os.path.join(folder, dst), (1_700_000_000 + i, 1_700_000_000 + i))
    ok = False
    p.start()
    try:
        sc = Scenario.start(p, shots)
        w = sc.w

        # 1. A rectangle around the cold spot.
        before = sc.mea_rows()
        assert before == 2, f"{before} rows in the measurement list at start"
        w.click(*g.TOOL_RECTANGLE)
        sc.wait("rectangle-tool", lambda s: s.near(g.TOOL_RECTANGLE[0], 37, lambda c: e2e.close(c, (0x18, 0xAA, 0xE2), 40), tol=4))
        (ix0, iy0), (ix1, iy1) = RECT
        w.click(g.view_x(ix0), g.view_y(iy0))
        w.move_to(g.view_x(ix1), g.view_y(iy1))
        e2e.xdotool("click", 3)
        # Away from the item, so that no hover label covers its edges.
        w.move_to(700, 650)
        s = sc.wait("rectangle", lambda s: rectangle_edges(s) >= 0.9)
        print(f"rectangle edges: {rectangle_edges(s):.1%} in its colour")
        after = sc.mea_rows()
        assert after == before + 1, f"{after} rows in the measurement list after drawing"

        # 2. The palette popup at the module view's corner; Jet.
        ends_before = bar_ends(sc.shot("before-palette"))
        w.click(*g.LIVE_PALETTE_BUTTON)
        s = sc.wait("palette-popup", lambda s: popup_at(s, g.PALETTE_POPUP))
        assert s.at(g.PALETTE_POPUP[0] - 1, 300) != g.POPUP_BORDER, "the popup starts at the left bar's edge"
        # The pointer is on the palette button, outside the popup: no cell is marked as hovered.
        marked = [k for k in range(9) if s.at(g.palette_cell(k)[0] - 70, g.palette_cell(k)[1]) == HOVER_BORDER]
        assert not marked, f"palette cells {marked} marked as under the pointer"
        w.click(*g.palette_cell(6))
        s = sc.wait("jet", lambda s: not e2e.close(bar_ends(s)[1], ends_before[1]))
        top, bottom = bar_ends(s)
        assert e2e.close(bottom, (0, 0, 127)) and e2e.close(top, (131, 0, 0)), f"Jet's ends on the bar: {bottom} .. {top}"
        w.click(*g.LIVE_PALETTE_BUTTON)
        s = sc.wait("palette-closed", lambda s: not popup_at(s, g.PALETTE_POPUP) and hot_seen(s, top))
        assert s.near(g.view_x(COLD[0]), g.view_y(COLD[1]), lambda c: e2e.close(c, bottom), tol=2), \
            "the cold spot in the bar's bottom colour"

        # 3. Manual range: 40..50 shows "40.0" in the bottom box, the reference for the top box.
        w.click(*g.LIVE_MT_BUTTON)
        s = sc.wait("mt-popup", lambda s: popup_at(s, g.MT_POPUP))
        top_45 = text_mask(s, g.PALETTE_TOP_BOX)
        bottom_10 = text_mask(s, g.PALETTE_BOTTOM_BOX)
        sc.type_into(g.MT_TEMP1, "50")
        sc.type_into(g.MT_TEMP0, "40")
        w.click(*g.MT_APPLY)
        # The top box tells that the range is in: the bottom one may have been under the MT
        # button's tooltip in the popup's first shot. Both boxes change in one redraw; the
        # bottom one is read once two shots agree.
        last = [None]
        def applied(s):
            bottom = text_mask(s, g.PALETTE_BOTTOM_BOX)
            steady, last[0] = bottom == last[0], bottom
            return text_mask(s, g.PALETTE_TOP_BOX) not in (top_45, frozenset()) and bottom and steady
        s = sc.wait("mt-40-50", applied)
        reads_40 = text_mask(s, g.PALETTE_BOTTOM_BOX)
        assert reads_40 != bottom_10, "the bottom box still reads as before"
        sc.type_into(g.MT_TEMP0, "30")
        sc.type_into(g.MT_TEMP1, "40")
        w.click(*g.MT_APPLY)
        s = sc.wait("mt-30-40", lambda s: text_mask(s, g.PALETTE_TOP_BOX) == reads_40)
        assert reads_40 != top_45, "40.0 and 45.0 read differently"
        top_colour, bottom = bar_ends(s)
        # Clear of the items, their labels and the popup (image columns from 535 lie under it).
        background = [(g.view_x(ix), g.view_y(iy)) for ix in (40, 200, 320) for iy in (40, 260, 480)]
        wrong = [(x, y, s.at(x, y)) for x, y in background if not e2e.close(s.at(x, y), bottom)]
        assert not wrong, f"background not in the bar's bottom colour {bottom}: {wrong}"

        # 40..30: both inputs marked, and Apply changes nothing the user sees of the picture.
        sc.type_into(g.MT_TEMP0, "40")
        sc.type_into(g.MT_TEMP1, "30")
        marked = sc.wait("mt-40-30", lambda s: s.near(g.MT_TEMP0[0], 186, e2e.is_red, tol=2)
                         and s.near(g.MT_TEMP1[0], 222, e2e.is_red, tol=2))
        # The items' labels (at their top-left corners, with their maximum markers above them)
        # follow the scene's noise from frame to frame; the rest of the picture is steady.
        labels = [(g.view_x(ix) - 12, g.view_y(iy) - 20, 110, 110) for ix, iy in ((16, 150), RECT[0])]
        points = picture_pixels(marked, [g.MT_POPUP] + labels)
        w.move_to(*g.MT_APPLY)
        before_apply = sc.shot("before-refused-apply")
        hot_before = hot_x(before_apply, top_colour)
        e2e.xdotool("click", 1)
        # Escape comes after the click: once the popup is gone and the plateau has walked on, the
        # click has been handled and a later frame is on the screen.
        e2e.key("Escape")
        after_apply = sc.wait("refused-apply", lambda s: not popup_at(s, g.MT_POPUP) and hot_x(s, top_colour) not in (None, hot_before))
        changed = [(x, y) for x, y in points if before_apply.at(x, y) != after_apply.at(x, y)]
        assert not changed, f"the refused range changed {len(changed)} pixels, first {changed[:5]}"
        for box in (g.PALETTE_TOP_BOX, g.PALETTE_BOTTOM_BOX):
            assert box_crop(before_apply, box) == box_crop(after_apply, box), f"palette box {box} changed"

        # 4. The store on our folder.
        sc.choose_folder(folder)
        def tiles_shown(s):
            for i in range(2):
                x0, y0, w_, h_ = g.tile_picture(i)
                px = sum(1 for y in range(y0, y0 + h_, 2) for x in range(x0, x0 + w_, 2)
                         if not e2e.close(s.at(x, y), g.STORE_BACKGROUND, 6))
                if px < 0.5 * (w_ // 2) * (h_ // 2):
                    return False
            return True
        s = sc.wait("tiles", tiles_shown)
        x0, y0, w_, h_ = g.store_tile(2)
        assert e2e.close(s.at(x0 + 75, y0 + 40), g.STORE_BACKGROUND, 6), "a third tile"
        body = frame_points()
        lit = brightness(s, body)
        tile = g.store_tile(1)
        w.click(tile[0] + 75, tile[1] + 60)
        # The detail popup above the tile: its border "#3a3a3a" left of the tile's middle.
        sc.wait("detail", lambda s: s.at(tile[0] + 75, tile[1] - 1) == g.POPUP_BORDER)
        w.click(tile[0] + 75, tile[1] + 50)
        s = sc.wait("placing", lambda s: brightness(s, body) * 5 < lit)
        px, py, pw, ph = g.R1C1_PLACE
        assert any(min(s.at(x, py + ph // 2)) > 150 for x in range(px, px + pw)), "the Place button stays lit"
        e2e.key("Escape")
        sc.wait("cancelled", lambda s: brightness(s, body) * 2 > lit)

        p.finish()
        print(f"ToolsAndPopups passed; shots in {shots}")
        ok = True
    finally:
        p.close(ok)


if __name__ == "__main__":
    main()
