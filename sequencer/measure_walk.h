// The order in which a run plays the measures of a score: repeats taken back to
// their start, endings skipped on the passes they do not belong to, and the tick
// each played measure starts at.
//
// The counters the walk needs (pass, endings, repeat counter) live in a run-local
// table of MeasurePlayRow, filled from each measure record's barline byte and
// repeat count and from the repeat endings of the cells; the stored measure table
// is only read, so a run never changes what is saved or what undo compares.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/model/grid_records.h"

namespace ql {

struct ScoreDocument;

constexpr int kEndingsPerMeasure = 4;
// One row per measure 0..count + 1 (the row after the last measure holds the
// closing barline), with room to spare.
constexpr int kMeasurePlayRows = MaxMeasures + 8;
// A walk never plays more measures than this (a damaged repeat count cannot make
// a run endless).
constexpr int kMaxPlayedMeasures = 32 * 1024;

struct MeasurePlayRow {
    uint8_t pass = 0;                                 // passes through the measure so far
    std::array<uint8_t, kEndingsPerMeasure> endings{};  // passes the measure's ending plays on; 0 none
    uint8_t repeatCounter = 0;                        // repeats still to take at this barline
    uint8_t storedPass = 0;
    uint8_t endingFlag = 0;                           // the measure has endings
};

// One measure as the run plays it. A multi-measure rest is one played measure of
// all its bars.
struct PlayedMeasure {
    uint16_t measure = 0;
    int32_t start = 0;   // ticks from the start of the run
    int32_t length = 0;  // ticks, of all its bars
    int bars = 1;        // 1, or the bars a multi-measure rest stands for
};

// Measure 1..count played from `start`: all the bars of a multi-measure rest.
PlayedMeasure PlayMeasureAt(ScoreDocument* document, int measure, int32_t start);

// The repeat structure of the measures 1..count + 1. `hasEndRepeat` tells whether
// any row carries an end-repeat barline.
struct MeasurePlayTable {
    std::vector<MeasurePlayRow> rows;
    bool hasEndRepeat = false;
};
MeasurePlayTable ClearStaffPerformanceTable(ScoreDocument* document);

// The measures played from `first` to `last` (1-based, inclusive) in order. The
// walk starts at measure 1 without sounding and begins the list on the first
// pass that plays `first`; measures past `last` end it, after an end repeat on
// the barline closing `last` is taken. Empty for an empty range.
std::vector<PlayedMeasure> WalkPlayedMeasures(ScoreDocument* document, int first, int last);

// The last measure of first..last that holds a note in any staff and voice, or 0;
// when a later measure up to last + 1 closes a repeat, the measure before the
// last such barline.
int LastSoundingMeasure(ScoreDocument* document, int first, int last);

}  // namespace ql
