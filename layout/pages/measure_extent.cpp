// The extent and numbering of the measure table (module FMTPAGE): adding measures
// at the end, all or none (the views' measure scroll bars follow), inserting measures in the
// middle with a full roll-back on a failed allocation, and renumbering from a
// measure or from the view's page.
#include <algorithm>
#include <vector>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "display/linked_views.h"
#include "display/view_modes.h"
#include "layout/measure_spacing.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/spacing/spacing_list.h"

namespace ql {

namespace {

constexpr int kInsertFailLine = 784;
constexpr int kInsertLowLine = 785;
constexpr char kNoticeWord[] = "Notice: ";
constexpr char kLowResources[] = "Resource memory is low.\nReleasing some resources...";
constexpr int kMaxBeatUnitShift = 16;
constexpr int kMaxTicks = 0xFFFF;

// Ticks of the time signature in force in staff 1's cell of a measure.
uint16_t SignatureTicks(ScoreDocument* document, int measure) {
    const MeasureCell* cell = FindMeasureCell(document, 1, measure);
    if (cell == nullptr) return static_cast<uint16_t>(DefaultMeasureTicks());
    const int shift = std::min<int>(cell->beatUnit, kMaxBeatUnitShift);
    return static_cast<uint16_t>(std::min<int64_t>(int64_t{cell->beats} << shift, kMaxTicks));
}

// A cleared record of a given length with its proportional width.
void ClearToLength(ScoreDocument* document, MeasureRecord& record, uint16_t ticks) {
    record.spacing = RecordHandle{};
    ClearMeasureRecord(&record, document->internalDistances);
    record.extra = 0;
    record.lengthTicks = ticks;
    record.width = ProportionalWidth(record);
}

void FreeCellHandle(ScoreDocument* document, RecordHandle& handle) {
    if (MeasureCell* cell = FindRecord<MeasureCell>(kMeasureCellPool, handle)) {
        FreeMeasureCellLists(cell);
        DetachCellObjectList(cell, document, 1);
        FreeMeasureCell(cell);
    }
    handle = RecordHandle{};
}

// count new cells per staff (staff 0 included) copied from measure `source`;
// false with nothing kept when one could not be had.
bool MakeInsertedCells(ScoreDocument* document, int source, int count,
                       std::vector<std::vector<RecordHandle>>* made) {
    made->assign(document->header.staffCount + 1, {});
    for (int staff = 0; staff <= document->header.staffCount; ++staff) {
        for (int i = 0; i < count; ++i) {
            MeasureCell* cell = AllocMeasureCell(sizeof(MeasureCell));
            if (cell != nullptr && CopyMeasureCell(cell, FindMeasureCell(document, staff, source))) {
                (*made)[staff].push_back(PtrToHandle(kMeasureCellPool, cell));
                continue;
            }
            if (cell != nullptr) FreeMeasureCell(cell);
            for (auto& handles : *made)
                for (RecordHandle& handle : handles) FreeCellHandle(document, handle);
            return false;
        }
    }
    return true;
}

// Moves records and cell handles at..top up by count (top first).
void ShiftUp(ScoreDocument* document, int at, int top, int count) {
    MeasureRecord* table = document->measureTable.get();
    for (int staff = 0; staff <= document->header.staffCount; ++staff) {
        CellHandleArray* cells = CellArrayOf(StaffRecordOf(document, staff));
        if (cells == nullptr) continue;
        for (int m = top + 1; m <= top + count; ++m) FreeCellHandle(document, cells->cells[m]);
        for (int m = top; m >= at; --m) cells->cells[m + count] = cells->cells[m];
        for (int m = at; m < at + count; ++m) cells->cells[m] = RecordHandle{};
    }
    for (int m = top + 1; m <= top + count; ++m) FreeSpacingList(table[m].spacing);
    for (int m = top; m >= at; --m) table[m + count] = table[m];
}

}  // namespace

int AddMeasures(ScoreView* view, int n) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || !document->measureTable) return 0;
    n = std::min(n, MeasureLimit);
    const int before = document->header.measureCount;
    while (document->header.measureCount < n) {
        if (AppendMeasureRecord(document) == 0) {
            DropAppendedMeasures(document, before);  // all or nothing: the count as it was
            return 0;
        }
    }
    RebuildMeasureIndex(document);
    // The scroll view's bar counts measures; a file being written shows nothing.
    if (document->header.measureCount != before && State().files.MidiFileExporting == 0) SetViewScrollBars(view);
    return 1;
}

int InsertMeasures(ScoreView* view, int at, int count) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || !document->measureTable || count < 1) return 0;
    const int measures = document->header.measureCount;
    if (at < 1 || at > measures + 1) return 0;
    if (measures + count > MeasureLimit) {
        ShowNotice(kMeasureLimitNotice);
        return 0;
    }
    const int source = std::max(1, at - 1);
    std::vector<std::vector<RecordHandle>> made;
    if (!MakeInsertedCells(document, source, count, &made)) {
        ReportModuleLine("FMTPAGE", kInsertFailLine, kNoticeWord);
        ReportModuleLine("FMTPAGE", kInsertLowLine, kLowResources);
        return 0;
    }
    const uint16_t ticks = SignatureTicks(document, source);
    ShiftUp(document, at, measures + kSpareMeasures + 1, count);
    MeasureRecord* table = document->measureTable.get();
    for (int i = 0; i < count; ++i) {
        ClearToLength(document, table[at + i], ticks);
        for (int staff = 0; staff <= document->header.staffCount; ++staff)
            if (CellHandleArray* cells = CellArrayOf(StaffRecordOf(document, staff)))
                cells->cells[at + i] = made[staff][i];
    }
    document->header.measureCount = static_cast<uint16_t>(measures + count);
    // The inserted measures continue the numbers before them; the moved ones keep
    // their runs and breaks, shifted by the count.
    for (int i = 0; i < count; ++i)
        table[at + i].number = static_cast<uint16_t>(at + i > 1 ? table[at + i - 1].number + table[at + i - 1].extra + 1 : 1);
    for (int m = at + count; m <= measures + count; ++m) table[m].number = static_cast<uint16_t>(table[m].number + count);
    RebuildMeasureIndex(document);
    SetDocumentModified(document);
    return 1;
}

void RenumberMeasuresFrom(ScoreDocument* document, int measure, int firstNumber) {
    if (document == nullptr || !document->measureTable || measure < 1 || measure >= MaxMeasures) return;
    MeasureRecord* table = document->measureTable.get();
    const int count = std::min<int>(document->header.measureCount, MaxMeasures - 1);
    int oldPrevious = table[measure].number;
    table[measure].number = static_cast<uint16_t>(firstNumber);
    for (int m = measure + 1; m <= count; ++m) {
        const MeasureRecord& previous = table[m - 1];
        // An old number that did not continue its old run is a deliberate break.
        if (table[m].number != oldPrevious + previous.extra + 1) break;
        oldPrevious = table[m].number;
        table[m].number = static_cast<uint16_t>(previous.number + previous.extra + 1);
    }
    RebuildMeasureIndex(document);
}

void RenumberFromCurrentPage(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    ScorePage* page = view != nullptr ? view->currentPage : nullptr;
    if (document == nullptr || !pages::IsPageInList(document, page) || !document->measureTable) return;
    const int first = page->firstMeasure;
    if (first < 1 || first >= MaxMeasures) return;
    const MeasureRecord* table = document->measureTable.get();
    const int number = first == 1 ? 1 : table[first - 1].number + table[first - 1].extra + 1;
    RenumberMeasuresFrom(document, first, number);
    InvalidateLinkedViews(view);
}

}  // namespace ql
