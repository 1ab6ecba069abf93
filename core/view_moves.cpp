// Moving a view to a saved location. Records are never probed: a location that is
// not inside the current page's measures is simply not applied.
#include "core/view_moves.h"

#include "core/page_records.h"
#include "core/score_document.h"
#include "core/score_object.h"
#include "core/state.h"
#include "display/view_location.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

bool IsMasterPage(const ScorePage* page) {
    return page->pageNumber < 0;
}

bool MeasureOnPage(const ScorePage* page, int measure) {
    return page != nullptr && measure >= page->firstMeasure && measure <= page->lastMeasure;
}

bool LocationDiffers(const ScoreView& view, const ObjectLocation& location) {
    return State().input.ForceRelocate != 0 || view.currentStaff != location.staff ||
           view.currentMeasure != location.measure;
}

}  // namespace

bool IsValidView(const ScoreView* view) {
    return view != nullptr && view->self == view;
}

bool MoveViewToObject(ScoreView* view, const LocationRecord* record) {
    if (!IsValidView(view) || record == nullptr) return false;
    const ScorePage* page = view->currentPage;
    if (page == nullptr || IsMasterPage(page)) return false;
    const ObjectLocation& location = record->location;
    if (!MeasureOnPage(page, location.measure) || location.position == 0) return false;
    HandleViewActivation(view);
    view->positionWord = location.position;
    if (LocationDiffers(*view, location)) SetCurrentMeasure(view, location.staff, location.measure);
    return true;
}

void RestoreViewPosition(ScoreView* view, const LocationRecord* record) {
    if (!IsValidView(view) || record == nullptr) return;
    HandleViewActivation(view);
    const ObjectLocation& location = record->location;
    view->positionWord = location.position;
    if (LocationDiffers(*view, location) && MeasureOnPage(view->currentPage, location.measure)) {
        SetCurrentMeasure(view, location.staff, location.measure);
    }
    if (view->pointerPoint != record->point) {
        MovePointerToPoint(view, record->point.x, record->point.y);
    }
}

}  // namespace ql
