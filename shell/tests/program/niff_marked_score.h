// A writer-made NIFF score of one part on two staves and two measures, whose upper
// staff's first measure carries marks: a sharp, an accent, an ornament and two
// lyric verses on its notes; a dynamic, a tempo mark, a chord symbol, a text in a
// font of the file and two pedal marks in the measure; measure numbering and a
// bracket over both staves; on the page, a text
// whose alignment moves it left by half its width. And a score whose file places
// its chord symbols.
#pragma once

#include <cstdint>
#include <vector>

namespace ql::testing {

std::vector<uint8_t> MarkedNiffScore();

// One staff, one measure of four quarter notes; two chord symbols the file places
// from the measure's start: on the first beat at `onStaffY` below the staff's foot
// (file units, a staff space 64) and 0 right of the start, on the third at `clearY`
// and 200 right.
std::vector<uint8_t> PlacedChordsNiffScore(int32_t onStaffY, int32_t clearY);

}  // namespace ql::testing
