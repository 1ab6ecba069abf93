// Re-breaking the score into systems and pages from a page on (ReformatFromPage):
// every system gets the layout's number of measures, pages take the layout's
// number of systems (or, where the options give breaks, each page its given
// systems of their given measure counts), pages are created at the end as needed
// up to the measure limit, where the last system ends shorter (all of them, and the
// measures the last page names, had before anything moves: without them the
// re-break is refused with the low-memory box) and the pages left over are freed;
// then the pages are laid out again.
// Systems that exist are kept with their staves (hidden staves stay hidden); the
// staves are re-spaced only with the staff-spacing flag. Without the all-pages flag
// only the given page is re-broken and the later pages are shifted, the measures
// shifted off the last page going on new systems and pages after it. The layout's
// staff separation is read at the view's zoom. FormatPagesAfter re-spaces the
// staves of the systems from a page on.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/model/document.h"
#include "core/model/model_reports.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar.h"
#include "display/view_location.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_fit.h"
#include "layout/page_format.h"
#include "layout/page_model.h"
#include "layout/page_records.h"
#include "layout/spacing/column_room.h"
#include "layout/widths/width_support.h"
#include "notes/beatmap/beat_map.h"

namespace ql {

using namespace pages;

namespace {

struct Grid {
    int perSystem;
    int perPage;
    const std::vector<std::vector<int>>* breaks = nullptr;  // pages as given, before the grid
};

// The measure counts of the systems of the page `index` pages after the first one
// dealt: as the breaks give them (each at least 1), else the grid's.
std::vector<int> SystemsOfPage(const Grid& grid, size_t index) {
    if (grid.breaks != nullptr && index < grid.breaks->size() && !(*grid.breaks)[index].empty()) {
        std::vector<int> counts = (*grid.breaks)[index];
        for (int& count : counts) count = std::clamp(count, 1, MeasureLimit);
        return counts;
    }
    return std::vector<int>(static_cast<size_t>(grid.perPage), grid.perSystem);
}

// Frees every page after `page` and unlinks them.
void FreePagesAfter(ScorePage* page) {
    ScorePage* next = page->next.get();
    page->next = Ref32<ScorePage>{};
    for (int i = 0; next != nullptr && i < kMaxChain; ++i) {
        ScorePage* after = next->next.get();
        FreePageRecord(next);
        next = after;
    }
}

// The systems (measure counts) from measure `first` on as far as the measure
// limit: the one that would pass it ends at it, those after it go.
void CutAtLimit(int first, std::vector<int>* systems) {
    size_t fit = 0;
    for (int next = first; fit < systems->size() && next <= MeasureLimit; ++fit) {
        int& count = (*systems)[fit];
        count = std::min(count, MeasureLimit - next + 1);
        next += count;
    }
    systems->resize(fit);
}

// Refills a page with systems of the given measure counts from measure `first`:
// the page's own systems are kept (their staves as they are) and take the next
// measures in turn, new systems (spare ones first) are made up to the count of
// systems and systems beyond it are freed. The systems are as the plan cut them at
// the measure limit. The measure after the page's last, or 0 when the page was
// given no system (it is then left without systems).
int FillPage(ScoreView* view, ScorePage* page, int first, const std::vector<int>& systems,
             SpareRecords* spares = nullptr) {
    ScoreSystem* system = page->firstSystem.get();
    ScoreSystem* last = nullptr;
    int next = first;
    const int fit = static_cast<int>(systems.size());
    for (int i = 0; i < fit; ++i) {
        const int measures = systems[static_cast<size_t>(i)];
        const int lastMeasure = next + measures - 1;
        if (system != nullptr) {
            PlaceGridSystem(page, system, i, next, lastMeasure);
        } else {
            system = spares != nullptr ? spares->TakeSystem() : nullptr;
            if (system != nullptr)
                PlaceGridSystem(page, system, i, next, lastMeasure);
            else
                system = NewGridSystem(view, page, i, next, lastMeasure);
            if (system == nullptr) break;
            if (last == nullptr)
                page->firstSystem = Ref32<ScoreSystem>::To(system);
            else
                LinkSystemsAfter(last, system);
        }
        last = system;
        next += measures;
        system = system->next.get();
    }
    if (last == nullptr) {
        if (ScoreSystem* old = page->firstSystem.get()) {
            FreeSystemChain(old);
            FreeSystemRecord(old);
        }
        page->firstSystem = Ref32<ScoreSystem>{};
        return 0;
    }
    FreeSystemChain(last);
    last->next = Ref32<ScoreSystem>{};
    page->systemCount = static_cast<uint16_t>(CountSystems(page));
    page->firstMeasure = static_cast<uint16_t>(first);
    page->lastMeasure = last->lastMeasure;
    return next;
}

// Staff offsets at multiples of the staff separation over the visible staves; a
// hidden staff keeps the offset of the staff before it.
void SpaceVisibleStaves(ScoreDocument* document, ScoreSystem* system) {
    uint16_t* offsets = StaffOffsetsOf(system);
    const int8_t* flags = StaffFlagsOf(system);
    if (offsets == nullptr || flags == nullptr) return;
    const int64_t separation = StaffSeparation(document);
    int64_t offset = 0;
    int visible = 0;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        if ((static_cast<uint8_t>(flags[staff]) & kHiddenStaff) == 0)
            offset = std::min<int64_t>(visible++ * separation, UINT16_MAX);
        offsets[staff] = static_cast<uint16_t>(offset);
    }
}

void ApplyLayout(ScoreDocument* document, const ReformatOptions& options) {
    NewScoreBlock& block = document->header.newScoreBlock;
    if (options.measuresPerSystem != 0)
        block.initMeasuresPerSystem =
            static_cast<uint8_t>(std::min<int>(options.measuresPerSystem, 255));
    if (options.systemsPerPage != 0) block.initSystemsPerPage = options.systemsPerPage;
    if (options.staffSeparation != 0) block.staffSeparation = options.staffSeparation;
}

// The layout's staff separation is given at the view's zoom: in score units it is
// that value times the view's scale (a view without a scale takes it as it is).
uint16_t SeparationAtZoom(const ScoreView* view, uint16_t separation) {
    if (separation == 0 || view->zoomFactor <= 0.0) return separation;
    const double scaled = std::round(separation * view->zoomFactor);
    return static_cast<uint16_t>(std::clamp(scaled, 1.0, static_cast<double>(UINT16_MAX)));
}

// The model page of the options, or null without the option or when its index is
// not that of a page of the list.
const ScorePage* ModelPage(ScoreDocument* document, const ReformatOptions& options) {
    return ModelPageAt(document, options.model != 0, options.modelPage);
}

// The systems of one page re-spaced (with the reformat flag), their staves spaced
// (with the staff-spacing flag), its beat maps built and its systems laid out.
void FormatReformattedPage(ScoreView* view, const ReformatOptions& options, ScorePage* page) {
    ScoreDocument* document = view->document;
    view->currentPage = page;
    view->currentSystem = page->firstSystem.get();
    PlacementCarryScope carry;
    ColumnRoomScope rooms(document);  // laying the page out moves no note
    for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get()) {
        if (options.staffSpacing != 0) SpaceVisibleStaves(document, s);
        MarkUnchangedTime(document, s);  // the measures made since count now
        if (options.reformat != 0) FormatSystemBeforeRowBuild(view, page, s);
    }
    FormatMeasures(view, page);
}

// Puts the view back on its page and system, or on page one when its page or
// system went.
void RestoreViewPage(ScoreView* view, ScorePage* page, ScoreSystem* system) {
    ScoreDocument* document = view->document;
    view->currentPage = page;
    view->currentSystem = system;
    if (!IsPageInList(document, page) || !IsSystemOnPage(page, system)) {
        view->currentPage = document->firstPage;
        view->currentSystem = document->firstPage->firstSystem.get();
    }
    RefreshStaffTops(document);
}

// Moves the measure ranges of a page's later pages and their systems by `delta`.
void ShiftPagesAfter(ScoreDocument* document, ScorePage* page, int delta) {
    ScorePage* p = page->next.get();
    for (int i = 0; p != nullptr && i < kMaxChain; ++i, p = p->next.get()) {
        p->firstMeasure = static_cast<uint16_t>(p->firstMeasure + delta);
        p->lastMeasure = static_cast<uint16_t>(p->lastMeasure + delta);
        ScoreSystem* s = p->firstSystem.get();
        for (int k = 0; s != nullptr && k < kMaxChain; ++k, s = s->next.get()) {
            s->firstMeasure = static_cast<uint16_t>(s->firstMeasure + delta);
            s->lastMeasure = static_cast<uint16_t>(s->lastMeasure + delta);
            MarkUnchangedTime(document, s);
        }
    }
}

// ReformatFromPage without the all-pages flag: the page keeps its systems, each
// takes the layout's measures in turn from the page's first, and the later pages
// are shifted by the difference so that the numbering continues; the measures
// shifted past the last page go on new systems after it. Refused before anything
// changes: with the measure-limit notice when the last page would pass it, with
// the low-memory box when a record or a measure cannot be had.
void ReformatOnePage(ScoreView* view, const ReformatOptions& options, ScorePage* page) {
    ScoreDocument* document = view->document;
    const int perSystem = options.measuresPerSystem != 0
                              ? std::min<int>(options.measuresPerSystem, 255)
                              : MeasuresPerSystem(document);
    const int systems = CountSystems(page);
    if (systems == 0) return;
    const int newLast = page->firstMeasure + systems * perSystem - 1;
    const int delta = newLast - page->lastMeasure;
    const int newEnd = LastPage(document)->lastMeasure + delta;
    if (newEnd > MeasureLimit) {
        ShowNotice(kMeasureLimitNotice);
        return;
    }
    const NewScoreBlock layoutBefore = document->header.newScoreBlock;
    ApplyLayout(document, options);
    // The records of the measures carried past the last page, and the measures the
    // shifted systems name, are had before anything moves.
    CarryRecords carry;
    if (!ReserveCarry(view, -delta, false, &carry) || AddMeasures(view, newEnd) == 0) {
        document->header.newScoreBlock = layoutBefore;  // refused: the layout as it was
        return;
    }
    int next = page->firstMeasure;
    int index = 0;
    for (ScoreSystem* s = page->firstSystem.get(); s != nullptr && index < systems;
         s = s->next.get(), ++index) {
        PlaceGridSystem(page, s, index, next, next + perSystem - 1);
        next += perSystem;
    }
    page->lastMeasure = static_cast<uint16_t>(newLast);
    ShiftPagesAfter(document, page, delta);
    ScorePage* const savedPage = view->currentPage;
    ScoreSystem* const savedSystem = view->currentSystem;
    // The measures that no longer fit go on after the last page.
    ScorePage* const oldLast = LastPage(document);
    const bool carried = CarryMeasuresPastLastPage(view, &carry) > 0;
    SignLayoutScope signs(document);  // formatting moves no sign
    {
        PageListHold hold(document);  // formatting links and unlinks no page
        if (carried)
            for (ScorePage* p = oldLast; p != nullptr; p = p->next.get()) FormatReformattedPage(view, options, p);
        FormatReformattedPage(view, options, page);
    }
    TakeModelTops(ModelPage(document, options), page);
    RestoreViewPage(view, savedPage, savedSystem);
    SetDocumentModified(document);
}

// The measure a deal from `page` starts at: the one after the page before it,
// whatever the page's own range says.
int DealStart(ScoreDocument* document, ScorePage* page) {
    const int index = GetPageIndex(document, page);
    const ScorePage* before = index > 0 ? GetPageAt(document, index - 1) : nullptr;
    return before != nullptr ? before->lastMeasure + 1 : 1;
}

// The last measure a plan's systems take from measure `first` on.
int PlanEnd(int first, const PagePlan& plan) {
    int end = first - 1;
    for (const std::vector<int>& systems : plan)
        for (int count : systems) end += count;
    return end;
}

// The systems (measure counts) of each page dealt from a page on: the first page
// always, then pages while measures remain and something fits under the limit.
PagePlan PlanPagesFrom(ScoreDocument* document, ScorePage* page, const Grid& grid) {
    const int total = document->header.measureCount;
    int index = GetPageIndex(document, page);
    int next = DealStart(document, page);
    PagePlan plan;
    for (; index < kMaxChain; ++index) {
        std::vector<int> systems = SystemsOfPage(grid, plan.size());
        CutAtLimit(next, &systems);
        if (systems.empty() && !plan.empty()) break;
        for (int count : systems) next += count;
        plan.push_back(std::move(systems));
        if (plan.back().empty() || next > total) break;
    }
    return plan;
}

// Deals measures out from a page on: each page takes the layout's systems of the
// layout's measures (its own systems kept), pages are made at the end while
// measures remain, and the pages left over are freed. Every record and measure
// needed is had before anything moves: without them the pages and the measure
// count stay as they were, the low-memory box is shown and false is returned.
bool DealPagesFrom(ScoreView* view, ScorePage* page, const Grid& grid) {
    ScoreDocument* document = view->document;
    const PagePlan plan = PlanPagesFrom(document, page, grid);
    SpareRecords spares;
    if (!spares.Reserve(view, page, plan, CountSystems(page))) return false;
    // The last page's grid may run past the measure count: the measures it names
    // are made first.
    const int start = DealStart(document, page);
    if (AddMeasures(view, PlanEnd(start, plan)) == 0) return false;  // reported, the count as it was
    FreePagesAfter(page);
    int next = start;
    ScorePage* last = page;
    for (size_t i = 0; i < plan.size(); ++i) {
        if (i > 0) last = LinkPageAfter(document, last, spares.TakePage());
        next = FillPage(view, last, next, plan[i], &spares);
    }
    return true;
}

}  // namespace

void ReformatFromPage(ScoreView* view, const ReformatOptions* options, ScorePage* page) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (!IsPageInList(document, page) || options == nullptr) return;
    TupletRefreshScope tuplets;  // layout makes no tuplet marks
    ReformatOptions applied = *options;
    applied.staffSeparation = SeparationAtZoom(view, options->staffSeparation);
    if (options->allPages == 0) {
        ReformatOnePage(view, applied, page);
        return;
    }
    const NewScoreBlock layoutBefore = document->header.newScoreBlock;
    ApplyLayout(document, applied);
    if (DealStart(document, page) > MeasureLimit) {
        // The pages before this one hold every measure up to the limit: it and the
        // pages after it have nothing to hold and go, the others as they are.
        page = GetPageAt(document, GetPageIndex(document, page) - 1);
        FreePagesAfter(page);
    } else if (!DealPagesFrom(view, page, Grid{MeasuresPerSystem(document), SystemsPerPage(document), options->breaks})) {
        document->header.newScoreBlock = layoutBefore;  // refused: the layout as it was
        return;
    }
    FitSystemsToPages(view, page);  // the grid's systems may be too many for a page
    document->header.pageCount =
        static_cast<uint16_t>(GetPageIndex(document, LastPage(document)) + 1);
    // Each page is formatted as the current page, so that its beat maps are built
    // once; the view's page is put back (or page one when its page was freed).
    ScorePage* const savedPage = view->currentPage;
    ScoreSystem* const savedSystem = view->currentSystem;
    SignLayoutScope signs(document);  // formatting moves no sign
    {
        PageListHold hold(document);  // formatting links and unlinks no page
        ColumnRoomScope rooms(document);  // nor moves a note
        for (ScorePage* p = page; p != nullptr; p = p->next.get())
            FormatReformattedPage(view, applied, p);
    }
    if (const ScorePage* model = ModelPage(document, applied))
        for (ScorePage* p = page; p != nullptr; p = p->next.get()) TakeModelTops(model, p);
    RestoreViewPage(view, savedPage, savedSystem);
    SetDocumentModified(document);
}

void FormatPagesAfter(ScoreView* view, const ReformatOptions* options, ScorePage* page) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (!IsPageInList(document, page) || options == nullptr) return;
    ApplyLayout(document, *options);
    TupletRefreshScope tuplets;  // layout makes no tuplet marks
    // Each page is re-spaced as the view's page (justification reads its margins).
    ScorePage* const savedPage = view->currentPage;
    ScoreSystem* const savedSystem = view->currentSystem;
    for (int i = 0; page != nullptr && i < kMaxChain; ++i, page = page->next.get()) {
        view->currentPage = page;
        view->currentSystem = page->firstSystem.get();
        ScoreSystem* system = page->firstSystem.get();
        for (int k = 0; system != nullptr && k < kMaxChain; ++k, system = system->next.get()) {
            SpaceVisibleStaves(document, system);
            if (options->reformat != 0) FormatSystem(view, page, system);
        }
        LayoutPageSystems(view, page);
        if (options->allPages == 0) break;
    }
    view->currentPage = savedPage;
    view->currentSystem = savedSystem;
    RefreshStaffTops(document);
    SetDocumentModified(document);
}

}  // namespace ql
