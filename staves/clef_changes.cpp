// Clef changes over a range, stepping the clef, applying a dropped clef change and
// removing redundant ones (see clef_changes.h).
#include "staves/clef_changes.h"

#include <algorithm>
#include <array>

#include "core/error_report.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/model/signature_fields.h"
#include "core/objects/hit_record.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/ui/selection_services.h"
#include "core/ui/status_bar_notes.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "staves/change_range.h"
#include "staves/clef_key_relayout.h"

namespace ql {

namespace {

constexpr std::array<uint8_t, kClefStepCount> kClefStepOrder = {11, 5, 10, 12, 2, 13, 1, 14,
                                                               4,  9, 3, 8,  7, 0, 6};
// Bounds the walk of a damaged object list that loops.
constexpr int kMaxCellObjects = 64 * 1024;
// The staff element steps through the codes 0..9 only.
constexpr int kLastSteppedElementClef = CodeOf(ClefKind::Bass8vaBelow);

int StepIndexOf(int kind) {
    for (int i = 0; i < kClefStepCount; ++i)
        if (kClefStepOrder[i] == kind) return i;
    return -1;
}

void SetClefNibble(MeasureCell* cell, int clef) {
    if (cell == nullptr) return;
    cell->clefKey = static_cast<uint8_t>((cell->clefKey & ~kClefNibbleMask) |
                                         (clef & kClefNibbleMask));
}

bool IsClefChangeObject(const ScoreObject* o) {
    return o->type == TypeCode(ObjectType::Clef) &&
           o->subtype == SubtypeCode(ObjectSubtype::MeasureTimeList);
}

void RemoveClefObject(ScoreView* view, ScoreObject* clef) {
    const SelectionState* selection = TheSelectionState();
    if (selection != nullptr && selection->focusedObject.get() == clef &&
        selection->focusedObject.get() != selection->defaultObject.get())
        UnfocusElement(view);
    UnlinkObject(clef);
    ReleaseObjectByType(view->document, clef);
}

// Removes the redundant clef changes of one cell; true when `given` was one.
bool RemoveRedundantInCell(ScoreView* view, MeasureCell* cell, const ScoreObject* given) {
    const ScoreObject* prototype = view->document->prototypes[TypeCode(ObjectType::Clef)];
    ScoreObject* head = cell->objects.get();
    ScoreObject* o = head != nullptr ? head->next.get() : nullptr;
    bool removedGiven = false;
    for (int i = 0; o != nullptr && i < kMaxCellObjects; ++i) {
        ScoreObject* next = o->next.get();
        if (IsClefChangeObject(o) && o != prototype &&
            ClefKindOfObject(o) == ClefAtTick(cell, SignatureTickOfObject(o))) {
            removedGiven = removedGiven || o == given;
            RemoveClefObject(view, o);
        }
        o = next;
    }
    RecountCellClefChanges(cell);
    return removedGiven;
}

// The view's location becomes the staff and measure of the selection's focused hit
// record, when there is one.
void TakeSelectionLocation(ScoreView* view) {
    const SelectionState* selection = TheSelectionState();
    const HitRecord* focus = selection != nullptr ? selection->focusRecord.get() : nullptr;
    if (view == nullptr || focus == nullptr) return;
    view->currentStaff = focus->location.location.staff;
    view->currentMeasure = focus->location.location.measure;
}

}  // namespace

int SteppedClefKind(int kind, int step) {
    const int index = StepIndexOf(kind);
    if (index < 0) return kind;
    if (step == 0) step = 1;
    const int moved = ((index - step) % kClefStepCount + kClefStepCount) % kClefStepCount;
    return kClefStepOrder[moved];
}

bool IsUnpitchedClef(int kind) {
    return kind == CodeOf(ClefKind::Percussion) || kind == CodeOf(ClefKind::Tab);
}

int ApplyClefOverRange(ScoreView* view, const ClefRangeChange& change) {
    if (view == nullptr || view->document == nullptr || !IsValidClef(change.newClef)) return 0;
    ScoreDocument* document = view->document;
    if (change.staff < 1 || change.staff > document->header.staffCount) return 0;
    if (change.firstMeasure == 1)
        SetClefNibble(ExistingMeasureCell(document, change.staff, 0), change.newClef);
    const bool unpitched = IsUnpitchedClef(change.oldClef) || IsUnpitchedClef(change.newClef);
    if (unpitched || !change.notesInRange) {
        // Nothing moves: the nibbles of the cells that start inside the range change.
        const int first = change.firstTick == 0 ? change.firstMeasure : change.firstMeasure + 1;
        for (int m = first; m < change.endMeasure && m < MaxMeasures; ++m)
            SetClefNibble(ExistingMeasureCell(document, change.staff, m), change.newClef);
        return 1;
    }
    TransposeRequest request = TransposeRequestOver(change);
    request.newClef = change.newClef;
    request.clefMode = change.clefMode;
    request.direction = change.direction;
    request.semitones = change.semitones;
    return TransposeBySemitones(view, request).refused ? 0 : 1;
}

int StepClef(ScoreView* view, int step) {
    const std::optional<SignatureStep> start = BeginSignatureStep(view, ChangeWhat::Clef);
    if (!start || !IsValidClef(start->current)) return 0;
    ClefRangeChange change;
    static_cast<SignatureRange&>(change) = start->range;
    change.oldClef = start->current;
    change.newClef = SteppedClefKind(start->current, step);
    change.notesInRange = false;
    return FinishSignatureStep(view, *start, ObjectType::Clef, [&] { ApplyClefOverRange(view, change); });
}

int StepStaffElementClef(ScoreView* view, int step) {
    if (!HasStaffMeasureLocation(view)) return 0;
    ScoreDocument* document = view->document;
    const int staff = view->currentStaff;
    const MeasureCell* cell = ExistingMeasureCell(document, staff, view->currentMeasure);
    if (cell == nullptr) return 0;
    const int old = CellClef(*cell);
    const int stepped = old - (step == 0 ? 1 : step);
    if (stepped < 0 || stepped > kLastSteppedElementClef) {
        PlayAlertBeep(0);
        return 0;
    }
    const int last = std::min<int>(document->header.measureCount + kSpareMeasures, MaxMeasures - 1);
    for (int m = view->currentMeasure; m <= last; ++m) {
        MeasureCell* next = ExistingMeasureCell(document, staff, m);
        if (next == nullptr || CellClef(*next) != old) break;
        SetClefNibble(next, stepped);
    }
    SetDocumentModified(document);
    return 1;
}

int InsertClefInMeasure(ScoreView* view, ScoreObject* clef) {
    TakeSelectionLocation(view);
    if (!HasStaffMeasureLocation(view) || clef == nullptr || !IsClefChangeObject(clef)) return 0;
    ScoreDocument* document = view->document;
    const int staff = view->currentStaff;
    const int measure = view->currentMeasure;
    const int tick = SignatureTickOfObject(clef);
    const MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
    const int before = cell != nullptr ? ClefAtTick(cell, tick) : -1;
    if (!IsValidClef(before) || !IsValidClef(ClefKindOfObject(clef))) return 0;
    const ChangeRange range = ComputeChangeRange(document, ChangeWhat::Clef,
                                                 ChangeRangeMode::UpToChange, staff, measure,
                                                 tick + 1, 0);
    ClefRangeChange change;
    static_cast<SignatureRange&>(change) = {staff, measure, tick, range.end, range.endTick};
    change.oldClef = ClefKindOfObject(clef);
    change.newClef = before;
    change.notesInRange = range.notes != 0;
    ApplyClefOverRange(view, change);
    SetClefKindOfObject(clef, static_cast<uint8_t>(before));
    SetDocumentModified(document);
    RemoveRedundantClefs(view, clef);
    RelayoutAfterSignatureChange(view, measure);
    return 1;
}

int RemoveRedundantClefs(ScoreView* view, const ScoreObject* clef) {
    if (view == nullptr || view->document == nullptr) return 0;
    ScoreDocument* document = view->document;
    SetDocumentModified(document);
    const int count = document->header.measureCount;
    if (count < 2 || view->currentStaff < 1 || view->currentStaff > document->header.staffCount)
        return 0;
    bool removed = false;
    for (int m = 1; m < count; ++m) {
        MeasureCell* cell = ExistingMeasureCell(document, view->currentStaff, m);
        if (cell != nullptr && RemoveRedundantInCell(view, cell, clef)) removed = true;
    }
    return removed ? 1 : 0;
}

}  // namespace ql
