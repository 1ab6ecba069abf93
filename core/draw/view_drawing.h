// Value types of a view's drawing state: the music-font widths the view reads,
// the scaled metric set of the staff being drawn, and one entry of the music
// font's glyph metric table (measured once per run, scaled to an em of 512).
// The operations live in core/draw/draw_surface.h, core/draw/fonts.h and
// staves/staff_scaling.h; these types are kept apart so that the records can
// embed them without pulling in the drawing code.
#pragma once

#include <cstdint>
#include <type_traits>

namespace ql {

// Codes of the four note heads whose widths every painter reads.
constexpr uint8_t kBreveHeadCode = 69;  // "E"
constexpr uint8_t kWholeHeadCode = 70;  // "F"
constexpr uint8_t kHalfHeadCode = 71;   // "G"
constexpr uint8_t kBlackHeadCode = 72;  // "H"

// Widths of "H", "G", "F", "E" and half the width of "H", in score units.
struct GlyphWidths {
    int32_t black = 0;
    int32_t half = 0;
    int32_t whole = 0;
    int32_t breve = 0;
    int32_t halfBlack = 0;
};

// The view's metric set for the staff being drawn: each value is its base value,
// or truncate(base x scale) while a staff of another size is drawn.
struct ScaledMetrics {
    int32_t staffHeight = 0;
    int32_t staffSpace = 0;
    int32_t staffStep = 0;
    int32_t fineUnit = 0;
    int32_t unit256 = 0;
    int32_t unit384 = 0;
    int32_t breveWidth = 0;  // "E"
    int32_t wholeWidth = 0;  // "F"
    int32_t halfWidth = 0;   // "G"
    int32_t blackWidth = 0;  // "H"
    int32_t halfBlackWidth = 0;
    int32_t quarterBlackWidth = 0;
    int32_t lengthA = 0;  // the document's first line thickness
    int32_t lengthB = 0;  // the document's second line thickness
    int32_t halfLengthB = 0;
    int32_t pixelUnitsX = 0;
    int32_t pixelUnitsY = 0;
};
static_assert(sizeof(ScaledMetrics) == 17 * sizeof(int32_t));

// The twelve outline values of a glyph, in the order they are stored. Boxes are
// measured from the glyph's origin on the baseline with y counted upward.
enum GlyphOutlineValue : int {
    kOutlineInkWidth = 0,
    kOutlineInkHeight = 1,
    kOutlineInkLeft = 2,  // the horizontal outline offset (left bearing)
    kOutlineInkTop = 3,
    kOutlineInkRight = 4,
    kOutlineInkBottom = 5,  // negative below the baseline
    kOutlineCentreX = 6,    // middle of the ink, from the origin
    kOutlineCentreY = 7,    // middle of the ink, above the baseline
    kOutlineRightBearing = 8,
    kOutlineFontAscent = 9,
    kOutlineFontDescent = 10,
    kOutlineEmHeight = 11,
    kOutlineValueCount = 12,
};

// The last word of an entry: 1 when the glyph has ink, 0 for an empty glyph.
constexpr int16_t kGlyphHasInk = 1;

#pragma pack(push, 1)
// One entry of the glyph metric table (34 bytes, as the document stores it).
struct GlyphMetricEntry {
    int16_t outline[kOutlineValueCount];
    int32_t advance;
    int32_t halfAdvance;
    int16_t inkFlag;
};
#pragma pack(pop)
static_assert(sizeof(GlyphMetricEntry) == 34);
static_assert(std::is_trivially_copyable_v<GlyphMetricEntry>);

// The record the glyph painters read: the current music font and the scaled
// widths of the staff being drawn. Refreshed only while `lock` is 0.
struct GlyphDrawState {
    uint32_t musicFont = 0;  // platform font handle bits
    uint32_t reserved = 0;
    int16_t zero = 0;
    int16_t lengthB = 0;
    int16_t lengthA = 0;
    int16_t breveWidth = 0;
    int16_t wholeWidth = 0;
    int16_t halfWidth = 0;
    int16_t blackWidth = 0;
    int16_t halfBlackWidth = 0;
    int16_t quarterBlackWidth = 0;
    int16_t lock = 0;
};

constexpr int kFirstGlyphCode = 32;
constexpr int kLastGlyphCode = 255;
constexpr int kGlyphTableEntries = kLastGlyphCode - kFirstGlyphCode + 1;
// Every value of the table is in units of a font whose em square is this.
constexpr int kGlyphTableEm = 512;

}  // namespace ql
