// The measure table (module FMTMEAS): clearing a record, the display numbers of the
// records after the score, the last measure with contents, and appending measures
// (and taking appended ones back).
//
// The table has MaxMeasures records; the score uses 1..count and keeps four spare
// records (count + 1 .. count + 4) with their cells, so that editing at the end
// always finds a record. Appending a measure therefore makes the cells of count + 5,
// which MeasureLimit keeps inside the table.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/model_reports.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/spacing/spacing_list.h"

namespace ql {

namespace {

constexpr int kAppendReportLine = 1194;
constexpr int64_t kMaxMeasureTicks = 0xFFFF;
constexpr int kMaxBeatUnitShift = 16;

// A new cell for a staff's spare measure, copied from the staff's cell of `source`.
MeasureCell* MakeSpareCell(ScoreDocument* document, int staff, int source) {
    MeasureCell* cell = AllocMeasureCell(sizeof(MeasureCell));
    if (cell == nullptr) return nullptr;
    if (!CopyMeasureCell(cell, FindMeasureCell(document, staff, source))) {
        DetachCellObjectList(cell, document, 1);
        FreeMeasureCell(cell);
        return nullptr;
    }
    return cell;
}

void FreeCell(ScoreDocument* document, RecordHandle& handle) {
    if (MeasureCell* cell = FindRecord<MeasureCell>(kMeasureCellPool, handle)) {
        FreeMeasureCellLists(cell);
        DetachCellObjectList(cell, document, 1);
        FreeMeasureCell(cell);
    }
    handle = RecordHandle{};
}

// Cells of measure `spare` for staff 0 and every staff; on a failure the cells made
// here are freed again and false returned.
bool MakeSpareCells(ScoreDocument* document, int spare) {
    std::vector<RecordHandle*> made;
    for (int staff = 0; staff <= document->header.staffCount; ++staff) {
        CellHandleArray* cells = CellArrayOf(StaffRecordOf(document, staff));
        if (cells == nullptr || FindRecord<MeasureCell>(kMeasureCellPool, cells->cells[spare]))
            continue;
        MeasureCell* cell = MakeSpareCell(document, staff, document->header.measureCount);
        if (cell == nullptr) {
            for (RecordHandle* handle : made) FreeCell(document, *handle);
            return false;
        }
        cells->cells[spare] = PtrToHandle(kMeasureCellPool, cell);
        made.push_back(&cells->cells[spare]);
    }
    return true;
}

// Ticks of the time signature in force in staff 1's cell of a measure.
uint16_t TimeSignatureTicks(ScoreDocument* document, int measure) {
    const MeasureCell* cell = FindMeasureCell(document, 1, measure);
    if (cell == nullptr) return static_cast<uint16_t>(DefaultMeasureTicks());
    const int shift = std::min<int>(cell->beatUnit, kMaxBeatUnitShift);
    return static_cast<uint16_t>(std::min(static_cast<int64_t>(cell->beats) << shift, kMaxMeasureTicks));
}

}  // namespace

void RebuildMeasureIndex(ScoreDocument* document) {
    if (document == nullptr || !document->measureTable) return;
    MeasureRecord* table = document->measureTable.get();
    const int count = std::min<int>(document->header.measureCount, MaxMeasures - 1);
    for (int m = count + 1; m < MaxMeasures; ++m) {
        const MeasureRecord& previous = table[m - 1];
        table[m].number = static_cast<uint16_t>(previous.number + previous.extra + 1);
        table[m].extra = 0;
    }
}

int LastUsedMeasure(ScoreDocument* document) {
    if (document == nullptr) return 0;
    const int count = std::min<int>(document->header.measureCount, MaxMeasures - 1);
    for (int m = count; m >= 1; --m)
        for (int staff = 1; staff <= document->header.staffCount; ++staff) {
            MeasureCell* cell = FindMeasureCell(document, staff, m);
            if (cell != nullptr && !IsCellEmpty(cell)) return m;
        }
    return 0;
}

int AppendMeasureRecord(ScoreDocument* document) {
    if (document == nullptr || !document->measureTable) return 0;
    const int count = document->header.measureCount;
    if (count + 1 > MeasureLimit) {
        ShowNotice(kMeasureLimitNotice);
        return 0;
    }
    const int spare = count + kSpareMeasures + 1;
    const int reports = LowMemoryReportCount();
    if (!MakeSpareCells(document, spare)) {
        // One box for the failure: a cell's own list may have shown it already.
        if (LowMemoryReportCount() == reports) ReportLowMemory("FMTPAGE", kAppendReportLine);
        return 0;
    }
    MeasureRecord* table = document->measureTable.get();
    MeasureRecord& record = table[spare];
    FreeSpacingList(record.spacing);
    ClearMeasureRecord(&record, document->internalDistances);
    document->header.measureCount = static_cast<uint16_t>(count + 1);
    record.lengthTicks = TimeSignatureTicks(document, spare);
    record.width = ProportionalWidth(record);
    record.number = static_cast<uint16_t>(table[spare - 1].number + table[spare - 1].extra + 1);
    if (spare + 1 < MaxMeasures)
        if (CellHandleArray* cells = CellArrayOf(StaffRecordOf(document, 0)))
            FreeCell(document, cells->cells[spare + 1]);
    SetDocumentModified(document);
    return 1;
}

void DropAppendedMeasures(ScoreDocument* document, int count) {
    if (document == nullptr || !document->measureTable || count < 0) return;
    const int top = document->header.measureCount;
    if (count >= top) return;
    // The measures above `count` were spare or appended: the spares stay where they
    // were, the records and cells made beyond them go.
    MeasureRecord* table = document->measureTable.get();
    for (int spare = count + kSpareMeasures + 1; spare <= top + kSpareMeasures && spare < MaxMeasures; ++spare) {
        for (int staff = 0; staff <= document->header.staffCount; ++staff)
            if (CellHandleArray* cells = CellArrayOf(StaffRecordOf(document, staff))) FreeCell(document, cells->cells[spare]);
        FreeSpacingList(table[spare].spacing);
        ClearMeasureRecord(&table[spare], document->internalDistances);
    }
    document->header.measureCount = static_cast<uint16_t>(count);
    RebuildMeasureIndex(document);
}

}  // namespace ql
