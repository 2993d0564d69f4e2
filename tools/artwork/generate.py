#!/usr/bin/env python3
"""Draws the executable's artwork: the splash picture and the application icon.

    generate.py [OUTPUT_FOLDER]      (default: the repository's resources/)

Writes splash.gif, TovaneQuillon.ico, and under icon/ the icon's images as the
executable embeds them (30001.dib ... 30020.dib, the large ones as .png) with
the icon-group directory group1.bin. Uses Python's standard library only, and
the same input always gives the same bytes.
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import gif  # noqa: E402
import icon  # noqa: E402
import quantize  # noqa: E402
import splash  # noqa: E402

DITHER_STRENGTH = 0.5


def splash_gif():
    canvas = splash.render()
    pixels = [p[:3] for row in canvas.rgba_rows() for p in row]
    histogram = {}
    for p in pixels:
        histogram[p] = histogram.get(p, 0) + 1
    palette, _ = quantize.median_cut(histogram, 256)
    palette += [(0, 0, 0)] * (256 - len(palette))
    indices = quantize.dither(pixels, splash.WIDTH, splash.HEIGHT, palette, DITHER_STRENGTH)
    return gif.encode(splash.WIDTH, splash.HEIGHT, palette, indices)


def image_file_name(index):
    _, _, as_png = icon.IMAGES[index]
    return "%d.%s" % (icon.FIRST_IMAGE_ID + index, "png" if as_png else "dib")


def outputs():
    """{relative path: bytes} of everything the generator makes."""
    images = icon.images()
    files = {"splash.gif": splash_gif(), "TovaneQuillon.ico": icon.icon_file(images),
             "icon/group1.bin": icon.group_directory(images)}
    for i, data in enumerate(images):
        files["icon/" + image_file_name(i)] = data
    return files


def main(argv):
    folder = argv[1] if len(argv) > 1 else os.path.join(HERE, "..", "..", "resources")
    for name, data in sorted(outputs().items()):
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
