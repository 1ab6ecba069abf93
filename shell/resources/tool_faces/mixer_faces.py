"""The mixer's button pictures: one strip of seven 48 x 14 faces in colour, in
the order STOP, PLAY, Setup, solo off, solo on, mute off, mute on. Each face is a
background with its ink drawn over it; an "on" face has its own background."""
import os

from face_canvas import Canvas, write_png

MIXER_ID = 480
WIDTH, HEIGHT = 48, 14
GREY = (192, 192, 192)
DARK = (64, 64, 64)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREEN = (0, 144, 0)
YELLOW = (255, 208, 0)
RED = (200, 24, 24)


def stop(c):
    c.rect(19, 2, 29, 12)


def play(c):
    c.polygon([(19, 2), (19, 12), (30, 7)])


def setup(c):
    for x, knob in ((14, 4), (24, 9), (34, 6)):
        c.rect(x - 0.5, 2, x + 0.5, 12)
        c.rect(x - 3, knob - 1.5, x + 3, knob + 1.5)


def letter(ch):
    return lambda c: c.centred_text(ch, WIDTH / 2, HEIGHT / 2, 9, True)


# (ink, background, ink colour) of each face, in strip order.
FACES = [
    (stop, GREY, BLACK),
    (play, GREY, GREEN),
    (setup, GREY, DARK),
    (letter("S"), GREY, DARK),
    (letter("S"), YELLOW, BLACK),
    (letter("M"), GREY, DARK),
    (letter("M"), RED, WHITE),
]


def face_pixels(draw, background, ink):
    c = Canvas(WIDTH, HEIGHT, WIDTH)
    draw(c)
    levels = c.levels()

    def mix(level, a, b):
        return tuple((a[i] * (255 - level) + b[i] * level + 127) // 255 for i in range(3))
    return [[mix(levels[y][x], background, ink) for x in range(WIDTH)] for y in range(HEIGHT)]


def write_mixer_strip(out):
    faces = [face_pixels(*face) for face in FACES]
    write_png(os.path.join(out, "%d.png" % MIXER_ID), WIDTH * len(faces), HEIGHT,
              lambda x, y: faces[x // WIDTH][y][x % WIDTH])
