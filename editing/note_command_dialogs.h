// The dialogs the note commands open: each shows its value, and on OK stores what
// the user chose for the command to apply to its notes.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

constexpr int kAttackOffsetDialog = 802;
constexpr int kKeyVelocityDialog = 824;
constexpr int kTransposeDialog = 834;
constexpr int kReleaseOffsetDialog = 843;
constexpr int kNoteHeadDialog = 847;
constexpr int kNoteTimbreDialog = 848;
constexpr int kCrossStaffDialog = 858;

// Runs one of the value dialogs (802, 824, 834, 843, 848, 858) starting at *value;
// 1 after OK with the chosen value in *value, 2 after Cancel, -1 when it could not be
// shown. *value is left as it was unless the result is 1.
intptr_t RunNoteValueDialog(ScoreView* view, int dialogId, int* value);
// Whether the last OK of the Transpose dialog (834) chose "Staff degrees" rather
// than "Chromatic".
bool TransposeByStaffDegrees();

// The note-head dialog (847), RunNoteHeadDialog, is the shell's: core/ui/shell_services.h.

}  // namespace ql
