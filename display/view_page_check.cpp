// Repair of a view whose current page or system has become unusable: the view
// and every view of the same score go back to the first page. A first page that
// is itself unusable ends the program after the emergency copy and the report.
#include <cstdlib>
#include <string>

#include "core/error_report.h"
#include "core/model/beat_map_record.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/shell_services.h"
#include "core/units/status_text.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "layout/page_chain.h"
#include "notes/beatmap/beat_map.h"

namespace ql {

namespace {

constexpr int kBadPageOneLine = 378;
constexpr char kNoticeWord[] = "Notice: ";
constexpr char kBadPageOne[] = "Bad page one.";

// Usable: a page of the document's list, a master page, or in scroll view one of
// the view's own galley pages.
bool IsUsablePage(const ScoreView* view, const ScorePage* page) {
    const ScoreDocument* document = view->document;
    if (page == nullptr) return false;
    if (page == document->leftMaster || page == document->rightMaster) return true;
    if (!view->pageView && (page == view->galleyPage || page == view->galleyPage2)) return true;
    return pages::IsPageInList(document, page);
}

[[noreturn]] void StopOnBadPageOne(ScoreView* view) {
    SaveEmergencyCopy(view);
    const std::string text =
        std::string(FormatModuleLine("QLVIEW", kBadPageOneLine)) + "\n " + kNoticeWord + "\n " + kBadPageOne;
    ErrorBox(text);
    std::exit(0);
}

// Sends one view back to the first page; false when it did not need it.
bool RepairView(ScoreView* view) {
    ScoreDocument* document = view->document;
    if (IsUsablePage(view, view->currentPage) &&
        pages::IsSystemOnPage(view->currentPage, view->currentSystem))
        return false;
    ScorePage* first = document->firstPage;
    if (!pages::IsPageInList(document, first) || !first->firstSystem) StopOnBadPageOne(view);
    view->currentPage = first;
    view->currentSystem = first->firstSystem.get();
    view->currentSystem->number = 0;
    return true;
}

// The current system's beat-map row made one that has been built.
void CheckRow(ScoreView* view) {
    ScoreSystem* system = view->currentSystem;
    if (system == nullptr || system->number < kBeatMapRows) return;
    BuildBeatMapMeasures(view);
    if (system->number >= kBeatMapRows) system->number = 0;
}

}  // namespace

void ValidateCurrentPage(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return;
    const bool repaired = RepairView(view);
    CheckRow(view);
    if (!repaired) return;
    for (ScoreView* other = State().documents.FirstView; other != nullptr; other = other->nextView)
        if (other != view && other->document == view->document && RepairView(other)) CheckRow(other);
    ShowPageInView(view, 0);
    InvalidateLinkedViews(view);
}

}  // namespace ql
