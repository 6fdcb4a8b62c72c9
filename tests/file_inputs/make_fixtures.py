#!/usr/bin/python3
"""Writes the picture and stream files of the file-input suite with struct only, from the golden
file writer of the thermal-file suite.

Usage: make_fixtures.py <output folder>. Frame f of every stream carries f in its head (byte 10)
and its codes follow code(x, y, f) = 2000 + x + 7 y + 50 f, so pixel (0, 0) holds 2000 + 50 f.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sdk_files"))
import make_golden as g  # noqa: E402

FRAMES = 100


def with_fps(record, num, div):
    rec = bytearray(record)
    struct.pack_into("<HH", rec, 52, num, div)
    return bytes(rec)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)

    def put(name, data):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)

    frames = b"".join(g.frame(f) for f in range(FRAMES))
    head = g.bitmap_head() + g.cover() + b"\0" * 1024 + g.temp_file_head()
    for name, fps in [("ramp25", (25, 1)), ("ramp30", (30, 1)), ("ramp100", (100, 1)), ("ramp0", (0, 0)),
                      ("ramp120", (120, 1))]:
        put(name + ".stream", head + frames + g.conf_block(with_fps(g.conf_record(True, FRAMES), *fps)))
    put("empty.stream", head)
    image = g.jpeg_image()
    put("pic_conf.jpg", image + g.conf_block(g.conf_record(False)) + g.temp_block(g.temp_header()))
    put("pic_plain.jpg", image + g.temp_block(g.temp_header()))


if __name__ == "__main__":
    main()
