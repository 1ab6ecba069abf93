// The marks note entry puts on a note it has just entered: while the "Accents" or the
// "Ornaments" button of the Notes palette is marked (a Control-click presses it as a
// toggle), the entry in force on that button's palette goes on every new chord's note,
// as the articulation tool's click would put it, without becoming the selection. The
// "Accents" legato and staccato entries set the note's bit instead.
#pragma once

namespace ql {

struct ScoreView;
struct EventRecord;

// The entry in force of one palette on the note; false when nothing could be added
// (no note, an entry outside the palette, no record left: the note stays as it was).
bool AttachAccentArticulation(ScoreView* view, EventRecord* note);
bool AttachOrnamentArticulation(ScoreView* view, EventRecord* note);

// Both, for the buttons that are marked.
void AttachMarkedArticulations(ScoreView* view, EventRecord* note);

}  // namespace ql
