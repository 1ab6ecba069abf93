// The cell cache of a beat-map build (RowCells, beat_map_internal.h): the same
// lookup as ExistingMeasureCell, with each staff's cell array found once.
#include "core/model/document.h"
#include "core/model/grid.h"
#include "display/staff_groups.h"
#include "notes/beatmap/beat_map_internal.h"

namespace ql::beatmap {

RowCells::RowCells(ScoreDocument* document, int firstMeasure)
    : document_(document),
      staffCount_(document != nullptr ? document->header.staffCount : 0),
      base_(firstMeasure - 1),
      arrays_(static_cast<size_t>(staffCount_ + 1), nullptr),
      entries_(static_cast<size_t>(staffCount_ + 1) * kWindow) {
    for (int staff = 0; staff <= staffCount_; ++staff)
        arrays_[staff] = CellArrayOf(StaffRecordOf(document_, staff));
}

const MeasureCell* RowCells::Lookup(int staff, int measure) const {
    if (arrays_[staff] == nullptr || measure < 0 || measure >= MaxMeasures) return nullptr;
    return FindRecord<MeasureCell>(kMeasureCellPool, arrays_[staff]->cells[measure]);
}

// The window entry of a staff and measure, its cell found; null outside the window.
RowCells::Entry* RowCells::EntryOf(int staff, int measure) {
    const int offset = measure - base_;
    if (offset < 0 || offset >= kWindow) return nullptr;
    Entry& entry = entries_[static_cast<size_t>(staff) * kWindow + offset];
    if (!entry.found) {
        entry.cell = Lookup(staff, measure);
        entry.found = true;
    }
    return &entry;
}

const MeasureCell* RowCells::Get(int staff, int measure) {
    if (staff < 0 || staff > staffCount_) return nullptr;
    const Entry* entry = EntryOf(staff, measure);
    return entry != nullptr ? entry->cell : Lookup(staff, measure);
}

int RowCells::KeyAtEnd(int staff, int measure) {
    Entry* entry = staff >= 0 && staff <= staffCount_ ? EntryOf(staff, measure) : nullptr;
    if (entry != nullptr && entry->keyAtEnd != kNotRead) return entry->keyAtEnd;
    const MeasureCell* cell = entry != nullptr ? entry->cell : Get(staff, measure);
    const int key = cell != nullptr ? KeyAtCellEnd(*cell) : CurrentCellDefaults().key;
    if (entry != nullptr) entry->keyAtEnd = static_cast<int16_t>(key);
    return key;
}

int RowCells::ClefAtEnd(int staff, int measure) {
    Entry* entry = staff >= 0 && staff <= staffCount_ ? EntryOf(staff, measure) : nullptr;
    if (entry != nullptr && entry->clefAtEnd != kNotRead) return entry->clefAtEnd;
    const MeasureCell* cell = entry != nullptr ? entry->cell : Get(staff, measure);
    const int clef = cell != nullptr ? ClefAtCellEnd(*cell) : CurrentCellDefaults().clef;
    if (entry != nullptr) entry->clefAtEnd = static_cast<int16_t>(clef);
    return clef;
}

}  // namespace ql::beatmap
