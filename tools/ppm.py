"""Pictures as pixels, read through ImageMagick: for the tools and the end-to-end checks."""
import subprocess


def read_ppm(path):
    """(width, height, RGB bytes) of an image file, as ImageMagick reads it."""
    data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True, capture_output=True).stdout
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos:]
