"""Builders for the composite glyphs of the symbol font: note symbols with
stems and flags, clefs with a small eight, dynamics and words, repeat signs,
tremolo strokes, tie arcs, bracket and brace parts and the two MIDI
pictograms. Sizes are in design units (1000 to the em, 250 to a staff space);
each builder states where it puts the glyph origin."""

import math

from outline_kit import STAFF_SPACE, Shape

SP = STAFF_SPACE
STEM_WIDTH = 0.12 * SP
# Stem lengths of the stand-alone note symbols by number of flags.
STEM_LENGTHS = {0: 3.5 * SP, 1: 3.5 * SP, 2: 3.75 * SP, 3: 4.5 * SP}
DOT_GAP = 0.3 * SP
SMALL_EIGHT_SCALE = 0.55
SMALL_EIGHT_GAP = 0.15 * SP
FRET_DIGIT_SCALE = 0.6
TEXT_LETTER_GAP = 0.02 * SP
TREMOLO_WIDTH = 1.2 * SP
TREMOLO_THICKNESS = 0.35 * SP
TREMOLO_RISE = 0.35 * SP
TREMOLO_PITCH = 0.7 * SP
TIE_WIDTH = 1.75 * SP
TIE_HEIGHT = 0.35 * SP
TIE_MID_THICKNESS = 0.13 * SP
TIE_END_THICKNESS = 0.03 * SP
TIE_SAMPLES = 33
BRACKET_THICKNESS = 0.45 * SP
BRACKET_SEGMENT_HEIGHT = 4 * SP


class Parts:
    """Composite builders over the two source fonts: music glyphs (music)
    and the italic serif used for words (text)."""

    def __init__(self, music, text):
        self.music = music
        self.text = text

    # --- plain source glyphs -------------------------------------------
    def glyph(self, name, dy_spaces=0.0):
        """A music glyph raised by dy_spaces staff spaces."""
        shape = Shape()
        shape.add_glyph(self.music, name, 0, dy_spaces * SP)
        return shape

    def flipped(self, name):
        """A music glyph mirrored about the baseline (triangle-down heads)."""
        shape = Shape()
        shape.add_glyph(self.music, name, 0, 0, 1.0, -1.0)
        return shape

    def centred_vertically(self, shape):
        _, y0, _, y1 = shape.bounds()
        return shape.translated(0, -(y0 + y1) / 2)

    # --- runs of glyphs ------------------------------------------------
    def music_run(self, names, scale=1.0):
        """Music glyphs (letters, digits) set side by side by their advances;
        the run starts at x = 0 on the baseline."""
        shape, x = Shape(), 0.0
        for name in names:
            shape.add_glyph(self.music, name, x, 0, scale)
            x += self.music.advance(name) * scale
        return shape

    def dynamic(self, letters):
        return self.music_run(list(letters))

    def words(self, text):
        """A word in the italic serif, on the baseline."""
        shape, x = Shape(), 0.0
        for char in text:
            name = self.text.glyph_for_char(char)
            shape.add_glyph(self.text, name, x, 0)
            x += self.text.advance(name) + TEXT_LETTER_GAP
        return shape

    def digits(self, text, scale=1.0):
        names = [DIGIT_NAMES[int(c)] for c in text]
        return self.music_run(names, scale)

    def fret_number(self, fret):
        """A tablature fret number, smaller than the time digits so that it
        fits between tablature lines, centred on the baseline."""
        return self.centred_vertically(self.digits(str(fret), FRET_DIGIT_SCALE))

    # --- clefs -----------------------------------------------------------
    def clef_with_eight(self, clef, dy_spaces, above):
        """A clef with a small eight centred over or under it; origin as the
        clef's."""
        shape = self.glyph(clef, dy_spaces)
        x0, y0, x1, y1 = shape.bounds()
        eight = self.digits("8", SMALL_EIGHT_SCALE)
        ex0, ey0, ex1, ey1 = eight.bounds()
        dx = (x0 + x1) / 2 - (ex0 + ex1) / 2
        dy = y1 + SMALL_EIGHT_GAP - ey0 if above else y0 - SMALL_EIGHT_GAP - ey1
        shape.add_shape(eight, dx, dy)
        return shape

    # --- note symbols ----------------------------------------------------
    def note_symbol(self, head, flags, dots=0):
        """A note with an up stem: head centred on the baseline at x = 0, stem
        at the head's right edge, flags hanging from the stem's top."""
        shape = Shape()
        shape.add_glyph(self.music, head)
        _, _, head_right, _ = shape.bounds()
        stem_top = STEM_LENGTHS[flags]
        stem_left = head_right - STEM_WIDTH
        shape.add_rect(stem_left, 0, head_right, stem_top)
        if flags:
            flag = Shape()
            flag.add_glyph(self.music, f"flags.u{flags + 2}")
            fx0, _, _, _ = flag.bounds()
            shape.add_shape(flag, stem_left - fx0, stem_top)
        x = head_right + DOT_GAP
        if flags:
            x = max(x, shape.bounds()[2] + DOT_GAP / 2)
        for _ in range(dots):
            shape.add_glyph(self.music, "dots.dot", x, 0)
            x += self.music.advance("dots.dot") + DOT_GAP
        return shape

    # --- repeat and slash signs -------------------------------------------
    def repeat_dots(self):
        """The dots of a repeat barline: in the second and third spaces of a
        staff whose bottom line is the baseline."""
        shape = Shape()
        for spaces in (1.5, 2.5):
            shape.add_glyph(self.music, "dots.dot", 0, spaces * SP)
        return shape

    def side_by_side(self, name, count, gap):
        shape, x = Shape(), 0.0
        for _ in range(count):
            shape.add_glyph(self.music, name, x, 0)
            x += self.music.advance(name) + gap
        return shape

    def slash_with_dots(self, slash_width, rise, thickness):
        """A slanted bar centred on the origin with a dot at its upper left and
        its lower right (the percent-style repeat signs)."""
        shape = Shape()
        hw, hr, ht = slash_width / 2, rise / 2, thickness / 2
        shape.add_polygon([(-hw, -hr - ht), (-hw, -hr + ht), (hw, hr + ht), (hw, hr - ht)])
        dot = self.music.advance("dots.dot")
        shape.add_glyph(self.music, "dots.dot", -hw - dot / 2, hr * 0.6)
        shape.add_glyph(self.music, "dots.dot", hw - dot / 2, -hr * 0.6)
        return shape

    def circled_slash(self):
        """A slash in a ring, the size of the circled-X head, centred on the
        baseline."""
        radius = 0.68 * SP
        shape = Shape()
        shape.add_ring(radius, 0, radius, 0.09 * SP)
        inner = radius * 0.62
        half = 0.1 * SP
        shape.add_polygon(
            [
                (radius - inner, -inner + half),
                (radius - inner + half, -inner),
                (radius + inner, inner - half),
                (radius + inner - half, inner),
            ]
        )
        return shape

    # --- strokes and arcs ---------------------------------------------------
    def tremolo(self, strokes):
        """Slanted beam strokes centred on the origin, for a stem at x = 0."""
        shape = Shape()
        first = -(strokes - 1) * TREMOLO_PITCH / 2
        hw, hr, ht = TREMOLO_WIDTH / 2, TREMOLO_RISE / 2, TREMOLO_THICKNESS / 2
        for i in range(strokes):
            y = first + i * TREMOLO_PITCH
            shape.add_polygon(
                [(-hw, y - hr - ht), (hw, y + hr - ht), (hw, y + hr + ht), (-hw, y - hr + ht)]
            )
        return shape

    def tie_arc(self, above):
        """A short tie arc from (0, 0) to (TIE_WIDTH, 0), bowing up or down."""
        sign = 1 if above else -1
        points = []
        for i in range(TIE_SAMPLES):
            t = i / (TIE_SAMPLES - 1)
            points.append((t * TIE_WIDTH, sign * TIE_HEIGHT * math.sin(math.pi * t)))

        def thickness(t):
            return TIE_END_THICKNESS + (TIE_MID_THICKNESS - TIE_END_THICKNESS) * math.sin(
                math.pi * t
            )

        shape = Shape()
        shape.add_band(points, thickness)
        return shape

    def bracket_body(self):
        """A segment of the bracket's thick bar from the baseline upward; its
        left edge at x = 0 like the bracket tips."""
        shape = Shape()
        shape.add_rect(0, 0, BRACKET_THICKNESS, BRACKET_SEGMENT_HEIGHT)
        return shape

    # --- pictograms -------------------------------------------------------
    def midi_socket(self):
        """A five-pin MIDI socket sitting on the baseline."""
        radius = 0.65 * SP
        shape = Shape()
        shape.add_ring(radius, radius, radius, 0.1 * SP)
        pin_circle, pin = 0.38 * radius, 0.07 * SP
        for angle in (180, 135, 90, 45, 0):
            a = math.radians(angle)
            shape.add_ellipse(radius + 1.2 * pin_circle * math.cos(a),
                              radius + pin_circle * math.sin(a) + 0.05 * SP, pin, pin)
        notch = 0.12 * SP
        shape.add_rect(radius - notch, 0.05 * SP, radius + notch, 0.3 * SP)
        return shape

    def pitch_wheel(self):
        """A double arrow over a centre tick: a pitch-wheel change, standing on
        the baseline."""
        height, shaft, head_w, head_h = 1.6 * SP, 0.08 * SP, 0.3 * SP, 0.35 * SP
        cx = head_w
        shape = Shape()
        shape.add_rect(cx - shaft, head_h * 0.8, cx + shaft, height - head_h * 0.8)
        shape.add_polygon([(cx - head_w, height - head_h), (cx + head_w, height - head_h),
                           (cx, height)])
        shape.add_polygon([(cx - head_w, head_h), (cx, 0), (cx + head_w, head_h)])
        shape.add_rect(0, height / 2 - shaft, 2 * head_w, height / 2 + shaft)
        return shape

    def octave_label(self, number, suffix):
        """A number from the music digits with an italic suffix, on the
        baseline."""
        shape = self.digits(number, SMALL_EIGHT_SCALE)
        x = shape.bounds()[2] + TEXT_LETTER_GAP * 4
        shape.add_shape(self.words(suffix), x, 0)
        return shape


DIGIT_NAMES = ["zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"]
