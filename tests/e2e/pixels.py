"""Screenshots as pixels for the end-to-end checks, read through ImageMagick."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from ppm import read_ppm  # noqa: E402,F401  (the checks read pictures through this module)


def at(image, x, y):
    """The (r, g, b) of one pixel."""
    width, _, pixels = image
    i = (y * width + x) * 3
    return tuple(pixels[i:i + 3])
