// The document's music metrics that spacing reads: words of its internal distances
// (the metric record in logical units, 128 to the staff space), named by their word
// in the record. The Music Metrics dialog edits the record; spacing only reads it.
#pragma once

#include <cstdint>

#include "core/model/score_document.h"

namespace ql {

enum class MusicMetric : int {
    DefaultLead = 0,        // "Beat0": minimum space before a measure's first column
    DefaultTrail = 1,       // "BeatX": minimum space after its last column
    AccidentalSpacing = 6,  // "Accident": one column of accidentals
    BarlineWidth = 14,      // "BarLineWid"
    ThickBarline = 25,      // "ThickBarline"
    BetweenDouble = 26,     // "BetweenDouble": gap between the lines of a double barline
    FirstAccidental = 27,   // "FirstAcci": from a note head to its first accidental column
};
static_assert(static_cast<int>(MusicMetric::FirstAccidental) < kPageDistanceCount);

inline int32_t MetricOf(const ScoreDocument& document, MusicMetric metric) {
    return document.internalDistances[static_cast<int>(metric)];
}

}  // namespace ql
