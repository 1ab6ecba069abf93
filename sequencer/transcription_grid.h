// The arithmetic of transcription: the quantisation settings as transcription reads
// them, snapping a time to a grid, and note values (a duration code c is 2^c ticks,
// 1,024 to the quarter; dots add the next smaller halves).
#pragma once

#include <cstdint>

namespace ql {

constexpr int kTranscribeQuarter = 1024;
constexpr int kShortestWrittenCode = 5;  // 32 ticks: nothing shorter is written
constexpr int kShortestWritten = 1 << kShortestWrittenCode;
constexpr int kLongestCode = 13;
constexpr int kMostDots = 3;

// What the quantisation and its analysis read (program-wide options, read once per
// transcription).
struct QuantizeSettings {
    int attack = 8;         // attack grid exponent: note-ons snap to 2^attack ticks
    int release = 8;        // release grid exponent
    bool triplets = false;  // 3 in the time of 2
    bool quintuplets = false;
    bool syncopation = false;
    bool fill = true;        // extend notes to fill gaps
    int extendLimit = 512;   // L: largest gap filled entirely
    int offsetLimit = 512;   // E: kept attack/release deviation, +-E (0: none kept)
};
QuantizeSettings CurrentQuantizeSettings();

// (t + 2^(g-1)) with the low g bits cleared; an exponent outside 4..11 leaves t.
int32_t SnapToGrid(int32_t t, int exponent);
// Clamps a kept deviation to +-limit.
int16_t ClampOffset(int32_t offset, int limit);

// A note value: code and dots.
struct NoteValue {
    int code = 0;
    int dots = 0;
    bool operator==(const NoteValue&) const = default;
};
// Ticks of a value; the largest code whose value does not exceed d (0 if none);
// the value of d with the dots that match it exactly (up to maxDots), else none.
int32_t ValueTicks(NoteValue value);
int CodeOfTicks(int32_t d);
NoteValue ValueOfTicks(int32_t d, int maxDots = kMostDots);

// The metre of a time signature as the beat splitting and the rests read it.
struct Metre {
    int beats = 4;        // B
    int beatExponent = 10;
    int32_t beat = 1024;  // 2^e
    int grouping = 2;     // m: 3 compound, 2 duple, else the beat count
    int32_t span = 2048;  // S: the beats one group spans
    int32_t length = 4096;
};
// From a cell's beats and beat exponent and the measure's length in ticks. A beat
// exponent above 10 doubles the beats; a numerator of 0 becomes length / beat.
Metre MetreOf(int beats, int beatExponent, int32_t length);

}  // namespace ql
