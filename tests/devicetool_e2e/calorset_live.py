#!/usr/bin/env python3
"""CalorsetLive: a copy of Calorset started by scripts/run-calorset.sh against the camera simulator
(which answers discovery on its own loopback address), driven with xdotool as a new user would.

Positions are worked out in calorset_geometry; program start, window, shot and wait helpers are
tests/support's e2e_harness.
  The simulator's frame n: a cold 3 x 3 spot at (480, 341), a hot 3 x 3 plateau on row 170 whose
  centre is at column 10 + n mod 620 (one column a frame). The tool's default image settings
  (palette 5, the plateau-equalising stretch) colour every pixel from palette 5's table, the cold
  spot at entry 45 and the room at 55, 65, 75 or 85 (worked out at check_live); between two shots
  only the plateau's row changes.
"""
import os
import struct
import subprocess
import sys
import time

from PIL import ImageChops

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
import calorset_geometry as g  # noqa: E402
import e2e_harness as e2e  # noqa: E402
from calorset_geometry import IMG_H, IMG_W, view_x, view_y  # noqa: E402
from e2e_harness import close  # noqa: E402


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
    # By hand for the default stretch (split plateau equalisation, 4 gray levels a degree at scale
    # 100) on this scene: low tail b, high tail b + 3, mean b + 1 for the room's base code b, so the
    # mid code is b + 101 and the lower bound 85 - 4 x 101 / 10 = 45. The plateau clips the four
    # room codes alike: they take 45 + 40 x (1, 2, 3, 4) / 4. The spots lie past the tails: the cold
    # one takes the lower bound; the hot one the upper, held at 85 since the high tail lies below
    # the mid code. So the picture spans entries 45 to 85 only; the view's scaling blends
    # neighbouring room pixels, so a sample lies anywhere from 55 to 85.
    assert cold == 45, f"{label}: cold spot entry {cold}, by hand 45"
    assert 55 <= min(entries) and max(entries) <= 85, f"{label}: room entries {sorted(set(entries))}, by hand 55..85"
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
    p = e2e.Program(root, program, address, "run-calorset.sh", "Calorset", env={"OSTREL_CAMSIM": camsim})
    observe = os.path.join(p.work, "observed.hex")
    p.env["OSTREL_CAMSIM_ARGS"] = "--observe " + observe
    shots = os.environ.get("CALORSET_LIVE_DIR", p.work)
    os.makedirs(shots, exist_ok=True)
    table = palette_table(sdk_path, 5)
    ok = False
    p.start()
    try:
        e2e.wait_until("the log to name OpenGL", lambda: p.log_contains("renders with OpenGL"), e2e.START_TIMEOUT)
        w = e2e.Window.wait(g.TITLE, 60, program=p)
        assert (w.width, w.height) == (g.WINDOW_W, g.WINDOW_H), f"window size {w.width} x {w.height}"
        probe = os.path.join(shots, "probe.png")

        def row_listed(s):
            return not close(s.at(*g.FIRST_ROW), s.at(*g.LIST_BELOW_ROWS), 8)

        w.wait_shot("the simulator's row in the device list", probe, row_listed, 60)
        w.shot(os.path.join(shots, "listed.png"))
        w.click(*g.PLAY)

        def live_shown(s):
            # The empty canvas is black, palette 5's first entry: the picture is there once the
            # background shows a later one.
            i = palette_index(table, s.at(view_x(320), view_y(256)))
            return i is not None and i > 0

        w.wait_shot("the live image", probe, live_shown, 60)
        one = w.shot(os.path.join(shots, "live-1.png"))
        crop = (view_x(0), view_y(0), view_x(IMG_W), view_y(IMG_H))
        # The next picture shown (a loaded machine shows fewer frames a second).
        two = w.wait_shot("a later picture", os.path.join(shots, "live-2.png"),
                          lambda s: ImageChops.difference(one.image.crop(crop), s.image.crop(crop)).getbbox(), 60)
        check_live(one, "first shot", table)
        check_live(two, "second shot", table)
        moved = ImageChops.difference(one.image.crop(crop), two.image.crop(crop)).getbbox()
        assert moved, "the two shots show the same picture"
        top, bottom = view_y(0) + moved[1], view_y(0) + moved[3]
        assert view_y(168) <= top and bottom <= view_y(173), f"the picture changed at rows {top}..{bottom}"

        def dialog_shown(what, shown):
            # The close button is drawn in the theme's danger red; the live picture there is not.
            return w.wait_shot(what, probe, lambda s: e2e.close_button_shown(s, g.CLOSE_BUTTON) == shown, 60)

        w.click(*g.DEVICE_CONFIG)
        dialog_shown("the DeviceConfig dialog", True).image.save(os.path.join(shots, "deviceconfig.png"))
        assert observed_sets(observe) == [], "a set before Apply"
        w.click(*g.APPLY_AND_CLOSE)
        e2e.wait_until("the basic record's set", lambda: observed_sets(observe), 60)
        time.sleep(0.5)  # a second set would have arrived by now; there must be exactly one
        sets = observed_sets(observe)
        assert len(sets) == 1, f"{len(sets)} sets of the basic record"
        assert sets[0][4:] == basic_record_golden(), "the set record differs from the camera's record"
        assert struct.unpack_from("<H", sets[0], 2)[0] == 220
        # Closing logged out: the dialog opens again, and after Escape once more.
        dialog_shown("the dialog to close", False)
        w.click(*g.DEVICE_CONFIG)
        dialog_shown("the DeviceConfig dialog again", True)
        w.escape_until("the dialog to close on Escape", probe, lambda s: not e2e.close_button_shown(s, g.CLOSE_BUTTON))
        w.click(*g.DEVICE_CONFIG)
        dialog_shown("the DeviceConfig dialog after Escape", True)
        w.escape_until("the dialog to close on Escape", probe, lambda s: not e2e.close_button_shown(s, g.CLOSE_BUTTON))

        p.finish()
        text = p.log_text()
        stop = text.find("logged out 0")
        assert stop >= 0, "the live camera was not logged out"
        assert text.find("managers deleted") > stop, "the managers went before the logout"
        print(f"live: the hot row changed over window columns {moved[0] + view_x(0)}..{moved[2] + view_x(0)}; "
              f"one basic-record set; shots in {shots}")
        ok = True
    finally:
        p.close(ok)


if __name__ == "__main__":
    main()
