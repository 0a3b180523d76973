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


def inside_polygon(points):
    """The even-odd test of a polygon given as a list of (x, y)."""
    def inside(px, py):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


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
        self.fill(inside, box, lambda px, py: rgba, samples)

    def fill(self, inside, box, colour_at, samples=4):
        """Like shape, but the colour is colour_at(px, py) at the pixel's centre."""
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
                if hits:
                    self.blend(x, y, colour_at(x + 0.5, y + 0.5), hits / (samples * samples))

    def polygon(self, points, rgba):
        """Fills a polygon (even-odd rule) given as a list of (x, y)."""
        inside = inside_polygon(points)
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.shape(inside, (min(xs), min(ys), max(xs), max(ys)), rgba)

    def line(self, x0, y0, x1, y1, width, rgba):
        """A stroke of the given width with round ends."""
        self.polyline([(x0, y0), (x1, y1)], width, rgba)

    def polyline(self, points, width, rgba):
        """Connected strokes with round joins and ends, painted as one shape."""
        half = width / 2.0

        def near(px, py):
            for (ax, ay), (bx, by) in zip(points, points[1:]):
                dx, dy = bx - ax, by - ay
                length2 = dx * dx + dy * dy
                t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
                qx, qy = ax + t * dx - px, ay + t * dy - py
                if qx * qx + qy * qy <= half * half:
                    return True
            return False
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.shape(near, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half), rgba)

    def rect(self, x0, y0, x1, y1, rgba):
        self.shape(lambda px, py: x0 <= px <= x1 and y0 <= py <= y1, (x0, y0, x1, y1), rgba)

    def paste(self, other, ox, oy):
        """Paints another canvas over this one at (ox, oy), alpha included."""
        for y in range(other.height):
            for x in range(other.width):
                r, g, b, a = other.pixels[y * other.width + x]
                if a > 0:
                    self.blend(ox + x, oy + y, (r, g, b, 255), a / 255.0)

    def rgb_rows(self, background=(255, 255, 255)):
        """Top-down rows of opaque colours, the picture laid over `background`."""
        rows = []
        for y in range(self.height):
            row = []
            for x in range(self.width):
                r, g, b, a = self.pixels[y * self.width + x]
                t = a / 255.0
                row.append(tuple(int(round(min(255, max(0, c * t + bg * (1 - t)))))
                                 for c, bg in zip((r, g, b), background)))
            rows.append(row)
        return rows

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


def write_bmp24(path, rows):
    """Writes top-down rows of (r, g, b) as a bottom-up 24-bit BMP file."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        data += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + bytes(data))


def normalize(v):
    length = math.sqrt(sum(c * c for c in v))
    return tuple(c / length for c in v)


def dot(a, b):
    return sum(x * y for x, y in zip(a, b))


# ---- Board: background stripes and pieces ------------------------------------------

# A dark slate board, so that the saturated pebbles stand out: a faint lit
# line and a faint groove in every period of 4 rows.
BOARD_STRIPES = [(62, 70, 94), (54, 61, 83), (54, 61, 83), (47, 53, 73)]
LIGHT = normalize((-0.45, -0.7, 0.85))
HALFWAY = normalize((LIGHT[0], LIGHT[1], LIGHT[2] + 1.0))


def board_background(width, height):
    """Opaque stripes in phase with the top edge: row y has stripe y mod 4."""
    c = Canvas(width, height)
    for y in range(height):
        for x in range(width):
            c.pixels[y * width + x] = list(BOARD_STRIPES[y % len(BOARD_STRIPES)]) + [255]
    return c


def draw_piece(canvas, x, y, size, colour, marked):
    """A glossy, slightly squared pebble in the cell (x, y, size). A marked
    piece is lighter, ringed in white and sits on a cell lit in its colour,
    so that a marked group reads as one lit patch."""
    cx, cy = x + size / 2.0, y + size / 2.0
    radius = size * 0.42
    power = 2.6
    box = (x, y, x + size, y + size)

    def reach(px, py, ox=0.0, oy=0.0):
        nx, ny = abs(px - cx - ox) / radius, abs(py - cy - oy) / radius
        return (nx ** power + ny ** power) ** (1.0 / power)

    if marked:
        glow = mix(colour, (255, 255, 255), 0.25)
        canvas.rect(x, y, x + size, y + size, glow + (120,))
        canvas.fill(lambda px, py: reach(px, py) <= 1.45, box,
                    lambda px, py: glow + (int(160 * max(0.0, 1.0 - (reach(px, py) - 1.0) / 0.45)),))
    canvas.shape(lambda px, py: reach(px, py, 0.5, 0.9) <= 1.0, box, (0, 0, 0, 120))

    base = mix(colour, (255, 255, 255), 0.18) if marked else colour

    def shade(px, py):
        nx, ny = (px - cx) / radius, (py - cy) / radius
        d = min(1.0, reach(px, py))
        nz = math.sqrt(max(0.0, 1.0 - d * d))
        normal = normalize((nx, ny, nz * 1.3 + 0.05))
        light = 0.42 + 0.75 * max(0.0, dot(normal, LIGHT))
        lit = tuple(min(255.0, c * light) for c in base)
        shine = max(0.0, dot(normal, HALFWAY)) ** 28 * 0.95
        return tuple(c + (255 - c) * shine for c in lit) + (255,)

    canvas.fill(lambda px, py: reach(px, py) <= 1.0, box, shade)
    if marked:
        band = 1.15 / radius
        canvas.shape(lambda px, py: 1.0 - band * 0.3 <= reach(px, py) <= 1.0 + band, box,
                     (255, 255, 255, 240))


def piece_strip(cell=16):
    """Five colours side by side, normal row above, marked row below; every
    cell carries the board stripes so that it can be copied as a block."""
    c = board_background(cell * len(PIECE_COLOURS), cell * 2)
    for k, colour in enumerate(PIECE_COLOURS):
        draw_piece(c, k * cell, 0, cell, colour, marked=False)
        draw_piece(c, k * cell, cell, cell, colour, marked=True)
    return c


# ---- Score digits ----------------------------------------------------------------------

DIGIT_CHARS = "0123456789-"
DIGIT_WIDTH, DIGIT_HEIGHT = 13, 20
DIGIT_LIT = (36, 44, 66)
DIGIT_UNLIT = (234, 237, 243)
SEGMENTS = {
    "0": "abcdef", "1": "bc", "2": "abged", "3": "abgcd", "4": "fgbc", "5": "afgcd",
    "6": "afgedc", "7": "abc", "8": "abcdefg", "9": "abcdfg", "-": "g",
}


def segment_polygon(x0, y0, x1, y1, thickness, gap):
    """A pointed bar between two points on a horizontal or vertical line."""
    h = thickness / 2.0
    if y0 == y1:
        a, b = x0 + gap, x1 - gap
        return [(a, y0), (a + h, y0 - h), (b - h, y0 - h), (b, y0), (b - h, y0 + h), (a + h, y0 + h)]
    a, b = y0 + gap, y1 - gap
    return [(x0, a), (x0 + h, a + h), (x0 + h, b - h), (x0, b), (x0 - h, b - h), (x0 - h, a + h)]


def digit_strip():
    """Seven-segment glyphs, dark on white like the score band, with the
    unlit segments faintly shown; the last glyph is the minus sign."""
    c = Canvas(DIGIT_WIDTH * len(DIGIT_CHARS), DIGIT_HEIGHT, (255, 255, 255, 255))
    # Segment centre lines on whole pixels and 2-pixel strokes keep the
    # upright edges sharp.
    left, right, top, middle, bottom = 2.0, 11.0, 2.0, 10.0, 18.0
    thickness, gap = 2.0, 0.5
    lines = {
        "a": (left, top, right, top), "g": (left, middle, right, middle), "d": (left, bottom, right, bottom),
        "f": (left, top, left, middle), "b": (right, top, right, middle),
        "e": (left, middle, left, bottom), "c": (right, middle, right, bottom),
    }
    for i, ch in enumerate(DIGIT_CHARS):
        ox = i * DIGIT_WIDTH
        for name, (x0, y0, x1, y1) in sorted(lines.items()):
            shape = segment_polygon(x0, y0, x1, y1, thickness, gap)
            points = [(ox + px, py) for px, py in shape]
            colour = DIGIT_LIT if name in SEGMENTS[ch] else DIGIT_UNLIT
            c.polygon(points, colour + (255,))
    return c


# ---- Gauge colours ------------------------------------------------------------------------

def gauge_palette(columns=35):
    """Column colours: the levels (light blue, green, yellow, orange, red),
    three spares, light grey for the empty part, then a colour wheel."""
    named = [(92, 172, 236), (80, 184, 88), (206, 204, 56), (244, 148, 40), (224, 60, 50),
             (150, 102, 206), (56, 164, 172), (232, 110, 168), (214, 216, 222)]
    wheel = []
    for i in range(columns - len(named)):
        hue = i / float(columns - len(named))
        wheel.append(hsv_to_rgb(hue, 0.62, 0.88))
    return named + wheel


def hsv_to_rgb(h, s, v):
    i = int(h * 6) % 6
    f = h * 6 - int(h * 6)
    p, q, t = v * (1 - s), v * (1 - f * s), v * (1 - (1 - f) * s)
    r, g, b = [(v, t, p), (q, v, p), (p, v, t), (p, q, v), (t, p, v), (v, p, q)][i]
    return (int(round(r * 255)), int(round(g * 255)), int(round(b * 255)))


def gauge_column(colour, rows=64):
    """A glossy vertical gradient: a light upper half easing into the colour,
    then the colour darkening towards the bottom."""
    light = mix(colour, (255, 255, 255), 0.55)
    bright = mix(colour, (255, 255, 255), 0.12)
    dark = mix(colour, (0, 0, 0), 0.22)
    out = []
    for y in range(rows):
        t = y / float(rows - 1)
        if t < 0.45:
            out.append(mix(light, bright, (t / 0.45) ** 1.5))
        else:
            out.append(mix(colour, dark, (t - 0.45) / 0.55))
    return out


def gauge_strip():
    columns = [gauge_column(c) for c in gauge_palette()]
    return [[columns[x][y] for x in range(len(columns))] for y in range(64)]


# ---- Menu-bar buttons -------------------------------------------------------------------

# Buttons are drawn over magenta, the mask colour; edge pixels are blended
# over a light button face so that they sit well on the bar.
MASK_COLOUR = (255, 0, 255)
BUTTON_FACE = (240, 240, 240)


def folder(c, u, ox, top, colour=(244, 196, 72)):
    edge = (168, 118, 24)
    back = [(1.5, top), (6.0, top), (7.2, top + 1.3), (14.5, top + 1.3), (14.5, 14.5), (1.5, 14.5)]
    c.polygon([(ox + x * u, y * u) for x, y in back], edge + (255,))
    inner = [(2.3, top + 0.8), (5.7, top + 0.8), (6.9, top + 2.1), (13.7, top + 2.1), (13.7, 13.7), (2.3, 13.7)]
    c.polygon([(ox + x * u, y * u) for x, y in inner], mix(colour, (255, 255, 255), 0.1) + (255,))
    front = [(2.3, top + 3.4), (13.7, top + 3.4), (13.7, 13.7), (2.3, 13.7)]
    c.polygon([(ox + x * u, y * u) for x, y in front], colour + (255,))
    c.line(ox + 2.3 * u, (top + 3.4) * u, ox + 13.7 * u, (top + 3.4) * u, 0.8 * u,
           mix(colour, (255, 255, 255), 0.5) + (255,))


def button_cancel(c, u, ox):
    for (x0, y0, x1, y1) in ((3.8, 3.8, 12.2, 12.2), (12.2, 3.8, 3.8, 12.2)):
        c.line(ox + x0 * u, y0 * u, ox + x1 * u, y1 * u, 3.6 * u, (150, 28, 24, 255))
    for (x0, y0, x1, y1) in ((3.8, 3.8, 12.2, 12.2), (12.2, 3.8, 3.8, 12.2)):
        c.line(ox + x0 * u, y0 * u, ox + x1 * u, y1 * u, 2.2 * u, (228, 64, 52, 255))


def button_ok(c, u, ox):
    points = [(ox + x * u, y * u) for x, y in ((2.9, 8.6), (6.3, 12.0), (13.2, 4.3))]
    c.polyline(points, 3.8 * u, (24, 112, 44, 255))
    c.polyline(points, 2.4 * u, (64, 184, 84, 255))


def button_new_folder(c, u, ox):
    folder(c, u, ox, 5.0)
    cx, cy = 11.8, 4.2
    for (x0, y0, x1, y1) in ((cx - 2.6, cy, cx + 2.6, cy), (cx, cy - 2.6, cx, cy + 2.6)):
        c.line(ox + x0 * u, y0 * u, ox + x1 * u, y1 * u, 2.8 * u, (255, 255, 255, 255))
    for (x0, y0, x1, y1) in ((cx - 2.2, cy, cx + 2.2, cy), (cx, cy - 2.2, cx, cy + 2.2)):
        c.line(ox + x0 * u, y0 * u, ox + x1 * u, y1 * u, 1.5 * u, (40, 150, 60, 255))


def button_delete(c, u, ox):
    edge = (84, 94, 112)
    c.rounded_rect(ox + 6.0 * u, 1.4 * u, ox + 10.0 * u, 3.6 * u, 0.8 * u, edge + (255,))
    body = [(3.6, 4.8), (12.4, 4.8), (11.5, 14.6), (4.5, 14.6)]
    c.polygon([(ox + x * u, y * u) for x, y in body], edge + (255,))
    inner = [(4.5, 5.6), (11.5, 5.6), (10.8, 13.8), (5.2, 13.8)]
    c.polygon([(ox + x * u, y * u) for x, y in inner], (206, 214, 226, 255))
    for x in (6.3, 8.0, 9.7):
        c.line(ox + x * u, 7.0 * u, ox + x * u, 12.4 * u, 0.9 * u, (120, 132, 152, 255))
    c.rounded_rect(ox + 2.4 * u, 3.2 * u, ox + 13.6 * u, 5.4 * u, 0.7 * u, edge + (255,))
    c.rect(ox + 3.2 * u, 3.9 * u, ox + 12.8 * u, 4.6 * u, (170, 180, 196, 255))


def button_properties(c, u, ox):
    c.rect(ox + 2.6 * u, 1.2 * u, ox + 13.4 * u, 14.8 * u, (104, 114, 132, 255))
    c.rect(ox + 3.4 * u, 2.0 * u, ox + 12.6 * u, 14.0 * u, (255, 255, 255, 255))
    for row, y in enumerate((4.4, 7.8, 11.2)):
        c.rect(ox + 4.6 * u, (y - 1.0) * u, ox + 6.6 * u, (y + 1.0) * u, (52, 120, 214, 255))
        c.line(ox + 8.0 * u, y * u, ox + (11.2 if row != 1 else 10.0) * u, y * u, 1.1 * u,
               (112, 120, 136, 255))


def button_up(c, u, ox):
    folder(c, u, ox, 2.5)
    head = [(8.0, 5.6), (12.0, 9.6), (9.5, 9.6), (9.5, 12.8), (6.5, 12.8), (6.5, 9.6), (4.0, 9.6)]
    c.polygon([(ox + x * u, y * u) for x, y in head], (24, 112, 44, 255))
    inner = [(8.0, 6.9), (10.3, 9.0), (8.8, 9.0), (8.8, 12.1), (7.2, 12.1), (7.2, 9.0), (5.7, 9.0)]
    c.polygon([(ox + x * u, y * u) for x, y in inner], (76, 196, 96, 255))


def button_back(c, u, ox):
    outer = [(1.4, 8.0), (7.6, 1.8), (7.6, 5.2), (14.6, 5.2), (14.6, 10.8), (7.6, 10.8), (7.6, 14.2)]
    c.polygon([(ox + x * u, y * u) for x, y in outer], (28, 74, 156, 255))
    inner = [(2.9, 8.0), (6.8, 4.1), (6.8, 6.0), (13.8, 6.0), (13.8, 10.0), (6.8, 10.0), (6.8, 11.9)]
    c.polygon([(ox + x * u, y * u) for x, y in inner], (70, 140, 230, 255))
    c.line(ox + 7.4 * u, 6.9 * u, ox + 13.0 * u, 6.9 * u, 0.8 * u, (150, 196, 248, 255))


def button_forward(c, u, ox):
    """The back arrow turned to point right."""
    mirrored = Canvas(c.width, c.height)
    button_back(mirrored, u, 0)
    side = int(round(16 * u))
    for y in range(side):
        for x in range(side):
            pixel = mirrored.pixels[y * mirrored.width + (side - 1 - x)]
            if pixel[3] > 0:
                c.blend(ox + x, y, (pixel[0], pixel[1], pixel[2], 255), pixel[3] / 255.0)


def button_view_menu(c, u, ox):
    """Rows of a list with a small drop-down triangle: the view choices."""
    for y in (2.6, 6.6, 10.6):
        c.rect(ox + 1.0 * u, (y - 1.3) * u, ox + 3.6 * u, (y + 1.3) * u, (52, 120, 214, 255))
        c.line(ox + 5.2 * u, y * u, ox + 10.6 * u, y * u, 1.3 * u, (70, 78, 96, 255))
    c.polygon([(ox + 9.6 * u, 10.4 * u), (ox + 15.4 * u, 10.4 * u), (ox + 12.5 * u, 14.2 * u)],
              (32, 36, 44, 255))


# Image indices 0 to 8, the order of the file dialog's toolbar; the other
# dialogs' menu bars use 0 and 1 only.
BUTTONS = [button_cancel, button_ok, button_back, button_forward, button_up, button_new_folder,
           button_delete, button_view_menu, button_properties]


def masked_rows(c, threshold=40):
    """Rows of opaque colours: pixels below `threshold` alpha become the mask
    colour, the others are blended over the button face."""
    rows = []
    for y in range(c.height):
        row = []
        for x in range(c.width):
            r, g, b, a = c.pixels[y * c.width + x]
            if a < threshold:
                row.append(MASK_COLOUR)
            else:
                t = a / 255.0
                row.append(tuple(int(round(min(255, max(0, v * t + f * (1 - t)))))
                                 for v, f in zip((r, g, b), BUTTON_FACE)))
        rows.append(row)
    return rows


def button_strip(size):
    c = Canvas(size * len(BUTTONS), size)
    u = size / 16.0
    for i, draw in enumerate(BUTTONS):
        draw(c, u, i * size)
    return masked_rows(c)


# ---- About page icons -------------------------------------------------------------------

# Drawn on a 32-unit grid and scaled to each size; u is one grid unit.

def memory_icon(size):
    """A memory chip seen from above: a dark package with a notch, gold pins
    along both long sides and a faint sheen."""
    c = Canvas(size, size)
    u = size / 32.0
    pin = (212, 168, 60, 255)
    pin_edge = (140, 104, 24, 255)
    pins = 5 if size >= 24 else 3
    for i in range(pins):
        y = (8.0 + i * (16.0 / (pins - 1))) * u
        for x0, x1 in ((2.0, 8.0), (24.0, 30.0)):
            c.rect(x0 * u, y - 1.5 * u, x1 * u, y + 1.5 * u, pin_edge)
            c.rect((x0 + 0.5) * u, y - 0.9 * u, (x1 - 0.5) * u, y + 0.9 * u, pin)
    c.rounded_rect(6.0 * u, 3.0 * u, 26.0 * u, 29.0 * u, 2.2 * u, (24, 28, 34, 255))
    c.rounded_rect(7.0 * u, 4.0 * u, 25.0 * u, 28.0 * u, 1.6 * u, (52, 58, 68, 255))

    def sheen(px, py):
        t = (py / u - 4.0) / 24.0
        return mix((88, 96, 110), (44, 50, 60), max(0.0, min(1.0, t))) + (255,)
    c.fill(lambda px, py: 7.8 * u <= px <= 24.2 * u and 4.8 * u <= py <= 27.2 * u,
           (7.8 * u, 4.8 * u, 24.2 * u, 27.2 * u), sheen)
    # The orientation notch, cut into the package's top edge.
    c.shape(lambda px, py: ((px - 16.0 * u) / (3.0 * u)) ** 2 + ((py - 4.0 * u) / (2.6 * u)) ** 2 <= 1.0
            and py >= 4.0 * u, (13.0 * u, 4.0 * u, 19.0 * u, 6.6 * u), (24, 28, 34, 255))
    c.ellipse(11.0 * u, 9.0 * u, 1.5 * u, 1.5 * u, (150, 158, 172, 255))
    if size >= 32:
        for y in (15.0, 19.0):
            c.line(11.0 * u, y * u, 21.0 * u, y * u, 1.0 * u, (120, 128, 142, 255))
    return c


def storage_card_icon(size):
    """A memory card: a blue body with one corner cut, a white label and gold
    contacts along the top edge."""
    c = Canvas(size, size)
    u = size / 32.0
    outline = [(7.0, 2.0), (22.0, 2.0), (27.0, 7.0), (27.0, 30.0), (5.0, 30.0), (5.0, 4.0)]
    c.polygon([(x * u, y * u) for x, y in outline], (20, 52, 112, 255))
    body = [(7.8, 3.0), (21.6, 3.0), (26.0, 7.4), (26.0, 29.0), (6.0, 29.0), (6.0, 4.8)]

    def shade(px, py):
        t = (px / u - 6.0) / 20.0
        return mix((70, 130, 214), (40, 88, 170), max(0.0, min(1.0, t))) + (255,)
    xs = [x for x, _ in body]
    ys = [y for _, y in body]

    inside = inside_polygon([(x * u, y * u) for x, y in body])
    c.fill(inside, (min(xs) * u, min(ys) * u, max(xs) * u, max(ys) * u), shade)
    contacts = 4 if size >= 24 else 3
    width = 14.0 / contacts
    for i in range(contacts):
        x0 = 8.5 + i * width
        c.rect(x0 * u, 4.0 * u, (x0 + width - 1.2) * u, 10.0 * u, (230, 188, 70, 255))
    c.rounded_rect(8.5 * u, 14.0 * u, 23.5 * u, 26.5 * u, 1.2 * u, (246, 248, 252, 255))
    if size >= 32:
        for y in (17.5, 20.5, 23.5):
            c.line(10.5 * u, y * u, (21.5 if y != 23.5 else 17.5) * u, y * u, 1.0 * u, (120, 140, 176, 255))
    else:
        c.rect(10.5 * u, 18.0 * u, 21.5 * u, 20.0 * u, (120, 140, 176, 255))
    return c


def battery_icon(size):
    """An upright battery, three quarters charged: a dark case with a
    terminal on top and green charge bars behind a glossy front."""
    c = Canvas(size, size)
    u = size / 32.0
    c.rounded_rect(12.0 * u, 1.5 * u, 20.0 * u, 5.5 * u, 1.0 * u, (70, 76, 88, 255))
    c.rounded_rect(7.0 * u, 4.0 * u, 25.0 * u, 30.5 * u, 2.6 * u, (46, 52, 62, 255))
    c.rounded_rect(9.0 * u, 6.0 * u, 23.0 * u, 28.5 * u, 1.4 * u, (226, 232, 238, 255))
    bars = 4
    gap = 1.2
    inner_top, inner_bottom = 7.2, 27.3
    height = (inner_bottom - inner_top - gap * (bars - 1)) / bars
    for i in range(bars):
        y1 = inner_bottom - i * (height + gap)
        y0 = y1 - height
        filled = i < 3
        colour = (58, 178, 76) if filled else (200, 206, 214)

        def shade(px, py, colour=colour):
            t = (px / u - 10.2) / 11.6
            return mix(mix(colour, (255, 255, 255), 0.35), colour, max(0.0, min(1.0, t))) + (255,)
        c.fill(lambda px, py, y0=y0, y1=y1: 10.2 * u <= px <= 21.8 * u and y0 * u <= py <= y1 * u,
               (10.2 * u, y0 * u, 21.8 * u, y1 * u), shade)
    c.rect(10.4 * u, 7.4 * u, 12.0 * u, 27.0 * u, (255, 255, 255, 70))
    return c


def main():
    os.makedirs(os.path.join(RESOURCES, "icons"), exist_ok=True)
    # Small icon sizes at both densities, the large ones for the shell.
    write_ico(os.path.join(RESOURCES, "icons", "app.ico"), [app_icon(s) for s in (16, 32, 48, 64)])
    # The About pages' icons, drawn at the system icon size of both densities.
    for name, draw in (("memory.ico", memory_icon), ("storagecard.ico", storage_card_icon),
                       ("battery.ico", battery_icon)):
        write_ico(os.path.join(RESOURCES, "icons", name), [draw(s) for s in (16, 32, 48, 64)])
    # The standard images of the file dialog's image lists.
    from shell_icons import write_shell_icons
    write_shell_icons(os.path.join(RESOURCES, "icons"))
    # The pictures of the file-operation questions.
    from question_icons import write_question_icons
    write_question_icons(os.path.join(RESOURCES, "icons"))

    bitmaps = os.path.join(RESOURCES, "bitmaps")
    os.makedirs(bitmaps, exist_ok=True)
    write_bmp24(os.path.join(bitmaps, "pieces.bmp"), piece_strip().rgb_rows())
    write_bmp24(os.path.join(bitmaps, "background.bmp"), board_background(1, 4).rgb_rows())
    write_bmp24(os.path.join(bitmaps, "digits.bmp"), digit_strip().rgb_rows())
    write_bmp24(os.path.join(bitmaps, "gauge.bmp"), gauge_strip())
    write_bmp24(os.path.join(bitmaps, "buttons16.bmp"), button_strip(16))
    write_bmp24(os.path.join(bitmaps, "buttons32.bmp"), button_strip(32))
    # The file dialog's location pictures, added to its folder bar after the buttons.
    from location_images import write_location_strips
    write_location_strips(bitmaps)
    # The sort arrows of the file dialog's column headers.
    from updown_arrows import write_updown_arrows
    write_updown_arrows(bitmaps)


if __name__ == "__main__":
    main()
