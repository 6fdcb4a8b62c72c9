#!/usr/bin/env python3
"""Independent readers of the exporter's files, used by the exporter tests.

Each command prints one JSON object on stdout and exits 0; a file that cannot be read as the
command expects exits 1 with the reason on stderr.

  picture FILE [x,y ...]   the image part read with Pillow: format, size, PNG length, probed pixels
  png FILE                 chunk types and CRCs checked, the image data inflated by zlib, and
                           SHA-256 of the pixels as RGB bytes read by Pillow
  blocks FILE              the ConfBlock and TempBlock found from the file's end (struct)
  cut SOURCE CUT I...      the cut's head fields and whether its frames equal the source's I...
  frame STREAM INDEX       SHA-256 of one stream frame (head and codes)
  mp4 FILE                 ffprobe -count_frames of the first video stream
  psnr VIDEO PICTURE       PSNR (dB) of the video's first frame, decoded by ffmpeg, to the picture
"""
import hashlib
import io
import json
import math
import os
import struct
import subprocess
import sys
import tempfile

from PIL import Image


def fail(msg):
    sys.stderr.write(msg + "\n")
    sys.exit(1)


def png_length(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return -1
    pos = 8
    while pos + 8 <= len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        pos += 12 + length
        if kind == b"IEND":
            return pos
    return -1


def cmd_picture(path, probes):
    data = open(path, "rb").read()
    im = Image.open(io.BytesIO(data))
    im.load()
    rgb = im.convert("RGB")
    out = {"format": im.format, "width": im.size[0], "height": im.size[1],
           "png_length": png_length(data), "file_length": len(data), "pixels": []}
    for p in probes:
        x, y = (int(v) for v in p.split(","))
        out["pixels"].append(list(rgb.getpixel((x, y))))
    print(json.dumps(out))


def cmd_png(path):
    import zlib
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail("no PNG signature")
    pos, kinds, crc_ok, idat = 8, [], True, b""
    while pos + 12 <= len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        crc_ok = crc_ok and zlib.crc32(data[pos + 4:pos + 8 + length]) == crc
        kinds.append(kind.decode("latin-1"))
        if kind == b"IDAT":
            idat += data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IEND":
            break
    w, h = struct.unpack(">II", data[16:24])
    raw = zlib.decompress(idat)  # checks the Adler-32
    im = Image.open(io.BytesIO(data))
    im.load()
    print(json.dumps({"chunks": kinds, "crc_ok": crc_ok, "rest": len(data) - pos, "width": w, "height": h,
                      "inflated": len(raw), "mode": im.mode,
                      "rgb_sha256": hashlib.sha256(im.convert("RGB").tobytes()).hexdigest()}))


def read_block(data, end):
    """The block whose 36-byte trailer ends at `end`: (tag, w, h, payload start, payload length)."""
    if end < 44:
        fail("no room for a block")
    w, h, date, length, tag = struct.unpack("<HHIi4s", data[end - 36:end - 20])
    if date != 0:
        fail("dated trailer not expected")
    start = end - 36 - length
    plen, ptag = struct.unpack("<i4s", data[start - 8:start])
    if plen != length or ptag != tag:
        fail("block head %r/%d does not match trailer %r/%d" % (ptag, plen, tag, length))
    return tag.decode(), w, h, start, length


def cmd_blocks(path):
    data = open(path, "rb").read()
    tag, w, h, tstart, tlen = read_block(data, len(data))
    if tag != "TEMP":
        fail("last block is %s" % tag)
    if tlen != 2 * w * h + 16640:
        fail("TEMP length %d for %dx%d" % (tlen, w, h))
    hw, hh = struct.unpack("<HH", data[tstart + 40:tstart + 44])
    frame = data[tstart + 16512:tstart + 16512 + 128 + 2 * w * h]
    ctag, cw, ch, cstart, clen = read_block(data, tstart - 8)
    if ctag != "CONF":
        fail("block before TEMP is %s" % ctag)
    conf = data[cstart:cstart + clen]
    magic, = struct.unpack("<I", conf[0:4])
    capture, = struct.unpack("<q", conf[8:16])
    width, height, fps_num, fps_div, frame_count = struct.unpack("<HHHHi", conf[48:60])
    palette, = struct.unpack("<i", conf[276:280])
    count, = struct.unpack("<i", conf[344:348])
    types = [conf[348 + 216 * i + 68] for i in range(max(0, min(count, 32)))]
    names = [conf[348 + 216 * i:348 + 216 * i + 64].split(b"\0")[0].decode("utf-8", "replace")
             for i in range(max(0, min(count, 32)))]
    print(json.dumps({
        "temp": {"width": w, "height": h, "header_width": hw, "header_height": hh},
        "conf": {"width": cw, "height": ch, "length": clen, "magic": magic, "captureTime": capture,
                 "recordWidth": width, "recordHeight": height, "fpsNum": fps_num, "fpsDiv": fps_div,
                 "frameCount": frame_count, "paletteIndex": palette, "meaCount": count,
                 "types": types, "names": names},
        "image_length": cstart - 8,
        "png_length": png_length(data[:cstart - 8]),
        "frame_sha256": hashlib.sha256(frame).hexdigest()}))


def stream_geometry(data_head):
    if data_head[:2] != b"BM":
        fail("not a stream")
    w, = struct.unpack("<i", data_head[18:22])
    h = -struct.unpack("<i", data_head[22:26])[0]
    return w, h


def cmd_cut(src_path, cut_path, indices):
    with open(cut_path, "rb") as f:
        cut = f.read()
    w, h = stream_geometry(cut)
    p = w * h
    fsize = 2 * p + 128
    first = 4 * p + 1216
    bm_size, = struct.unpack("<I", cut[2:6])
    head = cut[4 * p + 1088:4 * p + 1216]
    fps_num, fps_div = struct.unpack("<HH", head[116:120])
    cw, ch = struct.unpack("<HH", head[40:44])
    frames = (len(cut) - first - 7308) // fsize
    tail_ok = len(cut) - first - frames * fsize == 7308 and cut[first + frames * fsize + 4:first + frames * fsize + 8] == b"CONF"
    equal = frames == len(indices)
    with open(src_path, "rb") as src:
        sw, sh = stream_geometry(src.read(64))
        equal = equal and (sw, sh) == (w, h)
        for k, index in enumerate(indices):
            if not equal:
                break
            src.seek(first + int(index) * fsize)
            equal = src.read(fsize) == cut[first + k * fsize:first + (k + 1) * fsize]
    print(json.dumps({"width": w, "height": h, "bm_size": bm_size, "fpsNum": fps_num, "fpsDiv": fps_div,
                      "head_width": cw, "head_height": ch, "palette": head[124], "frames": frames,
                      "conf_tail": tail_ok, "equal": equal,
                      "cover_sha256": hashlib.sha256(cut[64:64 + 4 * p]).hexdigest()}))


def cmd_frame(path, index):
    with open(path, "rb") as f:
        w, h = stream_geometry(f.read(64))
        p = w * h
        f.seek(4 * p + 1216 + int(index) * (2 * p + 128))
        frame = f.read(2 * p + 128)
    if len(frame) != 2 * p + 128:
        fail("short frame")
    print(json.dumps({"sha256": hashlib.sha256(frame).hexdigest()}))


def cmd_mp4(path):
    r = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                        "stream=codec_name,width,height,nb_read_frames,avg_frame_rate", "-of", "json", path],
                       capture_output=True, text=True)
    if r.returncode != 0:
        fail(r.stderr)
    s = json.loads(r.stdout)["streams"][0]
    num, den = (int(v) for v in s["avg_frame_rate"].split("/"))
    print(json.dumps({"codec": s["codec_name"], "width": s["width"], "height": s["height"],
                      "frames": int(s["nb_read_frames"]), "rate_num": num, "rate_den": den}))


def cmd_psnr(video, picture):
    with tempfile.TemporaryDirectory() as d:
        first = os.path.join(d, "first.png")
        r = subprocess.run(["ffmpeg", "-v", "error", "-i", video, "-frames:v", "1", first], capture_output=True, text=True)
        if r.returncode != 0:
            fail(r.stderr)
        a = Image.open(first).convert("RGB")
        data = open(picture, "rb").read()
        b = Image.open(io.BytesIO(data)).convert("RGB")
    # The video drops an odd last row or column.
    b = b.crop((0, 0, a.size[0], a.size[1]))
    if a.size != b.size:
        fail("sizes %s and %s" % (a.size, b.size))
    pa, pb = a.tobytes(), b.tobytes()
    se = sum((x - y) * (x - y) for x, y in zip(pa, pb))
    mse = se / len(pa)
    print(json.dumps({"psnr": 99.0 if mse == 0 else 10 * math.log10(255 * 255 / mse)}))


def main(argv):
    if len(argv) < 3:
        fail(__doc__)
    cmd, args = argv[1], argv[2:]
    if cmd == "picture":
        cmd_picture(args[0], args[1:])
    elif cmd == "png":
        cmd_png(args[0])
    elif cmd == "blocks":
        cmd_blocks(args[0])
    elif cmd == "cut":
        cmd_cut(args[0], args[1], args[2:])
    elif cmd == "frame":
        cmd_frame(args[0], args[1])
    elif cmd == "mp4":
        cmd_mp4(args[0])
    elif cmd == "psnr":
        cmd_psnr(args[0], args[1])
    else:
        fail("unknown command " + cmd)


if __name__ == "__main__":
    main(sys.argv)
