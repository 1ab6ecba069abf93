// Redrawing a view and the views linked to it (module QLVIEW): views of the same
// score whose current page's measures overlap or touch.
#pragma once

namespace ql {

struct ScoreView;

// The next view of the same score after the given one (from the head of the view
// list when null) whose measure range overlaps or touches; null at the end.
ScoreView* NextLinkedView(ScoreView* view, ScoreView* previous);

// Invalidates this view and every linked view.
void InvalidateLinkedViews(ScoreView* view);

// Rebuilds this view's beat maps and redraws every linked view.
void RedrawLinkedViews(ScoreView* view);

// Invalidates and updates this view and every linked view at once.
void UpdateLinkedViews(ScoreView* view);

// Rebuilds the beat maps of the view and its linked views.
void BuildBeatMapsOnLinkedViews(ScoreView* view, int flag);

// Repaints the view's client or page area.
void RepaintScoreView(ScoreView* view, bool erase);

// The view's paint path.
void PaintViewContents(ScoreView* view, int flag);

// Redraws the current staff and measure slot (nothing on a master page).
void RedrawCurrentMeasure(ScoreView* view);

}  // namespace ql
