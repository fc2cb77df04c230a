#!/usr/bin/env python3
"""Draws the application icon and writes it in the forms the build ships.

16 x 16 pixels, black, with a 5 x 5 grid of white 2 x 2 squares; every row and
column of squares is bordered by a one-pixel black line, the edges included.
Larger sizes are the same pixels scaled without smoothing.

    python3 make_icons.py      # rewrites dravolt.png, dravolt.ico and icons/NxN/
"""
import os
import struct
import zlib

LINES = {0, 3, 6, 9, 12, 15}


def white(x, y):
    return x not in LINES and y not in LINES


def png(size):
    scale = size // 16
    rows = b"".join(
        b"\x00" + bytes(255 if white(x // scale, y // scale) else 0 for x in range(size))
        for y in range(size))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 0, 0, 0, 0)  # 8-bit greyscale
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def ico():
    """A 16-colour (4 bits per pixel) Windows icon."""
    palette = [(0, 0, 0), (255, 255, 255)] + [(0, 0, 0)] * 14
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    xor = b""
    for y in reversed(range(16)):  # bottom-up rows
        row = bytearray()
        for x in range(0, 16, 2):
            row.append((white(x, y) << 4) | int(white(x + 1, y)))
        xor += bytes(row)
    mask = b"\x00\x00\x00\x00" * 16  # opaque; rows padded to 32 bits
    bmp = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = bmp + pal + xor + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 16, 16, 16, 0, 1, 4, len(image), 22) + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "dravolt.png"), "wb") as f:
        f.write(png(16))
    with open(os.path.join(here, "dravolt.ico"), "wb") as f:
        f.write(ico())
    for size in (32, 48, 64, 128, 256):
        folder = os.path.join(here, "icons", f"{size}x{size}")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "dravolt.png"), "wb") as f:
            f.write(png(size))


if __name__ == "__main__":
    main()
