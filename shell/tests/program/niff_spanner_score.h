// A writer-made NIFF score with spanners for the program's import tests.
#pragma once

#include <cstdint>
#include <vector>

namespace ql::testing {

// One staff, one system of three 4/4 measures of quarters. Measure 1: slur 1 from
// its first to its last note, which is tied (tie 2) to the first of measure 2, and
// a crescendo under it. Measure 2: an octave sign above from its start to the
// middle of measure 3, and slur 5 from its last note over the barline. Measure 3:
// an ending "1. 2. " from its start to its last beat.
std::vector<uint8_t> NiffSpannerScore();

}  // namespace ql::testing
