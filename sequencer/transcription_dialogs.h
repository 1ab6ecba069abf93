// The dialogs that set how MIDI is transcribed and loosened: Set Quantization (871)
// with Advanced Quantization (835), MIDI Message Filter (860), Channel-Staff
// Assignments (807), Note Timbre (848) and Loosen Up! (826). Check boxes and the
// timbre act at once (Cancel keeps them); numbers typed into 807 and 826 are
// clamped on OK to their spin ranges with one beep when anything was clamped.
// Each returns the dialog's result (1 OK, 2 Cancel).
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

intptr_t RunSetQuantizationDialog();
intptr_t RunAdvancedQuantizationDialog();
intptr_t RunMidiMessageFilterDialog();
// The spin ranges run 1..the staff count of the view's document.
intptr_t RunChannelStaffDialog(ScoreView* view);
intptr_t RunNoteTimbreDialog();
intptr_t RunLoosenUpDialog();

// The velocity looseness stored for a typed value: the power of two at or below it,
// from 2 up to 64.
uint8_t VelocityLoosenessOf(int32_t typed);

}  // namespace ql
