// What the score model, the display and the editors ask of the program around
// them: making a view the active one, bringing a page view to a page, scroll bars
// and rulers that follow a view's origin, the keyboard focus, the toolbar buttons
// that mirror a view, the pick list of recently used files, repainting the
// rulers, the score windows the importers open and close, the settings commands
// and the hidden sequencer window. The program fills the table when it starts
// (shell/shell_services.h); until then, as in a program built without the shell,
// each call does nothing and answers null or 0: `HandleViewActivation` activates
// nothing, `CreateScoreWindow` makes no window and `CloseScoreWindow` refuses.
#pragma once

#include <cstdint>
#include <string>

#include "platform/handles.h"

namespace ql {

struct ScoreView;
struct Toolbar;

struct ShellServices {
    ScoreView* (*handleViewActivation)(ScoreView* view) = nullptr;
    void (*showPageInView)(ScoreView* view, int pageIndex) = nullptr;
    void (*showPageFromTop)(ScoreView* view, int pageIndex) = nullptr;
    void (*showViewOrigin)(ScoreView* view) = nullptr;
    void (*focusActiveView)() = nullptr;
    void (*updateToolbarButtons)(ScoreView* view) = nullptr;
    void (*updateViewToolbarButtons)(ScoreView* view, Toolbar* toolbar) = nullptr;
    void (*updateVoiceButtons)(ScoreView* view) = nullptr;
    void (*addToPickList)(const std::string& path) = nullptr;
    void (*refreshRulers)(ScoreView* view, int which) = nullptr;
    void (*invalidateRulers)(ScoreView* view) = nullptr;
    ScoreView* (*createScoreWindow)(ScoreView* view, const std::string& caption, bool maximize) = nullptr;
    int (*closeScoreWindow)(platform::WindowHandle window) = nullptr;
    void (*forceCloseScoreWindow)(platform::WindowHandle window) = nullptr;
    intptr_t (*runSettingsCommand)(ScoreView* view, int32_t command) = nullptr;
    intptr_t (*runNoteHeadDialog)(ScoreView* view, int* head) = nullptr;
    platform::WindowHandle (*sequencerWindow)() = nullptr;
};

void SetShellServices(const ShellServices& services);

// The active view after making the given one active; null for an invalid view or
// while playback runs.
ScoreView* HandleViewActivation(ScoreView* view);

// Page view only: makes a page current (adding one past the last page) and
// scrolls to it; -2 is the left master page, -1 the right.
void ShowPageInView(ScoreView* view, int pageIndex);
// The same, but the view always comes to the page's top with its scroll bars set
// for it, even when the page already was the current one (Go to Page, and a page
// just inserted or deleted made current).
void ShowPageFromTop(ScoreView* view, int pageIndex);

// After the view's origin was moved: its scroll bars stand at the origin and its
// rulers are drawn for it.
void ShowViewOrigin(ScoreView* view);

// Gives the keyboard focus back to the active score window after a modal dialog.
void FocusActiveView();

// Enables or disables the main toolbar's buttons for the active document.
void UpdateToolbarButtons(ScoreView* view);

// Sets the toolbar buttons that mirror a view's display settings.
void UpdateViewToolbarButtons(ScoreView* view, Toolbar* toolbar);

// Sets the checked state of the four voice buttons (commands 42039..42042) from
// the view's masks.
void UpdateVoiceButtons(ScoreView* view);

// Puts a saved or opened path at the top of the pick list of recently used files.
void AddToPickList(const std::string& path);

// Which rulers RefreshRulers repaints.
constexpr int kTopRuler = 1;
constexpr int kLeftRuler = 2;
constexpr int kBothRulers = kTopRuler | kLeftRuler;

// When "RulerOn": creates the view's rulers, then repaints those named.
void RefreshRulers(ScoreView* view, int which);
// Marks both rulers of the view for repainting when they are shown (a paint of the
// view brings them up to date with what it drew); nothing is painted here.
void InvalidateRulers(ScoreView* view);

// Puts a freshly loaded (or new) view with its document into a new window;
// `caption` is the window's caption. Null, with the view left as it was, when
// the window could not be made.
ScoreView* CreateScoreWindow(ScoreView* view, const std::string& caption, bool maximize);
// Asks the window's view to close; 1 when closed or not a score window, 0 when
// refused.
int CloseScoreWindow(platform::WindowHandle window);
// Closes the window whatever its view would answer (exit and exception paths).
void ForceCloseScoreWindow(platform::WindowHandle window);

// Runs the settings command's entry for `view` (any other id runs only the closing
// steps); always 0.
intptr_t RunSettingsCommand(ScoreView* view, int32_t command);

// Runs the note-head dialog (847) on the chosen head *head (its place on the Heads
// palette), which the dialog may change; its result: 1 OK, 2 Cancel, 3 and above
// Reset, -1 not shown (also with the slot empty: there is no dialog to show).
intptr_t RunNoteHeadDialog(ScoreView* view, int* head);

// The hidden "Sequencer" window every start, pause and stop of playback goes
// through, and the commands posted to it; null before it is made.
platform::WindowHandle SequencerWindow();
namespace cmd {
constexpr uint32_t kSequencerStart = 400;
constexpr uint32_t kSequencerStop = 300;
constexpr uint32_t kSequencerPause = 1189;
}  // namespace cmd

}  // namespace ql
