// The barline object's Shift and paste commands: respacing the measure after the
// barline, and pasting a block of all staves there.
#pragma once

namespace ql {

struct ScoreObject;
struct ScoreView;

// Shift on a barline: the measure after it (the last one for the final barline) is
// spaced again from its notes, the focus is committed and the handles are rebuilt.
void RespaceBarlineMeasure(ScoreObject* object, ScoreView* view);

// Paste on a barline: a block of all staves at the barline's measure; the views are
// redrawn and the selection reset.
void PasteBlockAtBarline(ScoreObject* object, ScoreView* view);

}  // namespace ql
