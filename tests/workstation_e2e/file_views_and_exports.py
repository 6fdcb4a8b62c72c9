#!/usr/bin/env python3
"""FileViewsAndExports: a recording and a picture opened in Calorvue, played, and exported as an
MP4 video and a radiometric picture, driven from outside.

file_views_and_exports.py <source root> <Calorvue> <ostrel-camsim> <address>; run under
xvfb-run with VIEW_FIXTURE_TOOL naming the fixture writer.

The fixture: 100 frames of 640 x 512 at 20 degrees, frame i with a 9 x 9 block at 80 degrees
centred at column 20 + 6 i, row 256, and a picture of frame 0.

1. The recording through the open-file button (its folder typed into the toolkit's dialog),
   placed in frame 0 with "Place"; Stop; "50" and Return in the frame box: image (314, 256),
   block 49's centre, shows the palette bar's top colour, image (600, 100) its bottom colour (the
   files' stored view stretches 20..80 degrees linearly).
2. Export, MP4, WithRoi off, colour bar none, Export: ffprobe counts 100 h264 frames of
   640 x 512; frame 49 decoded by ffmpeg has the top colour at (314, 256) within 12 levels.
2b. Export, ExportIrStream, SplitAsJpg on, End typed "3" and Export clicked at once, over a
   series "run-export/0001.jpg" .. "0003.jpg" that is there: the overwrite prompt comes first;
   "No" leaves the three files byte for byte; Export and "Yes" replace them with radiometric
   pictures of frames 1 .. 3 (read with Pillow and struct), and no fourth picture appears.
3. The picture opened and placed the same way, exported with WithTemp on and colour bar none:
   Pillow reads 640 x 512, and the file ends with its settings block and its temperature block,
   read with struct (frame 0's block at 80 degrees, the rest at 20).
Each export's notice, logged as shown, reads "Export", the path and "Done" (the English text of "Success").
"""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, HERE)
import calorvue_geometry as g  # noqa: E402
import e2e_harness as e2e  # noqa: E402
import settings_dialog  # noqa: E402

W, H, P = 640, 512, 640 * 512
# The menu bar's open-file button: after the 40-wide workspace button and a 1-wide separator.
OPEN_FILE = g.centre(41, 0, 40, 39)                            # (61, 19)
DIALOG_GREY = (239, 239, 239)
LIST_COLOURS = ((45, 50, 60), (20, 24, 32))
# Place button of the only frame (layout r1c1) while a placement is pending: centred in its body
# (x 0..1399, y 111..679).
PLACE = (700, 395)
# A file module in frame 0: module view x 2..1397, y 113..677 (1396 x 565). Tool column 50 wide,
# an 8 x 1 grid of 50-high cells (unit margin 4): the export button in row 5, y 363..413.
EXPORT_BUTTON = (2 + 25, 113 + 5 * 50 + 25)                    # (27, 388)
# Stream view: canvas x 52, y 113, 1266 x 505; the player bar below it, y 618..677. The 640 x 512
# image fits by height (1266 / 505 > 1.25): scale 505 / 512, 631.25 wide, centred 317.375 in.
STREAM_CANVAS_H = 565 - 60
STREAM_SCALE = STREAM_CANVAS_H / H
STREAM_LEFT = (g.CANVAS_W - W * STREAM_SCALE) / 2
BAR_Y = 113 + STREAM_CANVAS_H                                   # 618
# Second row of the bar (y 648..677): a 1 x 7 grid of 30-wide cells from x 52 (Stop is cell 3),
# and at the right end the 1 x 3 grid of 50-wide cells with the frame box in the middle.
STOP = (52 + 3 * 30 + 15, BAR_Y + 45)                          # (157, 663)
FRAME_BOX = (52 + g.CANVAS_W - 150 + 75, BAR_Y + 45)           # (1243, 663)
# The export choice opens right of the export button (x 48, y 367 in the window): three 150 x 30
# buttons 4 apart inside padding 4; "ExportIrMp4" is the third.
CHOICE_MP4 = (48 + 4 + 75, 367 + 4 + 2 * 34 + 15)             # (127, 454)
CHOICE_MP4_GAP = (127, 367 + 4 + 2 * 34 - 2)                    # (127, 437)
CHOICE_STREAM = (48 + 4 + 75, 367 + 4 + 34 + 15)               # (127, 420)
# The overwrite prompt: 400 wide, centred, at the dialogs' y; padding 4, head 40, the 60-high
# text and its 40-high button bar with "Yes" and "No" (80 x 30, 20 apart, 20 from the end).
PROMPT_X = (1400 - 400) // 2                                    # 500
PROMPT_BAR_Y = g.DIALOG_Y + 4 + 40 + 10 + 60 + 10                # 305
PROMPT_YES = (PROMPT_X + 4 + 392 - 20 - 80 - 20 - 40, PROMPT_BAR_Y + 20)   # (736, 325)
PROMPT_NO = (PROMPT_X + 4 + 392 - 20 - 40, PROMPT_BAR_Y + 20)              # (836, 325)
# Export dialogs: 512 wide at x 444, y 181; padding 4, head 40, then (spacing 10) a 2-high
# separator, the 32-high file row, the 32-high inputs and the 40-high button bar. Value panels
# from x 448 + 204 = 652, 300 wide; a check box's centre 20 into its panel.
DIALOG_X = (1400 - 512) // 2                                    # 444
DIALOG_HEAD = (DIALOG_X + 400, g.DIALOG_Y + 4 + 20)
ROWS_Y = g.DIALOG_Y + 4 + 40 + 10 + 2 + 10 + 32 + 10             # 289: the first input row
VALUE_X = DIALOG_X + 4 + 204


def row_y(i):
    return ROWS_Y + 42 * i


def check_box(i):
    return VALUE_X + 20, row_y(i) + 16


def checked(s, i):
    """Whether the check box of input row i shows its blue fill (the tick covers the centre)."""
    x, y = check_box(i)
    return s.at(x - 6, y - 6) == g.CHECKED_BLUE


def enum_box(i):
    return VALUE_X + 150, row_y(i) + 16


def enum_entry(i, entry):
    """An entry of the drop-down list opened under input row i: 32 high each, padding 1."""
    return VALUE_X + 150, row_y(i) + 32 + 1 + 32 * entry + 16


def export_button(rows):
    """Export (80 x 30) in the bar under `rows` inputs: 20 from Cancel, which is 20 from the end."""
    return DIALOG_X + 4 + 504 - 20 - 80 - 20 - 40, row_y(rows) + 20


def value_box(i):
    return VALUE_X + 150, row_y(i) + 16


def prompt_shown(s):
    """The overwrite prompt's button bar ("#222222") left of its buttons, over the dialog's rows."""
    return all(s.at(PROMPT_X + 20, y) == g.DIALOG_HEAD for y in (PROMPT_BAR_Y + 5, PROMPT_BAR_Y + 35))


def stream_x(ix):
    return g.CANVAS_X + int(STREAM_LEFT + (ix + 0.5) * STREAM_SCALE)


def stream_y(iy):
    return g.CANVAS_Y + int((iy + 0.5) * STREAM_SCALE)


def palette_ends(s):
    return s.at(g.PALETTE_X, g.PALETTE_TOP + 3), s.at(g.PALETTE_X, g.PALETTE_BOTTOM - 3)


def near_levels(a, b, levels):
    return all(abs(x - y) <= levels for x, y in zip(a, b))


class Scenario(settings_dialog.Scenario):
    # A sanitizer build on a busy machine takes its time; the waits end as soon as they hold.
    TIMEOUT = 90.0

    @classmethod
    def start(cls, program, shots):
        e2e.wait_until("the day log to name OpenGL", lambda: program.log_contains("OpenGL"), timeout=cls.TIMEOUT)
        w = e2e.Window.wait(g.TITLE, program=program, timeout=cls.TIMEOUT)
        assert (w.width, w.height) == (g.WINDOW_W, g.WINDOW_H), f"window size {w.width} x {w.height}"
        sc = cls(program, w, shots)
        sc.wait("live", lambda s: g.live_image_shown(s, e2e.close))
        return sc

    def wait(self, name, predicate, timeout=None):
        return super().wait(name, predicate, timeout or self.TIMEOUT)

    def open_and_place(self, folder, name):
        """The open-file button, the toolkit's dialog taken to `folder` (its only file, `name`, is
        chosen) and Open, then "Place" in frame 0; returns once the module's view exists."""
        self.w.click(*OPEN_FILE)
        # The toolkit sizes its dialog by the names it lists (600 x 400 or wider, centred): the
        # light grey of its title band near both side edges.
        self.wait(name + "-dialog", lambda s: s.at(405, 215) == DIALOG_GREY and s.at(995, 215) == DIALOG_GREY)

        def only_entry(s):
            """The first entry highlighted and no name in the second row: `folder` is shown."""
            first = s.at(*g.TOOLKIT_FIRST_ENTRY)
            return first[2] > 150 and first[0] < 120 and not any(
                max(s.at(x, y)) < 100 for x in range(440, 640, 2) for y in range(315, 345, 2))
        e2e.type_path_into_dialog(folder, self.shows(name + "-shown", only_entry))
        self.w.click(*g.TOOLKIT_FIRST_ENTRY)
        self.w.click(*g.TOOLKIT_OPEN)
        # The white arrow of the Place button in the frame's middle.
        self.wait(name + "-placing", lambda s: s.at(700, 370) == (255, 255, 255) and s.at(*PLACE) == (255, 255, 255))
        self.w.click(*PLACE)
        e2e.wait_until("the module view of " + name, lambda: self.p.log_contains(", inputName " + os.path.join(folder, name)),
                       timeout=self.TIMEOUT)

    def colorbar_none(self, row, name):
        """The colour bar input in row `row` set to its first entry, "EOverlayType_None"."""
        self.w.click(*enum_box(row))
        # The drop-down's rows, plain or (the current entry) highlighted, right of their texts.
        self.wait(name + "-colorbar-list", lambda s: all(
            s.at(VALUE_X + 288, enum_entry(row, i)[1]) in LIST_COLOURS for i in range(3)))
        self.w.click(*enum_entry(row, 0))
        self.shot(name + "-settings")

    def notice(self, path):
        text = "notice Export " + path + " - Done"
        e2e.wait_until("the notice " + text, lambda: self.p.log_contains(text), timeout=2 * self.TIMEOUT)


def mp4_probe(path):
    r = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                        "stream=codec_name,width,height,nb_read_frames", "-of", "json", path],
                       capture_output=True, text=True, check=True)
    return json.loads(r.stdout)["streams"][0]


def mp4_frame(path, index, png):
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-i", path, "-vf", f"select=eq(n\\,{index})", "-vsync", "0",
                    "-frames:v", "1", png], check=True, capture_output=True)
    return Image.open(png).convert("RGB")


def picture_blocks(path):
    """The blocks closing a radiometric picture, read back to front: TEMP (its trailer last), then
    CONF before it. Returns (conf payload, temp payload)."""
    with open(path, "rb") as f:
        data = f.read()
    tw, th, tdate, tlen, ttag = struct.unpack_from("<HHIi4s", data, len(data) - 36)
    assert (tw, th, tdate, ttag) == (W, H, 0, b"TEMP"), f"TEMP trailer {tw} {th} {tdate} {ttag}"
    assert tlen == 2 * P + 16640, f"TEMP length {tlen}"
    temp_start = len(data) - 36 - tlen - 8
    plen, ptag = struct.unpack_from("<i4s", data, temp_start)
    assert (plen, ptag) == (tlen, b"TEMP"), f"TEMP prefix {plen} {ptag}"
    cw, ch, cdate, clen, ctag = struct.unpack_from("<HHIi4s", data, temp_start - 36)
    assert (cw, ch, cdate, clen, ctag) == (W, H, 0, 7264, b"CONF"), f"CONF trailer {cw} {ch} {cdate} {clen} {ctag}"
    conf_start = temp_start - 36 - clen - 8
    assert struct.unpack_from("<i4s", data, conf_start) == (7264, b"CONF")
    return data, conf_start + 8, temp_start + 8


def main():
    root, program, camsim, address = sys.argv[1:5]
    tool = os.environ["VIEW_FIXTURE_TOOL"]
    p = e2e.Program(root, program, address, "run-calorvue.sh", "Calorvue", env={"OSTREL_CAMSIM": camsim},
                    args=["spots"])
    shots = os.environ.get("E2E_SHOTS_DIR") or os.path.join(p.work, "shots")
    os.makedirs(shots, exist_ok=True)
    # Each file in a folder of its own: the dialog's first entry is then the file.
    written = os.path.join(p.work, "fixture")
    os.makedirs(written)
    subprocess.run([tool, written], check=True, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    stream_dir, picture_dir = os.path.join(p.work, "recordings"), os.path.join(p.work, "pictures")
    os.makedirs(stream_dir)
    os.makedirs(picture_dir)
    shutil.move(os.path.join(written, "run.stream"), stream_dir)
    shutil.move(os.path.join(written, "run.jpg"), picture_dir)
    ok = False
    p.start()
    try:
        sc = Scenario.start(p, shots)
        w = sc.w

        # 1. The recording, stopped, frame 50.
        sc.open_and_place(stream_dir, "run.stream")
        sc.wait("stream-shown", lambda s: not e2e.close(*palette_ends(s)))
        w.click(*STOP)
        w.click(*FRAME_BOX)
        e2e.key("ctrl+a")
        e2e.type_text("50")
        e2e.key("Return")

        def frame_50(s):
            top, bottom = palette_ends(s)
            return e2e.close(s.at(stream_x(314), stream_y(256)), top) and e2e.close(s.at(stream_x(600), stream_y(100)), bottom)
        s = sc.wait("frame-50", frame_50)
        top, bottom = palette_ends(s)
        assert not e2e.close(top, bottom), f"palette ends {top} {bottom}"
        # Blocks 48 and 50 (columns 308 and 320) are not shown: the picture is frame 49's.
        assert e2e.close(s.at(stream_x(20 + 6 * 48), stream_y(256)), bottom), "block 48's place"
        assert e2e.close(s.at(stream_x(20 + 6 * 50), stream_y(256)), bottom), "block 50's place"

        # 2. MP4 of the whole recording, no items, no colour bar.
        w.click(*EXPORT_BUTTON)
        # The choice's border "#3a3a3a" at x 48, black between its buttons.
        sc.wait("export-choice", lambda s: s.at(48, 420) == (0x3a, 0x3a, 0x3a) and s.at(*CHOICE_MP4_GAP) == (0, 0, 0))
        w.click(*CHOICE_MP4)
        sc.wait("mp4-dialog", lambda s: s.at(*DIALOG_HEAD) == g.DIALOG_HEAD)
        assert checked(sc.shot("mp4-roi"), 0), "WithRoi starts on"
        w.click(*check_box(0))
        sc.wait("mp4-no-roi", lambda s: not checked(s, 0))
        sc.colorbar_none(1, "mp4")
        mp4 = os.path.join(stream_dir, "run-export.mp4")
        w.click(*export_button(5))
        sc.notice(mp4)
        probe = mp4_probe(mp4)
        assert (probe["codec_name"], probe["width"], probe["height"]) == ("h264", W, H), probe
        assert int(probe["nb_read_frames"]) == 100, probe
        with tempfile.TemporaryDirectory() as d:
            video = mp4_frame(mp4, 49, os.path.join(d, "49.png"))
            shutil.copy(os.path.join(d, "49.png"), os.path.join(shots, "mp4-frame-49.png"))
        assert video.size == (W, H)
        got = video.getpixel((314, 256))
        assert near_levels(got, top, 12), f"video frame 49 at (314, 256): {got}, palette top {top}"

        # 2b. Pictures of frames 1 .. 3 over a series that is there.
        series = os.path.join(stream_dir, "run-export")
        os.makedirs(series)
        old = {}
        for k in (1, 2, 3):
            name = os.path.join(series, "%04d.jpg" % k)
            old[name] = b"an older picture %d " % k * 100
            with open(name, "wb") as f:
                f.write(old[name])
        w.click(*EXPORT_BUTTON)
        sc.wait("stream-choice", lambda s: s.at(48, 420) == (0x3a, 0x3a, 0x3a) and s.at(*CHOICE_MP4_GAP) == (0, 0, 0))
        w.click(*CHOICE_STREAM)
        sc.wait("stream-dialog", lambda s: s.at(*DIALOG_HEAD) == g.DIALOG_HEAD)
        w.click(*check_box(3))
        sc.wait("split-on", lambda s: checked(s, 3))
        w.click(*value_box(1))
        e2e.key("ctrl+a")
        e2e.type_text("3")
        w.click(*export_button(4))
        sc.wait("overwrite-asked", prompt_shown)
        w.click(*PROMPT_NO)
        sc.wait("overwrite-declined", lambda s: not prompt_shown(s) and s.at(*DIALOG_HEAD) == g.DIALOG_HEAD)
        for name, data in old.items():
            with open(name, "rb") as f:
                assert f.read() == data, name + " changed after No"
        w.click(*export_button(4))
        sc.wait("overwrite-asked-again", prompt_shown)
        w.click(*PROMPT_YES)
        sc.notice(os.path.join(stream_dir, "run-export.stream"))
        assert sorted(os.listdir(series)) == ["0001.jpg", "0002.jpg", "0003.jpg"], os.listdir(series)
        for k in (1, 2, 3):
            name = os.path.join(series, "%04d.jpg" % k)
            assert Image.open(name).format == "PNG", name
            data, conf_at, temp_at = picture_blocks(name)
            head = temp_at + 16512
            scale, offset = struct.unpack_from("<Hh", data, head + 12)
            code = struct.unpack_from("<h", data, head + 128 + 2 * (256 * W + 20 + 6 * (k - 1)))[0]
            assert code / scale + offset == 80, f"{name}: frame {k}'s block"
        assert not os.path.exists(os.path.join(stream_dir, "run-export.stream")), "the named file is not written"

        # 3. The picture, with its temperatures, no colour bar.
        sc.open_and_place(picture_dir, "run.jpg")
        pic_scale = 565 / H
        pic_left = (g.CANVAS_W - W * pic_scale) / 2

        def picture_shown(s):
            t, b = palette_ends(s)
            x = g.CANVAS_X + int(pic_left + 20.5 * pic_scale)
            return not e2e.close(t, b) and e2e.close(s.at(x, g.CANVAS_Y + int(256.5 * pic_scale)), t)
        sc.wait("picture-shown", picture_shown)
        w.click(*EXPORT_BUTTON)
        sc.wait("jpg-dialog", lambda s: s.at(*DIALOG_HEAD) == g.DIALOG_HEAD)
        assert checked(sc.shot("jpg-withtemp"), 0), "WithTemp is on"
        sc.colorbar_none(2, "jpg")
        jpg = os.path.join(picture_dir, "run-export.jpg")
        w.click(*export_button(3))
        sc.notice(jpg)
        assert Image.open(jpg).size == (W, H)
        data, conf_at, temp_at = picture_blocks(jpg)
        assert struct.unpack_from("<HH", data, conf_at + 48) == (W, H), "the record's size"
        # The frame head at the payload's byte 16512: width, height, ..., scale (12), offset (14);
        # degrees = code / scale + offset.
        head = temp_at + 16512
        fw, fh = struct.unpack_from("<HH", data, head)
        scale, offset = struct.unpack_from("<Hh", data, head + 12)
        assert (fw, fh) == (W, H) and scale > 0, f"frame head {fw} x {fh}, scale {scale}"
        codes = head + 128

        def at(x, y):
            return struct.unpack_from("<h", data, codes + 2 * (y * W + x))[0] / scale + offset
        assert at(20, 256) == 80 and at(16, 252) == 80 and at(24, 260) == 80, "frame 0's block"
        assert at(15, 256) == 20 and at(600, 100) == 20, "the background"
        sc.shot("done")
        p.finish()
        ok = True
    finally:
        p.close(ok)


if __name__ == "__main__":
    main()
