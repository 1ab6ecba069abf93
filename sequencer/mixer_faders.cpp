// The mixer's fader arithmetic (see mixer_faders.h).
#include "sequencer/mixer_faders.h"

#include <algorithm>
#include <cstdlib>

namespace ql {
namespace {

constexpr int32_t kLowestPosition = 127;  // the position of the range's minimum

constexpr int32_t kTempos[kTempoTableEntries] = {40,  42,  44,  46,  48,  50,  52,  54,  56,  58,  60,  63,  66,
                                                 69,  72,  76,  80,  84,  88,  92,  96,  100, 104, 108, 112, 116,
                                                 120, 126, 132, 138, 144, 152, 160, 168, 176, 184, 192, 200, 208};

int32_t FloorDivide(int32_t a, int32_t b) {
    const int32_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int IndexOfNearest(int32_t tempo) {
    int best = 0;
    for (int i = 1; i < kTempoTableEntries; ++i) {
        if (std::abs(kTempos[i] - tempo) > std::abs(kTempos[best] - tempo)) break;
        best = i;
    }
    return best;
}

}  // namespace

const int32_t (&TempoTable())[kTempoTableEntries] {
    return kTempos;
}

int32_t FaderValueAt(FaderRange range, int32_t position) {
    const int32_t value =
        FloorDivide((range.maximum - range.minimum) * (kLowestPosition - position), kFaderPositions) + range.minimum;
    return std::clamp(value, range.minimum, range.maximum);
}

int32_t FaderPositionOf(FaderRange range, int32_t value) {
    if (range.maximum == range.minimum) return kLowestPosition;
    const int32_t position =
        kLowestPosition - FloorDivide((value - range.minimum) * kFaderPositions, range.maximum - range.minimum);
    return std::clamp(position, 0, kFaderPositions);
}

int32_t NearestTableTempo(int32_t tempo) {
    return kTempos[IndexOfNearest(tempo)];
}

int32_t ScrolledFaderValue(FaderRange range, bool tempo, int32_t value, win::ScrollCode code, int32_t position) {
    int32_t step = 0;
    switch (code) {
        case win::ScrollCode::LineUp: step = 1; break;
        case win::ScrollCode::LineDown: step = -1; break;
        case win::ScrollCode::PageUp: step = kFaderPage; break;
        case win::ScrollCode::PageDown: step = -kFaderPage; break;
        case win::ScrollCode::Top: value = range.maximum; break;
        case win::ScrollCode::Bottom: value = range.minimum; break;
        case win::ScrollCode::ThumbTrack:
        case win::ScrollCode::ThumbPosition: value = FaderValueAt(range, position); break;
        case win::ScrollCode::EndScroll: return value;
    }
    if (!tempo) return std::clamp(value + step, range.minimum, range.maximum);
    // Along the table, within the fader's range.
    int index = std::clamp(IndexOfNearest(value) + step, 0, kTempoTableEntries - 1);
    while (index > 0 && kTempos[index] > range.maximum) --index;
    while (index < kTempoTableEntries - 1 && kTempos[index] < range.minimum) ++index;
    return kTempos[index];
}

}  // namespace ql
