// Keeping the views of a document on their measure while systems are added to a
// page or taken from it: a view never holds a system that left its page, and it
// stays on the measure it was on wherever its page still shows that measure.
#include <algorithm>

#include "core/model/score_document.h"
#include "core/state.h"
#include "layout/page_chain.h"
#include "layout/page_edit.h"
#include "layout/widths/width_support.h"

namespace ql {

using namespace pages;

namespace {

// The system of the page nearest to the measure: the one holding it, else the
// last system starting at or before it, else the first.
ScoreSystem* NearestSystem(ScorePage* page, int measure) {
    if (ScoreSystem* holding = FindSystemOfMeasure(page, measure)) return holding;
    ScoreSystem* nearest = page->firstSystem.get();
    ScoreSystem* s = nearest;
    for (int i = 0; s != nullptr && i < kMaxChain; ++i, s = s->next.get())
        if (s->firstMeasure <= measure) nearest = s;
    return nearest;
}

}  // namespace

void KeepViewsOnTheirMeasures(ScoreDocument* document) {
    for (ScoreView* view = State().documents.FirstView; view != nullptr; view = view->nextView) {
        if (!IsPageViewOf(view, document) || !IsPageInList(document, view->currentPage)) continue;
        const int measure = view->currentMeasure;
        ScoreSystem* system = NearestSystem(view->currentPage, measure);
        if (system == nullptr) {
            view->currentSystem = nullptr;
            continue;
        }
        const bool onPage = IsSystemOnPage(view->currentPage, view->currentSystem);
        if (onPage && system == view->currentSystem) continue;
        const int kept = std::clamp<int>(measure, system->firstMeasure, system->lastMeasure);
        MoveViewLocation(view, system, view->currentStaff, kept);
    }
}

}  // namespace ql
