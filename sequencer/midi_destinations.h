// The staves a MIDI action of a mark sends to, by its output destination: 0 this
// staff, 1 every staff, 2 this staff's group, 3 this staff and the named staff,
// 4 the group and the named staff, 5 this staff and the named staff's group, 6 the
// group and the named staff's group. A staff's group is its bracket, else its
// brace, else the staff alone. A named staff outside the score adds nothing; an
// unknown destination is this staff.
#pragma once

#include <cstdint>
#include <vector>

namespace ql {

struct ScoreDocument;

// In staff order, each staff once.
std::vector<int> DestinationStaves(const ScoreDocument* document, int staff, uint8_t destination, int namedStaff);

}  // namespace ql
