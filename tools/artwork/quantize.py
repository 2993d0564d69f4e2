"""Reducing colours to a palette by median cut, deterministically."""


def _box(entries):
    count = sum(n for _, n in entries)
    means = [sum(c[k] * n for c, n in entries) / count for k in range(3)]
    error = sum(n * sum((c[k] - means[k]) ** 2 for k in range(3)) for c, n in entries)
    return {"entries": entries, "count": count, "means": means, "error": error}


def _split(box):
    entries = box["entries"]
    ranges = [max(c[k] for c, _ in entries) - min(c[k] for c, _ in entries) for k in range(3)]
    channel = ranges.index(max(ranges))
    ordered = sorted(entries, key=lambda e: (e[0][channel], e[0]))
    half = box["count"] / 2.0
    running = 0
    cut = 1
    for i, (_, n) in enumerate(ordered[:-1]):
        running += n
        cut = i + 1
        if running >= half:
            break
    return _box(ordered[:cut]), _box(ordered[cut:])


def median_cut(histogram, colours):
    """histogram: {(r, g, b): count}. Returns (palette, {colour: palette index}),
    the palette sorted by brightness so the result never depends on the order
    in which boxes were split."""
    boxes = [_box(sorted(histogram.items()))]
    while len(boxes) < colours:
        splittable = [b for b in boxes if len(b["entries"]) > 1]
        if not splittable:
            break
        worst = max(splittable, key=lambda b: b["error"])
        boxes.remove(worst)
        boxes.extend(_split(worst))
    named = []
    for box in boxes:
        colour = tuple(int(round(m)) for m in box["means"])
        named.append((colour, box))
    named.sort(key=lambda item: (item[0][0] * 299 + item[0][1] * 587 + item[0][2] * 114,
                                 item[0]))
    palette = [colour for colour, _ in named]
    mapping = {}
    for index, (_, box) in enumerate(named):
        for colour, _ in box["entries"]:
            mapping[colour] = index
    return palette, mapping


def nearest(palette, colour):
    best = 0
    best_distance = None
    for i, p in enumerate(palette):
        d = (p[0] - colour[0]) ** 2 + (p[1] - colour[1]) ** 2 + (p[2] - colour[2]) ** 2
        if best_distance is None or d < best_distance:
            best, best_distance = i, d
    return best


def dither(pixels, width, height, palette, strength=0.75):
    """Floyd-Steinberg error diffusion onto the palette. A damped error keeps
    smooth gradients free of bands without speckling flat areas and edges."""
    cache = {}
    current = [[float(c) for c in p] for p in pixels[0:width]]
    indices = []
    for y in range(height):
        below = ([[float(c) for c in p] for p in pixels[(y + 1) * width:(y + 2) * width]]
                 if y + 1 < height else None)
        for x in range(width):
            r, g, b = current[x]
            key = (min(255, max(0, int(r + 0.5))), min(255, max(0, int(g + 0.5))),
                   min(255, max(0, int(b + 0.5))))
            index = cache.get(key)
            if index is None:
                index = cache[key] = nearest(palette, key)
            indices.append(index)
            p = palette[index]
            errors = ((r - p[0]) * strength, (g - p[1]) * strength, (b - p[2]) * strength)
            if x + 1 < width:
                target = current[x + 1]
                for k in range(3):
                    target[k] += errors[k] * 7 / 16
            if below is not None:
                for dx, weight in ((-1, 3 / 16), (0, 5 / 16), (1, 1 / 16)):
                    if 0 <= x + dx < width:
                        target = below[x + dx]
                        for k in range(3):
                            target[k] += errors[k] * weight
        current = below
    return indices
