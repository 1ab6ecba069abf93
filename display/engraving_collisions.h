// Marks of a page over one another: every pair of marks whose boxes meet is looked
// at once (the marks are sorted into a grid of cells, a pair read in the cell where
// their common box starts), and named when the check has a rule for it: marks over
// measure numbers; texts over signs, notes or texts; signs over signs; lyrics over
// lyrics, notes and staff lines; dynamics over anything; note heads over note
// heads; a slur, tie or beam through a head it does not belong to; and any mark
// over a mark of another staff or system, or of another object. Each pair of parts
// (a chord's stem, a beam group's beams, a staff's lines, an object) is told once
// for each kind.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "display/engraving_check.h"
#include "display/engraving_marks.h"

namespace ql {

using CollisionFound = std::function<void(FindingKind kind, const InkMark& at, std::string what)>;

// `headWidth` is the width of a black note head on a full-size staff: a slur's or
// tie's own heads are those within it of its ends.
void FindCollisions(const std::vector<InkMark>& marks, int32_t headWidth,
                    const CollisionFound& found);

}  // namespace ql
