"""PNG files of 8-bit RGBA pixels (colour type 6), written with zlib."""

import struct
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _filtered(rows):
    """Each row with the Paeth filter, which suits smooth artwork best."""
    out = bytearray()
    previous = bytes(len(rows[0]) * 4)
    for row in rows:
        raw = bytes(channel for pixel in row for channel in pixel)
        out.append(4)
        for i, value in enumerate(raw):
            left = raw[i - 4] if i >= 4 else 0
            up = previous[i]
            up_left = previous[i - 4] if i >= 4 else 0
            out.append((value - _paeth(left, up, up_left)) & 0xFF)
        previous = raw
    return bytes(out)


def encode(rows):
    """rows: a list of rows of (r, g, b, a) tuples."""
    height = len(rows)
    width = len(rows[0])
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    data = zlib.compress(_filtered(rows), 9)
    return SIGNATURE + _chunk(b"IHDR", header) + _chunk(b"IDAT", data) + _chunk(b"IEND", b"")
