// What the score model, the display and the editors ask of the program around
// them: making a view the active one, bringing a page view to a page, scroll bars
// and rulers that follow a view's origin, the keyboard focus, the toolbar buttons
// that mirror a view, and the pick list of recently used files. The program fills the table when it starts
// (shell/shell_services.h); until then, as in a program built without the shell,
// each call does nothing and `HandleViewActivation` activates nothing.
#pragma once

#include <string>

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

}  // namespace ql
