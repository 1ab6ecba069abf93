// Multi-measure rests (module MMREST): a run of empty measures shown as one measure
// whose record's restMeasureCount holds the number of further measures it stands for.
#pragma once

namespace ql {

struct ScoreView;

// Draws the multi-measure rest of the view's current measure on the current staff.
void DrawMultiMeasureRest(ScoreView* view);

}  // namespace ql
