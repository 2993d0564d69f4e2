"""Reading a GIF just far enough to check its structure: its blocks and the
number of pixels its LZW data holds. Used by check_exe.py on the splash
picture.
"""

import struct


def lzw_pixel_count(min_code_size, data):
    """Decodes GIF LZW just far enough to count the pixels; None when broken."""
    clear = 1 << min_code_size
    end = clear + 1
    size = min_code_size + 1
    next_code = end + 1
    lengths = {}
    position = 0
    count = 0
    previous = None
    total_bits = len(data) * 8
    while position + size <= total_bits:
        code = 0
        for bit in range(size):
            index = position + bit
            if data[index >> 3] >> (index & 7) & 1:
                code |= 1 << bit
        position += size
        if code == clear:
            size, next_code, lengths, previous = min_code_size + 1, end + 1, {}, None
            continue
        if code == end:
            return count
        if code < clear:
            length = 1
        elif code in lengths:
            length = lengths[code]
        elif code == next_code and previous is not None:
            length = (1 if previous < clear else lengths[previous]) + 1
        else:
            return None
        count += length
        if previous is not None and next_code < 4096:
            lengths[next_code] = (1 if previous < clear else lengths[previous]) + 1
            next_code += 1
        if next_code >= (1 << size) and size < 12:
            size += 1
        previous = code
    return None


def gif_blocks(data):
    """Splits a GIF after its header and colour table into (kind, fields)."""
    position = 13 + 3 * 256
    blocks = []
    while position < len(data):
        introducer = data[position]
        if introducer == 0x3B:
            blocks.append(("trailer", position))
            return blocks, position + 1
        if introducer == 0x21:
            label = data[position + 1]
            position += 2
            body = bytearray()
            first = None
            while data[position] != 0:
                length = data[position]
                chunk = data[position + 1:position + 1 + length]
                if first is None:
                    first = chunk
                body += chunk
                position += 1 + length
            position += 1
            blocks.append(("extension", (label, first)))
        elif introducer == 0x2C:
            left, top, width, height, packed = struct.unpack_from("<HHHHB", data, position + 1)
            position += 10
            if packed & 0x80:
                position += 3 * (2 << (packed & 7))
            min_code_size = data[position]
            position += 1
            image = bytearray()
            while data[position] != 0:
                length = data[position]
                image += data[position + 1:position + 1 + length]
                position += 1 + length
            position += 1
            blocks.append(("image", (left, top, width, height, packed, min_code_size,
                                     bytes(image))))
        else:
            blocks.append(("garbage", position))
            return blocks, position
    return blocks, position
