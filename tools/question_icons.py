"""The pictures of the file-operation questions: a file being replaced, a
folder being replaced, and the warning of a delete.

Drawn on the 32-unit grid of shell_icons.py and scaled to every size of the
.ico file. Called by make_assets.py, which writes the files.
"""
import os

from make_assets import Canvas, folder, write_ico
from shell_icons import ARROW_BLUE, FOLDER_YELLOW, OUTLINE, PAPER, RED, SIZES, grid, page, text_lines


def curved_arrow(c, u, points, width):
    """A blue arrow along `points` with its head at the last point."""
    c.polyline([(x * u, y * u) for x, y in points], width * u, ARROW_BLUE)
    (x0, y0), (x1, y1) = points[-2], points[-1]
    dx, dy = x1 - x0, y1 - y0
    length = max((dx * dx + dy * dy) ** 0.5, 1e-6)
    dx, dy = dx / length, dy / length
    head = 3.6
    grid(c, u, [(x1 + dx * 1.2, y1 + dy * 1.2), (x1 - dx * head - dy * head, y1 - dy * head + dx * head),
                (x1 - dx * head + dy * head, y1 - dy * head - dx * head)], ARROW_BLUE)


def replace_file_icon(size):
    """The new page in front of the old one, an arrow from one to the other."""
    c = Canvas(size, size)
    u = size / 32.0
    page(c, u, 2.0, 2.0, 18.0, 24.0, fold=4.5)
    text_lines(c, u, 4.5, 14.5, [9.0, 12.0, 15.0, 18.0], size)
    page(c, u, 13.0, 8.0, 30.0, 30.0, fold=4.5)
    text_lines(c, u, 15.5, 26.5, [15.0, 18.0, 21.0, 24.0], size)
    curved_arrow(c, u, [(19.5, 2.5), (25.0, 2.8), (27.0, 5.6)], 2.0)
    return c


def replace_folder_icon(size):
    """Two folders, arrows going both ways between them."""
    c = Canvas(size, size)
    u = size / 32.0
    half = size // 2
    small = Canvas(half, half)
    folder(small, half / 16.0, 0, 2.5, FOLDER_YELLOW)
    c.paste(small, 0, 0)
    c.paste(small, size - half, size - half)
    curved_arrow(c, u, [(20.0, 4.0), (26.0, 6.0), (27.0, 12.0)], 2.2)
    curved_arrow(c, u, [(12.0, 28.0), (6.0, 26.0), (5.0, 20.0)], 2.2)
    return c


def delete_warning_icon(size):
    """A folder holding a page, a red exclamation mark in front."""
    c = Canvas(size, size)
    u = size / 32.0
    folder(c, size / 16.0, 0, 2.5, FOLDER_YELLOW)
    page(c, u, 10.0, 1.0, 22.0, 14.0, fold=3.5)
    c.ellipse(23.0 * u, 23.0 * u, 8.4 * u, 8.4 * u, (255, 255, 255, 255))
    c.ellipse(23.0 * u, 23.0 * u, 7.4 * u, 7.4 * u, RED)
    grid(c, u, [(21.6, 16.8), (24.4, 16.8), (23.8, 25.0), (22.2, 25.0)], PAPER)
    c.ellipse(23.0 * u, 27.6 * u, 1.5 * u, 1.5 * u, PAPER)
    return c


# File names as resources/fileops.rc lists them.
ICONS = [
    ("replace_file.ico", replace_file_icon),
    ("replace_folder.ico", replace_folder_icon),
    ("delete_warning.ico", delete_warning_icon),
]


def write_question_icons(folder_path):
    for name, draw in ICONS:
        write_ico(os.path.join(folder_path, name), [draw(s) for s in SIZES])
