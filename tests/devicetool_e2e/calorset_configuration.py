#!/usr/bin/env python3
"""CalorsetConfiguration: a copy of Calorset against the camera simulator, driven with xdotool as a
new user would: the DeviceConfig dialog's network panel with an MTU beyond its field (refused), then the
configuration page's firmware upload, log download and clock.

What the camera received is read from the simulator's observation log with Python's struct; the
downloaded log is compared with the simulator's log text, written out here independently; the clock
set is checked against the simulator's own report of its new time.
"""
import calendar
import os
import re
import struct
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
import calorset_config_geometry as c  # noqa: E402
import calorset_geometry as g  # noqa: E402
import e2e_harness as e2e  # noqa: E402
from e2e_harness import close  # noqa: E402

CAMERA_ID = "CAMSIM-0001"



def simulator_log_text():
    return (f"[boot] camera {CAMERA_ID} started\n[net] link up, 1000 Mb/s\n[ffc] shutter calibrated\n"
            "[stream] temperature stream ready\n").encode()


def find_file(top, name):
    for folder, _, files in os.walk(top):
        if name in files:
            return os.path.join(folder, name)
    return None


def text_pixels(s, box):
    """How many pixels of the box are near the text's white."""
    x0, y0, x1, y1 = box
    return sum(1 for x in range(x0 + 2, x1 - 2) for y in range(y0 + 2, y1 - 2)
               if all(v >= 200 for v in s.at(x, y)))


def main():
    root, program, camsim, address = sys.argv[1:5]
    p = e2e.Program(root, program, address, "run-calorset.sh", "Calorset", env={"OSTREL_CAMSIM": camsim})
    observe = os.path.join(p.work, "observed.hex")
    p.env["OSTREL_CAMSIM_ARGS"] = "--observe " + observe
    shots = os.environ.get("CALORSET_CONFIG_DIR", p.work)
    os.makedirs(shots, exist_ok=True)
    firmware = os.path.join(p.work, "TOVMA_e2e.bin")
    with open(firmware, "wb") as f:
        f.write(bytes(range(256)) * 300)
    ok = False
    p.start()
    try:
        w = e2e.Window.wait(g.TITLE, 60, program=p)
        probe = os.path.join(shots, "probe.png")
        w.wait_shot("the simulator's row in the device list", probe,
                    lambda s: not close(s.at(*g.FIRST_ROW), s.at(*g.LIST_BELOW_ROWS), 8), 60)

        # DeviceConfig: the network panel, MTU 70000, Apply.
        w.click(*g.DEVICE_CONFIG)
        w.wait_shot("the DeviceConfig dialog", probe, lambda s: e2e.close_button_shown(s, g.CLOSE_BUTTON), 60)
        w.click(*c.NAV_NETWORK)
        e2e.wait_until("the network channel's read", lambda: any(t == 11 for t, _ in e2e.observed(observe)), 30)
        # An MTU beyond the field is marked and refused; the next valid one is the one set sent.
        for typed in ("70000", "1500"):
            w.click(*c.MTU_FIELD)
            e2e.key("ctrl+a")
            e2e.type_text(typed)
            e2e.key("Return")
            w.click(*c.APPLY)
            if typed == "70000":
                w.wait_shot("the MTU field marked", probe, lambda s: s.near(*c.MTU_FIELD_RIGHT, e2e.is_red, tol=4),
                            15).image.save(os.path.join(shots, "network-panel.png"))
        sets = e2e.wait_until("the network channel's set",
                              lambda: [d for t, d in e2e.observed(observe) if t == 13], 30)
        assert len(sets) == 1 and len(sets[0]) == 4 + 52, f"{len(sets)} network sets, of {len(sets[0])} bytes"
        mtu = struct.unpack_from("<H", sets[0], 4 + 26)[0]
        assert mtu == 1500, f"MTU {mtu} sent after 1500 typed"
        reads = [d for t, d in e2e.observed(observe) if t == 11]
        w.escape_until("the dialog to close on Escape", probe, lambda s: not e2e.close_button_shown(s, g.CLOSE_BUTTON))

        # The configuration page: a firmware upload.
        w.click(*c.CONFIG_TAB)
        # On a loaded display a typed key may repeat; a path that is then no file is refused by
        # the upload (and logged), and typed again.
        uploads = []
        for _ in range(3):
            refusals = p.log_text().count("CDeviceConfiger::uploadFile")
            w.click(*c.FILE_BOX)
            e2e.key("ctrl+a")
            e2e.type_text(firmware)
            e2e.key("Return")
            w.click(*c.UPLOAD_BIN)
            e2e.wait_until("the firmware upload or its refusal",
                           lambda: [d for t, d in e2e.observed(observe) if t == 35]
                           or p.log_text().count("CDeviceConfiger::uploadFile") > refusals, 60)
            uploads = [d for t, d in e2e.observed(observe) if t == 35]
            if uploads:
                break
        assert uploads, "the firmware was never uploaded"
        kind, _, length = struct.unpack_from("<HHi", uploads[0], 4)
        assert kind == 0 and length == os.path.getsize(firmware), f"upload of type {kind}, {length} bytes"

        # The log download: under the camera's id and address, byte-equal to the camera's log.
        w.click(*c.DOWNLOAD_LOG)
        name = f"{CAMERA_ID}-{address}.log"
        target = e2e.wait_until("the downloaded log", lambda: find_file(p.work, name), 30)
        e2e.wait_until("the whole log", lambda: open(target, "rb").read() == simulator_log_text(), 10)
        w.shot(os.path.join(shots, "config-page.png"))

        # The clock: read, set, read again. Every login sets the camera's clock too (the camera
        # link's own step); the set asked for here is the one after the click.
        def clock_requests(since, kind):
            return [d for t, d in e2e.observed(observe)[since:]
                    if t == 56 and struct.unpack_from("<i", d, 4)[0] == kind]

        w.click(*c.TAB_NETWORK)
        w.wait_shot("the network page", probe, lambda s: text_pixels(s, c.TIME_BOX) == 0, 10)
        n = len(e2e.observed(observe))
        w.click(*c.GET_TIME)
        e2e.wait_until("the clock read", lambda: clock_requests(n, 0), 30)
        w.wait_shot("the camera's time", probe, lambda s: text_pixels(s, c.TIME_BOX) > 20, 30).image.save(
            os.path.join(shots, "time-read.png"))
        n = len(e2e.observed(observe))
        before_set = time.time()
        w.click(*c.SET_TIME)
        e2e.wait_until("the login's and the command's clock sets", lambda: len(clock_requests(n, 1)) == 2, 30)
        after_set = time.time()
        fields = struct.unpack_from("<6i", clock_requests(n, 1)[-1], 8)
        sent_epoch = calendar.timegm((*fields, 0, 0, 0))
        # The time of the click's handling: between the click and the request's arrival.
        assert int(before_set) <= sent_epoch <= after_set + 1, \
            f"clock set to {fields}, clicked at {time.gmtime(before_set)}, seen by {time.gmtime(after_set)}"
        n = len(e2e.observed(observe))
        w.click(*c.GET_TIME)
        e2e.wait_until("the clock read again", lambda: clock_requests(n, 0), 30)
        w.wait_shot("the camera's time again", probe, lambda s: text_pixels(s, c.TIME_BOX) > 20, 30).image.save(
            os.path.join(shots, "time-again.png"))

        p.finish()
        reported = [int(t) for t in re.findall(r"clock set to (\d+)", p.output)]
        assert sent_epoch in reported, f"the simulator's clock never went to {sent_epoch}: {reported}"
        print(f"configuration: MTU {mtu}, 70000 refused; {len(reads)} network read(s); firmware of {length} bytes; "
              f"log of {os.path.getsize(target)} bytes; clock set to {fields}; shots in {shots}")
        ok = True
    finally:
        p.close(ok)


if __name__ == "__main__":
    main()
