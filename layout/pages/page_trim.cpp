// Dropping the empty pages at the end of a score, which a save does when the
// "Trim Unused Pages" option is on: the pages go with their systems and measures,
// the measure table keeps its four spare measures after the new count, and views
// that showed a removed page move to the new last page.
#include <algorithm>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "layout/measure_spacing.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "layout/spacing/spacing_list.h"

namespace ql {
namespace {

using pages::kMaxChain;

// Counts the pages of the list and puts the count in the header.
int RecountPages(ScoreDocument* document) {
    int count = 0;
    for (ScorePage* page = document->firstPage; page != nullptr && count < kMaxChain; page = page->next.get())
        ++count;
    document->header.pageCount = static_cast<uint16_t>(count);
    return count;
}

// Restores each page's link back to the page before it, from `from` to the end.
void RepairPreviousLinks(ScorePage* from) {
    for (int i = 0; from != nullptr && i < kMaxChain; ++i) {
        ScorePage* next = from->next.get();
        if (next != nullptr && next->previous.get() != from) next->previous = Ref32<ScorePage>::To(from);
        from = next;
    }
}

// Whether a page's object list holds anything beyond its margin element.
bool HasPageObjects(const ScorePage* page) {
    const ScoreObject* margins = page->margins.get();
    return margins != nullptr && margins->next;
}

// The measures from `first` on, past the new count: the four after it become clean
// spare measures (their records cleared, their cells kept), every later one loses
// its cells and its spacing list.
void ReleaseMeasuresFrom(ScoreDocument* document, int first, int oldCount) {
    MeasureRecord* table = document->measureTable.get();
    const int spareEnd = std::min(first + kSpareMeasures, MaxMeasures);
    const int oldEnd = std::min(oldCount + kSpareMeasures, MaxMeasures - 1);
    for (int m = first; m < spareEnd; ++m) {
        FreeSpacingList(table[m].spacing);
        ClearMeasureRecord(&table[m], document->internalDistances);
        table[m].width = ProportionalWidth(table[m]);
    }
    for (int m = spareEnd; m <= oldEnd; ++m) {
        FreeSpacingList(table[m].spacing);
        ClearMeasureRecord(&table[m], document->internalDistances);
        for (int staff = 0; staff <= document->header.staffCount; ++staff) {
            CellHandleArray* cells = CellArrayOf(StaffRecordOf(document, staff));
            if (cells == nullptr) continue;
            if (MeasureCell* cell = FindRecord<MeasureCell>(kMeasureCellPool, cells->cells[m])) {
                FreeMeasureCellLists(cell);
                DetachCellObjectList(cell, document, 1);
                FreeMeasureCell(cell);
            }
            cells->cells[m] = RecordHandle{};
        }
    }
}

// Moves every view of the document that showed a removed page to the last page.
void MoveViewsOffRemovedPages(ScoreDocument* document, const std::vector<ScorePage*>& removed,
                              ScorePage* last) {
    for (ScoreView* view = State().documents.FirstView; view != nullptr; view = view->nextView) {
        if (view->document != document) continue;
        if (std::find(removed.begin(), removed.end(), view->currentPage) == removed.end()) continue;
        view->currentPage = last;
        view->currentSystem = last->firstSystem.get();
        if (view->currentSystem != nullptr) view->currentMeasure = view->currentSystem->firstMeasure;
    }
}

}  // namespace

int RemoveEmptyTrailingPages(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || document->firstPage == nullptr || !document->measureTable) return 0;
    ScopedPoolSet pools(document->pools);
    if (RecountPages(document) <= 1) return 0;
    const bool currentListed = pages::IsPageInList(document, view->currentPage);
    RepairPreviousLinks(currentListed ? view->currentPage : document->firstPage);
    ScorePage* last = pages::LastPage(document);
    const int lastUsed = LastUsedMeasure(document);
    if (last == nullptr || lastUsed >= last->firstMeasure) return 0;
    std::vector<ScorePage*> removed;
    while (last != nullptr && last != document->firstPage && last != view->currentPage &&
           !HasPageObjects(last) && last->firstMeasure > lastUsed && removed.size() < kMaxChain) {
        removed.push_back(last);
        last = last->previous.get();
    }
    if (removed.empty() || last == nullptr) return 0;
    last->next = Ref32<ScorePage>{};
    MoveViewsOffRemovedPages(document, removed, last);
    for (ScorePage* page : removed) FreePageRecord(page);
    const int oldCount = document->header.measureCount;
    document->header.measureCount = last->lastMeasure;
    ReleaseMeasuresFrom(document, last->lastMeasure + 1, oldCount);
    RebuildMeasureIndex(document);
    RecountPages(document);
    SetDocumentModified(document);
    return static_cast<int>(removed.size());
}

}  // namespace ql
