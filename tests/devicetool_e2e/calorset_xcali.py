#!/usr/bin/env python3
"""CalorsetXCali: a copy of Calorset against the camera simulator carrying the seeded XCali block,
driven with xdotool as a new user would: DeviceCali, DeviceXCali, the stage-2 table's first cell
changed and set, Refresh; then Escape and DeviceXCali again.

The simulator's block is fetched over its own command port with Python's struct (memory download
78 of block 8); the login count comes from its observation log (one clock set per login).
"""
import os
import socket
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
import calorset_geometry as g  # noqa: E402
import calorset_xcali_geometry as x  # noqa: E402
import e2e_harness as e2e  # noqa: E402
from e2e_harness import close  # noqa: E402

ENTRY0_CALI2 = 64 + 320
CELL_TEMP1_ROW0 = ENTRY0_CALI2 + 80 + 288 * 1 + 4
TYPED = 77.5



def logins(path):
    """Every login sets the camera's clock once (request-reply command 1)."""
    return sum(1 for t, d in e2e.observed(path) if t == 56 and struct.unpack_from("<i", d, 4)[0] == 1)


def recv_all(s, n):
    data = b""
    while len(data) < n:
        part = s.recv(n - len(data))
        if not part:
            raise AssertionError(f"the camera closed after {len(data)} of {n} bytes")
        data += part
    return data


def camera_block(address):
    """Memory block 8 as the camera holds it: request 78, reply 79 with status and length."""
    with socket.create_connection((address, 55502), timeout=10) as s:
        s.sendall(struct.pack("<HHi", 78, 8, 8))
        rtype, _, status, length = struct.unpack("<HHii", recv_all(s, 12))
        assert rtype == 79 and status == 0, f"download answered {rtype}, status {status}"
        return recv_all(s, length)


def crop(shot, box):
    x0, y0, x1, y1 = box
    return [shot.at(px, py) for py in range(y0, y1) for px in range(x0, x1)]


def main():
    root, program, camsim, address = sys.argv[1:5]
    p = e2e.Program(root, program, address, "run-calorset.sh", "Calorset", env={"OSTREL_CAMSIM": camsim})
    observe = os.path.join(p.work, "observed.hex")
    p.env["OSTREL_CAMSIM_ARGS"] = "--observe " + observe
    shots = os.environ.get("CALORSET_XCALI_DIR", p.work)
    os.makedirs(shots, exist_ok=True)
    probe = os.path.join(shots, "probe.png")
    ok = False
    p.start()
    try:
        w = e2e.Window.wait(g.TITLE, 60, program=p)
        w.wait_shot("the simulator's row in the device list", probe,
                    lambda s: not close(s.at(*g.FIRST_ROW), s.at(*g.LIST_BELOW_ROWS), 8), 60)
        before = camera_block(address)
        assert len(before) == 19488, f"block of {len(before)} bytes"
        assert struct.unpack_from("<f", before, CELL_TEMP1_ROW0)[0] == 20.5

        def open_editor():
            w.click(*x.DEVICE_CALI)
            w.wait_shot("the calibration chooser", probe, lambda s: close(s.at(*x.CHOOSER_PIXEL), (0, 0, 0), 4), 30)
            w.click(*x.DEVICE_XCALI)
            return w.wait_shot("the DeviceXCali view", probe, lambda s: e2e.close_button_shown(s, x.CLOSE_XCALI), 60)

        first_logins = logins(observe)
        head = open_editor()
        head.image.save(os.path.join(shots, "head-page.png"))
        # The resolution the block names current (index 1) carries the green bar; row 0 does not.
        assert head.at(*x.RES_BAR) == (0, 255, 0), f"row 1's bar is {head.at(*x.RES_BAR)}"
        assert head.at(*x.RES_BAR_ROW0) != (0, 255, 0)
        assert logins(observe) == first_logins + 1

        w.click(*x.TAB_CALI1)
        w.wait_shot("the stage-1 page", probe, lambda s: s.at(*x.SET_CALI1) != head.at(*x.SET_CALI1), 30).image.save(
            os.path.join(shots, "cali1-page.png"))

        # The stage-2 table: row 1's temp1 (20.5 in the seed) becomes 77.5 and is set.
        w.click(*x.TAB_CALI2)
        initial = w.wait_shot("the stage-2 page", probe, lambda s: s.at(*x.SET_CALI2) != head.at(*x.SET_CALI2), 30)
        initial.image.save(os.path.join(shots, "cali2-before.png"))
        w.click(*x.CELL_ROW0_TEMP1)
        e2e.key("ctrl+a")
        e2e.type_text(f"{TYPED}")
        e2e.key("Return")
        w.wait_shot("the typed value", probe,
                    lambda s: crop(s, x.CELL_ROW0_TEMP1_BOX) != crop(initial, x.CELL_ROW0_TEMP1_BOX), 30)
        updates = len([1 for t, _ in e2e.observed(observe) if t == 80])
        w.click(*x.SET_CALI2)
        block = e2e.wait_until(
            "the camera's block to hold the cell",
            lambda: (lambda b: b if struct.unpack_from("<f", b, CELL_TEMP1_ROW0)[0] == TYPED else None)(
                camera_block(address)), 30)
        # Only that cell changed in the camera's block.
        changed = [i for i in range(len(block)) if block[i] != before[i]]
        assert all(CELL_TEMP1_ROW0 <= i < CELL_TEMP1_ROW0 + 4 for i in changed), f"bytes {changed} changed"
        assert len([1 for t, _ in e2e.observed(observe) if t == 80]) == updates + 1, "not one update"
        # The cell as the set left it (the typing was handled before the click): the reference for
        # what Refresh must show.
        edited = w.shot(os.path.join(shots, "cali2-edited.png"))

        # Refresh reads the block again; the cell shows what the camera holds.
        w.click(*x.TAB_HEAD)
        downloads = len([1 for t, _ in e2e.observed(observe) if t == 78])
        w.click(*x.REFRESH)
        e2e.wait_until("the block's second read",
                       lambda: len([1 for t, _ in e2e.observed(observe) if t == 78]) > downloads)
        w.click(*x.TAB_CALI2)
        after = w.wait_shot("the stage-2 page again", probe,
                            lambda s: crop(s, x.CELL_ROW0_TEMP1_BOX) == crop(edited, x.CELL_ROW0_TEMP1_BOX), 30)
        after.image.save(os.path.join(shots, "cali2-refreshed.png"))

        # Escape closes the view and gives the login back; DeviceXCali logs in again.
        w.escape_until("the view to close on Escape", probe, lambda s: not e2e.close_button_shown(s, x.CLOSE_XCALI))
        n = logins(observe)
        open_editor()
        e2e.wait_until("the second login", lambda: logins(observe) == n + 1, 30)
        w.escape_until("the view to close again", probe, lambda s: not e2e.close_button_shown(s, x.CLOSE_XCALI))

        p.finish()
        print(f"xcali: cell {CELL_TEMP1_ROW0} now {TYPED}; {logins(observe)} logins; shots in {shots}")
        ok = True
    finally:
        p.close(ok)


if __name__ == "__main__":
    main()
