"""The file dialog's location pictures: twelve images in a row over magenta,
at 16 and 32 pixels, shown by its folder bar after the menu-bar buttons.

The order is the icon numbering of the special locations (shell/locations.cpp
gives each location its number; the folder bar shows image number + 9):

  0 document      1 folder        2 Desktop       3 My Device
  4 My Network    5 My Documents  6 storage card  7 open folder
  8 Database      9 Control Panel 10 Trash Box    11 Find Result

Pictures are drawn on the 32-unit grid of shell_icons.py, whose file-dialog
icons are reused where a location has one. Called by make_assets.py, which
writes the files.
"""
import os

from make_assets import Canvas, inside_polygon, masked_rows, mix, storage_card_icon, write_bmp24
from shell_icons import (INK, OUTLINE, database_icon, device_icon, document_icon, folder_icon, grid,
                         my_documents_icon, network_icon, open_folder_back, open_folder_front, page,
                         text_lines)


def gradient(c, u, x0, y0, x1, y1, top, bottom):
    """A rectangle shaded from `top` to `bottom`, in grid units."""
    def colour(px, py):
        t = max(0.0, min(1.0, (py / u - y0) / (y1 - y0)))
        return mix(top, bottom, t) + (255,)
    c.fill(lambda px, py: x0 * u <= px <= x1 * u and y0 * u <= py <= y1 * u,
           (x0 * u, y0 * u, x1 * u, y1 * u), colour)


def desktop_icon(size):
    """A monitor on its foot showing a desktop: wallpaper, icons, task bar."""
    c = Canvas(size, size)
    u = size / 32.0
    c.rounded_rect(13.0 * u, 23.0 * u, 19.0 * u, 28.0 * u, 0.6 * u, (84, 92, 108, 255))
    c.rounded_rect(8.0 * u, 26.6 * u, 24.0 * u, 30.0 * u, 1.2 * u, (52, 58, 70, 255))
    c.rounded_rect(1.5 * u, 2.5 * u, 30.5 * u, 24.5 * u, 2.0 * u, (36, 40, 50, 255))
    gradient(c, u, 3.5, 4.5, 28.5, 22.5, (92, 178, 230), (36, 104, 180))
    c.rect(3.5 * u, 19.8 * u, 28.5 * u, 22.5 * u, (22, 44, 96, 255))
    c.rect(4.5 * u, 20.4 * u, 9.0 * u, 22.0 * u, (70, 176, 84, 255))
    icons = ((6.0, 7.0), (6.0, 13.0)) if size >= 24 else ((5.5, 7.5),)
    for x, y in icons:
        c.rect(x * u, y * u, (x + 4.0) * u, (y + 4.0) * u, (255, 255, 255, 255))
        c.rect((x + 0.9) * u, (y + 0.9) * u, (x + 3.1) * u, (y + 3.1) * u, (244, 196, 72, 255))
    return c


def open_folder_icon(size):
    """An empty open folder."""
    c = Canvas(size, size)
    u = size / 32.0
    open_folder_back(c, u)
    open_folder_front(c, u)
    return c


def control_panel_icon(size):
    """A grey panel with three sliders, their knobs in three colours."""
    c = Canvas(size, size)
    u = size / 32.0
    c.rounded_rect(2.0 * u, 3.0 * u, 30.0 * u, 29.0 * u, 2.0 * u, OUTLINE)
    gradient(c, u, 3.2, 4.2, 28.8, 27.8, (238, 241, 246), (200, 206, 216))
    small = size < 24
    track = 2.2 if small else 1.6
    knob_w, knob_h = (8.0, 5.6) if small else (7.0, 4.0)
    knobs = ((8.5, 19.0, (214, 44, 44)), (16.0, 11.0, (52, 160, 72)), (23.5, 17.0, (52, 120, 214)))
    for x, y, colour in knobs:
        c.line(x * u, 7.5 * u, x * u, 24.5 * u, track * u, (96, 104, 120, 255))
    for x, y, colour in knobs:
        x0, y0 = x - knob_w / 2, y - knob_h / 2
        c.rect(x0 * u, y0 * u, (x0 + knob_w) * u, (y0 + knob_h) * u, mix(colour, (0, 0, 0), 0.4) + (255,))
        c.rect((x0 + 0.9) * u, (y0 + 0.9) * u, (x0 + knob_w - 0.9) * u, (y0 + knob_h - 0.9) * u, colour + (255,))
    return c


def trash_icon(size):
    """A waste bin with a lid and a handle, ribbed down its sides."""
    c = Canvas(size, size)
    u = size / 32.0
    edge = (52, 62, 80, 255)
    c.polyline([(12.5 * u, 6.0 * u), (12.5 * u, 2.6 * u), (19.5 * u, 2.6 * u), (19.5 * u, 6.0 * u)],
               (1.8 if size >= 24 else 2.4) * u, edge)
    grid(c, u, [(5.5, 9.0), (26.5, 9.0), (24.0, 30.5), (8.0, 30.5)], edge)
    body = [(7.2, 10.0), (24.8, 10.0), (22.6, 29.0), (9.4, 29.0)]
    xs = [x for x, _ in body]

    def shade(px, py):
        t = max(0.0, min(1.0, (px / u - 7.2) / 17.6))
        return mix((214, 224, 236), (132, 148, 172), t) + (255,)
    c.fill(inside_polygon([(x * u, y * u) for x, y in body]), (min(xs) * u, 10.0 * u, max(xs) * u, 29.0 * u), shade)
    ribs = (12.0, 16.0, 20.0) if size >= 24 else (12.5, 19.5)
    for x in ribs:
        c.line(x * u, 13.0 * u, (16.0 + (x - 16.0) * 0.88) * u, 26.5 * u, (1.3 if size >= 24 else 2.0) * u,
               (104, 118, 142, 255))
    c.rounded_rect(3.5 * u, 5.0 * u, 28.5 * u, 10.0 * u, 1.4 * u, edge)
    gradient(c, u, 4.7, 6.2, 27.3, 8.8, (196, 208, 224), (150, 164, 188))
    return c


def find_result_icon(size):
    """A page of results under a magnifying glass."""
    c = Canvas(size, size)
    u = size / 32.0
    page(c, u, 2.0, 1.5, 21.0, 27.0, fold=5.0)
    text_lines(c, u, 5.0, 16.5, [9.0, 12.5, 16.0, 19.5, 23.0], size)
    cx, cy, r = 19.0, 17.0, 7.0
    ring = 2.8 if size >= 24 else 3.6
    c.line(24.0 * u, 22.0 * u, 29.5 * u, 27.5 * u, 5.0 * u, (44, 40, 38, 255))
    c.line(24.5 * u, 22.5 * u, 29.0 * u, 27.0 * u, 2.6 * u, (120, 92, 60, 255))
    c.ellipse(cx * u, cy * u, (r + ring / 2) * u, (r + ring / 2) * u, (40, 48, 64, 255))
    c.ellipse(cx * u, cy * u, (r - ring / 2) * u, (r - ring / 2) * u, (214, 236, 252, 255))
    c.ellipse((cx - 2.2) * u, (cy - 2.4) * u, 2.2 * u, 1.5 * u, (255, 255, 255, 230))
    if size >= 24:
        c.line((cx - 3.5) * u, (cy + 1.5) * u, (cx + 3.0) * u, (cy + 1.5) * u, 1.2 * u, INK)
    return c


# Index = icon number of the location table.
LOCATIONS = [document_icon, folder_icon, desktop_icon, device_icon, network_icon, my_documents_icon,
             storage_card_icon, open_folder_icon, database_icon, control_panel_icon, trash_icon,
             find_result_icon]


def location_strip(size):
    c = Canvas(size * len(LOCATIONS), size)
    for i, draw in enumerate(LOCATIONS):
        c.paste(draw(size), i * size, 0)
    return masked_rows(c)


def write_location_strips(folder_path):
    write_bmp24(os.path.join(folder_path, "locations16.bmp"), location_strip(16))
    write_bmp24(os.path.join(folder_path, "locations32.bmp"), location_strip(32))
