// The set-up before a run: the measure range, the count-in, the starting tempo
// and the block length.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreDocument;

// How the range is chosen ("play-range mode").
enum class PlayRangeMode : uint8_t {
    WholeScore = 0,
    FromCurrentMeasure = 2,
    GivenRange = 4,
};

struct RangeRequest {
    PlayRangeMode mode = PlayRangeMode::WholeScore;
    int currentMeasure = 1;  // FromCurrentMeasure
    int first = 1;           // GivenRange
    int last = 1;
    bool countIn = false;    // start one measure early
};

struct PlayRange {
    int first = 1;
    int last = 1;
};

// The measures a playback run plays: by the mode, clamped to the score, ending at
// the last measure that holds a note (or before a closing end repeat after it);
// with no note at all the first measure alone (its metronome and objects play).
// A count-in starts one measure earlier, never before measure 1.
PlayRange PlaybackRange(ScoreDocument* document, const RangeRequest& request);

// Ticks per minute of a tempo: the BPM times the ticks of the beat unit (unit 0
// eighth, 1 quarter, 2 half, 3 quarter, 4 dotted eighth, 5 dotted quarter, 6
// dotted half, 7 quarter; other codes a quarter).
uint32_t RateFromTempo(uint32_t bpm, int unit);

// The score's own tempo in quarter notes per minute: outside 0..500 it is 120,
// below 10 it is 10.
uint32_t ScoreTempoBpm(const ScoreDocument* document);

// The block length of a run from the buffer setting: at most 2,200 when the first
// measure played lasts 2,048 ticks or less, then clamped to the table's range.
int32_t RunBlockLength(int32_t setting, int32_t firstMeasureTicks);

}  // namespace ql
