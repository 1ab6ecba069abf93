// Redrawing a view and the views linked to it (module QLVIEW): views of the same
// score whose current page's measures overlap or touch.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

// The next view of the same score after the given one (from the head of the view
// list when null) whose measure range overlaps or touches; null at the end.
ScoreView* NextLinkedView(ScoreView* view, ScoreView* previous);

// Invalidates this view and every linked view.
void InvalidateLinkedViews(ScoreView* view);

// Rebuilds the beat maps (UpdateBeatMaps with 1) of this view and every linked view.
void RedrawLinkedViews(ScoreView* view);

// Invalidates and updates this view's window at once, then invalidates every linked
// view's window.
void UpdateLinkedViews(ScoreView* view);

// Rebuilds the beat maps of the view and its linked views.
void BuildBeatMapsOnLinkedViews(ScoreView* view, int flag);

// Repaints the view at once (the paint path without the marquee), erasing the
// visible rectangle, or the paint rectangle when one is active, first.
void RepaintScoreView(ScoreView* view, bool erase);

// The view's paint path (the score window's paint calls it): the current page or the
// scroll strip, limited to the area being repainted, under the painting guard; the
// client area is filled with the background first when `erase` is set. Result 0.
int PaintViewContents(ScoreView* view, bool erase);

// Redraws the current staff and measure slot (nothing on a master page).
void RedrawCurrentMeasure(ScoreView* view);

// Invalidates every other view of the view's score, whatever page it shows: an
// edit may move music onto any page.
void InvalidateOtherViewsOfScore(ScoreView* view);

// The linked views only (not the view itself).
void BuildBeatMapsOnOtherLinkedViews(ScoreView* view, int flag);
void InvalidateOtherLinkedViews(ScoreView* view);

// Partial repaints: the current system's band, the current measure's column or the
// current staff's cell, on this view and on every linked view. The rectangle is
// left in the painter's paint rectangle; the window is updated at once when
// `update` is set.
void InvalidateCurrentSystem(ScoreView* view);
void InvalidateCurrentMeasure(ScoreView* view);
void InvalidateCurrentCell(ScoreView* view, bool update);
// The painter's paint rectangle invalidated on the view's window (erase unless the
// view's no-erase byte is set), then updated at once when `update` is set.
void InvalidatePaintRect(ScoreView* view, bool update);
// The paint rectangle set to the current measure's column within the current
// system's band, its bottom 160 above the next system.
void SetPaintRectForMeasure(ScoreView* view);

}  // namespace ql
