#!/usr/bin/env python3
"""Checks a screenshot of the board against the skin's piece strip.

    check_board.py SHOT STRIP COLOURS VIEW_TOP VIEW_HEIGHT

SHOT and STRIP are image files (read through ImageMagick as PPM). The board
fills the view from the bottom with cells of the strip's half height; the
score band keeps at least 20 pixels above the top row. Every cell centre must
show the centre of one of the first COLOURS pieces of the strip, every one of
those pieces must appear, and the strip of the view right of the last column
must be left white. Prints what it found; exits 1 on any mismatch.
"""
import sys

from pixels import at, read_ppm

TOLERANCE = 48  # summed channel difference; JPEG pieces are decoded twice


def close(a, b):
    return sum(abs(p - q) for p, q in zip(a, b)) <= TOLERANCE


def main():
    shot = read_ppm(sys.argv[1])
    strip = read_ppm(sys.argv[2])
    colours, view_top, view_height = int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
    side = strip[1] // 2
    columns = shot[0] // side
    rows = (view_height - 20) // side
    pieces = [at(strip, k * side + side // 2, side // 2) for k in range(colours)]
    print(f"cell {side} px, {columns} x {rows} cells, {colours} colours")
    failures = 0
    seen = set()
    for c in range(columns):
        for r in range(rows):
            x = c * side + side // 2
            y = view_top + view_height - r * side - side // 2
            found = [k for k, p in enumerate(pieces) if close(at(shot, x, y), p)]
            if not found:
                failures += 1
                if failures <= 5:
                    print(f"cell ({c},{r}) shows {at(shot, x, y)}, no piece of the skin")
            seen.update(found[:1])
    if len(seen) != colours:
        print(f"pieces seen: {sorted(seen)}, expected all of 0..{colours - 1}")
        failures += 1
    if columns * side < shot[0]:
        x = (columns * side + shot[0]) // 2
        y = view_top + view_height - side // 2
        if at(shot, x, y) != (255, 255, 255):
            print(f"the strip right of the grid shows {at(shot, x, y)}, expected white")
            failures += 1
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
