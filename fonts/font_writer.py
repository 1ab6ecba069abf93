"""Writes a music font as a TrueType file: one glyph per character code, a
Unicode cmap for U+0020..U+00FF plus the symbol-font copy U+F020..U+F0FF
(both map a code to the same glyph), and name, OS/2, hhea and post tables.
The output is byte-for-byte reproducible: timestamps are fixed."""

from dataclasses import dataclass

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.reverseContourPen import ReverseContourPen

from outline_kit import DESIGN_EM, Shape

UNITS_PER_EM = 2048
FIRST_CODE = 32
LAST_CODE = 255
SYMBOL_PAGE = 0xF000
# 2026-01-01 in seconds since 1904-01-01, the epoch of the head table.
FIXED_TIMESTAMP = 3849984000
VENDOR_ID = "QLSC"
WEIGHT_REGULAR = 400
WIDTH_NORMAL = 5
FS_SELECTION_REGULAR = 0x40
LATIN1_CODE_PAGE_BIT = 1 << 0
OS2_VERSION = 4


@dataclass
class GlyphSpec:
    """One glyph of a font being written; the advance is in design units."""

    name: str
    shape: Shape
    advance: float


@dataclass
class FontInfo:
    family: str
    copyright: str
    version: str
    ascent: int  # design units above the baseline covered by line metrics
    descent: int  # design units below the baseline, positive


def to_units(value):
    return int(round(value * UNITS_PER_EM / DESIGN_EM))


def average_advance(advances):
    """The OS/2 average: the mean of all non-zero advances, in font units."""
    widths = [to_units(a) for a in advances if to_units(a) > 0]
    return int(round(sum(widths) / len(widths))) if widths else 0


def build_font(info, glyphs_by_code, path):
    """Writes glyphs_by_code (code -> GlyphSpec, codes 32..255) to path."""
    order = [".notdef"] + [glyphs_by_code[c].name for c in sorted(glyphs_by_code)]
    if len(set(order)) != len(order):
        raise ValueError(f"{info.family}: duplicate glyph names")
    builder = FontBuilder(UNITS_PER_EM, isTTF=True)
    builder.setupGlyphOrder(order)
    cmap = {}
    for code, spec in glyphs_by_code.items():
        cmap[code] = spec.name
        cmap[SYMBOL_PAGE + code] = spec.name
    builder.setupCharacterMap(cmap)
    outlines = {".notdef": _notdef_shape().to_truetype(UNITS_PER_EM)}
    metrics = {".notdef": (to_units(DESIGN_EM / 2), 0)}
    for spec in glyphs_by_code.values():
        glyph = spec.shape.to_truetype(UNITS_PER_EM)
        outlines[spec.name] = glyph
        metrics[spec.name] = (to_units(spec.advance), 0)
    builder.setupGlyf(outlines)
    glyf = builder.font["glyf"]
    for name, (advance, _) in metrics.items():
        glyph = glyf[name]
        glyph.recalcBounds(glyf)
        metrics[name] = (advance, getattr(glyph, "xMin", 0))
    builder.setupHorizontalMetrics(metrics)
    _setup_tables(builder, info, [a for a, _ in metrics.values()])
    builder.font.recalcTimestamp = False
    builder.font.save(path)


def _setup_tables(builder, info, advances_units):
    ascent, descent = to_units(info.ascent), to_units(info.descent)
    builder.setupHorizontalHeader(ascent=ascent, descent=-descent, lineGap=0)
    builder.setupNameTable(
        {
            "copyright": info.copyright,
            "familyName": info.family,
            "styleName": "Regular",
            "uniqueFontIdentifier": f"{info.family}-Regular {info.version}",
            "fullName": info.family,
            "version": f"Version {info.version}",
            "psName": f"{info.family}-Regular",
            "licenseDescription": "This Font Software is licensed under the SIL Open Font "
            "License, Version 1.1; see OFL.txt beside the font.",
        },
        mac=False,
    )
    widths = [a for a in advances_units if a > 0]
    builder.setupOS2(
        version=OS2_VERSION,
        achVendID=VENDOR_ID,
        usWeightClass=WEIGHT_REGULAR,
        usWidthClass=WIDTH_NORMAL,
        fsType=0,
        fsSelection=FS_SELECTION_REGULAR,
        xAvgCharWidth=int(round(sum(widths) / len(widths))),
        sTypoAscender=ascent,
        sTypoDescender=-descent,
        sTypoLineGap=0,
        usWinAscent=ascent,
        usWinDescent=descent,
        ulCodePageRange1=LATIN1_CODE_PAGE_BIT,
        ulCodePageRange2=0,
        usFirstCharIndex=FIRST_CODE,
        usLastCharIndex=SYMBOL_PAGE + LAST_CODE,
    )
    builder.setupPost(keepGlyphNames=True)
    builder.updateHead(created=FIXED_TIMESTAMP, modified=FIXED_TIMESTAMP)


def _notdef_shape():
    """An open box, the usual sign of a missing glyph."""
    shape = Shape()
    shape.add_rect(50, 0, 450, 700)
    inner = Shape()
    inner.add_rect(100, 50, 400, 650)
    inner.pen.replay(ReverseContourPen(shape.pen))
    return shape
