#!/usr/bin/env python3
"""Writes a live camera's view record (the 7264-byte TempFileConf layout) holding the whole-image
item and one green rectangle over image rows 150..190, columns 16..624, tracking its maximum,
with its label (the maximum) shown. The rectangle covers the path of the simulator's walking body in its "room"
scene (rows 152..188, columns 24..616 of 640 x 512), so its maximum is the body's temperature; in
the "spots" scene it holds the hot spot's row."""
import struct
import sys

CONF_SIZE = 7264
CONF_MAGIC = 20251016
MEA_SIZE = 216


def stretch_ctl():
    # Linear stretch over the manual range 10..45 degC (x10): a room and a person lie inside it,
    # the simulator's cold objects (0 degC and below) below it and its hot ones (80 degC and above)
    # above it, so those show the palette's end colours exactly.
    head = struct.pack("<IB2sBfhhB", 0, 2, b"\0\0", 0, 2.0, 100, 450, 1)
    # The two isotherm colours (offsets 24 and 28) black and opaque: the program stores every
    # colour with alpha 0xFF, so a record read and written back without an edit is unchanged.
    head = head.ljust(24, b"\0") + struct.pack("<II", 0xFF000000, 0xFF000000)
    return head.ljust(64, b"\0")


def mea_item(name, color, mea_type, flags, points, label=True):
    # Byte 84 non-zero hides the item's label.
    item = struct.pack("<64sIBB2sIffBBBB", name.encode(), color, mea_type, flags, b"\0\0",
                       0, 1.0, 25.0, 0 if label else 1, 0, len(points), 0)
    for x, y in points:
        item += struct.pack("<HH", x, y)
    return item.ljust(MEA_SIZE, b"\0")


def conf(camera_id):
    items = [mea_item("", 0xFF808080, 0, 0, []),
             # Rectangle (type 9) from its top-left to its bottom-right corner; flag bit 0 tracks
             # the maximum.
             mea_item("R1", 0xFF00FF00, 9, 1, [(16, 150), (624, 190)])]
    head = struct.pack("<IIq32s", CONF_MAGIC, 0, 0, camera_id.encode()).ljust(276, b"\0")
    body = struct.pack("<i", 5) + stretch_ctl() + struct.pack("<i", len(items))
    body += b"".join(items)
    out = (head + body).ljust(CONF_SIZE, b"\0")
    assert len(out) == CONF_SIZE
    return out


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: write-device-conf.py <file> <camera id>")
    with open(sys.argv[1], "wb") as f:
        f.write(conf(sys.argv[2]))
