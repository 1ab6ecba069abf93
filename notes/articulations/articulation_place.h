// Where a note articulation goes: the side of the note a palette entry puts it on
// (above, below, or across the stem for the tremolo strokes), the square box of its
// glyph, and the point it is drawn at from the note's geometry.
//
// Units: score units, y growing downwards; "scaled" values go through the view's
// staff-size scale before they are added. Above: over the stem end when the stem is
// up, else 192 over the head, and never lower than one space above a five-line staff
// (640 over the bottom line). Below: under the stem end when the stem is down, else
// under the head, moved down by the glyph's box, and never higher than the box under
// the bottom line. On the stem: fixed offsets by glyph along the stem.
#pragma once

#include <cstdint>

namespace ql {

// The two articulation palettes, by tool id.
enum class ArticulationPalette : uint8_t { Ornaments = 10, Accents = 11 };
enum class ArticulationSide : uint8_t { Above, Below, OnStem };

// Glyphs of the palettes' entries: the base plus the entry.
constexpr int kAccentGlyphBase = 138;
constexpr int kOrnamentGlyphBase = 188;
constexpr int kAccentEntries = 20;
constexpr int kOrnamentEntries = 30;
// Accents entries that are note bits, not objects.
constexpr int kLegatoEntry = 1;
constexpr int kStaccatoEntry = 2;
// The tremolo strokes (ornament entries 25..27) sit on the stem.
constexpr int kFirstTremoloGlyph = 213;
constexpr int kLastTremoloGlyph = 215;

// The side a palette entry takes on a note (before the voice layout).
ArticulationSide ArticulationSideOf(ArticulationPalette palette, int entry, bool stemUp);
// With voices laid out (filtered, or voices 2..4 in use), the voice decides: voices
// 0 and 1 above, 2 and 3 below; the stem strokes stay on the stem.
ArticulationSide SideForVoice(ArticulationSide side, bool voicesLaidOut, int voice);

// The square box of a glyph, in score units (its width, and its height below a note).
int ArticulationGlyphBox(int glyph);

// The view's staff-size scale: value x numerator / denominator.
struct ArticulationScale {
    int numerator = 1;
    int denominator = 1;
    int operator()(int value) const { return value * numerator / denominator; }
};

// The note the mark is placed against (the chord's top note above, its bottom note
// below), with its point, stem and staff.
struct ArticulationNote {
    int x = 0;
    int y = 0;  // the head's y
    bool stemUp = false;
    int stemOffset = 0;    // the stem's free end relative to the head, score units
    int bottomLineY = 0;   // the staff's bottom line
    int headWidth = 0;     // the black head's width, for the stem strokes
    int durationCode = 0;  // 12 and above: whole and longer (no stem)
};
struct ArticulationPoint {
    int x = 0;
    int y = 0;
};

ArticulationPoint PlaceArticulationPoint(ArticulationSide side, int glyph,
                                         const ArticulationNote& note, ArticulationScale scale);

}  // namespace ql
