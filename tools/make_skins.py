#!/usr/bin/env python3
"""Draws the sample skins shipped with Pebblora and writes them under skins/.

Run from anywhere: python3 tools/make_skins.py. The outputs are committed;
the build does not run this script. Pure Python, drawing with the Canvas of
make_assets.py; the one JPEG skin is converted from a PNG this script drew
with ImageMagick's `convert` (installed by ./run.sh and ./test.sh).

Each skin is a folder of its own: an INI file named after the folder and
two images. A piece strip is two rows of square cells (side = height / 2),
the normal pieces above and the marked ones below, one cell per colour; the
background is tiled over the view.
"""
import math
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_assets import (Canvas, inside_polygon, HALFWAY, LIGHT, PIECE_COLOURS, dot, mix,  # noqa: E402
                         normalize, write_bmp24)

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SKINS = os.path.join(ROOT, "skins")


# ---- Writers ---------------------------------------------------------------------------

def write_png(path, rows):
    """Writes top-down rows of (r, g, b) as an 8-bit RGB PNG file."""
    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter: none
        for pixel in row:
            raw += bytes(pixel)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def write_jpeg(path, rows):
    """Writes rows as a JPEG through ImageMagick: full-resolution colour (no
    chroma subsampling) and no metadata, so the output only changes when the
    picture does."""
    convert = shutil.which("convert")
    if not convert:
        sys.exit("make_skins.py: ImageMagick's convert is needed for the JPEG skin")
    with tempfile.TemporaryDirectory() as temp:
        source = os.path.join(temp, "source.png")
        write_png(source, rows)
        subprocess.run([convert, source, "-strip", "-quality", "94", "-sampling-factor", "1x1", path],
                       check=True)


def write_ini(path, colours, piece, background, comment, quoted=False):
    """A skin file with CR LF line ends, as the handheld's editors write."""
    q = '"' if quoted else ""
    lines = ["; " + comment, "[PEBBLORA]", "ver=1", "num=%d" % colours, "",
             "[IMAGES]", "piece=%s%s%s" % (q, piece, q), "background=%s%s%s" % (q, background, q)]
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))


# ---- Drawing helpers -------------------------------------------------------------------

def lift(colour, amount):
    """The colour lightened towards white by `amount` (0 keeps it)."""
    return mix(colour, (255, 255, 255), amount)


def sphere(cx, cy, radius, base, gloss=28, shine=0.9, ambient=0.45):
    """colour_at for a lit dome of `base` centred at (cx, cy)."""
    def colour_at(px, py):
        nx, ny = (px - cx) / radius, (py - cy) / radius
        nz = math.sqrt(max(0.0, 1.0 - nx * nx - ny * ny))
        normal = normalize((nx, ny, nz * 1.2 + 0.05))
        light = ambient + 0.7 * max(0.0, dot(normal, LIGHT))
        lit = tuple(min(255.0, c * light) for c in base)
        highlight = max(0.0, dot(normal, HALFWAY)) ** gloss * shine
        return tuple(c + (255 - c) * highlight for c in lit) + (255,)
    return colour_at


def disc(canvas, cx, cy, r, colour_at):
    canvas.fill(lambda px, py: (px - cx) ** 2 + (py - cy) ** 2 <= r * r,
                (cx - r, cy - r, cx + r, cy + r), colour_at)


def ring(canvas, cx, cy, r_in, r_out, rgba):
    canvas.shape(lambda px, py: r_in * r_in <= (px - cx) ** 2 + (py - cy) ** 2 <= r_out * r_out,
                 (cx - r_out, cy - r_out, cx + r_out, cy + r_out), rgba)


def star_points(cx, cy, r_out, r_in, points=5, turn=-math.pi / 2):
    out = []
    for i in range(points * 2):
        r = r_out if i % 2 == 0 else r_in
        a = turn + i * math.pi / points
        out.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return out




def flat(canvas, x, y, s, colour):
    canvas.rect(x, y, x + s, y + s, colour + (255,))


def in_rounded_rect(px, py, x0, y0, x1, y1, radius):
    cx = min(max(px, x0 + radius), x1 - radius)
    cy = min(max(py, y0 + radius), y1 - radius)
    return x0 <= px <= x1 and y0 <= py <= y1 and (px - cx) ** 2 + (py - cy) ** 2 <= radius ** 2


def marked_glow(canvas, x, y, s, glow, frame=(255, 255, 255)):
    """The selected look shared by the round-piece skins: the cell lit in a
    soft glow inside a light rounded frame, so a marked group reads as one
    lit patch."""
    x0, y0, x1, y1, radius = x + 0.5, y + 0.5, x + s - 0.5, y + s - 0.5, s * 0.22
    edge = max(1.0, s / 16.0)
    canvas.rounded_rect(x0, y0, x1, y1, radius, glow + (210,))
    canvas.shape(lambda px, py: in_rounded_rect(px, py, x0, y0, x1, y1, radius) and
                 not in_rounded_rect(px, py, x0 + edge, y0 + edge, x1 - edge, y1 - edge, radius - edge),
                 (x, y, x + s, y + s), frame + (230,))


def wrapped(width, height, draw, x, y, reach):
    """Calls draw(x, y) at the position and at its copies one tile away, so a
    shape near an edge continues on the opposite edge and the tile repeats
    without seams."""
    for dx in (-width, 0, width):
        for dy in (-height, 0, height):
            if -reach <= x + dx <= width + reach and -reach <= y + dy <= height + reach:
                draw(x + dx, y + dy)


def piece_strip(cell, count, backdrop, draw_piece, glow, frame=(255, 255, 255)):
    """Normal row above, marked row below; `draw_piece(canvas, x, y, s, k, lit)`
    draws colour k with its colours lightened by `lit`."""
    c = Canvas(cell * count, cell * 2)
    for k in range(count):
        for row, marked in ((0, False), (1, True)):
            x, y = k * cell, row * cell
            backdrop(c, x, y, cell)
            if marked:
                marked_glow(c, x, y, cell, glow, frame)
            draw_piece(c, x, y, cell, k, 0.22 if marked else 0.0)
    return c


# ---- Garden: leaves, ladybirds and flowers on garden soil ------------------------------

GARDEN_SOIL = (104, 72, 46)


def garden_leaf(c, x, y, s, lit):
    cx, cy = x + s * 0.5, y + s * 0.5
    half_length, half_width = s * 0.42, s * 0.2
    radius = (half_length ** 2 + half_width ** 2) / (2 * half_width)
    offset = radius - half_width

    def frame(px, py):
        u = ((px - cx) - (py - cy)) / math.sqrt(2)
        v = ((px - cx) + (py - cy)) / math.sqrt(2)
        return u, v

    def inside(px, py):
        u, v = frame(px, py)
        return u * u + (v - offset) ** 2 <= radius ** 2 and u * u + (v + offset) ** 2 <= radius ** 2
    dark, light = lift((46, 128, 44), lit), lift((120, 196, 70), lit)
    c.line(x + s * 0.16, y + s * 0.84, x + s * 0.3, y + s * 0.7, max(1.0, s * 0.07), lift((70, 110, 40), lit) + (255,))
    c.fill(inside, (x, y, x + s, y + s),
           lambda px, py: (light if frame(px, py)[1] < 0 else dark) + (255,))
    c.line(x + s * 0.24, y + s * 0.76, x + s * 0.74, y + s * 0.26, max(0.8, s * 0.05), lift((196, 232, 140), lit) + (230,))


def garden_ladybird(c, x, y, s, lit):
    cx, cy = x + s * 0.5, y + s * 0.56
    c.ellipse(cx, y + s * 0.22, s * 0.17, s * 0.13, (24, 20, 22, 255))
    disc(c, cx, cy, s * 0.37, sphere(cx, cy, s * 0.37, lift((214, 36, 30), lit)))
    c.line(cx, cy - s * 0.34, cx, cy + s * 0.36, max(0.8, s * 0.05), (30, 20, 20, 235))
    for dx, dy in ((-0.17, -0.08), (0.17, -0.08), (-0.15, 0.16), (0.15, 0.16)):
        c.ellipse(cx + s * dx, cy + s * dy, s * 0.075, s * 0.075, (28, 22, 24, 255))
    c.ellipse(cx - s * 0.1, y + s * 0.19, s * 0.045, s * 0.045, (250, 250, 250, 230))
    c.ellipse(cx + s * 0.1, y + s * 0.19, s * 0.045, s * 0.045, (250, 250, 250, 230))


def garden_sunflower(c, x, y, s, lit):
    cx, cy = x + s * 0.5, y + s * 0.5
    petal = lift((250, 200, 30), lit)
    for i in range(10):
        a = i * math.pi / 5
        c.ellipse(cx + math.cos(a) * s * 0.29, cy + math.sin(a) * s * 0.29, s * 0.13, s * 0.13,
                  mix(petal, (230, 150, 20), 0.5 if i % 2 else 0.0) + (255,))
    disc(c, cx, cy, s * 0.2, sphere(cx, cy, s * 0.2, lift((110, 62, 26), lit), gloss=12, shine=0.4))


def garden_forget_me_not(c, x, y, s, lit):
    cx, cy = x + s * 0.5, y + s * 0.5
    petal = lift((86, 120, 232), lit)
    for i in range(5):
        a = -math.pi / 2 + i * 2 * math.pi / 5
        px, py = cx + math.cos(a) * s * 0.21, cy + math.sin(a) * s * 0.21
        disc(c, px, py, s * 0.19, sphere(px, py, s * 0.22, petal, gloss=10, shine=0.3, ambient=0.6))
    disc(c, cx, cy, s * 0.1, lambda px, py: lift((255, 236, 120), lit) + (255,))
    c.ellipse(cx, cy, s * 0.04, s * 0.04, (255, 255, 255, 255))


def garden_background(size=64):
    c = Canvas(size, size, GARDEN_SOIL + (255,))
    rnd = random.Random(7)
    for _ in range(90):
        x, y = rnd.uniform(0, size), rnd.uniform(0, size)
        tone = mix(GARDEN_SOIL, (40, 26, 14) if rnd.random() < 0.55 else (150, 112, 74), rnd.uniform(0.25, 0.6))
        r = rnd.uniform(0.6, 1.6)
        wrapped(size, size, lambda px, py: c.ellipse(px, py, r, r * 0.8, tone + (200,)), x, y, 3)
    for _ in range(6):
        x, y = rnd.uniform(0, size), rnd.uniform(0, size)
        grey = rnd.choice([(150, 142, 132), (176, 166, 150), (128, 120, 112)])
        rx, ry = rnd.uniform(1.6, 2.6), rnd.uniform(1.2, 1.8)

        def pebble(px, py, rx=rx, ry=ry, grey=grey):
            c.ellipse(px + 0.5, py + 0.6, rx, ry, (40, 26, 14, 140))
            c.ellipse(px, py, rx, ry, grey + (255,))
            c.ellipse(px - rx * 0.3, py - ry * 0.35, rx * 0.4, ry * 0.3, (230, 224, 214, 160))
        wrapped(size, size, pebble, x, y, 4)
    for _ in range(4):
        x, y = rnd.uniform(0, size), rnd.uniform(0, size)

        def sprout(px, py):
            c.line(px, py, px - 1.5, py - 3.5, 0.9, (96, 168, 64, 255))
            c.line(px, py, px + 1.6, py - 3.0, 0.9, (120, 190, 72, 255))
        wrapped(size, size, sprout, x, y, 5)
    return c


# ---- Ocean: shells and bubbles in deep water --------------------------------------------

OCEAN_WATER = (22, 74, 128)


def ocean_shell(c, x, y, s, lit):
    hx, hy = x + s * 0.5, y + s * 0.84
    radius = s * 0.66
    ridges = 7

    def edge(angle):
        return radius * (1.0 - 0.05 * abs(math.sin(ridges * angle)))

    def inside(px, py):
        dx, dy = px - hx, hy - py
        if dy <= 0:
            return False
        angle = math.atan2(dy, dx)
        return math.pi * 0.17 <= angle <= math.pi * 0.83 and math.hypot(dx, dy) <= edge(angle)
    base, deep = lift((250, 168, 150), lit), lift((214, 96, 102), lit)

    def colour_at(px, py):
        t = min(1.0, math.hypot(px - hx, py - hy) / radius)
        return mix(deep, base, t) + (255,)
    c.polygon([(hx - s * 0.17, hy + s * 0.04), (hx + s * 0.17, hy + s * 0.04),
               (hx + s * 0.08, hy - s * 0.1), (hx - s * 0.08, hy - s * 0.1)], lift((200, 96, 96), lit) + (255,))
    c.fill(inside, (x, y, x + s, y + s), colour_at)
    for i in range(1, ridges):
        a = math.pi * (0.17 + 0.66 * i / ridges)
        r = edge(a) * 0.96
        c.line(hx, hy, hx + math.cos(a) * r, hy - math.sin(a) * r, max(0.7, s * 0.04), (170, 64, 80, 170))


def ocean_bubble(c, x, y, s, lit):
    cx, cy, r = x + s * 0.5, y + s * 0.5, s * 0.4
    inner, rim = lift((96, 200, 230), lit), lift((200, 244, 255), lit)

    def colour_at(px, py):
        t = min(1.0, math.hypot(px - cx, py - cy) / r)
        return mix(inner, rim, t ** 2.5) + (255,)
    disc(c, cx, cy, r, colour_at)
    c.ellipse(cx - r * 0.38, cy - r * 0.4, r * 0.3, r * 0.2, (255, 255, 255, 240))
    c.ellipse(cx + r * 0.4, cy + r * 0.42, r * 0.1, r * 0.1, (255, 255, 255, 200))


def ocean_background(size=64):
    c = Canvas(size, size, OCEAN_WATER + (255,))
    for band, (y0, amplitude, phase) in enumerate(((10, 2.5, 0.0), (31, 3.0, 1.7), (52, 2.2, 3.9))):
        points = [(x, y0 + amplitude * math.sin(2 * math.pi * x / size * 2 + phase)) for x in range(-2, size + 3)]
        c.polyline(points, 1.3, (70, 140, 196, 150))
        c.polyline([(px, py + 2.2) for px, py in points], 0.8, (44, 108, 168, 140))
    rnd = random.Random(11)
    for _ in range(7):
        x, y, r = rnd.uniform(0, size), rnd.uniform(0, size), rnd.uniform(1.0, 2.4)

        def bubble(px, py, r=r):
            ring(c, px, py, r - 0.6, r, (170, 226, 250, 200))
            c.ellipse(px - r * 0.35, py - r * 0.35, r * 0.3, r * 0.3, (255, 255, 255, 200))
        wrapped(size, size, bubble, x, y, 4)
    return c


# ---- Candy: five sweets on a dotted wrapper ---------------------------------------------

CANDY_PAPER = (252, 220, 232)


def candy_swirl(c, x, y, s, lit):
    cx, cy, r = x + s * 0.5, y + s * 0.5, s * 0.4
    red, white = lift((222, 40, 72), lit), (255, 246, 246)

    def colour_at(px, py):
        d = math.hypot(px - cx, py - cy) / r
        a = math.atan2(py - cy, px - cx)
        band = math.sin(3 * a + d * 7.0)
        return (white if band > 0.35 else red) + (255,)
    disc(c, cx, cy, r, colour_at)
    c.ellipse(cx - r * 0.4, cy - r * 0.45, r * 0.32, r * 0.2, (255, 255, 255, 170))


def candy_lemon(c, x, y, s, lit):
    cx, cy = x + s * 0.5, y + s * 0.5
    rx, ry = s * 0.42, s * 0.3
    shade = sphere(cx, cy, s * 0.42, lift((250, 206, 36), lit), gloss=20)
    c.fill(lambda px, py: ((px - cx) / rx) ** 2 + ((py - cy) / ry) ** 2 <= 1.0,
           (cx - rx, cy - ry, cx + rx, cy + ry), shade)
    for dx, dy in ((-0.18, 0.06), (0.05, 0.14), (0.2, -0.02), (-0.02, -0.1), (0.26, 0.12)):
        c.ellipse(cx + s * dx, cy + s * dy, s * 0.035, s * 0.035, (255, 255, 240, 220))


def candy_mint(c, x, y, s, lit):
    x0, y0, x1, y1 = x + s * 0.12, y + s * 0.12, x + s * 0.88, y + s * 0.88
    green, stripe = lift((54, 184, 118), lit), (240, 255, 246)
    inside = lambda px, py: x0 <= px <= x1 and y0 <= py <= y1
    c.rounded_rect(x0 + 0.6, y0 + 0.8, x1 + 0.6, y1 + 0.8, s * 0.16, (120, 60, 80, 110))
    c.rounded_rect(x0, y0, x1, y1, s * 0.16, green + (255,))
    c.shape(lambda px, py: inside(px, py) and ((px - py) / s * 3.2) % 1.0 < 0.36 and
            (px - x0 > 0.8 and x1 - px > 0.8 and py - y0 > 0.8 and y1 - py > 0.8),
            (x0, y0, x1, y1), stripe + (230,))


def candy_wrapped(c, x, y, s, lit):
    cx, cy = x + s * 0.5, y + s * 0.5
    paper = lift((70, 110, 230), lit)
    end = lift((120, 160, 250), lit)
    c.polygon([(cx - s * 0.2, cy), (x + s * 0.04, cy - s * 0.24), (x + s * 0.1, cy),
               (x + s * 0.04, cy + s * 0.24)], end + (255,))
    c.polygon([(cx + s * 0.2, cy), (x + s * 0.96, cy - s * 0.24), (x + s * 0.9, cy),
               (x + s * 0.96, cy + s * 0.24)], end + (255,))
    rx, ry = s * 0.27, s * 0.22
    c.fill(lambda px, py: ((px - cx) / rx) ** 2 + ((py - cy) / ry) ** 2 <= 1.0,
           (cx - rx, cy - ry, cx + rx, cy + ry), sphere(cx, cy, s * 0.27, paper, gloss=16))


def candy_heart(c, x, y, s, lit):
    cx, cy = x + s * 0.5, y + s * 0.46
    scale = s * 0.36

    def inside(px, py):
        u, v = (px - cx) / scale, -(py - cy) / scale
        return (u * u + v * v - 1) ** 3 - u * u * v ** 3 <= 0
    c.fill(inside, (x, y, x + s, y + s), sphere(cx, cy + s * 0.05, s * 0.45, lift((156, 70, 200), lit), gloss=14))


def candy_background(size=32):
    c = Canvas(size, size, CANDY_PAPER + (255,))
    stripe = (248, 204, 220)
    c.shape(lambda px, py: ((px + py) / size * 4) % 1.0 < 0.25, (0, 0, size, size), stripe + (255,))
    for x, y, r in ((8, 8, 2.6), (24, 24, 2.6)):
        wrapped(size, size, lambda px, py: c.ellipse(px, py, r, r, (255, 255, 255, 255)), x, y, 3)
    return c


# ---- Night sky: stars, moons and planets at 32 pixels -----------------------------------

NIGHT = (14, 18, 46)


def night_star(c, x, y, s, lit):
    cx, cy = x + s * 0.5, y + s * 0.54
    points = star_points(cx, cy, s * 0.46, s * 0.2)
    gold, deep = lift((255, 214, 70), lit), lift((226, 146, 24), lit)

    def colour_at(px, py):
        t = max(0.0, min(1.0, (px - cx + py - cy) / (s * 0.7) + 0.5))
        return mix(gold, deep, t) + (255,)
    c.fill(inside_polygon(points), (x, y, x + s, y + s), colour_at)
    c.polyline([points[-1]] + points[:1] + [points[1]], max(1.0, s * 0.03), (255, 250, 210, 120))


def night_moon(c, x, y, s, lit):
    cx, cy, r = x + s * 0.5, y + s * 0.5, s * 0.4
    ox, oy, orr = cx + s * 0.2, cy - s * 0.1, s * 0.34
    base = lift((214, 224, 246), lit)

    def inside(px, py):
        return (px - cx) ** 2 + (py - cy) ** 2 <= r * r and (px - ox) ** 2 + (py - oy) ** 2 > orr * orr
    c.fill(inside, (x, y, x + s, y + s), sphere(cx, cy, r, base, gloss=8, shine=0.25, ambient=0.55))
    for dx, dy, cr in ((-0.2, -0.05, 0.05), (-0.1, 0.2, 0.035), (-0.24, 0.12, 0.03)):
        c.ellipse(cx + s * dx, cy + s * dy, s * cr, s * cr, mix(base, (120, 130, 160), 0.45) + (200,))


def night_planet(c, x, y, s, lit):
    cx, cy, r = x + s * 0.5, y + s * 0.5, s * 0.27
    ring_colour = lift((236, 210, 160), lit)
    tilt = math.radians(-18)

    def ring_at(px, py):
        u = (px - cx) * math.cos(tilt) + (py - cy) * math.sin(tilt)
        v = -(px - cx) * math.sin(tilt) + (py - cy) * math.cos(tilt)
        d = (u / (s * 0.47)) ** 2 + (v / (s * 0.13)) ** 2
        return 0.55 <= d <= 1.0, v
    c.shape(lambda px, py: ring_at(px, py)[0] and ring_at(px, py)[1] < 0, (x, y, x + s, y + s), ring_colour + (235,))
    disc(c, cx, cy, r, sphere(cx, cy, r, lift((232, 108, 78), lit), gloss=18, shine=0.6))
    c.shape(lambda px, py: (px - cx) ** 2 + (py - cy) ** 2 <= r * r and abs((py - cy) - (px - cx) * 0.32 + r * 0.3) < r * 0.12,
            (cx - r, cy - r, cx + r, cy + r), lift((250, 160, 110), lit) + (150,))
    c.shape(lambda px, py: ring_at(px, py)[0] and ring_at(px, py)[1] >= 0, (x, y, x + s, y + s), ring_colour + (245,))


def night_background(size=160):
    c = Canvas(size, size, NIGHT + (255,))
    rnd = random.Random(3)
    for _ in range(5):
        x, y = rnd.uniform(0, size), rnd.uniform(0, size)
        tint = rnd.choice([(70, 40, 110), (30, 60, 120), (60, 30, 90)])
        rx, ry = rnd.uniform(18, 34), rnd.uniform(12, 22)
        wrapped(size, size, lambda px, py: c.ellipse(px, py, rx, ry, tint + (26,)), x, y, 40)
    for _ in range(70):
        x, y = rnd.uniform(0, size), rnd.uniform(0, size)
        r = rnd.choice([0.5, 0.6, 0.7, 0.9, 1.2])
        tone = rnd.choice([(255, 255, 255), (200, 220, 255), (255, 236, 200)])
        wrapped(size, size, lambda px, py: c.ellipse(px, py, r, r, tone + (int(120 + 120 * r / 1.2),)), x, y, 2)
    for _ in range(4):
        x, y = rnd.uniform(0, size), rnd.uniform(0, size)

        def twinkle(px, py):
            c.line(px - 3, py, px + 3, py, 0.7, (220, 230, 255, 150))
            c.line(px, py - 3, px, py + 3, 0.7, (220, 230, 255, 150))
            c.ellipse(px, py, 1.0, 1.0, (255, 255, 255, 255))
        wrapped(size, size, twinkle, x, y, 4)
    return c


# ---- Classic: bevelled tiles on a dithered grey, in BMP for every device ----------------

CLASSIC_GREYS = ((198, 198, 198), (186, 186, 186))
# Red, blue, yellow, green and violet, with the red dark and the blue light,
# so that red and green, and blue and violet, stay apart by lightness for
# players who do not tell red from green: a symbol of 16 pixels is too
# small to tell them apart on its own.
CLASSIC_COLOURS = ((170, 30, 30), (110, 180, 250), (246, 190, 40), (60, 170, 80), (150, 50, 160))


def classic_dither(c, x, y, s):
    """A 2-pixel checker: cells start on even pixels in the strip and in the
    background layer, so the pattern lines up wherever a cell is copied."""
    for py in range(y, y + s):
        for px in range(x, x + s):
            c.pixels[py * c.width + px] = list(CLASSIC_GREYS[(px + py) % 2]) + [255]


def classic_tile(c, x, y, s, k, marked):
    colour = CLASSIC_COLOURS[k]
    face = lift(colour, 0.25) if marked else colour
    light, dark = lift(colour, 0.6), mix(colour, (0, 0, 0), 0.45)
    if marked:
        light, dark = dark, light
    x0, y0, x1, y1 = x + 1, y + 1, x + s - 1, y + s - 1
    c.rect(x0, y0, x1, y1, (40, 40, 40, 255))
    c.polygon([(x0 + 1, y0 + 1), (x1 - 1, y0 + 1), (x0 + 1, y1 - 1)], light + (255,))
    c.polygon([(x1 - 1, y1 - 1), (x1 - 1, y0 + 1), (x0 + 1, y1 - 1)], dark + (255,))
    c.rect(x0 + 3, y0 + 3, x1 - 3, y1 - 3, face + (255,))
    mark = (255, 255, 255, 255) if marked else mix(colour, (0, 0, 0), 0.35) + (255,)
    cx, cy = x + s / 2.0, y + s / 2.0
    u = (s - 8) / 2.0 - 0.6
    if k == 0:
        c.ellipse(cx, cy, u * 0.75, u * 0.75, mark)
    elif k == 1:
        c.rect(cx - u * 0.6, cy - u * 0.6, cx + u * 0.6, cy + u * 0.6, mark)
    elif k == 2:
        c.polygon([(cx, cy - u * 0.8), (cx + u * 0.8, cy + u * 0.65), (cx - u * 0.8, cy + u * 0.65)], mark)
    elif k == 3:
        c.polygon([(cx, cy - u * 0.85), (cx + u * 0.85, cy), (cx, cy + u * 0.85), (cx - u * 0.85, cy)], mark)
    else:
        c.rect(cx - u * 0.8, cy - u * 0.25, cx + u * 0.8, cy + u * 0.25, mark)
        c.rect(cx - u * 0.25, cy - u * 0.8, cx + u * 0.25, cy + u * 0.8, mark)


def classic_strip(cell=16):
    c = Canvas(cell * len(CLASSIC_COLOURS), cell * 2)
    for k in range(len(CLASSIC_COLOURS)):
        for row in (0, 1):
            classic_dither(c, k * cell, row * cell, cell)
            classic_tile(c, k * cell, row * cell, cell, k, row == 1)
    return c


def classic_background(size=8):
    c = Canvas(size, size)
    classic_dither(c, 0, 0, size)
    return c


# ---- Contrast: five shapes in colours made for colour-blind readers -----------------------

# Okabe and Ito's palette for colour-blind readers: black, blue, vermillion,
# sky blue and yellow, which also run from dark to light, each on a shape of
# its own so that neither hue nor lightness alone has to tell two apart.
CONTRAST_COLOURS = ((0, 0, 0), (0, 114, 178), (213, 94, 0), (86, 180, 233), (240, 228, 66))
# Darker than every piece but black, which has a light rim: every piece
# stands off the ground in lightness, so the board also reads in grey.
CONTRAST_GROUND = (34, 36, 42)


def contrast_piece(c, x, y, s, k, lit):
    """Colour k on its shape: circle, square, triangle, the triangle upside
    down, star. Sized so that any two silhouettes differ in a fifth of the
    cell or more, and kept a pixel clear of the cell's edge, so neighbours
    never touch and the cell's edge is all ground."""
    colour = lift(CONTRAST_COLOURS[k], lit) + (255,)
    cx, cy = x + s * 0.5, y + s * 0.5
    near, far = s / 16.0, s - s / 16.0
    if k == 0:
        # Black needs a light rim to stand off the dark ground.
        r, rim = s * 0.38, max(1.0, s / 16.0)
        ring(c, cx, cy, r - rim, r, (235, 235, 235, 255))
        c.ellipse(cx, cy, r - rim, r - rim, colour)
    elif k == 1:
        c.rect(x + near, y + near, x + far, y + far, colour)
    elif k == 2:
        c.polygon([(cx, y + near), (x + far, y + far), (x + near, y + far)], colour)
    elif k == 3:
        c.polygon([(cx, y + far), (x + near, y + near), (x + far, y + near)], colour)
    else:
        c.polygon(star_points(cx, y + s * 0.52, s * 0.4, s * 0.16), colour)


def contrast_background(size=8):
    return Canvas(size, size, CONTRAST_GROUND + (255,))


def contrast_skin(name, cell, comment):
    folder = skin_folder(name)
    strip = piece_strip(cell, len(CONTRAST_COLOURS), lambda c, x, y, s: flat(c, x, y, s, CONTRAST_GROUND),
                        contrast_piece, (150, 150, 160))
    write_png(os.path.join(folder, "shapes.png"), strip.rgb_rows())
    write_png(os.path.join(folder, "ground.png"), contrast_background().rgb_rows())
    write_ini(os.path.join(folder, name + ".ini"), len(CONTRAST_COLOURS), "shapes.png", "ground.png", comment)


# ---- The skins --------------------------------------------------------------------------

def skin_folder(name):
    folder = os.path.join(SKINS, name)
    os.makedirs(folder, exist_ok=True)
    for old in os.listdir(folder):
        os.remove(os.path.join(folder, old))
    return folder


def main():
    folder = skin_folder("Classic")
    write_bmp24(os.path.join(folder, "tiles.bmp"), classic_strip().rgb_rows())
    write_bmp24(os.path.join(folder, "grey.bmp"), classic_background().rgb_rows())
    write_ini(os.path.join(folder, "Classic.ini"), 5, "tiles.bmp", "grey.bmp",
              "Classic: bevelled tiles, marked with a symbol each; BMP only, so it loads on every device.")

    folder = skin_folder("Garden")
    strip = piece_strip(16, 4, lambda c, x, y, s: flat(c, x, y, s, GARDEN_SOIL),
                        lambda c, x, y, s, k, lit: (garden_leaf, garden_ladybird, garden_sunflower,
                                                    garden_forget_me_not)[k](c, x, y, s, lit),
                        (168, 132, 90))
    write_png(os.path.join(folder, "Garden pieces.png"), strip.rgb_rows())
    write_png(os.path.join(folder, "Garden soil.png"), garden_background().rgb_rows())
    write_ini(os.path.join(folder, "Garden.ini"), 4, "Garden pieces.png", "Garden soil.png",
              "Garden: leaves, ladybirds, sunflowers and forget-me-nots on garden soil.", quoted=True)

    folder = skin_folder("Ocean")
    strip = piece_strip(16, 2, lambda c, x, y, s: flat(c, x, y, s, OCEAN_WATER),
                        lambda c, x, y, s, k, lit: (ocean_shell, ocean_bubble)[k](c, x, y, s, lit),
                        (70, 150, 210))
    write_jpeg(os.path.join(folder, "shells.jpg"), strip.rgb_rows())
    write_jpeg(os.path.join(folder, "water.jpg"), ocean_background().rgb_rows())
    write_ini(os.path.join(folder, "Ocean.ini"), 2, "shells.jpg", "water.jpg",
              "Ocean: shells and bubbles in deep water; two colours, for the youngest players.")

    folder = skin_folder("Candy")
    strip = piece_strip(16, 5, lambda c, x, y, s: flat(c, x, y, s, CANDY_PAPER),
                        lambda c, x, y, s, k, lit: (candy_swirl, candy_lemon, candy_mint, candy_wrapped,
                                                    candy_heart)[k](c, x, y, s, lit),
                        (255, 238, 150), frame=(226, 72, 136))
    write_png(os.path.join(folder, "sweets.png"), strip.rgb_rows())
    write_png(os.path.join(folder, "wrapper.png"), candy_background().rgb_rows())
    write_ini(os.path.join(folder, "Candy.ini"), 5, "sweets.png", "wrapper.png",
              "Candy: five sweets, each its own shape, on striped wrapping paper.")

    folder = skin_folder("Night Sky")
    strip = piece_strip(32, 3, lambda c, x, y, s: flat(c, x, y, s, NIGHT),
                        lambda c, x, y, s, k, lit: (night_star, night_moon, night_planet)[k](c, x, y, s, lit),
                        (60, 70, 140))
    write_png(os.path.join(folder, "sky pieces.png"), strip.rgb_rows())
    write_png(os.path.join(folder, "stars.png"), night_background().rgb_rows())
    write_ini(os.path.join(folder, "Night Sky.ini"), 3, "sky pieces.png", "stars.png",
              "Night Sky: stars, moons and ringed planets in 32-pixel cells for the high-density screen.")

    contrast_skin("Contrast", 16, "Contrast: for colour-blind players, five colours that stay apart, "
                  "each on a shape of its own.")
    contrast_skin("Contrast Large", 32, "Contrast Large: the Contrast skin in 32-pixel cells, "
                  "for the high-density screen.")


if __name__ == "__main__":
    main()
