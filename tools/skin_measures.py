#!/usr/bin/env python3
"""How far apart the pieces of each sample skin stay, for normal colour
vision and for the three kinds of dichromacy.

    python3 tools/skin_measures.py        prints the README's table rows

A piece's colour is the mean, in linear light, of the pixels of its cell in
the strip's normal row that are not the cell's backdrop. For each skin four
numbers: the smallest CIEDE2000 difference between any two of its pieces
with no simulation, and under simulated protanopia, deuteranopia and
tritanopia. Images are read through ImageMagick, so BMP, PNG and JPEG alike.
"""
import math
import os

from ppm import read_ppm
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SKINS = os.path.join(ROOT, "skins")

# Machado, Oliveira and Fernandes (2009), "A Physiologically-based Model for
# Simulation of Color Vision Deficiency": the published matrices at severity
# 1.0, applied to linear RGB.
SIMULATIONS = {
    "none": ((1.0, 0.0, 0.0), (0.0, 1.0, 0.0), (0.0, 0.0, 1.0)),
    "protanopia": ((0.152286, 1.052583, -0.204868),
                   (0.114503, 0.786281, 0.099216),
                   (-0.003882, -0.048116, 1.051998)),
    "deuteranopia": ((0.367322, 0.860646, -0.227968),
                     (0.280085, 0.672501, 0.047413),
                     (-0.011820, 0.042940, 0.968881)),
    "tritanopia": ((1.255528, -0.076749, -0.178779),
                   (-0.078411, 0.930809, 0.147602),
                   (0.004733, 0.691367, 0.303900)),
}

# A pair closer than this under any simulation is hard to tell apart.
ENOUGH = 10.0
# A skin below this somewhere is called out in the README.
BAD = 5.0


# ---- Colour ------------------------------------------------------------------------------

def to_linear(channel):
    """An sRGB channel 0..255 as linear light 0..1."""
    c = channel / 255.0
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def simulate(linear, kind):
    """Linear RGB as seen with `kind` of SIMULATIONS, clipped to the gamut."""
    m = SIMULATIONS[kind]
    return tuple(min(1.0, max(0.0, sum(m[i][j] * linear[j] for j in range(3)))) for i in range(3))


def lab(linear):
    """CIELAB (D65 white) of a linear sRGB colour."""
    r, g, b = linear
    x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047
    y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b
    z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883

    def f(t):
        return t ** (1.0 / 3.0) if t > (6.0 / 29.0) ** 3 else t / (3 * (6.0 / 29.0) ** 2) + 4.0 / 29.0
    fx, fy, fz = f(x), f(y), f(z)
    return 116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)


def ciede2000(lab1, lab2):
    """The CIEDE2000 colour difference of two CIELAB colours (kL = kC = kH = 1)."""
    l1, a1, b1 = lab1
    l2, a2, b2 = lab2
    c_mean = (math.hypot(a1, b1) + math.hypot(a2, b2)) / 2.0
    g = 0.5 * (1.0 - math.sqrt(c_mean ** 7 / (c_mean ** 7 + 25.0 ** 7)))
    a1p, a2p = (1.0 + g) * a1, (1.0 + g) * a2
    c1p, c2p = math.hypot(a1p, b1), math.hypot(a2p, b2)
    h1p = math.degrees(math.atan2(b1, a1p)) % 360.0 if c1p else 0.0
    h2p = math.degrees(math.atan2(b2, a2p)) % 360.0 if c2p else 0.0

    dl, dc = l2 - l1, c2p - c1p
    if c1p * c2p == 0:
        dh = 0.0
    elif abs(h2p - h1p) <= 180.0:
        dh = h2p - h1p
    elif h2p - h1p > 180.0:
        dh = h2p - h1p - 360.0
    else:
        dh = h2p - h1p + 360.0
    dH = 2.0 * math.sqrt(c1p * c2p) * math.sin(math.radians(dh / 2.0))

    l_mean, cp_mean = (l1 + l2) / 2.0, (c1p + c2p) / 2.0
    if c1p * c2p == 0:
        h_mean = h1p + h2p
    elif abs(h1p - h2p) <= 180.0:
        h_mean = (h1p + h2p) / 2.0
    elif h1p + h2p < 360.0:
        h_mean = (h1p + h2p + 360.0) / 2.0
    else:
        h_mean = (h1p + h2p - 360.0) / 2.0
    t = (1.0 - 0.17 * math.cos(math.radians(h_mean - 30.0)) + 0.24 * math.cos(math.radians(2.0 * h_mean)) +
         0.32 * math.cos(math.radians(3.0 * h_mean + 6.0)) - 0.20 * math.cos(math.radians(4.0 * h_mean - 63.0)))
    sl = 1.0 + 0.015 * (l_mean - 50.0) ** 2 / math.sqrt(20.0 + (l_mean - 50.0) ** 2)
    sc = 1.0 + 0.045 * cp_mean
    sh = 1.0 + 0.015 * cp_mean * t
    rotation = 30.0 * math.exp(-(((h_mean - 275.0) / 25.0) ** 2))
    rc = 2.0 * math.sqrt(cp_mean ** 7 / (cp_mean ** 7 + 25.0 ** 7))
    rt = -math.sin(math.radians(2.0 * rotation)) * rc
    return math.sqrt((dl / sl) ** 2 + (dc / sc) ** 2 + (dH / sh) ** 2 + rt * (dc / sc) * (dH / sh))


def smallest_differences(colours):
    """{simulation: smallest CIEDE2000 between any two of `colours`}, the
    colours given as linear RGB."""
    result = {}
    for kind in SIMULATIONS:
        seen = [lab(simulate(c, kind)) for c in colours]
        result[kind] = min(ciede2000(seen[i], seen[j])
                           for i in range(len(seen)) for j in range(i + 1, len(seen)))
    return result


# ---- Pieces ------------------------------------------------------------------------------

def read_image(path):
    """(width, height, rows of (r, g, b)) of an image file, as ImageMagick reads it."""
    width, height, data = read_ppm(path)
    rows = [[tuple(data[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)] for y in range(height)]
    return width, height, rows


def cell_pixels(rows, k, side):
    """The pixels of cell k of the normal row, row by row."""
    return [row[k * side:(k + 1) * side] for row in rows[:side]]


def backdrop(cell):
    """The colours that make up the cell's backdrop: those that cover a fifth
    or more of its edge (one flat colour, or the two of a dither)."""
    side = len(cell)
    edge = [cell[y][x] for y in range(side) for x in range(side) if x in (0, side - 1) or y in (0, side - 1)]
    return [c for c in set(edge) if edge.count(c) * 5 >= len(edge)]


def silhouette(cell):
    """The piece's own pixels as a mask: those not within a small distance
    of a backdrop colour (JPEG jitters the backdrop by a few levels)."""
    ground = backdrop(cell)
    return [[min((sum(abs(p - q) for p, q in zip(pixel, g)) for g in ground), default=999) > 30
             for pixel in row] for row in cell]


def piece_colour(cell):
    """The mean of the piece's own pixels, as linear RGB."""
    mask = silhouette(cell)
    own = [pixel for row, inside in zip(cell, mask) for pixel, keep in zip(row, inside) if keep]
    if not own:
        raise ValueError("a cell with nothing but backdrop")
    return tuple(sum(to_linear(p[i]) for p in own) / len(own) for i in range(3))


def silhouette_difference(one, other):
    """The share of a cell where one mask is set and the other is not."""
    side = len(one)
    return sum(a != b for ra, rb in zip(one, other) for a, b in zip(ra, rb)) / float(side * side)


def read_skin(name):
    """(colour count, list of cells of the normal row) of skins/<name>."""
    folder = os.path.join(SKINS, name)
    values = {}
    with open(os.path.join(folder, name + ".ini"), encoding="ascii") as f:
        for line in f:
            if "=" in line and not line.startswith(";"):
                key, value = line.split("=", 1)
                values[key.strip().lower()] = value.strip().strip('"')
    colours = int(values["num"])
    width, height, rows = read_image(os.path.join(folder, values["piece"]))
    side = height // 2
    return colours, [cell_pixels(rows, k, side) for k in range(colours)]


def measure_skin(name):
    """{simulation: smallest difference} for one shipped skin."""
    _, cells = read_skin(name)
    return smallest_differences([piece_colour(cell) for cell in cells])


def shipped_skins():
    return sorted(n for n in os.listdir(SKINS) if os.path.isfile(os.path.join(SKINS, n, n + ".ini")))


# ---- The README table --------------------------------------------------------------------

COLUMNS = ("none", "protanopia", "deuteranopia", "tritanopia")


def table_row(name, measures):
    note = ""
    worst = min(measures.values())
    if worst < BAD:
        kinds = [k for k in COLUMNS if measures[k] < BAD]
        note = "pieces hard to tell apart with " + ", ".join(kinds) if "none" not in kinds else \
            "pieces hard to tell apart by colour alone"
    elif worst >= ENOUGH:
        note = "every pair 10 or more apart"
    return "| %s | %s | %s |" % (name, " | ".join("%.1f" % measures[k] for k in COLUMNS), note)


def main():
    print("| Skin | normal | protanopia | deuteranopia | tritanopia | note |")
    print("|---|---|---|---|---|---|")
    for name in shipped_skins():
        print(table_row(name, measure_skin(name)))


if __name__ == "__main__":
    sys.exit(main())
