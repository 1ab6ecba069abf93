// The set-up before a run: range, tempo, block length.
#include "sequencer/performance_setup.h"

#include <algorithm>
#include <array>

#include "core/model/score_document.h"
#include "sequencer/measure_walk.h"
#include "sequencer/performance_event.h"

namespace ql {
namespace {

constexpr std::array<uint32_t, 8> kBeatUnitTicks{512, 1024, 2048, 1024, 768, 1536, 3072, 1024};
constexpr uint32_t kQuarterTicks = 1024;
constexpr uint32_t kHighestTempo = 500;
constexpr uint32_t kLowestTempo = 10;
constexpr uint32_t kFallbackTempo = 120;
constexpr int32_t kShortMeasureTicks = 2048;
constexpr int32_t kShortMeasureBlock = 2200;

}  // namespace

PlayRange PlaybackRange(ScoreDocument* document, const RangeRequest& request) {
    const int count = document != nullptr ? std::max<int>(document->header.measureCount, 1) : 1;
    PlayRange range{1, count};
    if (request.mode == PlayRangeMode::FromCurrentMeasure) range.first = request.currentMeasure;
    if (request.mode == PlayRangeMode::GivenRange) {
        range.first = request.first;
        range.last = request.last;
    }
    // The first measure inside the score before the last is held to it: a saved
    // range may start past the score's end.
    range.first = std::clamp(range.first, 1, count);
    range.last = std::clamp(range.last, range.first, count);
    if (document != nullptr) {
        const int sounding = LastSoundingMeasure(document, range.first, range.last);
        range.last = sounding >= range.first ? sounding : range.first;
    }
    if (request.countIn && range.first > 1) --range.first;
    return range;
}

uint32_t RateFromTempo(uint32_t bpm, int unit) {
    const uint32_t ticks = unit >= 0 && unit < static_cast<int>(kBeatUnitTicks.size()) ? kBeatUnitTicks[unit]
                                                                                      : kQuarterTicks;
    return bpm * ticks;
}

uint32_t ScoreTempoBpm(const ScoreDocument* document) {
    const uint32_t tempo = document != nullptr ? document->header.tempo : kFallbackTempo;
    if (tempo > kHighestTempo) return kFallbackTempo;
    return std::max(tempo, kLowestTempo);
}

int32_t RunBlockLength(int32_t setting, int32_t firstMeasureTicks) {
    if (firstMeasureTicks <= kShortMeasureTicks && setting > kShortMeasureBlock) setting = kShortMeasureBlock;
    return std::clamp<int32_t>(setting, kMinBlockLength, kMaxBlockLength);
}

}  // namespace ql
