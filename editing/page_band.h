// The page-button band (module Pagers): a row of up to 64 small page buttons
// labelled with the page numbers of the active score view's document, between a
// "Previous Page" and a "Next Page" arrow. A click on a page button shows that page;
// the arrows turn the band's window over the pages. The band follows the view's
// page, page insertion and deletion and the active view. It is the Pagers band of
// the frame's main bar, or a floating tool window owned by the frame while there is
// no bar; its page state lives in State().pager.
#pragma once

#include "editing/page_window.h"
#include "platform/handles.h"

namespace ql {

struct ScoreView;

constexpr char kPageBandClass[] = "PageBand";
constexpr char kPageBandTitle[] = "Pagers";
// The view command a page button sends: the button's index in the data, code 1 in
// the high word when the button was already the pressed one.
constexpr int kPageButtonCommand = 1330;

// The band's window id as a child of the main bar.
constexpr int32_t kPagersControlId = 1008;

// Creates the band for frame: the two arrows titled "Previous Page" and "Next
// Page", with their titles as tips, and the 64 page buttons (button 2 pressed at
// first). With a host (the main bar) the band is its child, placed by it;
// otherwise a hidden floating window owned by frame. A band that exists elsewhere
// is made again in the new place, keeping its pressed button, and follows the
// active view. False, with the low-resource notice, when a window cannot be made
// (those made are destroyed).
bool CreatePagersToolbar(platform::WindowHandle frame, platform::WindowHandle host = {});
void DestroyPagersToolbar();
// Gives the two arrows their titles in the language now chosen.
void RetitlePagerArrows();

// Places the page buttons and the arrows in the band for the view's document and
// shows them (LayoutPagersToolbar of tools.h).
void LayoutPageButtons(ScoreView* view);
// Shows the first visible-count page buttons, hides the rest, shows the arrows (the
// previous one only when it can turn back) and the band.
void ShowPageButtons();
// Show or hide the arrows, the visible page buttons and a floating band (the bar
// shows and hides the band it holds); showing needs an active view in page view.
void ShowPageBand();
void HidePageBand();

// Keeps currentPage among the visible buttons, the visible count within the pages
// that exist.
void FitPageWindow(ScoreView* view, int pageCount, int currentPage);
// An arrow: forward shows the page of the last visible button after moving the
// band on by one (nothing once the first button shows the last page); back moves
// it back by one and shows its first page (nothing at "L" with facing pages, at "R"
// without, unless Ctrl is held).
void TurnPage(ScoreView* view, bool forward);
// A page button: with Ctrl the Go to Page command; else the button's page is shown,
// or, with openDialog (a second click on the pressed button), the Page Layout
// dialog.
void HandlePageTurnButton(ScoreView* view, int index, bool openDialog);
// The next page is shown (the last page once past it) and the band follows.
void AdvancePageMarker(ScoreView* view);

// The band's windows, for tests (null before CreatePagersToolbar).
platform::WindowHandle PageBandWindow();
platform::WindowHandle PageButtonWindow(int index);
platform::WindowHandle PageArrowWindow(bool next);
platform::WindowHandle PageArrowTooltipWindow();

}  // namespace ql
