// A score filled to the event pool's ceiling, shared by the ceiling test and the
// full-score benchmark: staff records for every staff, then short notes into the
// first voice of successive cells until the pool refuses one (every voice head is a
// record of the same pool, so the count stays a little under the pool's size).
#pragma once

#include <cstdint>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"

namespace ql::full_score {

constexpr int kMeasures = 200;
constexpr int kNotesPerVoice = 128;  // 128 notes of 32 ticks fill a 4/4 measure
constexpr uint8_t kShortValue = 5;   // 32 ticks
constexpr int kShortTicks = 32;
constexpr int kStepCycle = 9;  // staff steps the notes cycle through

// Staff records for staves 0..staffCount over `measureCount` measures; false when a
// staff could not be made.
inline bool BuildStaves(ScoreDocument* doc, ScoreView* view, int measureCount) {
    doc->header.measureCount = static_cast<uint16_t>(measureCount);
    for (int s = 0; s <= doc->header.staffCount; ++s) {
        StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view);
        if (staff == nullptr || !IsStaffComplete(staff)) return false;
        doc->staves->staves[s] = Ref32<StaffRecord>::To(staff);
    }
    return true;
}

// Notes made before the first refusal; `lastCell` gets the cell of the last note.
inline int FillUntilRefused(ScoreView* view, ScoreDocument* doc,
                            MeasureCell** lastCell = nullptr) {
    int notes = 0;
    for (int m = 1; m <= kMeasures; ++m) {
        for (int s = 1; s <= doc->header.staffCount; ++s) {
            MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc, s), doc, m);
            for (int i = 0; i < kNotesPerVoice; ++i) {
                if (AddEventToVoice(view, cell, 0, static_cast<uint16_t>(i * kShortTicks),
                                    kShortValue, static_cast<uint8_t>(i % kStepCycle)) == nullptr)
                    return notes;
                if (lastCell != nullptr) *lastCell = cell;
                ++notes;
            }
        }
    }
    return notes;
}

}  // namespace ql::full_score
