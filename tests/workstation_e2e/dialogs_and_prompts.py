#!/usr/bin/env python3
"""DialogsAndPrompts: layout, recorder, measurement and save prompts of Calorvue, driven from
outside with the simulator's live camera and the green rectangle of scripts/run-calorvue.sh.

dialogs_and_prompts.py <source root> <Calorvue> <ostrel-camsim> <address>; run under xvfb-run.

1. The tab's grid button, layout r1c2, OK: two frame heads side by side, the second from x 702;
   the cold spot, mapped into frame 0 by the canvas's fit rule, keeps the palette's bottom colour.
2. Recorder settings: prefix on, "wt", pre-record on, 1 s; closed; 3 s recorded. The new
   "wt-*.stream" read with struct: consecutive head indices, about 100 frames, and the file's size
   equal to head, frames and the trailing settings block.
3. The frame's close button: the camera's settings equal its file (as the run command writes
   it), so the module closes without the save prompt; "Device-CAMSIM-0001.conf" byte-identical.
4. Reconnected, the rectangle recoloured "#FF00FF" in the measurement dialog (from the menu's
   measurement list), closed with "Save": the rectangle's colour word in the file is 0xFFFF00FF.
5. Reconnected and recoloured "#00FFFF", the window's close button (WM_DELETE_WINDOW): the quit
   prompt; "SaveNone" ends the program with 0 and leaves the file as step 4 wrote it.
"""
import ctypes
import filecmp
import glob
import os
import shutil
import struct
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, HERE)
import calorvue_geometry as g  # noqa: E402
import e2e_harness as e2e  # noqa: E402
import settings_dialog  # noqa: E402

MAGENTA, CYAN = (255, 0, 255), (0, 255, 255)
# "Device-%s.conf": a 276-byte head, the palette (4), the stretch settings (64), the item count
# (4), then 216-byte items; an item's colour word is at its byte 64. Item 1 is the rectangle.
ITEMS_AT, ITEM_SIZE = 276 + 4 + 64 + 4, 216
# Stream files: bitmap head 64, cover 4 P, reserved 1024, file head 128, then frames of a 128-byte
# head and 2 P codes; the recorder closes the file with its 7264-byte settings record in a
# 7308-byte block.
CONF_BLOCK = 7264 + 44


def send_wm_delete(window_id):
    """What a window manager's close button sends: WM_PROTOCOLS with WM_DELETE_WINDOW."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]

    class XEvent(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    display = x11.XOpenDisplay(None)
    assert display, "no X display"
    ev = XEvent()
    ev.xclient.type = 33  # ClientMessage
    ev.xclient.window = window_id
    ev.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    ev.xclient.format = 32
    ev.xclient.l[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    assert x11.XSendEvent(display, window_id, 0, 0, ctypes.byref(ev)) != 0
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def window_id(title):
    out = subprocess.run(["xdotool", "search", "--name", "^" + title + "$"], capture_output=True, text=True)
    ids = out.stdout.split()
    assert ids, "no window named " + title
    return int(ids[0])


def item_colour(conf, index):
    with open(conf, "rb") as f:
        data = f.read()
    return struct.unpack_from("<I", data, ITEMS_AT + index * ITEM_SIZE + 64)[0]


def read_stream(path):
    """(frame count, head indices, head times in 100 ns, tail bytes) of a stream file, read with
    struct: w and h from the bitmap head (h stored negative), the file head's own size at
    4 P + 1088 + 40, each frame's index at byte 10 and time at byte 32 of its head."""
    size = os.path.getsize(path)
    with open(path, "rb") as f:
        bitmap = f.read(64)
        assert bitmap[:2] == b"BM", "no bitmap head"
        w, h = struct.unpack_from("<ii", bitmap, 18)
        h = -h
        assert (w, h) == (g.IMG_W, g.IMG_H), f"stream of {w} x {h}"
        p = w * h
        head, frame = 4 * p + 1216, 2 * p + 128
        f.seek(4 * p + 1088 + 40)
        fw, fh = struct.unpack("<HH", f.read(4))
        assert (fw, fh) == (w, h), f"file head says {fw} x {fh}"
        k = max(0, (size - head) // frame)
        indices, times = [], []
        for i in range(k):
            f.seek(head + i * frame + 10)
            indices.append(struct.unpack("<H", f.read(2))[0])
            f.seek(head + i * frame + 32)
            times.append(struct.unpack("<q", f.read(8))[0])
    return k, indices, times, size - head - k * frame


def head_colour(s, x):
    return s.at(x, g.FRAME_HEAD_Y) in g.FRAME_HEAD_COLOURS


class Scenario(settings_dialog.Scenario):
    """Numbered shots and waits as in SettingsDialog, and the steps of this scenario."""

    def live_in_frame0(self, s):
        """The r1c2 frame 0 shows the camera: two palette ends, the cold spot in the bottom colour."""
        top = s.at(g.R1C2_PALETTE_X, g.PALETTE_TOP + 3)
        bottom = s.at(g.R1C2_PALETTE_X, g.PALETTE_BOTTOM - 3)
        if e2e.close(top, bottom):
            return False
        return bool(s.near(g.r1c2_x(480), g.r1c2_y(341), lambda c: e2e.close(c, bottom), tol=2))

    def rectangle_in(self, colour):
        """The rectangle's top edge (image row 150) drawn in `colour` along its middle."""
        def drawn(s):
            hits = sum(1 for ix in range(100, 540, 20)
                       if s.near(g.r1c2_x(ix), g.r1c2_y(150), lambda c: c == colour, tol=2))
            return hits >= 18
        return drawn

    def close_module(self, answer):
        self.w.click(*g.FRAME0_CLOSE)
        self.wait("module-prompt", lambda s: s.at(*g.MODULE_PROMPT_HEAD) == g.DIALOG_HEAD)
        self.w.click(*answer)
        # The frame's body shows its own grey once the module and its view are gone.
        self.wait("module-closed", lambda s: s.at(350, 400) == g.FRAME_BODY_COLOUR and
                  s.at(*g.MODULE_PROMPT_HEAD) != g.DIALOG_HEAD)

    def close_module_unasked(self):
        """The frame's close button on a camera whose settings equal its file: the module goes at
        once, without the save prompt."""
        self.w.click(*g.FRAME0_CLOSE)
        s = self.wait("module-closed-unasked", lambda s: s.at(350, 400) == g.FRAME_BODY_COLOUR)
        assert s.at(*g.MODULE_PROMPT_HEAD) != g.DIALOG_HEAD, "asked about settings nobody edited"

    def reconnect(self):
        self.w.click(*g.CAMERA_BUTTON)
        # The popup's black covers the empty frame 0 from (202, 40).
        self.wait("camera-popup", lambda s: s.at(g.CONNECT_FIRST[0] - 120, g.CONNECT_FIRST[1]) == (0, 0, 0))
        self.w.click(*g.CONNECT_FIRST)
        # The placement overlay darkens every frame, frame 1 too, which the popup never covered.
        self.wait("placing", lambda s: max(s.at(1000, 400)) < 0x20)
        self.w.click(*g.FRAME0_PLACE)
        self.wait("reconnected", self.live_in_frame0, timeout=30)

    def recolour(self, preset, colour):
        """The rectangle (row 1 of the measurement list) recoloured in the measurement dialog."""
        self.w.click(*g.MEA_LIST_BOX)
        self.wait("mea-list", lambda s: s.at(*g.mea_list_row(1)) in ((0x2f, 0x2f, 0x37), (0x48, 0x48, 0x4f)))
        self.w.click(*g.mea_list_row(1))
        self.w.click(*g.MEA_LIST_EDIT)
        self.wait("mea-dialog", lambda s: s.at(*g.MEA_HEAD) == g.DIALOG_HEAD)
        self.w.click(*g.MEA_SWATCH)
        self.wait("mea-presets", lambda s: s.at(*g.mea_preset(preset)) == colour)
        self.w.click(*g.mea_preset(preset))
        self.wait("mea-colour", lambda s: s.at(*g.MEA_SWATCH) == colour)
        self.w.click(*g.MEA_OK)
        self.wait("mea-recoloured", lambda s: s.at(*g.MEA_HEAD) != g.DIALOG_HEAD and self.rectangle_in(colour)(s))


def main():
    root, program, camsim, address = sys.argv[1:5]
    p = e2e.Program(root, program, address, "run-calorvue.sh", "Calorvue", env={"OSTREL_CAMSIM": camsim},
                    args=["spots"])
    shots = os.environ.get("E2E_SHOTS_DIR") or os.path.join(p.work, "shots")
    os.makedirs(shots, exist_ok=True)
    conf = os.path.join(p.config_dir, "Device-CAMSIM-0001.conf")
    data_dir = os.path.join(p.work, "Calorvue-Data")
    ok = False
    p.start()
    try:
        sc = Scenario.start(p, shots)
        w = sc.w

        # 1. Layout r1c2.
        w.click(*g.TAB_GRID_BUTTON)
        sc.wait("layout-dialog", lambda s: s.at(*g.LAYOUT_HEAD) == g.DIALOG_HEAD)
        w.click(*g.LAYOUT_R1C2)
        w.click(*g.LAYOUT_OK)
        s = sc.wait("r1c2", lambda s: s.at(*g.LAYOUT_HEAD) != g.DIALOG_HEAD and s.at(g.FRAME1_X, 300) == g.FRAME_BORDER
                    and sc.live_in_frame0(s))
        for x in range(g.FRAME1_X - 4, g.FRAME1_X):
            assert s.at(x, g.FRAME_HEAD_Y) == g.WINDOW_COLOUR, f"gap between the frames at x {x}: {s.at(x, g.FRAME_HEAD_Y)}"
        assert s.at(g.FRAME1_X - 5, 300) == g.FRAME_BORDER, "frame 0's right border at x 697"
        assert head_colour(s, 600) and head_colour(s, g.FRAME1_X + 600), "two frame heads side by side"

        # 2. Recorder settings, then 3 s recorded.
        w.click(*g.LIVE_RECORDER_CONFIG)
        sc.wait("recorder-dialog", lambda s: s.at(*g.RECORDER_HEAD) == g.DIALOG_HEAD)
        for box in (g.PREFIX_ENABLE, g.PREBUFFER_ENABLE):
            w.click(*box)
            sc.wait("checked", lambda s: s.near(*box, lambda c: e2e.close(c, g.CHECKED_BLUE, 8), tol=4))
        w.click(*g.PREFIX_FIELD)
        e2e.key("ctrl+a")
        e2e.type_text("wt")
        w.click(*g.PREBUFFER_FIELD)
        e2e.key("ctrl+a")
        e2e.type_text("1")
        e2e.key("Return")
        e2e.key("Escape")
        sc.wait("recorder-closed", lambda s: s.at(*g.RECORDER_HEAD) != g.DIALOG_HEAD)
        before = set(glob.glob(os.path.join(data_dir, "*.stream")))
        clicked_at = time.monotonic()
        w.click(*g.LIVE_RECORD)
        # The record button turns red while recording.
        sc.wait("recording", lambda s: s.near(*g.LIVE_RECORD, lambda c: c[0] > 200 and c[1] < 60 and c[2] < 60, tol=8))
        started_at = time.monotonic()
        # A synchronous pointer move to where the pointer already is waits for a move that never
        # comes: the pointer leaves the button first.
        w.move_to(g.LIVE_RECORD[0], g.LIVE_RECORD[1] - 10)
        time.sleep(3.0)  # the length of the recording, not a wait for an event
        w.click(*g.LIVE_RECORD)
        stopped_at = time.monotonic()
        sc.wait("stopped", lambda s: not s.near(*g.LIVE_RECORD, lambda c: c[0] > 200 and c[1] < 60 and c[2] < 60, tol=8))
        stop_seen_at = time.monotonic()
        new = e2e.wait_until("the recording", lambda: sorted(set(glob.glob(os.path.join(data_dir, "wt-*.stream"))) - before))
        assert len(new) == 1, f"recordings {new}"
        # The file is complete once the settings block closes it.
        frames, indices, times, _ = e2e.wait_until(
            "the recording to end", lambda: (lambda r: r if r[3] == CONF_BLOCK else None)(read_stream(new[0])))
        assert all((b - a) % 65536 == 1 for a, b in zip(indices, indices[1:])), f"head indices {indices}"
        span = (times[-1] - times[0]) / 1e7
        print(f"recording {os.path.basename(new[0])}: {frames} frames, indices {indices[0]}..{indices[-1]}, "
              f"{span:.2f} s by the frames' own times")
        # 3 s at 25 frames/s and the pre-recorded second: about 100. A loaded machine takes the
        # clicks late, so the recording lies between the start shown and the stop click (at least)
        # and between the start click and the stop shown (at most); 10 frames of slack each way. The
        # pre-record second counts only at the upper bound: under load it may not be full yet.
        shortest, longest = stopped_at - started_at, stop_seen_at - clicked_at
        assert 25 * shortest - 10 <= frames <= 25 * (longest + 1) + 10, \
            f"{frames} frames for {shortest:.1f} to {longest:.1f} s of recording"

        # 3. Close: nothing was edited, so nothing is asked and the camera's file stays as it was.
        kept = conf + ".before"
        shutil.copyfile(conf, kept)
        sc.close_module_unasked()
        assert filecmp.cmp(conf, kept, shallow=False), "closing changed " + conf

        # 4. Reconnected, recoloured, Save: the colour in the file.
        sc.reconnect()
        sc.recolour(24, MAGENTA)
        sc.close_module(g.MODULE_PROMPT_SAVE)
        colour = item_colour(conf, 1)
        assert colour == 0xFFFF00FF, f"the rectangle's colour in the file is {colour:#010x}"
        shutil.copyfile(conf, kept)

        # 5. Reconnected, recoloured again; the window's close asks; SaveNone quits with 0.
        sc.reconnect()
        sc.recolour(28, CYAN)
        send_wm_delete(window_id(g.TITLE))
        sc.wait("quit-prompt", lambda s: s.at(*g.WORKSPACE_PROMPT_HEAD) == g.DIALOG_HEAD)
        p.check_running()
        w.click(*g.WORKSPACE_PROMPT_SAVENONE)
        p.output, _ = p.process.communicate(timeout=30)
        print(p.output)
        assert p.process.returncode == 0, f"run-calorvue.sh ended with {p.process.returncode}"
        assert "Calorvue exited with 0" in p.output, "Calorvue did not exit with 0"
        assert "simulator stopped" in p.output, "the simulator was not stopped"
        assert filecmp.cmp(conf, kept, shallow=False), "SaveNone in the quit prompt changed " + conf
        print(f"DialogsAndPrompts passed; shots in {shots}")
        ok = True
    finally:
        p.close(ok)


if __name__ == "__main__":
    main()
