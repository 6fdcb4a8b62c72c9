#!/usr/bin/python3
"""Writes the golden radiometric files from the byte tables of the formats, with struct only.

Usage: make_golden.py <output folder>. Writes the files and manifest.json, which lists what a
reader must find in each file. Needs Pillow for the JPEG image part.
"""
import io
import json
import os
import struct
import sys

from PIL import Image

W, H = 160, 120
P = W * H
SCALE = 10
T0 = 133_000_000_000_000_000  # FILETIME of the capture
CAMERA_ID = b"CAM-0042"
CAMERA_TYPE = b"TX-640"


def pad(data, size):
    assert len(data) <= size
    return data + b"\0" * (size - len(data))


def fix_info():
    # FixInfoRecord: nine floats, a flag, a float, zero to 72 bytes.
    body = struct.pack("<9fB3xf", 23.5, 45.0, 10.0, 0.0, 0.0, 5.0, 0.97, 1.0, 0.0, 1, 0.25)
    return pad(body, 72)


def stretch_ctl(kind, gain, man=(200, 400, 0)):
    # flags, strechType, 2 reserved, smoothing, gain, man_temp0, man_temp1, man_enable, rest zero.
    body = struct.pack("<IB2xBfhhB", 0, kind, 1, gain, man[0], man[1], man[2])
    return pad(body, 64)


def default_ctl():
    return pad(struct.pack("<IB2xBf", 0, 1, 0, 2.0), 64)


def temp_file_head(fps=(25, 1)):
    return (pad(CAMERA_ID, 32) + struct.pack("<qHH", T0, W, H) + fix_info() +
            struct.pack("<HHIBBH", fps[0], fps[1], 0, 5, 0, 1))


def code(x, y, f):
    return 2000 + x + 7 * y + 50 * f


def frame(f):
    head = struct.pack("<HHiBBHHh", W, H, 0, 2, 0, f, SCALE, 0)
    head += struct.pack("<ii", 31000 + f, 32000 + f)  # detector and shell temperature, m°C
    head += b"\0" * 8
    head += struct.pack("<q", T0 + 400_000 * f)
    head += struct.pack("<i", 33000 + f) + b"\0" * 4 + struct.pack("<ff", 20.0, 0.95)
    head = pad(head, 128)
    codes = struct.pack("<%dh" % P, *[code(x, y, f) for y in range(H) for x in range(W)])
    return head + codes


def temp_header(palette=0, ctl=None):
    ctl = ctl if ctl is not None else b"\0" * 64
    return pad(temp_file_head() + struct.pack("<Ii", 0, palette) + ctl, 16512)


def trailer_tagged(length, tag):
    return struct.pack("<HHIi4s", W, H, 0, length, tag) + b"\0" * 20


def trailer_dated():
    return struct.pack("<HHIi4s", W, H, 20160901, 0, b"\0\0\0\0") + b"\0" * 20


def temp_block(header, dated=False):
    payload = header + frame(0)
    if dated:
        return struct.pack("<i4s", 2 * P + 16672, b"teMp") + payload + trailer_dated()
    return struct.pack("<i4s", 2 * P + 16640, b"TEMP") + payload + trailer_tagged(2 * P + 16640, b"TEMP")


def mea_item(kind, points, color=0xFF00FF00):
    item = b"\0" * 64 + struct.pack("<IBBHIffBBBB", color, kind, 0, 0, 0, 0.95, 20.0, 0, 0, len(points), 0)
    pts = b"".join(struct.pack("<HH", x, y) for x, y in points)
    return item + pad(pts, 128)


def conf_record(stream, frames=0, magic=20251016):
    fps = (25, 1) if stream else (0, 0)
    rec = struct.pack("<IIq", magic, 0, T0) + pad(CAMERA_ID, 32)
    rec += struct.pack("<HHHHi", W, H, fps[0], fps[1], frames) + fix_info()
    rec += pad(CAMERA_TYPE, 16) + b"\0" * 128
    rec += struct.pack("<i", 7) + stretch_ctl(3, 3.0, (150, 450, 1)) + struct.pack("<i", 2)
    items = mea_item(9, [(10, 10), (40, 30)]) + mea_item(1, [(80, 60)])
    rec += pad(items, 32 * 216) + b"\0" * 4
    assert len(rec) == 7264
    return rec


def conf_block(record):
    n = len(record)
    return struct.pack("<i4s", n, b"CONF") + record + trailer_tagged(n, b"CONF")


def jpeg_image():
    img = Image.new("RGB", (W, H))
    img.putdata([(x * 255 // W, y * 255 // H, 128) for y in range(H) for x in range(W)])
    out = io.BytesIO()
    img.save(out, format="JPEG", quality=90)
    return out.getvalue()


def cover():
    # BGRA cover: a simple pattern the bitmap decoders must show.
    return b"".join(struct.pack("<BBBB", x % 256, y % 256, (x + y) % 256, 255)
                    for y in range(H) for x in range(W))


def bitmap_head():
    head = b"BM" + struct.pack("<IIIIiiHHII", 4 * P + 64, 0, 64, 40, W, -H, 1, 32, 0, 4 * P)
    return pad(head, 64)


def stream(frames, conf=None, stray=0):
    data = bitmap_head() + cover() + b"\0" * 1024 + temp_file_head()
    for f in range(frames):
        data += frame(f)
    data += b"\x5a" * stray
    if conf is not None:
        data += conf_block(conf)
    return data


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    image = jpeg_image()
    conf_pic = conf_record(False)
    files = {}

    def put(name, data, **expect):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        expect["size"] = len(data)
        files[name] = expect

    checks = [[0, 0, 0], [0, W - 1, 0], [0, 17, 33], [0, W - 1, H - 1]]
    checks = [[f, x, y, code(x, y, f)] for f, x, y in checks]
    pic = dict(mode=1, width=W, height=H, tempSize=2 * P + 16640, codes=checks, frames=1)
    put("pic_plain.jpg", image + temp_block(temp_header()), imageSize=len(image), confSize=7264,
        hasConf=False, palette=5, strechType=1, meaCount=0, cameraType="", **pic)
    put("pic_conf.jpg", image + conf_block(conf_pic) + temp_block(temp_header()), imageSize=len(image),
        confSize=7264, hasConf=True, palette=7, strechType=3, meaCount=2, cameraType="TX-640", **pic)
    put("pic_dated.jpg", image + temp_block(temp_header(), dated=True), imageSize=len(image), confSize=7264,
        hasConf=False, palette=5, strechType=1, meaCount=0, cameraType="", **pic)
    put("pic_temp_only.jpg", temp_block(temp_header()), imageSize=0, confSize=7264, hasConf=False,
        palette=5, strechType=1, meaCount=0, cameraType="", **pic)
    put("pic_header_ctl.jpg", image + temp_block(temp_header(3, stretch_ctl(2, 1.5))), imageSize=len(image),
        confSize=7264, hasConf=False, palette=3, strechType=2, meaCount=0, cameraType="", **pic)
    put("pic_bad_magic.jpg", image + conf_block(conf_record(False, magic=1)) + temp_block(temp_header()),
        imageSize=len(image), confSize=7264, hasConf=True, palette=5, strechType=1, meaCount=0,
        cameraType="", **pic)
    # Two TEMP blocks: the earlier one belongs to the image.
    first = temp_block(temp_header())
    put("pic_two_temp.jpg", image + first + temp_block(temp_header()), imageSize=len(image) + len(first),
        confSize=7264, hasConf=False, palette=5, strechType=1, meaCount=0, cameraType="", **pic)
    put("legacy.bmp", stream(1), mode=1, width=W, height=H, imageSize=0, tempSize=2 * P + 16640,
        confSize=7264, hasConf=False, palette=5, strechType=1, meaCount=0, cameraType="", codes=checks,
        frames=1)
    scodes = [[f, x, y, code(x, y, f)] for f, x, y in [[0, 0, 0], [1, 5, 9], [2, W - 1, H - 1]]]
    st = dict(mode=2, width=W, height=H, imageSize=0, tempSize=0, confSize=7264, codes=scodes, frames=3)
    put("stream3.stream", stream(3), hasConf=False, palette=5, strechType=1, meaCount=0, cameraType="",
        fpsNum=25, fpsDiv=1, **st)
    put("stream3_conf.stream", stream(3, conf_record(True, 3)), hasConf=True, palette=7, strechType=3,
        meaCount=2, cameraType="TX-640", fpsNum=25, fpsDiv=1, **st)
    # The record says 9 frames; the reader counts 3.
    put("stream3_conf_count.stream", stream(3, conf_record(True, 9)), hasConf=True, palette=7,
        strechType=3, meaCount=2, cameraType="TX-640", fpsNum=25, fpsDiv=1, **st)
    put("stream3_stray.stream", stream(3, stray=100), hasConf=False, palette=5, strechType=1, meaCount=0,
        cameraType="", fpsNum=25, fpsDiv=1, **st)

    # Pieces the writers must reproduce byte for byte.
    with open(os.path.join(out, "conf_picture.bin"), "wb") as f:
        f.write(conf_pic)
    with open(os.path.join(out, "conf_stream.bin"), "wb") as f:
        f.write(conf_record(True, 3))
    with open(os.path.join(out, "temp_block.bin"), "wb") as f:
        f.write(temp_block(temp_header()))
    with open(os.path.join(out, "cover.bin"), "wb") as f:
        f.write(cover())
    with open(os.path.join(out, "temp_file_head.bin"), "wb") as f:
        f.write(temp_file_head())
    with open(os.path.join(out, "manifest.json"), "w") as f:
        json.dump(files, f, indent=1)


if __name__ == "__main__":
    main()
