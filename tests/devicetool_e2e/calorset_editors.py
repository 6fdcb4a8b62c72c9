#!/usr/bin/env python3
"""CalorsetEditors: a copy of Calorset against the camera simulator (software id with "QF", its
calibration tables seeded by the run script), driven with xdotool as a new user would.

The lens editor: row 2's blackbody (30.0 in the seed) typed as 40, "Set", the editor closed and
opened again: the cell shows "40.0", pixel for pixel the text of row 3's seeded 40.0, and
the simulator's block 5, written out when it stops, holds 40.0 in all four shell tables (Python
struct, against the seed packed by tools/camsim/calib_blocks.py).
The bad-point editor: three points added, saved through the file dialog (the file read with
struct), deleted from the list, and loaded again through the dialog: the list shows the same three
rows.

Positions, worked out from the views (window 1200 x 800):
- "DeviceCali" is the sixth cell of the top bar: x 795 + 240 = 1035, 100 x 32 at y 9; its chooser
  opens at its bottom-left corner (1035, 41) with a padding of 4: "DeviceWeiJu" 100 x 32 at
  (1039, 45), centre (1089, 61), then 4 pixels of the chooser's black (y 77..81).
- The lens editor's 600 x 800 box is centred: x 300, y 0; its close button at (878, 22); content
  from (302, 44), the column at x 307. Three rows of inputs (40 high, 5 apart) end at y 174; the
  count slider 179..219, the table at y 224: header 30, rows of 40 from y 254, columns
  [50, 5 x 108]: row 2 (index 1) spans y 294..334, its blackbody cell x 357..465 with a text box
  inset 4. The button grid (590 x 40) at y 754: "Set" the second of five cells, centre (484, 773).
- The configuration page's "DeviceCom" is the third button of the second row: centre (512, 577).
  Its 636 x 450 box: x 282, y 175, close (896, 197); content from (284, 219): the list at x 288
  (300 wide: header 30, rows of 40 from y 249), the inputs' value fields at x 720..920, rows of 50
  from y 223: id, width, height, X, Y; "Add" (676, 492), "Delete" (840, 492), "Load .bad"
  (676, 592), "Save .bad" (840, 592).
- The toolkit's file dialog, measured on shots: about 600 x 400 centred in the window (it sizes
  itself to its entries by a few pixels), its light list area over the window's centre; its file
  name field (557, 541), its accept button (761, 574), its first entry (600, 287).
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "camsim"))
import calib_blocks as cb  # noqa: E402
import calorset_config_geometry as c  # noqa: E402
import calorset_geometry as g  # noqa: E402
import e2e_harness as e2e  # noqa: E402
from e2e_harness import close  # noqa: E402

DEVICE_CALI = (1085, 25)
CHOOSER_WEIJU = (1089, 61)
CHOOSER_GAP = (1089, 79)  # the chooser's black between its first two buttons
WEIJU_CLOSE = (878, 22)
ROW2_BLACKBODY = (411, 314)
ROW2_BLACKBODY_BOX = (362, 299, 460, 329)
ROW3_BLACKBODY_BOX = (362, 339, 460, 369)
WEIJU_SET = (484, 773)
DEVICE_COM = (512, 577)
COM_CLOSE = (896, 197)
COM_ID, COM_WIDTH, COM_HEIGHT, COM_X, COM_Y = (820, 243), (820, 293), (820, 343), (820, 393), (820, 443)
COM_ADD, COM_DELETE, COM_LOAD, COM_SAVE = (676, 492), (840, 492), (676, 592), (840, 592)
COM_ROWS_X = (292, 584)
DIALOG_CENTRE = (600, 450)
DIALOG_FILE_NAME = (557, 541)
DIALOG_ACCEPT = (761, 574)
DIALOG_FIRST_ENTRY = (600, 287)
POINTS = [(5, 7), (639, 511), (100, 0)]



def text_mask(s, box):
    """The positions of the box whose pixel is light text."""
    x0, y0, x1, y1 = box
    return frozenset((x, y) for x in range(x0, x1) for y in range(y0, y1) if min(s.at(x, y)) >= 180)


def row_box(k):
    return (COM_ROWS_X[0], 249 + 40 * k + 4, COM_ROWS_X[1], 249 + 40 * k + 36)


def dialog_shown(s, shown=True):
    # The dialog's light list area covers the window's centre, where the editor is dark.
    return (min(s.at(*DIALOG_CENTRE)) >= 200) == shown


def type_into(w, at, text):
    w.click(*at)
    e2e.key("ctrl+a")
    e2e.type_text(text)
    e2e.key("Return")


def main():
    root, program, camsim, address = sys.argv[1:5]
    p = e2e.Program(root, program, address, "run-calorset.sh", "Calorset", env={"OSTREL_CAMSIM": camsim})
    observe = os.path.join(p.work, "observed.hex")
    dump = os.path.join(p.work, "blocks")
    os.makedirs(dump)
    p.env["OSTREL_CAMSIM_ARGS"] = f"--observe {observe} --software-id SW-QF-1 --dump-blocks {dump}"
    shots = os.environ.get("CALORSET_EDITORS_DIR", p.work)
    os.makedirs(shots, exist_ok=True)
    files = os.path.join(p.work, "points")
    os.makedirs(files)
    ok = False
    p.start()
    try:
        w = e2e.Window.wait(g.TITLE, 60, program=p)
        probe = os.path.join(shots, "probe.png")
        w.wait_shot("the simulator's row in the device list", probe,
                    lambda s: not close(s.at(*g.FIRST_ROW), s.at(*g.LIST_BELOW_ROWS), 8), e2e.START_TIMEOUT)

        # The lens editor: row 2's blackbody set to 40.0, sent with "Set".
        def open_weiju(what):
            w.click(*DEVICE_CALI)
            w.wait_shot("the calibration chooser", probe, lambda s: s.near(*CHOOSER_GAP, lambda c: c == (0, 0, 0)), 30)
            w.click(*CHOOSER_WEIJU)
            return w.wait_shot(what, probe, lambda s: e2e.close_button_shown(s, WEIJU_CLOSE) and
                               len(text_mask(s, ROW2_BLACKBODY_BOX)) > 20, 60)

        # Row 3's blackbody is 40.0 in the seed: row 2 shows "40.0" when its text pixels are row
        # 3's, 40 pixels higher.
        def forty(s):
            return {(x, y - 40) for x, y in text_mask(s, ROW3_BLACKBODY_BOX)}

        first = open_weiju("the lens editor")
        assert forty(first) and text_mask(first, ROW2_BLACKBODY_BOX) != forty(first), "row 2 does not show 30.0"
        # The cell commits on Return and shows the row's value again: "40.0" (with the edit
        # cursor still in it). On a loaded display a key may be lost: then the number is typed again.
        def committed(s):
            return forty(s) < text_mask(s, ROW2_BLACKBODY_BOX)

        for attempt in range(3):
            type_into(w, ROW2_BLACKBODY, "40")
            try:
                w.wait_shot("the typed 40 shown as 40.0", probe, committed, 20)
                break
            except AssertionError:
                if attempt == 2:
                    raise
        w.click(*WEIJU_SET)
        uploads = e2e.wait_until("the upload of block 5", lambda: [d for t, d in e2e.observed(observe)
                                                                   if t == 80 and struct.unpack_from("<i", d, 4)[0] == 5], 30)
        w.shot(os.path.join(shots, "weiju-set.png"))
        length = struct.unpack_from("<i", uploads[0], 8)[0]
        assert length == 1088, f"block 5 sent with {length} bytes"
        w.click(*WEIJU_CLOSE)
        w.wait_shot("the lens editor to close", probe, lambda s: not e2e.close_button_shown(s, WEIJU_CLOSE), 30)
        again = open_weiju("the lens editor again")
        again.image.save(os.path.join(shots, "weiju-reopened.png"))
        assert text_mask(again, ROW2_BLACKBODY_BOX) == forty(again), "the reopened editor does not show 40.0 in row 2"
        w.click(*WEIJU_CLOSE)
        w.wait_shot("the lens editor to close again", probe, lambda s: not e2e.close_button_shown(s, WEIJU_CLOSE), 30)

        # The bad-point editor: three points, saved, deleted, loaded.
        w.click(*c.CONFIG_TAB)
        w.click(*DEVICE_COM)
        w.wait_shot("the bad-point editor", probe, lambda s: e2e.close_button_shown(s, COM_CLOSE), 30)
        type_into(w, COM_ID, "CAMSIM-0001")
        type_into(w, COM_WIDTH, "640")
        type_into(w, COM_HEIGHT, "512")
        for k, (x, y) in enumerate(POINTS):
            type_into(w, COM_X, str(x))
            type_into(w, COM_Y, str(y))
            # Leaving a field commits it too, should its Return have been lost on a loaded display.
            w.click(*COM_ID)
            w.click(*COM_ADD)
            w.wait_shot(f"point {k + 1} in the list", probe, lambda s: len(text_mask(s, row_box(k))) > 10, 30)
        listed = w.shot(os.path.join(shots, "com-points.png"))
        rows = [text_mask(listed, row_box(k)) for k in range(3)]
        assert len(set(rows)) == 3, "the three rows do not differ"

        w.click(*COM_SAVE)
        w.wait_shot("the save dialog", probe, dialog_shown, 30)
        e2e.type_path_into_dialog(files)
        w.click(*DIALOG_FILE_NAME)
        e2e.key("ctrl+a")
        e2e.type_text("three.bad")
        e2e.key("Return")
        w.click(*DIALOG_ACCEPT)
        saved = os.path.join(files, "three.bad")
        e2e.wait_until("the saved point file", lambda: os.path.exists(saved) and os.path.getsize(saved) == 56, 30)
        with open(saved, "rb") as f:
            data = f.read()
        ident, width, height, count = struct.unpack_from("<32s3i", data)
        got = [struct.unpack_from("<2H", data, 44 + 4 * k) for k in range(count)]
        assert (ident.rstrip(b"\0"), width, height, got) == (b"CAMSIM-0001", 640, 512, POINTS), \
            f"saved {ident!r} {width}x{height} {got}"

        for _ in range(3):
            w.click(*COM_DELETE)
        w.wait_shot("an empty list", probe, lambda s: not dialog_shown(s) and
                    all(len(text_mask(s, row_box(k))) == 0 for k in range(3)), 30)
        w.click(*COM_LOAD)
        w.wait_shot("the open dialog", probe, dialog_shown, 30)
        e2e.type_path_into_dialog(files)
        w.click(*DIALOG_FIRST_ENTRY)
        w.click(*DIALOG_ACCEPT)
        loaded = w.wait_shot("the loaded points", probe, lambda s: not dialog_shown(s) and
                             all(text_mask(s, row_box(k)) == rows[k] for k in range(3)), 30)
        loaded.image.save(os.path.join(shots, "com-loaded.png"))

        p.finish()
        # The camera's block 5 as it holds it at the end: the seed with row 2's blackbody 40.0 in
        # every shell table, every byte the editor does not use as the seed had it.
        with open(os.path.join(dump, "block5.bin"), "rb") as f:
            block5 = f.read()
        expected = cb.without_row(cb.seed_weiju(), 1)
        expected["rows1"][1] = (40.0, *expected["rows1"][1][1:])
        assert block5 == cb.weiju(**expected), "block 5 differs from the seed with row 2's blackbody 40.0"
        assert all(struct.unpack_from("<f", block5, 128 + 192 * k + 12)[0] == 40.0 for k in range(4))
        print(f"editors: block 5 of {len(block5)} bytes with 40.0 in row 2; {count} points saved and loaded; "
              f"shots in {shots}")
        ok = True
    finally:
        p.close(ok)


if __name__ == "__main__":
    main()
