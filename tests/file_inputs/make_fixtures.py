#!/usr/bin/python3
"""Writes the picture and stream files of the file-input suite with struct only, from the golden
file writer of the thermal-file suite.

Usage: make_fixtures.py <output folder> [name...]: the named files, or all of them. Frame f of every stream carries f in its head (byte 10)
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


STREAM_FPS = {"ramp25.stream": (25, 1), "ramp30.stream": (30, 1), "ramp100.stream": (100, 1),
              "ramp0.stream": (0, 0), "ramp120.stream": (120, 1)}


def main():
    out = sys.argv[1]
    wanted = sys.argv[2:] or list(STREAM_FPS) + ["empty.stream", "pic_conf.jpg", "pic_plain.jpg"]
    os.makedirs(out, exist_ok=True)

    def put(name, data):
        # Written aside and renamed, so a reader never sees half a file.
        tmp = os.path.join(out, name + ".part")
        with open(tmp, "wb") as f:
            f.write(data)
        os.replace(tmp, os.path.join(out, name))

    head = g.bitmap_head() + g.cover() + b"\0" * 1024 + g.temp_file_head()
    frames = None
    for name in wanted:
        if name in STREAM_FPS:
            if frames is None:
                frames = b"".join(g.frame(f) for f in range(FRAMES))
            put(name, head + frames + g.conf_block(with_fps(g.conf_record(True, FRAMES), *STREAM_FPS[name])))
        elif name == "empty.stream":
            put(name, head)
        elif name == "pic_conf.jpg":
            put(name, g.jpeg_image() + g.conf_block(g.conf_record(False)) + g.temp_block(g.temp_header()))
        elif name == "pic_plain.jpg":
            put(name, g.jpeg_image() + g.temp_block(g.temp_header()))
        else:
            sys.exit("unknown fixture " + name)


if __name__ == "__main__":
    main()
