#!/usr/bin/env python3
"""LostDisplay: Calorvue loses its X server in the middle of a recording.

The program is started against the simulator, switched to the r1c2 layout (where the live module's
record button is) and set recording; once the stream file holds frames the scenario's Xvfb is
ended. Calorvue must then end by itself within a deadline with a plain non-zero status (not a
signal), say so exactly once in its log, and leave the recording complete: the file ends with the
recorder's settings block, read back here with struct.
  xvfb-run itself fails once its server is gone (its clean-up cannot kill it again), so the test
passes on this scenario's closing line, not on the exit status.
"""
import glob
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, HERE)
import calorvue_geometry as g  # noqa: E402
import dialogs_and_prompts  # noqa: E402
import e2e_harness as e2e  # noqa: E402
from dialogs_and_prompts import CONF_BLOCK, read_stream  # noqa: E402


def main():
    root, program, camsim, address = sys.argv[1:5]
    p = e2e.Program(root, program, address, "run-calorvue.sh", "Calorvue", env={"OSTREL_CAMSIM": camsim},
                    args=["spots"])
    shots = os.environ.get("E2E_SHOTS_DIR") or os.path.join(p.work, "shots")
    os.makedirs(shots, exist_ok=True)
    data_dir = os.path.join(p.work, "Calorvue-Data")
    ok = False
    p.start()
    try:
        sc = dialogs_and_prompts.Scenario.start(p, shots)
        w = sc.w
        w.click(*g.TAB_GRID_BUTTON)
        sc.wait("layout-dialog", lambda s: s.at(*g.LAYOUT_HEAD) == g.DIALOG_HEAD)
        w.click(*g.LAYOUT_R1C2)
        w.click(*g.LAYOUT_OK)
        sc.wait("r1c2", lambda s: s.at(*g.LAYOUT_HEAD) != g.DIALOG_HEAD and sc.live_in_frame0(s))
        before = set(glob.glob(os.path.join(data_dir, "*.stream")))
        w.click(*g.LIVE_RECORD)
        sc.wait("recording", lambda s: s.near(*g.LIVE_RECORD, lambda c: c[0] > 200 and c[1] < 60 and c[2] < 60, tol=8))
        new = e2e.wait_until("the recording's file", lambda: sorted(set(glob.glob(os.path.join(data_dir, "*.stream"))) - before))
        assert len(new) == 1, f"recordings {new}"
        path = new[0]
        e2e.wait_until("frames in the recording", lambda: read_stream(path)[0] >= 5, 30)
        assert read_stream(path)[3] != CONF_BLOCK, "the recording was closed before the display went away"

        server = e2e.kill_display()
        print(f"X server {server} ended")
        text = e2e.check_ends_on_lost_display(p)
        frames, indices, _, tail = read_stream(path)
        assert tail == CONF_BLOCK, f"the recording ends with {tail} bytes, not the {CONF_BLOCK}-byte settings block"
        assert all((b - a) % 65536 == 1 for a, b in zip(indices, indices[1:])), f"head indices {indices}"
        assert "1 recorders finished" in text, "the live camera's recorder was not finished"
        print(f"LostDisplay passed: {frames} frames recorded and closed in {os.path.basename(path)}")
        ok = True
    finally:
        p.close(ok)


if __name__ == "__main__":
    main()
