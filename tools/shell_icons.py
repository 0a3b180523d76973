"""The thirteen standard images of the file dialog's image lists.

Each picture is drawn on a 32-unit grid (u is one unit) and scaled to every
size of its .ico file. Overlays are small marks in the lower-left corner on
transparency, laid over another image by the image lists. Called by
make_assets.py, which writes the files.
"""
import os

from make_assets import Canvas, folder, inside_polygon, mix, write_ico

OUTLINE = (64, 72, 88, 255)
PAPER = (255, 255, 255, 255)
INK = (120, 132, 152, 255)
FOLDER_YELLOW = (244, 196, 72)
FOLDER_EDGE = (168, 118, 24, 255)
ARROW_BLUE = (28, 74, 156, 255)
RED = (214, 44, 44, 255)

# Sizes in every file: the small and large icons at both densities.
SIZES = (16, 32, 48, 64)


def grid(c, u, points, rgba):
    """A polygon given in grid units."""
    c.polygon([(x * u, y * u) for x, y in points], rgba)


def text_lines(c, u, x0, x1, ys, size, width=1.4):
    """Grey lines of text; fewer and thicker on the smallest size."""
    if size < 24:
        ys = ys[::2]
        width = 2.2
    for i, y in enumerate(ys):
        end = x1 if i % 3 != 2 else x0 + (x1 - x0) * 0.6
        c.line(x0 * u, y * u, end * u, y * u, width * u, INK)


def page(c, u, x0, y0, x1, y1, fold=6.0):
    """A white page with its top-right corner folded over."""
    grid(c, u, [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)], OUTLINE)
    inset = 1.0
    grid(c, u, [(x0 + inset, y0 + inset), (x1 - fold - 0.4, y0 + inset), (x1 - inset, y0 + fold + 0.4),
                (x1 - inset, y1 - inset), (x0 + inset, y1 - inset)], PAPER)
    grid(c, u, [(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)], OUTLINE)
    grid(c, u, [(x1 - fold + 1.0, y0 + 2.2), (x1 - fold + 1.0, y0 + fold - 1.0), (x1 - 2.2, y0 + fold - 1.0)],
         (214, 220, 230, 255))


def open_folder_back(c, u):
    """The back of an open folder: its tab and the inside of its back wall."""
    grid(c, u, [(2.0, 6.0), (11.0, 6.0), (13.5, 8.5), (27.0, 8.5), (27.0, 28.0), (2.0, 28.0)], FOLDER_EDGE)
    grid(c, u, [(3.4, 7.4), (10.4, 7.4), (12.9, 9.9), (25.6, 9.9), (25.6, 26.6), (3.4, 26.6)],
         mix(FOLDER_YELLOW, (120, 80, 10), 0.25) + (255,))


def open_folder_front(c, u):
    """The front flap of an open folder, leaning forwards."""
    grid(c, u, [(6.5, 15.0), (31.0, 15.0), (26.5, 28.5), (1.5, 28.5)], FOLDER_EDGE)
    grid(c, u, [(7.5, 16.4), (29.2, 16.4), (25.5, 27.2), (3.3, 27.2)], FOLDER_YELLOW + (255,))
    c.line(7.9 * u, 17.2 * u, 28.4 * u, 17.2 * u, 0.9 * u, mix(FOLDER_YELLOW, (255, 255, 255), 0.5) + (255,))


# ---- The pictures ------------------------------------------------------------------------

def document_icon(size):
    """A plain page: any file without an icon of its own."""
    c = Canvas(size, size)
    u = size / 32.0
    page(c, u, 6.0, 2.0, 26.0, 30.0)
    text_lines(c, u, 9.5, 22.5, [11.0, 14.5, 18.0, 21.5, 25.0], size)
    return c


def program_icon(size):
    """A program's window: a blue title bar over a white client area."""
    c = Canvas(size, size)
    u = size / 32.0
    c.rounded_rect(2.0 * u, 4.0 * u, 30.0 * u, 28.0 * u, 1.6 * u, (24, 52, 112, 255))
    c.rect(3.2 * u, 5.2 * u, 28.8 * u, 10.0 * u, (56, 112, 210, 255))
    c.rect(3.2 * u, 11.0 * u, 28.8 * u, 26.8 * u, PAPER)
    c.rect(24.0 * u, 6.2 * u, 27.6 * u, 9.0 * u, (220, 226, 240, 255))
    c.rect(6.0 * u, 14.0 * u, 14.0 * u, 24.0 * u, (208, 218, 236, 255))
    if size >= 24:
        for y in (15.5, 19.0, 22.5):
            c.line(16.5 * u, y * u, 25.5 * u, y * u, 1.3 * u, INK)
    return c


def folder_icon(size):
    """A closed folder."""
    c = Canvas(size, size)
    folder(c, size / 16.0, 0, 2.5, FOLDER_YELLOW)
    return c


def shortcut_mark(c, u, x0, y0, side=12.0):
    """A white box with a bent arrow pointing up and right."""
    border = max(1.0, 1.0 / u)  # never thinner than one pixel
    c.rect(x0 * u, y0 * u, (x0 + side) * u, (y0 + side) * u, (24, 28, 36, 255))
    c.rect((x0 + border) * u, (y0 + border) * u, (x0 + side - border) * u, (y0 + side - border) * u, PAPER)
    s = side / 12.0
    stem = [(x0 + 3.0 * s, y0 + 10.0 * s), (x0 + 3.0 * s, y0 + 6.8 * s), (x0 + 6.4 * s, y0 + 4.6 * s)]
    c.polyline([(x * u, y * u) for x, y in stem], 1.9 * s * u, ARROW_BLUE)
    head = [(x0 + 9.8 * s, y0 + 2.0 * s), (x0 + 9.4 * s, y0 + 7.6 * s), (x0 + 4.6 * s, y0 + 2.8 * s)]
    grid(c, u, head, ARROW_BLUE)


def chip_mark(c, u, x0, y0, side=12.0):
    """A small memory chip with pins on both sides."""
    s = side / 12.0
    pin = (212, 168, 60, 255)
    for i in range(3):
        y = y0 + (3.0 + i * 3.0) * s
        c.rect(x0 * u, (y - 0.7 * s) * u, (x0 + side) * u, (y + 0.7 * s) * u, pin)
    c.rect((x0 + 2.0 * s) * u, y0 * u, (x0 + 10.0 * s) * u, (y0 + side) * u, (20, 24, 30, 255))
    c.rect((x0 + 2.8 * s) * u, (y0 + 0.8 * s) * u, (x0 + 9.2 * s) * u, (y0 + side - 0.8 * s) * u,
           (70, 78, 92, 255))
    c.ellipse((x0 + 4.4 * s) * u, (y0 + 2.6 * s) * u, 0.8 * s * u, 0.8 * s * u, (170, 178, 190, 255))


# Marks take a larger share of the smallest icons, and whole pixels there,
# so that they stay readable.
def mark_side(size):
    return 13.0 if size >= 24 else 16.0


def shortcut_overlay(size):
    c = Canvas(size, size)
    side = mark_side(size)
    shortcut_mark(c, size / 32.0, 0.0, 32.0 - side, side)
    return c


def rom_overlay(size):
    c = Canvas(size, size)
    side = mark_side(size)
    chip_mark(c, size / 32.0, 0.0, 32.0 - side, side)
    return c


def rom_shortcut_overlay(size):
    """The chip behind, the shortcut box in front of it, both inside the
    lower-left quarter."""
    c = Canvas(size, size)
    u = size / 32.0
    box = 11.0 if size >= 24 else 12.0
    chip = 10.0
    chip_mark(c, u, 0.0, 32.0 - chip, chip)
    shortcut_mark(c, u, 16.0 - box, 16.0, box)
    return c


def database_icon(size):
    """A stack of pages, each one offset from the one behind it."""
    c = Canvas(size, size)
    u = size / 32.0
    for i, shade in enumerate(((206, 214, 226), (230, 234, 242))):
        x, y = 12.0 - i * 4.0, 2.0 + i * 4.0
        c.rect(x * u, y * u, (x + 18.0) * u, (y + 20.0) * u, OUTLINE)
        c.rect((x + 1.0) * u, (y + 1.0) * u, (x + 17.0) * u, (y + 19.0) * u, shade + (255,))
    c.rect(4.0 * u, 10.0 * u, 22.0 * u, 30.0 * u, OUTLINE)
    c.rect(5.0 * u, 11.0 * u, 21.0 * u, 29.0 * u, PAPER)
    text_lines(c, u, 7.5, 18.5, [15.0, 18.5, 22.0, 25.5], size)
    return c


def checklist_icon(size):
    """A list with ticked boxes and a pen lying across it."""
    c = Canvas(size, size)
    u = size / 32.0
    c.rect(4.0 * u, 2.0 * u, 24.0 * u, 30.0 * u, OUTLINE)
    c.rect(5.0 * u, 3.0 * u, 23.0 * u, 29.0 * u, PAPER)
    rows = (7.5, 14.5, 21.5) if size >= 24 else (9.0, 19.0)
    for y in rows:
        c.rect(7.0 * u, (y - 2.2) * u, 11.4 * u, (y + 2.2) * u, INK)
        c.rect(7.8 * u, (y - 1.4) * u, 10.6 * u, (y + 1.4) * u, PAPER)
        c.polyline([(7.6 * u, (y - 0.2) * u), (9.0 * u, (y + 1.4) * u), (12.4 * u, (y - 3.0) * u)],
                   1.4 * u, (34, 150, 64, 255))
        c.line(13.6 * u, y * u, 20.5 * u, y * u, 1.4 * u, INK)
    # The pen: body, band and nib, from the upper right down to the lower left.
    c.line(29.0 * u, 9.0 * u, 16.5 * u, 25.0 * u, 3.6 * u, (20, 40, 96, 255))
    c.line(28.6 * u, 9.5 * u, 17.2 * u, 24.2 * u, 2.2 * u, (52, 98, 204, 255))
    c.line(27.0 * u, 11.6 * u, 25.8 * u, 13.1 * u, 3.8 * u, (200, 204, 212, 255))
    grid(c, u, [(15.2, 24.0), (17.8, 26.2), (13.6, 29.2)], (40, 40, 48, 255))
    return c


def store_icon(size):
    """A cylinder (a data store) with an arrow pointing into it."""
    c = Canvas(size, size)
    u = size / 32.0
    body = (88, 128, 196)
    top_y, bottom_y, rx, ry = 8.0, 25.0, 10.0, 3.6
    cx = 13.0
    c.ellipse(cx * u, bottom_y * u, (rx + 0.9) * u, (ry + 0.9) * u, OUTLINE)
    c.rect((cx - rx - 0.9) * u, top_y * u, (cx + rx + 0.9) * u, bottom_y * u, OUTLINE)
    c.ellipse(cx * u, bottom_y * u, rx * u, ry * u, body + (255,))

    def shade(px, py):
        t = (px / u - (cx - rx)) / (2 * rx)
        t = max(0.0, min(1.0, t))
        return mix(mix(body, (255, 255, 255), 0.35), mix(body, (0, 0, 0), 0.25), t) + (255,)
    c.fill(lambda px, py: (cx - rx) * u <= px <= (cx + rx) * u and top_y * u <= py <= bottom_y * u,
           ((cx - rx) * u, top_y * u, (cx + rx) * u, bottom_y * u), shade)
    c.ellipse(cx * u, top_y * u, (rx + 0.9) * u, (ry + 0.9) * u, OUTLINE)
    c.ellipse(cx * u, top_y * u, rx * u, ry * u, mix(body, (255, 255, 255), 0.55) + (255,))
    if size >= 24:
        for y in (14.0, 19.5):
            c.shape(lambda px, py, y=y: abs(py / u - (y + ry * (1 - ((px / u - cx) / rx) ** 2) ** 0.5)) <= 0.45
                    and abs(px / u - cx) < rx, ((cx - rx) * u, y * u, (cx + rx) * u, (y + ry + 1) * u),
                    mix(body, (0, 0, 0), 0.35) + (255,))
    # The arrow: green, coming from the right into the store.
    arrow = [(31.0, 14.5), (25.0, 14.5), (25.0, 11.0), (18.5, 17.5), (25.0, 24.0), (25.0, 20.5), (31.0, 20.5)]
    grid(c, u, arrow, (20, 104, 40, 255))
    inner = [(30.0, 15.5), (24.0, 15.5), (24.0, 13.4), (19.9, 17.5), (24.0, 21.6), (24.0, 19.5), (30.0, 19.5)]
    grid(c, u, inner, (76, 196, 96, 255))
    return c


def device_icon(size):
    """A handheld seen from the front: a dark body, a lit screen, buttons."""
    c = Canvas(size, size)
    u = size / 32.0
    c.rounded_rect(7.0 * u, 1.5 * u, 25.0 * u, 30.5 * u, 3.0 * u, (36, 40, 50, 255))
    c.rounded_rect(8.0 * u, 2.5 * u, 24.0 * u, 29.5 * u, 2.4 * u, (92, 100, 116, 255))
    c.rect(9.6 * u, 5.0 * u, 22.4 * u, 21.0 * u, (20, 24, 30, 255))

    def screen(px, py):
        t = (py / u - 5.8) / 14.4
        return mix((150, 210, 250), (60, 130, 210), max(0.0, min(1.0, t))) + (255,)
    c.fill(lambda px, py: 10.4 * u <= px <= 21.6 * u and 5.8 * u <= py <= 20.2 * u,
           (10.4 * u, 5.8 * u, 21.6 * u, 20.2 * u), screen)
    c.rect(10.4 * u, 5.8 * u, 21.6 * u, 7.6 * u, (30, 60, 130, 255))
    c.ellipse(16.0 * u, 25.2 * u, 2.6 * u, 2.6 * u, (52, 58, 70, 255))
    c.ellipse(16.0 * u, 25.2 * u, 1.7 * u, 1.7 * u, (150, 158, 172, 255))
    if size >= 24:
        for x in (11.2, 20.8):
            c.ellipse(x * u, 25.2 * u, 1.2 * u, 1.2 * u, (150, 158, 172, 255))
    return c


def computer(c, u, x0, y0):
    """A small monitor on a foot, 14 by 13 units from (x0, y0)."""
    c.rect(x0 * u, y0 * u, (x0 + 14.0) * u, (y0 + 10.0) * u, OUTLINE)
    c.rect((x0 + 1.2) * u, (y0 + 1.2) * u, (x0 + 12.8) * u, (y0 + 8.8) * u, (96, 170, 236, 255))
    c.rect((x0 + 5.5) * u, (y0 + 10.0) * u, (x0 + 8.5) * u, (y0 + 11.8) * u, OUTLINE)
    c.rect((x0 + 3.5) * u, (y0 + 11.8) * u, (x0 + 10.5) * u, (y0 + 13.2) * u, OUTLINE)


def network_icon(size):
    """Two computers joined by a cable."""
    c = Canvas(size, size)
    u = size / 32.0
    cable = (40, 120, 60, 255)
    c.polyline([(7.0 * u, 15.0 * u), (7.0 * u, 29.0 * u), (25.0 * u, 29.0 * u), (25.0 * u, 25.0 * u)],
               1.6 * u, cable)
    computer(c, u, 0.0, 2.0)
    computer(c, u, 18.0, 12.0)
    return c


def my_documents_icon(size):
    """An open folder holding a document."""
    c = Canvas(size, size)
    u = size / 32.0
    open_folder_back(c, u)
    page(c, u, 9.0, 3.0, 23.0, 22.0, fold=4.5)
    if size >= 24:
        for y in (9.0, 12.0):
            c.line(11.5 * u, y * u, 19.0 * u, y * u, 1.2 * u, INK)
    open_folder_front(c, u)
    return c


def favorites_icon(size):
    """An open folder holding a red heart."""
    c = Canvas(size, size)
    u = size / 32.0
    open_folder_back(c, u)
    cx, cy, r = 16.0, 11.0, 4.2

    def heart(px, py):
        x, y = px / u, py / u
        left = (x - (cx - r * 0.75)) ** 2 + (y - cy) ** 2 <= r * r
        right = (x - (cx + r * 0.75)) ** 2 + (y - cy) ** 2 <= r * r
        tip = inside_polygon([(cx - r * 1.65, cy + 1.0), (cx + r * 1.65, cy + 1.0), (cx, cy + r * 2.3)])(x, y)
        return left or right or tip
    c.shape(heart, ((cx - 2.5 * r) * u, (cy - r - 1) * u, (cx + 2.5 * r) * u, (cy + 2.5 * r) * u),
            mix(RED[:3], (0, 0, 0), 0.35) + (255,))
    inner_r = r - 0.9

    def heart_inner(px, py):
        x, y = px / u, py / u
        left = (x - (cx - r * 0.75)) ** 2 + (y - cy) ** 2 <= inner_r * inner_r
        right = (x - (cx + r * 0.75)) ** 2 + (y - cy) ** 2 <= inner_r * inner_r
        tip = inside_polygon([(cx - r * 1.45, cy + 1.0), (cx + r * 1.45, cy + 1.0), (cx, cy + r * 2.05)])(x, y)
        return left or right or tip
    c.shape(heart_inner, ((cx - 2.5 * r) * u, (cy - r) * u, (cx + 2.5 * r) * u, (cy + 2.5 * r) * u), RED)
    c.ellipse((cx - r * 0.9) * u, (cy - r * 0.3) * u, 1.1 * u, 0.8 * u, (255, 190, 190, 255))
    open_folder_front(c, u)
    return c


# File names as resources/shell.rc lists them.
ICONS = [
    ("program.ico", program_icon),
    ("document.ico", document_icon),
    ("overlay_shortcut.ico", shortcut_overlay),
    ("overlay_rom.ico", rom_overlay),
    ("overlay_rom_shortcut.ico", rom_shortcut_overlay),
    ("database.ico", database_icon),
    ("folder.ico", folder_icon),
    ("mydevice.ico", device_icon),
    ("mynetwork.ico", network_icon),
    ("mydocuments.ico", my_documents_icon),
    ("folder_red.ico", favorites_icon),
    ("checklist.ico", checklist_icon),
    ("store.ico", store_icon),
]


def write_shell_icons(folder_path):
    for name, draw in ICONS:
        write_ico(os.path.join(folder_path, name), [draw(s) for s in SIZES])
