"""GIF89a files: one full-screen, non-interlaced image with a 256-colour global
table and one graphic control block (no transparency, no delay)."""

import struct

MIN_CODE_SIZE = 8
CLEAR = 1 << MIN_CODE_SIZE
END = CLEAR + 1
MAX_CODES = 4096


class _BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.buffer = 0
        self.bits = 0

    def write(self, code, size):
        self.buffer |= code << self.bits
        self.bits += size
        while self.bits >= 8:
            self.out.append(self.buffer & 0xFF)
            self.buffer >>= 8
            self.bits -= 8

    def finish(self):
        if self.bits:
            self.out.append(self.buffer & 0xFF)
        return bytes(self.out)


def lzw(indices):
    """Variable-length LZW as GIF decoders expect it: codes grow from 9 to 12
    bits, and a clear code starts a new table when it is about to overflow."""
    writer = _BitWriter()
    size = MIN_CODE_SIZE + 1
    next_code = END + 1
    table = {}

    def emit(code):
        nonlocal size
        writer.write(code, size)
        # The decoder adds an entry for every code it reads, so the width
        # grows once the next free code no longer fits.
        if next_code >= (1 << size) and size < 12:
            size += 1

    writer.write(CLEAR, size)
    current = indices[0]
    for index in indices[1:]:
        key = (current << 8) | index
        found = table.get(key)
        if found is not None:
            current = found
            continue
        emit(current)
        if next_code >= MAX_CODES - 1:
            writer.write(CLEAR, size)
            table.clear()
            next_code = END + 1
            size = MIN_CODE_SIZE + 1
        else:
            table[key] = next_code
            next_code += 1
        current = index
    emit(current)
    writer.write(END, size)
    return writer.finish()


def _sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        block = data[i:i + 255]
        out.append(len(block))
        out += block
    out.append(0)
    return bytes(out)


def encode(width, height, palette, indices):
    """palette: 256 (r, g, b) tuples; indices: width*height palette indices, row by row."""
    assert len(palette) == 256 and len(indices) == width * height
    # Global table present, 8 bits of colour resolution, unsorted, 2^(7+1) entries.
    screen = struct.pack("<HHBBB", width, height, 0x80 | (7 << 4) | 7, 0, 0)
    table = bytes(channel for colour in palette for channel in colour)
    control = b"\x21\xF9\x04" + struct.pack("<BHB", 0, 0, 0) + b"\x00"
    descriptor = b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    image = bytes([MIN_CODE_SIZE]) + _sub_blocks(lzw(indices))
    return b"GIF89a" + screen + table + control + descriptor + image + b"\x3B"
