// Formatting the systems of a page (FormatPage, the page popup's "Reformat Page") and
// of every page (FormatAllPages), with the status-bar reports. Both run in page view
// only, with "SpaceAccidentals" and "SpreadSpaceChanges" switched on for the run.
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/ui/wait_cursor.h"
#include "layout/measure_format.h"
#include "layout/measure_spacing.h"
#include "layout/widths/width_support.h"

namespace ql {

namespace {

constexpr int kProgressPart = 0;
constexpr int kTitlePart = 1;
constexpr char kFormattingText[] = "Formatting Page...";
constexpr char kSystemText[] = "System";
constexpr char kFormatDoneText[] = "Page Format OK";
constexpr int kMaxSystemsPerPage = 64 * 1024;
constexpr int kMaxPages = 64 * 1024;

// Switches both spacing settings on, and shows the wait cursor, for one scope.
class FormattingRun {
  public:
    FormattingRun()
        : accidentals_(State().program.SpaceAccidentals),
          spread_(State().layout.SpreadSpaceChanges) {
        State().program.SpaceAccidentals = 1;
        State().layout.SpreadSpaceChanges = 1;
    }
    ~FormattingRun() {
        State().program.SpaceAccidentals = accidentals_;
        State().layout.SpreadSpaceChanges = spread_;
    }
    FormattingRun(const FormattingRun&) = delete;
    FormattingRun& operator=(const FormattingRun&) = delete;

  private:
    uint8_t accidentals_;
    uint8_t spread_;
    WaitCursor cursor_;
};

}  // namespace

void FormatPage(ScoreView* view) {
    if (view == nullptr || !view->pageView || view->currentPage == nullptr) return;
    FormattingRun run;
    ViewLocationScope location(view);
    SetStatusText(kTitlePart, kFormattingText);
    ScorePage* page = view->currentPage;
    ScoreSystem* system = page->firstSystem.get();
    for (int i = 0; system != nullptr && i < kMaxSystemsPerPage; ++i, system = system->next.get()) {
        SetStatusTextNumber(kProgressPart, kSystemText, i + 1);
        MoveViewLocation(view, system, 1, system->firstMeasure);
        FormatSystem(view, page, system);
    }
    SetStatusText(kTitlePart, " ");
    SetStatusText(kProgressPart, kFormatDoneText);
}

void FormatAllPages(ScoreView* view) {
    if (view == nullptr || !view->pageView || view->document == nullptr) return;
    ScorePage* const current = view->currentPage;
    ViewLocationScope location(view);
    ScorePage* page = view->document->firstPage;
    for (int i = 0; page != nullptr && i < kMaxPages; ++i, page = page->next.get()) {
        view->currentPage = page;
        FormatPage(view);
    }
    view->currentPage = current;
}

}  // namespace ql
