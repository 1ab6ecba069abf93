// Page view and scroll view (module QLVIEW): switching a view between them while
// keeping its staff and measure, and laying the scroll page out from a measure
// with its context page of the measures before.
#include "display/view_modes.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "core/constants.h"
#include "core/draw/view_metrics.h"
#include "core/error_report.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/ui/selection_services.h"
#include "core/ui/shell_services.h"
#include "core/ui/status_bar.h"
#include "core/ui/tool_services.h"
#include "core/units/view_moves.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "layout/measure_format.h"
#include "layout/page_format.h"
#include "notes/beatmap/beat_map.h"

namespace ql {

namespace {

// Measures of the scroll page, and of the context page before it.
constexpr int kScrollMeasures = 24;
constexpr int kContextMeasures = 8;

void ResetScrollOrigin(ScoreView* view) {
    view->scrollOrigin[0] = kLogicalOrigin;
    view->scrollOrigin[1] = kLogicalOrigin;
}

// Staff offsets and flags (staves 1..count) of one system copied into another.
void CopyStaffArrays(const ScoreDocument* document, const ScoreSystem* from, ScoreSystem* to) {
    const uint16_t* offsets = StaffOffsetsOf(from);
    const int8_t* flags = StaffFlagsOf(from);
    uint16_t* toOffsets = StaffOffsetsOf(to);
    int8_t* toFlags = StaffFlagsOf(to);
    if (offsets == nullptr || flags == nullptr || toOffsets == nullptr || toFlags == nullptr) return;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        toOffsets[staff] = offsets[staff];
        toFlags[staff] = flags[staff];
    }
}

void SetRange(ScorePage* page, ScoreSystem* system, int first, int last) {
    page->firstMeasure = system->firstMeasure = static_cast<uint16_t>(first);
    page->lastMeasure = system->lastMeasure = static_cast<uint16_t>(last);
    page->systemCount = 1;
}

// The context page before a scroll page starting at `first`: linked before it from
// measure 2 on, else left unlinked.
void LayContextPage(ScoreView* view, ScorePage* scroll, ScoreSystem* system, int first) {
    ScorePage* context = view->galleyPage2;
    ScoreSystem* contextSystem = context != nullptr ? context->firstSystem.get() : nullptr;
    if (context == nullptr || contextSystem == nullptr) return;
    context->next = Ref32<ScorePage>{};
    context->previous = Ref32<ScorePage>{};
    if (first < 2) return;
    SetRange(context, contextSystem, std::max(1, first - kContextMeasures), first - 1);
    context->next = Ref32<ScorePage>::To(scroll);
    scroll->previous = Ref32<ScorePage>::To(context);
    CopyStaffArrays(view->document, system, contextSystem);
    contextSystem->x = system->x;
    contextSystem->y = system->y;
}

}  // namespace

int SetScrollViewStart(ScoreView* view, int measure) {
    ScorePage* page = view != nullptr ? view->galleyPage : nullptr;
    ScoreSystem* system = view != nullptr ? view->galleySystem : nullptr;
    if (page == nullptr || system == nullptr || view->document == nullptr) return 0;
    view->currentPage = page;
    view->currentSystem = system;
    const int count = std::max<int>(1, view->document->header.measureCount);
    const int first = std::clamp(measure, 1, count);
    SetRange(page, system, first, std::max(first, std::min(first + kScrollMeasures - 1, count)));
    page->next = Ref32<ScorePage>{};
    page->previous = Ref32<ScorePage>{};
    LayContextPage(view, page, system, first);
    SetCurrentSystemAndMeasure(view, system, view->currentStaff, first, true);
    BuildStaffBeatMap(view, 1);
    BuildStaffBeatMap(view, 1);
    InvalidateLinkedViews(view);
    EndFocus(view, 0);
    return 0;
}

void EnterPageView(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (!IsValidView(view) || document == nullptr) return;
    const uint16_t counter = document->changeCounter;
    const int staff = view->currentStaff;
    const int measure = std::max(1, view->currentMeasure);
    view->pageView = 1;
    ResetScrollOrigin(view);
    EndFocus(view, 0);
    ShowAllPalettes();
    const bool staves = document->header.staffCount > 0;
    ShowPageInView(view, staves ? PageIndexOfMeasure(document, measure) : 0);
    if (!staves || view->currentPage == nullptr || view->currentPage == view->galleyPage) {
        view->currentPage = document->firstPage;
        view->currentSystem = document->firstPage != nullptr ? document->firstPage->firstSystem.get() : nullptr;
    }
    LayoutPagersToolbar(view);
    RefreshViewMetrics(view);
    ExtendPagesToMeasureCount(view);
    SetViewScrollRanges(view);
    if (staves) ShowMeasureInView(view, staff, measure);
    FormatMeasuresOfAllPages(view);
    // Entering page view never counts as a change of the score.
    document->changeCounter = counter;
}

int EnterScrollView(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (!IsValidView(view) || document == nullptr || view->galleyPage == nullptr ||
        view->galleyPage->firstSystem.get() != view->galleySystem)
        return 0;
    if (view->currentPage != nullptr && view->currentPage->pageNumber < 0) {
        PlayAlertBeep(0);
        return 0;
    }
    const int staff = view->currentStaff;
    const int measure = view->currentMeasure;
    ResetScrollOrigin(view);
    EndFocus(view, 0);
    view->pageView = 0;
    SetStatusText(0, " ");
    SetStatusText(1, " ");
    HideAllPalettes();
    if (view->currentSystem != nullptr && view->currentSystem != view->galleySystem)
        CopyStaffArrays(document, view->currentSystem, view->galleySystem);
    view->currentSystem = view->galleySystem;
    if (document->header.staffCount == 0) {
        view->currentPage = view->galleyPage;
        SetCurrentSystemAndMeasure(view, view->galleySystem, 0, 0, true);
    } else {
        SetScrollViewStart(view, measure);
    }
    RefreshViewMetrics(view);
    SetViewScrollRanges(view);
    if (document->header.staffCount > 0) ShowMeasureInView(view, staff, std::max(1, measure));
    return 1;
}

bool IsPageLayout(const ScoreView* view) {
    if (view == nullptr) return false;
    return view->pageView != 0 ||
           (view->currentPage != nullptr && view->currentPage->pageNumber < 0);
}

namespace {

// The views in measure-owned mode, each with its window: a view made later at the
// same address has another window and starts page-owned.
std::vector<std::pair<const ScoreView*, platform::WindowHandle>>& MeasureOwnedViews() {
    static std::vector<std::pair<const ScoreView*, platform::WindowHandle>> views;
    return views;
}

}  // namespace

void SetMeasureOwned(const ScoreView* view, bool on) {
    if (view == nullptr) return;
    auto& views = MeasureOwnedViews();
    std::erase_if(views, [view](const auto& entry) { return entry.first == view; });
    if (on) views.emplace_back(view, view->ViewWindow);
}

bool IsMeasureOwned(const ScoreView* view) {
    for (const auto& [owned, window] : MeasureOwnedViews())
        if (owned == view) return window == view->ViewWindow;
    return false;
}

bool PlacesOnPage(const ScoreView* view) {
    if (!IsPageLayout(view)) return false;
    const bool masterPage = view->currentPage != nullptr && view->currentPage->pageNumber < 0;
    return masterPage || !IsMeasureOwned(view);
}

}  // namespace ql
