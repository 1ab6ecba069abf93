// Shell services used by the score model: activating a score window's view,
// moving a page view to a page, and giving the focus back to the active window.
// The toolbar updates are in shell/command/toolbar_buttons.cpp.
#include "shell/shell_services.h"

#include <cstdio>

#include "core/constants.h"
#include "core/core_strings.h"
#include "core/draw/draw_surface.h"
#include "core/draw/view_metrics.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/settings/score_settings.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "core/units/view_moves.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "editing/editing_services.h"
#include "editing/palette_windows.h"
#include "editing/tools.h"
#include "interchange/import_commands.h"
#include "layout/page_format.h"
#include "platform/win/input.h"
#include "platform/win/mdi.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "sequencer/sequencer_services.h"
#include "shell/command/settings_commands.h"
#include "shell/command/toolbar_buttons.h"
#include "shell/options/note_head_dialog.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/program/rulers.h"
#include "shell/program/score_windows.h"
#include "shell/program/sequencer_window.h"
#include "shell/recent_files.h"
#include "shell/resources/program_strings.h"

namespace ql {
namespace {

bool PlaybackRuns() { return PlaybackFlags().PlaybackActive.load(std::memory_order_acquire) != 0; }

void ShowPageStatusOf(ScoreView* view, ScorePage* page) {
    char text[128];
    std::snprintf(text, sizeof text, "%s: %d %s %d", ProgramString(kStrPage).c_str(), page->pageNumber,
                  ProgramString(kStrOf).c_str(), static_cast<int>(view->document->header.pageCount));
    // While a run plays the first part says "Playing..." (or "Recording...").
    if (PlaybackFlags().SequencerRunning.load(std::memory_order_acquire) == 0) SetStatusText(0, text);
    std::snprintf(text, sizeof text, "  %s: %d   %s: %d", ProgramString(kStrStart).c_str(),
                  static_cast<int>(page->firstMeasure), ProgramString(kStrEnd).c_str(),
                  static_cast<int>(page->lastMeasure));
    SetStatusText(1, text);
}

// Makes an existing page current with its first system and measure; another page
// than the one shown, or any with `fromTop`, is drawn anew from its top.
void ShowExistingPage(ScoreView* view, ScorePage* page, bool fromTop = false) {
    const bool another = fromTop || view->currentPage != page;
    view->currentPage = page;
    view->currentSystem = page->firstSystem.get();
    if (view->currentSystem != nullptr)
        SetCurrentSystemAndMeasure(view, view->currentSystem, view->currentStaff, page->firstMeasure, true);
    ShowPageStatusOf(view, page);
    if (!another || !view->ViewWindow) return;
    ScrollY(view) = kLogicalOrigin;
    RefreshViewMetrics(view);
    SetViewScrollBars(view);
    ShowViewOrigin(view);
    win::InvalidateRect(view->ViewWindow, nullptr, true);
}

void ShowMasterPage(ScoreView* view, bool left) {
    ScorePage* page = left ? view->document->leftMaster : view->document->rightMaster;
    if (page == nullptr) return;
    view->currentPage = page;
    view->currentSystem = page->firstSystem.get();
    SetStatusText(0, ProgramString(left ? kStrLeftMaster : kStrRightMaster).c_str());
}

// One page past the last: appended as one undoable step, then shown.
void AppendAndShowPage(ScoreView* view, int pageIndex, bool fromTop) {
    ScoreDocument* document = view->document;
    {
        UndoStep step(document, view, UndoKind::System, 0, UndoVerb::Add);
        if (AppendPage(view) == 0) return;
    }
    if (ScorePage* page = GetPageAt(document, pageIndex)) ShowExistingPage(view, page, fromTop);
    RedrawLinkedViews(view);
}

void ShowPageAt(ScoreView* view, int pageIndex, bool fromTop) {
    if (!IsValidView(view) || !view->pageView || view->document == nullptr) return;
    // The masters stand at the indexes of their page numbers: -2 left, -1 right.
    if (pageIndex == kRightMasterNumber) return ShowMasterPage(view, false);
    if (pageIndex < kRightMasterNumber) return ShowMasterPage(view, true);
    const int pageCount = view->document->header.pageCount;
    if (pageIndex < pageCount) {
        if (ScorePage* page = GetPageAt(view->document, pageIndex)) ShowExistingPage(view, page, fromTop);
        return;
    }
    // Only the page right after the last one can be asked for.
    if (pageIndex == pageCount) AppendAndShowPage(view, pageIndex, fromTop);
}

ScoreView* ActivateScoreWindowView(ScoreView* view) {
    RefreshToolbarButtons(view);
    if (!IsValidView(view) || view->document == nullptr || PlaybackRuns()) return nullptr;
    // Activating the active view again only brings its settings back.
    ScoreView* active = State().documents.ActiveView == view ? view : SwitchToView(view);
    // The settings a score carries follow the active document.
    if (active != nullptr) LoadScoreSettingsFrom(active->document);
    // The page band follows the active view, and in page view the palettes show
    // again (scroll view in another window may have hidden them).
    UpdatePagersToolbar(active);
    if (active != nullptr && active->pageView != 0) ShowAllPalettes();
    return active;
}

void ShowPage(ScoreView* view, int pageIndex) { ShowPageAt(view, pageIndex, false); }

void ShowPageTop(ScoreView* view, int pageIndex) { ShowPageAt(view, pageIndex, true); }

void ShowOrigin(ScoreView* view) {
    if (!IsValidView(view) || !view->ViewWindow) return;
    win::SetScrollPosition(view->ViewWindow, win::ScrollBar::Horizontal, ScrollX(view), true);
    win::SetScrollPosition(view->ViewWindow, win::ScrollBar::Vertical, ScrollY(view), true);
    RefreshRulers(view, kBothRulers);
}

void FocusActiveWindow() {
    ScoreView* view = State().documents.ActiveView;
    const platform::WindowHandle client = Frame().mdiClient;
    if (!IsValidView(view) || !win::IsWindow(view->ViewWindow)) return;
    if (win::GetActiveMdiChild(client) != view->ViewWindow) win::ActivateMdiChild(client, view->ViewWindow);
    if (win::GetFocus() != view->ViewWindow) win::SetFocus(view->ViewWindow);
}

}  // namespace

void InstallShellServices() {
    ShellServices services;
    services.handleViewActivation = ActivateScoreWindowView;
    services.showPageInView = ShowPage;
    services.showPageFromTop = ShowPageTop;
    services.showViewOrigin = ShowOrigin;
    services.focusActiveView = FocusActiveWindow;
    services.updateToolbarButtons = RefreshToolbarButtons;
    services.updateViewToolbarButtons = RefreshViewToolbarButtons;
    services.updateVoiceButtons = RefreshVoiceButtons;
    services.addToPickList = PutPathOnPickList;
    services.refreshRulers = program::RefreshRulers;
    services.invalidateRulers = program::InvalidateRulers;
    services.createScoreWindow = program::CreateScoreWindow;
    services.closeScoreWindow = program::CloseScoreWindow;
    services.forceCloseScoreWindow = program::ForceCloseScoreWindow;
    services.runSettingsCommand = program::RunSettingsCommand;
    services.runNoteHeadDialog = program::RunNoteHeadDialog;
    services.sequencerWindow = program::SequencerWindow;
    SetShellServices(services);
    InstallEditingServices();
    InstallSequencerServices();
    InstallImportServices();
    SetBuiltInStrings(BuiltInProgramString);
}

void ShowPageStatus(ScoreView* view) {
    if (!IsValidView(view) || view->document == nullptr || view->pageView == 0) return;
    ScorePage* page = view->currentPage;
    if (page == nullptr || GetPageIndex(view->document, page) < 0) return;
    ShowPageStatusOf(view, page);
}

}  // namespace ql
