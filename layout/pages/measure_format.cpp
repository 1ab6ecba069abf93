// The measure formatting entry points (module FMTMEAS) called after an edit that
// changed measures: rebuild the beat maps of a page and lay its systems out
// vertically again, then mark the document modified and redraw. They never
// re-break measures into systems or pages. The entry points that walk many pages
// ask once whether there are tuplet marks to lay out (TupletRefreshScope).
#include <algorithm>

#include "core/model/document.h"
#include "core/model/model_reports.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "notes/beatmap/beat_map.h"

namespace ql {

using namespace pages;

namespace {

constexpr int kNoSystemsLine = 4171;
constexpr char kNoticeWord[] = "Notice: ";

bool HasStaves(const ScoreView* view) {
    return view != nullptr && view->document != nullptr && view->document->header.staffCount > 0;
}

}  // namespace

void FormatMeasures(ScoreView* view, ScorePage* page) {
    if (!HasStaves(view) || !IsPageInList(view->document, page)) return;
    if (!page->firstSystem) {
        ReportModuleLine("FMTMEAS", kNoSystemsLine, kNoticeWord);
        return;
    }
    ScorePage* const savedPage = view->currentPage;
    ScoreSystem* const savedSystem = view->currentSystem;
    view->currentPage = page;
    if (!IsSystemOnPage(page, view->currentSystem)) view->currentSystem = page->firstSystem.get();
    UpdateBeatMaps(view, 0);
    if (State().layout.VerticalLayoutSuspended == 0) LayoutPageSystems(view, page);
    view->currentPage = savedPage;
    view->currentSystem = savedSystem;
    if (savedPage != page && IsPageInList(view->document, savedPage)) UpdateBeatMaps(view, 0);
}

void FormatMeasuresOfCurrentPage(ScoreView* view) {
    if (!HasStaves(view)) return;
    FormatMeasures(view, view->currentPage);
    InvalidateLinkedViews(view);
}

void FormatMeasuresFromPage(ScoreView* view, ScorePage* page) {
    if (!HasStaves(view) || !IsPageInList(view->document, page)) return;
    TupletRefreshScope tuplets;
    for (int i = 0; page != nullptr && i < kMaxChain; ++i, page = page->next.get())
        FormatMeasures(view, page);
    SetDocumentModified(view->document);
}

void FormatMeasuresOfAllPages(ScoreView* view) {
    if (!HasStaves(view)) return;
    TupletRefreshScope tuplets;
    ScorePage* page = view->document->firstPage;
    for (int i = 0; page != nullptr && i < kMaxChain; ++i, page = page->next.get())
        FormatMeasures(view, page);
    BuildBeatMapsOnLinkedViews(view, 0);
    InvalidateLinkedViews(view);
    SetDocumentModified(view->document);
}

void FormatMeasuresThroughMeasure(ScoreView* view, ScorePage* page, int measure) {
    if (!HasStaves(view) || !IsPageInList(view->document, page)) return;
    TupletRefreshScope tuplets;
    for (int i = 0; page != nullptr && i < kMaxChain; ++i, page = page->next.get()) {
        FormatMeasures(view, page);
        if (page->lastMeasure >= measure) break;
    }
    BuildBeatMapsOnLinkedViews(view, 0);
    InvalidateLinkedViews(view);
    SetDocumentModified(view->document);
}

void PlaceSystemsThroughMeasure(ScoreView* view, ScorePage* page, int firstMeasure, int lastMeasure) {
    (void)firstMeasure;
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr) return;
    for (int i = 0; i < kMaxChain && page != nullptr; ++i, page = page->next.get()) {
        // Membership replaces a writability test: a page or system that is not in
        // the list sends the views back to page one and ends the walk.
        if (!IsPageInList(document, page)) {
            ValidateCurrentPage(view);
            return;
        }
        ScoreSystem* system = page->firstSystem.get();
        for (int k = 0; system != nullptr && k < kMaxChain; ++k, system = system->next.get()) {
            if (system->firstMeasure > lastMeasure) return;
            PlaceSystemInMargins(view, page, system);
        }
    }
}

}  // namespace ql
