"""The splash picture: the mark, the product's name and what it does on the
left; a phone in the middle of a conversation on the right."""

import font
import mark
from geometry import circle, oriented, polygon, rounded_rect, stroke, transform
from raster import Canvas, Mask, hex_colour, linear, radial

WIDTH = 493
HEIGHT = 446

NIGHT = hex_colour("#0A1C37")
DEEP = hex_colour("#103A5E")
MINT = hex_colour("#7FE6DA")
MIST = hex_colour("#AFC3D9")
DIM = hex_colour("#8CA3BE")
WHITE = hex_colour("#FFFFFF")
INK = hex_colour("#0E2240")
PAPER = hex_colour("#F6F9FC")
PAPER_SHADE = hex_colour("#E2ECF4")

MARGIN = 36


def transparent(colour, alpha):
    return colour[:3] + (alpha,)


def draw_text(canvas, text, x, baseline, size, weight, paint, tracking=0.0, align="left"):
    if align == "right":
        x -= font.text_width(text, size, weight, tracking)
    canvas.fill(font.text_contours(text, x, baseline, size, weight, tracking), paint)


def background(canvas):
    canvas.fill([[(0, 0), (WIDTH, 0), (WIDTH, HEIGHT), (0, HEIGHT)]],
                linear(0, 0, WIDTH, HEIGHT, [(0.0, NIGHT), (1.0, DEEP)]))
    whole = [[(0, 0), (WIDTH, 0), (WIDTH, HEIGHT), (0, HEIGHT)]]
    canvas.fill(whole, radial(386, 206, 250, [(0.0, transparent(mark.TEAL, 0.30)),
                                               (1.0, transparent(mark.TEAL, 0.0))]))
    canvas.fill(whole, radial(40, 20, 300, [(0.0, transparent(mark.BLUE, 0.22)),
                                             (1.0, transparent(mark.BLUE, 0.0))]))


def radio_waves(canvas, cx, cy):
    for i, radius in enumerate((118, 152, 186, 220)):
        ring = stroke(circle(cx, cy, radius)[0], 1.6, closed=True)
        canvas.fill(ring, transparent(WHITE, 0.075 - 0.013 * i))


class Phone:
    LEFT = 318
    TOP = 56
    WIDTH = 136
    HEIGHT = 292
    TILT = 6.0

    def __init__(self, canvas):
        self.canvas = canvas
        self.origin = (self.LEFT + self.WIDTH / 2.0, self.TOP + self.HEIGHT / 2.0)

    def place(self, contours):
        return transform(contours, rotate_degrees=self.TILT, origin=self.origin)

    def fill(self, contours, paint, opacity=1.0):
        self.canvas.fill(self.place(contours), paint, opacity)

    def draw(self):
        body = rounded_rect(self.LEFT, self.TOP, self.WIDTH, self.HEIGHT, 24)
        shadow = Mask(WIDTH, HEIGHT).add(transform(self.place(body), dx=8, dy=14)).blur(14)
        self.canvas.fill_mask(shadow, hex_colour("#020A18"), 0.55)
        self.fill(body, linear(self.LEFT, self.TOP, self.LEFT + self.WIDTH, self.TOP + self.HEIGHT,
                               [(0.0, hex_colour("#4A6A90")), (1.0, hex_colour("#1B2E4A"))]))
        inner = rounded_rect(self.LEFT + 2, self.TOP + 2, self.WIDTH - 4, self.HEIGHT - 4, 22)
        self.fill(inner, linear(0, self.TOP, 0, self.TOP + self.HEIGHT,
                                [(0.0, hex_colour("#17263F")), (1.0, hex_colour("#0B1528"))]))
        # Speaker and camera above the screen.
        mid = self.LEFT + self.WIDTH / 2.0
        self.fill(rounded_rect(mid - 14, self.TOP + 11, 28, 4, 2), hex_colour("#33496A"))
        self.fill(circle(mid + 24, self.TOP + 13, 2.4), hex_colour("#33496A"))
        self.screen()

    def screen(self):
        x = self.LEFT + 8
        y = self.TOP + 24
        w = self.WIDTH - 16
        h = self.HEIGHT - 48
        self.fill(rounded_rect(x, y, w, h, 10), linear(0, y, 0, y + h, [(0.0, PAPER),
                                                                       (1.0, PAPER_SHADE)]))
        # Header: the phone's status row, then the contact.
        header = 44
        self.fill(rounded_rect(x, y, w, header, 10) + [[(x, y + 20), (x + w, y + 20),
                                                        (x + w, y + header), (x, y + header)]],
                  linear(x, y, x + w, y + header, [(0.0, mark.TEAL), (1.0, mark.BLUE)]))
        self.signal_bars(x + 9, y + 6)
        self.battery(x + w - 24, y + 6)
        self.fill(circle(x + 17, y + 31, 7), transparent(WHITE, 0.92))
        self.fill(rounded_rect(x + 30, y + 25, 46, 5, 2.5), transparent(WHITE, 0.9))
        self.fill(rounded_rect(x + 30, y + 33, 28, 4, 2), transparent(WHITE, 0.6))
        top = y + header + 10
        top = self.bubble(x + 8, top, 82, [66, 44], incoming=True)
        top = self.bubble(x + w - 8 - 86, top + 8, 86, [70, 52], incoming=False)
        top = self.bubble(x + 8, top + 8, 74, [58], incoming=True)
        self.typing(x + w - 8 - 40, top + 8)
        # The box to write in, with its send button.
        box_y = y + h - 28
        self.fill(rounded_rect(x + 7, box_y, w - 40, 20, 10), WHITE)
        self.fill(rounded_rect(x + 15, box_y + 8, 38, 4, 2), hex_colour("#C9D6E3"))
        self.fill(circle(x + w - 18, box_y + 10, 10),
                  linear(x + w - 28, box_y, x + w - 8, box_y + 20, [(0.0, mark.TEAL),
                                                                    (1.0, mark.BLUE)]))
        bx, by = x + w - 18, box_y + 10
        self.fill(polygon((bx - 4.5, by - 5), (bx + 5.5, by), (bx - 4.5, by + 5), (bx - 2.5, by)),
                  WHITE)

    def signal_bars(self, x, y):
        for i in range(4):
            height = 3 + 2 * i
            self.fill(rounded_rect(x + i * 4.2, y + 9 - height, 2.8, height, 0.8),
                      transparent(WHITE, 0.95))

    def battery(self, x, y):
        outline = stroke(rounded_rect(x, y, 13, 7, 1.6)[0], 1.1, closed=True)
        self.fill(outline, transparent(WHITE, 0.9))
        self.fill(rounded_rect(x + 13.6, y + 2.2, 1.6, 2.6, 0.6), transparent(WHITE, 0.9))
        self.fill(rounded_rect(x + 2, y + 2, 7, 3, 0.6), transparent(WHITE, 0.9))

    def bubble(self, x, y, width, lines, incoming):
        height = 10 + 9 * len(lines)
        shape = rounded_rect(x, y, width, height, 8)
        if incoming:
            tail = polygon((x + 2, y + height - 9), (x - 4, y + height + 1), (x + 10, y + height - 1))
            self.fill([oriented(c) for c in shape + tail], WHITE)
            ink = hex_colour("#B8C7D8")
        else:
            tail = polygon((x + width - 2, y + height - 9), (x + width + 4, y + height + 1),
                           (x + width - 10, y + height - 1))
            self.fill([oriented(c) for c in shape + tail],
                      linear(x, y, x + width, y + height, [(0.0, mark.TEAL), (1.0, mark.BLUE)]))
            ink = transparent(WHITE, 0.75)
        for i, length in enumerate(lines):
            self.fill(rounded_rect(x + 8, y + 7 + 9 * i, length, 4.5, 2.25), ink)
        return y + height

    def typing(self, x, y):
        self.fill(rounded_rect(x, y, 40, 18, 9), linear(x, y, x + 40, y + 18,
                                                         [(0.0, mark.TEAL), (1.0, mark.BLUE)]))
        for i in range(3):
            self.fill(circle(x + 11 + 9 * i, y + 9, 2.4), transparent(WHITE, 0.9 - 0.2 * i))


def left_column(canvas):
    mark.draw(canvas, MARGIN, 46, 64)
    draw_text(canvas, "Tovane", MARGIN - 3, 172, 58, 124, WHITE)
    draw_text(canvas, "Quillon", MARGIN - 3, 228, 58, 124, WHITE)
    draw_text(canvas, "SMS server for GSM phones", MARGIN, 266, 18.5, 82, MINT)
    draw_text(canvas, "Send and receive text messages", MARGIN, 296, 14, 68, MIST)
    draw_text(canvas, "from your PC through a GSM phone", MARGIN, 315, 14, 68, MIST)


def footer(canvas):
    canvas.fill([[(MARGIN, 392), (WIDTH - MARGIN, 392), (WIDTH - MARGIN, 393), (MARGIN, 393)]],
                transparent(WHITE, 0.14))
    draw_text(canvas, "Version 1.00", MARGIN, 418, 13, 70, DIM)
    draw_text(canvas, "\u00a9 tovane", WIDTH - MARGIN, 418, 13, 70, DIM, align="right")


def render():
    canvas = Canvas(WIDTH, HEIGHT, NIGHT)
    background(canvas)
    radio_waves(canvas, Phone.LEFT + Phone.WIDTH / 2.0, Phone.TOP + Phone.HEIGHT / 2.0)
    Phone(canvas).draw()
    left_column(canvas)
    footer(canvas)
    return canvas
