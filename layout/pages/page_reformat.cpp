// Re-breaking the score into systems and pages from a page on (ReformatFromPage):
// every system gets the layout's number of measures, pages take the layout's
// number of systems, pages are created at the end as needed within the measure
// limit and the pages left over are freed; then the pages are laid out again.
// FormatPagesAfter re-spaces the staves of the systems from a page on.
#include <algorithm>
#include <cstdint>

#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "layout/widths/width_support.h"

namespace ql {

using namespace pages;

namespace {

struct Grid {
    int perSystem;
    int perPage;
};

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

// Refills a page with grid systems from measure `first`; the measure after the
// page's last, or 0 when nothing more fits under the measure limit.
int FillPage(ScoreView* view, ScorePage* page, int first, const Grid& grid) {
    if (ScoreSystem* old = page->firstSystem.get()) {
        FreeSystemChain(old);
        FreeSystemRecord(old);
    }
    page->firstSystem = Ref32<ScoreSystem>{};
    ScoreSystem* last = nullptr;
    int next = first;
    for (int i = 0; i < grid.perPage && next + grid.perSystem - 1 <= MeasureLimit; ++i) {
        ScoreSystem* system = NewGridSystem(view, page, i, next, next + grid.perSystem - 1);
        if (system == nullptr) break;
        if (last == nullptr)
            page->firstSystem = Ref32<ScoreSystem>::To(system);
        else
            LinkSystemsAfter(last, system);
        last = system;
        next += grid.perSystem;
    }
    if (last == nullptr) return 0;
    page->systemCount = static_cast<uint16_t>(CountSystems(page));
    page->firstMeasure = static_cast<uint16_t>(first);
    page->lastMeasure = last->lastMeasure;
    return next;
}

// A new page after `last` with the master margins of its index, linked.
ScorePage* LinkNewPage(ScoreDocument* document, ScorePage* last, int index) {
    ScorePage* page = ConstructPageRecord(AllocPageRecord(sizeof(ScorePage)));
    if (page == nullptr) return nullptr;
    page->pageNumber = static_cast<int16_t>(last->pageNumber + 1);
    CopyPageMargins(page, IsLeftPage(document, index) ? document->leftMaster : document->rightMaster);
    last->next = Ref32<ScorePage>::To(page);
    page->previous = Ref32<ScorePage>::To(last);
    return page;
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
        block.initMeasuresPerSystem = static_cast<uint8_t>(std::min<int>(options.measuresPerSystem, 255));
    if (options.systemsPerPage != 0) block.initSystemsPerPage = options.systemsPerPage;
    if (options.staffSeparation != 0) block.staffSeparation = options.staffSeparation;
}

}  // namespace

void ReformatFromPage(ScoreView* view, const ReformatOptions* options, ScorePage* page) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (!IsPageInList(document, page) || options == nullptr) return;
    ApplyLayout(document, *options);
    const Grid grid{MeasuresPerSystem(document), SystemsPerPage(document)};
    const int total = document->header.measureCount;
    int index = GetPageIndex(document, page);
    FreePagesAfter(page);
    // The page starts after the page before it, whatever its own range says.
    ScorePage* before = index > 0 ? GetPageAt(document, index - 1) : nullptr;
    const int first = before != nullptr ? before->lastMeasure + 1 : 1;
    int next = FillPage(view, page, first, grid);
    for (ScorePage* last = page; next != 0 && next <= total && index < kMaxChain; ++index) {
        ScorePage* fresh = LinkNewPage(document, last, index + 1);
        if (fresh == nullptr) break;
        next = FillPage(view, fresh, next, grid);
        if (next == 0) {  // nothing fits under the measure limit: the page goes
            last->next = Ref32<ScorePage>{};
            FreePageRecord(fresh);
            break;
        }
        last = fresh;
    }
    AddMeasures(view, LastPage(document)->lastMeasure);
    document->header.pageCount = static_cast<uint16_t>(GetPageIndex(document, LastPage(document)) + 1);
    // Each page is formatted as the current page, so that its beat maps are built
    // once; the view's page is put back (or page one when its page was freed).
    ScorePage* const savedPage = view->currentPage;
    ScoreSystem* const savedSystem = view->currentSystem;
    for (ScorePage* p = page; p != nullptr; p = p->next.get()) {
        view->currentPage = p;
        view->currentSystem = p->firstSystem.get();
        // The systems were made above with their staves spaced, so the staff
        // spacing of FormatPagesAfter has nothing left to do here.
        for (ScoreSystem* s = p->firstSystem.get(); s != nullptr; s = s->next.get()) {
            MarkUnchangedTime(document, s);  // the measures made above count now
            if (options->reformat != 0) FormatSystemBeforeRowBuild(view, p, s);
        }
        FormatMeasures(view, p);
    }
    view->currentPage = savedPage;
    view->currentSystem = savedSystem;
    if (!IsPageInList(document, savedPage) || !IsSystemOnPage(savedPage, savedSystem)) {
        view->currentPage = document->firstPage;
        view->currentSystem = document->firstPage->firstSystem.get();
    }
    SetDocumentModified(document);
}

void FormatPagesAfter(ScoreView* view, const ReformatOptions* options, ScorePage* page) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (!IsPageInList(document, page) || options == nullptr) return;
    ApplyLayout(document, *options);
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
    SetDocumentModified(document);
}

}  // namespace ql
