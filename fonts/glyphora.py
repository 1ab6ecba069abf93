"""The symbol font "Glyphora": what is drawn at each character code 32..255.
One em is the staff height (four spaces); a staff's signs are drawn with the
baseline on the staff's bottom line, notes and their marks with the baseline
on their line or space. Every entry says where its origin lies; codes without
a meaning get an empty glyph one staff space wide."""

from brace_halves import brace_halves, pick_brace
from font_writer import (FIRST_CODE, LAST_CODE, UNITS_PER_EM, FontInfo, GlyphSpec,
                         average_advance, to_units)
from glyph_parts import SP, Parts
from outline_kit import DESIGN_EM, Shape

FAMILY = "Glyphora"
VERSION = "1.000"
COPYRIGHT = "Glyphs under the SIL Open Font License 1.1; copyright holders in OFL.txt."
EMPTY_ADVANCE = SP
SYMBOL_SIDE = 0.04 * SP
TEXT_SIDE = 0.1 * SP
ASCENT = 1800
DESCENT = 1600
# The program asks for the brace font by cell height, about three times the
# half brace (plus 64 units), and by an average width of 405 units for a
# brace of ordinary size. A half glyph of 0.31 of the cell and a width of
# BRACE_DRAWN_WIDTH / 405 of the average advance draw a brace of the wanted
# size.
BRACE_HEIGHT_SHARE = 0.31
BRACE_DRAWN_WIDTH = 128.0
BRACE_REQUESTED_WIDTH = 405.0
BRACE_SHAPE_RATIO = 0.065
BRACE_GLYPH_COUNT = 576
BRACE_CODES = (251, 252)
# Largest tolerated miss, in font units, of the brace width against its target.
BRACE_WIDTH_SLACK = 2


def _entries(p):
    """(code, glyph name, builder, horizontal placement). Placement: 'head'
    puts the ink at x = 0 with the advance equal to the ink width (the stem
    meets the right edge); 'left' does the same with a margin-free advance
    for glyphs drawn from their left edge; 'centre' and 'text' centre the ink
    in its advance with a small side bearing."""
    g = p.glyph
    table = [
        # Code 34 is the default font symbol, 38 the fallback articulation:
        # origins as the source glyphs (centred on the baseline).
        (34, "default_symbol", lambda: g("scripts.varcoda"), "centre"),
        (37, "segno", lambda: g("scripts.segno"), "centre"),
        (38, "fallback_articulation", lambda: g("scripts.espr"), "centre"),
        # Parentheses of an accidental: centred on the note's line.
        (40, "paren_left", lambda: g("accidentals.leftparen"), "centre"),
        (41, "paren_right", lambda: g("accidentals.rightparen"), "centre"),
        (42, "pedal_release", lambda: g("pedal.*"), "centre"),  # on the baseline
        (43, "plus", lambda: g("plus"), "centre"),
        (44, "comma", lambda: g("comma"), "centre"),
        (45, "hyphen", lambda: g("hyphen"), "centre"),
        (46, "period", lambda: g("period"), "centre"),
    ]
    # Time-signature digits: two spaces tall, centred on the baseline (the
    # upper number is drawn on the fourth line, the lower on the second).
    for digit in range(10):
        table.append((48 + digit, f"digit_{digit}",
                      lambda d=digit: p.centred_vertically(p.digits(str(d))), "centre"))
    table += _clef_entries(p)
    table += _head_entries(p)
    for fret in range(13):
        # Fret numbers: centred on the baseline (the drawing centres them by
        # their outline box anyway).
        table.append((91 + fret, f"fret_{fret}", lambda f=fret: p.fret_number(f), "centre"))
    table += _flag_and_rest_entries(p)
    table += _articulation_entries(p)
    table += _dynamic_entries(p)
    table += _ornament_entries(p)
    table += _late_entries(p)
    return table


def _clef_entries(p):
    """Clefs: baseline on the staff's bottom line, each raised so its line
    falls where the clef names (G on the second line, alto C on the middle,
    tenor C on the fourth, F on the fourth, baritone F on the middle)."""
    g = p.glyph
    return [
        (58, "clef_treble", lambda: g("clefs.G", 1), "centre"),
        (59, "clef_tenor", lambda: g("clefs.C", 3), "centre"),
        (60, "clef_alto", lambda: g("clefs.C", 2), "centre"),
        (61, "clef_bass", lambda: g("clefs.F", 3), "centre"),
        (62, "clef_baritone", lambda: g("clefs.F", 2), "centre"),
        (63, "clef_percussion", lambda: g("clefs.percussion", 2), "centre"),
        (64, "clef_treble_8va", lambda: p.clef_with_eight("clefs.G", 1, True), "centre"),
        (65, "clef_treble_8vb", lambda: p.clef_with_eight("clefs.G", 1, False), "centre"),
        (66, "clef_bass_8va", lambda: p.clef_with_eight("clefs.F", 3, True), "centre"),
        (67, "clef_bass_8vb", lambda: p.clef_with_eight("clefs.F", 3, False), "centre"),
    ]


def _head_entries(p):
    """Note heads: centred on the baseline (the note's line or space), left
    edge at x = 0, advance = width (kinds 1..18 are 72 + kind)."""
    g = p.glyph
    return [
        (69, "head_double_whole", lambda: g("noteheads.sM1"), "head"),
        (70, "head_whole", lambda: g("noteheads.s0"), "head"),
        (71, "head_half", lambda: g("noteheads.s1"), "head"),
        (72, "head_black", lambda: g("noteheads.s2"), "head"),
        (73, "head_slash", lambda: g("noteheads.s2slash"), "head"),
        (74, "head_x", lambda: g("noteheads.s2cross"), "head"),
        (75, "head_triangle_up", lambda: g("noteheads.s2triangle"), "head"),
        (76, "head_triangle_down", lambda: p.flipped("noteheads.s2triangle"), "head"),
        (77, "head_square", lambda: g("noteheads.s2la"), "head"),
        (78, "head_diamond", lambda: g("noteheads.s2diamond"), "head"),
        (79, "head_circled_slash", p.circled_slash, "head"),
        (80, "head_circled_x", lambda: g("noteheads.s2xcircle"), "head"),
        (81, "head_hollow_triangle_up", lambda: g("noteheads.s1triangle"), "head"),
        (82, "head_hollow_triangle_down", lambda: p.flipped("noteheads.s1triangle"), "head"),
        (83, "head_hollow_square", lambda: g("noteheads.s1la"), "head"),
        (84, "head_hollow_diamond", lambda: g("noteheads.s1diamond"), "head"),
        (85, "head_half_kind", lambda: g("noteheads.s1"), "head"),
        (87, "repeat_slash", lambda: g("noteheads.s2slash"), "head"),
        (88, "repeat_slashes", lambda: p.side_by_side("noteheads.s2slash", 2, 0.2 * SP), "head"),
        (89, "figure_repeat", lambda: p.slash_with_dots(1.0 * SP, 1.6 * SP, 0.3 * SP), "head"),
        (90, "measure_repeat", lambda: p.slash_with_dots(1.6 * SP, 2.0 * SP, 0.55 * SP), "head"),
    ]


def _flag_and_rest_entries(p):
    """Flags: origin at the stem's free end, left edge at the stem's left
    edge; up flags hang below the origin, down flags rise above it.
    Rests: centred in their advance (drawn from x - half width); raised so
    that the outline reaches the depth below the rest's y the score code
    expects (197 units of 512 for the flagged rests)."""
    entries = []
    for i, flags in enumerate((7, 6, 5, 4, 3)):
        entries.append((110 + i, f"flag_up_{flags}", lambda f=flags: p.glyph(f"flags.u{f}"), "left"))
        entries.append((119 + i, f"flag_down_{flags}", lambda f=flags: p.glyph(f"flags.d{f}"),
                        "left"))
    # Rests 128..137 by duration: source glyph and lift in staff spaces.
    rests = [("rests.8", 2.5), ("rests.7", 1.5), ("rests.6", 1.5), ("rests.5", 0.5),
             ("rests.4", 0.5), ("rests.3", -0.5), ("rests.2", 0), ("rests.1", 0),
             ("rests.0", 1), ("rests.M1", 0)]
    names = ["256th", "128th", "64th", "32nd", "16th", "eighth", "quarter", "half", "whole",
             "double_whole"]
    for i, ((glyph, lift), name) in enumerate(zip(rests, names)):
        entries.append((128 + i, f"rest_{name}", lambda n=glyph, d=lift: p.glyph(n, d), "centre"))
    return entries


def _articulation_entries(p):
    """Articulations, dots and accidentals: origins as the source glyphs, the
    sign centred on (or, for one-sided marks, resting on) the baseline."""
    g = p.glyph
    return [
        (138, "marcato_below", lambda: g("scripts.dmarcato"), "centre"),
        (139, "augmentation_dot", lambda: g("dots.dot"), "centre"),
        (140, "staccato", lambda: g("scripts.staccato"), "centre"),
        (141, "portato_up", lambda: g("scripts.uportato"), "centre"),
        (142, "portato_down", lambda: g("scripts.dportato"), "centre"),
        (143, "marcato_above", lambda: g("scripts.umarcato"), "centre"),
        (144, "short_fermata_below", lambda: g("scripts.dshortfermata"), "centre"),
        (145, "short_fermata_above", lambda: g("scripts.ushortfermata"), "centre"),
        (146, "long_fermata_below", lambda: g("scripts.dlongfermata"), "centre"),
        (147, "long_fermata_above", lambda: g("scripts.ulongfermata"), "centre"),
        (148, "accent", lambda: g("scripts.sforzato"), "centre"),
        (149, "heel_below", lambda: g("scripts.dpedalheel"), "centre"),
        (150, "heel_above", lambda: g("scripts.upedalheel"), "centre"),
        (151, "toe_below", lambda: g("scripts.dpedaltoe"), "centre"),
        (152, "toe_above", lambda: g("scripts.upedaltoe"), "centre"),
        (153, "staccatissimo_below", lambda: g("scripts.dstaccatissimo"), "centre"),
        (154, "staccatissimo_above", lambda: g("scripts.ustaccatissimo"), "centre"),
        (155, "staccatissimo_below_import", lambda: g("scripts.dstaccatissimo"), "centre"),
        (156, "up_bow", lambda: g("scripts.upbow"), "centre"),
        (157, "down_bow", lambda: g("scripts.downbow"), "centre"),
        (218, "sharp", lambda: g("accidentals.sharp"), "centre"),
        (219, "double_sharp", lambda: g("accidentals.doublesharp"), "centre"),
        (220, "flat", lambda: g("accidentals.flat"), "centre"),
        (221, "double_flat", lambda: g("accidentals.flatflat"), "centre"),
        (222, "natural", lambda: g("accidentals.natural"), "centre"),
        (249, "tenuto", lambda: g("scripts.tenuto"), "centre"),
    ]


def _dynamic_entries(p):
    """Dynamics and words: letters on the baseline. 118 repeats 160 (pp)."""
    dynamics = {158: "pppp", 159: "ppp", 160: "pp", 161: "p", 162: "mp", 163: "fp",
                164: "sfz", 165: "sf", 166: "fz", 167: "rfz", 168: "ffff", 169: "fff",
                170: "ff", 171: "f", 172: "mf", 118: "pp"}
    entries = []
    for code, letters in sorted(dynamics.items()):
        name = f"dynamic_{letters}" if code != 118 else "dynamic_pp_print"
        entries.append((code, name, lambda s=letters: p.dynamic(s), "text"))
    words = {173: "cresc.", 174: "dim.", 175: "accel.", 176: "rit.", 227: "D.S.", 228: "D.C."}
    for code, word in words.items():
        name = "word_" + word.replace(".", "").lower()
        entries.append((code, name, lambda w=word: p.words(w), "text"))
    entries += [
        (225, "pedal_down", lambda: p.glyph("pedal.Ped"), "text"),
        (229, "octave_8va", lambda: p.octave_label("8", "va"), "text"),
        (230, "octave_15ma", lambda: p.octave_label("15", "ma"), "text"),
        (232, "octave_8vb", lambda: p.octave_label("8", "vb"), "text"),
    ]
    return entries


def _ornament_entries(p):
    """Ornaments 188.. (palette glyph 188 + entry) and the fermatas: origins
    as the source glyphs, centred on or resting on the baseline."""
    names = {188: "trill", 189: "mordent", 190: "prall", 191: "turn", 192: "reverseturn",
             193: "prallmordent", 194: "upprall", 195: "downprall", 196: "lineprall",
             197: "upmordent", 198: "downmordent", 199: "prallup", 200: "pralldown",
             201: "slashturn", 202: "haydnturn", 203: "flageolet", 204: "stopped",
             205: "thumb", 206: "open", 207: "halfopen", 209: "snappizzicato",
             210: "prallprall", 211: "rcomma", 212: "caesura.curved", 216: "ufermata",
             217: "dfermata", 226: "coda"}
    entries = [(code, "orn_" + name.replace(".", "_"), lambda n=name: p.glyph("scripts." + n),
                "centre") for code, name in names.items()]
    entries += [
        (208, "midi_pitch_wheel", p.pitch_wheel, "centre"),
        (213, "tremolo_1", lambda: p.tremolo(1), "centre"),
        (214, "tremolo_2", lambda: p.tremolo(2), "centre"),
        (215, "tremolo_3", lambda: p.tremolo(3), "centre"),
    ]
    return entries


def _late_entries(p):
    """Note symbols (head centred on the baseline, up stem), time-signature
    symbols (centred on the baseline, drawn on the middle line), repeat dots
    (spaces 2 and 3 above the baseline), tie arcs (from the origin rightward,
    above or below it), bracket parts (left edge at x = 0; the body from the
    baseline up, tips with the bar's end at the baseline)."""
    g = p.glyph
    return [
        (177, "note_32nd", lambda: p.note_symbol("noteheads.s2", 3), "text"),
        (178, "note_16th", lambda: p.note_symbol("noteheads.s2", 2), "text"),
        (179, "note_eighth", lambda: p.note_symbol("noteheads.s2", 1), "text"),
        (180, "note_quarter", lambda: p.note_symbol("noteheads.s2", 0), "text"),
        (181, "note_half", lambda: p.note_symbol("noteheads.s1", 0), "text"),
        (184, "midi_event", p.midi_socket, "centre"),
        (185, "repeat_dots", p.repeat_dots, "centre"),
        (223, "common_time", lambda: g("timesig.C44"), "centre"),
        (224, "cut_time", lambda: g("timesig.C22"), "centre"),
        (234, "tie_end_above", lambda: p.tie_arc(True), "left"),
        (235, "tie_end_below", lambda: p.tie_arc(False), "left"),
        (237, "tempo_half", lambda: p.note_symbol("noteheads.s1", 0), "text"),
        (238, "tempo_dotted_half", lambda: p.note_symbol("noteheads.s1", 0, 1), "text"),
        (240, "tempo_quarter", lambda: p.note_symbol("noteheads.s2", 0), "text"),
        (241, "tempo_dotted_quarter", lambda: p.note_symbol("noteheads.s2", 0, 1), "text"),
        (243, "tempo_eighth", lambda: p.note_symbol("noteheads.s2", 1), "text"),
        (244, "tempo_dotted_eighth", lambda: p.note_symbol("noteheads.s2", 1, 1), "text"),
        (253, "bracket_body", p.bracket_body, "left"),
        (254, "bracket_top", lambda: g("brackettips.up"), "left"),
        (255, "bracket_bottom", lambda: g("brackettips.down"), "left"),
    ]


def _placed(shape, placement):
    """Moves the ink horizontally per placement; returns (shape, advance)."""
    if shape.is_empty():
        return shape, EMPTY_ADVANCE
    x0, _, x1, _ = shape.bounds()
    side = {"head": 0.0, "left": 0.0, "centre": SYMBOL_SIDE, "text": TEXT_SIDE}[placement]
    return shape.translated(side - x0, 0), (x1 - x0) + 2 * side


def build_glyphs(music, text, brace_source):
    """All codes 32..255 as GlyphSpecs."""
    parts = Parts(music, text)
    glyphs = {}
    for code, name, build, placement in _entries(parts):
        if code in glyphs:
            raise ValueError(f"code {code} assigned twice")
        shape, advance = _placed(build(), placement)
        glyphs[code] = GlyphSpec(name, shape, advance)
    for code in range(FIRST_CODE, LAST_CODE + 1):
        if code not in glyphs and code not in BRACE_CODES:
            glyphs[code] = GlyphSpec("space" if code == 32 else f"unused_{code}", Shape(),
                                     EMPTY_ADVANCE)
    _add_braces(glyphs, brace_source)
    return glyphs


def _add_braces(glyphs, brace_source):
    """251 and 252: brace halves, tip at the baseline, left edge at x = 0."""
    advances = [spec.advance for spec in glyphs.values()]
    share = BRACE_DRAWN_WIDTH / BRACE_REQUESTED_WIDTH
    # Solve width = share * average(all advances including both halves).
    total = sum(to_units(a) for a in advances if to_units(a) > 0)
    count = sum(1 for a in advances if to_units(a) > 0)
    width_units = share * total / (count + 2 - 2 * share)
    width = width_units * DESIGN_EM / UNITS_PER_EM
    half = BRACE_HEIGHT_SHARE * (ASCENT + DESCENT)
    name = pick_brace(brace_source, BRACE_SHAPE_RATIO, BRACE_GLYPH_COUNT)
    upper, lower = brace_halves(brace_source, name, half, width)
    glyphs[BRACE_CODES[0]] = GlyphSpec("brace_upper", upper, width)
    glyphs[BRACE_CODES[1]] = GlyphSpec("brace_lower", lower, width)
    average = average_advance([spec.advance for spec in glyphs.values()])
    if abs(average * share - width_units) > BRACE_WIDTH_SLACK:
        raise ValueError(f"brace width {width_units:.0f} misses its target {average * share:.0f}")


def font_info():
    return FontInfo(FAMILY, COPYRIGHT, VERSION, ASCENT, DESCENT)
