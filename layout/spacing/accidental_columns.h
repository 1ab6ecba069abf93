// Accidental columns of one chord: which column left of the heads each accidental
// takes, so that signs of notes close in pitch do not collide.
//
// Method: 4 columns of 4 slots, all empty at first. A note is placed in the first
// column in which every occupied slot is at least 7 staff steps away from it (5 when
// that slot holds a head pre-placed on the left of the stem); it takes the column's
// first free slot. A note no column takes stays unplaced. Example: accidentals 2
// steps apart take two columns, 7 steps apart one. Unless the user moved the sign by
// hand, its offset becomes -(first-column distance) - column x accidental spacing,
// one spacing more for a parenthesised sign.
//
// Order: with the chord's stem up, first the notes whose head sits on the far side
// of the stem, then the chord's first and last notes with accidentals, then the rest
// in chain order; with the stem down, a far-side head first occupies slot 0 of
// column 0, then the first note with an accidental whose head is not on the far side,
// the last one from the end, then the rest.
#pragma once

#include <cstdint>

#include "core/model/event_record.h"
#include "notes/pitch/pitch_vocabulary.h"

namespace ql {

struct ScoreDocument;

constexpr int kAccidentalColumnCount = 4;
constexpr int kAccidentalSlotsPerColumn = 4;
// A slot's position byte when the slot is free (the signed byte of 157).
constexpr int8_t kFreeAccidentalSlot = static_cast<int8_t>(157);
constexpr int kAccidentalClearance = 7;          // steps between signs of one column
constexpr int kPrePlacedHeadClearance = 5;       // steps from a head pre-placed there
constexpr int kWideAccidentalExtraColumns = 2;   // added to the count for a wide sign

struct AccidentalSlot {
    int8_t position = kFreeAccidentalSlot;
    uint16_t width = 0;
    uint8_t prePlacedHead = 0;
};

struct AccidentalColumnTable {
    AccidentalSlot slots[kAccidentalColumnCount][kAccidentalSlotsPerColumn];
};

struct ChordColumns {
    int columns = 0;          // highest used column + 1, plus 2 with a wide sign; 0 none
    int32_t lastWidth = 0;    // width of the highest used column
    int unplaced = 0;         // accidentals no column took
};

// Whether the note carries an accidental (a code other than None).
inline bool NoteHasAccidental(const EventRecord& note) {
    return NoteAccidentalCode(note) != CodeOf(AccidentalCode::None);
}

// Whether a note of the chord starting at `first` (its first note) has an accidental;
// a chord without any needs no column.
bool ChordHasAccidental(const EventRecord* first);

// Places the accidentals of the chord of `note` (any note of it). `table` receives
// the column table when given.
ChordColumns FitChordAccidentals(ScoreDocument& document, EventRecord* note,
                                 AccidentalColumnTable* table = nullptr);

}  // namespace ql
