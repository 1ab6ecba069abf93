"""A small deterministic rasteriser for the palette faces: filled and stroked
shapes in a face's own units, sampled 3 x 3 per pixel into grey levels, a 5 x 7
letter font, and a PNG writer on zlib alone (no imaging library needed)."""
import math
import struct
import zlib

SAMPLES = 3  # per pixel and axis


class Canvas:
    """An image of grey levels 0..255 (ink amount), drawn in units where the face
    is `units` wide; shapes are tested per sample inside their bounding boxes."""

    def __init__(self, width, height, units):
        self.width = width
        self.height = height
        self.scale = width / units
        self.hits = [[0] * width for _ in range(height)]

    def _fill(self, box, inside):
        x0, y0, x1, y1 = box
        s = self.scale
        px0 = max(0, int(math.floor(x0 * s)))
        py0 = max(0, int(math.floor(y0 * s)))
        px1 = min(self.width, int(math.ceil(x1 * s)) + 1)
        py1 = min(self.height, int(math.ceil(y1 * s)) + 1)
        step = 1.0 / SAMPLES
        for py in range(py0, py1):
            row = self.hits[py]
            for px in range(px0, px1):
                count = 0
                for sy in range(SAMPLES):
                    y = (py + (sy + 0.5) * step) / s
                    for sx in range(SAMPLES):
                        x = (px + (sx + 0.5) * step) / s
                        if inside(x, y):
                            count += 1
                if count:
                    row[px] = min(SAMPLES * SAMPLES, max(row[px], count))

    def rect(self, x0, y0, x1, y1):
        self._fill((x0, y0, x1, y1), lambda x, y: x0 <= x < x1 and y0 <= y < y1)

    def frame(self, x0, y0, x1, y1, w=1.5):
        self.rect(x0, y0, x1, y0 + w)
        self.rect(x0, y1 - w, x1, y1)
        self.rect(x0, y0, x0 + w, y1)
        self.rect(x1 - w, y0, x1, y1)

    def ellipse(self, cx, cy, rx, ry, angle=0.0, hole=None):
        """A filled ellipse turned by angle degrees; hole = (rx, ry, angle) cut out."""
        c, s = math.cos(math.radians(angle)), math.sin(math.radians(angle))
        r = max(rx, ry)

        def inside(x, y):
            dx, dy = x - cx, y - cy
            u, v = dx * c + dy * s, -dx * s + dy * c
            if (u / rx) ** 2 + (v / ry) ** 2 > 1.0:
                return False
            if hole:
                hc, hs = math.cos(math.radians(hole[2])), math.sin(math.radians(hole[2]))
                hu, hv = dx * hc + dy * hs, -dx * hs + dy * hc
                return (hu / hole[0]) ** 2 + (hv / hole[1]) ** 2 > 1.0
            return True

        self._fill((cx - r, cy - r, cx + r, cy + r), inside)

    def ring(self, cx, cy, rx, ry, w=1.5):
        self.ellipse(cx, cy, rx, ry, 0, (max(rx - w, 0.1), max(ry - w, 0.1), 0))

    def line(self, x0, y0, x1, y1, w=1.5):
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9
        h = w / 2

        def inside(x, y):
            t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
            ex, ey = x0 + t * dx - x, y0 + t * dy - y
            return ex * ex + ey * ey <= h * h

        self._fill((min(x0, x1) - h, min(y0, y1) - h, max(x0, x1) + h, max(y0, y1) + h), inside)

    def polyline(self, points, w=1.5):
        for a, b in zip(points, points[1:]):
            self.line(a[0], a[1], b[0], b[1], w)

    def polygon(self, points):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(x, y):
            odd = False
            j = len(points) - 1
            for i, (xi, yi) in enumerate(points):
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    odd = not odd
                j = i
            return odd

        self._fill((min(xs), min(ys), max(xs), max(ys)), inside)

    def curve(self, p0, p1, p2, p3, w=1.5, steps=16):
        """A cubic Bezier stroked as short lines."""
        points = []
        for i in range(steps + 1):
            t = i / steps
            a, b, c, d = (1 - t) ** 3, 3 * t * (1 - t) ** 2, 3 * t * t * (1 - t), t ** 3
            points.append((a * p0[0] + b * p1[0] + c * p2[0] + d * p3[0],
                           a * p0[1] + b * p1[1] + c * p2[1] + d * p3[1]))
        self.polyline(points, w)

    def text(self, string, x, y, height, bold=False):
        """Letters of the 5 x 7 font, `height` units tall, top-left at (x, y)."""
        cell = height / 7.0
        pen = x
        for ch in string:
            rows = FONT.get(ch)
            if rows is None:
                pen += 3 * cell
                continue
            for r, bits in enumerate(rows):
                for c in range(5):
                    if bits[c] == "#":
                        extra = cell * 0.6 if bold else 0.0
                        self.rect(pen + c * cell, y + r * cell, pen + (c + 1) * cell + extra,
                                  y + (r + 1) * cell)
            pen += 6 * cell
        return pen

    def text_width(self, string, height):
        return len(string) * 6 * height / 7.0 - height / 7.0

    def centred_text(self, string, cx, cy, height, bold=False):
        self.text(string, cx - self.text_width(string, height) / 2, cy - height / 2, height, bold)

    def levels(self):
        full = SAMPLES * SAMPLES
        return [[(255 * v + full // 2) // full for v in row] for row in self.hits]


def write_png(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b); an 8-bit RGB PNG."""
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            raw.extend(pixel(x, y))
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                  chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


FONT = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "a": [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    "b": ["#....", "#....", "####.", "#...#", "#...#", "#...#", "####."],
    "c": [".....", ".....", ".###.", "#....", "#....", "#....", ".###."],
    "d": ["....#", "....#", ".####", "#...#", "#...#", "#...#", ".####"],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "f": ["..##.", ".#..#", ".#...", "###..", ".#...", ".#...", ".#..."],
    "i": ["..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."],
    "l": [".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "m": [".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"],
    "n": [".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    "o": [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    "p": [".....", ".....", "####.", "#...#", "####.", "#....", "#...."],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    "s": [".....", ".....", ".####", "#....", ".###.", "....#", "####."],
    "t": [".#...", ".#...", "###..", ".#...", ".#...", ".#..#", "..##."],
    "v": [".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "z": [".....", ".....", "#####", "...#.", "..#..", ".#...", "#####"],
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    "1": ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "3": ["####.", "....#", "....#", ".###.", "....#", "....#", "####."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "5": ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    "6": [".###.", "#....", "#....", "####.", "#...#", "#...#", ".###."],
    "7": ["#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."],
    "8": [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    "9": [".###.", "#...#", "#...#", ".####", "....#", "....#", ".###."],
    ".": [".....", ".....", ".....", ".....", ".....", ".##..", ".##.."],
    "+": [".....", "..#..", "..#..", "#####", "..#..", "..#..", "....."],
    "=": [".....", ".....", "#####", ".....", "#####", ".....", "....."],
    "*": [".....", "#.#.#", ".###.", "#####", ".###.", "#.#.#", "....."],
    "(": ["...#.", "..#..", ".#...", ".#...", ".#...", "..#..", "...#."],
    ")": [".#...", "..#..", "...#.", "...#.", "...#.", "..#..", ".#..."],
    "?": [".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."],
}
