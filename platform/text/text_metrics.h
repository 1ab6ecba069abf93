// Measuring with the font of a context: text metrics, character widths, glyph
// outline boxes, the em square, the face name and text extents. Results are in
// the context's logical units (widths along x, heights along y, as magnitudes);
// each function has a form on a sized font for callers without a context.
// All return false (or 0 / "") when the context does not resolve.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gfx/types.h"
#include "platform/text/context_font.h"
#include "platform/text/glyph_run.h"

namespace ql::text {

struct TextMetrics {
    int32_t height = 0;  // ascent + descent: the cell
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t internalLeading = 0;  // cell height - em
    int32_t externalLeading = 0;
    int32_t averageCharWidth = 0;
    int32_t maxCharWidth = 0;
    int32_t weight = 0;  // the weight asked for, or the face's when 0 was asked
    uint8_t italic = 0;
    uint8_t underlined = 0;
    uint8_t struckOut = 0;
    uint8_t charset = 0;
    bool fixedPitch = false;
};

// The ink box of one glyph, in logical units with the origin at the glyph's
// origin on the baseline and y counted upward: left and right of the ink, top
// (highest ink) and bottom (lowest ink; negative below the baseline). A glyph
// without ink (a space) has an empty box at the origin and only its advance.
struct GlyphBox {
    int32_t left = 0;
    int32_t right = 0;
    int32_t top = 0;
    int32_t bottom = 0;
    int32_t advance = 0;
    bool hasInk = false;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return top - bottom; }
};

// A run's layout along the baseline. Each glyph advances by its width rounded to
// a whole logical unit (the width GetCharWidths reports, a whole device pixel in
// text mode) plus the character extra; the run's extent is the sum of those
// advances, with no kerning (no font asks for it), and the glyphs are drawn at
// those sums. Sums are 64-bit: long runs of large glyphs pass 32 bits.
int64_t GlyphAdvance(const SizedFont& font, const GlyphRun& run, size_t i, int32_t extra);
int64_t RunWidth(const SizedFont& font, const GlyphRun& run, int32_t extra);

TextMetrics MeasureTextMetrics(const SizedFont& font);
GlyphBox MeasureGlyphBox(const SizedFont& font, uint32_t code);
// Extent of 8-bit or UTF-16 text plus `extra` logical units after each character.
gfx::Size MeasureExtentA(const SizedFont& font, std::string_view text, int32_t extra = 0);
gfx::Size MeasureExtentW(const SizedFont& font, std::u16string_view text, int32_t extra = 0);

bool GetTextMetrics(DcHandle dc, TextMetrics* out);
// Advance widths of the 8-bit character codes first..last (inclusive) into
// widths[0 .. last-first]; false also when last < first.
bool GetCharWidths(DcHandle dc, uint32_t first, uint32_t last, int32_t* widths);
// The ink box of the glyph of an 8-bit code (a double-byte pair above 255).
bool GetGlyphOutlineBox(DcHandle dc, uint32_t code, GlyphBox* out);
// Units per em of the context's font face; 0 when it has none.
int32_t GetOutlineEmSquare(DcHandle dc);
// The family of the face the context's font uses.
std::string GetTextFace(DcHandle dc);
// Extent of text including the context's character extra; false for a context
// that does not resolve.
bool GetTextExtentA(DcHandle dc, std::string_view text, gfx::Size* out);
bool GetTextExtentW(DcHandle dc, std::u16string_view text, gfx::Size* out);

}  // namespace ql::text
