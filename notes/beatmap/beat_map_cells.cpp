// The cell cache of a beat-map build (RowCells, beat_map_internal.h): the same
// lookup as ExistingMeasureCell, with each staff's cell array found once, set up at
// the first question.
#include "core/model/document.h"
#include "core/model/grid.h"
#include "display/staff_groups.h"
#include "notes/beatmap/beat_map_internal.h"

namespace ql::beatmap {

RowCells::RowCells(ScoreDocument* document, int firstMeasure)
    : document_(document),
      staffCount_(document != nullptr ? document->header.staffCount : 0),
      base_(firstMeasure - 1) {}

void RowCells::Prepare() {
    cellPool_.emplace(kMeasureCellPool);
    const size_t staves = static_cast<size_t>(staffCount_) + 1;
    if (staffCount_ <= kStavesKeptInside) {
        staffs_ = keptStaffs_;
        entries_ = keptEntries_;
    } else {
        heapStaffs_.reset(new Staff[staves]);
        heapEntries_.reset(new Entry[staves * kWindow]);
        staffs_ = heapStaffs_.get();
        entries_ = heapEntries_.get();
    }
    for (int staff = 0; staff <= staffCount_; ++staff)
        staffs_[staff] = Staff{CellArrayOf(StaffRecordOf(document_, staff)), 0, 0};
}

const MeasureCell* RowCells::Lookup(int staff, int measure) {
    if (measure < 0 || measure >= MaxMeasures) return nullptr;
    if (staffs_ == nullptr) Prepare();
    const CellHandleArray* array = staffs_[staff].array;
    return array != nullptr ? cellPool_->Find(array->cells[measure]) : nullptr;
}

void RowCells::Find(const Slot& slot, int staff, int measure) {
    slot.entry->cell = Lookup(staff, measure);
    slot.staff->found |= slot.bit;
}

RowCells::EndSigns RowCells::ReadEndSigns(const Slot& slot, int staff, int measure) {
    const MeasureCell* cell = Get(staff, measure);
    EndSigns signs;
    if (cell != nullptr) {
        const CellEndSigns read = SignsAtCellEnd(*cell);
        signs = {read.key, read.clef};
    } else {
        const CellDefaults defaults = CurrentCellDefaults();
        signs = {defaults.key, defaults.clef};
    }
    if (slot.entry != nullptr) {
        slot.entry->keyAtEnd = static_cast<int16_t>(signs.key);
        slot.entry->clefAtEnd = static_cast<int16_t>(signs.clef);
        slot.staff->endRead |= slot.bit;
    }
    return signs;
}

}  // namespace ql::beatmap
