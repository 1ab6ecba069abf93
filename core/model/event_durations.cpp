// Durations of notes and rests in ticks (a quarter is 1024 ticks).
//
// base = 2^duration, plus 2^(duration-1), 2^(duration-2), 2^(duration-3) for one to
// three dots; then the outer ratio (multiplier / divisor) when set; then the tuplet:
// kind 1 one of nine fixed ratios, kind 2 its own ratio; any other kind (a damaged
// byte) is no tuplet at all. Integer division truncates: a triplet eighth is
// 512 x 2 / 3 = 341 ticks. The ratio accessors read the same bytes the same way.
#include "core/model/events.h"

namespace ql {

namespace {

struct TupletRatio {
    int multiplier;
    int divisor;
};

// Fixed ratios of tuplet kind 1, by index.
constexpr TupletRatio kFixedTupletRatios[] = {
    {2, 3}, {4, 5}, {4, 6}, {4, 7}, {8, 9}, {8, 11}, {3, 2}, {3, 4}, {6, 4},
};
constexpr int kFixedTupletRatioCount = sizeof(kFixedTupletRatios) / sizeof(kFixedTupletRatios[0]);
constexpr int kMaxDots = 3;
constexpr int kTupletFixed = 1;
constexpr int kTupletFree = 2;
constexpr int kNibbleBits = 4;
constexpr int kNibbleMask = 0x0F;
// Longest code that still fits the arithmetic; longer (damaged) codes last 0 ticks.
constexpr int kMaxDurationCode = 16;

int Scale(int ticks, int multiplier, int divisor) {
    if (multiplier == 0) multiplier = 1;
    if (divisor == 0) divisor = 1;
    return static_cast<int>(static_cast<int64_t>(ticks) * multiplier / divisor);
}

int DottedTicks(int dots, int duration) {
    if (duration < 0 || duration > kMaxDurationCode) return 0;
    int base = 1 << duration;
    int ticks = base;
    if (dots > kMaxDots) dots = kMaxDots;
    for (int dot = 1; dot <= dots; ++dot) ticks += base >> dot;
    return ticks;
}

}  // namespace

namespace {
TupletNumbers NoteNumbers(const EventRecord& note) {
    return ReadTupletNumbers(note.tupletKind, note.tupletRatio, note.outerRatio);
}
}  // namespace

int ComputeDurationTicks(int tupletKind, int dots, int duration, int outerRatio, int ratioIndex,
                         int divisor, int multiplier, int outerDivisor, int outerMultiplier) {
    int ticks = DottedTicks(dots, duration);
    if (tupletKind != kTupletFixed && tupletKind != kTupletFree) return ticks;
    if (outerRatio != 0) ticks = Scale(ticks, outerMultiplier, outerDivisor);
    if (tupletKind == kTupletFixed) {
        if (ratioIndex < 0 || ratioIndex >= kFixedTupletRatioCount) return ticks;
        const TupletRatio& ratio = kFixedTupletRatios[ratioIndex];
        return Scale(ticks, ratio.multiplier, ratio.divisor);
    }
    if (divisor == 0) divisor = 1;
    return static_cast<int>(static_cast<int64_t>(ticks) * multiplier / divisor);
}

int TupletNoteCount(const EventRecord& event) {
    if (event.tupletKind != kTupletFixed && event.tupletKind != kTupletFree) return 1;
    if (event.tupletKind == kTupletFixed) {
        if (event.tupletRatio >= kFixedTupletRatioCount) return 1;
        return kFixedTupletRatios[event.tupletRatio].divisor;
    }
    int divisor = event.tupletRatio >> kNibbleBits;
    return divisor == 0 ? 1 : divisor;
}

int FixedTupletRatioIndex(int actual, int normal) {
    for (int i = 0; i < kFixedTupletRatioCount; ++i)
        if (kFixedTupletRatios[i].divisor == actual && kFixedTupletRatios[i].multiplier == normal)
            return i;
    return -1;
}

TupletNumbers ReadTupletNumbers(int tupletKind, int ratio, int nested) {
    TupletNumbers numbers{};
    if (tupletKind == kTupletFixed) {
        if (ratio < 0 || ratio >= kFixedTupletRatioCount) return numbers;
        numbers.first = kFixedTupletRatios[ratio].divisor;
        numbers.second = kFixedTupletRatios[ratio].multiplier;
    } else if (tupletKind == kTupletFree) {
        numbers.first = (ratio >> kNibbleBits) & kNibbleMask;
        numbers.second = ratio & kNibbleMask;
    } else {
        return numbers;
    }
    numbers.nestedFirst = (nested >> kNibbleBits) & kNibbleMask;
    numbers.nestedSecond = nested & kNibbleMask;
    return numbers;
}

int GetNoteTupletNumerator(const EventRecord& note) { return NoteNumbers(note).first; }
int GetNoteTupletDenominator(const EventRecord& note) { return NoteNumbers(note).second; }
int GetNoteNestedNumerator(const EventRecord& note) { return NoteNumbers(note).nestedFirst; }
int GetNoteNestedDenominator(const EventRecord& note) { return NoteNumbers(note).nestedSecond; }

int EventDurationTicks(const EventRecord& event) {
    return ComputeDurationTicks(event.tupletKind, event.word2 & kEventDotsMask, event.duration,
                                event.outerRatio, event.tupletRatio,
                                event.tupletRatio >> kNibbleBits, event.tupletRatio & kNibbleMask,
                                event.outerRatio >> kNibbleBits, event.outerRatio & kNibbleMask);
}

}  // namespace ql
