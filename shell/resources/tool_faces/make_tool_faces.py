#!/usr/bin/env python3
"""Writes the palette's face strips as PNGs: one strip per range of image ids,
named by its bitmap resource id (large 36-pixel faces and small 24-pixel ones),
the 17 x 22 page images, the 8 x 15 page arrows, the 10 x 9 mark, the mixer's
buttons and the band toolbars' buttons. Tool faces
are white ink on black, since the palette ORs them onto its buttons; page images
and arrows are drawn as they show. Deterministic: same script, same bytes."""
import argparse
import os

from face_canvas import Canvas, write_png
from mixer_faces import write_mixer_strip
from toolbar_faces import write_toolbar_strips
import music_marks as mm

# first image id, count, large strip id, small strip id (0: none), face size
RANGES = [
    (1, 14, 476, 477), (15, 35, 448, 445), (50, 10, 459, 460), (60, 15, 461, 462),
    (75, 36, 457, 458), (111, 20, 446, 447), (131, 30, 455, 456), (161, 14, 453, 454),
    (175, 16, 451, 452), (191, 9, 449, 450), (200, 15, 465, 0), (215, 16, 425, 444),
    (231, 11, 463, 464), (242, 14, 466, 0), (256, 6, 467, 0), (262, 6, 468, 0),
    (268, 16, 469, 0),
]
PAGE_FIRST, ARROW_FIRST = 242, 256
MARK_ID = 470
FACES = {}


def face(*ids):
    def register(draw):
        for i in ids:
            FACES[i] = draw
        return draw
    return register


def label(text, height=10, bold=False):
    return lambda c: c.centred_text(text, 18, 18, height, bold)


# --- Main (1): the groups, the pointer and the zoom --------------------------
@face(1)
def staff_tools(c):
    mm.staff(c, 9, 4.5)
    mm.treble_clef(c, 11, 1.0)


@face(2, 10)
def notes_group(c):
    mm.note(c, 4, 14, 27)


@face(3)
def graphics_group(c):
    c.curve((5, 24), (10, 8), (26, 8), (31, 24), 2.2)


FACES[4] = label("A", 16, True)


@face(5)
def performance_group(c):
    c.text("mf", 7, 12, 12, True)


@face(6)
def pointer(c):
    c.polygon([(11, 5), (11, 28), (16, 23), (20, 32), (24, 30), (20, 22), (27, 22)])


@face(7)
def zoom(c):
    c.ring(15, 15, 9, 9, 2.2)
    c.line(21, 21, 31, 31, 4.0)


# --- Notes (15) and its note and rest faces -----------------------------------
@face(15)
def note_rest_toggle(c):
    mm.note(c, 3, 10, 26)
    c.polyline([(24, 7), (29, 13), (24, 19), (29, 25)], 1.8)
    c.curve((29, 25), (22, 23), (22, 29), (26, 31), 1.6)


@face(31)
def rest_note_toggle(c):
    mm.note(c, 3, 24, 26)
    c.polyline([(7, 7), (12, 13), (7, 19), (12, 25)], 1.8)
    c.curve((12, 25), (5, 23), (5, 29), (9, 31), 1.6)


for image, value in ((16, 1), (17, 2), (18, 3), (19, 4), (20, 5), (21, 6), (32, 0), (43, 7), (44, 8)):
    FACES[image] = (lambda v: lambda c: mm.note(c, v))(value)
for image, value in ((33, 1), (34, 0), (35, 2), (36, 3), (37, 4), (38, 5), (39, 6), (40, 7), (41, 8)):
    FACES[image] = (lambda v: lambda c: mm.rest(c, v))(value)


@face(22)
def note_heads(c):
    c.line(9, 12, 19, 22, 2.4)
    c.line(9, 22, 19, 12, 2.4)
    c.line(19, 17, 19, 3, 1.5)
    c.text("...", 22, 26, 5)


for image, dots in ((23, 1), (46, 2), (47, 3)):
    FACES[image] = (lambda d: lambda c: mm.note(c, 3, 12, 26, d))(dots)
FACES[24] = label("3", 14, True)
FACES[25] = label("tr", 12, True)


@face(26)
def accents(c):
    c.polyline([(8, 10), (28, 18), (8, 26)], 2.6)


@face(27)
def parens(c):
    c.text("(", 3, 11, 14)
    c.text(")", 21, 11, 14)
    mm.sharp(c, 18, 18, 0.55)


FACES[28] = lambda c: mm.natural(c)
FACES[29] = lambda c: mm.sharp(c)
FACES[30] = lambda c: mm.flat(c)
FACES[48] = lambda c: mm.double_sharp(c)


@face(49)
def double_flat(c):
    mm.flat(c, 11, 18)
    mm.flat(c, 22, 18)


# --- Heads (75): eighteen note-head shapes ------------------------------------
def head_shape(kind):
    def draw(c):
        x, y = 16, 22
        c.line(21, y - 1, 21, 4, 1.5)
        if kind == 0:
            mm.head(c, x, y)
        elif kind == 1:
            c.line(x - 4, y - 4, x + 4, y + 4, 2.2)
            c.line(x - 4, y + 4, x + 4, y - 4, 2.2)
        elif kind == 2:
            c.polygon([(x - 5, y), (x, y - 5), (x + 5, y), (x, y + 5)])
        elif kind == 3:
            c.polygon([(x - 5, y + 4), (x + 5, y + 4), (x, y - 5)])
        elif kind == 4:
            c.polygon([(x - 5, y - 4), (x + 5, y - 4), (x, y + 5)])
        elif kind == 5:
            c.rect(x - 4.5, y - 4, x + 4.5, y + 4)
        elif kind == 6:
            c.line(x - 5, y + 4, x + 5, y - 4, 3.2)
        elif kind == 7:
            c.ring(x, y, 4.5, 4.5, 1.4)
            c.line(x - 3, y - 3, x + 3, y + 3, 1.3)
            c.line(x - 3, y + 3, x + 3, y - 3, 1.3)
        elif kind == 8:
            mm.head(c, x, y, False)
        elif kind == 9:
            c.polyline([(x - 5, y), (x, y - 5), (x + 5, y), (x, y + 5), (x - 5, y)], 1.4)
        elif kind == 10:
            c.polyline([(x - 5, y + 4), (x + 5, y + 4), (x, y - 5), (x - 5, y + 4)], 1.4)
        elif kind == 11:
            c.frame(x - 4.5, y - 4, x + 4.5, y + 4, 1.4)
        elif kind == 12:
            c.ring(x, y, 4.5, 4.5, 1.4)
        elif kind == 13:
            c.ellipse(x, y, 4.5, 4.5)
        elif kind == 14:
            c.polygon([(x - 5, y + 4), (x + 5, y + 4), (x + 5, y - 4)])
        elif kind == 15:
            c.line(x - 5, y + 4, x + 5, y - 4, 1.4)
            c.line(x - 5, y + 1, x + 5, y - 7, 1.4)
        elif kind == 16:
            c.text("(", x - 9, y - 5, 10)
            mm.head(c, x, y, True, 0.8)
            c.text(")", x + 1, y - 5, 10)
        else:
            mm.head(c, x, y, True, 0.6)
    return draw


for k in range(18):
    FACES[75 + k] = head_shape(k)

# --- Accents (111) and Ornaments (131) ----------------------------------------
ACCENTS = [
    lambda c: c.polyline([(8, 12), (28, 18), (8, 24)], 2.4),
    lambda c: c.polyline([(10, 26), (18, 8), (26, 26)], 2.6),
    lambda c: c.ellipse(18, 18, 2.6, 2.6),
    lambda c: c.rect(8, 17, 28, 20),
    lambda c: c.polygon([(15, 8), (21, 8), (18, 28)]),
    lambda c: mm.fermata(c),
    lambda c: c.polyline([(10, 8), (18, 28), (26, 8)], 2.0),
    lambda c: (c.rect(10, 10, 26, 14), c.rect(10, 10, 13, 26), c.rect(23, 10, 26, 26)),
    lambda c: (c.rect(9, 17, 27, 20), c.rect(17, 9, 20, 27)),
    lambda c: c.ring(18, 18, 6, 6, 1.8),
    lambda c: (c.polyline([(8, 10), (28, 15), (8, 20)], 2.2), c.ellipse(18, 27, 2.2, 2.2)),
    lambda c: (c.rect(8, 13, 28, 16), c.ellipse(18, 24, 2.4, 2.4)),
    lambda c: (c.polyline([(10, 20), (18, 6), (26, 20)], 2.2), c.ellipse(18, 28, 2.2, 2.2)),
    lambda c: (c.ellipse(12, 18, 2.4, 2.4), c.ellipse(24, 18, 2.4, 2.4)),
    lambda c: c.polyline([(8, 22), (13, 14), (18, 22), (23, 14), (28, 22)], 2.0),
    lambda c: (mm.arch(c, 18, 26, 10, 8), c.rect(17, 14, 19, 26)),
    lambda c: c.text("sf", 8, 12, 12, True),
    lambda c: c.text("fz", 8, 12, 12, True),
    lambda c: (c.rect(8, 12, 28, 15), c.rect(8, 21, 28, 24)),
    lambda c: c.polyline([(8, 26), (28, 10)], 2.4),
]
for i, draw in enumerate(ACCENTS):
    FACES[111 + i] = draw


def mordent(c, crossed=False):
    c.polyline([(6, 20), (11, 13), (15, 20), (19, 13), (23, 20), (27, 13), (30, 18)], 2.0)
    if crossed:
        c.line(17, 8, 17, 26, 1.5)


def turn(c, inverted=False):
    a, b = (10, 18), (26, 18)
    c.curve(a, (4, 8), (14, 6), (18, 18), 2.0)
    c.curve((18, 18), (22, 30), (32, 28), b, 2.0)
    if inverted:
        c.line(18, 8, 18, 28, 1.4)


ORNAMENTS = [
    label("tr", 12, True), lambda c: mordent(c), lambda c: mordent(c, True),
    lambda c: turn(c), lambda c: turn(c, True),
    lambda c: (c.text("tr", 2, 8, 9, True), c.polyline([(18, 13), (21, 9), (24, 13), (27, 9), (30, 13)], 1.5)),
    lambda c: c.polyline([(15, 4), (21, 8), (15, 12), (21, 16), (15, 20), (21, 24), (15, 28), (21, 32)], 1.8),
    lambda c: (mm.note(c, 4, 13, 26), c.line(11, 20, 24, 8, 1.3)),
    lambda c: mm.note(c, 4, 13, 26),
]
ORNAMENTS += [label(d, 14, True) for d in "12345"]
ORNAMENTS += [label(t, 10, True) for t in ("p", "i", "m", "a", "0")]
ORNAMENTS += [lambda c: mm.sharp(c, 18, 18, 0.6), lambda c: mm.flat(c, 17, 18, 0.7),
              lambda c: mm.natural(c, 18, 18), label("+", 14), label("o", 12),
              lambda c: c.polyline([(8, 26), (18, 10), (28, 26)], 1.6),
              lambda c: c.polyline([(6, 14), (14, 24), (30, 8)], 2.0),
              lambda c: (c.line(6, 18, 30, 18, 2.0), c.polyline([(24, 12), (30, 18), (24, 24)], 2.0)),
              lambda c: c.curve((6, 26), (12, 8), (24, 8), (30, 26), 1.6),
              lambda c: c.text("8", 13, 10, 14, True), label("?", 14)]
for i, draw in enumerate(ORNAMENTS[:30]):
    FACES[131 + i] = draw

# --- Text & Symbols (161) ------------------------------------------------------
FACES[161] = label("A", 16, True)


@face(162, 173)
def text_box(c):
    c.frame(4, 6, 32, 30, 1.4)
    c.centred_text("Ab", 18, 18, 10)


FACES[163] = label("la", 12)


@face(164, 171, 172)
def rehearsal(c):
    c.frame(8, 7, 28, 29, 1.8)
    c.centred_text("A", 18, 18, 12, True)


@face(165)
def chord(c):
    c.text("C7", 5, 4, 10, True)
    for i in range(4):
        c.line(9 + i * 5, 18, 9 + i * 5, 32, 1.0)
    for j in range(4):
        c.line(9, 18 + j * 4.5, 24, 18 + j * 4.5, 1.0)


@face(166)
def font_symbol(c):
    c.curve((24, 8), (8, 4), (8, 18), (18, 18), 2.2)
    c.curve((18, 18), (28, 18), (28, 32), (12, 28), 2.2)
    c.line(8, 28, 28, 8, 1.4)
    c.ellipse(10, 14, 1.8, 1.8)
    c.ellipse(26, 22, 1.8, 1.8)


for image, text in ((167, "B"), (168, "I"), (169, "T"), (170, "Sc")):
    FACES[image] = label(text, 14, True)

# --- Graphics (175) ------------------------------------------------------------
FACES[175] = graphics_group


@face(176)
def tie(c):
    mm.head(c, 9, 24, True, 0.8)
    mm.head(c, 27, 24, True, 0.8)
    c.curve((9, 19), (14, 13), (22, 13), (27, 19), 1.8)


@face(177)
def crescendo(c):
    c.polyline([(30, 10), (6, 18), (30, 26)], 1.8)


@face(188)
def decrescendo(c):
    c.polyline([(6, 10), (30, 18), (6, 26)], 1.8)


@face(178)
def ending(c):
    c.polyline([(5, 28), (5, 8), (31, 8)], 1.6)
    c.text("1.", 8, 12, 9, True)


FACES[179] = lambda c: (c.text("8", 4, 8, 12, True), c.text("va", 14, 13, 8),
                        c.polyline([(26, 12), (32, 12), (32, 26)], 1.2))


@face(180)
def pedal_bracket(c):
    c.polyline([(5, 10), (5, 24), (16, 24), (20, 18), (24, 24), (31, 24), (31, 10)], 1.6)


FACES[187] = lambda c: (c.text("Ped", 3, 10, 10, True), c.text("*", 23, 22, 9))
FACES[181] = lambda c: c.frame(6, 9, 30, 27, 1.8)
FACES[182] = lambda c: c.ring(18, 18, 12, 8, 1.8)
FACES[183] = lambda c: c.line(6, 28, 30, 8, 1.8)
FACES[190] = lambda c: c.polyline([(5, 24), (9, 18), (13, 24), (17, 18), (21, 24), (25, 18), (29, 24), (32, 19)], 1.8)


@face(184)
def picture(c):
    c.frame(5, 7, 31, 29, 1.4)
    c.polygon([(7, 27), (15, 15), (21, 22), (25, 18), (29, 27)])
    c.ellipse(24, 12, 2.4, 2.4)


@face(185)
def dashed_slur(c):
    import math
    for i in range(0, 12, 2):
        t0, t1 = math.pi * i / 12, math.pi * (i + 1) / 12
        c.line(18 - 13 * math.cos(t0), 24 - 12 * math.sin(t0), 18 - 13 * math.cos(t1), 24 - 12 * math.sin(t1), 2.0)


@face(186)
def dashed_tie(c):
    mm.head(c, 9, 24, True, 0.8)
    mm.head(c, 27, 24, True, 0.8)
    c.line(10, 18, 14, 15, 1.6)
    c.line(17, 14, 21, 14, 1.6)
    c.line(24, 15, 27, 18, 1.6)


# --- Staff Tools (191) ---------------------------------------------------------
@face(191)
def edit_staff(c):
    mm.staff(c, 9, 4.5)


@face(192)
def ruler(c):
    c.frame(3, 12, 33, 24, 1.4)
    for i in range(7):
        c.line(6 + i * 4, 12, 6 + i * 4, 16 if i % 2 else 19, 1.0)


@face(193)
def midi_setup(c):
    c.ring(18, 18, 12, 12, 1.8)
    for x, y in ((11, 18), (25, 18), (13, 12), (23, 12), (18, 10)):
        c.ellipse(x, y, 1.6, 1.6)
    c.rect(16, 25, 20, 30)


@face(194)
def clef(c):
    mm.treble_clef(c, 18)


FACES[195] = lambda c: (c.text("4", 13, 4, 12, True), c.text("4", 13, 19, 12, True))


@face(196)
def key_signature(c):
    mm.sharp(c, 12, 14, 0.6)
    mm.sharp(c, 23, 21, 0.6)


FACES[197] = label("Abc", 9)


@face(198)
def bracket(c):
    c.rect(12, 6, 16, 30)
    c.curve((14, 6), (16, 4), (20, 3), (24, 2), 1.4)
    c.curve((14, 30), (16, 32), (20, 33), (24, 34), 1.4)


@face(199)
def brace(c):
    c.curve((22, 3), (12, 6), (20, 16), (12, 18), 2.0)
    c.curve((12, 18), (20, 20), (12, 30), (22, 33), 2.0)


# --- Dynamics (215) and Performance (231) -------------------------------------
# Each entry shows the mark it places: entry i places music-font symbol 158 + i.
for i, text in enumerate(["pppp", "ppp", "pp", "p", "mp", "fp", "sfz", "sf", "fz", "rfz", "ffff", "fff", "ff",
                          "f", "mf", "pf"]):
    FACES[215 + i] = label(text, 10 if len(text) < 3 else 8 if len(text) < 4 else 7, True)
# The opener shows the mf the dynamics tool places until an entry is chosen; entries
# 1 and 2 place the words cresc. and dim.
FACES[231] = label("mf", 12, True)
FACES[232] = label("cresc.", 7, False)
FACES[233] = label("dim.", 8, False)


@face(234)
def midi_event(c):
    c.frame(4, 9, 32, 27, 1.4)
    for i in range(1, 6):
        c.line(4 + i * 28 / 6, 9, 4 + i * 28 / 6, 27, 1.0)
    for i in (1, 2, 4, 5):
        c.rect(4 + i * 28 / 6 - 1.8, 9, 4 + i * 28 / 6 + 1.8, 19)


@face(235, 236, 237)
def metronome(c):
    c.polygon([(12, 30), (24, 30), (20, 6), (16, 6)])
    c.line(18, 26, 27, 9, 1.6)


FACES[236] = lambda c: (mm.head(c, 8, 24, True, 0.8), c.line(11, 23, 11, 8, 1.3), c.text("=", 16, 14, 8))
FACES[237] = lambda c: c.text("Rit", 6, 12, 10, True)
FACES[238] = lambda c: c.text("Ped", 4, 12, 10, True)
FACES[239] = label("*", 14)

# --- page images (242), arrows (256) and the mark ------------------------------


def page_pixels(image):
    """The 17 x 22 page face: a white sheet with a black edge and a folded corner
    on the outer side (right for right-hand pages, left for left-hand ones)."""
    left_page = image % 4 >= 2
    grid = [[(192, 192, 192)] * 17 for _ in range(22)]
    for y in range(1, 21):
        for x in range(1, 16):
            fold = (x - 11 > y - 1) if not left_page else (5 - x > y - 1)
            edge = x in (1, 15) or y in (1, 20)
            grid[y][x] = (192, 192, 192) if fold else (0, 0, 0) if edge else (255, 255, 255)
    for i in range(5):  # the fold's diagonal edge
        x = 11 + i if not left_page else 5 - i
        grid[1 + i][x] = (0, 0, 0)
    return grid


def arrow_pixels(image):
    """8 x 15: 0 and 4 previous (normal, pressed), 1 and 5 next, 2 and 3 the
    current-page marker pointing down and up."""
    pressed = image >= 4
    back = (128, 128, 128) if pressed else (192, 192, 192)
    grid = [[back] * 8 for _ in range(15)]
    kind = image % 4
    for y in range(15):
        for x in range(8):
            if kind == 0:
                ink = abs(y - 7) <= x - 1 and x <= 6
            elif kind == 1:
                ink = abs(y - 7) <= 6 - x and x >= 1
            elif kind == 2:
                ink = 3 <= y <= 10 and abs(x - 3.5) <= (10 - y) / 2
            else:
                ink = 3 <= y <= 10 and abs(x - 3.5) <= (y - 3) / 2
            if ink:
                grid[y][x] = (0, 0, 0)
    return grid


MARK = ["..........", ".........#", "........##", ".......##.", "#.....##..", "##...##...",
        ".##.##....", "..###.....", "...#......"]


def tool_face(image, size):
    c = Canvas(size, size, 36)
    draw = FACES.get(image)
    if draw is not None:
        draw(c)
    return c.levels()


def write_strip(path, faces, width, height):
    def pixel(x, y):
        value = faces[x // width][y][x % width]
        return value if isinstance(value, tuple) else (value, value, value)
    write_png(path, width * len(faces), height, pixel)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--out", required=True, help="folder for the strips")
    out = parser.parse_args().out
    os.makedirs(out, exist_ok=True)
    for first, count, large, small in RANGES:
        images = range(first, first + count)
        if first == PAGE_FIRST:
            write_strip(os.path.join(out, "%d.png" % large), [page_pixels(i - first) for i in images], 17, 22)
            continue
        if first == ARROW_FIRST:
            write_strip(os.path.join(out, "%d.png" % large), [arrow_pixels(i - first) for i in images], 8, 15)
            continue
        for strip, size in ((large, 36), (small, 24)):
            if strip:
                write_strip(os.path.join(out, "%d.png" % strip), [tool_face(i, size) for i in images],
                            size, size)
    mark = [[[255 if MARK[y][x] == "#" else 0 for x in range(10)] for y in range(9)]]
    write_strip(os.path.join(out, "%d.png" % MARK_ID), mark, 10, 9)
    write_mixer_strip(out)
    write_toolbar_strips(out)


if __name__ == "__main__":
    main()
