// The mixer's fader arithmetic: a trackbar position (0 at the top, 128 at the
// bottom) to a value within a range and back, the tempo fader's table of metronome
// tempos, and a fader's value after a scroll code.
#pragma once

#include <cstdint>

#include "platform/win/messages.h"

namespace ql {

constexpr int32_t kFaderPositions = 128;  // trackbar range 0..128
constexpr int32_t kFaderPage = 8;
constexpr int kTempoTableEntries = 39;

struct FaderRange {
    int32_t minimum = -64;
    int32_t maximum = 64;
};

// ((max - min) x (127 - position)) / 128 rounded down, plus min, kept within the
// range: with -64..64, position 0 gives 63, 127 gives -64 and 128 stays at -64.
int32_t FaderValueAt(FaderRange range, int32_t position);
// The position that shows a value: 127 - ((value - min) x 128) / (max - min).
int32_t FaderPositionOf(FaderRange range, int32_t value);

// The metronome tempo nearest a value; on equal distance the higher one.
int32_t NearestTableTempo(int32_t tempo);
const int32_t (&TempoTable())[kTempoTableEntries];

// A fader's value after a scroll code: lines step by 1 and pages by 8 (up raises),
// the thumb codes read `position`, Top and Bottom go to the ends; the result is
// kept within the range. A tempo fader moves along the table instead: lines by one
// entry, pages by eight, the thumb to the entry nearest its value.
int32_t ScrolledFaderValue(FaderRange range, bool tempo, int32_t value, win::ScrollCode code, int32_t position);

}  // namespace ql
