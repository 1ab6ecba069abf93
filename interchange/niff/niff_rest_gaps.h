// Rests a NIFF import makes for the gaps between the events of a voice: each gap
// filled from its start with the largest value (and up to three dots) that fits,
// down to a 32nd; what is left below that stays empty.
#pragma once

#include <cstdint>
#include <vector>

namespace ql::niff {

struct NiffRestFill {
    int32_t tick = 0;
    int32_t duration = 0;  // ticks
    int code = 10;         // note value: 12 whole, 10 quarter
    int dots = 0;
};

// Gaps of this many ticks or fewer are no gaps.
inline constexpr int32_t kNiffLeastGap = 15;

// The rests of [start, end) appended to `rests`; after a tuplet's event
// (`afterTuplet`) rests shorter than a quarter are left out, the time still passing.
void FillNiffRestGap(int32_t start, int32_t end, bool afterTuplet, std::vector<NiffRestFill>& rests);

}  // namespace ql::niff
