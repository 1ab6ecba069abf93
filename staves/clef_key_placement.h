// Where the signs drawn at a measure slot stand, apart from drawing them: the clef
// at a system's start, a clef change before a measure's closing barline, and the
// accidentals of a key signature or the naturals cancelling the previous key. The
// painters of staves/signature_drawing.h draw exactly these glyphs; tests and hit
// testing read them without a drawing surface.
//
// All points are logical (view units) in the view's current system; y is the
// glyph's baseline. Nothing is placed (count 0, or found == false) for a view
// without a current system, a staff or slot outside it, or a clef or key code
// outside 0..14.
#pragma once

#include <cstdint>

#include "staves/clef_key_tables.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;

struct PlacedGlyph {
    uint8_t glyph = 0;
    int32_t x = 0;
    int32_t y = 0;
};

// A clef glyph; x is the glyph's centre. `size` is the font size class used (0
// full, 1 the 75 % font of a clef change). A TAB clef is found with glyph 0: it is
// drawn as letters centred at x.
struct PlacedClef {
    bool found = false;
    PlacedGlyph at;
    int sizeClass = 0;
    int32_t bottomY = 0;  // the staff's bottom line
};
PlacedClef PlaceClefAtSystemStart(ScoreView* view, int staff, int slot, int clef);
PlacedClef PlaceClefChange(ScoreView* view, int staff, int slot, int clef);
// How far a clef change's ink (the 75 % glyph) reaches right of its centre, in
// unzoomed units.
int32_t ClefChangeInkRight(const ScoreDocument& document, int clef);

// A row of key-signature accidentals; x is each glyph's left edge. With
// previousKeyPlusOne above 0 the row is the naturals cancelling key
// previousKeyPlusOne - 1 (at the slot's cancellation x), else the key's own
// accidentals (at its key x).
struct PlacedKeyRow {
    int count = 0;
    PlacedGlyph glyphs[kMaxKeyAccidentals];
};
PlacedKeyRow PlaceKeySignature(ScoreView* view, int staff, int slot, int key,
                               int previousKeyPlusOne);

// The glyphs of a key-signature object whose box has its top-left at (x, y): the
// key's accidentals, one accidental distance apart, on the staff of `clef` (the
// box's top line 384 below y under a treble clef, moved with the clef as the
// system-start signature is); and with `previousKey` (0..14) the naturals cancelling
// it, first, standing left of them. Nothing for a key code out of range; an
// out-of-range clef reads as treble.
struct PlacedKeyObject {
    int count = 0;
    PlacedGlyph glyphs[2 * kMaxKeyAccidentals];
};
PlacedKeyObject PlaceKeyAccidentals(int32_t accidentalDistance, int clef, int key, int previousKey,
                                    int32_t x, int32_t y);
// No previous key: no naturals.
constexpr int kNoPreviousKey = -1;

}  // namespace ql
