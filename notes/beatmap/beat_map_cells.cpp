// The cell cache of a beat-map build (RowCells, beat_map_internal.h): the same
// lookup as ExistingMeasureCell, with each staff's cell array found once, set up at
// the first question; a measure's staves read together, into the scope's table or
// the row's window.
#include <algorithm>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "display/staff_groups.h"
#include "notes/beatmap/beat_map_internal.h"
#include "notes/pitch/pitch_vocabulary.h"

namespace ql::beatmap {

RowCells::RowCells(ScoreDocument* document, int firstMeasure)
    : document_(document),
      staffCount_(document != nullptr ? document->header.staffCount : 0),
      base_(firstMeasure - 1) {}

RowCells::~RowCells() = default;

CellSigns RowCells::NoCell() const {
    const CellDefaults defaults = CurrentCellDefaults();
    return CellSigns{false, 0, 0, 0, defaults.key, defaults.clef, defaults.key, defaults.clef};
}

void RowCells::Prepare() {
    prepared_ = true;
    cellPool_.emplace(kMeasureCellPool);
    const size_t staves = static_cast<size_t>(staffCount_);
    if (staffCount_ <= kStavesKeptInside) {
        window_ = keptWindow_;
        arrays_ = keptArrays_;
        for (int staff = 1; staff <= staffCount_; ++staff)
            keptArrays_[staff - 1] = CellArrayOf(StaffRecordOf(document_, staff));
    } else {
        heapArrays_.reset(new const CellHandleArray*[staves]);
        for (int staff = 1; staff <= staffCount_; ++staff)
            heapArrays_[static_cast<size_t>(staff - 1)] =
                CellArrayOf(StaffRecordOf(document_, staff));
        arrays_ = heapArrays_.get();
    }
    scope_ = ScopeTable();
    if (scope_ != nullptr && scope_->cellSignsRead.empty()) {
        scope_->cellSigns.reset(new CellSigns[staves * MaxMeasures]);
        scope_->cellSignsRead.assign(MaxMeasures, 0);
    }
    if (scope_ == nullptr && window_ == nullptr) {
        heapWindow_.reset(new CellSigns[staves * kWindow]);
        window_ = heapWindow_.get();
    }
}

// The staves are taken in groups: every cell of a group is found and fetched
// before any is read, then the heads of their lists, so that the misses of a
// measure's cells overlap instead of following one another.
void RowCells::ReadMeasure(int measure, CellSigns* out) {
    constexpr int kGroup = 8;
    const bool inScore = measure >= 0 && measure < MaxMeasures;
    for (int first = 0; first < staffCount_; first += kGroup) {
        const int count = std::min(kGroup, staffCount_ - first);
        const MeasureCell* cells[kGroup];
        for (int i = 0; i < count; ++i) {
            const CellHandleArray* array = arrays_[first + i];
            const MeasureCell* cell =
                inScore && array != nullptr ? cellPool_->Find(array->cells[measure]) : nullptr;
            if (cell != nullptr) __builtin_prefetch(cell);
            cells[i] = cell;
        }
        for (int i = 0; i < count; ++i)
            if (cells[i] != nullptr && cells[i]->objects)
                __builtin_prefetch(cells[i]->objects.get());
        for (int i = 0; i < count; ++i) {
            const MeasureCell* cell = cells[i];
            if (cell == nullptr) {
                out[first + i] = NoCell();
                continue;
            }
            const CellEndSigns end = SignsAtCellEnd(*cell);
            out[first + i] = CellSigns{true,           cell->cellFlags, cell->beats, cell->beatUnit,
                                       CellKey(*cell), CellClef(*cell), end.key,     end.clef};
        }
    }
}

const CellSigns* RowCells::ReadApart(int measure) {
    const size_t staves = static_cast<size_t>(staffCount_);
    if (!apart_) apart_.reset(new CellSigns[kApart * staves + 1]);
    CellSigns* signs = apart_.get() + static_cast<size_t>(apartNext_) * staves;
    apartNext_ = (apartNext_ + 1) % kApart;
    ReadMeasure(measure, signs);
    return signs;
}

void RowCells::ReadIntoScope(int measure, CellSigns* signs) {
    ReadMeasure(measure, signs);
    scope_->cellSignsRead[static_cast<size_t>(measure)] = 1;
}

}  // namespace ql::beatmap
