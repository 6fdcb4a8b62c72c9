#!/usr/bin/env python3
"""write-app-config.py <AppConfig.bin> <language> <save folder>

Writes Calorvue's settings record "AppConfig.bin" (2068 bytes, little-endian): the magic
20240101, the language index (0 "zh_CN", 1 "en_US"), the save folder, no last workspace, the
save modes "ask" and a display limit of 100 frames per second: the program's own defaults
except for the language. The run scripts write it only when the program has no settings yet,
so a user's own choice stays.
"""
import struct
import sys

MAGIC = 20240101
SIZE = 2068


def record(language: int, save_dir: str) -> bytes:
    raw = save_dir.encode("utf-8")
    if len(raw) >= 1024:
        raise ValueError("save folder of %d UTF-8 bytes; at most 1023 fit" % len(raw))
    data = struct.pack("<ii", MAGIC, language) + raw.ljust(1024, b"\0") + b"\0" * 1024
    data += struct.pack("<iii", 0, 0, 100)
    assert len(data) == SIZE
    return data


def main(argv: list) -> int:
    if len(argv) != 4:
        print(__doc__.strip().splitlines()[0], file=sys.stderr)
        return 2
    try:
        language = int(argv[2])
        data = record(language, argv[3])
    except ValueError as e:
        print("write-app-config: %s" % e, file=sys.stderr)
        return 2
    with open(argv[1], "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
