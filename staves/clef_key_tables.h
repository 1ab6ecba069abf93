// Where clefs and key-signature accidentals stand on a staff: the glyph of each
// clef kind and the line it names, and the staff position of every accidental of
// every key under every clef. The clef drawing, the key drawing and the clef and key
// operations read these tables; no other place knows them.
//
// Positions are StaffPositions (0 the bottom line of a five-line staff, one unit per
// line or space, negative upwards). A key's accidentals are listed for a treble
// staff counted downwards from its top line (-8) and move with the clef: a clef whose
// lines stand k steps lower than the treble clef's moves them k steps down. Some
// clefs move single accidentals by an octave so that the signature stays on the
// staff: the Tenor clef the first and third sharps down; Soprano and Mezzo Soprano
// the first, third, fifth and seventh flats and the fifth and seventh sharps up; the
// second Baritone form the second, fourth and sixth flats and the first four and the
// sixth sharps down. Example: the F sharp of G major stands on the top line (-8)
// under a treble clef, the fourth line (-6) under a bass clef.
#pragma once

#include <cstdint>

namespace ql {

// Music-font glyphs of the key-signature accidentals (217 + AccidentalCode).
constexpr uint8_t kKeySharpGlyph = 218;
constexpr uint8_t kKeyFlatGlyph = 220;
constexpr uint8_t kKeyNaturalGlyph = 222;
// Steps of an octave on the staff.
constexpr int kOctaveSteps = 7;
// The most accidentals a key shows.
constexpr int kMaxKeyAccidentals = 7;

// The glyph drawn for a clef kind: ':' + kind for kinds 0..9, the alto C clef for
// 10, 12, 13 and 14 (moved, see ClefGlyphShift), and for 11 (TAB) the alto glyph
// too (only its width is used; the TAB sign is drawn as letters). Kinds out of
// range give the treble glyph.
uint8_t ClefGlyphOf(int kind);
// Steps the glyph is moved down (negative: up) from its own place, which puts its
// line where its kind names it: Soprano +4, Mezzo Soprano +2, (Modern) Tenor -2,
// the second Baritone form -4, all others 0.
int ClefGlyphShift(int kind);
// View units a clef change object's glyph stands above (negative) or below the
// staff's bottom line, so that the line its kind names falls on the right staff
// line at the object's text size: -96 for kinds 1, 3, 8 and 9, -64 for 2, -72 for
// 4, +192 for 10, +64 for 12, -128 for 13, -320 for 14, 0 for the others.
int ClefGlyphOffset(int kind);
// The position of the line a clef names (G, F or C; the middle line for
// Percussion and TAB) on a five-line staff; -4 for kinds out of range.
int ClefReferencePosition(int kind);

// The StaffPosition of accidental `index` (0-based) of `key` under `clef`; only
// meaningful for index < KeyAccidentalCount(key). Out-of-range clefs read as treble.
int KeyAccidentalPosition(int clef, int key, int index);
// The glyph of a key's accidentals: sharp above 7, flat below, 0 for 7 and codes out
// of range.
uint8_t KeyAccidentalGlyph(int key);

// The naturals that cancel `oldKey` when `newKey` follows, as a range of the old
// key's accidental indices [first, end): both sharp (or both flat) with more old
// ones: from the new count on; of opposite kinds (or the new key plain): all. Empty
// (first == end) when nothing is cancelled or a code is out of range.
struct NaturalRange {
    int first = 0;
    int end = 0;
};
NaturalRange CancelledAccidentals(int oldKey, int newKey);

}  // namespace ql
