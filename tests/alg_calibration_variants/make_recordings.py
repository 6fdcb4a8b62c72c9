#!/usr/bin/python3
"""Writes a folder of one-frame raw recordings (bitmap prefix, TempFileHead at 4P + 1088,
DataFrameHead at 4P + 1216, P raw values at 4P + 1344, P mask bytes after them) for the
calibration file given, with one usable recording among ones to be skipped.

usage: make_recordings.py CALIFILE INDIR
  good.bmp    raw frame of this camera (FPA 31.7 degC, shell 29 degC)
  other.bmp   another camera's identity
  temp.bmp    already converted (data type 2)
  short.bmp   one byte short
  sub/        a folder (with a good recording inside, not to be visited)
"""
import os
import struct
import sys


def main():
    cali, indir = sys.argv[1], sys.argv[2]
    with open(cali, "rb") as f:
        head = f.read(128)
    ident = head[0:32]
    w, h = struct.unpack_from("<HH", head, 36)
    p = w * h

    def recording(identity, kind):
        buf = bytearray((i * 7 + 3) % 251 for i in range(6 * p + 1344))
        buf[0:2] = b"BM"
        th = 4 * p + 1088
        buf[th:th + 32] = identity
        fh = 4 * p + 1216
        buf[fh:fh + 128] = bytes(128)
        struct.pack_into("<HHiBBHHhii", buf, fh, w, h, 0, kind, 0, 1, 0, 0, 31700, 29000)
        raw = [2500 + (i * 13) % 9000 for i in range(p)]
        struct.pack_into(f"<{p}h", buf, 4 * p + 1344, *raw)
        return buf

    os.makedirs(f"{indir}/sub", exist_ok=True)
    files = {
        "good.bmp": recording(ident, 1),
        "other.bmp": recording(b"CALI-SOMEONE-ELSE".ljust(32, b"\0"), 1),
        "temp.bmp": recording(ident, 2),
        "short.bmp": recording(ident, 1)[:-1],
        "sub/good.bmp": recording(ident, 1),
    }
    for name, data in files.items():
        with open(f"{indir}/{name}", "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
