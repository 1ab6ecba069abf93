// A writer-made NIFF score of one part on two staves and two measures, whose upper
// staff's first measure carries marks: a sharp, an accent, an ornament and two
// lyric verses on its notes; a dynamic, a tempo mark, a chord symbol, a text in a
// font of the file and two pedal marks in the measure; measure numbering and a
// bracket over both staves; on the page, a text
// whose alignment moves it left by half its width.
#pragma once

#include <cstdint>
#include <vector>

namespace ql::testing {

std::vector<uint8_t> MarkedNiffScore();

}  // namespace ql::testing
