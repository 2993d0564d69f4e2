"""Quillon Sans: a small geometric monoline typeface of our own.

Each glyph is a set of centre lines in units of 1/1000 em (y up, baseline 0,
x-height 500, capitals 700, ascenders 740, descenders -220). Text is drawn by
stroking those lines with round ends at the weight asked for, so one design
gives every weight; spacing adds the weight to each advance, which keeps the
visible gaps between letters the same at every weight.
"""

from geometry import arc_points, stroke

X_HEIGHT = 500
CAP = 700
ASCENDER = 740
DESCENDER = -220


class Path:
    """A centre line made of straight pieces and elliptical arcs."""

    def __init__(self, x=None, y=None):
        self.pieces = []
        self.closed = False
        if x is not None:
            self.pieces.append(("move", (x, y)))

    def line(self, x, y):
        self.pieces.append(("line", (x, y)))
        return self

    def arc(self, cx, cy, rx, ry, start, end):
        self.pieces.append(("arc", (cx, cy, rx, ry, start, end)))
        return self

    def close(self):
        self.closed = True
        return self

    def points(self, per_unit):
        pts = []
        for kind, args in self.pieces:
            if kind in ("move", "line"):
                pts.append(args)
            else:
                pts.extend(arc_points(*args, y_up=True, per_pixel=per_unit))
        return pts


def L(x0, y0, x1, y1):
    return Path(x0, y0).line(x1, y1)


def P(*points):
    path = Path(*points[0])
    for x, y in points[1:]:
        path.line(x, y)
    return path


def A(cx, cy, rx, ry, start, end):
    return Path().arc(cx, cy, rx, ry, start, end)


def E(cx, cy, rx, ry):
    return Path().arc(cx, cy, rx, ry, 90, 450).close()


def D(x, y):
    """A dot: drawn a little heavier than the stroke, as round letters' dots are."""
    path = Path(x, y)
    path.dot = True
    return path


# name: (body width, [centre lines], left pad, right pad); pads are the
# spacing on each side beyond half the stroke weight.
ROUND = 40
STRAIGHT = 62

GLYPHS = {
    " ": (180, [], 0, 0),
    "a": (460, [E(230, 250, 230, 250), L(460, 0, 460, 500)], ROUND, STRAIGHT),
    "b": (460, [L(0, 0, 0, ASCENDER), E(230, 250, 230, 250)], STRAIGHT, ROUND),
    "c": (410, [A(235, 250, 235, 250, 48, 312)], ROUND, 30),
    "d": (460, [E(230, 250, 230, 250), L(460, 0, 460, ASCENDER)], ROUND, STRAIGHT),
    "e": (460, [Path(0, 250).line(460, 250).arc(230, 250, 230, 250, 0, 318)], ROUND, 30),
    "f": (270, [Path(80, 0).line(80, 570).arc(205, 570, 125, 160, 180, 40),
                L(0, 500, 250, 500)], 20, 10),
    "g": (460, [E(230, 250, 230, 250),
                Path(460, 500).line(460, -20).arc(230, -20, 230, 200, 0, -160)], ROUND, STRAIGHT),
    "h": (450, [L(0, 0, 0, ASCENDER), Path(0, 280).arc(225, 280, 225, 220, 180, 0).line(450, 0)],
          STRAIGHT, STRAIGHT),
    "i": (0, [L(0, 0, 0, 500), D(0, 690)], STRAIGHT, STRAIGHT),
    "j": (130, [Path(130, 500).line(130, -60).arc(20, -60, 110, 160, 0, -115), D(130, 690)],
          0, STRAIGHT),
    "k": (420, [L(0, 0, 0, ASCENDER), L(400, 500, 0, 190), L(140, 300, 420, 0)],
          STRAIGHT, 30),
    "l": (0, [L(0, 0, 0, ASCENDER)], STRAIGHT, STRAIGHT),
    "m": (740, [L(0, 0, 0, 500), Path(0, 300).arc(185, 300, 185, 200, 180, 0).line(370, 0),
                Path(370, 300).arc(555, 300, 185, 200, 180, 0).line(740, 0)],
          STRAIGHT, STRAIGHT),
    "n": (450, [L(0, 0, 0, 500), Path(0, 280).arc(225, 280, 225, 220, 180, 0).line(450, 0)],
          STRAIGHT, STRAIGHT),
    "o": (480, [E(240, 250, 240, 250)], ROUND, ROUND),
    "p": (460, [L(0, DESCENDER, 0, 500), E(230, 250, 230, 250)], STRAIGHT, ROUND),
    "q": (460, [E(230, 250, 230, 250), L(460, DESCENDER, 460, 500)], ROUND, STRAIGHT),
    "r": (290, [L(0, 0, 0, 500), Path(0, 270).arc(205, 270, 205, 230, 180, 65)],
          STRAIGHT, 10),
    "s": (390, [Path().arc(200, 377, 178, 123, 35, 270).arc(200, 126, 195, 126, 90, -145)],
          35, 35),
    "t": (270, [Path(90, 660).line(90, 110).arc(210, 110, 120, 110, 180, 300),
                L(0, 500, 250, 500)], 20, 15),
    "u": (450, [Path(0, 500).line(0, 220).arc(225, 220, 225, 220, 180, 360),
                L(450, 500, 450, 0)], STRAIGHT, STRAIGHT),
    "v": (460, [P((0, 500), (230, 0), (460, 500))], 25, 25),
    "w": (700, [P((0, 500), (175, 0), (350, 500), (525, 0), (700, 500))], 25, 25),
    "x": (430, [L(0, 500, 430, 0), L(0, 0, 430, 500)], 25, 25),
    "y": (460, [L(0, 500, 236, 0), L(460, 500, 130, DESCENDER)], 25, 25),
    "z": (400, [P((10, 500), (400, 500), (0, 0), (410, 0))], 35, 35),
    "A": (620, [P((0, 0), (310, 700), (620, 0)), L(100, 225, 520, 225)], 25, 25),
    "B": (470, [Path(0, 0).line(0, 700).line(235, 700).arc(235, 530, 175, 170, 90, -90)
                .line(0, 360),
                Path(0, 360).line(265, 360).arc(265, 180, 205, 180, 90, -90).line(0, 0)],
          STRAIGHT, ROUND),
    "C": (620, [A(355, 350, 355, 350, 45, 315)], ROUND, 30),
    "D": (600, [Path(0, 0).line(0, 700).line(250, 700).arc(250, 350, 350, 350, 90, -90)
                .line(0, 0).close()], STRAIGHT, ROUND),
    "E": (450, [P((450, 700), (0, 700), (0, 0), (450, 0)), L(0, 360, 400, 360)],
          STRAIGHT, 40),
    "F": (440, [P((440, 700), (0, 700), (0, 0)), L(0, 360, 390, 360)], STRAIGHT, 30),
    "G": (720, [Path().arc(360, 350, 360, 350, 45, 360).line(420, 350)], ROUND, ROUND),
    "H": (540, [L(0, 0, 0, 700), L(540, 0, 540, 700), L(0, 360, 540, 360)], STRAIGHT, STRAIGHT),
    "I": (0, [L(0, 0, 0, 700)], STRAIGHT, STRAIGHT),
    "J": (390, [Path(390, 700).line(390, 220).arc(195, 220, 195, 220, 0, -175)], 20, STRAIGHT),
    "K": (500, [L(0, 0, 0, 700), L(480, 700, 0, 240), L(175, 408, 500, 0)], STRAIGHT, 30),
    "L": (420, [P((0, 700), (0, 0), (420, 0))], STRAIGHT, 30),
    "M": (700, [P((0, 0), (0, 700), (350, 170), (700, 700), (700, 0))], STRAIGHT, STRAIGHT),
    "N": (560, [P((0, 0), (0, 700), (560, 0), (560, 700))], STRAIGHT, STRAIGHT),
    "O": (740, [E(370, 350, 370, 350)], ROUND, ROUND),
    "P": (460, [Path(0, 0).line(0, 700).line(265, 700).arc(265, 510, 195, 190, 90, -90)
                .line(0, 320)], STRAIGHT, ROUND),
    "Q": (740, [E(370, 350, 370, 350), L(470, 170, 720, -50)], ROUND, ROUND),
    "R": (480, [Path(0, 0).line(0, 700).line(265, 700).arc(265, 515, 195, 185, 90, -90)
                .line(0, 330),
                L(250, 330, 480, 0)], STRAIGHT, 30),
    "S": (510, [Path().arc(255, 528, 222, 172, 35, 270).arc(255, 178, 250, 178, 90, -145)],
          35, 35),
    "T": (580, [L(0, 700, 580, 700), L(290, 700, 290, 0)], 20, 20),
    "U": (540, [Path(0, 700).line(0, 270).arc(270, 270, 270, 270, 180, 360).line(540, 700)],
          STRAIGHT, STRAIGHT),
    "V": (620, [P((0, 700), (310, 0), (620, 700))], 20, 20),
    "W": (880, [P((0, 700), (220, 0), (440, 700), (660, 0), (880, 700))], 20, 20),
    "X": (560, [L(0, 700, 560, 0), L(0, 0, 560, 700)], 25, 25),
    "Y": (580, [P((0, 700), (290, 350), (580, 700)), L(290, 350, 290, 0)], 20, 20),
    "Z": (520, [P((20, 700), (510, 700), (0, 0), (520, 0))], 35, 35),
    "0": (520, [E(260, 350, 260, 350)], 45, 45),
    "1": (230, [P((0, 560), (210, 700), (210, 0))], 60, STRAIGHT),
    "2": (470, [Path().arc(235, 480, 220, 220, 162, -38).line(0, 0).line(470, 0)], 35, 35),
    "3": (460, [A(225, 530, 205, 170, 148, -90), A(225, 180, 235, 180, 90, -148)], 35, 35),
    "4": (500, [P((370, 0), (370, 700), (0, 200), (500, 200))], 30, 30),
    "5": (470, [Path(440, 700).line(70, 700).line(35, 400)
                .arc(240, 225, 230, 230, 130, -150)], 35, 35),
    "6": (490, [E(245, 235, 245, 235), L(35, 360, 330, 700)], 40, 40),
    "7": (460, [P((0, 700), (460, 700), (120, 0))], 30, 30),
    "8": (480, [E(240, 535, 195, 165), E(240, 185, 240, 185)], 40, 40),
    "9": (490, [E(245, 465, 245, 235), L(455, 340, 160, 0)], 40, 40),
    ".": (0, [D(0, 0)], 50, 50),
    ",": (40, [L(40, 20, 0, -120)], 40, 40),
    ":": (0, [D(0, 0), D(0, 430)], 50, 50),
    "-": (240, [L(0, 270, 240, 270)], 40, 40),
    "/": (320, [L(0, -80, 320, 760)], 20, 20),
    "'": (0, [L(0, 740, 0, 560)], 50, 50),
    "&": (560, [Path(560, 0).line(130, 450).arc(235, 565, 150, 140, 215, -35)
                .line(110, 260).arc(240, 190, 220, 190, 160, 330).line(560, 340)], 30, 20),
    "\u00a9": (760, [E(380, 350, 380, 380), A(390, 350, 170, 180, 50, 310)], 40, 40),
    "\u2026": (540, [D(0, 0), D(270, 0), D(540, 0)], 50, 50),
}

# Pairs that look loose or tight with plain advances, in font units.
KERNING = {
    ("T", "o"): -110, ("T", "a"): -110, ("T", "e"): -110, ("T", "r"): -70, ("T", "y"): -70,
    ("V", "e"): -60, ("V", "a"): -60, ("V", "o"): -60, ("r", "."): -60, ("r", ","): -60,
    ("y", "."): -50, ("v", "e"): -15, ("Y", "o"): -80, ("L", "T"): -80, ("P", "."): -80,
    ("f", "o"): -15, ("r", "v"): 10, ("r", "e"): -10, ("r", "o"): -10,
}


def advance(char, weight, next_char=None, tracking=0.0):
    width, _, left, right = GLYPHS[char]
    total = width + left + right + (weight if char != " " else 0) + tracking
    if next_char is not None:
        total += KERNING.get((char, next_char), 0)
    return total


def text_width(text, size, weight, tracking=0.0):
    units = 0.0
    for i, char in enumerate(text):
        nxt = text[i + 1] if i + 1 < len(text) else None
        units += advance(char, weight, nxt, tracking if nxt is not None else 0.0)
    return units * size / 1000.0


def text_contours(text, x, baseline, size, weight, tracking=0.0):
    """Outline contours (pixel space, y down) of text whose em is size pixels;
    x is the left edge of the first glyph's box, baseline the text's baseline."""
    scale = size / 1000.0
    half = weight / 2.0
    contours = []
    pen = x / scale
    for i, char in enumerate(text):
        width, strokes, left, _ = GLYPHS[char]
        origin = pen + left + half
        for path in strokes:
            points = [(( origin + px) * scale, baseline - py * scale)
                      for px, py in path.points(scale)]
            if getattr(path, "dot", False):
                contours.extend(stroke(points[:1], weight * 1.3 * scale))
            else:
                contours.extend(stroke(points, weight * scale, closed=path.closed))
        nxt = text[i + 1] if i + 1 < len(text) else None
        pen += advance(char, weight, nxt, tracking)
    return contours
