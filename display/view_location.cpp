// The view's current location. Until the display's locate module is built, the
// location is kept in the view's own fields only: no system is derived and the
// screen pointer does not move.
#include "display/view_location.h"

#include <algorithm>

#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"

namespace ql {
namespace {

// Measures beyond the count a location may name (the end of the score).
constexpr int kMeasureSlack = 4;

}  // namespace

void SetCurrentMeasure(ScoreView* view, int staff, int measure) {
    // provisional: the system holding the measure is derived by the locate module,
    // which is not built; only the clamped staff and measure are set.
    if (view == nullptr || view->document == nullptr) return;
    const ScoreHeader& header = view->document->header;
    view->currentStaff = std::clamp(staff, 1, std::max<int>(1, header.staffCount));
    view->currentMeasure = std::clamp(measure, 1, header.measureCount + kMeasureSlack);
}

void MovePointerToPoint(ScoreView* view, int x, int y) {
    // provisional: without the view's device mapping the screen pointer cannot be
    // placed; the view's pointer point is updated.
    if (view == nullptr) return;
    view->pointerPoint = LogicalPoint{x, y};
}

void SetCurrentSystemAndMeasure(ScoreView* view, ScoreSystem* system, int staff, int measure,
                                bool /*force*/) {
    // provisional: the measure slots of the system are kept by the locate module,
    // which is not built; the system, staff and measure are set.
    if (view == nullptr) return;
    if (system != nullptr) view->currentSystem = system;
    SetCurrentMeasure(view, staff, measure);
}

void SetCurrentMeasureQuick(ScoreView* view, int staff, int measure) {
    // provisional: slot, cell and voice chain come from the locate module, which is
    // not built; the staff, measure and staff record are set.
    SetCurrentMeasure(view, staff, measure);
    if (view == nullptr || view->document == nullptr) return;
    view->currentStaffRecord = StaffRecordOf(view->document, view->currentStaff);
}

void ValidateCurrentPage(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return;
    ScoreDocument* document = view->document;
    for (ScorePage* page = document->leftMaster; page != nullptr; page = page->next.get()) {
        if (page == view->currentPage) return;
    }
    // provisional: linked views are not revisited until the display keeps its view
    // links; this view goes back to the first page.
    view->currentPage = document->firstPage;
    view->currentSystem =
        document->firstPage != nullptr ? document->firstPage->firstSystem.get() : nullptr;
}

void SetLocationFromPoint(ScoreView* view, const LogicalPoint& point) {
    // provisional: deriving system, staff and measure from a point needs the locate
    // module's slot tables, which are not built; the pointer point is kept.
    if (view == nullptr) return;
    view->pointerPoint = point;
}

ScoreSystem* SystemOfMeasure(ScoreView* view, int measure) {
    if (view == nullptr) return nullptr;
    if (view->currentPage != nullptr) {
        for (ScoreSystem* system = view->currentPage->firstSystem.get(); system != nullptr;
             system = system->next.get()) {
            if (measure >= system->firstMeasure && measure <= system->lastMeasure) return system;
        }
    }
    return view->currentSystem;
}

}  // namespace ql
