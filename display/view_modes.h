// Page view and scroll view, zoom and scrolling of a score view (module QLVIEW).
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

// Switches a view to page view (mode 1).
void EnterPageView(ScoreView* view);

// Switches a view to scroll view (mode 0) and builds its galley page.
// Non-zero on success.
int EnterScrollView(ScoreView* view);

// Lays the scroll page out from a measure (clamped to 1..count): up to 24
// measures, with the context page of up to 8 measures before it linked in front
// from measure 2 on. Result 0.
int SetScrollViewStart(ScoreView* view, int measure);

// Applies a zoom level, clamped to 2..128.
void SetZoom(ScoreView* view, int level);

// True in page view (or on a master page unless suppressed).
bool IsPageLayout(const ScoreView* view);
// Whether text and graphics placed now belong to the page: in page layout, unless
// the view places them in their measures (a master page keeps its own always).
bool PlacesOnPage(const ScoreView* view);
// The view's ownership mode (commands 40138 and 40139): text and graphics placed in
// page view belong to their measures (on) or to the page (off, as a view starts).
void SetMeasureOwned(const ScoreView* view, bool on);
bool IsMeasureOwned(const ScoreView* view);

// A horizontal scroll request of n steps: page view scrolls by steps, scroll view
// moves its strip by measures (display/view_scroll.h).
void ScrollViewStep(ScoreView* view, int steps);

// Recomputes the page rectangle and scroll ranges and repaints.
void ComputeViewScrollRanges(ScoreView* view);

// Scrolls so that a staff is visible.
void ScrollViewToStaff(ScoreView* view, int staff);

// Sets the scroll bars of the view and of its linked views.
void SetViewScrollBars(ScoreView* view);

// Command "Display Ruler": flips the "RulerOn" setting, creates or destroys the
// rulers of every score window, and brings the toolbars up to date for `view`.
// Built with the rulers (shell/program/rulers.cpp).
void ApplyRulerSettingToAllViews(ScoreView* view);

}  // namespace ql
