// The selection engine's entry points used by the score model. The engine (focus,
// hover, hit testing) is not built yet: nothing can be focused or hovered through
// it, so these have nothing to clear or redraw.
#include "editing/selection.h"

namespace ql {

void ResetSelection(ScoreView* /*view*/, int /*mode*/) {
    // provisional: the selection engine is not built; no focus or hover to clear.
}

void EndFocus(ScoreView* /*view*/, int /*mode*/) {
    // provisional: the selection engine is not built; nothing is focused.
}

void UnfocusElement(ScoreView* /*view*/) {
    // provisional: the selection engine is not built; nothing is focused.
}

void ClearHoverState() {
    // provisional: the selection engine is not built; nothing is hovered.
}

void SaveRestoreFeedbackDC(ScoreView* /*view*/, ScoreObject* /*object*/, bool /*restore*/) {
    // provisional: feedback drawing comes with the selection engine; nothing saved.
}

}  // namespace ql
