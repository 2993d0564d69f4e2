"""The product's mark: a message bubble whose tail makes it a Q, with three
dots of a message being typed, on a rounded tile in the product's colours.

Small sizes get their own proportions, snapped to whole pixels, because a
shape scaled down from the large design blurs at 16 and 32 pixels."""

import math

from geometry import circle, oriented, polygon, rounded_rect, transform
from raster import hex_colour, linear

TEAL = hex_colour("#26C6B0")
BLUE = hex_colour("#1B5CD0")
NAVY = hex_colour("#0B1F3D")
WHITE = hex_colour("#FFFFFF")


class Geometry:
    def __init__(self, size, corner, centre, radius, tail, dot_xs, dot_y, dot_radius,
                 square_dots=False):
        self.size = size
        self.corner = corner
        self.centre = centre
        self.radius = radius
        self.tail = tail  # (angle where the tail leaves, angle where it returns, tip)
        self.dot_xs = dot_xs
        self.dot_y = dot_y
        self.dot_radius = dot_radius
        self.square_dots = square_dots


def geometry(size):
    """Proportions for a tile of size pixels. The small ones put the bubble's
    outer edges and the dots on whole pixels."""
    if size == 16:
        return Geometry(16, 3.5, (8.0, 7.0), 5.0, (12, 76, (13.6, 14.0)), (5.0, 8.0, 11.0), 7.0,
                        1.0, square_dots=True)
    if size == 32:
        return Geometry(32, 7.0, (16.0, 15.0), 10.0, (14, 74, (26.8, 27.8)), (10.0, 16.0, 22.0),
                        15.0, 2.0)
    if size == 48:
        return Geometry(48, 10.5, (24.0, 22.0), 15.0, (14, 74, (39.6, 41.2)), (15.0, 24.0, 33.0),
                        22.0, 3.0)
    s = float(size)
    return Geometry(size, 0.225 * s, (0.5 * s, 0.47 * s), 0.31 * s,
                    (14, 74, (0.815 * s, 0.845 * s)), (0.36 * s, 0.5 * s, 0.64 * s), 0.47 * s,
                    0.058 * s)


def _ring_point(g, degrees):
    a = math.radians(degrees)
    return (g.centre[0] + g.radius * math.cos(a), g.centre[1] + g.radius * math.sin(a))


def tile(g):
    return rounded_rect(0, 0, g.size, g.size, g.corner)


def bubble(g):
    start, end, tip = g.tail
    inner = (g.centre[0] + g.radius * 0.35, g.centre[1] + g.radius * 0.35)
    tail = polygon(_ring_point(g, start), tip, _ring_point(g, end), inner)
    return [oriented(c) for c in circle(g.centre[0], g.centre[1], g.radius) + tail]


def dots(g):
    contours = []
    for x in g.dot_xs:
        if g.square_dots:
            r = g.dot_radius
            contours += polygon((x - r, g.dot_y - r), (x + r, g.dot_y - r), (x + r, g.dot_y + r),
                                (x - r, g.dot_y + r))
        else:
            contours += circle(x, g.dot_y, g.dot_radius)
    return contours


def tile_paint(size, dx=0.0, dy=0.0):
    return linear(dx, dy, dx + size, dy + size, [(0.0, TEAL), (1.0, BLUE)])


def draw(canvas, x, y, size, tile_opacity=1.0):
    """Draws the full-colour mark with its top left corner at (x, y)."""
    g = geometry(size)

    def place(contours):
        return transform(contours, dx=x, dy=y)

    canvas.fill(place(tile(g)), tile_paint(size, x, y), tile_opacity)
    canvas.fill(place(bubble(g)), WHITE)
    canvas.fill(place(dots(g)), tile_paint(size, x, y))
