// The window area under a logical rectangle of a score view, invalidated for a
// later repaint.
#pragma once

namespace ql {

struct RecordRect;
struct ScoreView;

// Invalidates the view window's area under a logical rectangle, one pixel more on
// every side; with `erase` the area is painted afresh from the background. Nothing
// for an empty rectangle or a view without a window.
void InvalidateRecordArea(ScoreView* view, const RecordRect& area, bool erase);

}  // namespace ql
