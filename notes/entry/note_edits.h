// Edits of an entered note that its keys run: chord notes added by interval, dots
// cycled with a room check, head offsets reset, staccato and legato on a chord,
// hiding a beam group, flipping its stems, joining or breaking the beam after a
// chord, tying it to the next note of its pitch, the grace slash, the cross-staff
// toggle and a head's fret number. Each returns 1 when it changed something, and
// shows the change at once: the voice's old image is drawn away first (what the edit
// takes off goes from the screen) and the voice is drawn again in ink.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct EventRecord;

constexpr uint16_t kStaccatoBit = 0x0040;  // word2 bit 6
constexpr uint16_t kLegatoBit = 0x0080;    // word2 bit 7

// A copy of the note `steps` steps lower (negative: higher) joins its chord, unless
// the chord has a note there. Accidental bits are kept only for an octave (7 steps).
// Null when nothing was added (a full pool shows the low-memory report).
EventRecord* AddNoteToChord(ScoreView* view, EventRecord* note, int steps);
// Dots 0, 1, 2, 3, 0 ...: 1 when there is room (2 after extending), 0 when refused.
int CheckDotRoom(ScoreView* view, EventRecord* note);
int CycleDotsOfNote(ScoreView* view, EventRecord* note);
// Gives the note's chord in `voice` exactly `dots` dots (0..3), after the same room
// check, moving the voice's later elements by the change.
int SetDotsOfNote(ScoreView* view, EventRecord* note, int voice, int dots);
int ResetChordOffsets(ScoreView* view, EventRecord* note);
// Toggles a word2 mark on the chord's end note (in the stem direction) and copies its
// staccato and legato bits to every note of the chord.
int ToggleChordMark(ScoreView* view, EventRecord* note, uint16_t bit);
// Hidden marks of every chord of the beam group: cleared when any is set, else set.
int ToggleGroupHidden(ScoreView* view, EventRecord* note);
// Every chord of the beam group gets the stem opposite to its first chord's.
int FlipGroupStems(ScoreView* view, EventRecord* note);
// Joins the chord with the next chord of the voice, or breaks the beam between them.
int ToggleBeamAfter(ScoreView* view, EventRecord* note);
// The tie from the note made, or taken away (the whole curve goes with the voice's
// old image, also past the barline, and the staff lines of every measure it crossed
// are drawn again).
int ToggleTieOfNote(ScoreView* view, EventRecord* note, int voice);
int ToggleGraceSlash(ScoreView* view, EventRecord* note);
// The mark of an entry of the articulation palette in force (the "Accents" or
// "Ornaments" pop-up the articulation tool last took) attached to the note, placed
// and shown at once; the palette's own entry stays as it was. 0 when nothing was
// attached (an entry outside the palette, no record to be had).
int AttachEntryArticulation(ScoreView* view, EventRecord* note, int entry);

// Shows the note's chord on the neighbouring staff, or back on its own, keeping the
// written pitch through the two clefs. The other staff is the one above when the note
// lies on the middle line or higher and one exists, else the one below, else above;
// a one-staff score beeps and changes nothing. The position on the other staff
// (crossStaffPosition) is what is kept; `step` is relative to the note's own staff.
int ToggleCrossStaffNote(ScoreView* view, EventRecord* note);
// The same, shown at once as the other edits of a chosen note are (ToggleCrossStaffNote
// itself draws nothing, for callers that redraw a whole selection).
int ToggleCrossStaffShown(ScoreView* view, EventRecord* note);

// The note's head becomes the number of a fret, 0..kHighestFret; 0 when refused.
constexpr int kHighestFret = 9;
int SetFretOfNote(ScoreView* view, EventRecord* note, int fret);

}  // namespace ql
