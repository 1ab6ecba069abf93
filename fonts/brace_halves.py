"""Splits a brace glyph into an upper and a lower half, each with its origin at
the brace tip's height (the baseline) and its left edge at x = 0. The outline
is flattened into short segments and clipped against the baseline (a single
half-plane, so a simple polygon clip is exact); the halves overlap by a hair
so that no seam shows."""

from fontTools.pens.basePen import BasePen

from outline_kit import Shape

SEGMENTS_PER_CURVE = 48
SEAM_OVERLAP = 1.0


class _FlattenPen(BasePen):
    """Collects each contour as a list of points, curves sampled evenly."""

    def __init__(self):
        super().__init__(None)
        self.contours = []

    def _moveTo(self, pt):
        self.contours.append([pt])

    def _lineTo(self, pt):
        self.contours[-1].append(pt)

    def _curveToOne(self, p1, p2, p3):
        p0 = self.contours[-1][-1]
        for i in range(1, SEGMENTS_PER_CURVE + 1):
            t = i / SEGMENTS_PER_CURVE
            u = 1 - t
            x = u**3 * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t**3 * p3[0]
            y = u**3 * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t**3 * p3[1]
            self.contours[-1].append((x, y))

    def _closePath(self):
        pass

    def _endPath(self):
        pass


def _clip_above(points, limit):
    """Part of a closed polygon with y >= limit (Sutherland-Hodgman)."""
    result = []
    for i, current in enumerate(points):
        previous = points[i - 1]
        inside_now, inside_before = current[1] >= limit, previous[1] >= limit
        if inside_now != inside_before:
            t = (limit - previous[1]) / (current[1] - previous[1])
            result.append((previous[0] + t * (current[0] - previous[0]), limit))
        if inside_now:
            result.append(current)
    return result


def brace_halves(source, name, half_height, width):
    """The upper and lower halves of a brace glyph, each half_height tall and
    width wide, tip at the baseline, left edge at x = 0."""
    whole = Shape()
    whole.add_glyph(source, name)
    x0, y0, x1, y1 = whole.bounds()
    sx = width / (x1 - x0)
    sy = half_height / ((y1 - y0) / 2)
    centred = Shape()
    centred.add_shape(whole, -x0 * sx, -(y0 + y1) / 2 * sy, sx, sy)
    pen = _FlattenPen()
    centred.pen.replay(pen)
    upper, lower = Shape(), Shape()
    for contour in pen.contours:
        top = _clip_above(contour, -SEAM_OVERLAP)
        if len(top) >= 3:
            upper.add_polygon(top)
        mirrored = [(x, -y) for x, y in contour]
        bottom = _clip_above(mirrored, -SEAM_OVERLAP)
        if len(bottom) >= 3:
            lower.add_polygon([(x, -y) for x, y in bottom])
    return upper, lower


def pick_brace(source, wanted_ratio, count):
    """The brace glyph whose width-to-height ratio is nearest wanted_ratio."""
    best, best_error = None, None
    for index in range(count):
        name = f"brace{index}"
        if not source.has(name):
            continue
        shape = Shape()
        shape.add_glyph(source, name)
        x0, y0, x1, y1 = shape.bounds()
        error = abs((x1 - x0) / (y1 - y0) - wanted_ratio)
        if best_error is None or error < best_error:
            best, best_error = name, error
    if best is None:
        raise KeyError("no brace glyph found")
    return best
