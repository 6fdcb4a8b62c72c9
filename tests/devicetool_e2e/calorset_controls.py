#!/usr/bin/env python3
"""CalorsetControls: the live page's controls as a new user tries them, on a copy of Calorset
started by scripts/run-calorset.sh against a simulator whose software id is "QPX-QF".

- Play, then Snap twice within one second: two pictures in the save folder, each read by the
  snapshot reader (Python struct and Pillow) of tests/devicetool_core.
- The control page's "FocusDeltaNear" and preset 3's "go to": their records in the simulator's
  observation log (hex lines: the 4-byte message head, then the record).
- The trend chart, open for 5 s at the default interval of 1 s: its plot holds the series' colours.
- The NETD text: absent while NETD is off (this run has no "debug.json"); a second short run with
  NETD on in "debug.json" shows it in cyan.
Positions are worked out in calorset_geometry.
"""
import json
import os
import struct
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
import calorset_geometry as g  # noqa: E402
import e2e_harness as e2e  # noqa: E402

READER = os.path.join(HERE, "..", "devicetool_core", "snapshot_reader.py")


def records(path, message_type):
    """The records of one message type in the observation log, without their 4-byte heads."""
    out = []
    if not os.path.exists(path):
        return out
    with open(path) as f:
        for line in f:
            data = bytes.fromhex(line.strip())
            if len(data) >= 4 and struct.unpack_from("<H", data)[0] == message_type:
                out.append(data[4:])
    return out


def is_cyan(c):
    return c[0] < 90 and c[1] > 170 and c[2] > 170


def count(s, box, predicate):
    x0, y0, x1, y1 = box
    return sum(1 for x in range(x0, x1, 2) for y in range(y0, y1, 2) if predicate(s.at(x, y)))


def start(root, program, camsim, address, netd):
    p = e2e.Program(root, program, address, "run-calorset.sh", "Calorset", env={"OSTREL_CAMSIM": camsim})
    observe = os.path.join(p.work, "observed.hex")
    p.env["OSTREL_CAMSIM_ARGS"] = "--observe " + observe + " --software-id QPX-QF"
    if netd:
        os.makedirs(p.config_dir, exist_ok=True)
        with open(os.path.join(p.config_dir, "debug.json"), "w") as f:
            json.dump({"netdEnable": 1, "netdFrameCount": 10, "netdCalcInterval": 1000}, f)
    p.start()
    e2e.wait_until("the log to name OpenGL", lambda: p.log_contains("renders with OpenGL"), e2e.START_TIMEOUT)
    w = e2e.Window.wait(g.TITLE, 60, program=p)
    probe = os.path.join(p.work, "probe.png")
    w.wait_shot("the simulator's row in the device list", probe,
                lambda s: not e2e.close(s.at(*g.FIRST_ROW), s.at(*g.LIST_BELOW_ROWS), 8), 60)
    w.click(*g.PLAY)
    # Live once the canvas shows something other than the empty black.
    w.wait_shot("the live image", probe, lambda s: sum(s.at(g.view_x(320), g.view_y(256))) > 30, 60)
    return p, w, observe, probe


def main():
    root, program, camsim, address, netd_address = sys.argv[1:6]
    shots = os.environ.get("CALORSET_CONTROLS_DIR")
    ok = False
    p, w, observe, probe = start(root, program, camsim, address, netd=False)
    shots = shots or p.work
    os.makedirs(shots, exist_ok=True)
    try:
        # Snapshots: two clicks in quick succession.
        save = os.path.join(p.work, "Calorset-Data")
        # Two clicks 0.5 s apart (longer than a double click): within one second.
        w.move_to(*g.SNAP)
        e2e.xdotool("click", "--repeat", "2", "--delay", "500", "1")
        pictures = e2e.wait_until("two pictures", lambda: sorted(
            n for n in os.listdir(save) if n.endswith(".jpg")) if len(
            [n for n in os.listdir(save) if n.endswith(".jpg")]) == 2 else None, 60)
        for name in pictures:
            out = subprocess.run([sys.executable, READER, os.path.join(save, name)], capture_output=True, text=True)
            assert out.returncode == 0, f"{name}: {out.stderr}"
            r = json.loads(out.stdout)
            assert (r["width"], r["height"], r["jpegSize"]) == (640, 512, [640, 512]), f"{name}: {r['width']}x{r['height']}"
            assert r["cameraId"] == "CAMSIM-0001", r["cameraId"]
            assert abs(r["time"] / 1e7 - 11644473600 - time.time()) < 30, "the picture's time is not now"

        # No NETD text while NETD is off.
        s = w.shot(os.path.join(shots, "controls-live.png"))
        assert count(s, g.NETD_TEXT, is_cyan) == 0, "NETD text shown with NETD off"

        # Focus near and preset 3 from the control page.
        w.click(*g.CONTROL_TAB)
        # The page is enabled while no command runs: its "FocusDeltaNear" icon is drawn in #cccccc
        # (#ffffff while hovered), disabled in #505050.
        def enabled(s):
            return sum(s.at(*g.FOCUS_NEAR)) > 500

        w.wait_shot("the control page", probe, enabled, 60)
        w.click(*g.FOCUS_NEAR)
        focus = bytes([34, 0, 0x9C, 0xFF]) + bytes(6)
        e2e.wait_until("the focus step's record", lambda: focus in records(observe, 6), 60)
        w.wait_shot("the page enabled again", probe, enabled, 60)

        def scrolled(s):
            # The icon's place shows the page's background once the page has moved.
            return sum(s.at(*g.FOCUS_NEAR)) < 300

        for attempt in range(3):
            e2e.xdotool("mousemove", w.x + g.SCROLL_TOP[0], w.y + g.SCROLL_TOP[1], "mousedown", "1")
            for y in range(g.SCROLL_TOP[1], g.SCROLL_END[1] + 1, 40):
                e2e.xdotool("mousemove", w.x + g.SCROLL_END[0], w.y + y)
            e2e.xdotool("mousemove", w.x + g.SCROLL_END[0], w.y + g.SCROLL_END[1], "mouseup", "1")
            try:
                w.wait_shot("the page scrolled to its end", probe, scrolled, 20)
                break
            except AssertionError:
                if attempt == 2:
                    raise
        w.shot(os.path.join(shots, "controls-presets.png"))
        w.click(*g.PRESET3_GOTO)
        preset3 = struct.pack("<i", 14) + bytes([17, 3]) + bytes(62)
        e2e.wait_until("preset 3's record", lambda: preset3 in records(observe, 56), 60)
        assert len(records(observe, 6)) == 1, "more than the one one-way command"

        # The trend chart: one sample a second; after 5 s the plot shows the three series.
        w.click(*g.CHART)
        time.sleep(5.0)  # the chart is watched for 5 s of sampling, not waited on for an event

        def colours(s):
            return (count(s, g.CHART_PLOT, lambda c: c[0] > 200 and c[1] < 60 and c[2] < 60),
                    count(s, g.CHART_PLOT, lambda c: c[1] > 200 and c[0] < 60 and c[2] < 60),
                    count(s, g.CHART_PLOT, is_cyan))

        # A loaded machine may have drawn fewer samples by then: the lines need two.
        chart = w.wait_shot("the three series in the plot", os.path.join(shots, "controls-chart.png"),
                            lambda s: all(colours(s)), 60)
        red, green, cyan = colours(chart)
        e2e.key("Escape")
        p.finish()
        ok = True
    finally:
        p.close(ok)

    # A second run with NETD on: the cyan text appears under the picture.
    ok = False
    p, w, observe, probe = start(root, program, camsim, netd_address, netd=True)
    try:
        w.wait_shot("the NETD text", probe, lambda s: count(s, g.NETD_TEXT, is_cyan) > 20, 60)
        w.shot(os.path.join(shots, "controls-netd.png"))
        p.finish()
        ok = True
    finally:
        p.close(ok)
    print(f"controls: two pictures {pictures}, focus and preset records, chart colours red {red}, "
          f"green {green}, cyan {cyan}; shots in {shots}")


if __name__ == "__main__":
    main()
