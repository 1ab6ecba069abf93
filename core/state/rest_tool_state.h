// The state of the rest tool that the tool palette keeps and rest placing reads: the
// tool's index in its palette and its variant (which choose the rest's value), the
// program's forced rest value, tuplet entry with its ratio and extra ratio, and the
// dot tool. One program-wide instance lives in the notes settings of the program state.
#pragma once

#include <cstdint>

namespace ql {

struct RestToolState {
    // Palette index n: 1 whole (variant 1: double whole), 2 half, 3 quarter, 4 eighth,
    // 5 sixteenth; from 6 on the short values, variant 0..3 giving the 32nd..256th.
    uint8_t paletteIndex = 3;
    uint8_t variant = 0;
    uint8_t forcedCode = 0;  // a DurationCode that overrides the palette; 0 none
    // Tuplet entry: the ratio first:second; the extra ratio multiplier:divisor is
    // applied after it when extraOn is set.
    uint8_t tupletOn = 0;
    uint8_t tupletFirst = 3;
    uint8_t tupletSecond = 2;
    uint8_t extraOn = 0;
    uint8_t extraMultiplier = 0;
    uint8_t extraDivisor = 0;
    // Dot entry: the dot tool gives 1, 2 or 3 dots.
    uint8_t dotsOn = 0;
    uint8_t dots = 1;
};

}  // namespace ql
