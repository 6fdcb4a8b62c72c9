#!/usr/bin/python3
"""Writes a calibration file and raw frames from an analytic detector model.

Model: every pixel p answers a scene at T degC with raw = g_p * R(T) + o_p(fpa), where R is
piecewise linear between the blackbody temperatures (knots R(T) = 30 T + 0.05 T^2), the gains g_p
are spread over 0.8..1.2 and the offsets are linear in the FPA temperature. Each segment of the
file's per-pixel curves is then exactly the model's inverse, so codes of scenes away from the
blackbody points follow from the head's scale and c0 alone.

usage: make_calibration.py OUTDIR WIDTH HEIGHT
  OUTDIR/cali.bin    the calibration file (head, tables, no own entries, lutCount 0)
  OUTDIR/frames.bin  frames: i32 fpa m°C, i32 shell m°C, P i16 raw, P i16 expected codes
"""
import struct
import sys

import numpy as np

SCALE, C0, SHIFT = 10, 500, 16
FPA_C = [10.0, 25.0, 40.0, 55.0]
BB_C = [-20.0, 0.0, 20.0, 40.0, 70.0, 100.0, 150.0, 200.0]
SCENES_C = [10.0, 30.0, 55.0, 85.0, 125.0]
FRAME_FPA_C = [17.3, 31.7, 48.2, 4.0, 61.0]


def pad64(n):
    return (n + 63) // 64 * 64


def response(t):
    knots = np.array([30.0 * b + 0.05 * b * b for b in BB_C])
    return np.interp(t, BB_C, knots)


def main():
    out, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    p = width * height
    e, b = len(FPA_C), len(BB_C)
    rng = np.random.default_rng(7)
    gain = 0.8 + 0.4 * rng.random(p)
    off0 = 1500.0 + 1000.0 * rng.random(p)
    off1 = 2.0 + 3.0 * rng.random(p)  # raw per degC of FPA temperature

    def offset(fpa_c):
        return off0 + off1 * (fpa_c - 25.0)

    head = bytearray(128)
    ident = b"CALI-OSTREL-TEST-0001"
    head[0:len(ident)] = ident
    struct.pack_into("<HHBBHhHBBB", head, 36, width, height, e, b, SCALE, C0, 0, SHIFT, 0, 0)
    env = np.zeros(pad64(e * (b + 1) * 2) // 2, dtype="<i2")
    env[:e] = [20, 22, 24, 26]
    points = np.zeros(pad64(e * 8) // 4, dtype="<i4")
    points[:e] = [int(round(f * 1000)) for f in FPA_C]
    points[e:2 * e] = [int(round(f * 1000)) + 2000 for f in FPA_C]

    raw = np.empty((e, b, p), dtype="<i2")
    seg = np.empty((e, b - 1, p), dtype="<u4")
    knots = response(np.array(BB_C))
    for i, fpa in enumerate(FPA_C):
        o = offset(fpa)
        for j in range(b):
            raw[i, j] = np.round(gain * knots[j] + o).astype(np.int16)
        for s in range(b - 1):
            d_t = BB_C[s + 1] - BB_C[s]
            slope_real = SCALE * d_t / (gain * (knots[s + 1] - knots[s]))
            slope_q = np.round(slope_real * (1 << SHIFT))
            t_mid = (BB_C[s] + BB_C[s + 1]) / 2
            raw_mid = gain * (knots[s] + knots[s + 1]) / 2 + o
            code_mid = SCALE * t_mid + C0
            # +0.5: the two truncating shifts on the way lose half a code on average.
            off = np.round(code_mid - raw_mid * slope_q / (1 << SHIFT) + 0.5)
            seg[i, s] = slope_q.astype(np.uint32) | ((off.astype(np.int64) & 0xFFFF).astype(np.uint32) << 16)

    with open(out + "/cali.bin", "wb") as f:
        f.write(head)
        f.write(env.tobytes())
        f.write(points.tobytes())
        f.write(raw.tobytes())
        f.write(seg.tobytes())

    # Scene: vertical bands of the scene temperatures, a different order per frame.
    cols = np.arange(p) % width
    with open(out + "/frames.bin", "wb") as f:
        f.write(struct.pack("<i", len(FRAME_FPA_C)))
        for k, fpa in enumerate(FRAME_FPA_C):
            band = (cols * len(SCENES_C) // width + k) % len(SCENES_C)
            scene = np.array(SCENES_C)[band]
            frame = np.round(gain * response(scene) + offset(fpa)).astype("<i2")
            expected = np.round(scene * SCALE + C0).astype("<i2")
            f.write(struct.pack("<ii", int(round(fpa * 1000)), int(round(fpa * 1000)) + 2000))
            f.write(frame.tobytes())
            f.write(expected.tobytes())


if __name__ == "__main__":
    main()
