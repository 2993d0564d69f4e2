#!/usr/bin/env python3
"""GIFs for the splash decoder's tests, made with the artwork tools' own GIF
writer (tools/artwork/gif.py), with the pixels each was made from.

    gif_frames.py header OUT.h       the frames as a C++ header for the unit tests
    gif_frames.py corpus FOLDER      the fuzzer's seeds (fuzz/corpus/splash_gif_fuzz)

The header also carries the shipped resources/splash.gif as it is. Frames
whose image data must be damaged in a particular way are written code by
code, at the code widths a decoder reads them with.
"""

import os
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
sys.path.insert(0, os.path.join(ROOT, "tools", "artwork"))

import gif  # noqa: E402

# Everything in front of the image data in a file gif.encode writes: the
# header, the screen, the table, the control block, the descriptor and the
# code size.
IMAGE_DATA_OFFSET = 6 + 7 + 3 * 256 + 8 + 10 + 1


def palette():
    return [(i, (i * 37) & 0xFF, 0xFF - i) for i in range(256)]


def noise(count, seed):
    """Runs of one index and stretches of few or of all 256 indices, from a
    fixed generator: long strings, strings that use themselves, and a table
    that fills up and is cleared again."""
    state = seed
    out = []

    def draw(limit):
        nonlocal state
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        return (state >> 8) % limit

    while len(out) < count:
        kind = draw(3)
        length = 1 + draw(40)
        if kind == 0:
            out += [draw(256)] * length
        elif kind == 1:
            out += [draw(4) for _ in range(length)]
        else:
            out += [draw(256) for _ in range(length)]
    return out[:count]


def coded(codes):
    """LZW image data of the given codes, each at the width a decoder reads
    it: 9 bits after a clear, one more whenever the table's next free code
    reaches the next power of two, at most 12; a full table (4096 codes)
    takes no more entries until a clear code."""
    writer = gif._BitWriter()
    size, next_code, previous = gif.MIN_CODE_SIZE + 1, gif.END + 1, False
    for code in codes:
        writer.write(code, size)
        if code == gif.CLEAR:
            size, next_code, previous = gif.MIN_CODE_SIZE + 1, gif.END + 1, False
            continue
        if previous and next_code < gif.MAX_CODES:
            next_code += 1
            if next_code == 1 << size and size < 12:
                size += 1
        previous = True
    return writer.finish()


def with_image_data(width, height, data):
    """A file as gif.encode writes it, with other image data."""
    frame = gif.encode(width, height, palette(), [0] * (width * height))
    return frame[:IMAGE_DATA_OFFSET] + gif._sub_blocks(data) + b"\x3B"


def frames():
    """[(name, width, height, bytes, indices or None)]"""
    made = []
    tiny = [i * 17 for i in range(5 * 3)]
    made.append(("Tiny", 5, 3, gif.encode(5, 3, palette(), tiny), tiny))
    pixels = noise(301 * 97, 20)
    made.append(("Noise", 301, 97, gif.encode(301, 97, palette(), pixels), pixels))
    # Literals, so that the table fills up (after 3838 of them) and stays
    # full for a while, then its last string (the 3838th literal and the
    # 3839th), then a clear code that empties it, and literals again.
    literals = [(i * 7 + i // 64) & 0xFF for i in range(64 * 80 - 2)]
    last = gif.MAX_CODES - 1
    codes = [gif.CLEAR] + literals[:4500] + [last, gif.CLEAR] + literals[4500:] + [gif.END]
    pixels = literals[:4500] + literals[3837:3839] + literals[4500:]
    made.append(("FullTable", 64, 80, with_image_data(64, 80, coded(codes)), pixels))

    clear, end = gif.CLEAR, gif.END
    damaged = {
        "FewerPixels": [clear] + tiny[:14] + [end],
        "MorePixels": [clear] + tiny + [0, end],
        # A string that would run past the last pixel: 14 literals and the
        # next code, which stands for the last literal twice.
        "LongLastString": [clear] + tiny[:14] + [gif.END + 1 + 13, end],
        "NoEndCode": [clear] + tiny,
        "UndefinedCode": [clear, 0, gif.END + 2, end],
        "StringAfterClear": [clear, gif.END + 1, end],
    }
    for name, codes in damaged.items():
        made.append((name, 5, 3, with_image_data(5, 3, coded(codes)), None))
    return made


def array(name, data):
    lines = []
    for i in range(0, len(data), 24):
        lines.append("    " + ", ".join("%d" % b for b in data[i:i + 24]) + ",")
    return "inline constexpr std::uint8_t %s[] = {\n%s\n};\n" % (name, "\n".join(lines))


def header():
    with open(os.path.join(ROOT, "resources", "splash.gif"), "rb") as f:
        shipped = f.read()
    parts = ["// Made by tests/host/gif_frames.py with tools/artwork/gif.py.\n",
             "#pragma once\n\n#include <cstdint>\n\nnamespace tq::gif_frames {\n\n",
             "// resources/splash.gif, the picture the executable carries.\n",
             array("kShippedSplash", shipped)]
    for name, width, height, data, indices in frames():
        parts.append("\ninline constexpr int k%sWidth = %d;\n" % (name, width))
        parts.append("inline constexpr int k%sHeight = %d;\n" % (name, height))
        parts.append(array("k%sGif" % name, data))
        if indices is not None:
            parts.append(array("k%sIndices" % name, indices))
    parts.append("\n}  // namespace tq::gif_frames\n")
    return "".join(parts)


def main(argv):
    if len(argv) != 3 or argv[1] not in ("header", "corpus"):
        print(__doc__)
        return 2
    if argv[1] == "header":
        os.makedirs(os.path.dirname(os.path.abspath(argv[2])), exist_ok=True)
        with open(argv[2], "w", encoding="ascii") as f:
            f.write(header())
        return 0
    os.makedirs(argv[2], exist_ok=True)
    made = {name: data for name, _, _, data, _ in frames()}
    # Small seeds mutate best: the noise at a smaller size.
    seeds = {"tiny": made["Tiny"], "full-table": made["FullTable"],
             "noise": gif.encode(40, 30, palette(), noise(40 * 30, 7))}
    for name, data in seeds.items():
        with open(os.path.join(argv[2], name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
