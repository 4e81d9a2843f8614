#!/usr/bin/env python3
"""Draws the six 32x32 256-colour tree images of the catalog editor into
resources/tree/. Run by hand when a picture changes; the .bmp files are
committed."""
import os
import struct
import sys

PALETTE = [
    (255, 255, 255),  # 0 background: the lists have no masks, so it matches the tree
    (0, 0, 0),        # 1 outline
    (240, 200, 80),   # 2 folder
    (200, 150, 40),   # 3 folder shade
    (250, 210, 170),  # 4 skin
    (255, 255, 255),  # 5 white
    (60, 110, 220),   # 6 blue
    (200, 40, 40),    # 7 red
    (120, 120, 120),  # 8 grey
    (40, 150, 60),    # 9 green
]


def blank():
    return [[0] * 32 for _ in range(32)]


def rect(p, x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            if 0 <= x < 32 and 0 <= y < 32:
                p[y][x] = c


def frame(p, x0, y0, x1, y1, c):
    rect(p, x0, y0, x1, y0, c)
    rect(p, x0, y1, x1, y1, c)
    rect(p, x0, y0, x0, y1, c)
    rect(p, x1, y0, x1, y1, c)


def disc(p, cx, cy, r, c):
    for y in range(32):
        for x in range(32):
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                p[y][x] = c


def ring(p, cx, cy, r, w, c):
    for y in range(32):
        for x in range(32):
            d = (x - cx) ** 2 + (y - cy) ** 2
            if (r - w) ** 2 <= d <= r * r:
                p[y][x] = c


def folder(p):
    rect(p, 2, 6, 12, 9, 3)
    frame(p, 2, 6, 12, 9, 1)
    rect(p, 2, 9, 29, 26, 2)
    frame(p, 2, 9, 29, 26, 1)
    rect(p, 3, 24, 28, 25, 3)


def hand(p):
    # an open palm under the folder's front edge
    rect(p, 8, 24, 22, 30, 4)
    for i, x in enumerate((8, 12, 16, 20)):
        rect(p, x, 19 - (i % 2) * 2, x + 2, 24, 4)
        frame(p, x, 19 - (i % 2) * 2, x + 2, 24, 1)
    rect(p, 23, 22, 27, 25, 4)
    frame(p, 8, 24, 22, 30, 1)


def people(p):
    for cx, c in ((11, 6), (21, 7)):
        disc(p, cx, 14, 3, 4)
        ring(p, cx, 14, 3, 1, 1)
        rect(p, cx - 4, 18, cx + 4, 25, c)
        frame(p, cx - 4, 18, cx + 4, 25, 1)


def documents(p):
    for i in range(3):
        x, y = 9 + i * 3, 12 + i * 3
        rect(p, x, y - 2, x + 10, y + 9, 5)
        frame(p, x, y - 2, x + 10, y + 9, 1)
    for y in (21, 23, 25):
        rect(p, 17, y, 24, y, 8)


def magnifier(p):
    disc(p, 14, 16, 6, 5)
    ring(p, 14, 16, 6, 2, 1)
    for i in range(7):
        rect(p, 18 + i, 20 + i, 20 + i, 22 + i, 1)


def note(p):
    disc(p, 12, 22, 3, 1)
    disc(p, 21, 20, 3, 1)
    rect(p, 14, 11, 15, 22, 1)
    rect(p, 23, 9, 24, 20, 1)
    rect(p, 14, 10, 24, 12, 1)


IMAGES = {
    116: [folder, hand],
    114: [folder],
    118: [folder, people],
    117: [folder, documents],
    115: [folder, magnifier],
    119: [folder, note],
}


def bmp(pixels):
    colours = PALETTE + [(0, 0, 0)] * (256 - len(PALETTE))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    rows = b"".join(bytes(pixels[y]) for y in range(31, -1, -1))
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, 32, 32, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
    return header + info + palette + rows


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources", "tree")
    os.makedirs(out, exist_ok=True)
    for number, steps in IMAGES.items():
        p = blank()
        for step in steps:
            step(p)
        with open(os.path.join(out, "tree%d.bmp" % number), "wb") as f:
            f.write(bmp(p))


if __name__ == "__main__":
    main()
