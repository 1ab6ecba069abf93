// Moving the systems that no longer fit on a page onto the pages after it
// (FitSystemsToPages), adding blank pages at the end as they are needed, and
// placing the measures past the last page (CarryMeasuresPastLastPage).
#include "layout/page_fit.h"

#include <algorithm>

#include "core/memory/pool.h"
#include "core/model/model_reports.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_edit.h"

namespace ql {

using namespace pages;

namespace {

constexpr int kNoPageLine = 1880;
constexpr int kNoSystemLine = 1884;
constexpr char kNoticeWord[] = "Notice: ";

}  // namespace

int FitSystemsToPages(ScoreView* view, ScorePage* page) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (!IsPageInList(document, page)) return 0;
    ScopedPoolSet pools(document->pools);
    int moved = 0;
    for (int i = 0; page != nullptr && i < kMaxChain; ++i, page = page->next.get()) {
        while (CountSystems(page) > 1 && !PageSystemsFit(view, page)) {
            if (page->next.get() == nullptr && LinkBlankPageAfter(document, page) == nullptr) {
                ReportModuleLine("FMTPAGE", kNoPageLine, kNoticeWord);
                KeepViewsOnTheirMeasures(document);
                return -1;
            }
            if (!MoveLastSystemToNextPage(view, page)) break;
            ++moved;
        }
    }
    if (moved != 0) KeepViewsOnTheirMeasures(document);
    return moved;
}

namespace {

// A new system of the grid after the page's last (or as its first) for
// first..last; false (reported) without a record.
bool AppendGridSystem(ScoreView* view, ScorePage* page, int first, int last) {
    ScoreSystem* tail = LastSystem(page);
    ScoreSystem* system = NewGridSystem(view, page, CountSystems(page), first, last);
    if (system == nullptr) {
        ReportModuleLine("FMTPAGE", kNoSystemLine, kNoticeWord);
        return false;
    }
    if (tail != nullptr) {
        LinkSystemsAfter(tail, system);
    } else {
        page->firstSystem = Ref32<ScoreSystem>::To(system);
        page->firstMeasure = static_cast<uint16_t>(first);
    }
    page->systemCount = static_cast<uint16_t>(CountSystems(page));
    page->lastMeasure = static_cast<uint16_t>(last);
    return true;
}

}  // namespace

int CarryMeasuresPastLastPage(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    ScorePage* page = LastPage(document);
    if (page == nullptr) return 0;
    ScorePage* before = page->previous.get();
    // A blank last page continues after the page before it.
    const int end = page->firstSystem ? page->lastMeasure : before != nullptr ? before->lastMeasure : 0;
    const int count = document->header.measureCount;
    ScopedPoolSet pools(document->pools);
    ScorePage* const firstChanged = page;
    const int perSystem = MeasuresPerSystem(document);
    int placed = 0;
    for (int i = 0; end + placed < count && i < kMaxChain; ++i) {
        if (CountSystems(page) >= SystemsPerPage(document)) {
            ScorePage* blank = LinkBlankPageAfter(document, page);
            if (blank == nullptr) {
                ReportModuleLine("FMTPAGE", kNoPageLine, kNoticeWord);
                placed = -1;
                break;
            }
            page = blank;
        }
        const int first = end + placed + 1;
        const int last = std::min(count, first + perSystem - 1);
        if (!AppendGridSystem(view, page, first, last)) {
            placed = -1;
            break;
        }
        placed += last - first + 1;
    }
    // A blank page left without a system goes again.
    if (!page->firstSystem && page->previous.get() != nullptr && page != document->firstPage) {
        page->previous.get()->next = Ref32<ScorePage>{};
        FreePageRecord(page);
        document->header.pageCount = static_cast<uint16_t>(document->header.pageCount - 1);
    }
    if (IsPageInList(document, firstChanged)) {
        FitSystemsToPages(view, firstChanged);
        for (ScorePage* p = firstChanged; p != nullptr; p = p->next.get()) LayoutPageSystems(view, p);
    }
    return placed;
}

}  // namespace ql
