"""The sort arrows of the file dialog's column headers: an upward triangle
(ascending) and a downward one (descending), side by side over the mask
colour magenta, 7 by 16 pixels each and twice that for high-density screens.

Called by make_assets.py, which writes the files.
"""
import os

from make_assets import BUTTON_FACE, MASK_COLOUR, Canvas, inside_polygon, write_bmp24

ARROW_GREY = (96, 96, 96, 255)


def arrow_strip(scale):
    """Both arrows at `scale` (1 or 2), as top-down rows of opaque colours."""
    width, height = 7 * scale, 16 * scale
    c = Canvas(width * 2, height)
    # A triangle 7 wide and 4 high on a 7 x 16 cell, centred vertically.
    top, bottom = 6.0 * scale, 10.0 * scale
    up = [(0.0, bottom), (width / 2.0, top), (float(width), bottom)]
    down = [(width + 0.0, top), (width + width / 2.0, bottom), (width * 2.0, top)]
    for points in (up, down):
        xs = [x for x, _ in points]
        c.shape(inside_polygon(points), (min(xs), top, max(xs), bottom), ARROW_GREY)
    rows = []
    for y in range(c.height):
        row = []
        for x in range(c.width):
            r, g, b, a = c.pixels[y * c.width + x]
            if a < 96:
                row.append(MASK_COLOUR)
            else:
                t = a / 255.0
                row.append(tuple(int(round(v * t + f * (1 - t))) for v, f in zip((r, g, b), BUTTON_FACE)))
        rows.append(row)
    return rows


def write_updown_arrows(folder):
    write_bmp24(os.path.join(folder, "updown7.bmp"), arrow_strip(1))
    write_bmp24(os.path.join(folder, "updown14.bmp"), arrow_strip(2))
