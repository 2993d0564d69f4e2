"""The application icon's twenty images, each drawn for its size and depth,
and the icon file and icon-group directory that list them."""

import struct

import mark
import png
import quantize
from geometry import transform
from raster import Canvas, coverage_rows

# (size, bit count as listed, stored as PNG); the order is the icon's order.
IMAGES = [
    (48, 1, False), (32, 1, False), (16, 1, False),
    (256, 4, True), (48, 4, False), (32, 4, False), (16, 4, False),
    (256, 8, True), (48, 8, False), (32, 8, False), (16, 8, False),
    (256, 32, True), (128, 32, False), (96, 32, False), (80, 32, False), (72, 32, False),
    (64, 32, False), (48, 32, False), (32, 32, False), (16, 32, False),
]
FIRST_IMAGE_ID = 30001

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)


def colour_pixels(size):
    """The full-colour mark: rows of straight 8-bit RGBA."""
    canvas = Canvas(size, size)
    mark.draw(canvas, 0, 0, size)
    return canvas.rgba_rows()


def _solid(contours, size):
    """Which pixels a shape covers at least half of."""
    inside = [[False] * size for _ in range(size)]
    for row, first, values in coverage_rows(contours, size, size):
        for i, value in enumerate(values):
            if value >= 0.5:
                inside[row][first + i] = True
    return inside


def monochrome_pixels(size):
    """Two colours and a mask: a black tile, a white bubble, black dots. Every
    shape is decided whole pixel by whole pixel, so edges stay clean."""
    g = mark.geometry(size)
    tile = _solid(transform(mark.tile(g)), size)
    bubble = _solid(transform(mark.bubble(g)), size)
    dots = _solid(transform(mark.dots(g)), size)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            if not tile[y][x]:
                row.append(None)
            elif bubble[y][x] and not dots[y][x]:
                row.append(1)
            else:
                row.append(0)
        rows.append(row)
    return rows, [BLACK, WHITE]


def palette_pixels(size, colours):
    """The colour mark with at most `colours` colours and a one-bit mask.
    Palette entry 0 stays black: masked pixels use it, so that the screen
    shows through them unchanged."""
    rgba = colour_pixels(size)
    histogram = {}
    for row in rgba:
        for r, g, b, a in row:
            if a >= 128:
                histogram[(r, g, b)] = histogram.get((r, g, b), 0) + 1
    palette, mapping = quantize.median_cut(histogram, colours - 1)
    palette = [BLACK] + palette
    palette += [BLACK] * (colours - len(palette))
    rows = [[(mapping[p[:3]] + 1) if p[3] >= 128 else None for p in row] for row in rgba]
    return rows, palette


# --- Storage ------------------------------------------------------------------


def _stride(bits_per_row):
    return ((bits_per_row + 31) // 32) * 4


def _pack_row(values, bits):
    out = bytearray()
    per_byte = 8 // bits
    for i in range(0, len(values), per_byte):
        byte = 0
        for j, v in enumerate(values[i:i + per_byte]):
            byte |= v << (8 - bits * (j + 1))
        out.append(byte)
    return bytes(out)


def _mask_rows(opaque_rows, size):
    stride = _stride(size)
    rows = []
    for opaque in opaque_rows:
        data = _pack_row([0 if o else 1 for o in opaque], 1)
        rows.append(data + bytes(stride - len(data)))
    return rows


def _header(size, bits, image_bytes):
    # Height counts the colour bitmap and the mask together.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, image_bytes, 0, 0, 0, 0)


def indexed_bitmap(rows, palette, bits):
    size = len(rows)
    stride = _stride(size * bits)
    colour = []
    for row in rows:
        data = _pack_row([0 if v is None else v for v in row], bits)
        colour.append(data + bytes(stride - len(data)))
    mask = _mask_rows([[v is not None for v in row] for row in rows], size)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    body = b"".join(reversed(colour)) + b"".join(reversed(mask))
    return _header(size, bits, len(body)) + table + body


def alpha_bitmap(rgba):
    size = len(rgba)
    colour = [b"".join(bytes((b, g, r, a)) for r, g, b, a in row) for row in rgba]
    mask = _mask_rows([[p[3] >= 128 for p in row] for row in rgba], size)
    body = b"".join(reversed(colour)) + b"".join(reversed(mask))
    return _header(size, 32, len(body)) + body


def png_image(listed_bits):
    """The large image as PNG, drawn with as many colours as its entry lists,
    so each entry shows what a display of that depth would."""
    rgba = colour_pixels(256)
    if listed_bits == 32:
        return png.encode(rgba)
    rows, palette = palette_pixels(256, 1 << listed_bits)
    return png.encode([[(0, 0, 0, 0) if v is None else palette[v] + (255,) for v in row]
                       for row in rows])


def image(size, bits, as_png):
    if as_png:
        return png_image(bits)
    if bits == 1:
        rows, palette = monochrome_pixels(size)
        return indexed_bitmap(rows, palette, 1)
    if bits in (4, 8):
        rows, palette = palette_pixels(size, 1 << bits)
        return indexed_bitmap(rows, palette, bits)
    return alpha_bitmap(colour_pixels(size))


def images():
    return [image(size, bits, as_png) for size, bits, as_png in IMAGES]


def _entry_fields(size, bits):
    dimension = 0 if size >= 256 else size
    colours = (1 << bits) if bits < 8 else 0
    return dimension, dimension, colours, 0, 1, bits


def icon_file(datas):
    """An .ico file: directory, then the images in order."""
    out = struct.pack("<HHH", 0, 1, len(datas))
    offset = 6 + 16 * len(datas)
    entries = b""
    for (size, bits, _), data in zip(IMAGES, datas):
        entries += struct.pack("<BBBBHHII", *_entry_fields(size, bits), len(data), offset)
        offset += len(data)
    return out + entries + b"".join(datas)


def group_directory(datas):
    """The RT_GROUP_ICON resource: the same directory, naming each image by
    its icon resource id instead of a file offset."""
    out = struct.pack("<HHH", 0, 1, len(datas))
    for i, ((size, bits, _), data) in enumerate(zip(IMAGES, datas)):
        out += struct.pack("<BBBBHHIH", *_entry_fields(size, bits), len(data), FIRST_IMAGE_ID + i)
    return out
