"""The sort arrows of the file dialog's column headers: an upward triangle
(ascending) and a downward one (descending), side by side over the mask
colour magenta, 7 by 16 pixels each and twice that for high-density screens.

Called by make_assets.py, which writes the files.
"""
import os

from make_assets import Canvas, inside_polygon, masked_rows, write_bmp24

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
    # Soft edges of the small triangles would read as grey fringes.
    return masked_rows(c, threshold=96)


def write_updown_arrows(folder):
    write_bmp24(os.path.join(folder, "updown7.bmp"), arrow_strip(1))
    write_bmp24(os.path.join(folder, "updown14.bmp"), arrow_strip(2))
