#!/usr/bin/python3
"""Writes converter source blocks for the high-temperature table and the 5600-byte files the
converter must make of them, from the conversion rule worked out independently here.

usage: write_gaowen.py OUTDIR SCALE C0
  OUTDIR/good.src, OUTDIR/good.gw    6 table-A points, 3 ranges of 5 points; the table-A
                                     segments multiply past 32 bits
  OUTDIR/short.src, OUTDIR/short.gw  a table A of one point (no segment): no points written
  OUTDIR/nine.src                    9 ranges (refused)
"""
import struct
import sys

SRC_SIZE, OUT_SIZE = 3728, 5600


def ctrunc_div(a, b):
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b > 0) else -q


def points(raws, segs, count, scale, t0):
    out = []
    if count < 2:
        return out
    for j in range(count):
        k = min(j, count - 2)
        slope, off = segs[k]
        code = ((raws[j] * slope) >> 10) + off
        out.append((((code / scale + t0) - 0.6) / 0.97, raws[j] / scale + t0))
    return out


def block(na, nr, np_, tag):
    src = bytearray(SRC_SIZE)
    struct.pack_into("<h", src, 48, tag)
    src[52], src[56], src[60] = na, nr, np_
    # Table A: raws near 20000 with a slope of 120000 (raw * slope is past 2^31), the offset
    # bringing the codes back into range.
    a_raw = [20000 + 30 * j for j in range(32)]
    a_seg = [(120000 + 50 * k, -2340000 - 10 * k) for k in range(32)]
    struct.pack_into("<32i", src, 144, *a_raw)
    for k, (s, o) in enumerate(a_seg):
        struct.pack_into("<ii", src, 272 + 8 * k, s, o)
    ranges = []
    for i in range(min(nr, 8)):
        base = 528 + 400 * i
        temp = 10000 + 20000 * i + 7
        info = [100 + i, 200 + i, 300 + i, 400 + i, 500 + i]
        struct.pack_into("<i5HB", src, base, temp, *info, 60 + i)
        raws = [3000 + 800 * j + 50 * i for j in range(32)]
        segs = [(1024 + 40 * k + 10 * i, 400 + 30 * k) for k in range(32)]
        struct.pack_into("<32i", src, base + 16, *raws)
        for k, (s, o) in enumerate(segs):
            struct.pack_into("<ii", src, base + 144 + 8 * k, s, o)
        ranges.append((temp, bytes(src[base + 4:base + 15]), raws, segs))
    return src, a_raw, a_seg, ranges


def converted(src, a_raw, a_seg, ranges, na, nr, np_, scale, c0):
    out = bytearray(OUT_SIZE)
    t0 = -ctrunc_div(c0, scale)
    out[2:4] = src[48:50]
    out[4], out[5], out[6] = na, nr, np_
    for j, (bb, meas) in enumerate(points(a_raw, a_seg, na, scale, t0)):
        struct.pack_into("<ff", out, 2144 + 12 * j, bb, meas)
    for i, (temp, info, raws, segs) in enumerate(ranges):
        struct.pack_into("<f", out, 64 + 4 * i, temp / 1000.0)
        out[96 + 256 * i:96 + 256 * i + 11] = info
        for j, (bb, meas) in enumerate(points(raws, segs, np_, scale, t0)):
            struct.pack_into("<ff", out, 2528 + 384 * i + 12 * j, bb, meas)
    return out


def main():
    outdir, scale, c0 = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    for name, (na, nr, np_) in (("good", (6, 3, 5)), ("short", (1, 2, 4))):
        src, a_raw, a_seg, ranges = block(na, nr, np_, 0x1234)
        with open(f"{outdir}/{name}.src", "wb") as f:
            f.write(src)
        with open(f"{outdir}/{name}.gw", "wb") as f:
            f.write(converted(src, a_raw, a_seg, ranges, na, nr, np_, scale, c0))
    src, *_ = block(6, 9, 5, 1)
    with open(f"{outdir}/nine.src", "wb") as f:
        f.write(src)


if __name__ == "__main__":
    main()
