#!/usr/bin/python3
"""Prints the palette, the item count and each item's type of a file's stored record.

Usage: stored_view.py <picture or stream file>. The record follows the first "CONF" block head
(int32 length 7264, tag); palette at 276, count at 344, items of 216 bytes from 348 (type at 68).
"""
import struct
import sys

data = open(sys.argv[1], "rb").read()
k = data.find(struct.pack("<i4s", 7264, b"CONF"))
if k < 0:
    print("none")
    sys.exit(0)
k += 8
palette, = struct.unpack_from("<i", data, k + 276)
count, = struct.unpack_from("<i", data, k + 344)
print(palette, count, *[data[k + 348 + 216 * i + 68] for i in range(count)])
