// The engraving metrics of a score: words of the document's internal distances
// (its page distances in score units, 128 to the staff space), in the order the
// Music Metrics dialog and the "Musical Metrics" settings keep them. Word 9 is not
// a distance.
#pragma once

#include <cstdint>

#include "core/model/score_document.h"

namespace ql {

enum class EngravingMetric : int {
    Beat0 = 0,             // space before the first beat (a new measure's lead)
    BeatX = 1,             // space after the last beat (a new measure's trail)
    Clef = 2,              // space beside a clef
    Key = 3,               // space before a key signature
    Keysym = 4,            // distance between the accidentals of a key signature
    Time = 5,              // space beside a time signature
    Accident = 6,          // space after an accidental
    Bracket = 7,           // space after a bracket
    Brace = 8,             // space after a brace
    BeamWid = 10,          // beam thickness
    BeamSep = 11,          // distance between beams
    StemWid = 12,          // stem thickness
    StaffLineWid = 13,     // staff line thickness
    BarLineWid = 14,       // thin barline thickness
    SlurWid = 15,          // slur thickness
    SlurPoint = 16,        // slur sharpness
    TieWid = 17,           // tie thickness
    TiePoint = 18,         // tie sharpness
    TieHump = 19,          // tie curvature
    TieOffX = 20,          // tie offset, x
    TieOffY = 21,          // tie offset, y
    VoxBias = 22,          // voice bias
    SigMeasureExtra = 23,  // extra space after the signs at a system's start
    ClefChange = 24,       // room of a clef change before a barline
    ThickBarline = 25,     // thick barline thickness
    BetweenDouble = 26,    // gap between the lines of a double barline
    FirstAcci = 27,        // space after a first accidental
};
static_assert(static_cast<int>(EngravingMetric::FirstAcci) < kPageDistanceCount);

inline int32_t EngravingMetricOf(const ScoreDocument& document, EngravingMetric metric) {
    return document.internalDistances[static_cast<int>(metric)];
}

}  // namespace ql
