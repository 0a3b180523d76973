#!/usr/bin/env python3
"""Draws Pebblora's pictures from code and writes them under resources/.

Run from anywhere: python3 tools/make_assets.py. The outputs are committed;
the build does not run this script. Pure Python (no imaging library), so it
runs on any machine that has python3.
"""
import math
import os
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RESOURCES = os.path.join(ROOT, "resources")


class Canvas:
    """An RGBA picture with coverage-based antialiasing (premultiplied-free)."""

    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width = width
        self.height = height
        self.pixels = [list(fill) for _ in range(width * height)]

    def blend(self, x, y, rgba, coverage):
        """Paints `rgba` over pixel (x, y) with the given coverage 0..1."""
        if coverage <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        r, g, b, a = rgba
        a = a / 255.0 * min(coverage, 1.0)
        dst = self.pixels[y * self.width + x]
        da = dst[3] / 255.0
        out_a = a + da * (1 - a)
        if out_a <= 0:
            return
        for i, c in enumerate((r, g, b)):
            dst[i] = (c * a + dst[i] * da * (1 - a)) / out_a
        dst[3] = out_a * 255.0

    def shape(self, inside, box, rgba, samples=4):
        """Fills the points where inside(px, py) holds, sampled per pixel."""
        x0, y0, x1, y1 = (int(math.floor(box[0])), int(math.floor(box[1])),
                          int(math.ceil(box[2])), int(math.ceil(box[3])))
        step = 1.0 / samples
        for y in range(max(0, y0), min(self.height, y1 + 1)):
            for x in range(max(0, x0), min(self.width, x1 + 1)):
                hits = 0
                for sy in range(samples):
                    for sx in range(samples):
                        if inside(x + (sx + 0.5) * step, y + (sy + 0.5) * step):
                            hits += 1
                self.blend(x, y, rgba, hits / (samples * samples))

    def rounded_rect(self, x0, y0, x1, y1, radius, rgba):
        def inside(px, py):
            cx = min(max(px, x0 + radius), x1 - radius)
            cy = min(max(py, y0 + radius), y1 - radius)
            return (px - cx) ** 2 + (py - cy) ** 2 <= radius ** 2 and x0 <= px <= x1 and y0 <= py <= y1
        self.shape(inside, (x0, y0, x1, y1), rgba)

    def ellipse(self, cx, cy, rx, ry, rgba):
        def inside(px, py):
            return ((px - cx) / rx) ** 2 + ((py - cy) / ry) ** 2 <= 1.0
        self.shape(inside, (cx - rx, cy - ry, cx + rx, cy + ry), rgba)

    def rgba_rows_bottom_up(self):
        for y in range(self.height - 1, -1, -1):
            yield [tuple(int(round(min(255, max(0, c)))) for c in self.pixels[y * self.width + x])
                   for x in range(self.width)]


def mix(c1, c2, t):
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))


# The five piece colours: warm and cool, told apart also by brightness.
PIECE_COLOURS = [
    (222, 64, 56),    # red
    (60, 132, 226),   # blue
    (246, 190, 40),   # yellow
    (70, 176, 84),    # green
    (156, 84, 200),   # violet
]


def draw_pebble(canvas, x, y, size, colour):
    """A rounded, lit pebble filling the cell (x, y, size)."""
    pad = size * 0.06
    r = size * 0.30
    dark = mix(colour, (0, 0, 0), 0.35)
    light = mix(colour, (255, 255, 255), 0.55)
    canvas.rounded_rect(x + pad, y + pad, x + size - pad, y + size - pad, r, dark + (255,))
    inset = size * 0.12
    canvas.rounded_rect(x + inset, y + inset * 0.8, x + size - inset, y + size - inset * 1.3,
                        r * 0.8, colour + (255,))
    canvas.ellipse(x + size * 0.36, y + size * 0.32, size * 0.16, size * 0.10, light + (220,))


def app_icon(size):
    """The program icon: nine pebbles on a slate tile."""
    c = Canvas(size, size)
    c.rounded_rect(0.5, 0.5, size - 0.5, size - 0.5, size * 0.18, (40, 46, 64, 255))
    c.rounded_rect(size * 0.06, size * 0.06, size * 0.94, size * 0.94, size * 0.14, (58, 66, 90, 255))
    cell = size * 0.88 / 3
    order = [0, 1, 2, 1, 2, 3, 2, 3, 4]
    for i in range(9):
        col, row = i % 3, i // 3
        draw_pebble(c, size * 0.06 + col * cell, size * 0.06 + row * cell, cell, PIECE_COLOURS[order[i]])
    return c


def dib_32bpp(canvas):
    """A BITMAPINFOHEADER image for an icon entry: colour rows plus AND mask."""
    w, h = canvas.width, canvas.height
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in canvas.rgba_rows_bottom_up():
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in canvas.rgba_rows_bottom_up():
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def write_ico(path, canvases):
    images = [dib_32bpp(c) for c in canvases]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        dim = lambda v: 0 if v >= 256 else v
        out += struct.pack("<BBBBHHII", dim(c.width), dim(c.height), 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def main():
    os.makedirs(os.path.join(RESOURCES, "icons"), exist_ok=True)
    # Small icon sizes at both densities, the large ones for the shell.
    write_ico(os.path.join(RESOURCES, "icons", "app.ico"), [app_icon(s) for s in (16, 32, 48, 64)])


if __name__ == "__main__":
    main()
