// Drawing the signs of a staff at a measure slot of the view's current system:
// clefs at a system's start and clef changes at a barline, key signatures with
// their cancellation naturals, and time signatures. System drawing calls these.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreObject;
struct ScoreView;

// The clef at the slot's start.
void DrawClefForStaff(ScoreView* view, int staff, int slot, int clef);
// A clef change drawn at the slot (the smaller clef before the next barline).
void DrawStaffStartSymbols(ScoreView* view, int staff, int slot, int clef);
// The key signature at the slot; previousKeyPlusOne is the previous key + 1 when
// its cancellation naturals are to be drawn first, else 0.
void DrawKeySignatureAtSystemStart(ScoreView* view, int staff, int slot, int key,
                                   int previousKeyPlusOne);
// The time signature at the slot: beats over the beat code of the cell (its
// beatUnit, 7..12; the lower number drawn is 2^(12 - code)).
void DrawTimeSignature(ScoreView* view, int staff, int slot, int beats, int beatCode);

// The accidentals of a key-signature object (type 15) with its box's top-left at
// (x, y), on the staff of the view's current cell's clef (treble without staves);
// for a change inside a measure (subtype 0) not drawn at the origin, first the
// naturals cancelling the key in force before its tick.
void DrawKeyAccidentals(ScoreObject* key, ScoreView* view, int32_t x, int32_t y);

}  // namespace ql
