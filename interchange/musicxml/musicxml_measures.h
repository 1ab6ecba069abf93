// The measures of a converted score: how long each is, and the time signature a
// score without one is written with. A measure is as long as its time signature;
// a pickup (a short first measure) and a measure the file marks implicit are as
// long as their music, and music that runs past the signature lengthens its
// measure. A score that gives no time signature takes its first full measure's
// length as its signature; one that gives none anywhere has each measure as long
// as its music.
#pragma once

#include <cstdint>
#include <vector>

#include "interchange/musicxml/musicxml_model.h"

namespace ql::musicxml {

// A time or a length in whole notes.
struct WholeNotes {
    int64_t num = 0;
    int64_t den = 1;
};
// num/den in lowest terms; 0/1 when den is 0.
WholeNotes ReducedWholeNotes(int64_t num, int64_t den);

struct MeasurePlan {
    std::vector<WholeNotes> lengths;  // per measure of the score
    // The time signature of a score that gives none at its start; 0 when it gives one.
    int beats = 0;
    int beatType = 0;
    // The file writes no time signature at all: every measure is as long as its
    // music, and the signature the score is written with is not shown.
    bool signatureUnwritten = false;
};

MeasurePlan PlanMeasures(const MxlScore& score);

// True when the rest, starting at `cursor` (in divisions) of a measure of
// `measureDivisions`, stands for the whole measure: marked so, or a whole (or
// untyped) rest from the measure's start to its end.
bool FillsMeasure(const MxlNote& rest, int64_t cursor, int64_t measureDivisions);

// The time in its measure (in divisions) of a chord symbol or direction read at
// `cursor` with the file's `offset`: moved by it while it stays inside the measure
// (`measureDivisions` long, -1 when not a whole number of divisions), else where
// it was read.
int64_t OffsetTime(int64_t cursor, int64_t offset, int64_t measureDivisions);

}  // namespace ql::musicxml
