"""Shapes as contours, and monoline strokes turned into fillable outlines.

Points are rounded to 1/4096 of a unit after every trigonometric step, so the
shapes do not depend on the last bit of the platform's sin and cos.
"""

import math

SHARP_TURN_DEGREES = 35.0


def _r(value):
    return round(value * 4096.0) / 4096.0


def _cos(degrees):
    return _r(math.cos(math.radians(degrees)))


def _sin(degrees):
    return _r(math.sin(math.radians(degrees)))


def arc_points(cx, cy, rx, ry, start, end, y_up=False, per_pixel=1.0):
    """Points of an elliptical arc; angles in degrees, counter-clockwise when
    y_up (font space) and clockwise on screen otherwise."""
    sweep = end - start
    length = abs(math.radians(sweep)) * max(abs(rx), abs(ry)) * per_pixel
    steps = max(4, int(math.ceil(length / 1.5)), int(math.ceil(abs(sweep) / 8.0)))
    sign = 1.0 if y_up else -1.0
    points = []
    for i in range(steps + 1):
        angle = start + sweep * i / steps
        points.append((_r(cx + rx * _cos(angle)), _r(cy + sign * ry * _sin(angle))))
    return points


def ellipse(cx, cy, rx, ry):
    return [arc_points(cx, cy, rx, ry, 0.0, 360.0)[:-1]]


def circle(cx, cy, radius):
    return ellipse(cx, cy, radius, radius)


def rounded_rect(x, y, width, height, radius):
    radius = min(radius, width / 2.0, height / 2.0)
    if radius <= 0:
        return [[(x, y), (x + width, y), (x + width, y + height), (x, y + height)]]
    points = []
    corners = [(x + width - radius, y + radius, -90.0), (x + width - radius, y + height - radius, 0.0),
               (x + radius, y + height - radius, 90.0), (x + radius, y + radius, 180.0)]
    for cx, cy, start in corners:
        # Screen space, y down: these sweep clockwise round the rectangle.
        for i in range(13):
            angle = math.radians(start + 90.0 * i / 12)
            points.append((_r(cx + radius * math.cos(angle)), _r(cy + radius * math.sin(angle))))
    return [points]


def polygon(*points):
    return [list(points)]


def transform(contours, scale=1.0, dx=0.0, dy=0.0, rotate_degrees=0.0, origin=(0.0, 0.0)):
    c, s = _cos(rotate_degrees), _sin(rotate_degrees)
    ox, oy = origin
    result = []
    for contour in contours:
        moved = []
        for x, y in contour:
            x, y = x - ox, y - oy
            x, y = x * c - y * s, x * s + y * c
            moved.append((_r((x + ox) * scale + dx), _r((y + oy) * scale + dy)))
        result.append(moved)
    return result


def signed_area(contour):
    total = 0.0
    count = len(contour)
    for i in range(count):
        x0, y0 = contour[i]
        x1, y1 = contour[(i + 1) % count]
        total += x0 * y1 - x1 * y0
    return total / 2.0


def oriented(contour, positive=True):
    """Non-zero filling unions shapes only when they all wind the same way."""
    if (signed_area(contour) > 0) != positive:
        return contour[::-1]
    return contour


# --- Monoline strokes with round caps and joins -------------------------------


def _dedupe(points, closed):
    result = []
    for p in points:
        if not result or abs(p[0] - result[-1][0]) > 1e-6 or abs(p[1] - result[-1][1]) > 1e-6:
            result.append(p)
    if closed and len(result) > 1 and abs(result[0][0] - result[-1][0]) < 1e-6 and abs(
            result[0][1] - result[-1][1]) < 1e-6:
        result.pop()
    return result


def _direction(a, b):
    dx, dy = b[0] - a[0], b[1] - a[1]
    length = math.hypot(dx, dy)
    return dx / length, dy / length


def _turn(d0, d1):
    dot = max(-1.0, min(1.0, d0[0] * d1[0] + d0[1] * d1[1]))
    return math.degrees(math.acos(dot))


def _disc(x, y, radius):
    steps = max(12, int(math.ceil(2 * math.pi * radius / 1.2)))
    return [(_r(x + radius * math.cos(2 * math.pi * i / steps)),
             _r(y + radius * math.sin(2 * math.pi * i / steps))) for i in range(steps)]


def _offset_side(points, half, sign, closed):
    count = len(points)
    result = []
    for i in range(count):
        if closed:
            prev_p, next_p = points[i - 1], points[(i + 1) % count]
        else:
            prev_p = points[i - 1] if i > 0 else None
            next_p = points[i + 1] if i < count - 1 else None
        p = points[i]
        normals = []
        if prev_p is not None:
            d = _direction(prev_p, p)
            normals.append((-d[1] * sign, d[0] * sign))
        if next_p is not None:
            d = _direction(p, next_p)
            normals.append((-d[1] * sign, d[0] * sign))
        nx = sum(n[0] for n in normals)
        ny = sum(n[1] for n in normals)
        length = math.hypot(nx, ny)
        nx, ny = nx / length, ny / length
        # A mitre: the corner point sits further out as the path turns.
        cos_half = max(0.5, nx * normals[0][0] + ny * normals[0][1])
        distance = half / cos_half
        result.append((_r(p[0] + nx * distance), _r(p[1] + ny * distance)))
    return result


def _cap(center, direction, half):
    # A half circle round the end of a run, from its left side to its right.
    angle0 = math.atan2(direction[1], direction[0]) + math.pi / 2
    steps = max(8, int(math.ceil(math.pi * half / 1.2)))
    return [(_r(center[0] + half * math.cos(angle0 - math.pi * i / steps)),
             _r(center[1] + half * math.sin(angle0 - math.pi * i / steps)))
            for i in range(1, steps)]


def _open_run(points, half):
    if len(points) == 1:
        return [_disc(points[0][0], points[0][1], half)]
    left = _offset_side(points, half, 1.0, False)
    right = _offset_side(points, half, -1.0, False)
    end_dir = _direction(points[-2], points[-1])
    start_dir = _direction(points[1], points[0])
    outline = left + _cap(points[-1], end_dir, half) + right[::-1] + _cap(points[0], start_dir, half)
    return [oriented(outline)]


def stroke(points, width, closed=False):
    """Outline contours of a stroke of the given width along points, with
    round ends, round sharp corners and mitred gentle bends."""
    points = _dedupe(points, closed)
    half = width / 2.0
    if len(points) == 1:
        return [_disc(points[0][0], points[0][1], half)]
    count = len(points)
    sharp = []
    for i in range(count):
        if not closed and (i == 0 or i == count - 1):
            continue
        d0 = _direction(points[i - 1], points[i])
        d1 = _direction(points[i], points[(i + 1) % count])
        if _turn(d0, d1) > SHARP_TURN_DEGREES:
            sharp.append(i)
    if closed and not sharp:
        outer = _offset_side(points, half, 1.0, True)
        inner = _offset_side(points, half, -1.0, True)
        ring_outer = oriented(outer, True)
        ring_inner = oriented(inner, False)
        if abs(signed_area(ring_outer)) < abs(signed_area(ring_inner)):
            ring_outer, ring_inner = oriented(inner, True), oriented(outer, False)
        return [ring_outer, ring_inner]
    if closed:
        start = sharp[0]
        points = points[start:] + points[:start + 1]
        sharp = [i - start for i in sharp] + [len(points) - 1]
    else:
        sharp = sharp + [count - 1]
    contours = []
    begin = 0
    for end in sharp:
        if end > begin:
            contours.extend(_open_run(points[begin:end + 1], half))
        begin = end
    return contours
