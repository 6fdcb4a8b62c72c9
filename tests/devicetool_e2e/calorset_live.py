#!/usr/bin/env python3
"""CalorsetLive: a copy of Calorset started by scripts/run-calorset.sh against the camera simulator
(which answers discovery on its own loopback address), driven with xdotool as a new user would.

Positions, worked out by hand from the views for the 1200 x 800 window:
  pages start at y 54; the live page's device panel at x 4, y 58, 240 wide, 738 high: its head
  50 high, the device list 0.6 x 738 = 442.8 high (first row inset 4: x 8..236, y 108..168), the
  address row 50 high, then the control grid of 3 x 4 cells of 60 x 50 at y 58 + 542.8 = 600.8:
  Play in its first cell, centre (34, 625.8).
  The canvas area: x 248, y 58 + 50 = 108, 1200 - 248 - 4 = 948 wide, 738 - 50 = 688 high. It fits
  the 640 x 512 image by height (948 / 688 > 1.25): 860 x 688 at x 248 + 44 = 292, so image x maps
  to 292 + x x 860 / 640 and image y to 108 + y x 688 / 512.
  The simulator's frame n: a cold 3 x 3 spot at (480, 341), a hot 3 x 3 plateau on row 170 whose
  centre is at column 10 + n mod 620 (one column a frame). The tool's default image settings
  (palette 5, the plateau-equalising stretch) colour every pixel from palette 5's table, the cold
  spot with a lower entry than the background; between two shots only the plateau's row changes.
  "DeviceConfig": the fourth cell of the top bar, x 1200 - 5 - 50 - 360 + 10 = 795, y 9, 100 x 32.
  The dialog's 800 x 600 box is centred: x 200, y 100; its content at (202, 144), 796 x 554; the
  bottom bar 40 high at y 658; "ApplyAndClose" 200 wide ends 10 before the right edge: x 788..988,
  centre (888, 678).
"""
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageChops

TITLE = "Calorset v1.6.0.0330"
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


def close(a, b, limit=24):
    return all(abs(int(p) - int(q)) <= limit for p, q in zip(a[:3], b[:3]))


def wait_until(what, predicate, deadline):
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)


PALETTE_DUMP = """
import ctypes, sys
sdk = ctypes.CDLL(sys.argv[1])
sdk.Ostrel_AllocPaletteData.restype = ctypes.c_void_p
count = ctypes.c_int(0)
block = sdk.Ostrel_AllocPaletteData(ctypes.byref(count))
assert block and count.value == 12, "no palette table"
sys.stdout.write(ctypes.string_at(block + int(sys.argv[2]) * 1056, 1056).hex())
holder = ctypes.c_void_p(block)
sdk.Ostrel_FreePaletteData(ctypes.byref(holder))
"""


def palette_table(sdk_path, index):
    """The 256 colours of a built-in palette, as the SDK hands them out (bytes B, G, R, A). Read in a
    process of its own: a sanitizer build of the SDK needs its runtime loaded first."""
    cmd = [sys.executable, "-c", PALETTE_DUMP, sdk_path, str(index)]
    out = subprocess.run(cmd, capture_output=True, text=True)
    if out.returncode != 0:
        runtimes = [subprocess.run(["gcc", "-print-file-name=" + lib], capture_output=True, text=True).stdout.strip()
                    for lib in ("libasan.so", "libubsan.so")]
        env = dict(os.environ, LD_PRELOAD=" ".join(runtimes), ASAN_OPTIONS="detect_leaks=0")
        out = subprocess.run(cmd, capture_output=True, text=True, env=env)
    assert out.returncode == 0, "palette table: " + out.stderr
    raw = bytes.fromhex(out.stdout)
    colours = struct.unpack_from("<256I", raw, 32)
    return [((c >> 16) & 255, (c >> 8) & 255, c & 255) for c in colours]


def palette_index(table, colour, limit=6):
    """The entry nearest to a shown colour, or None when none lies within the limit."""
    best = min(range(256), key=lambda i: sum(abs(int(a) - int(b)) for a, b in zip(table[i], colour)))
    return best if all(abs(int(a) - int(b)) <= limit for a, b in zip(table[best], colour)) else None


def basic_record_golden():
    """The simulator's basic record for its default identity, laid out from the documented fields."""
    rec = bytearray(struct.pack("<32s32s16s32s32s32sHHHHH", b"CAMSIM-0001", b"camsim", b"SIM", b"FPA-SIM",
                                b"HW-SIM", b"SW-SIM-1.0", 640, 512, 25, 1, 1))
    rec += bytes((7 * 31 + i * 7 + 1) & 255 for i in range(186, 212))
    rec += struct.pack("<HH", 0, 0)
    assert len(rec) == 216
    return bytes(rec)


def window_origin():
    out = subprocess.run(["xwininfo", "-name", TITLE], capture_output=True, text=True)
    if out.returncode != 0:
        return None
    vals = [re.search(p + r"\s+(-?\d+)", out.stdout) for p in
            ("Absolute upper-left X:", "Absolute upper-left Y:", "Width:", "Height:")]
    if not all(vals):
        return None
    return tuple(int(v.group(1)) for v in vals)


class Shot:
    def __init__(self, path, origin):
        subprocess.run(["import", "-window", "root", path], check=True, capture_output=True)
        self.image = Image.open(path).convert("RGB")
        self.ox, self.oy = origin

    def at(self, x, y):
        return self.image.getpixel((self.ox + x, self.oy + y))

    def near(self, x, y, predicate, tol=3):
        for dy in range(-tol, tol + 1):
            for dx in range(-tol, tol + 1):
                if predicate(self.at(x + dx, y + dy)):
                    return (x + dx, y + dy)
        return None


def click(origin, pos):
    subprocess.run(["xdotool", "mousemove", str(origin[0] + pos[0]), str(origin[1] + pos[1]), "click", "1"],
                   check=True)


SAMPLES = [(ix, iy) for ix in range(20, 640, 60) for iy in range(20, 512, 60)]


def check_live(s, label, table):
    """Every sampled pixel is a palette-5 colour; the cold spot's entry lies below the background's."""
    entries, colours = [], []
    for ix, iy in SAMPLES:
        c = s.at(view_x(ix), view_y(iy))
        i = palette_index(table, c)
        assert i is not None, f"{label}: {c} at image {ix},{iy} is no colour of palette 5"
        entries.append(i)
        colours.append(c)
    cold = min(palette_index(table, s.at(view_x(480) + dx, view_y(341) + dy), 255)
               for dx in (-1, 0, 1) for dy in (-1, 0, 1))
    assert cold < min(entries), f"{label}: cold spot entry {cold}, background entries from {min(entries)}"
    return entries, colours


def observed_sets(path):
    sets = []
    with open(path) as f:
        for line in f:
            data = bytes.fromhex(line.strip())
            if len(data) >= 4 and struct.unpack_from("<H", data)[0] == 9:
                sets.append(data)
    return sets


def main():
    root, program, camsim, sdk_path, address = sys.argv[1:6]
    work = tempfile.mkdtemp(prefix="calorset-live-")
    shots = os.environ.get("CALORSET_LIVE_DIR", work)
    os.makedirs(shots, exist_ok=True)
    copy = os.path.join(work, "Calorset")
    shutil.copy2(program, copy)
    observe = os.path.join(work, "observed.hex")
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", OSTREL_CAMSIM=camsim, OSTREL_CAMSIM_ARGS="--observe " + observe)
    table = palette_table(sdk_path, 5)
    run = subprocess.Popen(["bash", os.path.join(root, "scripts", "run-calorset.sh"), copy, address], env=env,
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, start_new_session=True)
    ok = False
    try:
        deadline = time.monotonic() + 60
        logdir = os.path.join(work, "Calorset-Log")

        def log_text():
            if not os.path.isdir(logdir):
                return ""
            text = ""
            for name in sorted(os.listdir(logdir)):
                with open(os.path.join(logdir, name), errors="replace") as f:
                    text += f.read()
            return text

        def renders_with_opengl():
            if run.poll() is not None:
                raise AssertionError("run-calorset.sh ended early: " + run.stdout.read())
            return "renders with OpenGL" in log_text()

        wait_until("the log to name OpenGL", renders_with_opengl, deadline)
        origin = wait_until("the window", window_origin, deadline)
        assert origin[2:] == (1200, 800), f"window size {origin[2:]}"
        probe = os.path.join(shots, "probe.png")

        def row_listed():
            s = Shot(probe, origin[:2])
            return not close(s.at(*FIRST_ROW), s.at(*LIST_BELOW_ROWS), 8)

        wait_until("the simulator's row in the device list", row_listed, deadline)
        Shot(os.path.join(shots, "listed.png"), origin[:2])
        click(origin, PLAY)

        def live_shown():
            s = Shot(probe, origin[:2])
            # The empty canvas is black, palette 5's first entry: the picture is there once the
            # background shows a later one.
            i = palette_index(table, s.at(view_x(320), view_y(256)))
            return i is not None and i > 0

        wait_until("the live image", live_shown, deadline)
        one = Shot(os.path.join(shots, "live-1.png"), origin[:2])
        time.sleep(1.0)  # the interval between the two shots, not a wait for an event
        two = Shot(os.path.join(shots, "live-2.png"), origin[:2])
        check_live(one, "first shot", table)
        check_live(two, "second shot", table)
        crop = (view_x(0), view_y(0), view_x(IMG_W), view_y(IMG_H))
        moved = ImageChops.difference(one.image.crop(crop), two.image.crop(crop)).getbbox()
        assert moved, "the two shots a second apart show the same picture"
        top, bottom = view_y(0) + moved[1], view_y(0) + moved[3]
        assert view_y(168) <= top and bottom <= view_y(173), f"the picture changed at rows {top}..{bottom}"

        def dialog_shown(shown):
            def probe_dialog():
                s = Shot(probe, origin[:2])
                # The close button is drawn in the theme's danger red; the live picture there is not.
                red = s.at(*CLOSE_BUTTON)[0] >= 200
                return s if red == shown else None
            return probe_dialog

        click(origin, DEVICE_CONFIG)
        title = wait_until("the DeviceConfig dialog", dialog_shown(True), deadline)
        title.image.save(os.path.join(shots, "deviceconfig.png"))
        assert observed_sets(observe) == [], "a set before Apply"
        click(origin, APPLY_AND_CLOSE)
        sets = wait_until("the basic record's set", lambda: observed_sets(observe), deadline)
        time.sleep(0.5)  # a second set would have arrived by now; there must be exactly one
        sets = observed_sets(observe)
        assert len(sets) == 1, f"{len(sets)} sets of the basic record"
        assert sets[0][4:] == basic_record_golden(), "the set record differs from the camera's record"
        assert struct.unpack_from("<H", sets[0], 2)[0] == 220
        # Closing logged out: the dialog opens again, and after Escape once more.
        wait_until("the dialog to close", dialog_shown(False), deadline)
        click(origin, DEVICE_CONFIG)
        wait_until("the DeviceConfig dialog again", dialog_shown(True), deadline)
        subprocess.run(["xdotool", "key", "Escape"], check=True)
        wait_until("the dialog to close on Escape", dialog_shown(False), deadline)
        click(origin, DEVICE_CONFIG)
        wait_until("the DeviceConfig dialog after Escape", dialog_shown(True), deadline)
        subprocess.run(["xdotool", "key", "Escape"], check=True)
        wait_until("the dialog to close on Escape", dialog_shown(False), deadline)

        os.kill(run.pid, signal.SIGTERM)
        out, _ = run.communicate(timeout=60)
        print(out)
        assert run.returncode == 0, f"run-calorset.sh ended with {run.returncode}"
        assert "Calorset exited with 0" in out, "Calorset did not exit with 0"
        assert "simulator stopped" in out
        text = log_text()
        stop = text.find("logged out 0")
        assert stop >= 0, "the live camera was not logged out"
        assert text.find("managers deleted") > stop, "the managers went before the logout"
        print(f"live: the hot row changed over window columns {moved[0] + view_x(0)}..{moved[2] + view_x(0)}; "
              f"one basic-record set; shots in {shots}")
        ok = True
    finally:
        if run.poll() is None:
            os.killpg(run.pid, signal.SIGKILL)
            run.wait()
        if ok and shots == work:
            shutil.rmtree(work, ignore_errors=True)
        elif not ok:
            print("kept for inspection: " + work)


if __name__ == "__main__":
    main()
