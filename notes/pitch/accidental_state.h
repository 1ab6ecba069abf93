// Accidentals in force inside a measure: the running state of a voice (one code per
// staff position, filled from the key signature and overwritten by every note that
// carries a code), the spelling of a note about to be entered against it, the code in
// force at a note, and the MIDI key a note sounds inside its measure cell.
//
// A walk over a voice starts from the cell's clef and key, takes the events before
// the note's time in chain order, rebuilds the state from the key signature whenever
// the clef or key in force changes (a clef or key change inside the measure), and
// stores each event's code at its position. Clef and key come from the cell at each
// event's time (core/model/grid.h); an empty voice is a walk over nothing, so a note
// after a change inside the measure is read under the clef and key in force there.
// Walks stop at the chain limit of core/model/events.h.
#pragma once

#include <cstdint>

#include "notes/pitch/pitch_vocabulary.h"

namespace ql {

struct ScoreView;

// One AccidentalCode per position -63..64 (index position + 63); 0 = none in force.
constexpr int kAccidentalStatePositions = 128;
constexpr int kAccidentalStateBias = 63;
struct AccidentalState {
    uint8_t codes[kAccidentalStatePositions] = {};
};

// Zeroes the state (playback does so at every measure start).
void ClearAccidentalState(AccidentalState& state);
// Fills the state from a key signature: 3 where the key flats the step, 1 where it
// sharps it, 0 elsewhere, over positions -63..63; position 64 is cleared.
void FillAccidentalStateFromKey(AccidentalState& state, int clef, int key);
// The code stored at a position; 0 outside -63..64.
int AccidentalStateAt(const AccidentalState& state, int position);
// Playback: a note without a code takes the code in force at its position (so it
// sounds with it); a note with one stores it there. Notes outside the table are left.
void CarryAccidental(AccidentalState& state, EventRecord& note);

// Stores a note's own code (when it has one) as the code in force at its position.
void StoreAccidentalInForce(AccidentalState& state, const EventRecord& note);
// The code a note spelled with `code` is written with where `inForce` is in force at
// its position: a natural where an accidental is in force and the spelling has none,
// none where the spelling repeats what is in force, else the spelling's own.
int CodeAgainstInForce(int code, int inForce);

// Spells a note about to be inserted into a voice of the cell, against the
// accidentals in force before its time, and attaches its Accidental when it is left
// with a code and has no attachment. Returns the note's code. A bad key code in the
// cell or a MIDI key outside 0..127 leaves the note as it was and returns 0.
int SpellEnteredNote(ScoreView* view, EventRecord& note, int midiKey, MeasureCell* cell, int voice);

// The code in force at the note's position and time in a voice of the cell.
int AccidentalInForceAt(const EventRecord& note, MeasureCell* cell, int voice);

// The MIDI key a note of the cell sounds: a note without a code borrows the code in
// force (a tie continuation its carried accidental first). The note is not changed.
int ComputeNoteKeyInCell(const StaffRecord* staff, MeasureCell* cell, const EventRecord& note,
                         int voice);

// ComputeNoteKeyInCell for any number of notes at one time of a voice of the cell,
// from one walk of the voice.
class SoundingKeysAt {
  public:
    SoundingKeysAt(const StaffRecord* staff, MeasureCell* cell, int voice, int time);
    // The key a note at that time sounds (0 without a cell).
    int KeyOf(const EventRecord& note) const;

  private:
    const StaffRecord* staff_;
    bool walked_ = false;
    AccidentalState state_;
    int clef_ = 0;
    int key_ = 0;
};

}  // namespace ql
