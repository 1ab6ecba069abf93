// Making pages (module FMTPAGE): a new score's first page, a page of the grid
// (CreatePage), appending pages at the end within the measure limit, and which
// page holds a measure.
#include <algorithm>
#include <cstdio>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"

namespace ql {

using namespace pages;

namespace {

constexpr int kSystemFailLine = 647;
constexpr int kStatusChars = 64;
constexpr int kAppendCreateLine = 1079;
constexpr int kAppendRefusedLine = 1082;
constexpr int kLowResourceLine = 1067;
constexpr char kNoticeWord[] = "Notice: ";
constexpr char kLowResources[] = "Resource memory is low.\nReleasing some resources...";

// Appends `count` grid systems to a page's chain from measure `first` on; false
// (the systems made stay on the page) when a system could not be had.
bool AddGridSystems(ScoreView* view, ScorePage* page, int index, int count, int first) {
    const int measures = MeasuresPerSystem(view->document);
    ScoreSystem* last = LastSystem(page);
    for (int i = 0; i < count; ++i, first += measures) {
        ScoreSystem* system = NewGridSystem(view, page, index + i, first, first + measures - 1);
        if (system == nullptr) return false;
        if (last == nullptr)
            page->firstSystem = Ref32<ScoreSystem>::To(system);
        else
            LinkSystemsAfter(last, system);
        last = system;
    }
    return true;
}

// Staff records 0..staffCount of a new score, when it has none yet.
bool MakeStaves(ScoreView* view) {
    ScoreDocument* document = view->document;
    if (document->staves == nullptr) return false;
    for (int s = 0; s <= document->header.staffCount; ++s) {
        if (StaffRecordOf(document, s) != nullptr) continue;
        StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view);
        if (staff == nullptr) return false;
        document->staves->staves[s] = Ref32<StaffRecord>::To(staff);
        if (!IsStaffComplete(staff)) return false;
    }
    return true;
}

// A page's last measure from its systems, and its system count.
void SetRangeFromSystems(ScorePage* page) {
    page->systemCount = static_cast<uint16_t>(CountSystems(page));
    if (ScoreSystem* first = page->firstSystem.get()) page->firstMeasure = first->firstMeasure;
    if (ScoreSystem* last = LastSystem(page)) page->lastMeasure = last->lastMeasure;
}

}  // namespace

bool IsLeftPage(const ScoreDocument* document, int pageIndex) {
    if (pageIndex == kLeftMasterNumber) return true;
    if (document == nullptr || pageIndex == kRightMasterNumber) return false;
    const PageRecord& page = document->header.pageGeometry;
    if (page.sides == 0) return false;
    const int number = page.firstPage != 0 ? pageIndex : ~pageIndex;
    return (number & 1) != 0;
}

ScorePage* PageOfMeasure(ScoreDocument* document, int measure) {
    if (document == nullptr || measure < 1 || measure > document->header.measureCount) return nullptr;
    ScorePage* page = document->firstPage;
    for (int i = 0; page != nullptr && page->next && i < kMaxChain; ++i, page = page->next.get())
        if (page->lastMeasure >= measure) return page;
    return page;
}

int BuildInitialScoreLayout(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || document->firstPage == nullptr) return 0;
    // A score that has measures already (read from a file) keeps its layout.
    if (document->header.measureCount > 0 && StaffRecordOf(document, 1) != nullptr) return 1;
    const int perSystem = MeasuresPerSystem(document);
    const int systems = SystemsPerPage(document);
    document->header.staffCount = static_cast<uint8_t>(std::min<int>(document->header.staffCount, kMaxStaves));
    document->header.measureCount = static_cast<uint16_t>(std::min(perSystem * systems, MeasureLimit));
    if (!MakeStaves(view)) return 0;
    ScorePage* page = document->firstPage;
    ScoreSystem* first = page->firstSystem.get();
    if (first == nullptr) return 0;
    FreeSystemChain(first);
    first->number = 0;
    first->firstMeasure = 1;
    first->lastMeasure = static_cast<uint16_t>(std::min<int>(perSystem, document->header.measureCount));
    first->x = LeftEdge(page);
    SpaceStaves(document, first);
    const int more = std::max(0, document->header.measureCount / perSystem - 1);
    const bool made = AddGridSystems(view, page, 1, more, first->lastMeasure + 1);
    SetRangeFromSystems(page);
    document->header.pageCount = 1;
    view->currentPage = page;
    view->currentSystem = first;
    LayoutPageSystems(view, page);
    return made ? 1 : 0;
}

ScorePage* CreatePage(ScoreView* view, int index, int first) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || first < 1) return nullptr;
    const int systems = SystemsPerPage(document);
    const int perPage = systems * MeasuresPerSystem(document);
    if (first + perPage - 1 > MeasureLimit) {
        ShowNotice(kMeasureLimitNotice);
        return nullptr;
    }
    ScorePage* page = ConstructPageRecord(AllocPageRecord(sizeof(ScorePage)));
    if (page == nullptr) return nullptr;
    ScorePage* before = index > 0 ? GetPageAt(document, index - 1) : nullptr;
    page->pageNumber = static_cast<int16_t>(before != nullptr ? before->pageNumber + 1 : 1);
    CopyPageMargins(page, IsLeftPage(document, index) ? document->leftMaster : document->rightMaster);
    if (!AddGridSystems(view, page, 0, systems, first)) {
        FreePageRecord(page);
        ReportModuleLine("FMTPAGE", kSystemFailLine, kNoticeWord);
        return nullptr;
    }
    SetRangeFromSystems(page);
    ScorePage* const savedPage = view->currentPage;
    LayoutPageSystems(view, page);
    view->currentPage = savedPage;
    return page;
}

int AppendPage(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    ScorePage* last = LastPage(document);
    if (last == nullptr) return 0;
    if (State().layout.PagesLowLatch != 0) {
        ReportModuleLine("FMTPAGE", kLowResourceLine, kLowResources);
        return 0;
    }
    const int newLast = last->lastMeasure + SystemsPerPage(document) * MeasuresPerSystem(document);
    if (newLast > MeasureLimit) {
        ShowNotice(kMeasureLimitNotice);
        return 0;
    }
    if (AddMeasures(view, newLast) == 0) return 0;
    const int index = GetPageIndex(document, last) + 1;
    ScorePage* page = CreatePage(view, index, last->lastMeasure + 1);
    if (page == nullptr) {
        ReportModuleLine("FMTPAGE", kAppendCreateLine, kNoticeWord);
        return 0;
    }
    if (State().layout.RefuseNewPage != 0) {
        FreePageRecord(page);  // the measures added stay as spare measures
        ReportModuleLine("FMTPAGE", kAppendRefusedLine, kNoticeWord);
        return 0;
    }
    last->next = Ref32<ScorePage>::To(page);
    page->previous = Ref32<ScorePage>::To(last);
    page->pageNumber = static_cast<int16_t>(last->pageNumber + 1);
    document->header.pageCount = static_cast<uint16_t>(document->header.pageCount + 1);
    document->header.measureCount = std::max(document->header.measureCount, page->lastMeasure);
    char text[kStatusChars];
    std::snprintf(text, sizeof text, " Pages: %d    Measures: %d", document->header.pageCount,
                  document->header.measureCount);
    SetStatusText(0, text);
    return 1;
}

void ExtendPagesToMeasureCount(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    for (int i = 0; i < kMaxChain; ++i) {
        ScorePage* last = LastPage(document);
        if (last == nullptr || last->lastMeasure >= document->header.measureCount) return;
        if (AppendPage(view) == 0) return;
    }
}

}  // namespace ql
