"""Outline assembly for the music fonts: a Shape collects contours from source
fonts and from simple geometry, all in design units of 1000 to the em
(one staff space = 250), and writes them as TrueType quadratic outlines.
Every contour is kept counter-clockwise while recording (the source fonts'
PostScript orientation) and reversed once on output to TrueType's clockwise."""

import math

from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.cu2quPen import Cu2QuPen
from fontTools.pens.recordingPen import RecordingPen
from fontTools.pens.reverseContourPen import ReverseContourPen
from fontTools.pens.transformPen import TransformPen
from fontTools.pens.ttGlyphPen import TTGlyphPen

DESIGN_EM = 1000
STAFF_SPACE = DESIGN_EM / 4
# Largest distance, in output font units, between a cubic and its quadratic
# approximation.
QUADRATIC_TOLERANCE = 1.0
# Control-point distance for a quarter circle drawn with one cubic.
CIRCLE_KAPPA = 0.5522847498


class SourceFont:
    """A font file read once; glyphs are drawn in this kit's design units."""

    def __init__(self, tt_font, scale=1.0, postscript_orientation=True):
        self.glyph_set = tt_font.getGlyphSet()
        self.metrics = tt_font["hmtx"].metrics
        self.cmap = tt_font.getBestCmap()
        self.scale = scale
        self.postscript_orientation = postscript_orientation

    def has(self, name):
        return name in self.glyph_set

    def advance(self, name):
        return self.metrics[name][0] * self.scale

    def glyph_for_char(self, char):
        return self.cmap[ord(char)]

    def record(self, name):
        """Contours of a glyph scaled to design units, counter-clockwise."""
        if name not in self.glyph_set:
            raise KeyError(f"source glyph '{name}' is missing")
        pen = RecordingPen()
        target = pen if self.postscript_orientation else ReverseContourPen(pen)
        self.glyph_set[name].draw(TransformPen(target, (self.scale, 0, 0, self.scale, 0, 0)))
        return pen


class Shape:
    """An outline under construction; coordinates in design units."""

    def __init__(self):
        self.pen = RecordingPen()

    def is_empty(self):
        return not self.pen.value

    def add_recording(self, recording, transform=(1, 0, 0, 1, 0, 0)):
        a, b, c, d = transform[:4]
        target = self.pen
        if a * d - b * c < 0:  # a mirror reverses the winding; undo that
            target = ReverseContourPen(self.pen)
        recording.replay(TransformPen(target, transform))

    def add_glyph(self, source, name, dx=0, dy=0, sx=1.0, sy=None):
        sy = sx if sy is None else sy
        self.add_recording(source.record(name), (sx, 0, 0, sy, dx, dy))

    def add_shape(self, other, dx=0, dy=0, sx=1.0, sy=None):
        sy = sx if sy is None else sy
        self.add_recording(other.pen, (sx, 0, 0, sy, dx, dy))

    def add_polygon(self, points):
        """A closed polygon; points in any order of winding."""
        if _signed_area(points) < 0:
            points = list(reversed(points))
        self.pen.moveTo(points[0])
        for point in points[1:]:
            self.pen.lineTo(point)
        self.pen.closePath()

    def add_rect(self, x0, y0, x1, y1):
        self.add_polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])

    def add_ellipse(self, cx, cy, rx, ry, clockwise=False):
        """An ellipse; a clockwise one cuts a hole in a counter-clockwise one."""
        if clockwise:
            self._add_reversed_ellipse(cx, cy, rx, ry)
            return
        kx, ky = rx * CIRCLE_KAPPA, ry * CIRCLE_KAPPA
        quarters = [
            ((cx + rx, cy + ky), (cx + kx, cy + ry), (cx, cy + ry)),
            ((cx - kx, cy + ry), (cx - rx, cy + ky), (cx - rx, cy)),
            ((cx - rx, cy - ky), (cx - kx, cy - ry), (cx, cy - ry)),
            ((cx + kx, cy - ry), (cx + rx, cy - ky), (cx + rx, cy)),
        ]
        self.pen.moveTo((cx + rx, cy))
        for c1, c2, end in quarters:
            self.pen.curveTo(c1, c2, end)
        self.pen.closePath()

    def _add_reversed_ellipse(self, cx, cy, rx, ry):
        inner = Shape()
        inner.add_ellipse(cx, cy, rx, ry)
        inner.pen.replay(ReverseContourPen(self.pen))

    def add_ring(self, cx, cy, radius, thickness):
        self.add_ellipse(cx, cy, radius, radius)
        self.add_ellipse(cx, cy, radius - thickness, radius - thickness, clockwise=True)

    def add_band(self, curve_points, thickness_at):
        """A filled band along a polyline; thickness_at(t) gives its width at
        parameter t in 0..1 (used for tie arcs)."""
        upper, lower = [], []
        count = len(curve_points)
        for i, (x, y) in enumerate(curve_points):
            nx, ny = _normal(curve_points, i)
            half = thickness_at(i / (count - 1)) / 2
            upper.append((x + nx * half, y + ny * half))
            lower.append((x - nx * half, y - ny * half))
        self.add_polygon(upper + list(reversed(lower)))

    def bounds(self):
        pen = BoundsPen(None)
        self.pen.replay(pen)
        return pen.bounds

    def translated(self, dx, dy):
        moved = Shape()
        moved.add_shape(self, dx, dy)
        return moved

    def to_truetype(self, units_per_em):
        """The outline as a TrueType glyph at the given em size."""
        scale = units_per_em / DESIGN_EM
        tt_pen = TTGlyphPen(None)
        quadratic = Cu2QuPen(tt_pen, QUADRATIC_TOLERANCE, reverse_direction=True)
        self.pen.replay(TransformPen(quadratic, (scale, 0, 0, scale, 0, 0)))
        return tt_pen.glyph()


def _signed_area(points):
    area = 0.0
    for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
        area += x0 * y1 - x1 * y0
    return area / 2


def _normal(points, i):
    prev_pt = points[max(i - 1, 0)]
    next_pt = points[min(i + 1, len(points) - 1)]
    dx, dy = next_pt[0] - prev_pt[0], next_pt[1] - prev_pt[1]
    length = math.hypot(dx, dy) or 1.0
    return -dy / length, dx / length
