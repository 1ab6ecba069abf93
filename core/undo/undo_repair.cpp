// What follows every Undo, Redo and Checkpoint Restore: the first page re-derived from
// the right master, internal distances rebuilt from a changed header, cached platform
// objects dropped, the selection reset, every view of the document put back on a valid
// page, staff and measure with its beat maps built again from the restored measures,
// and the view stored in the record given its position back.
#include <algorithm>
#include <vector>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/services/display_services.h"
#include "core/services/layout_services.h"
#include "core/services/score_object_services.h"
#include "core/units/paper_size.h"
#include "core/units/units.h"
#include "core/draw/view_metrics.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/selection_services.h"
#include "core/undo/undo.h"
#include "core/undo/undo_internal.h"
#include "platform/gfx/objects.h"

namespace ql {

namespace {

bool IsLiveViewOf(const ScoreDocument* document, const ScoreView* view) {
    if (view == nullptr) return false;
    for (ScoreView* v = State().documents.FirstView; v != nullptr; v = v->nextView)
        if (v == view) return v->self == v && v->document == document;
    return false;
}

template <typename Fn>
void ForEachViewOf(ScoreDocument* document, Fn&& fn) {
    for (ScoreView* v = State().documents.FirstView; v != nullptr; v = v->nextView)
        if (v->self == v && v->document == document) fn(v);
}

// Page, staff and measure of a view made valid again after the score changed.
void RevalidateView(ScoreDocument* document, ScoreView* view) {
    if (view->currentPage == nullptr) return;  // not activated yet
    display::ValidateCurrentPage(view);
    int staffCount = std::max<int>(1, document->header.staffCount);
    int measureCount = std::max<int>(1, document->header.measureCount);
    int staff = std::clamp(view->currentStaff, 1, staffCount);
    int measure = std::clamp(view->currentMeasure, 1, measureCount);
    display::SetCurrentMeasureQuick(view, staff, measure);
}

// A view in the scroll view, standing on its own galley page.
bool ShowsGalley(const ScoreView* view) {
    return view->pageView == 0 && view->galleyPage != nullptr && view->currentPage == view->galleyPage;
}

}  // namespace

void RestoreUndoViewState(ScoreDocument* document, ScoreView* fallback,
                          const UndoViewState& state) {
    (void)fallback;
    ScoreView* view = state.view;
    if (!IsLiveViewOf(document, view)) return;  // the bytes are restored all the same
    if (view->pageView != state.pageView) {
        if (state.pageView)
            display::EnterPageView(view);
        else
            display::EnterScrollView(view);
    }
    view->currentPage = state.currentPage;
    view->currentSystem = state.currentSystem;
    view->galleyPage = state.galleyPage;
    view->galleySystem = state.galleySystem;
    int32_t* origin = view->pageView ? view->pageOrigin : view->scrollOrigin;
    origin[0] = state.originX;
    origin[1] = state.originY;
    view->zoom = state.zoom;
    view->currentStaff = state.staff;
    view->currentMeasure = state.measure;
    State().documents.ActiveView = view;
    State().documents.CurrentDocument = document;
}

std::vector<int32_t> SystemPlacesOf(const ScoreDocument* document) {
    std::vector<int32_t> places;
    int count = 0;  // a damaged chain that loops ends here
    for (const ScorePage* page = document->firstPage; page != nullptr && count < kMaxChainLength;
         page = page->next.get())
        for (const ScoreSystem* system = page->firstSystem.get(); system != nullptr && ++count < kMaxChainLength;
             system = system->next.get())
            places.push_back(system->x);
    return places;
}

void RepairAfterUndoApply(ScoreDocument* document, bool headerChanged,
                          const std::vector<int32_t>& placesBefore) {
    if (document->rightMaster != nullptr) document->firstPage = document->rightMaster->next.get();
    if (headerChanged) {
        ConvertHeaderToInternal(document);
        ForEachViewOf(document, [document](ScoreView* view) {
            // A view's scale follows the staff size the header has again.
            if (view->UnitsPerInch > 0.0) view->UnitsPerInch = UnitsPerInch(*document);
            PaperSizeOf(view);
            InitViewMetrics(view);
        });
    }
    ReleaseDocumentFonts(document);  // cache, score fonts, references, measure numbers
    objects::FreeRepeatEndingList(document);
    ResetSelectionForUndo(State().documents.ActiveView);
    ForEachViewOf(document, [&](ScoreView* view) { RevalidateView(document, view); });
    // The scroll view draws its strip from the beat map as the edit left it (the page
    // view builds a system's map again as it paints it): built again, as entering the
    // scroll view builds it, so that the barlines stand where the restored measures put
    // them. A page view paints a system that stands where it stood from the map it
    // has: where a system moved, its maps are built again too, the systems left where
    // the restored document places them.
    const bool moved = SystemPlacesOf(document) != placesBefore;
    ForEachViewOf(document, [moved](ScoreView* view) {
        if (ShowsGalley(view)) {
            layout::UpdateBeatMaps(view, 1);
        } else if (moved && view->pageView != 0 && view->currentPage != nullptr) {
            layout::UpdateBeatMapsInPlace(view, 1);
        }
    });
    ForEachViewOf(document, [](ScoreView* view) { display::InvalidateLinkedViews(view); });
}

void ResetSelectionForUndo(ScoreView* view) {
    if (view != nullptr && TheSelectionState() != nullptr) ResetSelection(view, 0);
}

void SetDocumentModifiedByUndo(ScoreDocument* document) {
    SetDocumentModified(document);
}

void RebuildGalleyAfterRestore(ScoreDocument* document) {
    ForEachViewOf(document, [](ScoreView* view) {
        if (!view->pageView) display::EnterScrollView(view);
    });
}

}  // namespace ql
