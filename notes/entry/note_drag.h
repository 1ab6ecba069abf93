// The end of a drag of a focused note's head: far enough up or down (32 units or
// more) the note takes the step under the pointer, leaving its chord and its ties and
// joining the chord at the new step's place; otherwise, 16 units or more sideways,
// every note of its chord moves its head offset by the distance / 16.
#pragma once

#include "core/model/geometry.h"

namespace ql {

struct ScoreView;
struct EventRecord;

// Applies the drag of `note` from `from` to `to` (the view's pointer when not given),
// in one undoable edit. 1 when applied, 0 for a null note or a move too small to count.
int CommitNoteDrag(ScoreView* view, EventRecord* note, const LogicalPoint& from, const LogicalPoint& to);
int CommitNoteDrag(ScoreView* view, EventRecord* note, const LogicalPoint& from);

}  // namespace ql
