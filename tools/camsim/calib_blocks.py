#!/usr/bin/env python3
"""The calibration tables a camera keeps as memory blocks, packed with struct from their layouts:
custom correction (blocks 3 and 4, 656 bytes), lens table (block 5, 1088 bytes), distance table
(block 7, 696 bytes). Tests import it for their expected bytes; run as

    calib_blocks.py OUTDIR [--nonfinite]

it writes the simulator's seeds OUTDIR/block3.bin, block4.bin, block5.bin and block7.bin (for
ostrel-camsim --block N=FILE). Every seed carries recognisable non-zero bytes where the editors
must keep what they do not edit, and the lens and distance tables after the first hold their
own blackbody column (bb_tables). --nonfinite puts NaN and infinities into values the editors
show (seeds(nonfinite=True))."""
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


def weiju(mode, env, bb1, bb2, shells, rows1, rows2, third1, third2, head=b"", mid=b"", bb_tables=None):
    """rows1: 16 (blackbody, t0, t1, t2, t3); rows2: 16 (blackbody, t); third1[k][i], third2[i]:
    the unused third float of each entry; bb_tables[(k, i)]: a blackbody of shell table k other
    than row i's."""
    bb_tables = bb_tables or {}
    out = struct.pack("<I32sBBBB4f72s", WEIJU_TAG, head, mode, env, bb1, bb2, *shells, mid)
    for k in range(4):
        for i in range(16):
            out += struct.pack("<fff", bb_tables.get((k, i), rows1[i][0]), rows1[i][1 + k], third1[k][i])
    for i in range(16):
        out += struct.pack("<fff", rows2[i][0], rows2[i][1], third2[i])
    assert len(out) == 1088
    return out


def fixdist(dcount, bcount, dists, rows, head=b"", tail=b"", bb_tables=None):
    """rows: 10 (blackbody, t0..t4), t_k measured at distance k; bb_tables[(k, i)]: a blackbody of
    distance table k other than row i's."""
    bb_tables = bb_tables or {}
    out = struct.pack("<264sii5i", head, dcount, bcount, *dists)
    for k in range(5):
        for i in range(10):
            out += struct.pack("<ff", bb_tables.get((k, i), rows[i][0]), rows[i][1 + k])
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
                head=b"\x5a" * 32, mid=b"\xa5" * 72,
                bb_tables={(k, i): 20.0 + 10 * i + 0.125 * k for k in (1, 2, 3) for i in range(16)})


def seed_fixdist():
    return dict(dcount=3, bcount=4, dists=(1, 5, 10, 0, 0),
                rows=[(20.0 + 10 * i, *(20.0 + 10 * i - k for k in range(5))) for i in range(10)],
                head=b"\x5a" * 264, tail=b"\xa5" * 4,
                bb_tables={(k, i): 20.0 + 10 * i + 0.125 * k for k in (1, 2, 3, 4) for i in range(10)})


def without_row(p, i):
    """Seed keywords p with row i's blackbody the same in every table (as an edit of it stores)."""
    p["bb_tables"] = {key: v for key, v in p["bb_tables"].items() if key[1] != i}
    return p


NAN, INF = float("nan"), float("inf")


def nonfinite(block, p):
    """Puts NaN and infinities into values the editors show of seed keywords p of `block`."""
    if block in (3, 4):
        pts = list(p["points"])
        pts[2] = (pts[2][0], INF)
        pts[5] = (NAN, pts[5][1])
        p["points"] = pts
    elif block == 5:
        p["shells"] = (p["shells"][0], p["shells"][1], NAN, p["shells"][3])
        r = list(p["rows1"][4])
        r[2] = INF
        p["rows1"][4] = tuple(r)
        p["rows2"][1] = (-INF, p["rows2"][1][1])
    elif block == 7:
        r = list(p["rows"][3])
        r[5] = NAN
        p["rows"][3] = tuple(r)
        p["rows"][6] = (INF, *p["rows"][6][1:])
    return p


def seeds(nonfinite_values=False):
    n = nonfinite if nonfinite_values else (lambda block, p: p)
    return {3: cust(**n(3, seed_cust())), 4: cust(**n(4, seed_cust(True))), 5: weiju(**n(5, seed_weiju())),
            7: fixdist(**n(7, seed_fixdist()))}


if __name__ == "__main__":
    args = [a for a in sys.argv[1:] if a != "--nonfinite"]
    if len(args) != 1:
        sys.exit("usage: calib_blocks.py OUTDIR [--nonfinite]")
    for block, data in seeds("--nonfinite" in sys.argv).items():
        with open("%s/block%d.bin" % (args[0], block), "wb") as f:
            f.write(data)
