// Clefs, key signatures and time signatures of a NIFF import: a sign at the start
// of a measure changes the staff's (or every staff's) measures from there on; the
// file's first time signature also rewrites the measures before it.
#pragma once

#include <cstdint>

namespace ql::niff {

struct NiffClefRow {
    int shape, octave, step;  // -1 matches anything
    uint8_t kind, glyph;
};

// The clef kind and glyph of a clef chunk's shape, octave and staff step: the
// first row of the table that matches.
NiffClefRow NiffClefOf(int shape, int octave, int step);

// The key code (7 none, 8..14 sharps, 6..0 flats) of a file's key code 0..14;
// -1 for any other code.
int NiffKeyCode(int code);

struct NiffTimeSignature {
    uint8_t beats = 4;
    uint8_t exponent = 10;
    bool symbol = false;
    bool valid = false;  // a measure of 512 to 32,768 ticks
};
// The time signature of a `time` chunk's top and bottom bytes.
NiffTimeSignature NiffTimeOf(int8_t top, uint8_t bottom);

}  // namespace ql::niff
