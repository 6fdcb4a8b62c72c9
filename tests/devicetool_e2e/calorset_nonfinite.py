#!/usr/bin/env python3
"""CalorsetNonFinite: a camera whose correction record (FixInfo) and video output record
(TvoutInfo) hold NaN and infinity. A new user opens DeviceConfig, shows each panel and presses
"Apply" on it without changing anything: nothing goes back to the camera (the simulator's
observation log holds no set of either record), where a finite record would be sent.

    calorset_nonfinite.py ROOT CALORSET CAMSIM ADDRESS
"""
import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
import calorset_config_geometry as c  # noqa: E402
import calorset_geometry as g  # noqa: E402
import e2e_harness as e2e  # noqa: E402
from e2e_harness import close  # noqa: E402

GET_FIX, SET_FIX, GET_TVOUT, SET_TVOUT, GET_NETWORK = 23, 25, 31, 33, 11


def fix_record():
    """72 bytes: the nine floats from 0, the atmosphere switch at 36, the window offset at 40."""
    floats = (20.0, math.nan, 20.0, 0.0, 0.0, math.inf, -math.inf, 1.0, 0.0)
    return struct.pack("<9f", *floats) + bytes([1, 0, 0, 0]) + struct.pack("<f", math.nan) + bytes(28)


def tvout_record():
    """40 bytes: palette 5, zoom 1, the gain at 8 infinite, bit rate and group size of the encoder."""
    rec = bytearray(40)
    rec[1] = 5
    rec[5] = 1
    struct.pack_into("<f", rec, 8, math.inf)
    struct.pack_into("<iH", rec, 12, 4000000, 50)
    return bytes(rec)


def count(observe, kind):
    return sum(1 for t, _ in e2e.observed(observe) if t == kind)


def main():
    root, program, camsim, address = sys.argv[1:5]
    p = e2e.Program(root, program, address, "run-calorset.sh", "Calorset", env={"OSTREL_CAMSIM": camsim})
    observe = os.path.join(p.work, "observed.hex")
    fix_file = os.path.join(p.work, "fix.bin")
    tvout_file = os.path.join(p.work, "tvout.bin")
    with open(fix_file, "wb") as f:
        f.write(fix_record())
    with open(tvout_file, "wb") as f:
        f.write(tvout_record())
    p.env["OSTREL_CAMSIM_ARGS"] = f"--observe {observe} --record 23={fix_file} --record 31={tvout_file}"
    shots = os.environ.get("CALORSET_NONFINITE_DIR", p.work)
    os.makedirs(shots, exist_ok=True)
    ok = False
    p.start()
    try:
        w = e2e.Window.wait(g.TITLE, 60, program=p)
        probe = os.path.join(shots, "probe.png")
        w.wait_shot("the simulator's row in the device list", probe,
                    lambda s: not close(s.at(*g.FIRST_ROW), s.at(*g.LIST_BELOW_ROWS), 8), 60)
        w.click(*g.DEVICE_CONFIG)
        w.wait_shot("the DeviceConfig dialog", probe, lambda s: e2e.close_button_shown(s, g.CLOSE_BUTTON), 60)

        # Each panel is read when shown; "Apply" right after.
        for row, get, name in ((c.NAV_FIX_INFO, GET_FIX, "fix-info"), (c.NAV_TVOUT, GET_TVOUT, "tvout")):
            before = count(observe, get)
            w.click(*row)
            e2e.wait_until(f"the {name} read", lambda: count(observe, get) > before, 30)
            w.click(*c.APPLY)
            w.shot(os.path.join(shots, name + "-applied.png"))
        # The window handles clicks in order: once the network panel's read has come, both
        # "Apply" clicks before it have been handled.
        before = count(observe, GET_NETWORK)
        w.click(*c.NAV_NETWORK)
        e2e.wait_until("the network read", lambda: count(observe, GET_NETWORK) > before, 30)
        sent = [t for t, _ in e2e.observed(observe) if t in (SET_FIX, SET_TVOUT)]
        assert not sent, f"records with NaN or infinity were sent back: types {sent}"

        # The same "Apply" on a finite panel does send: the clicks above reached the button.
        w.click(*c.APPLY)
        e2e.wait_until("the network set after Apply", lambda: count(observe, 13) > 0, 30)
        e2e.key("Escape")
        ok = True
        print("non-finite records: read, shown, nothing sent back")
    finally:
        p.close(ok)


if __name__ == "__main__":
    main()
