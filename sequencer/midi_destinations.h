// The staves a MIDI action of a mark sends to, by its output destination: 0 this
// staff, 1 every staff, 2 this staff's group, 3 this staff and the named staff,
// 4 the group and the named staff, 5 this staff and the named staff's group, 6 the
// group and the named staff's group. A staff's group is its bracket, else its
// brace, else the staff alone. A named staff outside the score adds nothing; an
// unknown destination is this staff. Each staff says which side of the
// destination it comes from: this staff's (every staff counts as this side), the
// named staff's, or both, since an action can carry a voice mask for each side.
#pragma once

#include <cstdint>
#include <vector>

namespace ql {

struct ScoreDocument;

constexpr uint8_t kNearSide = 1;    // this staff or its group
constexpr uint8_t kRemoteSide = 2;  // the named staff or its group

struct DestinationStaff {
    int staff = 0;
    uint8_t sides = 0;  // kNearSide, kRemoteSide or both
    bool operator==(const DestinationStaff&) const = default;
};

// In staff order, each staff once.
std::vector<DestinationStaff> DestinationStaves(const ScoreDocument* document, int staff, uint8_t destination, int namedStaff);

}  // namespace ql
