// Moving the systems that no longer fit on a page onto the pages after it
// (FitSystemsToPages), adding blank pages at the end as they are needed.
#include "layout/page_fit.h"

#include "core/memory/pool.h"
#include "core/model/model_reports.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "layout/page_chain.h"

namespace ql {

using namespace pages;

namespace {

constexpr int kNoPageLine = 1880;
constexpr char kNoticeWord[] = "Notice: ";

// Every view of the document whose system left its page takes the page's last one.
void KeepViewsOnTheirPages(ScoreDocument* document) {
    for (ScoreView* view = State().documents.FirstView; view != nullptr; view = view->nextView) {
        if (view->document != document || !IsPageInList(document, view->currentPage)) continue;
        if (!IsSystemOnPage(view->currentPage, view->currentSystem))
            view->currentSystem = LastSystem(view->currentPage);
    }
}

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
                KeepViewsOnTheirPages(document);
                return -1;
            }
            if (!MoveLastSystemToNextPage(view, page)) break;
            ++moved;
        }
    }
    if (moved != 0) KeepViewsOnTheirPages(document);
    return moved;
}

}  // namespace ql
