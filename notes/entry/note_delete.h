// Taking an entered note out of its voice: its attachments move to a note that
// shares its time, its ties are undone, and a note alone at its time leaves either a
// closed gap (the voice's later items move earlier) or, with Ctrl held or the
// keep-time byte set, a rest of its length.
#pragma once

namespace ql {

struct ScoreView;
struct EventRecord;

// 1 when the note was removed. A null note beeps and gives 0; a note that is not a
// live record of the current set gives 0. Nothing changes when the rest that
// keep-time needs cannot be had (the low-memory report shows).
int DeleteNote(ScoreView* view, EventRecord* note, bool redraw, int voice);

// The note the pointer goes to once `note` is deleted: the next note at the same
// time, the previous one at the same time, the next event, the previous event; null
// when there is none.
EventRecord* DeletionNeighbour(EventRecord* note);

// The drop of the pointer on a focused note without Shift, in one undoable edit:
// deletes it and puts the pointer on its neighbour (or leaves it where it is).
// 1 when the note was deleted.
int DeleteNoteAndFollow(ScoreView* view, EventRecord* note);

}  // namespace ql
