// Combining runs of empty measures into multi-measure rests and expanding them: the
// emptiness check of a cell, the scan of a run, the combination and the expansion,
// and the measure primitives they use. A run's rest count is the sum of what its
// measures stand for (a measure already holding a rest adds its own count), capped
// at one byte.
#include "staves/multi_measure_rest.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/constants.h"
#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar.h"
#include "display/linked_views.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/spacing/spacing_list.h"
#include "staves/measure_shift.h"
#include "staves/time_signature.h"

namespace ql {

namespace {

constexpr int kInsertFailLine = 4950;
constexpr int kLongestList = 4096;
constexpr uint16_t kLongestLength = 0xFFFF;
constexpr char kNotesText[] = "Barline not empty--contains notes.";
constexpr char kFirstItemsText[] = "First bar of MMR not empty--contains measure-owned items.";
constexpr char kLaterItemsText[] = "Barline not empty--contains measure-owned items.";

bool HasTable(const ScoreView* view) {
    return view != nullptr && view->document != nullptr && view->document->measureTable;
}

bool IsTypeOneOf(int type, std::initializer_list<ObjectType> types) {
    for (ObjectType t : types)
        if (type == TypeCode(t)) return true;
    return false;
}

bool HasNoText(ScoreObject* object, ScoreView* view) {
    const char* text = TextClassOf(object).GetDisplayText(object, view);
    return text == nullptr || text[0] == '\0';
}

// Whether an object of the cell's list may stand in a measure of a run.
bool MayStandInRun(ScoreObject* object, ScoreView* view, bool firstOfRun) {
    if (firstOfRun)
        return IsTypeOneOf(object->type, {ObjectType::Tempo, ObjectType::Text, ObjectType::TextBox,
                                          ObjectType::Symbol, ObjectType::ImageText,
                                          ObjectType::RepeatEnding});
    return IsTypeOneOf(object->type, {ObjectType::Text, ObjectType::TextBox}) && HasNoText(object, view);
}

std::string MeasureText(const char* format, int number) {
    char text[128];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

// The cell arrays of every staff, looked up once for a scan, and the cells of one
// measure fetched from them.
class StaffCells {
  public:
    explicit StaffCells(ScoreDocument* document) : document_(document) {
        for (int staff = 0; staff <= document->header.staffCount; ++staff)
            arrays_.push_back(CellArrayOf(StaffRecordOf(document, staff)));
    }
    ScoreDocument* document() const { return document_; }
    int staffCount() const { return static_cast<int>(arrays_.size()) - 1; }
    MeasureCell* At(int staff, int measure) const {
        if (staff < 0 || staff > staffCount() || arrays_[staff] == nullptr || measure < 0 || measure >= MaxMeasures)
            return nullptr;
        return FindRecord<MeasureCell>(kMeasureCellPool, arrays_[staff]->cells[measure]);
    }
    // Cells of staves 1..count of a measure (index 0 unused).
    void Fetch(int measure, std::vector<MeasureCell*>* out) const {
        out->assign(arrays_.size(), nullptr);
        for (int staff = 1; staff <= staffCount(); ++staff) (*out)[staff] = At(staff, measure);
    }

  private:
    ScoreDocument* document_;
    std::vector<const CellHandleArray*> arrays_;
};
using MeasureCells = std::vector<MeasureCell*>;

uint16_t FullLength(const MeasureCell* staffOne) {
    if (staffOne == nullptr) return 0;
    return static_cast<uint16_t>(std::min<int64_t>(SignatureTicks(staffOne->beats, staffOne->beatUnit), kLongestLength));
}

uint16_t FullLength(ScoreDocument* document, int measure) {
    return FullLength(StaffCells(document).At(1, measure));
}

// Every staff's cell of a measure passes the emptiness check.
bool IsMeasureEmptyForRest(ScoreView* view, const MeasureCells& cells, int measure, int first, std::string* reason) {
    for (size_t staff = 1; staff < cells.size(); ++staff)
        if (!CheckMeasureEmptyForRest(view, measure, cells[staff], first, reason)) return false;
    return true;
}

// What stops a run at a later measure (empty when it may join): the checks in the
// order the reasons are given.
std::string LaterMeasureStop(ScoreView* view, const MeasureCells& cells, const MeasureCells& before, int start,
                             int measure) {
    ScoreDocument* document = view->document;
    const MeasureRecord& record = *MeasureRecordOf(document, measure);
    if (record.barline != 0) return MeasureText("Complex barline encountered in measure %d.", record.number);
    if (record.number != NumberAfter(document, measure - 1))
        return MeasureText("Measure number break encountered in measure %d.", record.number);
    std::string reason;
    if (!IsMeasureEmptyForRest(view, cells, measure, start, &reason)) return reason;
    for (size_t staff = 1; staff < cells.size(); ++staff) {
        const MeasureCell* cell = cells[staff];
        const MeasureCell* previous = before[staff];
        if (cell == nullptr || previous == nullptr) continue;
        if (cell->beats != previous->beats || cell->beatUnit != previous->beatUnit)
            return MeasureText("Time change encountered at measure %d.", record.number);
        if ((cell->clefKey >> kKeyNibbleShift) != (previous->clefKey >> kKeyNibbleShift))
            return MeasureText("Key change encountered at measure %d.", record.number);
    }
    return {};
}

std::string LengthStop(ScoreDocument* document, const MeasureCells& cells, int measure) {
    const MeasureRecord& record = *MeasureRecordOf(document, measure);
    const uint16_t full = FullLength(cells.size() > 1 ? cells[1] : nullptr);
    if (record.lengthTicks == full) return {};
    return MeasureText(record.lengthTicks < full ? "Measure %d contains less than normal beats."
                                                 : "Measure %d contains greater than normal beats.",
                       record.number);
}

// The count a run start..end stands for: the measures and the rests already in it.
int RunRestCount(ScoreDocument* document, int start, int end) {
    int count = end - start;
    for (int m = start; m <= end; ++m) count += MeasureRecordOf(document, m)->extra;
    return count;
}

void RestoreLeftBar(ScoreDocument* document, uint8_t leftBar) {
    MeasureRecord* first = MeasureRecordOf(document, 1);
    first->flags = static_cast<uint8_t>((first->flags & ~kMeasureLeftBarHidden) | leftBar);
}

uint8_t LeftBarOf(ScoreDocument* document) {
    return MeasureRecordOf(document, 1)->flags & kMeasureLeftBarHidden;
}

// The record of a measure just inserted: no rest, staff 1's length, default spacing.
void FillInsertedRecord(ScoreDocument* document, int measure) {
    MeasureRecord& record = *MeasureRecordOf(document, measure);
    record.extra = 0;
    record.lengthTicks = FullLength(document, measure);
    record.width = ProportionalWidth(record);
}

}  // namespace

bool CheckMeasureEmptyForRest(ScoreView* view, int measure, MeasureCell* cell, int first,
                              std::string* reason) {
    if (cell == nullptr) return true;
    auto refuse = [reason](const char* text) {
        if (reason != nullptr) *reason = text;
        return false;
    };
    for (int voice = 0; voice < kVoiceCount; ++voice)
        if (cell->voices[voice] && GetVoiceFirstEvent(cell, voice) != nullptr) return refuse(kNotesText);
    const bool firstOfRun = measure == first;
    ScoreObject* head = cell->objects.get();
    ScoreObject* object = head != nullptr ? head->next.get() : nullptr;
    for (int guard = 0; object != nullptr && guard < kLongestList; ++guard, object = object->next.get()) {
        if (object->type == TypeCode(ObjectType::Rest)) continue;
        if (!MayStandInRun(object, view, firstOfRun)) return refuse(firstOfRun ? kFirstItemsText : kLaterItemsText);
    }
    return true;
}

int ScanRestRun(ScoreView* view, int start, std::string* reason) {
    if (!HasTable(view)) return start - 1;
    ScoreDocument* document = view->document;
    const int count = document->header.measureCount;
    const StaffCells staves(document);
    MeasureCells cells, before;
    std::string stop;
    int last = start - 1;
    int restCount = -1;  // what start..m stands for, less one
    for (int m = start; m <= count; ++m) {
        std::swap(cells, before);
        staves.Fetch(m, &cells);
        stop = LengthStop(document, cells, m);
        if (stop.empty() && m > start) stop = LaterMeasureStop(view, cells, before, start, m);
        if (stop.empty() && m == start) IsMeasureEmptyForRest(view, cells, m, start, &stop);
        restCount += MeasureRecordOf(document, m)->extra + 1;
        if (!stop.empty() || restCount > kMostRestCount) break;
        last = m;
    }
    if (reason != nullptr) *reason = stop;
    return last;
}

bool CombineMeasures(ScoreView* view, int start, int end) {
    if (!HasTable(view) || end <= start || start < 1) return false;
    ScoreDocument* document = view->document;
    end = std::min<int>(end, document->header.measureCount);
    const int restCount = RunRestCount(document, start, end);
    if (end <= start || restCount > kMostRestCount) return false;
    const uint8_t leftBar = LeftBarOf(document);
    for (int staff = 1; staff <= document->header.staffCount; ++staff)
        ClearMeasureCell(FindMeasureCell(document, staff, start), document);
    MeasureRecordOf(document, start)->extra = static_cast<uint8_t>(restCount);
    DeleteMeasures(view, start + 1, end - start);
    RestoreLeftBar(document, leftBar);
    return true;
}

int CombineEmptyMeasures(ScoreView* view, int first, int last) {
    if (!HasTable(view)) return 0;
    int made = 0;
    for (int m = std::max(first, 1); m <= last && m <= view->document->header.measureCount; ++m) {
        const int end = std::min(ScanRestRun(view, m, nullptr), last);
        if (end > m && CombineMeasures(view, m, end)) {
            last -= end - m;
            ++made;
        }
    }
    return made;
}

int InsertEmptyMeasureAt(ScoreView* view, int measure) {
    return InsertEmptyMeasures(view != nullptr ? view->document : nullptr, view, measure, 1);
}

// count measures in front of `measure`, all cells made first; the new measures are
// numbered on from the one before.
int InsertEmptyMeasures(ScoreDocument* document, ScoreView* view, int measure, int count) {
    if (!HasTable(view) || document != view->document || count < 1) return 0;
    const int measures = document->header.measureCount;
    if (measure < 1 || measure > measures + 1) return 0;
    if (measures + count > MeasureLimit) {
        ShowNotice(kMeasureLimitNotice);
        return 0;
    }
    std::vector<std::vector<RecordHandle>> made(count);
    for (int i = 0; i < count; ++i) {
        if (MakeInsertedCells(document, measure - 1, &made[i])) continue;
        for (auto& cells : made) FreeInsertedCells(document, &cells);
        ReportModuleLine(kRestModule, kInsertFailLine, "Resource memory is low.\nReleasing some resources...");
        return 0;
    }
    const uint8_t leftBar = LeftBarOf(document);
    for (int i = 0; i < count; ++i) {
        ShiftMeasuresUp(document, measure + i, made[i]);
        document->header.measureCount = static_cast<uint16_t>(measures + i + 1);
        FillInsertedRecord(document, measure + i);
        if (measure + i > 1)
            MeasureRecordOf(document, measure + i)->number =
                static_cast<uint16_t>(MeasureRecordOf(document, measure + i - 1)->number + 1);
    }
    RestoreLeftBar(document, leftBar);
    RebuildMeasureIndex(document);
    return 1;
}

int DeleteMeasureAt(ScoreView* view, int measure) {
    return DeleteMeasures(view, measure, 1);
}

// The measures go in one move and as many empty ones are appended at the end (their
// cells the deleted ones, emptied), as the same number of single deletions would
// leave the table.
int DeleteMeasures(ScoreView* view, int measure, int count) {
    if (!HasTable(view)) return 0;
    ScoreDocument* document = view->document;
    const int measures = document->header.measureCount;
    if (measure < 1 || measure > measures || count < 1) return 0;
    count = std::min(count, measures - measure + 1);
    const uint8_t leftBar = LeftBarOf(document);
    RecycleMeasures(document, measure, count);
    RebuildMeasureIndex(document);
    RestoreLeftBar(document, leftBar);
    return 1;
}

int ExpandMultiMeasureRest(ScoreView* view, int measure) {
    if (!HasTable(view)) return 0;
    ScoreDocument* document = view->document;
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (measure < 1 || measure > document->header.measureCount || record == nullptr || record->extra == 0)
        return 0;
    const int added = record->extra;
    if (!InsertEmptyMeasures(document, view, measure + 1, added)) return 0;
    MeasureRecordOf(document, measure)->extra = 0;
    RebuildMeasureIndex(document);
    SetDocumentModified(document);
    return 1;
}

}  // namespace ql
