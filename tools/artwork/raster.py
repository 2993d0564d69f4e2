"""Anti-aliased vector rasterising into an RGBA canvas, in pure Python.

Shapes are lists of closed contours (lists of (x, y) points in pixel units,
y downwards). Coverage is exact horizontally and sampled on SUBROWS
sub-scanlines vertically, which is plenty for artwork of this size and keeps
every result a plain function of the input (no platform maths beyond + - * /
and the trigonometry used to build shapes, whose inputs are rounded first).
"""

import math

SUBROWS = 16


def _edges(contours):
    edges = []
    for contour in contours:
        count = len(contour)
        for i in range(count):
            x0, y0 = contour[i]
            x1, y1 = contour[(i + 1) % count]
            if y0 == y1:
                continue
            direction = 1
            if y0 > y1:
                x0, y0, x1, y1 = x1, y1, x0, y0
                direction = -1
            edges.append((y0, y1, x0, (x1 - x0) / (y1 - y0), direction))
    edges.sort()
    return edges


def coverage_rows(contours, width, height, even_odd=False):
    """Yields (row, first_column, [coverage...]) for every row the shape touches."""
    edges = _edges(contours)
    if not edges:
        return
    xs = [x for contour in contours for x, _ in contour]
    left = max(0, int(math.floor(min(xs))))
    right = min(width, int(math.ceil(max(xs))) + 1)
    if left >= right:
        return
    top = max(0, int(math.floor(edges[0][0])))
    bottom = min(height, int(math.ceil(max(e[1] for e in edges))))
    span = right - left
    step = 1.0 / SUBROWS
    next_edge = 0
    active = []
    for row in range(top, bottom):
        row_bottom = row + 1
        while next_edge < len(edges) and edges[next_edge][0] < row_bottom:
            active.append(edges[next_edge])
            next_edge += 1
        active = [e for e in active if e[1] > row]
        if not active:
            continue
        partial = [0.0] * (span + 2)
        runs = [0] * (span + 2)
        touched = False
        for sub in range(SUBROWS):
            sample_y = row + (sub + 0.5) * step
            crossings = []
            for y0, y1, x0, slope, direction in active:
                if y0 <= sample_y < y1:
                    crossings.append((x0 + (sample_y - y0) * slope, direction))
            if not crossings:
                continue
            crossings.sort()
            winding = 0
            start = 0.0
            for x, direction in crossings:
                was_inside = (winding & 1) if even_odd else winding != 0
                winding += direction
                inside = (winding & 1) if even_odd else winding != 0
                if inside and not was_inside:
                    start = x
                elif was_inside and not inside:
                    a = min(max(start, left), right) - left
                    b = min(max(x, left), right) - left
                    if b <= a:
                        continue
                    touched = True
                    ia = int(a)
                    ib = int(b)
                    if ia == ib:
                        partial[ia] += b - a
                    else:
                        partial[ia] += ia + 1 - a
                        runs[ia + 1] += 1
                        runs[ib] -= 1
                        partial[ib] += b - ib
        if not touched:
            continue
        values = []
        run = 0
        for i in range(span):
            run += runs[i]
            value = (run + partial[i]) * step
            values.append(1.0 if value > 1.0 else value)
        yield row, left, values


class Mask:
    """A coverage map the size of a canvas, for effects such as soft shadows."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.values = [0.0] * (width * height)

    def add(self, contours, opacity=1.0):
        w = self.width
        for row, first, values in coverage_rows(contours, self.width, self.height):
            base = row * w + first
            for i, value in enumerate(values):
                if value:
                    v = self.values[base + i] + value * opacity
                    self.values[base + i] = 1.0 if v > 1.0 else v
        return self

    def blur(self, radius, passes=3):
        """Three box blurs approximate a Gaussian of about the given radius."""
        r = max(1, int(round(radius / math.sqrt(passes))))
        for _ in range(passes):
            self._box_rows(r)
            self._box_columns(r)
        return self

    def _box_rows(self, r):
        w, h = self.width, self.height
        size = 2 * r + 1
        out = self.values[:]
        for y in range(h):
            base = y * w
            row = self.values[base:base + w]
            total = sum(row[0:min(r + 1, w)])
            for x in range(w):
                out[base + x] = total / size
                add = x + r + 1
                drop = x - r
                if add < w:
                    total += row[add]
                if drop >= 0:
                    total -= row[drop]
        self.values = out

    def _box_columns(self, r):
        w, h = self.width, self.height
        size = 2 * r + 1
        out = self.values[:]
        for x in range(w):
            column = self.values[x::w]
            total = sum(column[0:min(r + 1, h)])
            for y in range(h):
                out[y * w + x] = total / size
                add = y + r + 1
                drop = y - r
                if add < h:
                    total += column[add]
                if drop >= 0:
                    total -= column[drop]
        self.values = out


# --- Paints: functions of the pixel centre giving (r, g, b, a), 0..1 --------


def hex_colour(text, alpha=1.0):
    text = text.lstrip("#")
    return (int(text[0:2], 16) / 255.0, int(text[2:4], 16) / 255.0, int(text[4:6], 16) / 255.0,
            alpha)


def solid(colour):
    return lambda x, y: colour


def _interpolate(stops, t):
    if t <= stops[0][0]:
        return stops[0][1]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            f = (t - t0) / (t1 - t0) if t1 > t0 else 0.0
            return tuple(a + (b - a) * f for a, b in zip(c0, c1))
    return stops[-1][1]


def linear(x0, y0, x1, y1, stops):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    return lambda x, y: _interpolate(stops, ((x - x0) * dx + (y - y0) * dy) / length2)


def radial(cx, cy, radius, stops, squash=1.0):
    def paint(x, y):
        d = math.sqrt((x - cx) ** 2 + ((y - cy) / squash) ** 2) / radius
        return _interpolate(stops, d)

    return paint


class Canvas:
    """RGBA pixels, premultiplied floats while drawing."""

    def __init__(self, width, height, background=(0.0, 0.0, 0.0, 0.0)):
        self.width = width
        self.height = height
        r, g, b, a = background
        n = width * height
        self.r = [r * a] * n
        self.g = [g * a] * n
        self.b = [b * a] * n
        self.a = [a] * n

    def fill(self, contours, paint, opacity=1.0, even_odd=False):
        if not callable(paint):
            paint = solid(paint)
        for row, first, values in coverage_rows(contours, self.width, self.height, even_odd):
            self._blend_row(row, first, values, paint, opacity)

    def fill_mask(self, mask, paint, opacity=1.0):
        if not callable(paint):
            paint = solid(paint)
        w = self.width
        for row in range(self.height):
            values = mask.values[row * w:(row + 1) * w]
            if any(values):
                self._blend_row(row, 0, values, paint, opacity)

    def _blend_row(self, row, first, values, paint, opacity):
        R, G, B, A = self.r, self.g, self.b, self.a
        base = row * self.width + first
        y = row + 0.5
        for i, cover in enumerate(values):
            if cover <= 0.0:
                continue
            r, g, b, a = paint(first + i + 0.5, y)
            k = cover * opacity * a
            if k <= 0.0:
                continue
            j = base + i
            keep = 1.0 - k
            R[j] = r * k + R[j] * keep
            G[j] = g * k + G[j] * keep
            B[j] = b * k + B[j] * keep
            A[j] = k + A[j] * keep

    def pixel(self, x, y):
        """Straight (not premultiplied) 8-bit RGBA of one pixel."""
        j = y * self.width + x
        a = self.a[j]
        if a <= 0.0:
            return (0, 0, 0, 0)
        return (_byte(self.r[j] / a), _byte(self.g[j] / a), _byte(self.b[j] / a), _byte(a))

    def rgba_rows(self):
        return [[self.pixel(x, y) for x in range(self.width)] for y in range(self.height)]


def _byte(value):
    v = int(value * 255.0 + 0.5)
    return 0 if v < 0 else 255 if v > 255 else v
