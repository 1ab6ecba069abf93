// The numbers a NIFF import derives: note values from NIFF durations, measure
// spacing from a length, the time signature of a file that gives none, staff
// counts from parts and reduced staff sizes from heights, tempo-mark glyphs, and
// the title of the new score.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ql {
struct MeasureRecord;
}

namespace ql::niff {

struct NiffNoteValue {
    int code = 10;  // 12 whole, 10 quarter, 4 a 256th
    int dots = 0;
};
// A duration given as a fraction of a whole note, in a tuplet of `actual` notes
// in the time of `normal` (0 for none). The nine fixed ratios and any duration
// whose reduced denominator is a power of two are read as written (the value
// without the tuplet); any other duration of a ratio of its own is taken as
// played and scaled back by normal / actual.
NiffNoteValue NiffDurationToNoteValue(int numerator, int denominator, int actual = 0, int normal = 0);

// The tuplet fields of an event for a ratio of `actual` notes in the time of
// `normal`: kind 1 with the index of a fixed ratio, else kind 2 with actual in the
// high and normal in the low four bits; kind 0 for no ratio. A term past fifteen
// takes the nearest ratio that fits whose notes are no longer.
struct NiffTupletFields {
    int kind = 0;
    int value = 0;
};
NiffTupletFields NiffTupletOf(int actual, int normal);
// Whether an event holds the ratio as it is (both numbers up to 15).
bool NiffTupletRatioHeld(int actual, int normal);

// A measure's spacing factor and width from its length in ticks.
struct NiffMeasureSpacing {
    int factor = 0;
    int width = 0;
};
NiffMeasureSpacing MeasureSpacingForLength(int lengthTicks);
void SetMeasureSpacingFromLength(MeasureRecord& measure);

// The time signature of a file without one, from its measure lengths (ticks,
// rounded up to 128): the most frequent length, a tie going to the length whose
// first measure comes latest. `keepLengths` when the derived signature would lie
// outside the signature limits: the measures keep their lengths under 4/4.
struct NiffDerivedSignature {
    int majorityTicks = 0;
    int numerator = 4;
    int exponent = 10;  // the beat is 2^exponent ticks
    bool keepLengths = false;
};
int RoundNiffMeasureLength(int ticks);
NiffDerivedSignature DeriveNiffTimeSignature(std::span<const int> measureLengths);

// The document's staff count for parts of these staff counts: 1..44.
int NiffStaffCount(std::span<const int> partStaves);

// A staff's size in percent from its height against the tallest: 100 at 0.85 of
// it or more, otherwise the truncated ratio, never below `present` or 50.
int NiffStaffSizePercent(int height, int tallest, int present);

// The glyph of a tempo mark for a beat of this note value (codes 9, 10, 11 with at
// most one dot), or 0 when the beat makes no tempo mark. A text naming an
// accelerando or ritardando gives its own glyph.
int NiffTempoGlyph(const NiffNoteValue& beat);
int NiffTempoTextGlyph(std::string_view text);

// "a.b.nif" gives "a.b_NIFF": the last path component up to its last point.
std::string NiffImportTitle(std::string_view path);

}  // namespace ql::niff
