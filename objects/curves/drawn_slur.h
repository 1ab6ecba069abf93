// A slur drawn by a drag from where the Slur tool was pressed: the press makes the
// slur and the drag carries its end, and all along the drag the slur arches from
// its start to its end, over (or under) the notes of its staff between them by a
// height that grows with its length, raised further where a head would stand in
// the curve. Once let go it is a slur like any other: dragging an end of it later
// carries that end's control point along as before.
#pragma once

#include "core/objects/hit_record.h"
#include "core/objects/score_object.h"

namespace ql {

struct ScoreView;

// Marks the slur a press has just made as the one its drag draws.
void BeginDrawnSlur(const ScoreObject* slur);
// True while `slur` is the one being drawn.
bool IsDrawnSlur(const ScoreObject* slur);
// The drag has moved the slur's end; whether it has (a press let go where it was
// keeps the slur the press made).
void DrawnSlurDragged();
bool DrawnSlurWasDragged();
// The drawing ends (the drag was let go).
void EndDrawnSlur();

// Places the control points (handles 2 and 3) and the thickness handles (5 and 6,
// keeping their offsets from the control points) of the handle chain `head` for the
// slur from its start handle (1) to its end handle (4): in from the ends by a
// quarter of its length, as far beyond the higher (lower) end as a sixth of it,
// and further where the curve would come nearer than a clearance to a head of the
// view's staff between the ends. Once `letGo`, an end that stands on a head (within
// a few spaces of it in its column) goes beyond it on the slur's side first: the
// slur starts at the note pressed and ends at the note let go on.
void ShapeDrawnSlur(ScoreView* view, HitRecord* head, bool above, bool letGo);

}  // namespace ql
