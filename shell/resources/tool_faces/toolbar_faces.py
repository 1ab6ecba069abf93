"""The band toolbars' button pictures: one strip of 43 faces in colour for each
button size (24 and 16 pixels), in image order: File, Edit, MIDI, View, Window,
Voices, the two unused images of the Pagers band, Go To, Notes and Text. Each face
is drawn in 24 units on the toolbar's grey and says what its button does."""
import os

from face_canvas import Canvas, write_png
import music_marks as mm

LARGE_ID, SMALL_ID = 490, 491
UNITS = 24
FACE = (224, 224, 224)
INK = (32, 32, 32)
PAPER = (255, 255, 255)
# Undo and the File band's New and Open alone are in this blue (a desktop scenario
# tells Undo's state by it, with the File band's marks, always usable, beside it);
# the other blue marks differ.
UNDO_BLUE = (30, 90, 170)
BLUE = (20, 110, 200)
# Cut and Clear alone are in this red, by which the same scenario tells the Edit
# band from the others.
EDIT_RED = (190, 50, 40)
RED = (200, 30, 30)
GREEN = (30, 140, 50)
GREY = (128, 128, 128)
YELLOW = (230, 180, 40)


def page(c, x0=5, y0=2, x1=19, y1=22):
    """A sheet with its top right corner folded."""
    c.polygon([(x0, y0), (x1 - 5, y0), (x1, y0 + 5), (x1, y1), (x0, y1)])


def page_edge(c, x0=5, y0=2, x1=19, y1=22):
    c.polyline([(x0, y0), (x1 - 5, y0), (x1, y0 + 5), (x1, y1), (x0, y1), (x0, y0)], 1.3)
    c.polyline([(x1 - 5, y0), (x1 - 5, y0 + 5), (x1, y0 + 5)], 1.1)


def lines_on_page(c, x0=8, x1=16, first=9, count=4):
    for i in range(count):
        c.rect(x0, first + 3 * i, x1, first + 3 * i + 1)


def arrow(c, points, head, w=2.2):
    c.polyline(points, w)
    c.polygon(head)


def window(c, x0, y0, x1, y1):
    c.frame(x0, y0, x1, y1, 1.3)
    c.rect(x0, y0, x1, y0 + 3)


def letter(text, height=14, bold=True):
    return lambda c: c.centred_text(text, 12, 12, height, bold)


# Each face: a list of (drawing, ink) layers, drawn over the toolbar's grey.
FACES = [
    # File: New (a sheet with a plus), Open (a folder, an arrow out of it), Save, Print.
    [(page, PAPER), (page_edge, INK),
     (lambda c: (c.rect(14, 15, 23, 17.5), c.rect(17.25, 11.75, 19.75, 20.75)), UNDO_BLUE)],
    [(lambda c: c.polygon([(2, 7), (9, 7), (11, 9), (20, 9), (20, 20), (2, 20)]), YELLOW),
     (lambda c: c.polyline([(2, 7), (9, 7), (11, 9), (20, 9), (20, 20), (2, 20), (2, 7)], 1.3), INK),
     (lambda c: c.polygon([(5, 13), (23, 13), (20, 20), (2, 20)]), (250, 210, 90)),
     (lambda c: arrow(c, [(16, 11), (16, 5), (19, 5)], [(23, 5), (19, 1.5), (19, 8.5)], 2.6), UNDO_BLUE)],
    [(lambda c: c.rect(3, 3, 21, 21), BLUE),
     (lambda c: c.rect(7, 3, 17, 10), PAPER),
     (lambda c: c.rect(6, 14, 18, 21), (200, 200, 200)),
     (lambda c: c.rect(13, 4, 15, 9), INK)],
    [(lambda c: c.rect(7, 2, 17, 9), PAPER),
     (lambda c: c.frame(7, 2, 17, 9, 1.1), INK),
     (lambda c: c.rect(2, 9, 22, 18), GREY),
     (lambda c: c.rect(7, 15, 17, 22), PAPER),
     (lambda c: (c.frame(7, 15, 17, 22, 1.1), c.rect(9, 18, 15, 19)), INK),
     (lambda c: c.rect(18, 11, 20, 13), GREEN)],
    # Edit: Undo, Redo, Cut, Copy, Paste, Clear.
    [(lambda c: arrow(c, [(8, 9), (15, 9)], [(2, 9), (10, 2.5), (10, 15.5)], 3.4), UNDO_BLUE),
     (lambda c: c.curve((14, 9), (23, 9), (23, 21), (12, 21), 3.4), UNDO_BLUE)],
    [(lambda c: arrow(c, [(16, 9), (8, 9)], [(21, 9), (15, 4), (15, 14)]), BLUE),
     (lambda c: c.curve((9, 9), (2, 9), (2, 20), (11, 20), 2.2), BLUE)],
    [(lambda c: (c.line(8, 2, 15, 15, 1.8), c.line(16, 2, 9, 15, 1.8)), GREY),
     (lambda c: (c.ring(7, 18, 3.5, 3.5, 1.6), c.ring(17, 18, 3.5, 3.5, 1.6)), EDIT_RED)],
    [(lambda c: page(c, 3, 2, 14, 16), PAPER), (lambda c: page_edge(c, 3, 2, 14, 16), INK),
     (lambda c: page(c, 10, 8, 21, 22), PAPER), (lambda c: page_edge(c, 10, 8, 21, 22), INK),
     (lambda c: lines_on_page(c, 12, 18, 14, 3), BLUE)],
    [(lambda c: c.rect(4, 4, 20, 22), (170, 120, 60)),
     (lambda c: c.rect(9, 2, 15, 6), GREY),
     (lambda c: c.rect(7, 8, 17, 20), PAPER),
     (lambda c: lines_on_page(c, 9, 15, 10, 3), INK)],
    [(lambda c: (c.line(5, 5, 19, 19, 3), c.line(19, 5, 5, 19, 3)), EDIT_RED)],
    # MIDI: Play, Record, Stop, Pause.
    [(lambda c: c.polygon([(7, 4), (7, 20), (20, 12)]), GREEN)],
    [(lambda c: c.ellipse(12, 12, 7.5, 7.5), RED)],
    [(lambda c: c.rect(6, 6, 18, 18), INK)],
    [(lambda c: (c.rect(6, 5, 10, 19), c.rect(14, 5, 18, 19)), INK)],
    # View: Scroll view, Page view, Ruler, Margins, Hidden items, Page layout.
    [(lambda c: mm.staff(c, 4, 3.0, 1, 23, lines=4, w=0.9), INK),
     (lambda c: (c.polygon([(1, 19), (5, 16), (5, 22)]), c.polygon([(23, 19), (19, 16), (19, 22)]),
                 c.rect(5, 18.5, 19, 19.5)), BLUE)],
    [(page, PAPER), (page_edge, INK), (lambda c: (mm.staff(c, 8, 1.3, 7, 17, w=0.8),
                                                  mm.staff(c, 15, 1.3, 7, 17, w=0.8)), INK)],
    [(lambda c: c.rect(1, 8, 23, 16), YELLOW),
     (lambda c: (c.frame(1, 8, 23, 16, 1.0),
                 [c.rect(3 + 3 * i, 8, 4 + 3 * i, 11 + 2 * (i % 2)) for i in range(7)]), INK)],
    [(page, PAPER), (page_edge, INK),
     (lambda c: [c.rect(8 + 2.5 * i, 6, 9.3 + 2.5 * i, 7) for i in range(3)] +
                [c.rect(8 + 2.5 * i, 18, 9.3 + 2.5 * i, 19) for i in range(3)] +
                [c.rect(8, 8 + 2.5 * i, 9, 9.3 + 2.5 * i) for i in range(4)] +
                [c.rect(15, 8 + 2.5 * i, 16, 9.3 + 2.5 * i) for i in range(4)], RED)],
    [(lambda c: c.ellipse(12, 12, 10, 6), PAPER),
     (lambda c: c.ring(12, 12, 10, 6, 1.3), INK),
     (lambda c: c.ellipse(12, 12, 3.5, 3.5), BLUE),
     (lambda c: c.line(3, 21, 21, 3, 2.0), RED)],
    [(page, PAPER), (page_edge, INK),
     (lambda c: (c.rect(8, 6, 16, 10), c.rect(8, 12, 16, 19)), GREY)],
    # Window: Open view, Next view, Tile, Stack.
    [(lambda c: (window(c, 2, 3, 15, 14), window(c, 9, 10, 22, 21)), INK),
     (lambda c: c.rect(10.3, 13, 20.7, 19.7), PAPER)],
    [(lambda c: window(c, 2, 3, 17, 19), INK),
     (lambda c: arrow(c, [(10, 14), (17, 14)], [(23, 14), (17, 9), (17, 19)]), BLUE)],
    [(lambda c: (window(c, 2, 3, 11.5, 21), window(c, 12.5, 3, 22, 21)), INK)],
    [(lambda c: (window(c, 2, 2, 22, 11.5), window(c, 2, 12.5, 22, 22)), INK)],
    # Voices 1 to 4.
    [(letter("1"), BLUE)], [(letter("2"), RED)], [(letter("3"), GREEN)], [(letter("4"), (150, 60, 150))],
    # Images 28 and 29: no button shows them (the Pagers band draws its own).
    [], [],
    # Go To: first page, last page.
    [(lambda c: (c.rect(4, 5, 6.5, 19), c.polygon([(20, 5), (20, 19), (8, 12)])), BLUE)],
    [(lambda c: (c.rect(17.5, 5, 20, 19), c.polygon([(4, 5), (4, 19), (16, 12)])), BLUE)],
    # Notes: Note head, Flip stem, Staccato, Legato, Multi-measure rest.
    [(lambda c: mm.staff(c, 4, 4.0, 1, 23, w=0.8), GREY),
     (lambda c: (c.ellipse(8, 14, 4.2, 2.9, -25), c.polygon([(14, 10), (20, 10), (17, 16)])), INK)],
    [(lambda c: (c.ellipse(7, 17, 4, 2.8, -25), c.rect(10, 4, 11.3, 17)), INK),
     (lambda c: (c.ellipse(17, 7, 4, 2.8, -25), c.rect(12.8, 7, 14.1, 20)), GREY),
     (lambda c: arrow(c, [(19, 20), (19, 14)], [(19, 11), (16.5, 15), (21.5, 15)], 1.2), RED)],
    [(lambda c: (c.ellipse(10, 17, 4.5, 3.1, -25), c.rect(13.6, 2, 14.9, 16.5)), INK),
     (lambda c: c.ellipse(10, 9.5, 1.9, 1.9), RED)],
    [(lambda c: (c.ellipse(10, 17, 4.5, 3.1, -25), c.rect(13.6, 2, 14.9, 16.5)), INK),
     (lambda c: c.rect(5, 9, 15, 10.8), RED)],
    [(lambda c: (c.rect(2, 8, 3.2, 17), c.rect(20.8, 8, 22, 17), c.rect(3, 11, 21, 14),
                 c.centred_text("8", 12, 4.5, 6, True)), INK)],
    # Text: Larger, Smaller, Bold, Italic, Underline, Gray.
    [(lambda c: c.centred_text("A", 9, 13, 16, True), INK),
     (lambda c: (c.rect(16, 6.5, 23, 8.5), c.rect(18.5, 4, 20.5, 11)), GREEN)],
    [(lambda c: c.centred_text("A", 9, 14, 10, True), INK),
     (lambda c: c.rect(15, 6.5, 22, 8.5), RED)],
    [(letter("B", 16, True), INK)],
    [(lambda c: c.polygon([(11, 4), (16, 4), (13, 20), (8, 20)]), INK)],
    [(lambda c: c.polyline([(7.5, 3), (7.5, 12), (9, 15.5), (12, 16.8), (15, 15.5), (16.5, 12), (16.5, 3)], 2.4),
      INK),
     (lambda c: c.rect(4, 19.5, 20, 21.5), BLUE)],
    [(letter("G", 16, True), GREY)],
]


def face_pixels(layers, size):
    pixels = [[FACE] * size for _ in range(size)]
    for draw, ink in layers:
        c = Canvas(size, size, UNITS)
        draw(c)
        levels = c.levels()
        for y in range(size):
            row = pixels[y]
            for x in range(size):
                level = levels[y][x]
                if level:
                    row[x] = tuple((row[x][i] * (255 - level) + ink[i] * level + 127) // 255 for i in range(3))
    return pixels


def write_toolbar_strips(out):
    for strip, size in ((LARGE_ID, 24), (SMALL_ID, 16)):
        faces = [face_pixels(layers, size) for layers in FACES]
        write_png(os.path.join(out, "%d.png" % strip), size * len(faces), size,
                  lambda x, y, faces=faces, size=size: faces[x // size][y][x % size])
