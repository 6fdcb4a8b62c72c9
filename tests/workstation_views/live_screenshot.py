#!/usr/bin/env python3
"""Runs a copy of Calorvue from a temporary folder through scripts/run-calorvue.sh against the
camera simulator and checks two screen shots of its live camera view with Pillow.

Expected positions, worked out by hand for the 1400 x 800 window (store shown, layout r1c1):
  tab area at y 40, 640 high; its body at y 41; the frame's body 30 below the frame's top;
  the module view 2 inside the body: x 2, y 113, 1396 x 565;
  canvas: x 2 + 50 = 52, y 113, 1396 - 50 - 80 = 1266 wide, 565 - 40 = 525 high;
  palette bar: x 2 + 1396 - 80 = 1318, 80 wide; its colour picture 16 wide, 18 from the bar's
  right edge (x 1364..1379), from y 113 + 30 = 143 to 113 + 565 - 70 = 608.
The canvas fits the 640 x 512 image by height (1.25 < 1266 / 525): 656.25 x 525, centred, so
image x maps to 304.875 + x * 656.25 / 640 and image y to y * 525 / 512 inside the canvas.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from PIL import Image

TITLE = "Calorvue v1.6.0.0330"
CANVAS_X, CANVAS_Y, CANVAS_W, CANVAS_H = 52, 113, 1266, 525
IMG_W, IMG_H = 640, 512
FIT_W = CANVAS_H * IMG_W / IMG_H          # 656.25
FIT_LEFT = CANVAS_W / 2 - FIT_W / 2       # 304.875
PALETTE_X = 1372                          # middle of the colour picture
PALETTE_TOP, PALETTE_BOTTOM = 143, 608
TOL = 3
GREEN = (0, 255, 0)
LABEL_W = 100                             # the rectangle's label, with a margin


def view_x(ix):
    return CANVAS_X + int(ix * FIT_W / IMG_W + FIT_LEFT)


def view_y(iy):
    return CANVAS_Y + int(iy * CANVAS_H / IMG_H)


def close(a, b, limit=24):
    return all(abs(int(p) - int(q)) <= limit for p, q in zip(a[:3], b[:3]))


def wait_until(what, predicate, deadline):
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)


def window_origin():
    out = subprocess.run(["xwininfo", "-name", TITLE], capture_output=True, text=True)
    if out.returncode != 0:
        return None
    x = re.search(r"Absolute upper-left X:\s+(-?\d+)", out.stdout)
    y = re.search(r"Absolute upper-left Y:\s+(-?\d+)", out.stdout)
    w = re.search(r"Width:\s+(\d+)", out.stdout)
    h = re.search(r"Height:\s+(\d+)", out.stdout)
    if not (x and y and w and h):
        return None
    return int(x.group(1)), int(y.group(1)), int(w.group(1)), int(h.group(1))


def shot(path):
    subprocess.run(["import", "-window", "root", path], check=True, capture_output=True)
    return Image.open(path).convert("RGB")


class Shot:
    def __init__(self, image, origin):
        self.image = image
        self.ox, self.oy = origin

    def at(self, x, y):
        return self.image.getpixel((self.ox + x, self.oy + y))

    def near(self, x, y, predicate, tol=TOL):
        for dy in range(-tol, tol + 1):
            for dx in range(-tol, tol + 1):
                if predicate(self.at(x + dx, y + dy)):
                    return (x + dx, y + dy)
        return None


def hot_columns(s, top):
    """Window columns of the hot row's pixels coloured like the palette's top."""
    y = view_y(170)
    cols = []
    for x in range(view_x(0), view_x(IMG_W - 1) + 1):
        if any(close(s.at(x, y + d), top) for d in (-1, 0, 1)):
            cols.append(x)
    return cols


def check(s, label, shots_dir):
    top = s.at(PALETTE_X, PALETTE_TOP + 3)
    bottom = s.at(PALETTE_X, PALETTE_BOTTOM - 3)
    assert not close(top, bottom), f"{label}: palette bar shows one colour {top}"
    cold = s.near(view_x(480), view_y(341), lambda c: close(c, bottom))
    assert cold, f"{label}: cold spot {s.at(view_x(480), view_y(341))} is not the palette's bottom {bottom}"
    cols = hot_columns(s, top)
    assert cols, f"{label}: no pixel of the hot row has the palette's top colour {top}"
    # The hot plateau is 3 image pixels wide: about 3 view pixels.
    assert max(cols) - min(cols) <= 8, f"{label}: hot colour over columns {cols[:20]}"
    hot_x = (min(cols) + max(cols)) // 2
    # The background between the cold spot and the hot row.
    for ix, iy in ((320, 256), (100, 400), (560, 60)):
        c = s.at(view_x(ix), view_y(iy))
        assert not close(c, top) and not close(c, bottom), f"{label}: background at {ix},{iy} is {c}"
    # The maximum marker: a red triangle with its tip on the maximum, 8 pixels high, above it.
    if view_x(20) <= hot_x <= view_x(620):
        red = s.near(hot_x, view_y(170) - 5, lambda c: c[0] >= 200 and c[1] <= 60 and c[2] <= 60, tol=4)
        assert red, f"{label}: no red marker above the hot plateau at x {hot_x}"
    # The rectangle's four view edges are drawn in its exact green, but where its label (about
    # 85 x 75, hanging from just inside its top-left corner) covers the bottom edge.
    x0, x1, y0, y1 = view_x(16), view_x(624), view_y(150), view_y(190)
    edges = [[(x, y0) for x in range(x0, x1 + 1)], [(x, y1) for x in range(x0 + LABEL_W, x1 + 1)],
             [(x0, y) for y in range(y0, y1 + 1)], [(x1, y) for y in range(y0, y1 + 1)]]
    for n, edge in enumerate(edges):
        horizontal = n < 2
        hits = 0
        for x, y in edge:
            around = [(x, y + d) if horizontal else (x + d, y) for d in range(-TOL, TOL + 1)]
            if any(s.at(px, py) == GREEN for px, py in around):
                hits += 1
        share = hits / len(edge)
        assert share >= 0.9, f"{label}: edge {n} green on {share:.0%} of its pixels"
    return hot_x


def main():
    root, program, camsim, address = sys.argv[1:5]
    work = tempfile.mkdtemp(prefix="calorvue-live-")
    shots = os.environ.get("LIVE_SCREENSHOT_DIR", work)
    os.makedirs(shots, exist_ok=True)
    copy = os.path.join(work, "Calorvue")
    shutil.copy2(program, copy)
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", OSTREL_CAMSIM=camsim)
    run = subprocess.Popen(["bash", os.path.join(root, "scripts", "run-calorvue.sh"), copy, address, "spots"],
                           env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                           start_new_session=True)
    ok = False
    try:
        deadline = time.monotonic() + 30
        logdir = os.path.join(work, "Calorvue-Log")

        def log_names_opengl():
            if run.poll() is not None:
                raise AssertionError("run-calorvue.sh ended early: " + run.stdout.read())
            if not os.path.isdir(logdir):
                return False
            for name in os.listdir(logdir):
                with open(os.path.join(logdir, name), errors="replace") as f:
                    if "OpenGL" in f.read():
                        return True
            return False

        wait_until("the day log to name OpenGL", log_names_opengl, deadline)
        origin = wait_until("the window", window_origin, deadline)
        assert origin[2:] == (1400, 800), f"window size {origin[2:]}"
        probe = os.path.join(shots, "probe.png")

        def image_shown():
            s = Shot(shot(probe), origin[:2])
            top = s.at(PALETTE_X, PALETTE_TOP + 3)
            bottom = s.at(PALETTE_X, PALETTE_BOTTOM - 3)
            if close(top, bottom):
                return False
            return bool(s.near(view_x(480), view_y(341), lambda c: close(c, bottom))) and bool(hot_columns(s, top))

        wait_until("the canvas to show an image", image_shown, deadline)
        first = Shot(shot(os.path.join(shots, "live-1.png")), origin[:2])
        time.sleep(1.0)  # the interval between the two shots, not a wait for an event
        second = Shot(shot(os.path.join(shots, "live-2.png")), origin[:2])
        x1 = check(first, "first shot", shots)
        x2 = check(second, "second shot", shots)
        assert x1 != x2, f"the hot plateau stayed at x {x1}"
        print(f"hot plateau at window x {x1}, then {x2}; shots in {shots}")
        os.kill(run.pid, signal.SIGTERM)
        out, _ = run.communicate(timeout=30)
        print(out)
        assert run.returncode == 0, f"run-calorvue.sh ended with {run.returncode}"
        assert "Calorvue exited with 0" in out, "Calorvue did not exit with 0"
        assert "simulator stopped" in out, "the simulator was not stopped"
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
