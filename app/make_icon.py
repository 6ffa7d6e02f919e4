#!/usr/bin/env python3
"""Writes tvexsetup.ico: the installer's icon, a sine trace on a blue tile, in the small and big
icon sizes of the usual display scales (100 % to 200 %), so that no size is stretched from another.

Run once by hand when the picture changes; the .ico is kept in the repository.
"""
import math
import struct
import sys


def pixels(size):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            margin = size // 16
            inside = margin <= x < size - margin and margin <= y < size - margin
            if not inside:
                row.append((0, 0, 0, 0))
                continue
            # A sine trace across the tile, two pixels thick at 32.
            u = (x - margin) / (size - 2 * margin - 1)
            trace = size / 2 - (size / 3.2) * math.sin(u * 2 * math.pi)
            thick = max(1.0, size / 20)
            if abs(y - trace) <= thick:
                row.append((255, 255, 255, 255))
            elif y == size // 2:
                row.append((150, 180, 230, 255))
            else:
                row.append((40, 70, 160, 255))
        rows.append(row)
    return rows


def image(size):
    rows = pixels(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + xor + bytes(mask)


def main(path):
    sizes = [16, 20, 24, 32, 40, 48, 64]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "tvexsetup.ico")
