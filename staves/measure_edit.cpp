// Inserting and deleting one measure at a barline. Insertion checks the measure
// limit, then makes every staff's new cell, and only then removes the ties that
// would cross the new barline and moves the table: a refusal leaves the pools as
// they were. Numbers follow the numbering rule (number(m + 1) = number(m) +
// restMeasureCount(m) + 1); a measure whose number breaks it starts a run of its
// own and keeps it. The pages follow: the system holding the measure grows or
// shrinks by one.
#include "staves/measure_edit.h"

#include <algorithm>
#include <vector>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/ui/status_bar.h"
#include "display/linked_views.h"
#include "layout/measure_spacing.h"
#include "layout/page_edit.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/spacing/spacing_list.h"
#include "notes/ties/ties.h"
#include "staves/measure_shift.h"
#include "staves/time_signature.h"

namespace ql {

namespace {

// Measures are inserted and deleted at a barline only while the selection holds no
// items (a focused note, a marquee's contents): those edits own the keys then.
bool SelectionHoldsItems() {
    const SelectionState* s = TheSelectionState();
    return s != nullptr && s->selectedCount != 0;
}

constexpr int kInsertFailLine = 4518;
constexpr int kLongestChain = 4096;
constexpr uint16_t kLongestLength = 0xFFFF;

bool HasTable(const ScoreView* view) {
    return view != nullptr && view->document != nullptr && view->document->measureTable;
}

// Staff 1's signature length of the cell at a measure, as a 16-bit length.
uint16_t CellLength(ScoreDocument* document, int measure) {
    const MeasureCell* cell = FindMeasureCell(document, 1, measure);
    if (cell == nullptr) return static_cast<uint16_t>(DefaultMeasureTicks());
    return static_cast<uint16_t>(std::min<int64_t>(SignatureTicks(cell->beats, cell->beatUnit), kLongestLength));
}

// Numbers of an inserted measure and the measures after it: the new measure
// continues the run before it, and the measure it pushed on moves on with its run
// by one when it continued that run; a measure that began a numbering break keeps
// its number.
void NumberInsertedMeasure(ScoreDocument* document, int measure) {
    MeasureRecord* table = document->measureTable.get();
    if (measure > 1) {
        const int number = NumberAfter(document, measure - 1);
        table[measure].number = static_cast<uint16_t>(number);
        if (measure + 1 <= document->header.measureCount && table[measure + 1].number == number)
            ShiftRunNumbers(document, measure + 1, 1);
        return;
    }
    const int oldFirst = table[2].number;
    if (oldFirst == 0 || oldFirst == 1) {
        table[1].number = static_cast<uint16_t>(oldFirst);
        ShiftRunNumbers(document, 2, 1);
    } else {
        table[1].number = static_cast<uint16_t>(oldFirst - 1);
    }
}

void FinishMeasureEdit(ScoreView* view, uint8_t leftBarFlag) {
    ScoreDocument* document = view->document;
    MeasureRecord* first = MeasureRecordOf(document, 1);
    first->flags = static_cast<uint8_t>((first->flags & ~kMeasureLeftBarHidden) | leftBarFlag);
    RebuildMeasureIndex(document);
    SetDocumentModified(document);
    InvalidateLinkedViews(view);
    UpdateLinkedViews(view);
}

}  // namespace

void RemoveTiesInMeasure(ScoreView* view, int measure) {
    if (!HasTable(view)) return;
    ScoreDocument* document = view->document;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        MeasureCell* cell = FindMeasureCell(document, staff, measure);
        if (cell == nullptr) continue;
        for (int voice = 0; voice < kVoiceCount; ++voice) {
            if (!cell->voices[voice]) continue;
            EventRecord* event = GetVoiceFirstEvent(cell, voice);
            for (int guard = 0; event != nullptr && guard < kLongestChain; ++guard) {
                UntieNoteAt(view, event, staff, measure, voice);
                event = NextEvent(event);
                if (event != nullptr && IsHeadSentinel(*event)) break;
            }
        }
    }
}

int InsertMeasure(ScoreView* view, int measure) {
    if (!HasTable(view) || SelectionHoldsItems()) return 0;
    ScoreDocument* document = view->document;
    const int count = document->header.measureCount;
    if (measure < 1 || measure > count + 1) return 0;
    if (count + 1 > MeasureLimit) {
        ShowNotice(kMeasureLimitNotice);
        return 0;
    }
    std::vector<RecordHandle> cells;
    if (!MakeInsertedCells(document, std::max(1, measure - 1), &cells)) {
        ReportModuleLine(kBarlineEditModule, kInsertFailLine, kResourcesLowText);
        return 0;
    }
    const uint8_t leftBar = MeasureRecordOf(document, 1)->flags & kMeasureLeftBarHidden;
    if (measure > 1) RemoveTiesInMeasure(view, measure - 1);
    ShiftMeasuresUp(document, measure, cells);
    document->header.measureCount = static_cast<uint16_t>(count + 1);
    NumberInsertedMeasure(document, measure);
    MeasureRecord& record = *MeasureRecordOf(document, measure);
    record.extra = 0;
    record.lengthTicks = CellLength(document, measure);
    record.width = ProportionalWidth(record);
    FollowMeasureEdit(view, measure, 1);
    FinishMeasureEdit(view, leftBar);
    return 1;
}

int DeleteMeasureAtBarline(ScoreView* view, int measure) {
    if (!HasTable(view) || SelectionHoldsItems()) return 0;
    ScoreDocument* document = view->document;
    const int count = document->header.measureCount;
    if (measure < 1 || measure > count || count <= 1) return 0;
    const uint8_t leftBar = MeasureRecordOf(document, 1)->flags & kMeasureLeftBarHidden;
    if (measure > 1) RemoveTiesInMeasure(view, measure - 1);
    RemoveTiesInMeasure(view, measure);
    const int oldNumber = MeasureRecordOf(document, measure)->number;
    const int oldRunNext = NumberAfter(document, measure);
    ShiftMeasuresDown(document, measure);
    document->header.measureCount = static_cast<uint16_t>(count - 1);
    // The measure now here continued the deleted one's run: the run closes up. One that
    // began a numbering break keeps its number.
    if (measure <= count - 1 && MeasureRecordOf(document, measure)->number == oldRunNext)
        ShiftRunNumbers(document, measure, oldNumber - oldRunNext);
    FollowMeasureEdit(view, measure, -1);
    FinishMeasureEdit(view, leftBar);
    return 1;
}

}  // namespace ql
