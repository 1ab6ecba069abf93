"""Plain drawings of the music symbols the palette faces show (notes, rests,
accidentals, clefs, staves, articulations), in a face's 36-unit box."""


def staff(c, top=8, gap=5, x0=3, x1=33, lines=5, w=1.0):
    for i in range(lines):
        c.line(x0, top + i * gap, x1, top + i * gap, w)


def head(c, x, y, filled=True, scale=1.0):
    if filled:
        c.ellipse(x, y, 4.2 * scale, 3.0 * scale, -20)
    else:
        c.ellipse(x, y, 4.4 * scale, 3.1 * scale, -20, (3.0 * scale, 1.6 * scale, -35))


def flags(c, x, top, count, up=True):
    for i in range(count):
        y = top + i * 4.5 if up else top - i * 4.5
        dy = 7 if up else -7
        c.curve((x, y), (x + 5, y + dy * 0.4), (x + 7, y + dy * 0.9), (x + 5, y + dy * 1.5), 1.6)


def note(c, value, x=16, y=26, dots=0):
    """value: 0 double whole, 1 whole, 2 half, 3 quarter, 4 eighth ... 8 128th."""
    if value <= 1:
        head(c, x, y, False, 1.15)
        if value == 0:
            c.line(x - 7, y - 5, x - 7, y + 5, 1.3)
            c.line(x + 7, y - 5, x + 7, y + 5, 1.3)
    else:
        head(c, x, y, value >= 3)
        sx = x + 3.8
        c.line(sx, y - 1, sx, y - 21, 1.5)
        flags(c, sx, y - 21, max(0, value - 3))
    for i in range(dots):
        c.ellipse(x + 8 + i * 4, y - 1, 1.4, 1.4)


def rest(c, value, x=18, mid=18):
    if value <= 1:
        staff(c, 12, 6, 6, 30, 2, 1.0)
        if value == 1:
            c.rect(x - 5, 12, x + 5, 16)  # hangs from the line
        else:
            c.rect(x - 2, 12, x + 2, 24)
    elif value == 2:
        c.line(6, 20, 30, 20, 1.0)
        c.rect(x - 5, 16, x + 5, 20)
    elif value == 3:
        c.polyline([(x - 2, 6), (x + 4, 13), (x - 2, 19), (x + 4, 25)], 2.2)
        c.curve((x + 4, 25), (x - 4, 23), (x - 4, 29), (x + 1, 31), 2.0)
    else:
        hooks = value - 3
        c.line(x + 5, 8, x - 1, 30, 1.6)
        for i in range(hooks):
            y = 9 + i * 5
            c.ellipse(x - 3 + i * -1, y + 1, 2.0, 2.0)
            c.curve((x - 3 - i, y + 2), (x, y + 4), (x + 3, y + 3), (x + 5 - i * 1.3, y - 0.5 + 0), 1.3)


def sharp(c, x=18, y=18, scale=1.0):
    s = scale
    c.line(x - 3 * s, y - 10 * s, x - 3 * s, y + 10 * s, 1.3)
    c.line(x + 3 * s, y - 11 * s, x + 3 * s, y + 9 * s, 1.3)
    c.line(x - 7 * s, y - 2 * s, x + 7 * s, y - 5 * s, 2.6)
    c.line(x - 7 * s, y + 5 * s, x + 7 * s, y + 2 * s, 2.6)


def flat(c, x=16, y=18, scale=1.0):
    s = scale
    c.line(x - 3 * s, y - 13 * s, x - 3 * s, y + 8 * s, 1.4)
    c.curve((x - 3 * s, y + 8 * s), (x + 8 * s, y + 1 * s), (x + 6 * s, y - 6 * s), (x - 3 * s, y), 2.0)


def natural(c, x=18, y=18):
    c.line(x - 4, y - 12, x - 4, y + 6, 1.3)
    c.line(x + 4, y - 6, x + 4, y + 12, 1.3)
    c.line(x - 4, y - 1, x + 4, y - 4, 2.6)
    c.line(x - 4, y + 6, x + 4, y + 3, 2.6)


def double_sharp(c, x=18, y=18):
    c.line(x - 6, y - 6, x + 6, y + 6, 2.4)
    c.line(x - 6, y + 6, x + 6, y - 6, 2.4)
    for dx, dy in ((-6, -6), (6, 6), (-6, 6), (6, -6)):
        c.rect(x + dx - 2, y + dy - 2, x + dx + 2, y + dy + 2)


def treble_clef(c, x=18, scale=1.0):
    s = scale
    c.line(x + 1 * s, 3 * s, x - 1 * s, 32 * s, 1.6)
    c.curve((x + 1 * s, 3 * s), (x + 8 * s, 8 * s), (x - 8 * s, 16 * s), (x - 6 * s, 22 * s), 1.8)
    c.curve((x - 6 * s, 22 * s), (x - 4 * s, 29 * s), (x + 8 * s, 28 * s), (x + 6 * s, 21 * s), 1.8)
    c.curve((x + 6 * s, 21 * s), (x + 4 * s, 15 * s), (x - 3 * s, 18 * s), (x - 1 * s, 23 * s), 1.6)
    c.ellipse(x - 3 * s, 31 * s, 2.2 * s, 2.2 * s)


def fermata(c, x=18, y=22):
    arch(c, x, y, 10, 8)
    c.ellipse(x, y - 1, 1.8, 1.8)


def arch(c, x=18, y=22, rx=10, ry=8):
    """An arch (upper half ring) made of short strokes."""
    import math
    points = []
    for i in range(17):
        t = math.pi * i / 16
        points.append((x - rx * math.cos(t), y - ry * math.sin(t)))
    c.polyline(points, 1.8)
