// Redrawing a view and its linked views. Score views do not paint yet. Two views
// are linked when they show the same score and their current pages hold measures
// that overlap or touch.
#include "display/linked_views.h"

#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/state.h"

namespace ql {

namespace {

// Pages whose measure ranges overlap or follow each other; false when either is missing.
bool PagesLinked(const ScorePage* a, const ScorePage* b) {
    if (a == nullptr || b == nullptr) return false;
    const int a1 = a->firstMeasure, a2 = a->lastMeasure;
    const int b1 = b->firstMeasure, b2 = b->lastMeasure;
    return b1 == a2 + 1 || a1 == b2 + 1 || (b1 >= a1 && b1 <= a2) || (a1 >= b1 && a1 <= b2) ||
           (b2 >= a1 && b2 <= a2) || (a2 >= b1 && a2 <= b2);
}

}  // namespace

ScoreView* NextLinkedView(ScoreView* view, ScoreView* previous) {
    if (view == nullptr) return nullptr;
    ScoreView* candidate = previous != nullptr ? previous->nextView : State().documents.FirstView;
    for (; candidate != nullptr; candidate = candidate->nextView) {
        if (candidate != view && candidate->document == view->document &&
            PagesLinked(view->currentPage, candidate->currentPage))
            return candidate;
    }
    return nullptr;
}

void RepaintScoreView(ScoreView* /*view*/, bool /*erase*/) {
    // provisional: score views have no painter yet; nothing to repaint.
}

void RedrawCurrentMeasure(ScoreView* /*view*/) {
    // provisional: score views have no painter yet; nothing to redraw.
}

void InvalidateLinkedViews(ScoreView* /*view*/) {
    // provisional: score views have no windows yet; nothing to invalidate.
}

void UpdateLinkedViews(ScoreView* /*view*/) {
    // provisional: score views have no windows yet; nothing to update.
}

}  // namespace ql
