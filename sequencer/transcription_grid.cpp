// Quantisation grids, note values and metres of transcription.
#include "sequencer/transcription_grid.h"

#include <algorithm>
#include <limits>

#include "core/settings/program_options.h"

namespace ql {
namespace {

constexpr int kLowestGrid = 4;
constexpr int kHighestGrid = 11;
constexpr int kPlainBeatExponent = 10;
constexpr int kCompound = 3;
constexpr int kDuple = 2;

}  // namespace

QuantizeSettings CurrentQuantizeSettings() {
    const ProgramOptions& o = Options();
    QuantizeSettings s;
    s.attack = o.PreQuantization;
    s.release = o.PostQuantization;
    s.triplets = o.AllowTriplets != 0;
    s.quintuplets = o.AllowQuin != 0;
    s.syncopation = o.AllowSyncopation != 0;
    s.fill = o.ExtendNotes != 0;
    s.extendLimit = std::clamp<int32_t>(o.ExtendLimit, 1, 1 << kHighestGrid);
    const int exponent = std::clamp<int>(o.QuantizationErrorLimit, kLowestGrid, 9);
    s.offsetLimit = o.KeepQuantizationError != 0 ? (1 << exponent) : 0;
    return s;
}

int32_t SnapToGrid(int32_t t, int exponent) {
    if (exponent < kLowestGrid || exponent > kHighestGrid) return t;
    const int64_t step = int64_t{1} << exponent;
    const int64_t snapped = (int64_t{t} + step / 2) & ~(step - 1);
    // The last grid point a 32-bit position can hold: positions near the limit do not wrap.
    return static_cast<int32_t>(std::min<int64_t>(snapped, std::numeric_limits<int32_t>::max() & ~(step - 1)));
}

int16_t ClampOffset(int32_t offset, int limit) {
    return static_cast<int16_t>(std::clamp(offset, -limit, limit));
}

int32_t ValueTicks(NoteValue value) {
    const int code = std::clamp(value.code, 0, kLongestCode);
    int32_t ticks = int32_t{1} << code;
    for (int dot = 1; dot <= value.dots && dot <= code; ++dot) ticks += int32_t{1} << (code - dot);
    return ticks;
}

int CodeOfTicks(int32_t d) {
    int code = 0;
    while (code < kLongestCode && (int32_t{1} << (code + 1)) <= d) ++code;
    return d >= 1 ? code : 0;
}

NoteValue ValueOfTicks(int32_t d, int maxDots) {
    NoteValue value{CodeOfTicks(d), 0};
    for (int dots = 1; dots <= maxDots; ++dots)
        if (ValueTicks(NoteValue{value.code, dots}) == d) value.dots = dots;
    return value;
}

Metre MetreOf(int beats, int beatExponent, int32_t length) {
    Metre m;
    m.length = length > 0 ? length : 4 * kTranscribeQuarter;
    int e = std::clamp(beatExponent, kShortestWrittenCode, kLongestCode);
    int b = std::max(beats, 0);
    for (; e > kPlainBeatExponent; --e) b *= 2;
    m.beatExponent = e;
    m.beat = int32_t{1} << e;
    if (b == 0) b = std::max<int32_t>(1, m.length / m.beat);
    m.beats = b;
    m.grouping = b % kCompound == 0 ? kCompound : (b % kDuple == 0 ? kDuple : b);
    if (m.grouping == kCompound)
        m.span = std::max<int32_t>(m.beat, m.length / (b / kCompound));
    else if (m.grouping == kDuple)
        m.span = 2 * m.beat;
    else
        m.span = m.beat;
    return m;
}

}  // namespace ql
