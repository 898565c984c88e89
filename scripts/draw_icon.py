#!/usr/bin/env python3
"""Draws the program's 32 x 32 icon (a folder holding a music note) as an
indexed-colour PNG: app/resources/quillfold.png. Standard library only."""
import os
import struct
import zlib

SIZE = 32
# Palette: 0 transparent, 1 outline, 2 folder, 3 folder shade, 4 note, 5 paper.
PALETTE = [(0, 0, 0), (60, 40, 10), (240, 196, 64), (214, 160, 40), (24, 32, 120),
           (255, 250, 235)]
ALPHA = [0, 255, 255, 255, 255, 255]


def draw():
    pixels = [[0] * SIZE for _ in range(SIZE)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                pixels[y][x] = colour

    def frame(x0, y0, x1, y1):
        for x in range(x0, x1 + 1):
            pixels[y0][x] = pixels[y1][x] = 1
        for y in range(y0, y1 + 1):
            pixels[y][x0] = pixels[y][x1] = 1

    fill(2, 6, 13, 9, 3)          # the folder's tab
    frame(2, 6, 13, 9)
    fill(2, 9, 29, 28, 3)         # back of the folder
    frame(2, 9, 29, 28)
    fill(5, 4, 26, 12, 5)         # a sheet sticking out
    frame(5, 4, 26, 12)
    fill(2, 12, 29, 28, 2)        # front of the folder
    frame(2, 12, 29, 28)
    # Two beamed notes on the front.
    fill(12, 15, 22, 16, 4)       # beam
    fill(12, 15, 13, 24, 4)       # left stem
    fill(21, 15, 22, 22, 4)       # right stem
    fill(9, 23, 13, 26, 4)        # left head
    fill(18, 21, 22, 24, 4)       # right head
    return pixels


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(pixels):
    raw = b"".join(b"\x00" + bytes(row) for row in pixels)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 3, 0, 0, 0))
            + chunk(b"PLTE", b"".join(bytes(colour) for colour in PALETTE))
            + chunk(b"tRNS", bytes(ALPHA))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


if __name__ == "__main__":
    target = os.path.join(os.path.dirname(__file__), "..", "app", "resources", "quillfold.png")
    with open(target, "wb") as out:
        out.write(png(draw()))
