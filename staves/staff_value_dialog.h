// The staff value dialog (808): one number 1..16 (a staff's MIDI channel) with its
// up-down, and the staff key that edits the current staff's channel through it.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

// The timbre record's type, the kind of the undo step of a channel or patch edit.
constexpr uint8_t kTimbreUndoType = 24;

constexpr int kLowestChannel = 1;
constexpr int kHighestChannel = 16;

// Runs the dialog starting at `value`; the value entered on OK, held inside 1..16
// (a typed 0 gives 1, 17 gives 16), else `value`. Steps past either end beep and
// keep the end.
int RunStaffValueDlg(ScoreView* view, int value);

// The channel of the view's current staff (timbre 1) through the dialog, as one
// undoable edit (verb "Modify", kind "Timbre"); 1 when a staff was there.
int EditStaffChannel(ScoreView* view);

}  // namespace ql
