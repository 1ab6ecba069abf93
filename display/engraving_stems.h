// Stems against their heads and beams, as a page paint inks them: each chord's stem
// (its strokes taken as one) reaches every head of its chord and stands at their
// side, a chord with a stem has a head, and a chord whose heads take a stem (a
// half note or shorter the score shows a stem for) has one; in a beam group, a stem ends on a beam
// of its group, on the side away from its heads, and every beam's end stands on a
// stem of the group (a stub's free end excepted). Grace and cue chords are chords
// of their own with their own small heads and stems, and are read the same way.
#pragma once

#include <vector>

#include "display/engraving_collisions.h"
#include "display/engraving_marks.h"

namespace ql {

void FindStemFaults(const std::vector<InkMark>& marks, const CollisionFound& found);

}  // namespace ql
