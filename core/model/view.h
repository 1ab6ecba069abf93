// Score views: making, copying and destroying the record of a score window, the
// galley page of the scroll view, activation (which completes a view's set-up the
// first time), the program-wide view list, and hidden-staff lookups of a system.
#pragma once

#include "core/model/score_document.h"
#include "core/units/view_moves.h"  // IsValidView
#include "platform/handles.h"

namespace ql {

// Program default zoom level of a new view.
constexpr int32_t kDefaultZoomLevel = 8;

ScoreView* AllocView();          // a new zero view, or null
void FreeView(ScoreView* view);  // DestroyView, then deletes the record
ScoreView* InitView(ScoreView* view);
ScoreView* CopyView(ScoreView* view, const ScoreView* source);
void DestroyView(ScoreView* view);
// Builds the scroll view's galley page and system (and a second galley page);
// false when a record could not be had (the galley pointers are then null).
bool BuildGalleyPage(ScoreView* view, const ScoreView* tmpl);
void DestroyGalleyPages(ScoreView* view);

// Whether the view is in the program's view list (and valid). A view closed while a
// box was up has left the list and may be freed, so its pointer is never read.
bool IsViewListed(const ScoreView* view);
// A view showing the document: the active view when it does, else the first of the
// view list that does; null when none.
ScoreView* ViewShowing(const ScoreDocument* document);
// The active view after activating this one; null for an invalid view. The
// selection goes with the previous active view only when that shows another score:
// drawing and message handling activate views for a moment.
ScoreView* ActivateView(ScoreView* view);
// The user turns to another view: the selection made in the view worked in before
// (its marquee, its focus) is dropped there whatever score it shows, since a
// selection belongs to the view that shows it; then ActivateView.
ScoreView* SwitchToView(ScoreView* view);
// Resets the selection with the view's document current (nothing for a view whose
// document is gone).
void DropSelectionOf(ScoreView* view);
// 1 when another view of the view list shows the same document.
int IsDocumentInOtherView(const ScoreView* view);
// The document's change counter when no other view shows it (closing this view
// would close a modified score), else 0.
uint32_t IsLastViewOfModified(const ScoreView* view);

void LinkView(ScoreView* view);
void UnlinkView(ScoreView* view);

// First staff of the current system whose flag is negative; 0 when none.
int FindHiddenStaff(const ScoreView* view);
// The view of a score window: the window must exist, be of the score window class
// and hold in window long 0 a valid view of the view list that shows a document.
constexpr char kScoreWindowClass[] = "QLMdiChild";
constexpr int32_t kViewWindowLong = 0;
ScoreView* GetScoreViewOfWindow(platform::WindowHandle window);
// The view of the active child of the frame's MDI client, under the same test as
// GetScoreViewOfWindow; null when there is no frame, no active child or no valid view.
ScoreView* GetActiveScoreView();

// Next staff after `staff` shown in the system, or staff itself.
int NextShownStaff(const ScoreDocument* document, int staff, const ScoreSystem* system);

}  // namespace ql
