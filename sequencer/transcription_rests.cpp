// Rests for the gaps of a transcribed voice. Walking the groups, each gap of at
// least 32 ticks (its start moved up to a multiple of 32) is filled: off the beat or
// shorter than a beat with the largest power of two up to a beat that divides the
// position and fits; a whole beat with one rest; from a group start with the rests
// the metre groups (two beats, four beats in duple metre, whole groups in compound
// metre); anything else with a rest to the next beat.
#include <algorithm>

#include "sequencer/transcription_analysis.h"

namespace ql {
namespace {

// The rest that fills the gap g from p, or 0 when none fits (the gap stays empty).
int32_t RestLength(int32_t p, int32_t g, const Metre& metre, bool manyGroups) {
    const int32_t beat = metre.beat;
    const int32_t toNextBeat = beat - p % beat;
    if (p % beat != 0 || g < beat) {
        for (int32_t r = beat; r >= kShortestWritten && g >= kShortestWritten; r /= 2)
            if (p % r == 0 && r <= g) return r;
        return 0;
    }
    if (g == beat) return g;
    if (p % metre.span == 0 && manyGroups) {
        if (metre.grouping <= 2) {
            const int32_t four = metre.length / metre.span <= 1 ? 2 * beat : 4 * beat;
            if (g < 2 * beat) return toNextBeat;
            if (metre.grouping == 2 && p % (2 * metre.span) == 0) {
                if (g > four) return four;
                if (g == four) return g;
            }
            return g <= 2 * beat ? g : 2 * beat;
        }
        if (g < 2 * beat) return toNextBeat;
        if (g == metre.span) return g;
        if (g > metre.span) return (p / metre.span + 1) * metre.span - p;
        return 2 * beat;
    }
    return toNextBeat;
}

// Rests of r ticks at p: one of each written value r holds.
void AddRests(std::vector<TranscribedRest>& rests, int32_t p, int32_t r) {
    while (r >= kShortestWritten) {
        const NoteValue value = ValueOfTicks(r);
        rests.push_back(TranscribedRest{p, value});
        const int32_t written = ValueTicks(value);
        p += written;
        r -= written;
    }
}

void FillGap(std::vector<TranscribedRest>& rests, int32_t p, int32_t end, const Metre& metre, bool manyGroups) {
    int32_t g = end - p;
    while (g >= kShortestWritten) {
        const int32_t aligned = (p + kShortestWritten - 1) & ~(kShortestWritten - 1);
        g -= aligned - p;
        p = aligned;
        if (g < kShortestWritten) return;
        const int32_t r = std::min(RestLength(p, g, metre, manyGroups), g);
        if (r < kShortestWritten) return;
        AddRests(rests, p, r);
        p += r;
        g -= r;
    }
}

}  // namespace

std::vector<TranscribedRest> MakeRestsForVoice(const std::vector<TranscribedGroup>& groups, const Metre& metre) {
    std::vector<TranscribedRest> rests;
    const bool manyGroups = groups.size() > 1;
    int32_t p = 0;
    for (const TranscribedGroup& group : groups) {
        if (group.time > p) FillGap(rests, p, std::min(group.time, metre.length), metre, manyGroups);
        p = std::max(p, group.time + GroupTicks(group));
    }
    if (p < metre.length) FillGap(rests, p, metre.length, metre, manyGroups);
    return rests;
}

}  // namespace ql
