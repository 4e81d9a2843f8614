#!/usr/bin/env python3
"""Draws the dialog's drop-area bitmap and the program icons (standard library
only). The outputs are committed in resources/art; run again after a change:

    tools/draw-dialog-art.py resources/art
"""
import math
import struct
import sys


def bmp8(width, height, pixels, palette):
    """A bottom-up 8-bit BMP; pixels[y][x] are palette indexes, top row first."""
    stride = (width + 3) & ~3
    rows = b"".join(bytes(pixels[y]) + b"\0" * (stride - width) for y in reversed(range(height)))
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    pal += b"\0" * (4 * (256 - len(palette)))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
    offset = 14 + len(header) + len(pal)
    return b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) + header + pal + rows


def icon_image(size, rgba):
    """One 32-bit icon image (XOR bitmap with alpha, plus an all-clear AND mask)."""
    rows = b"".join(bytes(rgba[y][x][c] for x in range(size) for c in (2, 1, 0, 3)) for y in reversed(range(size)))
    mask_stride = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_stride * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(rows) + len(mask), 0, 0, 0, 0)
    return header + rows + mask


def ico(images):
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = b""
    for size, blob in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset + len(data))
        data += blob
    return out + data


def draw_icon(size):
    """A screen showing a blue sky with a sun, on a small stand."""
    px = [[(0, 0, 0, 0) for _ in range(size)] for _ in range(size)]
    s = size / 32.0

    def fill(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                px[y][x] = colour

    fill(1, 3, 31, 25, (40, 40, 48, 255))        # bezel
    fill(3, 5, 29, 23, (70, 130, 210, 255))      # sky
    fill(3, 17, 29, 23, (60, 150, 80, 255))      # hills
    cx, cy, r = 21 * s, 10 * s, 3.5 * s          # sun
    for y in range(size):
        for x in range(size):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                px[y][x] = (250, 210, 60, 255)
    fill(13, 25, 19, 28, (90, 90, 100, 255))     # stand
    fill(8, 28, 24, 30, (90, 90, 100, 255))
    return px


def draw_drop_area(width, height):
    """A dashed frame around an arrow pointing down into a tray: drop here."""
    palette = [(236, 240, 248), (60, 110, 190), (150, 170, 200), (255, 255, 255)]
    px = [[0] * width for _ in range(height)]
    for x in range(width):
        for y in (1, 2, height - 3, height - 2):
            if (x // 5) % 2 == 0:
                px[y][x] = 2
    for y in range(height):
        for x in (1, 2, width - 3, width - 2):
            if (y // 5) % 2 == 0:
                px[y][x] = 2
    cx = width // 2
    shaft_w, top, shaft_end = 6, 10, height // 2 + 4
    for y in range(top, shaft_end):
        for x in range(cx - shaft_w, cx + shaft_w):
            px[y][x] = 1
    head = 16
    for i in range(head):
        y = shaft_end + i
        half = head - i
        for x in range(cx - half, cx + half):
            px[y][x] = 1
    tray_y = shaft_end + head + 3
    for y in range(tray_y, min(tray_y + 3, height - 5)):
        for x in range(12, width - 12):
            px[y][x] = 1
    for y in range(tray_y - 8, tray_y):
        for x in list(range(12, 15)) + list(range(width - 15, width - 12)):
            px[y][x] = 1
    return bmp8(width, height, px, palette)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "resources/art"
    with open(f"{folder}/drop_area.bmp", "wb") as f:
        f.write(draw_drop_area(80, 76))
    images = [(32, icon_image(32, draw_icon(32))), (16, icon_image(16, draw_icon(16)))]
    with open(f"{folder}/kelvane.ico", "wb") as f:
        f.write(ico(images))
    with open(f"{folder}/kelvane_small.ico", "wb") as f:
        f.write(ico([images[1]]))


if __name__ == "__main__":
    main()
