// Services of the application shell that the score model and the editors call:
// view activation, page display, toolbars, palettes, preferences and the
// commands of a score view.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct Toolbar;

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

// The status bar's page readout ("Page: 2 of 3", the page's first and last
// measures) for the view's page; nothing in scroll view.
void ShowPageStatus(ScoreView* view);

// After the view's origin was moved: its scroll bars stand at the origin and its
// rulers are drawn for it.
void ShowViewOrigin(ScoreView* view);

// Gives the keyboard focus back to the active score window after a modal dialog.
void FocusActiveView();

// The command processor of a score view (low word of `commandWord`: the command;
// `data` what the command carries, as the page-button index of command 1330):
// 1 when the command was handled, 0 for an id it does not know (and for a few that
// act and then let the frame's default processing run as well).
int ViewOnCommand(ScoreView* view, int commandWord, intptr_t data = 0);

// Reads the engraving metrics from the preferences into the document's internal
// distances (or into `distances`); a document's header, which its file stores, takes
// them as well.
void LoadMetricsPrefs(ScoreDocument* document, uint16_t* distances);

// Sets or clears the enabled state of one toolbar button.
void EnableToolbarButton(Toolbar* toolbar, int command, bool enable);

// Enables or disables the main toolbar's buttons for the active document.
void UpdateToolbarButtons(ScoreView* view);

// Sets the checked state of the four voice buttons (commands 42039..42042) from
// the view's masks.
void UpdateVoiceButtons(ScoreView* view);

// Sets the toolbar buttons that mirror a view's display settings.
void UpdateViewToolbarButtons(ScoreView* view, Toolbar* toolbar);

// Enables or disables every visible "Palette" window and its visible buttons.
void EnablePaletteWindows(bool enable);

}  // namespace ql
