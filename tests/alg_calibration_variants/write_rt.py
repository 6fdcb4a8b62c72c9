#!/usr/bin/python3
"""Writes resistance tables of a beta-model NTC thermistor (beta 3950 K, 10 kOhm at 25 degC) read
through a divider: reading = full * R / (R + Rs), so R = Rs / (full / reading - 1), which the
table head carries as A = Rs * 1000 and B = full * 1000.

usage: write_rt.py OUTDIR
  OUTDIR/ntc.rt      -40..150 degC every 5 degC (temperature falling, resistance rising)
  OUTDIR/falling.rt  the same with one resistance out of order
"""
import math
import struct
import sys

BETA, R25, RS, FULL = 3950.0, 10000.0, 10000, 60000


def resistance(t_c):
    return R25 * math.exp(BETA * (1.0 / (t_c + 273.15) - 1.0 / 298.15))


def table(pairs):
    head = bytearray(128)
    struct.pack_into("<iii", head, 32, len(pairs), RS * 1000, FULL * 1000)
    return bytes(head) + b"".join(struct.pack("<ii", t, r) for t, r in pairs)


def main():
    out = sys.argv[1]
    pairs = [(t * 1000, round(resistance(t))) for t in range(150, -41, -5)]
    with open(f"{out}/ntc.rt", "wb") as f:
        f.write(table(pairs))
    bad = list(pairs)
    bad[10] = (bad[10][0], bad[8][1])
    with open(f"{out}/falling.rt", "wb") as f:
        f.write(table(bad))


if __name__ == "__main__":
    main()
