// Page view and scroll view. Until the display's view module is built, a view
// switches its mode byte only; the scroll view's galley page cannot be built.
#include "display/view_modes.h"

#include "core/model/page_records.h"
#include "core/model/score_document.h"

namespace ql {

void EnterPageView(ScoreView* view) {
    // provisional: page geometry and scroll ranges come with the view module; the
    // view's mode byte is set.
    if (view != nullptr) view->pageView = 1;
}

int EnterScrollView(ScoreView* /*view*/) {
    // provisional: the galley page of a scroll view is built by the view module,
    // which does not exist yet; the switch is refused.
    return 0;
}

void ScrollViewStep(ScoreView* /*view*/, int /*direction*/) {
    // provisional: the scroll view's galley page is laid out by the view module,
    // which is not built; nothing is scrolled.
}

bool IsPageLayout(const ScoreView* view) {
    if (view == nullptr) return false;
    return view->pageView != 0 ||
           (view->currentPage != nullptr && view->currentPage->pageNumber < 0);
}

}  // namespace ql
