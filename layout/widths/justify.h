// Engraver spacing by duration classes (JustifySystem, and the one-measure form
// RespaceMeasure uses).
//
// Method: every spacing entry of the measures has a DurationClass c (from its class
// word); s is the shortest class present and sum(c) the ticks of class c. A ratio r
// weighs each class step: weight(s) = 1, weight(c) = r^(c - s). With
// D = sum(s) + sum over c > s of sum(c) x weight(c), one unit (layout units per 4096
// ticks of the shortest class) is target x 4096 / D, so that the measures together
// are `target` wide. Passes start at r = 0.707 and lower it by 0.0271 until a note of
// the shortest class gets 192 units or more (unit >> (12 - s) >= 192), or r is at
// most 0.5229 (8 passes at most). Each entry then gets trunc(unit x weight(c)) and
// the factor the value of the most common class. Example: quarters only (s = 10) give
// every entry and the factor trunc(unit).
//
// Overflow: the integer unit is taken in 32 bits and clamped to 65,530 before the
// stop test; for s = 13 the test is unit x 2 >= 192; stored values and factors are
// clamped to 4..65,530. Without any classed entry no passes run (the caller gives
// the measures proportional widths). Ordinary systems give the same bytes.
#pragma once

#include <cstdint>
#include <span>

#include "layout/spacing/spacing_collect.h"

namespace ql {

constexpr double kJustifyStartRatio = 0.707;
constexpr double kJustifyRatioStep = 0.0271;
constexpr double kJustifyStopRatio = 0.5229;
// A note of the shortest class gets at least this many units.
constexpr int32_t kShortestNoteMinimum = 192;
// One measure respaced alone starts at 0.888 - 0.181 x (natural end / length).
constexpr double kRespaceStartBase = 0.888;
constexpr double kRespaceStartSlope = 0.181;

// Ticks per DurationClass over a set of spacing lists, and the shortest class seen.
struct ClassSums {
    int64_t ticks[kDurationClassCount] = {};
    int shortest = kNoDurationClass;
};
// Adds the entries of a record's list, or of a list held in memory (values read as
// class words).
void AddClassSums(const MeasureRecord& record, ClassSums& sums);
void AddClassSums(std::span<const SpacingPiece> pieces, ClassSums& sums);

// The outcome of the passes.
struct JustifyUnit {
    bool classed = false;  // false: no classed entry or D = 0, nothing computed
    double unit = 0.0;     // layout units per 4096 ticks of the shortest class
    double ratio = 0.0;    // the ratio of the last pass
    int passes = 0;
    int shortest = kNoDurationClass;
};
JustifyUnit RunJustificationPasses(const ClassSums& sums, int64_t target, double startRatio);

// The stored value of class c under the unit: trunc(unit x r^(c - s)), 4..65,530.
uint16_t ClassValue(const JustifyUnit& unit, int durationClass);
// The class with the most entries (ties to the smaller class); the shortest class
// when nothing was counted.
int MostCommonClass(const ClassCounts& counts, int shortest);
// The stored value of every class from the shortest on (ClassValue), and the value
// a class word takes under them: a classed word its class value, any other unchanged.
struct ClassValues {
    explicit ClassValues(const JustifyUnit& unit);
    uint16_t OfWord(uint16_t word) const;

    uint16_t values[kDurationClassCount] = {};
    int shortest;
};
// Every classed entry of the record's list takes its class value.
void AssignClassValues(MeasureRecord& record, const JustifyUnit& unit);

}  // namespace ql
