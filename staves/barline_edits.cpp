// The barline object's Shift and paste commands (see barline_edits.h).
#include "staves/barline_edits.h"

#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/ui/block_edit_services.h"
#include "core/ui/selection_services.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "layout/measure_spacing.h"
#include "staves/barline_follow.h"
#include "staves/barline_handler.h"
#include "staves/measure_dialogs.h"

namespace ql {

void RespaceBarlineMeasure(ScoreObject* object, ScoreView* view) {
    const BarlineBody* body = BarlineBodyOf(object);
    if (body == nullptr || view == nullptr || view->document == nullptr) return;
    const int count = view->document->header.measureCount;
    const int measure = body->measure <= count ? body->measure : count;
    if (measure < 1) return;
    SetCurrentMeasure(view, view->currentStaff >= 1 ? view->currentStaff : 1, measure);
    RefreshMeasureWidths(view, false, true);
    CommitFocusedElement(view);
    SetBarlineFollowSuppressed(false);
    if (SelectionState* s = TheSelectionState()) s->rebuildRequested = 1;
}

// Ctrl+D on a barline: its measure is duplicated into the next one on every staff.
void PasteBlockAtBarline(ScoreObject* object, ScoreView* view) {
    const BarlineBody* body = BarlineBodyOf(object);
    if (view == nullptr || view->document == nullptr) return;
    if (body != nullptr) EditBlockAllStaves(view->document, view, body->measure);
    InvalidateLinkedViews(view);
    SetBarlineFollowSuppressed(false);
    ResetSelection(view, 1);
}

int RunBarlineMenuDialog(ScoreView* view, int32_t command) {
    SelectionState* s = TheSelectionState();
    if (s == nullptr || view == nullptr || view->document == nullptr) return 0;
    ScoreObject* object = BarlineBodyOf(s->hoverObject.get()) != nullptr ? s->hoverObject.get() : s->focusedObject.get();
    if (BarlineBodyOf(object) == nullptr) return 0;
    const BarlineRef barline = BarlineOfObject(object);
    int result = 0;
    if (command == kSetMeasureNumberCommand) result = SetMeasureNumberDialog(view, barline);
    else if (command == kHideMeasureObjectsCommand) result = HideMeasureObjectsDialog(view, barline);
    return result == 1 ? 1 : 0;
}

}  // namespace ql
