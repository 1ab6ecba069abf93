// The barline object's Shift and paste commands: respacing the measure after the
// barline, and pasting a block of all staves there; and the two measure dialogs its
// right-click menu opens.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreObject;
struct ScoreView;

// Shift on a barline: the measure after it (the last one for the final barline) is
// spaced again from its notes, the focus is committed and the handles are rebuilt.
void RespaceBarlineMeasure(ScoreObject* object, ScoreView* view);

// Paste on a barline: a block of all staves at the barline's measure; the views are
// redrawn and the selection reset.
void PasteBlockAtBarline(ScoreObject* object, ScoreView* view);

// Commands of the barline's right-click menu that the frame carries out.
constexpr int32_t kSetMeasureNumberCommand = 42115;
constexpr int32_t kHideMeasureObjectsCommand = 42116;

// "Set Measure Number" or "Hide Measure Objects" on the barline the menu was opened
// on (the selection's hovered, else focused, barline object). 1 on OK; 0 on Cancel,
// for another command or without a barline object.
int RunBarlineMenuDialog(ScoreView* view, int32_t command);

}  // namespace ql
