#!/usr/bin/env python3
"""Checks that text on a screenshot is drawn with glyphs, and close boxes as crosses.

    check_text.py glyphs SHOT X Y W H MIN
        The dark marks in the rectangle, cut into shapes at blank columns,
        must hold at least MIN different shapes. A font without the
        characters draws one and the same missing-glyph box for each, so a
        label of boxes has a single shape (two with a drop-down arrow).

    check_text.py cross SHOT X Y W H
        The rectangle holds a caption's close button: the dark marks on its
        light face must form a cross, the same when mirrored left to right
        and top to bottom, dark at the centre and open at the middle of each
        side. The letter "r" a stand-in font draws is none of that.

Prints what it found; exits 1 when the check fails.
"""
import sys

from pixels import at, read_ppm

DARK = 3 * 110  # summed channels at or below: ink


def dark_marks(image, x0, y0, w, h):
    """The set of (x, y) of dark pixels, relative to the rectangle."""
    return {(x, y) for y in range(h) for x in range(w) if sum(at(image, x0 + x, y0 + y)) <= DARK}


def glyph_shapes(marks, w):
    """The shapes between blank columns, each cropped to its own ink."""
    shapes, column = [], 0
    while column < w:
        if not any(x == column for x, _ in marks):
            column += 1
            continue
        start = column
        while column < w and any(x == column for x, _ in marks):
            column += 1
        ink = [(x, y) for x, y in marks if start <= x < column]
        top, bottom = min(y for _, y in ink), max(y for _, y in ink)
        shapes.append(tuple("".join("#" if (x, y) in marks else "." for x in range(start, column))
                            for y in range(top, bottom + 1)))
    return shapes


def check_glyphs(image, rect, minimum):
    marks = dark_marks(image, *rect)
    shapes = glyph_shapes(marks, rect[2])
    distinct = len(set(shapes))
    print(f"{len(shapes)} shapes, {distinct} different")
    if distinct < minimum:
        for shape in sorted(set(shapes)):
            print("\n".join(shape) + "\n")
        print(f"expected at least {minimum} different shapes: the text is not drawn with glyphs")
        return False
    return True


def button_face(image, rect):
    """The light grey area of a small square button inside the rectangle:
    a connected patch of near-grey light pixels, 8 to 40 pixels a side,
    that does not touch the rectangle's edge."""
    x0, y0, w, h = rect
    light = {(x, y) for y in range(h) for x in range(w)
             if min(at(image, x0 + x, y0 + y)) >= 200 and max(at(image, x0 + x, y0 + y)) - min(at(image, x0 + x, y0 + y)) <= 16}
    while light:
        patch, todo = set(), [light.pop()]
        while todo:
            x, y = todo.pop()
            patch.add((x, y))
            for n in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                if n in light:
                    light.discard(n)
                    todo.append(n)
        xs, ys = [x for x, _ in patch], [y for _, y in patch]
        pw, ph = max(xs) - min(xs) + 1, max(ys) - min(ys) + 1
        inside = min(xs) > 0 and min(ys) > 0 and max(xs) < w - 1 and max(ys) < h - 1
        if inside and 8 <= pw <= 40 and 8 <= ph <= 40 and 0.6 <= pw / ph <= 1.6:
            return patch
    return None


def check_cross(image, rect):
    x0, y0, w, h = rect
    face = button_face(image, rect)
    if not face:
        print("no close button in the rectangle")
        return False
    left, right = min(x for x, _ in face), max(x for x, _ in face)
    top, bottom = min(y for _, y in face), max(y for _, y in face)
    marks = {(x, y) for x, y in dark_marks(image, x0, y0, w, h) if left <= x <= right and top <= y <= bottom}
    if len(marks) < 6:
        print("the close button is empty")
        return False
    gl, gr = min(x for x, _ in marks), max(x for x, _ in marks)
    gt, gb = min(y for _, y in marks), max(y for _, y in marks)
    print(f"glyph {gr - gl + 1} x {gb - gt + 1} with {len(marks)} dark pixels")
    mirrored_lr = sum((gl + gr - x, y) in marks for x, y in marks) / len(marks)
    mirrored_tb = sum((x, gt + gb - y) in marks for x, y in marks) / len(marks)
    cx, cy = (gl + gr) // 2, (gt + gb) // 2
    centre = any((cx + dx, cy + dy) in marks for dx in (0, 1) for dy in (0, 1))
    open_sides = not any((cx + d, gt) in marks or (cx + d, gb) in marks or (gl, cy + d) in marks or (gr, cy + d) in marks
                         for d in (0, 1))
    print(f"mirror left-right {mirrored_lr:.2f}, top-bottom {mirrored_tb:.2f}, centre {centre}, open sides {open_sides}")
    if mirrored_lr < 0.8 or mirrored_tb < 0.8 or not centre or not open_sides:
        print("the close box is not drawn as a cross")
        return False
    return True


def main():
    command, shot = sys.argv[1], read_ppm(sys.argv[2])
    rect = tuple(int(v) for v in sys.argv[3:7])
    ok = check_glyphs(shot, rect, int(sys.argv[7])) if command == "glyphs" else check_cross(shot, rect)
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
