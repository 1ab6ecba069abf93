// Splitting transcribed notes at beats. A note that starts and ends within one beat
// stays whole. On a beat, a note crossing its group (2 beats in duple metre, the
// dotted beat group in compound metre) splits at the next group boundary unless it
// lasts whole beats (duple) or whole groups from a group start (compound). Off the
// beat, short notes split at the largest power of two that reaches towards the next
// beat; a beat-long note on a half beat stays whole in duple metre within a group,
// or with "Allow syncopation" one beat after the last syncopation. Each split gives
// the first part its value tied to a continuation, which is then split in turn.
#include <algorithm>

#include "sequencer/transcription_analysis.h"

namespace ql {
namespace {

constexpr int32_t kWholeGroups = -1;  // keep one value, cut to whole groups

struct SplitContext {
    const Metre& metre;
    const QuantizeSettings& settings;
    int32_t lastSyncopation;
};

int32_t PowerOfTwoSplit(int32_t t, const Metre& metre) {
    const int32_t rem = metre.beat - t % metre.beat;
    int32_t top = 1;
    while (top * 2 <= rem) top *= 2;
    int32_t bit = kShortestWritten;
    while (bit < top && (rem & bit) == 0) bit <<= 1;
    while ((rem & bit) != 0) bit <<= 1;
    return bit / 2;
}

int32_t NextGroupSplit(int32_t t, const Metre& metre) { return (t / metre.span + 1) * metre.span - t; }

int32_t SplitOnBeat(int32_t t, int32_t d, const Metre& metre, bool oneGroup) {
    if (oneGroup || (metre.grouping > 3 && d <= 2 * metre.beat)) return 0;
    int32_t len = d;
    if (d % metre.beat != 0 && t + d < metre.length) len = ((t + d) / metre.beat + 1) * metre.beat - t;
    if (metre.grouping == 3) {
        if (t % metre.span == 0 && len % metre.span == 0) return kWholeGroups;
        return NextGroupSplit(t, metre);
    }
    if (metre.grouping == 2 && len % metre.beat == 0) return 0;
    return NextGroupSplit(t, metre);
}

int32_t SplitOffBeat(int32_t t, int32_t d, SplitContext& c, bool oneGroup) {
    const Metre& metre = c.metre;
    const int32_t halfBeat = std::max<int32_t>(metre.beat / 2, 1);
    if (d < metre.beat || t % halfBeat != 0) return PowerOfTwoSplit(t, metre);
    if (metre.grouping == 2 && !oneGroup && 2 * d >= 3 * metre.beat) return NextGroupSplit(t, metre);
    if (metre.grouping == 2 && oneGroup) {
        if (d == metre.beat) c.lastSyncopation = t;
        return 0;
    }
    if (c.settings.syncopation && d == metre.beat && t == c.lastSyncopation + metre.beat) {
        c.lastSyncopation = t;
        return 0;
    }
    return PowerOfTwoSplit(t, metre);
}

// Where the group at t lasting d splits: 0 none, kWholeGroups, or the first part.
int32_t SplitPoint(int32_t t, int32_t d, SplitContext& c) {
    const Metre& metre = c.metre;
    if ((t >> metre.beatExponent) == ((t + d - 1) >> metre.beatExponent)) return 0;
    const bool oneGroup = t / metre.span == (t + d - 1) / metre.span;
    if (t % metre.beat == 0) return SplitOnBeat(t, d, metre, oneGroup);
    return SplitOffBeat(t, d, c, oneGroup);
}

void SetGroupLength(TranscribedGroup& group, int32_t d) {
    group.value = ValueOfTicks(d);
    if (group.value.code < kShortestWrittenCode) group.value = NoteValue{kShortestWrittenCode, 0};
    for (RawNote& note : group.notes) note.duration = d;
}

// Splits group i after `first` ticks into a tied pair; the continuation follows it.
void SplitNoteWithTie(std::vector<TranscribedGroup>& groups, size_t i, int32_t first, int32_t d) {
    TranscribedGroup continuation = groups[i];
    continuation.time = groups[i].time + first;
    for (size_t n = 0; n < continuation.notes.size(); ++n) {
        RawNote& next = continuation.notes[n];
        next.tieFromPrevious = true;
        next.attackOffset = 0;
        groups[i].notes[n].tieToNext = true;
        groups[i].notes[n].releaseOffset = 0;
    }
    SetGroupLength(groups[i], first);
    SetGroupLength(continuation, d - first);
    groups.insert(groups.begin() + static_cast<std::ptrdiff_t>(i) + 1, continuation);
}

// A value that does not say d exactly splits where the written value ends.
void FitWrittenValue(std::vector<TranscribedGroup>& groups, size_t i, int32_t d) {
    SetGroupLength(groups[i], d);
    const int32_t written = ValueTicks(groups[i].value);
    if (written >= kShortestWritten && d - written >= kShortestWritten) SplitNoteWithTie(groups, i, written, d);
}

}  // namespace

void SplitNotesAtBeats(std::vector<TranscribedGroup>& groups, const Metre& metre, const QuantizeSettings& s) {
    SplitContext context{metre, s, groups.empty() ? 0 : groups.front().time - metre.beat};
    for (size_t i = 0; i < groups.size(); ++i) {
        TranscribedGroup& group = groups[i];
        if (group.tuplet) continue;
        const int32_t next = i + 1 < groups.size() ? groups[i + 1].time : metre.length;
        int32_t d = 0;
        for (const RawNote& note : group.notes) d = std::max(d, note.duration);
        d = std::min(std::max(d, ValueTicks(group.value)), next - group.time);
        if (d < kShortestWritten) {
            SetGroupLength(group, kShortestWritten);
            continue;
        }
        const int32_t first = SplitPoint(group.time, d, context);
        if (first == kWholeGroups) {
            FitWrittenValue(groups, i, d / metre.span * metre.span);
        } else if (first >= kShortestWritten && first < d && d - first >= kShortestWritten) {
            SplitNoteWithTie(groups, i, first, d);
            FitWrittenValue(groups, i, first);
        } else {
            FitWrittenValue(groups, i, d);
        }
    }
}

}  // namespace ql
