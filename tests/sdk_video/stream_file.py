#!/usr/bin/env python3
"""Reads a temperature stream file with struct, from the format's own table, and checks it
against what the preview delivered.

usage: stream_file.py FILE DELIVERED IMAGES
  DELIVERED: the delivered frames back to back, each a 128-byte frame head and 2*w*h code bytes
  IMAGES: their BGRA pictures back to back, w*h*4 bytes each, in the same order
Prints one JSON object: geometry, frame count, per frame its index (head u16 at 10), time
(head i64 at 32) and position among the delivered frames (-1: none equal), and the number of
cover pixels (read by Pillow as a bitmap) that differ from the picture of the first kept frame.
"""
import json
import struct
import sys

from PIL import Image


def main():
    path, delivered_path, images_path = sys.argv[1:4]
    data = open(path, "rb").read()
    magic, bm_size, _, data_offset, info_size, w, neg_h, planes, bpp, compression, image_size = struct.unpack_from(
        "<2sIIIIiiHHII", data, 0)
    h = -neg_h
    p = w * h
    out = {"magic": magic.decode("latin-1"), "bm_size": bm_size, "data_offset": data_offset,
           "info_size": info_size, "width": w, "height": h, "planes": planes, "bpp": bpp,
           "compression": compression, "image_size": image_size, "size": len(data)}
    reserved = data[4 * p + 64:4 * p + 1088]
    out["reserved_zero"] = reserved == bytes(len(reserved))
    head = 4 * p + 1088
    camera_id = data[head:head + 32].split(b"\0")[0].decode("latin-1")
    capture_time, hw, hh = struct.unpack_from("<qHH", data, head + 32)
    fps_num, fps_div, _, palette, _, version = struct.unpack_from("<HHIBBH", data, head + 116)
    out.update({"camera_id": camera_id, "capture_time": capture_time, "head_width": hw, "head_height": hh,
                "fps_num": fps_num, "fps_div": fps_div, "palette": palette, "version": version})
    first = 4 * p + 1216
    frame = 2 * p + 128
    count = (len(data) - first) // frame
    out["frames"] = count
    out["whole"] = (len(data) - first) % frame == 0
    delivered_bytes = open(delivered_path, "rb").read()
    delivered = [delivered_bytes[i:i + frame] for i in range(0, len(delivered_bytes) - frame + 1, frame)]
    positions = {}
    for i, d in enumerate(delivered):
        positions.setdefault(d, i)
    frames = []
    for k in range(count):
        rec = data[first + k * frame:first + (k + 1) * frame]
        fw, fh = struct.unpack_from("<HH", rec, 0)
        index, = struct.unpack_from("<H", rec, 10)
        time, = struct.unpack_from("<q", rec, 32)
        frames.append({"index": index, "time": time, "w": fw, "h": fh, "delivered": positions.get(rec, -1)})
    out["list"] = frames
    first_pos = frames[0]["delivered"] if frames else -1
    images = open(images_path, "rb").read()
    expected = images[4 * p * first_pos:4 * p * (first_pos + 1)] if first_pos >= 0 else bytes(4 * p)
    picture = Image.open(path).convert("RGB")
    differ = 0
    if picture.size != (w, h):
        differ = p
    else:
        px = picture.tobytes()
        for i in range(p):
            b, g, r = expected[4 * i], expected[4 * i + 1], expected[4 * i + 2]
            if px[3 * i:3 * i + 3] != bytes((r, g, b)):
                differ += 1
    out["cover_differ"] = differ
    print(json.dumps(out))


if __name__ == "__main__":
    main()
