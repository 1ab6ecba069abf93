// The time and key signatures an imported file sets: written into the measure
// table and the cells from the measure its staff has reached, and the source
// length of the measure each staff is in brought up to date. Values a score cannot
// hold are ignored: a time signature of 0 beats, a beat exponent above 8, a
// measure outside 512..32,768 ticks; a key beyond 7 sharps or flats.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

struct ImportSignatures {
    int resolution = 1024;  // source ticks per quarter
    int beats = 4;
    int unit = 10;  // log2 of the beat's ticks
    bool firstMeasureSet = false;  // the file gave measure 1 a signature of its own
};

// The signature in force at the start: staff 1's in measure 1, else 4/4.
ImportSignatures BeginImportSignatures(ScoreView* view, int resolution);

// Meta 0x58 (beats, the denominator's exponent) met on `staff`. A first measure
// the file gives a shorter signature than the one following it is an upbeat: it
// keeps its length under the following signature.
void ApplyTimeSignature(ImportSignatures& signatures, ScoreView* view, int staff, uint8_t beats,
                        uint8_t denominator);
// Meta 0x59 (sharps or flats, minor) met on `staff`, from the measure that staff
// has reached: every staff's when `everyStaff` (the signature track's, a
// single-track file's), else the staff's own.
void ApplyKeySignature(ImportSignatures& signatures, ScoreView* view, int staff, bool everyStaff, uint8_t sharps,
                       uint8_t minor);

}  // namespace ql
