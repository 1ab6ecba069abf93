// Rewriting the spelling of notes already in a measure cell while keeping what they
// sound: every accidental of a voice made explicit and the redundant ones dropped
// again, the pitches of a cell kept through a change of its key signature, and the
// enharmonic change of one note.
//
// Keeping pitches through a key change: ParkCellPitches stores each note's MIDI key,
// negated, in its position byte; the caller writes the new key into the cell; then
// RespellCellFromParkedPitches spells every note afresh. Nothing may read the cell in
// between. The walks of MakeVoiceAccidentalsExplicit and DropRedundantAccidentals
// follow the clef and key changes inside the measure, with natural (5) standing for
// the steps the key leaves alone.
#pragma once

#include "notes/pitch/pitch_vocabulary.h"

namespace ql {

struct ScoreView;

// Every note of the voice gets the code it sounds with.
void MakeVoiceAccidentalsExplicit(MeasureCell* cell, int voice);
// Clears the codes the key or an earlier note already gives; every note left with a
// code has its Accidental showing that code.
void DropRedundantAccidentals(ScoreView* view, MeasureCell* cell, int voice);

// Parks the sounding key of every note of voices 0..3 in its position byte (clamped
// to 0..127, then negated). `staff` may be null except on TAB staves.
void ParkCellPitches(const StaffRecord* staff, MeasureCell* cell);
// Spells the parked notes of voices 0..3 under the cell's clef and (new) key.
void RespellCellFromParkedPitches(ScoreView* view, MeasureCell* cell);
void RespellVoiceFromParkedPitches(ScoreView* view, MeasureCell* cell, int voice);

// Where both neighbouring spellings of a natural are doubles (D, G, A), the normal
// enharmonic change goes up to the double flat, or with LowDouble (the notes tool's
// alternate cursor showing) down to the double sharp.
enum class DoubleChoice : bool { HighDouble = false, LowDouble = true };

// The enharmonic change of a note of a voice: to the neighbouring spelling of the
// same pitch (two spellings on with Ctrl held or the latched Ctrl). Nothing on a TAB
// or Percussion staff or without a cell.
void EnharmonicChangeNote(ScoreView* view, EventRecord* note, MeasureCell* cell, int voice,
                          DoubleChoice doubles = DoubleChoice::HighDouble);
// The command: the change inside an undoable edit, the note's beam group updated and
// the measure redrawn. Nothing when the note has no beam-group chord.
void EnharmonicChangeCommand(ScoreView* view, EventRecord* note, MeasureCell* cell, int voice,
                             DoubleChoice doubles = DoubleChoice::HighDouble);

}  // namespace ql
