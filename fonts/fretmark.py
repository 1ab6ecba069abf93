"""The chord-diagram font "Fretmark": code = 60 + 16 x root + quality. A
diagram is a six-string grid of four frets on the baseline with the nut (or
the number of its first fret), dots, a bar across a barre, and o / x marks
above for open and muted strings. Code 127 (E7 by the formula) is left empty;
252 carries the E7 diagram instead."""

from chord_voicings import MUTED, voicing_table
from font_writer import FIRST_CODE, LAST_CODE, FontInfo, GlyphSpec
from outline_kit import Shape

FAMILY = "Fretmark"
VERSION = "1.000"
COPYRIGHT = "Copyright (c) 2026 the Quaverlinescribe developers; SIL Open Font License 1.1."
FIRST_DIAGRAM_CODE = 60
QUALITY_COUNT = 16
ROOT_COUNT = 12
E_ROOT = 4
DOMINANT_7 = 3
E7_FORMULA_CODE = 127
E7_COPY_CODE = 252
EMPTY_ADVANCE = 250

STRING_GAP = 110
FRET_GAP = 150
FRETS_SHOWN = 4
STRINGS = 6
LINE = 12
NUT = 45
# Room left of the grid for a two-digit position label (frets 10 and 11).
GRID_LEFT = 210
RIGHT_MARGIN = 60
DOT_RADIUS = 40
BARRE_HALF = 32
OPEN_RADIUS = 32
OPEN_LINE = 10
MUTE_ARM = 30
MUTE_LINE = 11
MARK_GAP = 65
# Label digits are drawn from a 2048-unit font, about 100 units tall.
LABEL_SCALE = 0.07
SQRT2 = 2 ** 0.5
# The label stands clear of a dot on the sixth string at the first shown fret.
LABEL_RIGHT_GAP = DOT_RADIUS + 20
ASCENT = 900
DESCENT = 200

GRID_WIDTH = STRING_GAP * (STRINGS - 1)
GRID_HEIGHT = FRET_GAP * FRETS_SHOWN
ADVANCE = GRID_LEFT + GRID_WIDTH + RIGHT_MARGIN


def _string_x(string):
    """x of a string; string 0 is the sixth (low E), drawn at the left."""
    return GRID_LEFT + string * STRING_GAP


def _row_y(row):
    """y of the middle of fret row 0..3, counted from the top."""
    return GRID_HEIGHT - (row + 0.5) * FRET_GAP


def _grid(shape, with_nut):
    for string in range(STRINGS):
        x = _string_x(string)
        shape.add_rect(x - LINE / 2, 0, x + LINE / 2, GRID_HEIGHT)
    for fret in range(FRETS_SHOWN + 1):
        y = fret * FRET_GAP
        shape.add_rect(GRID_LEFT - LINE / 2, y - LINE / 2, GRID_LEFT + GRID_WIDTH + LINE / 2,
                       y + LINE / 2)
    if with_nut:
        shape.add_rect(GRID_LEFT - LINE / 2, GRID_HEIGHT, GRID_LEFT + GRID_WIDTH + LINE / 2,
                       GRID_HEIGHT + NUT)


def _open_and_muted(shape, frets, top):
    y = top + MARK_GAP
    for string, fret in enumerate(frets):
        x = _string_x(string)
        if fret == 0:
            shape.add_ring(x, y, OPEN_RADIUS, OPEN_LINE)
        elif fret is MUTED:
            _cross(shape, x, y)


def _cross(shape, x, y):
    """An x of two diagonal bars centred on (x, y)."""
    a, h = MUTE_ARM, MUTE_LINE / 2 / SQRT2
    for sign in (1, -1):
        shape.add_polygon([(x - a - h, y - sign * (a - h)), (x - a + h, y - sign * (a + h)),
                           (x + a + h, y + sign * (a - h)), (x + a - h, y + sign * (a + h))])


def _barre_strings(frets, first):
    """Strings joined by a barre at the first shown fret, or ()."""
    at_first = [s for s, f in enumerate(frets) if f == first]
    if len(at_first) < 2:
        return ()
    lo, hi = at_first[0], at_first[-1]
    if any(frets[s] is MUTED or frets[s] < first for s in range(lo, hi + 1)):
        return ()
    return lo, hi


def _dots(shape, frets, first):
    for string, fret in enumerate(frets):
        if fret is not MUTED and fret > 0:
            shape.add_ellipse(_string_x(string), _row_y(fret - first), DOT_RADIUS, DOT_RADIUS)
    barre = _barre_strings(frets, first)
    if barre:
        y = _row_y(0)
        shape.add_rect(_string_x(barre[0]), y - BARRE_HALF, _string_x(barre[1]), y + BARRE_HALF)


def _position_label(shape, label_font, first):
    """The number of the first shown fret, right-aligned left of the grid and
    its dots, never left of the origin."""
    label = Shape()
    x = 0.0
    for char in str(first):
        name = label_font.glyph_for_char(char)
        label.add_glyph(label_font, name, x, 0, LABEL_SCALE)
        x += label_font.advance(name) * LABEL_SCALE
    x0, y0, x1, y1 = label.bounds()
    dx = GRID_LEFT - LABEL_RIGHT_GAP - x1
    if dx + x0 < 0:
        raise ValueError(f"position label {first} does not fit left of the grid")
    shape.add_shape(label, dx, _row_y(0) - (y0 + y1) / 2)


def diagram(frets, label_font):
    """One chord diagram; origin at the grid's bottom left corner area."""
    played = [f for f in frets if f is not MUTED and f > 0]
    highest = max(played) if played else 0
    first = 1 if highest <= FRETS_SHOWN else min(played)
    if played and max(played) - first >= FRETS_SHOWN:
        raise ValueError(f"voicing {frets} does not fit {FRETS_SHOWN} frets")
    shape = Shape()
    _grid(shape, with_nut=first == 1)
    top = GRID_HEIGHT + (NUT if first == 1 else LINE / 2)
    _open_and_muted(shape, frets, top)
    _dots(shape, frets, first)
    if first > 1:
        _position_label(shape, label_font, first)
    return shape


def diagram_code(root, quality):
    return FIRST_DIAGRAM_CODE + root * QUALITY_COUNT + quality


def build_glyphs(label_font):
    """All codes 32..255 as GlyphSpecs."""
    glyphs = {}
    table = voicing_table()
    for (root, quality), frets in table.items():
        code = diagram_code(root, quality)
        glyphs[code] = GlyphSpec(f"chord_{root}_{quality}", diagram(frets, label_font), ADVANCE)
    glyphs[E7_FORMULA_CODE] = GlyphSpec("unused_127", Shape(), ADVANCE)
    e7 = diagram(table[(E_ROOT, DOMINANT_7)], label_font)
    glyphs[E7_COPY_CODE] = GlyphSpec("chord_E7_copy", e7, ADVANCE)
    for code in range(FIRST_CODE, LAST_CODE + 1):
        if code not in glyphs:
            name = "space" if code == 32 else f"unused_{code}"
            glyphs[code] = GlyphSpec(name, Shape(), EMPTY_ADVANCE)
    return glyphs


def font_info():
    return FontInfo(FAMILY, COPYRIGHT, VERSION, ASCENT, DESCENT)
