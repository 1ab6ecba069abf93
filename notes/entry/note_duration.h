// Changing the value of an entered chord: the duration step of a selected note ("]"
// and "["), the value a Shift-drop gives, and SetChordDuration, which moves the
// voice's later items by the change and keeps beams consistent.
#pragma once

namespace ql {

struct ScoreView;
struct EventRecord;

// Every note of the note's chord gets `newCode`; the voice's later items move by the
// change of length; a chord that stops being beamable leaves its beam group. 1.
int SetChordDuration(ScoreView* view, EventRecord* note, int newCode);
// SetChordDuration after the room check (extension with "Auto extend measure", else
// the room notice and 0). 1 on success.
int ApplyDurationStep(ScoreView* view, int voice, EventRecord* note, int newCode, int deltaTicks);
// The note's code moved by `step` (+1 "]", -1 "["); 0 outside 5..13 or without room.
int StepSelectedDuration(ScoreView* view, EventRecord* note, int step);

}  // namespace ql
