// Dragging a clef change inside its measure: it moves across only, and only between
// the events on either side of it, so that the notes it governs stay the same ones
// (the notes were written for the clef in force at their tick). A drag is pending
// from its first move (or the clef's focusing) until it is committed; the clef
// keeps its line and takes the tick under its new x, still between those events.
#pragma once

#include <cstdint>

#include "core/model/geometry.h"

namespace ql {

struct ScoreObject;
struct ScoreView;

// The limits of the drag, taken when the clef becomes the focus at the view's
// location or its first move begins: from just right of the nearest event before
// it (the measure's start when none) to just left of the nearest event after it
// (the measure's end).
struct ClefDragLimits {
    const ScoreObject* clef = nullptr;  // the clef dragged
    int measure = 0;                    // the measure the drag began in; 0 when none is pending
    int staff = 0;
    int tick = 0;        // the clef's tick when the drag began
    int32_t startX = 0;  // its handle's x then
    int32_t left = 0;
    int32_t right = 0;
};
ClefDragLimits BeginClefDrag(ScoreView* view, const ScoreObject* clef, int32_t clefX);
// Whether a move of the clef's handle to `x` stays inside the limits and the
// pointer in the measure where the drag began.
bool ClefDragAllows(const ScoreView* view, int32_t x);
// The pending drag's limits.
const ClefDragLimits& PendingClefDrag();
// Commits the pending drag of `clef` whose handle now stands at `handleX`: the clef
// is anchored that much further across at its own height, with the tick there held
// strictly between its neighbouring events. The drag is no longer pending. 1 when
// the clef moved.
int CommitClefDrag(ScoreView* view, ScoreObject* clef, int32_t handleX);

// Moves a clef's or key signature's anchor by `delta` in the view's current measure;
// the tick it stores becomes the one under its new x.
void ShiftSignAnchor(ScoreView* view, ScoreObject* sign, LogicalPoint delta);

}  // namespace ql
