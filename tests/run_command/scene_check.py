#!/usr/bin/env python3
"""Checks the simulator's "room" scene against the run command's view record.

Starts ostrel-camsim --scene room on its own loopback address, reads a full walk of the body
(there and back) from the temperature stream port, turns each frame's codes into degrees with the
scale and offset of that frame's own head, and checks what the run command relies on: the warm
body stays inside the rectangle scripts/write-device-conf.py writes (read back here with struct),
so the rectangle's maximum is the body's temperature; the hot and the cold object lie outside it
and beyond the record's stretch range, so they show the palette's last and first colours; the
background is a room with a gentle gradient and a little noise.

usage: scene_check.py <ostrel-camsim> <write-device-conf.py> <address>
"""
import os
import socket
import struct
import subprocess
import sys
import tempfile
import time

import numpy as np

PORT = 55503
HEAD = 128


def view_record(writer):
    """(x0, y0, x1, y1) of the rectangle item and the stretch range (low, high) in degC."""
    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, "Device-CAMSIM-0001.conf")
        subprocess.run([sys.executable, writer, path, "CAMSIM-0001"], check=True)
        data = open(path, "rb").read()
    assert len(data) == 7264, len(data)
    stretch = 276 + 4
    low, high = struct.unpack_from("<hh", data, stretch + 12)
    count = struct.unpack_from("<i", data, stretch + 64)[0]
    items = stretch + 64 + 4
    for k in range(count):
        item = items + 216 * k
        mea_type, n_points = data[item + 68], data[item + 86]
        if mea_type == 9:
            assert n_points == 2
            x0, y0, x1, y1 = struct.unpack_from("<HHHH", data, item + 88)
            return (x0, y0, x1, y1), (low / 10.0, high / 10.0)
    raise AssertionError("the view record holds no rectangle")


def connect(address, deadline):
    while time.monotonic() < deadline:
        try:
            return socket.create_connection((address, PORT), timeout=5)
        except OSError:
            time.sleep(0.05)
    raise AssertionError("the simulator's temperature port did not open")


def read_exact(sock, n):
    buf = bytearray(n)
    view = memoryview(buf)
    got = 0
    while got < n:
        k = sock.recv_into(view[got:], n - got)
        assert k > 0, "the stream ended"
        got += k
    return bytes(buf)


def frames(sock, count):
    for _ in range(count):
        head = read_exact(sock, HEAD)
        width, height, packed = struct.unpack_from("<HHi", head, 0)
        index, scale, offset = struct.unpack_from("<HHh", head, 10)
        assert packed == 0, "the run command's stream is raw"
        assert scale > 0
        codes = np.frombuffer(read_exact(sock, 2 * width * height), dtype="<i2").reshape(height, width)
        yield index, codes.astype(np.float64) / scale + offset


def box_of(mask):
    ys, xs = np.nonzero(mask)
    return xs.min(), ys.min(), xs.max(), ys.max()


def main():
    camsim, writer, address = sys.argv[1:4]
    (rx0, ry0, rx1, ry1), (low, high) = view_record(writer)
    sim = subprocess.Popen([camsim, "--addr", address, "--scene", "room", "--unpaced"],
                           stdout=subprocess.DEVNULL)
    try:
        sock = connect(address, time.monotonic() + 20)
        centres, previous, readouts = [], None, []
        # The body walks 2 columns a frame over 544 columns and back: 544 frames, plus a margin.
        for k, (index, t) in enumerate(frames(sock, 600)):
            w = t.shape[1]
            label = f"frame {index}"
            band = t[ry0:ry1 + 1, rx0:rx1 + 1]
            body_in = (band > 29) & (band < 40)
            x0, y0, x1, y1 = box_of(body_in)
            assert 20 <= x1 - x0 <= 80 and 20 <= y1 - y0 <= 80, f"{label}: body {x1 - x0} x {y1 - y0}"
            readout = band.max()
            assert 30 <= readout <= 37, f"{label}: the rectangle's maximum is {readout:.2f}"
            readouts.append(readout)
            centres.append(rx0 + (x0 + x1) / 2)
            if k % 8:
                continue
            # Every eighth frame, the whole picture.
            body = (t > 29) & (t < 40)
            hot, cold = t > 70, t < 5
            assert body.sum() == body_in.sum(), f"{label}: body pixels outside the rectangle"
            for name, mask, want in (("hot", hot, 80.0), ("cold", cold, 0.0)):
                bx0, by0, bx1, by1 = box_of(mask)
                assert mask.sum() >= 1000 and bx1 - bx0 >= 20 and by1 - by0 >= 20, \
                    f"{label}: the {name} object is {bx1 - bx0 + 1} x {by1 - by0 + 1}, {mask.sum()} pixels"
                assert abs(t[mask].mean() - want) < 0.5, f"{label}: {name} object at {t[mask].mean():.2f}"
                assert by1 < ry0 or by0 > ry1, f"{label}: the {name} object overlaps the rectangle's rows"
            # The palette ends: the stretch range lies between the cold and the hot object, and
            # holds the room and the body.
            assert t[cold].max() < low and t[hot].min() > high, f"{label}: stretch {low}..{high}"
            room = ~(body | hot | cold)
            assert low < t[room].min() and t[room].max() < high and t[body].max() < high
            assert 20 <= t[room].min() and t[room].max() <= 25, \
                f"{label}: room {t[room].min():.2f}..{t[room].max():.2f}"
            top, bottom = t[:20][room[:20]].mean(), t[-20:][room[-20:]].mean()
            assert 1.0 <= bottom - top <= 3.0, f"{label}: gradient {top:.2f} -> {bottom:.2f}"
            if previous is not None:
                still = room & previous[1]
                change = t[still] - previous[0][still]
                assert 0.02 <= change.std() <= 0.3, f"{label}: noise {change.std():.3f}"
            previous = (t, room)
        left, right = min(centres), max(centres)
        assert left - rx0 < 0.1 * w and rx1 - right < 0.1 * w, f"the body walks only {left}..{right}"
        assert max(readouts) - min(readouts) >= 0.8, "the rectangle's maximum hardly changes"
        print(f"body walked over columns {left:.0f}..{right:.0f} inside {rx0}..{rx1}; "
              f"rectangle maximum {min(readouts):.2f}..{max(readouts):.2f} degC; stretch {low}..{high}")
    finally:
        sim.terminate()
        sim.wait(timeout=20)


if __name__ == "__main__":
    main()
