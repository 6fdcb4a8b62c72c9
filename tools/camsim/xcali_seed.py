#!/usr/bin/env python3
"""Writes the XCali calibration block (19488 bytes) a simulated camera serves as memory block 8.

    xcali_seed.py OUT [--det-type N] [--cali-count N] [--res-count N] [--nonfinite]

Every value is a plain function of the entry and row numbers, so tests can work out any field
again with the helpers below. The register area of every entry carries the VNR set for detector
types 508 to 512 and the QJ set otherwise. Every byte the tool does not map holds a non-zero
filler (filler(offset), a function of the byte's place in the block), and the blackbody column
of second-stage tables 1-3 differs from table 0's, so a test sees any byte the tool clears or
rewrites. --nonfinite puts NaN and infinities into values the tool shows (NONFINITE lists them)."""
import argparse
import struct

BLOCK = 19488
ENTRY_BASE, ENTRY_SIZE = 64, 1904
NAMES = ["Lens25", "Wide13", "Tele50", "Macro", "Lens35", "Lens75", "Lens100", "Fish", "Zoom", "Spare"]
SHELLS = [20.0, 30.0, 40.0, 50.0]
RESOLUTIONS = [(640, 512, 30, 1), (384, 288, 50, 1), (1280, 1024, 25, 2)]


NAN, INF = float("nan"), float("inf")
# (part, offset in the part, value) written into every entry with --nonfinite: a second-stage
# global temperature and shell, second-stage cells and custom cells.
NONFINITE = [("cali2", 56, INF), ("cali2", 72, NAN), ("cali2", 80 + 288 * 1 + 12 * 3 + 4, NAN),
             ("cali2", 80 + 12 * 5, -INF), ("cust", 64 + 12 * 2 + 4, INF), ("cust", 64 + 12 * 7, NAN)]


def filler(offset):
    """The non-zero byte every unmapped place of the block holds."""
    return 0x80 | (offset * 7 + 3) & 0x7F


def is_vnr(det_type):
    return 508 <= det_type <= 512


def cali1_values(k):
    """enable, filter, lens, env min, env max, bb min, bb max, name, shutter mode of entry k."""
    return 1, k % 4, 25 + k, -20 + k, 60, -10 * k, 150 + k, NAMES[k], k % 2


def vnr_values(k):
    """Five voltage counts, four offset bytes (signed), tint, origin, gain."""
    return [4096, 2867, 1638, 3000 + k, 100], [-1, 1, 2, -128], 1000 + k, 2, 3


def qj_values(k):
    """25 register bytes, item count, items (fpa in hundredths, fos, tint, cap)."""
    regs = [(10 + i + k) & 0xFF for i in range(25)]
    items = [(-1234 + 500 * j + k, 3 + j, 20 + j, j) for j in range(7)]
    return regs, 5, items


def cali2_point(k, i, t):
    """Blackbody and temperature of row i in table t of entry k (the tool shows table 0's
    blackbody; tables 1-3 hold their own)."""
    bb = 20.0 + 10.0 * i
    return bb + 0.125 * t, bb + 0.5 * t + 0.25 * k


def cust_point(k, i):
    return 30.0 + 5.0 * i, 30.0 + 5.0 * i + 0.5 + k


def fill(p, at):
    """Fills p (a part at block offset `at`) with the block's filler bytes."""
    for i in range(len(p)):
        p[i] = filler(at + i)
    return p


def cali1_part(k, det_type, at=0):
    en, flt, lens, emin, emax, bmin, bmax, name, shut = cali1_values(k)
    p = fill(bytearray(320), at)
    struct.pack_into("<BBHhhhh", p, 0, en, flt, lens, emin, emax, bmin, bmax)
    p[12:44] = name.encode().ljust(32, b"\0")
    p[44] = shut
    if is_vnr(det_type):
        volts, offs, tint, origin, gain = vnr_values(k)
        struct.pack_into("<5H", p, 64, *volts)
        struct.pack_into("<4bi", p, 64 + 16, *offs, tint)
        p[64 + 24], p[64 + 25] = origin, gain
    else:
        regs, count, items = qj_values(k)
        p[64:64 + 25] = bytes(regs)
        p[64 + 31] = count
        for j, (fpa, fos, tint, cap) in enumerate(items):
            struct.pack_into("<hBBB", p, 64 + 32 + 8 * j, fpa, fos, tint, cap)
    return p


def cali2_part(k, at=0):
    p = fill(bytearray(1232), at)
    struct.pack_into("<BBB", p, 0, 1, 2, 5)
    struct.pack_into("<6f", p, 56, 25.0, 0.97, *SHELLS)
    for t in range(4):
        for i in range(24):
            struct.pack_into("<ff", p, 80 + 288 * t + 12 * i, *cali2_point(k, i, t))
    return p


def cust_part(k, at=0):
    p = fill(bytearray(352), at)
    struct.pack_into("<BB", p, 0, 1, 4)
    for i in range(24):
        struct.pack_into("<ff", p, 64 + 12 * i, *cust_point(k, i))
    return p


def block(det_type=510, cali_count=3, res_count=3, nonfinite=False):
    b = fill(bytearray(BLOCK), 0)
    struct.pack_into("<HBB", b, 0, det_type, res_count, cali_count)
    for k in range(10):
        at = ENTRY_BASE + ENTRY_SIZE * k
        b[at:at + 320] = cali1_part(k, det_type, at)
        b[at + 320:at + 1552] = cali2_part(k, at + 320)
        b[at + 1552:at + 1904] = cust_part(k, at + 1552)
        if nonfinite:
            for part, off, v in NONFINITE:
                struct.pack_into("<f", b, at + (320 if part == "cali2" else 1552) + off, v)
    for r in range(10):
        w, h, num, den = RESOLUTIONS[r] if r < len(RESOLUTIONS) else (160 + r, 120 + r, 9, 1)
        struct.pack_into("<5H", b, 19104 + 32 * r, w, h, num, den, r)
    struct.pack_into("<Iiii", b, 19424, 7200, 300150, 25500, 26250)
    b[19440], b[19441] = 1, 0
    return bytes(b)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("--det-type", type=int, default=510)
    ap.add_argument("--cali-count", type=int, default=3)
    ap.add_argument("--res-count", type=int, default=3)
    ap.add_argument("--nonfinite", action="store_true")
    a = ap.parse_args()
    with open(a.out, "wb") as f:
        f.write(block(a.det_type, a.cali_count, a.res_count, a.nonfinite))


if __name__ == "__main__":
    main()
