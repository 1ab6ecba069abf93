// Dragging a key signature change inside its measure. The drag itself is free, but
// its commit moves the sign's anchor by as much as its handle moved: the handle
// stands at the middle of the sign's hit rectangle, which is narrowed at the right
// and bottom and so is not the anchor. The sign stays in the measure it began in.
#pragma once

#include <cstdint>

#include "core/model/geometry.h"

namespace ql {

struct ScoreObject;
struct ScoreView;

// Notes where the key signature's handle stands as its focus is taken or its first
// move begins, in the view's current staff and measure.
void BeginKeyDrag(ScoreView* view, const ScoreObject* key, LogicalPoint handle);
// Whether a drag of `key` is pending.
bool IsKeyDragPending(const ScoreObject* key);
// Commits the pending drag of `key` whose handle now stands at `handle`: the anchor
// moves by the handle's displacement, and the tick there is kept inside the measure
// (after its start, before its end). The drag is no longer pending. 1 when it moved.
int CommitKeyDrag(ScoreView* view, ScoreObject* key, LogicalPoint handle);

}  // namespace ql
