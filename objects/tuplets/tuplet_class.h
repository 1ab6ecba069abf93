// The tuplet mark's class (type 51) and the operations its keys and tool reach:
// creation at a click on a member of a tuplet group, and the keypad's steps.
#pragma once

#include "core/objects/class_table.h"
#include "core/objects/score_object.h"

namespace ql {

struct ScoreView;

// A new mark over the group of the note under the pointer, labelled with the current
// first number of the tuplet settings, in the remembered style. Null without staves,
// without a group, when a mark with that label sits on the group's first note
// already, or when no record can be had or attached.
ScoreObject* CreateTupletAtClick(ScoreView* view);

// One step (+1 or -1). Without Ctrl: the style wraps 0, 1, 2, hand placement is
// cleared, the mark placed again and its handles (when it has some) become the new
// style's. With Ctrl and a handle chosen: the bracket's line
// width (style 1) or the curve's thickness (style 2); with no handle chosen the
// label's text style.
void StepTupletMark(ScoreObject* object, ScoreView* view, int step);

// Registered by the stored classes' table under type 51.
const ScoreObjectClass& TheTupletClass();

}  // namespace ql
