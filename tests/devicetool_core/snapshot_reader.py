#!/usr/bin/env python3
"""Reads a device-tool snapshot on its own: a JPEG followed by the dated temperature block, found
from the file's end through its 36-byte trailer. Prints one JSON object with every field, or
exits non-zero naming the first thing that is wrong.

Block layout (offsets from the block's start, little-endian): i32 length L + 16672, "teMp",
camera id[32], i64 time, u16 W, u16 H, the 72-byte correction record at 52, zeros up to 16520,
the 128-byte frame head, L = 2 x W x H bytes of codes, then u16 W, u16 H, u32 20160901 and 28
zero bytes."""
import io
import json
import struct
import sys

from PIL import Image


def fail(msg):
    print(msg, file=sys.stderr)
    sys.exit(1)


def main(path):
    data = open(path, "rb").read()
    if len(data) < 16684:
        fail("shorter than a block")
    w, h, date = struct.unpack_from("<HHI", data, len(data) - 36)
    if date != 20160901:
        fail(f"trailer date {date}")
    if any(data[len(data) - 28:]):
        fail("trailer padding not zero")
    L = 2 * w * h
    start = len(data) - (L + 16684)
    if start <= 0:
        fail("no picture before the block")
    b = data[start:]
    length, tag = struct.unpack_from("<i4s", b, 0)
    if length != L + 16672 or tag != b"teMp":
        fail(f"prefix {length} {tag!r}")
    camera_id = b[8:40].split(b"\0")[0].decode("latin-1")
    when, bw, bh = struct.unpack_from("<qHH", b, 40)
    if (bw, bh) != (w, h):
        fail(f"head size {bw}x{bh}, trailer {w}x{h}")
    if any(b[124:16520]):
        fail("reserved bytes not zero")
    jpeg = data[:start]
    if not (jpeg.startswith(b"\xff\xd8") and jpeg.endswith(b"\xff\xd9")):
        fail("the picture is no whole JPEG")
    img = Image.open(io.BytesIO(jpeg))
    img.load()
    print(json.dumps({
        "jpegBytes": len(jpeg), "jpegSize": list(img.size), "cameraId": camera_id, "time": when,
        "width": w, "height": h, "fix": b[52:124].hex(), "head": b[16520:16648].hex(),
        "codes": b[16648:16648 + L].hex()}))


if __name__ == "__main__":
    main(sys.argv[1])
