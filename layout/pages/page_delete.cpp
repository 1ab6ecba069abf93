// Deleting pages with their measures (module FMTPAGE): one page and its measures
// out of the document, a run of pages from the view's current page as one undoable
// edit, and the renumbering of the pages and measure ranges that follow. Display
// numbers after a deleted page whose numbering did not run on into the next page
// keep their old values.
#include <algorithm>
#include <limits>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/shell_services.h"
#include "core/ui/status_bar.h"
#include "core/ui/tool_services.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "layout/measure_spacing.h"
#include "layout/page_chain.h"
#include "layout/page_edit.h"
#include "layout/page_format.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/spacing/spacing_list.h"

namespace ql {

using pages::kMaxChain;

namespace {

constexpr char kNothingToRenumber[] = "Nothing to renumber.";
constexpr int kRenumberStatusPart = 2;

int16_t ClampPageNumber(int number) {
    return static_cast<int16_t>(std::clamp<int>(number, std::numeric_limits<int16_t>::min(),
                                                std::numeric_limits<int16_t>::max()));
}

// The number the display numbering gives the measure after `measure`.
int NumberAfterMeasure(const MeasureRecord* table, int measure) {
    return table[measure].number + table[measure].extra + 1;
}

// What the first measure of a deleted page hands on to the measure that takes its place.
struct KeptMeasureBytes {
    uint8_t flags;
    uint8_t barline;
    uint8_t repeatCount;
};

// Frees the cell of every staff at each measure of first..last.
void FreeCellsOfRange(ScoreDocument* document, int first, int last) {
    for (int staff = 0; staff <= document->header.staffCount; ++staff) {
        CellHandleArray* cells = CellArrayOf(StaffRecordOf(document, staff));
        if (cells == nullptr) continue;
        for (int m = first; m <= last; ++m) {
            if (MeasureCell* cell = FindRecord<MeasureCell>(kMeasureCellPool, cells->cells[m])) {
                FreeMeasureCellLists(cell);
                DetachCellObjectList(cell, document, 1);
                FreeMeasureCell(cell);
            }
            cells->cells[m] = RecordHandle{};
        }
    }
}

// Moves the records and cell handles after `last` (spares included) down over
// first..last; the slots left at the top hold nothing and their records are
// cleared, the four spare measures after the new count are cleared records with
// the cells they brought along.
void CloseMeasureGap(ScoreDocument* document, int first, int last) {
    MeasureRecord* table = document->measureTable.get();
    const int removed = last - first + 1;
    const int oldTop = std::min<int>(document->header.measureCount + kSpareMeasures, MaxMeasures - 1);
    for (int m = first; m <= last; ++m) FreeSpacingList(table[m].spacing);
    for (int staff = 0; staff <= document->header.staffCount; ++staff) {
        CellHandleArray* cells = CellArrayOf(StaffRecordOf(document, staff));
        if (cells == nullptr) continue;
        for (int m = first; m + removed <= oldTop; ++m) cells->cells[m] = cells->cells[m + removed];
        for (int m = std::max(first, oldTop - removed + 1); m <= oldTop; ++m) cells->cells[m] = RecordHandle{};
    }
    for (int m = first; m + removed <= oldTop; ++m) table[m] = table[m + removed];
    const int newCount = document->header.measureCount - removed;
    for (int m = newCount + 1; m <= oldTop; ++m) {
        if (m > oldTop - removed) table[m].spacing = RecordHandle{};  // moved down, not owned here
        FreeSpacingList(table[m].spacing);
        ClearMeasureRecord(&table[m], document->internalDistances);
        table[m].width = ProportionalWidth(table[m]);
    }
    document->header.measureCount = static_cast<uint16_t>(newCount);
}

// The first page from `page` on that has systems; null when none has.
ScorePage* FirstPageWithSystems(ScorePage* page) {
    for (int i = 0; page != nullptr && i < kMaxChain; ++i, page = page->next.get())
        if (page->firstSystem) return page;
    return nullptr;
}

bool IsDeletablePage(ScoreDocument* document, ScorePage* page) {
    if (document == nullptr || !document->measureTable || page == nullptr || page->pageNumber < 0) return false;
    if (!pages::IsPageInList(document, page) || document->firstPage->next.get() == nullptr) return false;
    return page->firstMeasure >= 1 && page->firstMeasure <= page->lastMeasure &&
           page->lastMeasure <= document->header.measureCount;
}

}  // namespace

void UnlinkPage(ScoreDocument* document, ScorePage* page) {
    ScorePage* previous = page->previous.get();
    ScorePage* next = page->next.get();
    if (document->firstPage == page) document->firstPage = next;
    if (previous != nullptr) previous->next = next != nullptr ? Ref32<ScorePage>::To(next) : Ref32<ScorePage>{};
    if (next != nullptr)
        next->previous = previous != nullptr ? Ref32<ScorePage>::To(previous) : Ref32<ScorePage>{};
    page->next = Ref32<ScorePage>{};
    page->previous = Ref32<ScorePage>{};
    document->header.pageCount = static_cast<uint16_t>(std::max(0, document->header.pageCount - 1));
}

void MoveViewsOffPage(ScoreDocument* document, ScorePage* gone, ScorePage* to) {
    for (ScoreView* view = State().documents.FirstView; view != nullptr; view = view->nextView) {
        if (view->document != document || view->currentPage != gone) continue;
        view->currentPage = to;
        view->currentSystem = to != nullptr ? to->firstSystem.get() : nullptr;
        if (view->currentSystem != nullptr) view->currentMeasure = view->currentSystem->firstMeasure;
    }
}

void RenumberPageRun(ScorePage* page, int number) {
    if (page == nullptr) return;
    int oldPrevious = page->pageNumber;
    page->pageNumber = ClampPageNumber(number);
    ScorePage* previous = page;
    for (int i = 0; i < kMaxChain; ++i) {
        ScorePage* next = previous->next.get();
        if (next == nullptr || next->pageNumber != oldPrevious + 1) return;
        oldPrevious = next->pageNumber;
        next->pageNumber = ClampPageNumber(previous->pageNumber + 1);
        previous = next;
    }
}

void LayPageRangesFrom(ScorePage* page, int first) {
    ScorePage* walk = page;
    for (int i = 0; walk != nullptr && i < kMaxChain; ++i, walk = walk->next.get()) {
        walk->firstMeasure = static_cast<uint16_t>(first);
        ScoreSystem* system = walk->firstSystem.get();
        for (int j = 0; system != nullptr && j < kMaxChain; ++j, system = system->next.get()) {
            const int length = std::max(0, system->lastMeasure - system->firstMeasure);
            system->firstMeasure = static_cast<uint16_t>(first);
            system->lastMeasure = static_cast<uint16_t>(first + length);
            first += length + 1;
        }
        walk->lastMeasure = static_cast<uint16_t>(std::max<int>(walk->firstMeasure, first - 1));
    }
}

void RenumberPagesFrom(ScorePage* page, int number, int first) {
    LayPageRangesFrom(page, first);
    RenumberPageRun(page, number);
}

void ShiftPageMeasures(ScorePage* page, const ScoreSystem* system, int number, int newFirst) {
    if (page == nullptr || system == nullptr) return;
    const int delta = newFirst - system->firstMeasure;
    auto shifted = [delta](uint16_t measure) { return static_cast<uint16_t>(std::max(0, measure + delta)); };
    ScorePage* walk = page;
    for (int i = 0; walk != nullptr && i < kMaxChain; ++i, walk = walk->next.get()) {
        walk->firstMeasure = shifted(walk->firstMeasure);
        walk->lastMeasure = shifted(walk->lastMeasure);
        ScoreSystem* s = walk->firstSystem.get();
        for (int j = 0; s != nullptr && j < kMaxChain; ++j, s = s->next.get()) {
            s->firstMeasure = shifted(s->firstMeasure);
            s->lastMeasure = shifted(s->lastMeasure);
        }
    }
    RenumberPageRun(page, number);
}

bool DeletePageAndMeasures(ScoreDocument* document, ScorePage* page) {
    if (!IsDeletablePage(document, page)) return false;
    ScopedPoolSet pools(document->pools);
    MeasureRecord* table = document->measureTable.get();
    const int first = page->firstMeasure;
    const int last = page->lastMeasure;
    const KeptMeasureBytes kept{table[first].flags, table[first].barline, table[first].repeatCount};
    ScorePage* next = page->next.get();
    const int firstNumber = table[first].number;
    const bool numbersRunOn = next == nullptr ||
        (next->firstMeasure == last + 1 && last + 1 <= document->header.measureCount &&
         table[last + 1].number == NumberAfterMeasure(table, last));
    FreeCellsOfRange(document, first, last);
    CloseMeasureGap(document, first, last);
    UnlinkPage(document, page);
    if (next != nullptr && next->firstMeasure == last + 1) {
        if (ScorePage* later = FirstPageWithSystems(next))
            ShiftPageMeasures(later, later->firstSystem.get(), page->pageNumber, first);
        else
            SetStatusText(kRenumberStatusPart, kNothingToRenumber);
    }
    if (numbersRunOn && first <= document->header.measureCount) RenumberMeasuresFrom(document, first, firstNumber);
    RebuildMeasureIndex(document);
    FreePageRecord(page);
    if (first <= document->header.measureCount) {
        table[first].flags = kept.flags;
        table[first].barline = kept.barline;
        table[first].repeatCount = kept.repeatCount;
    }
    return true;
}

void DeletePages(ScoreView* view, int count) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    ScorePage* current = view != nullptr ? view->currentPage : nullptr;
    if (document == nullptr || count < 1 || !pages::IsPageInList(document, current)) return;
    const int index = GetPageIndex(document, current);
    // Every page cannot go: a score keeps at least one.
    if (document->header.pageCount <= 1 || index + count > document->header.pageCount ||
        count >= document->header.pageCount)
        return;
    {
        UndoStep step(document, view, UndoKind::Page, 0, UndoVerb::Delete);
        for (int i = 0; i < count && current != nullptr; ++i) {
            ScorePage* following = current->next.get();
            ScorePage* shown = following != nullptr ? following : current->previous.get();
            if (!DeletePageAndMeasures(document, current)) break;
            MoveViewsOffPage(document, current, shown);
            current = shown;
        }
        view->currentPage = current;
        SetDocumentModified(document);
        UpdatePagersToolbar(view);
        ShowPageFromTop(view, GetPageIndex(document, current));
        InvalidateLinkedViews(view);
    }
}

}  // namespace ql
