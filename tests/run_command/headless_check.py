#!/usr/bin/env python3
"""Runs the run command's start step (scripts/run-start.sh: no install, no build) with no display,
as on a server, and checks the screenshot file it announces with Pillow.

The program is a copy in a temporary folder (its own settings, view record and logs) on its own
simulator address. The screen positions follow the window geometry worked out in
tests/workstation_views/live_screenshot.py; the window's place on the screen is found from the
rectangle item's exact green. The simulator's "room" scene (tools/camsim Scene.h) has, for a
640 x 512 picture, its cold object (0 degC) centred on image pixel (480, 341), its hot object
(80 degC) on (160, 341), and its body walking along row 170 inside the rectangle (16, 150) to
(624, 190). The cold object is the picture's coldest part and lies below the view record's
stretch range (10..45 degC), the hot one its hottest and above it, so whether the view stretches
over the picture's range or over the record's, they take the palette's first and last colours.

usage: headless_check.py <source root> <build folder> <Calorvue> <address>
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "workstation_views"))
from live_screenshot import (GREEN, PALETTE_BOTTOM, PALETTE_TOP, PALETTE_X, close, view_x,  # noqa: E402
                             view_y)


def load(path):
    try:
        with Image.open(path) as im:
            return im.convert("RGB")
    except (OSError, SyntaxError):
        return None


def rectangle_on_screen(image):
    """Screen box (x0, y0, x1, y1) of the pixels in the rectangle's exact green, or None."""
    w, h = image.size
    px = image.load()
    xs, ys = [], []
    for y in range(0, h, 1):
        for x in range(0, w, 4):
            if px[x, y] == GREEN:
                xs.append(x)
                ys.append(y)
    if len(xs) < 200:
        return None
    return min(xs), min(ys), max(xs), max(ys)


def patch_share(image, x, y, colour, half=6):
    hits = total = 0
    for dy in range(-half, half + 1):
        for dx in range(-half, half + 1):
            total += 1
            hits += close(image.getpixel((x + dx, y + dy)), colour)
    return hits / total


def scene_shown(image):
    """None, or a description of what was found when the picture shows the scene."""
    box = rectangle_on_screen(image)
    if not box:
        return None
    # The window's origin: the rectangle's left and top edges are at image (16, 150).
    ox, oy = box[0] - view_x(16), box[1] - view_y(150)

    def at(x, y):
        return image.getpixel((ox + x, oy + y))

    first, last = at(PALETTE_X, PALETTE_BOTTOM - 3), at(PALETTE_X, PALETTE_TOP + 3)
    if close(first, last):
        return None
    cold = patch_share(image, ox + view_x(480), oy + view_y(341), first)
    hot = patch_share(image, ox + view_x(160), oy + view_y(341), last)
    if cold < 0.9 or hot < 0.9:
        return None
    # The body (48 image pixels wide): along its row inside the rectangle, a run of pixels unlike
    # the room just above the rectangle in the same column. The rectangle's label covers the
    # rectangle's left end, so the run is looked for right of it.
    row, above = oy + view_y(170), oy + view_y(135)
    runs, start = [], None
    for x in range(ox + view_x(120), ox + view_x(620)):
        differs = not close(image.getpixel((x, row)), image.getpixel((x, above)), limit=40)
        if differs and start is None:
            start = x
        if not differs and start is not None:
            runs.append((start, x - 1))
            start = None
    if start is not None or len(runs) != 1 or not 35 <= runs[0][1] - runs[0][0] <= 65:
        return None
    body = runs[0]
    return (f"window at {ox},{oy}; cold object {cold:.0%} in the first colour {first}, hot object "
            f"{hot:.0%} in the last colour {last}; body over screen columns {body[0]}..{body[1]}")


def main():
    root, build, program, address = sys.argv[1:5]
    work = tempfile.mkdtemp(prefix="run-start-headless-")
    copy = os.path.join(work, "Calorvue")
    shutil.copy2(program, copy)
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR")}
    env.pop("QT_QPA_PLATFORM", None)
    run = subprocess.Popen(["bash", os.path.join(root, "scripts", "run-start.sh"), "--addr", address,
                            "--program", copy, build],
                           env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                           start_new_session=True)
    lines = []
    reader = threading.Thread(target=lambda: lines.extend(run.stdout), daemon=True)
    reader.start()
    ok = False
    try:
        deadline = time.monotonic() + 60
        shot = None
        while shot is None and time.monotonic() < deadline:
            for line in list(lines):
                m = re.search(r"no display .* a screenshot every \d+ s goes to (\S+\.png)", line)
                if m:
                    shot = m.group(1)
            assert run.poll() is None, "run-start.sh ended early:\n" + "".join(lines)
            time.sleep(0.1)
        assert shot, "run-start.sh named no screenshot file:\n" + "".join(lines)
        assert os.path.dirname(shot) == os.path.join(work, "Calorvue-Log"), shot
        found = None
        while not found and time.monotonic() < deadline:
            assert run.poll() is None, "run-start.sh ended early:\n" + "".join(lines)
            image = load(shot) if os.path.exists(shot) else None
            found = image and scene_shown(image)
            if not found:
                time.sleep(0.5)
        assert found, f"{shot} never showed the scene; output:\n" + "".join(lines)
        keep = os.environ.get("RUN_START_SCREENSHOT")
        if keep:
            shutil.copy(shot, keep)
        print(found)
        # Ctrl-C on the terminal: the group gets SIGINT; Calorvue closes normally and the
        # simulator stops.
        os.killpg(run.pid, signal.SIGINT)
        run.wait(timeout=30)
        reader.join(timeout=10)
        out = "".join(lines)
        print(out)
        assert run.returncode == 0, f"run-start.sh ended with {run.returncode}"
        assert "Calorvue exited with 0" in out, "Calorvue did not exit with 0"
        assert "simulator stopped" in out, "the simulator was not stopped"
        assert sum("no display" in line for line in lines) == 1
        ok = True
    finally:
        if run.poll() is None:
            # The X session runs in its own session: the script's signal path ends it.
            os.killpg(run.pid, signal.SIGINT)
            try:
                run.wait(timeout=30)
            except subprocess.TimeoutExpired:
                os.killpg(run.pid, signal.SIGKILL)
                run.wait()
        if ok:
            shutil.rmtree(work, ignore_errors=True)
        else:
            print("kept for inspection: " + work)


if __name__ == "__main__":
    main()
