// Measure cells and staff records: making, copying, emptying and freeing them.
// A staff's cells live in its pool-10 cell array, one handle per measure.
#include <cstring>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"

namespace ql {

namespace {

constexpr int kStaffReportLine = 1490;
constexpr int kStaffCopyReportLine = 1519;
constexpr int kStaffCountReportLine = 1547;
constexpr int kStaffFromReportLine = 1579;
constexpr int kStaffFromListReportLine = 1588;
constexpr int kFirstExtraTimbre = 1;
constexpr int kTimbreCount = 4;
constexpr int kClearedStaffDataBytes = 4;

RecordHandle CellHandle(MeasureCell* cell) {
    return PtrToHandle(kMeasureCellPool, cell);
}

MeasureCell* ResolveCell(RecordHandle handle) {
    return FindRecord<MeasureCell>(kMeasureCellPool, handle);
}

}  // namespace

CellDefaults CurrentCellDefaults() {
    const PreferenceDefaults& prefs = ProgramPreferences();
    CellDefaults defaults;
    defaults.clef = prefs.clef;
    defaults.key = prefs.key;
    defaults.beats = prefs.timeBeats;
    defaults.beatUnit = prefs.timeBeatUnitExponent;
    return defaults;
}

CellHandleArray* CellArrayOf(const StaffRecord* staff) {
    return staff == nullptr ? nullptr : staff->cells.get();
}

MeasureCell* AllocMeasureCell(size_t /*size*/) {
    return AllocRecordAs<MeasureCell>(kMeasureCellPool);
}

void FreeMeasureCell(MeasureCell* cell) {
    FreeRecord(kMeasureCellPool, cell);
}

namespace {

// A fresh cell: the program defaults, no voices, `head` as its object list.
void FillNewCell(MeasureCell* cell, const CellDefaults& defaults, ScoreObject* head) {
    std::memset(cell, 0, sizeof(MeasureCell));
    cell->clefKey =
        static_cast<uint8_t>((defaults.clef & kClefNibbleMask) | (defaults.key << kKeyNibbleShift));
    cell->beats = defaults.beats;
    cell->beatUnit = defaults.beatUnit;
    cell->objects = Ref32<ScoreObject>::To(head);
}

}  // namespace

int InitMeasureCell(MeasureCell* cell) {
    if (cell == nullptr) return 0;
    FillNewCell(cell, CurrentCellDefaults(), nullptr);
    ScoreObject* head = AllocRootObject();
    cell->objects = Ref32<ScoreObject>::To(head);
    return head != nullptr ? 1 : 0;
}

int InitMeasureCellWithVoices(MeasureCell* cell, RecordHandle sentinel) {
    int made = InitMeasureCell(cell);
    if (cell != nullptr)
        for (RecordHandle& voice : cell->voices) voice = sentinel;
    return made;
}

int CopyMeasureCell(MeasureCell* cell, const MeasureCell* tmpl) {
    if (cell == nullptr) return 0;
    if (tmpl == nullptr) return InitMeasureCell(cell);
    std::memcpy(cell, tmpl, sizeof(MeasureCell));
    for (int v = 0; v < kVoiceCount; ++v) {
        cell->voices[v] = RecordHandle{};
        cell->elementLists[v] = RecordHandle{};
    }
    cell->trailingWords[0] = cell->trailingWords[1] = 0;
    ScoreObject* head = AllocRootObject();
    cell->objects = Ref32<ScoreObject>::To(head);
    return head != nullptr ? 1 : 0;
}

void SetCellFlagBits(MeasureCell* cell, uint8_t bits, int on) {
    if (cell == nullptr) return;
    cell->cellFlags = on ? (cell->cellFlags | bits) : (cell->cellFlags & ~bits);
}

MeasureCell* GetOrCreateMeasureCell(StaffRecord* staff, ScoreDocument* document, int measure) {
    CellHandleArray* cells = CellArrayOf(staff);
    if (cells == nullptr || document == nullptr) return nullptr;
    if (measure < 0) measure = 1;
    const int last = document->header.measureCount + kSpareMeasures;
    if (measure > last) measure = last;
    if (measure >= MaxMeasures) return nullptr;
    RecordHandle& handle = cells->cells[measure];
    if (handle) return ResolveCell(handle);
    MeasureCell* cell = AllocMeasureCell(sizeof(MeasureCell));
    if (cell == nullptr) return nullptr;
    if (!InitMeasureCell(cell)) {
        FreeMeasureCell(cell);
        return nullptr;
    }
    handle = CellHandle(cell);
    return cell;
}

ScoreObject* GetOrCreateCellObjectList(MeasureCell* cell) {
    if (cell == nullptr) return nullptr;
    if (!cell->objects) cell->objects = Ref32<ScoreObject>::To(AllocRootObject());
    return cell->objects.get();
}

void DetachCellObjectList(MeasureCell* cell, ScoreDocument* document, int free) {
    if (cell == nullptr || !cell->objects) return;
    ScoreObject* head = cell->objects.get();
    ReleaseObjectChain(head, document);
    if (free) {
        ReleaseObjectByType(document, head);
        cell->objects = Ref32<ScoreObject>{};
    }
}

// A rest in a voice's element list is content too: a cell holding only rests is
// not empty, so that no caller deletes or truncates it without asking.
int IsCellEmpty(MeasureCell* cell) {
    if (cell == nullptr) return 1;
    for (int v = 0; v < kVoiceCount; ++v)
        if (GetVoiceFirstEvent(cell, v) != nullptr || GetVoiceFirstElement(cell, v) != nullptr)
            return 0;
    ScoreObject* head = cell->objects.get();
    return (head != nullptr && head->next) ? 0 : 1;
}

namespace {

void ReleaseElementList(MeasureCell* cell, int voice, ScoreDocument* document, bool destroyHeader) {
    ScoreObject* list = GetVoiceElementList(cell, voice);
    if (list == nullptr) return;
    ReleaseObjectChain(list, document);
    if (destroyHeader) {
        ReleaseObjectByType(document, list);
        cell->elementLists[voice] = RecordHandle{};
    }
}

bool IsSharedSentinel(ScoreDocument* document, RecordHandle head) {
    return document != nullptr && head == document->headSentinel;
}

}  // namespace

void FreeCellVoices(MeasureCell* cell, ScoreDocument* document, int detach) {
    if (cell == nullptr) return;
    for (int v = 0; v < kVoiceCount; ++v) {
        EventRecord* head = GetVoiceHead(cell, v);
        if (head != nullptr) FreeEventChain(head);
        ReleaseElementList(cell, v, document, detach != 0);
        if (detach && cell->voices[v] && !IsSharedSentinel(document, cell->voices[v])) {
            if (head != nullptr) {
                FreeEventAttachment(head);
                FreeEvent(head);
            }
            cell->voices[v] = RecordHandle{};
        }
    }
}

void ClearMeasureCell(MeasureCell* cell, ScoreDocument* document) {
    FreeCellVoices(cell, document, 0);
}

void FreeMeasureCellLists(MeasureCell* cell) {
    if (cell == nullptr) return;
    ScoreDocument* document = State().documents.CurrentDocument;
    for (int v = 0; v < kVoiceCount; ++v) {
        if (cell->voices[v] && !IsSharedSentinel(document, cell->voices[v])) {
            EventRecord* head = GetVoiceHead(cell, v);
            if (head != nullptr) {
                FreeEventChain(head);
                FreeEventAttachment(head);
                FreeEvent(head);
            }
            cell->voices[v] = RecordHandle{};
        }
        ReleaseElementList(cell, v, document, true);
    }
    DetachCellObjectList(cell, document, 1);
}

// ---- Staff records ----

StaffRecord* AllocStaffRecord() {
    return AllocRecordAs<StaffRecord>(kStaffRecordPool);
}

namespace {

enum class CellBuild : uint8_t { Plain, AllWithSentinel, CopyOfTemplate };

void ResetTimbres(StaffRecord* staff) {
    for (int t = kFirstExtraTimbre; t < kTimbreCount; ++t) {
        staff->timbres[t].port = kNoTimbrePort;
        staff->timbres[t].channel = 0;
        staff->timbres[t].patch = 0;
    }
}

// Frees cells 0..count-1 of a staff being built, last first, with their list heads,
// and clears their handles: a staff that could not be made whole keeps no cell.
void ReleaseBuiltCells(CellHandleArray* cells, ScoreDocument* document, int count) {
    for (int m = count - 1; m >= 0; --m) {
        if (MeasureCell* cell = ResolveCell(cells->cells[m])) {
            DetachCellObjectList(cell, document, 1);
            FreeMeasureCell(cell);
        }
        cells->cells[m] = RecordHandle{};
    }
}

// Cells 0..count-1 of a new staff, each fresh with its own list head; cell 0's
// voices hold `firstVoices` and the others' `otherVoices` (0 = none). The cells are
// taken as one run and their heads as another: the same records, in the same order,
// as a cell and its head at a time. All or none.
bool MakeFreshCells(CellHandleArray* cells, ScoreDocument* document, int count,
                    RecordHandle firstVoices, RecordHandle otherVoices) {
    if (count <= 0) return true;
    if (PoolSlotBytes(kMeasureCellPool) < sizeof(MeasureCell)) return false;
    void* records[MaxMeasures];
    ScoreObject* heads[MaxMeasures];
    const int made = AllocRecordRunWithHandles(kMeasureCellPool, count, records, cells->cells);
    if (made < count || !AllocRootObjectRun(count, heads)) {
        ReleaseBuiltCells(cells, document, made);
        return false;
    }
    const CellDefaults defaults = CurrentCellDefaults();
    for (int m = 0; m < count; ++m) {
        auto* cell = static_cast<MeasureCell*>(records[m]);
        FillNewCell(cell, defaults, heads[m]);
        const RecordHandle voices = m == 0 ? firstVoices : otherVoices;
        if (voices)
            for (RecordHandle& voice : cell->voices) voice = voices;
    }
    return true;
}

// Cells 0..lastMeasure copied from the template staff's (cell 0 with the document's
// head sentinel), a cell at a time: the template's own cells may be made on the way.
// All or none.
bool CopyTemplateCells(CellHandleArray* cells, ScoreDocument* document, int lastMeasure,
                       const StaffRecord* tmpl) {
    for (int m = 0; m <= lastMeasure; ++m) {
        MeasureCell* cell = AllocMeasureCell(sizeof(MeasureCell));
        int made = 0;
        if (cell != nullptr)
            made = m == 0 ? InitMeasureCellWithVoices(cell, document->headSentinel)
                          : CopyMeasureCell(cell, GetOrCreateMeasureCell(
                                                      const_cast<StaffRecord*>(tmpl), document, m));
        if (!made) {
            if (cell != nullptr) {
                DetachCellObjectList(cell, document, 1);
                FreeMeasureCell(cell);
            }
            ReleaseBuiltCells(cells, document, m);
            return false;
        }
        cells->cells[m] = CellHandle(cell);
    }
    return true;
}

// Makes cells 0..lastMeasure; false (cells[0] := 0, report shown) on a failure.
bool BuildStaffCells(StaffRecord* staff, ScoreDocument* document, int lastMeasure, CellBuild build,
                     RecordHandle sentinel, const StaffRecord* tmpl, int reportLine) {
    CellHandleArray* cells = static_cast<CellHandleArray*>(AllocRecord(kCellArrayPool));
    staff->cells = Ref32<CellHandleArray>::To(cells);
    if (cells == nullptr) {
        ReportLowMemory("STAFF", reportLine);
        return false;
    }
    if (lastMeasure >= MaxMeasures) lastMeasure = MaxMeasures - 1;
    bool made = false;
    if (build == CellBuild::CopyOfTemplate)
        made = CopyTemplateCells(cells, document, lastMeasure, tmpl);
    else if (build == CellBuild::AllWithSentinel)
        made = MakeFreshCells(cells, document, lastMeasure + 1, sentinel, sentinel);
    else
        made = MakeFreshCells(cells, document, lastMeasure + 1, document->headSentinel, RecordHandle{});
    if (!made) {
        cells->cells[0] = RecordHandle{};
        ReportLowMemory("STAFF", reportLine);
    }
    return made;
}

// The staff's own list head; without one the staff is incomplete and keeps no cell.
void AttachStaffObjectList(StaffRecord* staff, ScoreDocument* document) {
    ScoreObject* head = AllocRootObject();
    staff->objects = Ref32<ScoreObject>::To(head);
    if (head != nullptr) {
        staff->flags &= 0xFF00;
    } else if (CellHandleArray* cells = CellArrayOf(staff)) {
        ReleaseBuiltCells(cells, document, MaxMeasures);
    }
}

StaffRecord* StartStaff(StaffRecord* staff, bool resetTimbres) {
    std::memset(staff, 0, sizeof(StaffRecord));
    staff->flags = kNewStaffFlags;
    staff->baseKeyVelocity = kNewStaffKeyVelocity;
    if (resetTimbres) ResetTimbres(staff);
    return staff;
}

ScoreDocument* DocumentOfView(ScoreView* view) {
    return view != nullptr ? view->document : nullptr;
}

}  // namespace

StaffRecord* ConstructStaffRecord(StaffRecord* staff, ScoreView* view) {
    ScoreDocument* document = DocumentOfView(view);
    if (staff == nullptr || document == nullptr) return staff;
    StartStaff(staff, true);
    if (BuildStaffCells(staff, document, document->header.measureCount + kSpareMeasures,
                        CellBuild::Plain, RecordHandle{}, nullptr, kStaffReportLine))
        AttachStaffObjectList(staff, document);
    return staff;
}

StaffRecord* ConstructStaffRecordCopy(StaffRecord* staff, ScoreView* view, RecordHandle sentinel) {
    ScoreDocument* document = DocumentOfView(view);
    if (staff == nullptr || document == nullptr) return staff;
    StartStaff(staff, false);
    if (BuildStaffCells(staff, document, document->header.measureCount + kSpareMeasures,
                        CellBuild::AllWithSentinel, sentinel, nullptr, kStaffCopyReportLine))
        AttachStaffObjectList(staff, document);
    return staff;
}

StaffRecord* ConstructStaffRecordForCount(StaffRecord* staff, ScoreView* view, int count,
                                          RecordHandle sentinel) {
    ScoreDocument* document = DocumentOfView(view);
    if (staff == nullptr || document == nullptr) return staff;
    StartStaff(staff, false);
    if (BuildStaffCells(staff, document, count + kSpareMeasures, CellBuild::AllWithSentinel,
                        sentinel, nullptr, kStaffCountReportLine))
        AttachStaffObjectList(staff, document);
    return staff;
}

StaffRecord* ConstructStaffRecordFrom(StaffRecord* staff, ScoreView* view,
                                      const StaffRecord* tmpl) {
    ScoreDocument* document = DocumentOfView(view);
    if (staff == nullptr || document == nullptr) return staff;
    if (tmpl == nullptr) return ConstructStaffRecord(staff, view);
    std::memcpy(staff, tmpl, sizeof(StaffRecord));
    std::memset(staff->staffData22, 0, kClearedStaffDataBytes);
    ResetTimbres(staff);
    staff->objects = Ref32<ScoreObject>{};
    if (!BuildStaffCells(staff, document, document->header.measureCount + kSpareMeasures,
                         CellBuild::CopyOfTemplate, RecordHandle{}, tmpl, kStaffFromReportLine))
        return staff;
    AttachStaffObjectList(staff, document);
    if (!staff->objects) ReportLowMemory("STAFF", kStaffFromListReportLine);
    return staff;
}

bool IsStaffComplete(const StaffRecord* staff) {
    const CellHandleArray* cells = CellArrayOf(staff);
    return cells != nullptr && cells->cells[0] && staff->objects;
}

void FreeStaffRecordArrays(StaffRecord* staff) {
    if (staff == nullptr) return;
    ScoreDocument* document = State().documents.CurrentDocument;
    if (CellHandleArray* cells = CellArrayOf(staff)) {
        for (RecordHandle& handle : cells->cells) {
            if (MeasureCell* cell = ResolveCell(handle)) {
                FreeMeasureCellLists(cell);
                FreeMeasureCell(cell);
            }
            handle = RecordHandle{};
        }
        FreeRecord(kCellArrayPool, cells);
        staff->cells = Ref32<CellHandleArray>{};
    }
    if (ScoreObject* head = staff->objects.get()) {
        ReleaseObjectChain(head, document);
        ReleaseObjectByType(document, head);
        staff->objects = Ref32<ScoreObject>{};
    }
}

ScoreObject* GetStaffLabelObject(StaffRecord* staff) {
    if (staff == nullptr || !staff->objects) return nullptr;
    ScoreObject* first = staff->objects->next.get();
    return (first != nullptr && first->type == static_cast<uint8_t>(ObjectType::Label)) ? first
                                                                                        : nullptr;
}

// ---- Clef and key change counts of a cell ----

namespace {

constexpr int kChangeCountModulo = 16;
constexpr int kMaxCellObjects = 64 * 1024;

int CountCellObjectsOfType(const MeasureCell* cell, ObjectType type) {
    const ScoreObject* head = cell->objects.get();
    int count = 0;
    const ScoreObject* o = head != nullptr ? head->next.get() : nullptr;
    for (int i = 0; o != nullptr && i < kMaxCellObjects; ++i, o = o->next.get())
        if (o->type == TypeCode(type)) ++count;
    return count;
}

}  // namespace

void RecountCellClefChanges(MeasureCell* cell) {
    if (cell == nullptr) return;
    int count = CountCellObjectsOfType(cell, ObjectType::Clef) % kChangeCountModulo;
    cell->cellWord = static_cast<uint16_t>((cell->cellWord & ~kCellClefCountMask) | count);
}

void RecountCellKeyChanges(MeasureCell* cell) {
    if (cell == nullptr) return;
    int count = CountCellObjectsOfType(cell, ObjectType::KeySignature) % kChangeCountModulo;
    cell->cellWord = static_cast<uint16_t>((cell->cellWord & ~kCellKeyCountMask) |
                                           (count << kCellKeyCountShift));
}

}  // namespace ql
