#!/usr/bin/python3
"""Writes a video calibration file from its documented layout, a frame, and what the gain and
the bad-pixel repair must make of that frame.

usage: make_video_cali.py OUTDIR WIDTH HEIGHT [flat]
  OUTDIR/video.cal   E = 4 points (FPA 10, 25, 40, 55 degC; environment 0, 20, 30, 60 degC, or
                     20 throughout with "flat"), 2 own repair entries, gain shift 10, gain on
  OUTDIR/frame.bin   P i16 input values
  OUTDIR/fixed.bin   P i16: the frame after the per-pixel gain
  OUTDIR/planes.bin  E planes of P i16 as written (before any repair)
"""
import struct
import sys

import numpy as np


def pad64(n):
    return (n + 63) // 64 * 64


def main():
    out, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    flat = len(sys.argv) > 4 and sys.argv[4] == "flat"
    p = w * h
    fpa = [10000, 25000, 40000, 55000]
    env = [20, 20, 20, 20] if flat else [0, 20, 30, 60]
    e = len(fpa)
    shift = 10
    rng = np.random.default_rng(11)
    planes = [(rng.integers(-300, 300, p) + 100 * k).astype(np.int16) for k in range(e)]
    slopes = rng.integers(900, 1200, p).astype(np.uint16)
    offsets = rng.integers(-50, 50, p).astype(np.int16)
    entries = [(5, 2, [4, 6]), (w + 1, 2, [1, 2 * w + 1])]

    head = bytearray(128)
    ident = b"VIDEO-OSTREL-TEST-0001"
    head[0:len(ident)] = ident
    struct.pack_into("<HHB", head, 36, w, h, e)
    struct.pack_into("<H", head, 46, len(entries))
    head[48] = shift
    head[56] = 1
    body = bytearray(head)
    t1 = struct.pack(f"<{e}h", *env)
    body += t1 + bytes(pad64(len(t1)) - len(t1))
    t2 = struct.pack(f"<{e}i{e}i", *fpa, *[f + 1000 for f in fpa])
    body += t2 + bytes(pad64(len(t2)) - len(t2))
    for pl in planes:
        body += pl.tobytes()
    gain = np.empty(p, dtype=[("s", "<u2"), ("o", "<i2")])
    gain["s"], gain["o"] = slopes, offsets
    body += gain.tobytes()
    for pix, n, nb in entries:
        body += struct.pack("<II8I", pix, n, *(nb + [0] * (8 - n)))
    assert len(body) == 128 + pad64(2 * e) + pad64(8 * e) + 2 * p * (e + 2) + 40 * len(entries)
    with open(f"{out}/video.cal", "wb") as f:
        f.write(body)
    frame = ((np.arange(p) * 37) % 3000 + 2000).astype(np.int64)
    fixed = np.clip(((frame * slopes.astype(np.int64)) >> shift) + offsets, -32768, 32767)
    with open(f"{out}/frame.bin", "wb") as f:
        f.write(frame.astype("<i2").tobytes())
    with open(f"{out}/fixed.bin", "wb") as f:
        f.write(fixed.astype("<i2").tobytes())
    with open(f"{out}/planes.bin", "wb") as f:
        for pl in planes:
            f.write(pl.astype("<i2").tobytes())


if __name__ == "__main__":
    main()
