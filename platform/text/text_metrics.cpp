// Font and text measurement. Vertical values are rounded so that the parts add
// up: descent is rounded, ascent is the rounded cell less the descent, and the
// internal leading is the cell less the rounded em (so a font asked for at
// height -h reports height - internal leading = h exactly, and one asked for at
// +h a cell of h).
#include "platform/text/text_metrics.h"

#include <cmath>

#include "platform/gfx/dc.h"
#include "platform/text/glyph_run.h"

namespace ql::text {
namespace {

gfx::Size ExtentOfRun(const SizedFont& font, const GlyphRun& run, int32_t extra) {
    const DesignMetrics& m = font.face->Metrics();
    return gfx::Size{SizedFont::RoundedLogical(static_cast<double>(RunWidth(font, run, extra))),
                     font.ToLogicalY(m.ascent + m.descent)};
}

}  // namespace

int64_t GlyphAdvance(const SizedFont& font, const GlyphRun& run, size_t i, int32_t extra) {
    return int64_t{font.ToLogicalX(run.advances[i])} + extra;
}

int64_t RunWidth(const SizedFont& font, const GlyphRun& run, int32_t extra) {
    int64_t width = 0;
    for (size_t i = 0; i < run.advances.size(); ++i) width += GlyphAdvance(font, run, i, extra);
    return width;
}

TextMetrics MeasureTextMetrics(const SizedFont& font) {
    const DesignMetrics& m = font.face->Metrics();
    const LogicalFont& request = font.font->request;
    TextMetrics tm;
    tm.height = font.ToLogicalY(m.ascent + m.descent);
    tm.descent = font.ToLogicalY(m.descent);
    tm.ascent = tm.height - tm.descent;
    tm.internalLeading = tm.height - font.ToLogicalY(m.unitsPerEm);
    tm.externalLeading = font.ToLogicalY(m.externalLeading);
    tm.averageCharWidth = font.ToLogicalX(m.averageWidth);
    tm.maxCharWidth = font.ToLogicalX(m.maxAdvance);
    tm.weight = request.weight != kWeightDontCare ? request.weight : m.weight;
    tm.italic = request.italic;
    tm.underlined = request.underline;
    tm.struckOut = request.strikeout;
    tm.charset = request.charset;
    tm.fixedPitch = m.fixedPitch;
    return tm;
}

GlyphBox MeasureGlyphBox(const SizedFont& font, uint32_t code) {
    uint32_t glyph = GlyphOfCode(*font.font, code);
    DesignBox design = font.face->Box(glyph);
    GlyphBox box;
    box.advance = font.ToLogicalX(font.face->Advance(glyph));
    box.hasInk = design.hasInk;
    if (!design.hasInk) return box;
    // Outward rounding: the box always holds the whole ink.
    box.left = SizedFont::RoundedLogical(std::floor(font.ToDeviceX(design.left) / font.scale.x));
    box.right = SizedFont::RoundedLogical(std::ceil(font.ToDeviceX(design.right) / font.scale.x));
    box.top = SizedFont::RoundedLogical(std::ceil(font.ToDeviceY(design.top) / font.scale.y));
    box.bottom =
        SizedFont::RoundedLogical(std::floor(font.ToDeviceY(design.bottom) / font.scale.y));
    return box;
}

gfx::Size MeasureExtentA(const SizedFont& font, std::string_view text, int32_t extra) {
    return ExtentOfRun(font, GlyphsOfBytes(*font.font, text), extra);
}

gfx::Size MeasureExtentW(const SizedFont& font, std::u16string_view text, int32_t extra) {
    return ExtentOfRun(font, GlyphsOfUtf16(*font.font, text), extra);
}

bool GetTextMetrics(DcHandle dc, TextMetrics* out) {
    SizedFont font;
    if (!out || !ContextFont(dc, &font)) return false;
    *out = MeasureTextMetrics(font);
    return true;
}

bool GetCharWidths(DcHandle dc, uint32_t first, uint32_t last, int32_t* widths) {
    SizedFont font;
    if (!widths || last < first || !ContextFont(dc, &font)) return false;
    for (uint32_t code = first; code <= last; ++code)
        widths[code - first] = font.ToLogicalX(font.face->Advance(GlyphOfCode(*font.font, code)));
    return true;
}

bool GetGlyphOutlineBox(DcHandle dc, uint32_t code, GlyphBox* out) {
    SizedFont font;
    if (!out || !ContextFont(dc, &font)) return false;
    *out = MeasureGlyphBox(font, code);
    return true;
}

int32_t GetOutlineEmSquare(DcHandle dc) {
    SizedFont font;
    if (!ContextFont(dc, &font)) return 0;
    return font.face->Metrics().unitsPerEm;
}

std::string GetTextFace(DcHandle dc) {
    SizedFont font;
    if (!ContextFont(dc, &font)) return {};
    return font.font->match.family;
}

bool GetTextExtentA(DcHandle dc, std::string_view text, gfx::Size* out) {
    SizedFont font;
    if (!out || !ContextFont(dc, &font)) return false;
    *out = MeasureExtentA(font, text, gfx::GetTextCharacterExtra(dc));
    return true;
}

bool GetTextExtentW(DcHandle dc, std::u16string_view text, gfx::Size* out) {
    SizedFont font;
    if (!out || !ContextFont(dc, &font)) return false;
    *out = MeasureExtentW(font, text, gfx::GetTextCharacterExtra(dc));
    return true;
}

}  // namespace ql::text
