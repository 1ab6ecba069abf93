// Shell services used by the score model. The frame, its toolbars and the score
// windows are not built yet; until they are, activation happens in the score model
// only, and there are no buttons to update.
#include "shell/shell_services.h"

#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/model/view.h"
#include "shell/score_settings.h"

namespace ql {

ScoreView* HandleViewActivation(ScoreView* view) {
    // provisional: no score windows exist to bring forward; the view is activated
    // in the score model only.
    if (PlaybackFlags().PlaybackActive.load(std::memory_order_acquire) != 0) return nullptr;
    ScoreView* active = ActivateView(view);
    // The settings a score carries follow the active document.
    if (active != nullptr) LoadScoreSettingsFrom(active->document);
    return active;
}

void ShowPageInView(ScoreView* view, int pageIndex) {
    // provisional: the page window, its readouts and the undoable page append are
    // not built; an existing page becomes current with its first system, and an
    // index past the last page changes nothing.
    if (view == nullptr || !view->pageView || view->document == nullptr) return;
    ScorePage* page = pageIndex >= 0 ? GetPageAt(view->document, pageIndex) : nullptr;
    if (page == nullptr) return;
    view->currentPage = page;
    view->currentSystem = page->firstSystem.get();
}

void UpdateVoiceButtons(ScoreView* /*view*/) {
    // provisional: the toolbar with the voice buttons is not built; nothing to set.
}

void UpdateViewToolbarButtons(ScoreView* /*view*/, Toolbar* /*toolbar*/) {
    // provisional: the view toolbar is not built; nothing to set.
}

void UpdateToolbarButtons(ScoreView* /*view*/) {
    // provisional: the main toolbar is not built; nothing to enable.
}

}  // namespace ql
