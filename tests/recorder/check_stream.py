#!/usr/bin/env python3
"""Independent reader of the recorder's files, run by the recorder tests.

  check_stream.py stream FILE     -> one line of key=value facts about a stream file
  check_stream.py statvfs DIR     -> total and free GiB of DIR's file system

The stream facts come from the byte layout alone (struct), and the cover from Pillow.
"""
import os
import struct
import sys


def stream(path):
    data = open(path, "rb").read()
    facts = {}
    magic, size_field = struct.unpack_from("<2sI", data, 0)
    off_bits, hdr, w, h, planes, bpp, comp, img = struct.unpack_from("<IIiiHHII", data, 10)
    p = w * -h
    head_len = 4 * p + 1216
    frame_len = 2 * p + 128
    facts["magic"] = magic.decode("latin1")
    facts["size_field_ok"] = int(size_field == 4 * p + 64 and off_bits == 64 and hdr == 40)
    facts["width"], facts["height"] = w, h
    facts["planes"], facts["bpp"], facts["image_size_ok"] = planes, bpp, int(img == 4 * p)
    cam = data[4 * p + 1088:4 * p + 1216]
    tw, th = struct.unpack_from("<HH", cam, 40)
    fps_num, fps_div = struct.unpack_from("<HH", cam, 116)
    facts["head_size_ok"] = int(tw == w and th == -h)
    facts["fps"] = "%d/%d" % (fps_num, fps_div)
    facts["palette"], facts["version"] = cam[124], struct.unpack_from("<H", cam, 126)[0]
    rest = len(data) - head_len
    k = rest // frame_len if rest >= 0 else 0
    facts["frames"] = k
    facts["trailer"] = rest - k * frame_len if rest >= 0 else -1
    indices = [struct.unpack_from("<H", data, head_len + i * frame_len + 10)[0] for i in range(k)]
    inputs = [data[head_len + i * frame_len + 25] for i in range(k)]
    facts["first_index"] = indices[0] if indices else -1
    facts["last_index"] = indices[-1] if indices else -1
    facts["steps_of_one"] = int(all((b - a) % 65536 == 1 for a, b in zip(indices, indices[1:])))
    # Gaps between neighbours, summed: frames missing from the sequence; a repeat or a step
    # backwards shows as a gap of 65535 or so and is counted apart.
    gaps = [((b - a) % 65536) - 1 for a, b in zip(indices, indices[1:])]
    facts["missing"] = sum(g for g in gaps if g < 32768)
    facts["backwards"] = sum(1 for g in gaps if g >= 32768 or g == -1)
    facts["first_input"] = inputs[0] if inputs else -1
    facts["last_input"] = inputs[-1] if inputs else -1
    facts["size"] = len(data)
    try:
        from PIL import Image
        with Image.open(path) as im:
            facts["pil_format"] = im.format
            facts["pil_mode"] = im.mode
            facts["pil_size"] = "%dx%d" % im.size
            im.load()
            # Rows are stored top-down: Pillow's first pixel is the file's first cover pixel.
            b, g, r = data[64], data[65], data[66]
            px = im.convert("RGB").getpixel((0, 0))
            facts["pil_top_left_ok"] = int(px == (r, g, b))
            facts["cover_blank"] = int(not any(data[64:64 + 4 * p]))
    except Exception as e:  # a failure is a fact to report, not a crash
        facts["pil_error"] = type(e).__name__
    print(" ".join("%s=%s" % kv for kv in facts.items()))


def statvfs(path):
    st = os.statvfs(path)
    gib = float(1 << 30)
    print("total=%.9f free=%.9f" % (st.f_blocks * st.f_frsize / gib, st.f_bavail * st.f_frsize / gib))


if __name__ == "__main__":
    {"stream": stream, "statvfs": statvfs}[sys.argv[1]](sys.argv[2])
