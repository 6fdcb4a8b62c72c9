#!/usr/bin/env python3
"""The calibration tables a camera keeps as memory blocks, packed with struct from their layouts:
custom correction (blocks 3 and 4, 656 bytes), lens table (block 5, 1088 bytes), distance table
(block 7, 696 bytes). Tests import it for their expected bytes; run as

    calib_blocks.py OUTDIR

it writes the simulator's seeds OUTDIR/block3.bin, block4.bin, block5.bin and block7.bin (for
ostrel-camsim --block N=FILE). Every seed carries recognisable bytes where the editors must keep
or clear what they do not edit."""
import struct
import sys

WEIJU_TAG = 20250224


def cust(filetime, note, count, points, gap=b"\x11\x22\x33\x44", pad=bytes(range(1, 17))):
    """points: 16 (blackbody, measured). The note is cut to 255 bytes on a whole character."""
    raw = note.encode("utf-8")[:255].decode("utf-8", "ignore").encode("utf-8")
    out = struct.pack("<Q256s4si", filetime, raw, gap, count)
    for bb, t in points:
        out += struct.pack("<ff16s", bb, t, pad)
    assert len(out) == 656
    return out


def weiju(mode, env, bb1, bb2, shells, rows1, rows2, third1, third2, head=b"", mid=b""):
    """rows1: 16 (blackbody, t0, t1, t2, t3); rows2: 16 (blackbody, t); third1[k][i], third2[i]:
    the unused third float of each entry."""
    out = struct.pack("<I32sBBBB4f72s", WEIJU_TAG, head, mode, env, bb1, bb2, *shells, mid)
    for k in range(4):
        for i in range(16):
            out += struct.pack("<fff", rows1[i][0], rows1[i][1 + k], third1[k][i])
    for i in range(16):
        out += struct.pack("<fff", rows2[i][0], rows2[i][1], third2[i])
    assert len(out) == 1088
    return out


def fixdist(dcount, bcount, dists, rows, head=b"", tail=b""):
    """rows: 10 (blackbody, t0..t4), t_k measured at distance k."""
    out = struct.pack("<264sii5i", head, dcount, bcount, *dists)
    for k in range(5):
        for i in range(10):
            out += struct.pack("<ff", rows[i][0], rows[i][1 + k])
    out += struct.pack("<4s", tail)
    assert len(out) == 696
    return out


# The seeds' values, as keyword arguments of the packers above.
def seed_cust(second=False):
    pts = [(20.0 + 10 * i, 20.5 + 10 * i + (1.0 if second else 0.0)) for i in range(16)]
    return dict(filetime=133486382650000000,  # 2024-01-02 03:04:25 UTC
                note="second range" if second else "range one \u00b0C", count=2 if second else 3, points=pts)


def seed_weiju():
    return dict(mode=2, env=2, bb1=3, bb2=2, shells=(10.0, 30.0, 0.0, 0.0),
                rows1=[(20.0 + 10 * i, *(20.25 + 10 * i + 0.5 * k for k in range(4))) for i in range(16)],
                rows2=[(25.0 + 10 * i, 26.0 + 10 * i) for i in range(16)],
                third1=[[7.0 + i + 100 * k for i in range(16)] for k in range(4)],
                third2=[-1.0 - i for i in range(16)],
                head=b"\x5a" * 32, mid=b"\xa5" * 72)


def seed_fixdist():
    return dict(dcount=3, bcount=4, dists=(1, 5, 10, 0, 0),
                rows=[(20.0 + 10 * i, *(20.0 + 10 * i - k for k in range(5))) for i in range(10)],
                head=b"\x5a" * 264, tail=b"\xa5" * 4)


def seeds():
    return {3: cust(**seed_cust()), 4: cust(**seed_cust(True)), 5: weiju(**seed_weiju()),
            7: fixdist(**seed_fixdist())}


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: calib_blocks.py OUTDIR")
    for block, data in seeds().items():
        with open("%s/block%d.bin" % (sys.argv[1], block), "wb") as f:
            f.write(data)
