// The edits behind the note commands that note_commands.h does not name: each acts
// on the command's notes (the marquee's, else the grabbed note) and returns 1 when
// something changed. Shared by the menu commands and the marquee's keys.
#pragma once

#include <cstdint>
#include <vector>

#include "editing/marquee_walk.h"

namespace ql {

struct ScoreView;

// Results of the note-head dialog.
constexpr intptr_t kNoteHeadDialogOk = 1;
constexpr intptr_t kNoteHeadDialogCancel = 2;
constexpr intptr_t kNoteHeadDialogReset = 3;  // and above: back to the normal head

// Staccato or legato flipped on each chord.
int ToggleNoteMarks(ScoreView* view, uint16_t bit);
// The slash through the stem of each grace chord.
int ToggleSlashStems(ScoreView* view);
// Every note to its neighbouring spelling of the same pitch.
int RespellEnharmonically(ScoreView* view);
// The attached objects of every note laid out again in their own place.
int ResetAttachments(ScoreView* view);
// Every note one nudge unit sideways (dx) or one staff step (dy, negative upwards).
int MoveNotes(ScoreView* view, int dx, int dy);
// A note `steps` staff steps above each chord's top note or below its bottom note.
int AddIntervalToChords(ScoreView* view, int steps, bool above);
// The fan of each beam group: its further beams meet at the right or at the left.
int FanBeams(ScoreView* view, bool right);
// Each beam group to the neighbouring staff or back, chord by chord; `wanted` -1
// turns every group from the state of its first chord, 0 or 1 brings every group to
// that state.
int ToggleCrossStaffGroups(ScoreView* view, int wanted);
// The staves and measures holding the notes, transposed as a block.
int TransposeNotes(ScoreView* view, const std::vector<WalkedItem>& items, int semitones);

}  // namespace ql
