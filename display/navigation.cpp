// Showing a page or a measure by number, the Find operations and Repeat Find. The
// page last found is kept as a pointer in the document and checked against the
// page list before each use, so a deleted page is simply forgotten.
#include "display/navigation.h"

#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/ui/shell_services.h"
#include "core/ui/tool_services.h"
#include "core/units/view_moves.h"
#include "layout/page_chain.h"
#include "platform/ui/message_box.h"
#include "platform/win/paint.h"

namespace ql {

namespace {

bool HasScore(const ScoreView* view) {
    return IsValidView(view) && view->document != nullptr && view->document->measureTable;
}

bool Answers(const MeasureRecord& record, int number) {
    return number >= record.number && number <= record.number + record.extra;
}

void AlertBeep() { ui::Beep(ui::BeepKind::Default); }

// The remembered page when it is still a page of the list.
ScorePage* FoundPage(ScoreDocument* document) {
    return pages::IsPageInList(document, document->foundPage) ? document->foundPage : nullptr;
}

void RememberPage(ScoreDocument* document, ScorePage* page) {
    document->foundPage = page;
    document->foundPageIndex = GetPageIndex(document, page);
}

// Page number `number` after `after` (null: from the first page), then from the
// first page; null when no page has it.
ScorePage* PageNumberedAfter(ScoreDocument* document, int number, ScorePage* after) {
    if (!pages::IsPageInList(document, after)) after = nullptr;
    ScorePage* page = FindPageByNumber(document, number, after);
    return page != nullptr ? page : FindPageByNumber(document, number, nullptr);
}

}  // namespace

int FindMeasureByNumber(ScoreDocument* document, int number, int from) {
    if (document == nullptr || !document->measureTable) return 0;
    const int count = document->header.measureCount;
    if (from < 1 || from > count) from = 1;
    const MeasureRecord* table = document->measureTable.get();
    for (int m = from; m <= count; ++m)
        if (Answers(table[m], number)) return m;
    for (int m = 1; m < from; ++m)
        if (Answers(table[m], number)) return m;
    return 0;
}

int ShowPageByIndex(ScoreView* view, int index) {
    if (!HasScore(view) || index < 0 || index >= view->document->header.pageCount) return 0;
    if (GetPageAt(view->document, index) == nullptr) return 0;
    view->document->findRepeatMode |= kRepeatPageShown;
    FocusActiveView();
    // Asked for by number: shown from its top even when it is the page in the view.
    ShowPageFromTop(view, index);
    UpdatePagersToolbar(view);
    return 1;
}

int GoToMeasureIndex(ScoreView* view, int measure) {
    if (!HasScore(view)) return 0;
    ScoreDocument* document = view->document;
    FocusActiveView();
    if (measure < 1 || measure > document->header.measureCount) return 0;
    ScorePage* const before = view->currentPage;
    ShowMeasureInView(view, 1, measure);
    document->findRepeatMode |= kRepeatMeasureShown;
    if (view->pageView != 0 && view->currentPage == before) win::InvalidateRect(view->ViewWindow, nullptr, true);
    document->foundMeasure = measure;
    document->foundMeasureNumber = MeasureRecordOf(document, measure)->number;
    return 1;
}

int FindMeasureAndPage(ScoreView* view, int pageNumber, int measureNumber) {
    if (!HasScore(view)) return 0;
    ScoreDocument* document = view->document;
    document->findRepeatMode = 0;
    if (pageNumber != 0) {
        ScorePage* page = PageNumberedAfter(document, pageNumber, view->currentPage);
        if (page == nullptr) {
            AlertBeep();
            return 0;
        }
        RememberPage(document, page);
        if (ShowPageByIndex(view, document->foundPageIndex) == 0) AlertBeep();
        if (measureNumber == 0) {
            // The page's own first measure: Repeat Find then continues with pages.
            const int shown = GoToMeasureIndex(view, page->firstMeasure);
            document->findRepeatMode &= static_cast<uint8_t>(~kRepeatMeasureShown);
            return shown;
        }
    }
    if (measureNumber == 0) return 1;
    const int measure = FindMeasureByNumber(document, measureNumber, view->currentMeasure);
    if (measure == 0) {
        AlertBeep();
        return 0;
    }
    return GoToMeasureIndex(view, measure);
}

void CmdFindAgain(ScoreView* view) {
    if (!HasScore(view)) return;
    ScoreDocument* document = view->document;
    const uint8_t mode = document->findRepeatMode;
    document->findRepeatMode = 0;
    ScorePage* lastPage = FoundPage(document);
    if (mode == (kRepeatMeasureShown | kRepeatPageShown)) {
        FindMeasureAndPage(view, lastPage != nullptr ? lastPage->pageNumber : 0, document->foundMeasureNumber);
    } else if (mode == kRepeatMeasureShown) {
        const int count = document->header.measureCount;
        const int from = document->foundMeasure >= count ? 1 : document->foundMeasure + 1;
        const int measure = FindMeasureByNumber(document, document->foundMeasureNumber, from);
        if (measure == 0)
            AlertBeep();
        else if (measure != document->foundMeasure)
            GoToMeasureIndex(view, measure);
    } else if (mode == kRepeatPageShown) {
        ScorePage* page = lastPage != nullptr ? PageNumberedAfter(document, lastPage->pageNumber, lastPage) : nullptr;
        if (page == nullptr) {
            AlertBeep();
        } else if (page != lastPage) {
            RememberPage(document, page);
            ShowPageByIndex(view, document->foundPageIndex);
        }
    }
}

}  // namespace ql
