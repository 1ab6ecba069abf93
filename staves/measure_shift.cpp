// Moving measure records and cell handles up or down, with every new cell made
// before anything moves; deleting a run of measures while appending as many at the
// end by reusing the deleted cells; moving a numbering run by a delta.
#include "staves/measure_shift.h"

#include <algorithm>
#include <cstring>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/spacing/spacing_list.h"

namespace ql {

namespace {

constexpr int kMostBeatShift = 16;

// The highest index of the table a shift touches (count + 4 moves to count + 5).
int ShiftTop(const ScoreDocument* document) {
    return std::min<int>(document->header.measureCount + kSpareMeasures, MaxMeasures - 2);
}

CellHandleArray* CellsOfStaff(ScoreDocument* document, int staff) {
    return CellArrayOf(StaffRecordOf(document, staff));
}

// Whether any voice has a chain or an element list to free.
bool HasVoices(const MeasureCell& cell) {
    for (int v = 0; v < kVoiceCount; ++v)
        if (cell.voices[v] || cell.elementLists[v]) return true;
    return false;
}

void ClearRecord(ScoreDocument* document, MeasureRecord& record) {
    std::memset(&record, 0, sizeof record);
    ClearMeasureRecord(&record, document->internalDistances);
}

}  // namespace

void FreeCellHandle(ScoreDocument* document, RecordHandle& handle) {
    if (MeasureCell* cell = FindRecord<MeasureCell>(kMeasureCellPool, handle)) {
        if (HasVoices(*cell)) FreeCellVoices(cell, document, 1);
        FreeMeasureCellLists(cell);
        FreeRecordByHandle(kMeasureCellPool, handle);  // the handle names the slot: no search
    }
    handle = RecordHandle{};
}

void FreeInsertedCells(ScoreDocument* document, std::vector<RecordHandle>* made) {
    for (RecordHandle& handle : *made) FreeCellHandle(document, handle);
    made->clear();
}

bool MakeInsertedCells(ScoreDocument* document, int source, std::vector<RecordHandle>* made) {
    made->clear();
    const int cells = document->header.staffCount + 1;
    // The cells are had in one run, slots and order as one by one.
    std::vector<void*> records(static_cast<size_t>(cells));
    made->resize(static_cast<size_t>(cells));
    const int had = AllocRecordRunWithHandles(kMeasureCellPool, cells, records.data(), made->data());
    for (int staff = 0; staff < had; ++staff) {
        auto* cell = static_cast<MeasureCell*>(records[static_cast<size_t>(staff)]);
        if (CopyMeasureCell(cell, source >= 1 ? FindMeasureCell(document, staff, source) : nullptr)) continue;
        FreeMeasureCellLists(cell);
        FreeRecordByHandle(kMeasureCellPool, (*made)[static_cast<size_t>(staff)]);
        (*made)[static_cast<size_t>(staff)] = RecordHandle{};
        for (int rest = staff + 1; rest < had; ++rest)  // not copied yet: bare records
            FreeRecordByHandle(kMeasureCellPool, (*made)[static_cast<size_t>(rest)]);
        made->resize(static_cast<size_t>(staff));
        FreeInsertedCells(document, made);
        return false;
    }
    if (had == cells) return true;
    for (int staff = 0; staff < had; ++staff) FreeCellHandle(document, (*made)[static_cast<size_t>(staff)]);
    made->clear();
    return false;
}

void ShiftMeasuresUp(ScoreDocument* document, int at, const std::vector<RecordHandle>& cells) {
    const int top = ShiftTop(document);
    const size_t moved = static_cast<size_t>(std::max(top - at + 1, 0));
    for (int staff = 0; staff <= document->header.staffCount; ++staff) {
        CellHandleArray* array = CellsOfStaff(document, staff);
        if (array == nullptr) continue;
        FreeCellHandle(document, array->cells[top + 1]);
        std::memmove(&array->cells[at + 1], &array->cells[at], sizeof(RecordHandle) * moved);
        array->cells[at] = staff < static_cast<int>(cells.size()) ? cells[staff] : RecordHandle{};
    }
    MeasureRecord* table = document->measureTable.get();
    FreeSpacingList(table[top + 1].spacing);
    std::memmove(&table[at + 1], &table[at], sizeof(MeasureRecord) * moved);
    ClearRecord(document, table[at]);
}

void ShiftMeasuresDown(ScoreDocument* document, int at, int count) {
    const int top = ShiftTop(document);
    count = std::clamp(count, 0, top - at + 1);
    if (count == 0) return;
    for (int staff = 0; staff <= document->header.staffCount; ++staff) {
        CellHandleArray* array = CellsOfStaff(document, staff);
        if (array == nullptr) continue;
        for (int m = at; m < at + count; ++m) FreeCellHandle(document, array->cells[m]);
        std::memmove(&array->cells[at], &array->cells[at + count], sizeof(RecordHandle) * (top + 1 - at - count));
        for (int m = top + 1 - count; m <= top; ++m) array->cells[m] = RecordHandle{};
    }
    MeasureRecord* table = document->measureTable.get();
    for (int m = at; m < at + count; ++m) FreeSpacingList(table[m].spacing);
    std::memmove(&table[at], &table[at + count], sizeof(MeasureRecord) * (top + 1 - at - count));
    for (int m = top + 1 - count; m <= top; ++m) ClearRecord(document, table[m]);
}

// One pass: each measure's old number is checked against the one the rule
// expects after the measure before it (old values) before it moves; two measures a
// step.
void ShiftRunNumbers(ScoreDocument* document, int from, int delta) {
    MeasureRecord* table = document->measureTable.get();
    const int count = std::min<int>(document->header.measureCount, MaxMeasures - 1);
    if (from < 1 || from > count) return;
    // Moves the record's number when it is the one expected, and tells the next.
    const auto shift = [delta](MeasureRecord& record, int& expected) {
        const int old = record.number;
        if (old != expected) return false;
        expected = old + record.extra + 1;
        record.number = static_cast<uint16_t>(old + delta);
        return true;
    };
    int expected = table[from].number;
    int m = from;
    for (; m + 1 <= count; m += 2)
        if (!shift(table[m], expected) || !shift(table[m + 1], expected)) return;
    if (m <= count) shift(table[m], expected);
}

namespace {

// An emptied cell made a copy of the cell before it (its signature, clef, key and
// hide bits), keeping its own object list.
void EmptyCellAfter(ScoreDocument* document, MeasureCell* cell, const MeasureCell* before) {
    if (HasVoices(*cell)) FreeCellVoices(cell, document, 1);
    if (cell->objects) ReleaseObjectChain(cell->objects.get(), document);
    const Ref32<ScoreObject> objects = cell->objects;
    if (before != nullptr) std::memcpy(cell, before, sizeof(MeasureCell));
    for (int v = 0; v < kVoiceCount; ++v) {
        cell->voices[v] = RecordHandle{};
        cell->elementLists[v] = RecordHandle{};
    }
    cell->trailingWords[0] = cell->trailingWords[1] = 0;
    cell->objects = objects;
}

// A cleared record at the end of the table, of its cell's signature length.
void AppendedRecord(ScoreDocument* document, const CellHandleArray* staffOne, int measure) {
    MeasureRecord* table = document->measureTable.get();
    MeasureRecord& record = table[measure];
    ClearRecord(document, record);
    const MeasureCell* cell = staffOne != nullptr ? FindRecord<MeasureCell>(kMeasureCellPool, staffOne->cells[measure]) : nullptr;
    const int64_t ticks = cell != nullptr ? int64_t{cell->beats} << std::min<int>(cell->beatUnit, kMostBeatShift)
                                          : DefaultMeasureTicks();
    record.lengthTicks = static_cast<uint16_t>(std::min<int64_t>(ticks, UINT16_MAX));
    record.width = ProportionalWidth(record);
    record.number = static_cast<uint16_t>(table[measure - 1].number + table[measure - 1].extra + 1);
}

}  // namespace

void RecycleMeasures(ScoreDocument* document, int at, int count) {
    const int top = ShiftTop(document);
    count = std::clamp(count, 0, document->header.measureCount - at + 1);
    if (at < 1 || count <= 0) return;
    const size_t moved = static_cast<size_t>(top + 1 - at - count);
    std::vector<RecordHandle> taken(static_cast<size_t>(count));
    for (int staff = 0; staff <= document->header.staffCount; ++staff) {
        CellHandleArray* array = CellsOfStaff(document, staff);
        if (array == nullptr) continue;
        std::memcpy(taken.data(), &array->cells[at], sizeof(RecordHandle) * taken.size());
        std::memmove(&array->cells[at], &array->cells[at + count], sizeof(RecordHandle) * moved);
        for (int i = 0; i < count; ++i) {
            const int place = top + 1 - count + i;
            array->cells[place] = taken[i];
            MeasureCell* cell = FindRecord<MeasureCell>(kMeasureCellPool, taken[i]);
            if (cell != nullptr)
                EmptyCellAfter(document, cell, FindRecord<MeasureCell>(kMeasureCellPool, array->cells[place - 1]));
        }
    }
    MeasureRecord* table = document->measureTable.get();
    for (int m = at; m < at + count; ++m) FreeSpacingList(table[m].spacing);
    std::memmove(&table[at], &table[at + count], sizeof(MeasureRecord) * moved);
    const CellHandleArray* staffOne = CellsOfStaff(document, 1);
    for (int m = top + 1 - count; m <= top; ++m) AppendedRecord(document, staffOne, m);
}

int NumberAfter(ScoreDocument* document, int measure) {
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    return record != nullptr ? record->number + record->extra + 1 : 1;
}

}  // namespace ql
