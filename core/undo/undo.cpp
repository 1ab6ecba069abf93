// Undo brackets, the undo and redo stacks and checkpoints. A document keeps a
// bracket depth: the outermost Begin absorbs non-edit changes and notes the start
// state; the outermost End captures one record for the whole edit. The stacks are
// singly linked UndoRecords owned by the document; each record checks its self
// pointer before it is trusted.
#include "core/undo/undo.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/model/score_document.h"
#include "core/services/display_services.h"
#include "core/state.h"
#include "core/ui/shell_services.h"
#include "core/undo/autosave.h"
#include "core/undo/undo_internal.h"

namespace ql {

namespace {

// Undo and Redo wait until no edit is open: applying a record in the middle of an edit
// would mix the two.
bool CanApplyHistory(const ScoreDocument* document) {
    return document != nullptr && document->baselineValid &&
           !document->undoState.checkpointActive && document->undoState.bracketDepth == 0;
}

bool IsValidRecord(const UndoRecord* record) {
    return record != nullptr && record->self == record;
}

UndoRecord* NewUndoRecord() {
    try {
        ThrowIfUndoAllocationFails();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    auto* record = new (std::nothrow) UndoRecord();
    if (record == nullptr) return nullptr;
    record->self = record;
    record->size = sizeof(UndoRecord);
    return record;
}

void DeleteUndoRecord(UndoRecord* record) {
    record->self = nullptr;
    delete record;
}

int StackDepth(const UndoRecord* record) {
    int depth = 0;
    for (; IsValidRecord(record); record = record->next) ++depth;
    return depth;
}

// The view position that a record returns to.
UndoViewState ViewStateOf(ScoreView* view) {
    UndoViewState state;
    if (view == nullptr) return state;
    state.view = view;
    state.currentPage = view->currentPage;
    state.currentSystem = view->currentSystem;
    state.galleyPage = view->galleyPage;
    state.galleySystem = view->galleySystem;
    const int32_t* origin = view->pageView ? view->pageOrigin : view->scrollOrigin;
    state.originX = origin[0];
    state.originY = origin[1];
    state.measure = static_cast<uint16_t>(view->currentMeasure);
    state.staff = static_cast<uint8_t>(view->currentStaff);
    state.zoom = static_cast<uint8_t>(view->zoom);
    state.pageView = view->pageView;
    return state;
}

void NoteStartState(ScoreDocument* document, ScoreView* view, int32_t w1, int32_t w2, int32_t w3) {
    DocumentUndoState& undo = document->undoState;
    UndoViewState state = ViewStateOf(view);
    undo.startView = state.view;
    undo.startPage = state.currentPage;
    undo.startSystem = state.currentSystem;
    undo.startGalleyPage = state.galleyPage;
    undo.startGalleySystem = state.galleySystem;
    undo.startOrigin[0] = state.originX;
    undo.startOrigin[1] = state.originY;
    undo.startMeasure = state.measure;
    undo.startStaff = state.staff;
    undo.startZoom = state.zoom;
    undo.startPageView = state.pageView;
    undo.words[0] = w1;
    undo.words[1] = w2;
    undo.words[2] = w3;
    undo.startCounter = document->changeCounter;
    undo.started = 1;
}

UndoViewState StartStateOf(const ScoreDocument* document) {
    const DocumentUndoState& undo = document->undoState;
    UndoViewState state;
    state.view = undo.startView;
    state.currentPage = undo.startPage;
    state.currentSystem = undo.startSystem;
    state.galleyPage = undo.startGalleyPage;
    state.galleySystem = undo.startGalleySystem;
    state.originX = undo.startOrigin[0];
    state.originY = undo.startOrigin[1];
    state.measure = undo.startMeasure;
    state.staff = undo.startStaff;
    state.zoom = undo.startZoom;
    state.pageView = undo.startPageView;
    return state;
}

void ClearStartState(ScoreDocument* document) {
    DocumentUndoState& undo = document->undoState;
    undo.started = 0;
    undo.startView = nullptr;
    undo.startPage = nullptr;
    undo.startSystem = nullptr;
    undo.startGalleyPage = nullptr;
    undo.startGalleySystem = nullptr;
}

void FillIfUnset(DocumentUndoState& undo, UndoKind kind, uint8_t objectType, UndoVerb verb) {
    if (undo.kind == 0) undo.kind = static_cast<uint8_t>(kind);
    if (undo.objectType == 0) undo.objectType = objectType;
    if (undo.verb == 0) undo.verb = static_cast<uint8_t>(verb);
}

void UpdateAvailability(ScoreDocument* document, ScoreView* view) {
    DocumentUndoState& undo = document->undoState;
    undo.undoAvailable = IsValidRecord(document->undoStack) ? 1 : 0;
    undo.redoAvailable = IsValidRecord(document->redoStack) ? 1 : 0;
    UpdateToolbarButtons(view);
}

// Frees every record below the limit of the undo stack.
void TrimUndoStack(ScoreDocument* document) {
    UndoRecord* record = document->undoStack;
    for (int kept = 1; kept < kUndoStackLimit && IsValidRecord(record); ++kept)
        record = record->next;
    if (!IsValidRecord(record)) return;
    UndoRecord* older = record->next;
    record->next = nullptr;
    for (UndoRecord* r = older; IsValidRecord(r); r = r->next)
        document->undoState.undoBytes -= std::min(document->undoState.undoBytes, r->size);
    FreeUndoStack(older);
}

void PushCapturedRecord(ScoreDocument* document, UndoRecord* record) {
    document->undoState.undoBytes += record->size;
    record->next = document->undoStack;
    document->undoStack = record;
    UndoRecord* redo = document->redoStack;
    if (IsValidRecord(redo) && redo->sequence != record->sequence + 1) {
        FreeUndoStack(redo);
        document->redoStack = nullptr;
    }
    TrimUndoStack(document);
}

// Frees the first record of a stack whose apply would undo part of the changes made
// outside edits, and every record applied after it (they build on it). → bytes freed.
uint32_t DropRecordsUndoing(const ScoreDocument* document, UndoRecord*& top,
                            const ChangesOutsideEdits& changes) {
    UndoRecord** link = &top;
    while (IsValidRecord(*link) && !WouldUndoChangesOutsideEdits(document, **link, changes))
        link = &(*link)->next;
    uint32_t bytes = 0;
    for (UndoRecord* r = *link; IsValidRecord(r); r = r->next) bytes += r->size;
    FreeUndoStack(*link);
    *link = nullptr;
    return bytes;
}

// Before a new edit and before Undo or Redo: changes made since the last capture are
// taken into the baseline unrecorded. When they gained or freed records (a galley
// page, a note entered or deleted by MIDI step entry), a record whose apply would
// undo part of them (hand a gained record out again, link a freed one again or lose
// its slot) is dropped from the history with the records beyond it.
void AbsorbUnrecordedChanges(ScoreDocument* document) {
    ChangesOutsideEdits changes = FindChangesOutsideEdits(document);
    if (changes.Any()) {
        uint32_t dropped = DropRecordsUndoing(document, document->undoStack, changes);
        document->undoState.undoBytes -= std::min(document->undoState.undoBytes, dropped);
        DropRecordsUndoing(document, document->redoStack, changes);
    }
    AbsorbChangesSinceCapture(document);
}

}  // namespace

bool UndoSuspended() {
    return State().program.UndoSuspended != 0;
}
void SetUndoSuspended(bool suspended) {
    State().program.UndoSuspended = suspended ? 1 : 0;
}

int CaptureUndoRecord(ScoreDocument* document) {
    if (document == nullptr || !document->baselineValid) return 0;
    UndoRecord* record = NewUndoRecord();
    if (record == nullptr) {
        // The edit cannot be undone: it joins the baseline like a change made outside
        // an edit, and older records that would hand its new records out again go.
        AbsorbUnrecordedChanges(document);
        return 0;
    }
    const DocumentUndoState& undo = document->undoState;
    record->stateBefore = StartStateOf(document);
    record->kind = undo.kind;
    record->objectType = undo.objectType;
    record->verb = undo.verb;
    if (!FillUndoRecord(document, *record)) {
        DeleteUndoRecord(record);
        ClearUndoHistory(document);
        return 0;
    }
    record->sequence = static_cast<uint16_t>(
        (IsValidRecord(document->undoStack) ? document->undoStack->sequence : 0) + 1);
    if (record->changes == 0) {
        DeleteUndoRecord(record);
        return 0;
    }
    PushCapturedRecord(document, record);
    return 1;
}

void BeginUndoableEdit(ScoreDocument* document, int32_t word1, int32_t word2, int32_t word3,
                       ScoreView* view, UndoKind kind, uint8_t objectType, UndoVerb verb) {
    if (document == nullptr) return;
    // Staves the painter hid for being empty never reach an undo record.
    display::RestoreHiddenEmptyStavesOf(document);
    DocumentUndoState& undo = document->undoState;
    if (++undo.bracketDepth > 1) {
        FillIfUnset(undo, kind, objectType, verb);
        return;
    }
    ClearStartState(document);
    if (undo.checkpointActive || UndoSuspended()) return;
    if (!document->baselineValid)
        TakeUndoBaseline(document);
    else
        AbsorbUnrecordedChanges(document);
    undo.undoAvailable = 0;
    undo.redoAvailable = 0;
    undo.kind = static_cast<uint8_t>(kind);
    undo.objectType = objectType;
    undo.verb = static_cast<uint8_t>(verb);
    NoteStartState(document, view, word1, word2, word3);
}

void EndUndoableEdit(ScoreDocument* document, int32_t word1, int32_t word2, int32_t word3,
                     ScoreView* view, UndoKind kind, uint8_t objectType, UndoVerb verb) {
    (void)word1;
    (void)word2;
    (void)word3;
    if (document == nullptr) return;
    DocumentUndoState& undo = document->undoState;
    if (undo.bracketDepth > 1) {
        --undo.bracketDepth;
        FillIfUnset(undo, kind, objectType, verb);
        return;
    }
    undo.bracketDepth = 0;
    if (undo.checkpointActive || UndoSuspended()) {
        ClearStartState(document);
        return;
    }
    // The closing call names the edit, but a zero argument never erases what an inner
    // bracket filled in.
    if (undo.verb == 0) undo.verb = static_cast<uint8_t>(verb);
    if (kind != UndoKind::None) undo.kind = static_cast<uint8_t>(kind);
    if (objectType != 0) undo.objectType = objectType;
    bool changed = document->changeCounter != undo.startCounter;
    if (changed && undo.verb != 0 && undo.started && CaptureUndoRecord(document))
        document->undoStack->stateAfter = ViewStateOf(view);
    ClearStartState(document);
    undo.startCounter = document->changeCounter;
    UpdateAvailability(document, view);
    if (changed) NoteEditForAutoSave(document, view);
}

UndoStep::UndoStep(ScoreDocument* document, ScoreView* view, UndoKind kind, uint8_t objectType,
                   UndoVerb verb)
    : document_(document), view_(view), kind_(kind), objectType_(objectType), verb_(verb) {
    BeginUndoableEdit(document_, 0, 0, 0, view_, kind_, objectType_, verb_);
}

UndoStep::~UndoStep() {
    EndUndoableEdit(document_, 0, 0, 0, view_, kind_, objectType_, verb_);
}

void ApplyUndoRecord(ScoreDocument* document, ScoreView* view, UndoRecord* record) {
    if (document == nullptr || !IsValidRecord(record)) return;
    // The staff mix is no record bytes: it follows the staves the apply renumbers.
    const StaffMixByRecord mixBefore = StaffMixByStaffRecord(*document);
    const std::vector<int32_t> places = SystemPlacesOf(document);
    bool headerChanged = ApplyUndoRecordBytes(document, *record);
    record->departedStaffMix = PlaceStaffMixByRecord(*document, mixBefore, record->departedStaffMix);
    RestoreUndoViewState(document, view, record->stateBefore);
    RepairAfterUndoApply(document, headerChanged, places);
    std::swap(record->stateBefore, record->stateAfter);
}

// Moves the top record of one stack, applied, to the top of the other.
static void MoveAppliedRecord(ScoreDocument* document, ScoreView* view, UndoRecord*& from,
                              UndoRecord*& to) {
    UndoRecord* record = from;
    from = record->next;
    ApplyUndoRecord(document, view, record);
    record->next = IsValidRecord(to) ? to : nullptr;
    to = record;
    SetDocumentModifiedByUndo(document);
}

void UndoCommand(ScoreDocument* document, ScoreView* view) {
    if (!CanApplyHistory(document)) return;
    ResetSelectionForUndo(view);
    AbsorbUnrecordedChanges(document);
    if (IsValidRecord(document->undoStack)) {
        document->undoState.undoBytes -=
            std::min(document->undoState.undoBytes, document->undoStack->size);
        MoveAppliedRecord(document, view, document->undoStack, document->redoStack);
    }
    document->undoState.verb = 0;
    UpdateAvailability(document, view);
}

void RedoCommand(ScoreDocument* document, ScoreView* view) {
    if (!CanApplyHistory(document)) return;
    ResetSelectionForUndo(view);
    AbsorbUnrecordedChanges(document);
    if (IsValidRecord(document->redoStack)) {
        MoveAppliedRecord(document, view, document->redoStack, document->undoStack);
        document->undoState.undoBytes += document->undoStack->size;
    }
    UpdateAvailability(document, view);
}

void FreeUndoStack(UndoRecord* record) {
    while (IsValidRecord(record)) {
        UndoRecord* next = record->next;
        DeleteUndoRecord(record);
        record = next;
    }
}

namespace {

void FreeUndoStacks(ScoreDocument* document) {
    UndoRecord* undo = document->undoStack;
    UndoRecord* redo = document->redoStack;
    document->undoStack = nullptr;
    document->redoStack = nullptr;
    FreeUndoStack(undo);
    FreeUndoStack(redo);
    document->undoState.undoBytes = 0;
}

}  // namespace

void ClearUndoHistory(ScoreDocument* document) {
    if (document == nullptr) return;
    FreeUndoStacks(document);
    TakeUndoBaseline(document);
    document->undoState.verb = 0;
    UpdateAvailability(document, nullptr);
}

void StartUndoHistory(ScoreDocument* document) {
    if (document == nullptr) return;
    if (document->undoState.checkpointActive) {
        ClearUndoHistory(document);
        return;
    }
    FreeUndoStacks(document);
    document->baselineValid = 0;
    document->undoState.verb = 0;
    SetCurrentPoolSet(PoolSet(document->pools));
    UpdateAvailability(document, nullptr);
}

void CheckpointStart(ScoreDocument* document) {
    if (document == nullptr) return;
    DocumentUndoState& undo = document->undoState;
    if (!undo.checkpointActive) {
        undo.checkpointActive = 1;
        ClearUndoHistory(document);
        return;
    }
    TakeUndoBaseline(document);
    undo.checkpointActive = 0;
}

void RevertToUndoBaseline(ScoreDocument* document, ScoreView* view) {
    if (document == nullptr || !document->undoState.checkpointActive || !document->baselineValid)
        return;
    ResetSelectionForUndo(view);
    bool headerChanged =
        std::memcmp(&document->header, &document->baselineHeader, sizeof(ScoreHeader)) != 0;
    const std::vector<int32_t> places = SystemPlacesOf(document);
    {
        const StaffMixFollowsStaves mixFollows(*document);
        RestoreUndoBaseline(document);
    }
    RepairAfterUndoApply(document, headerChanged, places);
    RebuildGalleyAfterRestore(document);
    ClearUndoHistory(document);
}

int UndoDepth(const ScoreDocument* document) {
    return document == nullptr ? 0 : StackDepth(document->undoStack);
}

int RedoDepth(const ScoreDocument* document) {
    return document == nullptr ? 0 : StackDepth(document->redoStack);
}

}  // namespace ql
