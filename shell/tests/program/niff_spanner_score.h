// A writer-made NIFF score with spanners for the program's import tests.
#pragma once

#include <cstdint>
#include <vector>

namespace ql::testing {

// One staff, one system of three 4/4 measures of quarters, without accidentals in
// the key. Measure 1: slur 1 from
// its first to its last note, which is tied (tie 2) to the first of measure 2, a
// crescendo under it, and a pedal bracket from its second beat to the third of
// measure 2. Measure 2: an octave sign above from its start to the
// middle of measure 3, slur 5 from its last note over the barline, and a bass clef
// on its third beat. Measure 3: an ending "1. 2. " from its start to its last beat,
// and a key of two sharps on its third beat. With `octaveAbove` the octave sign is
// placed that many of the file's units above the staff's top line.
std::vector<uint8_t> NiffSpannerScore(int octaveAbove = 0);

}  // namespace ql::testing
