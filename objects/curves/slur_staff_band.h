// Which staff a slur belongs to after a drag: a slur bending upward whose two ends
// were dragged below its staff's note band goes to the staff below (from the last
// staff: the first staff of the next system); one bending downward whose ends were
// dragged above the band goes to the staff above (from the first staff: the last
// staff of the previous system). The note band is the staff's lines widened by a
// staff space, and further by the notes of its cell that lie within 512 units of the
// slur's ends.
#pragma once

#include "core/model/geometry.h"
#include "core/objects/score_object.h"

namespace ql {

struct ScoreView;
struct SlurObject;

// Given the slur's committed points (start, two control points, end) and the location
// their encoding gave, re-encodes them against the staff they moved to and updates
// `location`; false (nothing changed) when the slur stays on its staff.
bool MoveSlurAcrossStaffBand(SlurObject* slur, ScoreView* view, const LogicalPoint* points,
                             LocationRecord* location);

}  // namespace ql
