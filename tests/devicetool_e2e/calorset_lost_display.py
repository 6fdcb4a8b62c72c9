#!/usr/bin/env python3
"""CalorsetLostDisplay: Calorset loses its X server while it shows a live camera.

The tool is started against the simulator's discovery, the listed camera is played, and once its
picture shows the scenario's Xvfb is ended. Calorset must then end by itself within a deadline with
a plain non-zero status (not a signal: it used to crash in its teardown) and say so exactly once in
its log. xvfb-run itself fails once its server is gone (its clean-up cannot kill it again), so the
test passes on this scenario's closing line, not on the exit status.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
import calorset_geometry as g  # noqa: E402
import e2e_harness as e2e  # noqa: E402
from calorset_geometry import view_x, view_y  # noqa: E402
from e2e_harness import close  # noqa: E402


def main():
    root, program, camsim, address = sys.argv[1:5]
    p = e2e.Program(root, program, address, "run-calorset.sh", "Calorset", env={"OSTREL_CAMSIM": camsim})
    shots = os.environ.get("CALORSET_LOST_DISPLAY_DIR", p.work)
    os.makedirs(shots, exist_ok=True)
    ok = False
    p.start()
    try:
        e2e.wait_until("the log to name OpenGL", lambda: p.log_contains("renders with OpenGL"), e2e.START_TIMEOUT)
        w = e2e.Window.wait(g.TITLE, 60, program=p)
        probe = os.path.join(shots, "probe.png")
        w.wait_shot("the simulator's row in the device list", probe,
                    lambda s: not close(s.at(*g.FIRST_ROW), s.at(*g.LIST_BELOW_ROWS), 8), 60)
        w.click(*g.PLAY)
        # The empty canvas is black; the simulator's room is not.
        w.wait_shot("the live image", probe, lambda s: max(s.at(view_x(320), view_y(256))) > 0, 60)
        p.check_running()

        server = e2e.kill_display()
        print(f"X server {server} ended")
        e2e.check_ends_on_lost_display(p)
        print("CalorsetLostDisplay passed: ended with its own status, one display-lost line")
        ok = True
    finally:
        p.close(ok)


if __name__ == "__main__":
    main()
