#!/usr/bin/env python3
"""Writes the demo's hypsometric palette: a TGA image one row high whose columns run from elevation 0
(left) to elevation 9000 (right), one column per file unit, as `orvantis-cli elev-to-color` reads it.

The colours follow the usual relief-map ramp, spread over the demo terrain's 236 .. 1076 metres: dark
green valleys, lighter greens, yellow-brown slopes, brown and grey ridges, white on the highest tops.

Usage: make-palette.py OUT.tga
"""
import struct
import sys

WIDTH = 9000

# (elevation, (red, green, blue)); linear in between, constant beyond the ends.
RAMP = [
    (0, (30, 80, 40)),
    (250, (36, 98, 46)),
    (400, (72, 136, 62)),
    (520, (128, 168, 84)),
    (640, (188, 182, 112)),
    (760, (170, 136, 86)),
    (880, (132, 100, 70)),
    (980, (150, 146, 140)),
    (1040, (206, 204, 200)),
    (1100, (250, 250, 250)),
]


def colour(e):
    if e <= RAMP[0][0]:
        return RAMP[0][1]
    for (e0, c0), (e1, c1) in zip(RAMP, RAMP[1:]):
        if e <= e1:
            t = (e - e0) / (e1 - e0)
            return tuple(round(a + (b - a) * t) for a, b in zip(c0, c1))
    return RAMP[-1][1]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 24, 0, 0, WIDTH, 1, 24, 0)
    row = bytearray()
    for e in range(WIDTH):
        r, g, b = colour(e)
        row += bytes((b, g, r))
    with open(sys.argv[1], "wb") as f:
        f.write(header + bytes(row))


if __name__ == "__main__":
    main()
