// Inserting blank pages (module FMTPAGE): count pages of the grid before or after
// the view's current page, with their measures, as one undoable edit. The pages are
// made before anything changes, so a refused or failed insertion leaves the score
// as it was. The new block of pages is numbered once from the number it takes; the
// page after the block keeps its number when it had broken the run of numbers
// (a hand-set number), else the run continues after the block.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/model_reports.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/ui/shell_services.h"
#include "core/ui/status_bar.h"
#include "core/ui/tool_services.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "layout/measure_format.h"
#include "layout/measure_spacing.h"
#include "layout/page_chain.h"
#include "layout/page_edit.h"
#include "layout/page_fit.h"
#include "layout/page_format.h"

namespace ql {

namespace {

constexpr int kInsertMeasuresFailLine = 830;
constexpr int kCreatePageFailLine = 851;
constexpr char kNoticeWord[] = "Notice: ";
constexpr int kStatusChars = 64;

// Where the new measures go and the number the first of them takes.
struct InsertionPoint {
    int measure;
    int number;
};

InsertionPoint PointOfInsertion(const ScoreDocument* document, const ScorePage* current, bool after) {
    const MeasureRecord* table = document->measureTable.get();
    const int count = document->header.measureCount;
    if (after) {
        const int m = current->lastMeasure + 1;
        const int number = m <= count ? table[m].number : table[count].number + table[count].extra + 1;
        return {m, number};
    }
    const int m = current->firstMeasure;
    return {m, m > 1 ? table[m - 1].number + table[m - 1].extra + 1 : 1};
}

// The page before a page of the list; null for the first page (the right master
// page stands before it in the chain).
const ScorePage* PreviousPage(const ScorePage* page) {
    const ScorePage* previous = page->previous.get();
    return previous != nullptr && previous->pageNumber >= 0 ? previous : nullptr;
}

// The number the first new page takes: after a page, that page's number + 1; before
// a page, its number when it is below 2 or the page before it is one less, else
// its number - 1; before the first page, its number - 1 when above 1.
int FirstNewPageNumber(const ScorePage* current, bool after) {
    if (after) return current->pageNumber + 1;
    const ScorePage* previous = PreviousPage(current);
    const int number = current->pageNumber;
    if (previous != nullptr) return number < 2 || previous->pageNumber == number - 1 ? number : number - 1;
    return number > 1 ? number - 1 : number;
}

// Whether the page after the block keeps the run going (its number is renumbered).
bool FollowerContinues(const ScorePage* current, const ScorePage* follower, bool after) {
    if (follower == nullptr) return false;
    if (after) return follower->pageNumber == current->pageNumber + 1;
    const ScorePage* previous = PreviousPage(current);
    return previous == nullptr || current->pageNumber == previous->pageNumber + 1;
}

// The display numbers after an insertion of count measures at m: the new ones from
// `number` on, the moved ones onward while their old numbers ran on, the rest kept.
void NumberInsertedMeasures(ScoreDocument* document, const std::vector<uint16_t>& old, InsertionPoint at,
                            int count, bool after) {
    MeasureRecord* table = document->measureTable.get();
    for (int i = 0; i < count; ++i) table[at.measure + i].number = static_cast<uint16_t>(at.number + i);
    bool runsOn = true;
    for (size_t j = 0; j < old.size(); ++j) {
        const int m = at.measure + count + static_cast<int>(j);
        if (j == 0)
            runsOn = after || old[0] == at.number;
        else
            runsOn = runsOn && old[j] == old[j - 1] + table[m - 1].extra + 1;
        table[m].number = runsOn ? static_cast<uint16_t>(table[m - 1].number + table[m - 1].extra + 1) : old[j];
    }
    RebuildMeasureIndex(document);
}

void FreePages(std::vector<ScorePage*>& made) {
    for (ScorePage* page : made) FreePageRecord(page);
    made.clear();
}

// The new pages, unlinked, for measures from `first` on; empty when one failed.
std::vector<ScorePage*> MakePages(ScoreView* view, int index, int first, int count, int perPage) {
    std::vector<ScorePage*> made;
    for (int i = 0; i < count; ++i) {
        ScorePage* page = CreatePage(view, index + i, first + i * perPage);
        if (page == nullptr) {
            ReportModuleLine("FMTPAGE", kCreatePageFailLine, kNoticeWord);
            FreePages(made);
            break;
        }
        made.push_back(page);
    }
    return made;
}

// Links the pages in order between `before` and `after`; placed before the first
// page, the block starts the document's list (after the master pages).
void LinkBlock(ScoreDocument* document, ScorePage* before, const std::vector<ScorePage*>& block, ScorePage* after) {
    if (after != nullptr && after == document->firstPage) document->firstPage = block.front();
    ScorePage* previous = before;
    for (ScorePage* page : block) {
        page->previous = previous != nullptr ? Ref32<ScorePage>::To(previous) : Ref32<ScorePage>{};
        if (previous != nullptr) previous->next = Ref32<ScorePage>::To(page);
        previous = page;
    }
    previous->next = after != nullptr ? Ref32<ScorePage>::To(after) : Ref32<ScorePage>{};
    if (after != nullptr) after->previous = Ref32<ScorePage>::To(previous);
    document->header.pageCount = static_cast<uint16_t>(document->header.pageCount + block.size());
}

// The old display numbers from measure m to the count.
std::vector<uint16_t> NumbersFrom(const ScoreDocument* document, int m) {
    std::vector<uint16_t> numbers;
    const MeasureRecord* table = document->measureTable.get();
    for (int j = m; j <= document->header.measureCount; ++j) numbers.push_back(table[j].number);
    return numbers;
}

void ShowPageCounts(const ScoreDocument* document) {
    char text[kStatusChars];
    std::snprintf(text, sizeof text, " Pages: %d    Measures: %d", document->header.pageCount,
                  document->header.measureCount);
    SetStatusText(0, text);
}

}  // namespace

bool InsertPages(ScoreView* view, int count, bool after) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    ScorePage* current = view != nullptr ? view->currentPage : nullptr;
    if (document == nullptr || !document->measureTable || count < 1 || current == nullptr) return false;
    if (current->pageNumber < 0 || !pages::IsPageInList(document, current)) return false;
    // A page whose range lies outside the measure table (a damaged list) is refused.
    if (current->firstMeasure < 1 || current->firstMeasure > current->lastMeasure ||
        current->lastMeasure > document->header.measureCount)
        return false;
    const int perPage = pages::SystemsPerPage(document) * pages::MeasuresPerSystem(document);
    if (document->header.measureCount + perPage * count > MeasureLimit) return false;
    ScopedPoolSet pools(document->pools);
    const InsertionPoint at = PointOfInsertion(document, current, after);
    const int index = GetPageIndex(document, current) + (after ? 1 : 0);
    std::vector<ScorePage*> block = MakePages(view, index, at.measure, count, perPage);
    if (block.empty()) return false;
    UndoStep step(document, view, UndoKind::Page, 0, UndoVerb::Insert);
    const std::vector<uint16_t> oldNumbers = NumbersFrom(document, at.measure);
    if (InsertMeasures(view, at.measure, perPage * count) == 0) {
        ReportModuleLine("FMTPAGE", kInsertMeasuresFailLine, kNoticeWord);
        FreePages(block);
        return false;
    }
    NumberInsertedMeasures(document, oldNumbers, at, perPage * count, after);
    ScorePage* follower = after ? current->next.get() : current;
    const int number = FirstNewPageNumber(current, after);
    const bool continues = FollowerContinues(current, follower, after);
    LinkBlock(document, after ? current : current->previous.get(), block, follower);
    LayPageRangesFrom(block.front(), at.measure);
    for (size_t i = 0; i < block.size(); ++i) block[i]->pageNumber = static_cast<int16_t>(number + static_cast<int>(i));
    if (continues) RenumberPageRun(follower, block.back()->pageNumber + 1);
    SetDocumentModified(document);
    FitSystemsToPages(view, block.front());  // a grid page may not fit the page's margins
    FormatMeasuresFromPage(view, block.front());
    view->currentPage = block.front();
    view->currentSystem = block.front()->firstSystem.get();
    ShowPageFromTop(view, GetPageIndex(document, block.front()));
    UpdatePagersToolbar(view);
    RedrawLinkedViews(view);
    ShowPageCounts(document);
    return true;
}

}  // namespace ql
