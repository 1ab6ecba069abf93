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
#include "layout/staff_room.h"

namespace ql {

using namespace pages;

namespace {

constexpr int kNoPageLine = 1880;
constexpr char kNoticeWord[] = "Notice: ";

}  // namespace

int FitSystemsToPages(ScoreView* view, ScorePage* page) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (!IsPageInList(document, page)) return 0;
    ScopedPoolSet pools(document->pools);
    const ScopedSystemRooms rooms;
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

// Whether a page after `page` holds a system.
bool SystemsFollow(const ScorePage* page) {
    for (const ScorePage* p = page->next.get(); p != nullptr; p = p->next.get())
        if (p->firstSystem) return true;
    return false;
}

// The first system of the pages after `page` comes up when the page holds it
// between its margins; false, nothing changed, when it does not or there is none.
bool PullNextSystem(ScoreView* view, ScorePage* page) {
    if (!page->firstSystem || !SystemsFollow(page)) return false;
    if (!AddSystemToPage(view, page, true)) return false;
    if (PageHoldsSystemsByRoom(view, page)) return true;
    MoveLastSystemToNextPage(view, page);
    return false;
}

// Pages left without a system go (the first stays); the pages after one take its
// number when their numbers ran on.
void DropEmptyPages(ScoreDocument* document) {
    ScorePage* page = document->firstPage->next.get();
    while (page != nullptr) {
        ScorePage* next = page->next.get();
        if (!page->firstSystem) {
            MoveViewsOffPage(document, page, page->previous.get());
            UnlinkPage(document, page);
            if (next != nullptr && next->pageNumber == page->pageNumber + 1) RenumberPageRun(next, page->pageNumber);
            FreePageRecord(page);
        }
        page = next;
    }
}

}  // namespace

int FillPagesByHeight(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || document->firstPage == nullptr) return 0;
    ScopedPoolSet pools(document->pools);
    const ScopedSystemRooms rooms;
    int moved = 0;
    ScorePage* page = document->firstPage;
    for (int i = 0; page != nullptr && i < kMaxChain; ++i, page = page->next.get()) {
        while (CountSystems(page) > 1 && !PageHoldsSystemsByRoom(view, page)) {
            if (page->next.get() == nullptr && LinkBlankPageAfter(document, page) == nullptr) return -1;
            if (!MoveLastSystemToNextPage(view, page)) break;
            ++moved;
        }
        while (PullNextSystem(view, page)) ++moved;
    }
    DropEmptyPages(document);
    KeepViewsOnTheirMeasures(document);
    return moved;
}

namespace {

// The last measure on a page once the measures past it are carried: a blank last
// page continues after the page before it.
int EndOnPages(const ScorePage* last) {
    if (last->firstSystem) return last->lastMeasure;
    const ScorePage* before = last->previous.get();
    return before != nullptr ? before->lastMeasure : 0;
}

// The systems (measure counts) of the measures end+1..count: on the last page
// while it holds fewer than the systems per page (it holds `systemsOnLast`), then
// on pages of their own.
PagePlan PlanCarry(const ScoreDocument* document, int end, int systemsOnLast) {
    const int count = document->header.measureCount;
    const int perSystem = MeasuresPerSystem(document);
    const int perPage = SystemsPerPage(document);
    PagePlan plan(1);
    int onPage = systemsOnLast;
    for (int first = std::max(end, 0) + 1; first <= count && plan.size() < static_cast<size_t>(kMaxChain);) {
        if (onPage >= perPage) {
            plan.emplace_back();
            onPage = 0;
        }
        const int measures = std::min(perSystem, count - first + 1);
        plan.back().push_back(measures);
        ++onPage;
        first += measures;
    }
    return plan;
}

// Puts a system after the page's last (or as its first) for first..last.
void AppendGridSystem(ScoreDocument* document, ScorePage* page, ScoreSystem* system, int first, int last) {
    ScoreSystem* tail = LastSystem(page);
    PlaceGridSystem(page, system, CountSystems(page), first, last);
    MarkUnchangedTime(document, system);
    if (tail != nullptr) {
        LinkSystemsAfter(tail, system);
    } else {
        page->firstSystem = Ref32<ScoreSystem>::To(system);
        page->firstMeasure = static_cast<uint16_t>(first);
    }
    page->systemCount = static_cast<uint16_t>(CountSystems(page));
    page->lastMeasure = static_cast<uint16_t>(last);
}

}  // namespace

bool ReserveCarry(ScoreView* view, int shift, bool ownPage, CarryRecords* carry) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    ScorePage* last = LastPage(document);
    if (last == nullptr) return true;
    ScopedPoolSet pools(document->pools);
    const int systemsOnLast = ownPage ? SystemsPerPage(document) : CountSystems(last);
    carry->plan = PlanCarry(document, EndOnPages(last) - shift, systemsOnLast);
    return carry->records.Reserve(view, last, carry->plan, 0);
}

int CarryMeasuresPastLastPage(ScoreView* view) {
    CarryRecords carry;
    if (!ReserveCarry(view, 0, false, &carry)) return -1;
    return CarryMeasuresPastLastPage(view, &carry);
}

int CarryMeasuresPastLastPage(ScoreView* view, CarryRecords* carry) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    ScorePage* page = LastPage(document);
    if (page == nullptr) return 0;
    const int end = EndOnPages(page);
    const int count = document->header.measureCount;
    ScopedPoolSet pools(document->pools);
    ScorePage* const firstChanged = page;
    int next = end + 1;
    for (size_t i = 0; i < carry->plan.size() && next <= count; ++i) {
        if (i > 0) {
            ScorePage* blank = carry->records.TakePage();
            if (blank == nullptr) break;
            page = LinkPageAfter(document, page, blank);
        }
        for (size_t k = 0; k < carry->plan[i].size() && next <= count; ++k) {
            ScoreSystem* system = carry->records.TakeSystem();
            if (system == nullptr) break;
            const int last = std::min(count, next + carry->plan[i][k] - 1);
            AppendGridSystem(document, page, system, next, last);
            next = last + 1;
        }
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
    return next - 1 - end;
}

}  // namespace ql
