// The selection engine's state changes: reset, the small clears, commit and
// unfocus of the focused object, edit mode, and the undo bracket a focus opens.
// A reset empties the hit-record pool in one step; before that, every object that
// names one of the records as its handle chain is told to forget it, so that no
// object and no field is left pointing into the emptied pool.
#include "editing/selection.h"

#include <algorithm>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/record_area.h"
#include "core/error_report.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/handle_flags.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "display/view_location.h"
#include "editing/editing_services.h"
#include "editing/feedback.h"
#include "editing/handle_refresh.h"
#include "editing/marquee.h"
#include "editing/mouse_processor_internal.h"
#include "editing/selection_internal.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"

namespace ql {

using namespace selection;

namespace {

constexpr int kIdlePart = 2;
constexpr const char* kIdleText = "Ready";
// The focus's undo bracket: its document and the selection state it was opened
// under (one program-wide, as the focus is).
ScoreDocument* g_bracketDocument = nullptr;
const SelectionState* g_bracketSelection = nullptr;

bool IsOwnerlessType(uint8_t type) {  // tools whose edits do not mark the score changed
    return type == kMarqueeType || type == TypeCode(ObjectType::Area) ||
           type == TypeCode(ObjectType::Staff);
}

void RestoreDefaultObject(SelectionState* s) {
    s->focusedObject = s->defaultObject;
}

// Every owner of a record in a list forgets its handle chain.
void ForgetOwnersOfList(HitRecord& head, HitRecord& tail) {
    int guard = 0;
    for (HitRecord* r = head.next.get(); r != nullptr && r != &tail && guard < 1 << 16;
         r = r->next.get(), ++guard) {
        ScoreObject* owner = r->owner.get();
        if (owner != nullptr && IsUsableObject(owner)) owner->handleChain = {};
    }
}

void ClearRecordFields(SelectionState* s) {
    s->focusRecord = {};
    SetGrabbedRecord(s, nullptr);
    s->hoverListRecord = {};
    s->hoverRecord = {};
    s->statusRecord = {};
    s->pendingRecord = {};
    s->hoverFlag = 0;
    s->hoverObject = {};
}

// Empties static pool 0 and both lists, with every reference to their records.
void EmptyHitRecords(SelectionState* s) {
    ForgetOwnersOfList(s->listAHead, s->listATail);
    ForgetOwnersOfList(s->listBHead, s->listBTail);
    if (HitRecord* pending = s->pendingRecord.get(); pending != nullptr) {
        ScoreObject* owner = pending->owner.get();
        if (owner != nullptr && IsUsableObject(owner)) owner->handleChain = {};
    }
    if (ScoreObject* pending = s->pendingObject.get(); pending != nullptr && IsUsableObject(pending))
        pending->handleChain = {};
    ResetStaticPool(kHitRecordPool);
    // The followed objects go with the records: the location is followed again.
    if (s->followedList.next) s->locationChanged = 1;
    s->followedList.next = {};
    ResetHitList(s->listAHead, s->listATail);
    ResetHitList(s->listBHead, s->listBTail);
    ClearRecordFields(s);
}

void ClearKeyLatches() {
    InputGlobals& input = State().input;
    input.ShiftLatch = 0;
    input.StickyCtrlFlag = 0;
    input.ModifierState = 0;
}

// Takes the focused object's feedback off the screen, in or out of a message.
void EraseFeedbackNow(ScoreView* view) {
    const bool opened = !view->ViewDC;
    if (opened) BeginViewDraw(view);
    if (!view->ViewDC) return;
    SaveRestoreFeedbackDC(view, nullptr, true);
    HideFocusFeedback(view);
    if (opened) EndViewDraw(view);
}

}  // namespace

namespace selection {

void OpenFocusBracket(ScoreView* view, uint8_t type) {
    if (view == nullptr || view->document == nullptr || IsFocusBracketOpen()) return;
    g_bracketDocument = view->document;
    g_bracketSelection = Sel();
    BeginUndoableEdit(view->document, 0, 0, 0, view, UndoKind::Item, type, UndoVerb::Modify);
}

// Closed only through a view of the document it was opened on: a bracket whose
// document or selection state went away is forgotten.
void CloseFocusBracket(ScoreView* view, uint8_t type) {
    const bool open = IsFocusBracketOpen();
    ScoreDocument* document = g_bracketDocument;
    g_bracketDocument = nullptr;
    g_bracketSelection = nullptr;
    if (!open || view == nullptr || view->document != document) return;
    EndUndoableEdit(document, 0, 0, 0, view, UndoKind::Item, type, UndoVerb::Modify);
}

bool IsFocusBracketOpen() {
    return g_bracketDocument != nullptr && g_bracketSelection == Sel();
}

RecordRect ChainBounds(const HitRecord* chain) {
    RecordRect out{};
    bool any = false;
    for (int i = 0; chain != nullptr && i < 1 << 12; chain = chain->child.get(), ++i) {
        const RecordRect& r = chain->outer;
        if (r.right <= r.left || r.bottom <= r.top) continue;
        if (!any) out = r;
        out.left = std::min(out.left, r.left);
        out.top = std::min(out.top, r.top);
        out.right = std::max(out.right, r.right);
        out.bottom = std::max(out.bottom, r.bottom);
        any = true;
    }
    return out;
}

void InvalidateObjectArea(ScoreView* view, ScoreObject* object) {
    if (object != nullptr) InvalidateChainArea(view, object->handleChain.get(), false);
}

void InvalidateChainArea(ScoreView* view, const HitRecord* chain, bool erase) {
    if (chain != nullptr) InvalidateRecordArea(view, ChainBounds(chain), erase);
}

}  // namespace selection

void engine::SetEditMode(int mode) {
    if (SelectionState* s = Sel(); s != nullptr) s->editMode = static_cast<int8_t>(mode);
}

void engine::ClearHoverState() {
    SelectionState* s = Sel();
    if (s == nullptr) return;
    s->hoverObject = {};
    s->hoverFlag = 0;
    s->hoverListRecord = {};
    s->hoverRecord = {};
    s->hoverText = nullptr;
    win::SetCursor(win::LoadSystemCursor(win::SystemCursor::Arrow));
}

void engine::ClearFocusState() {
    SelectionState* s = Sel();
    if (s == nullptr) return;
    s->editMode = kEditIdle;
    RestoreDefaultObject(s);
    s->commitAfterMessage = 0;
    s->hoverObject = {};
    s->hoverFlag = 0;
    s->hoverListRecord = {};
    s->hoverRecord = {};
}

void engine::ClearHandleState() {
    SelectionState* s = Sel();
    if (s == nullptr) return;
    s->focusRecord = {};
    SetGrabbedRecord(s, nullptr);
    RestoreDefaultObject(s);
    s->editMode = kEditIdle;
}

void engine::EndFocusWithoutCommit(ScoreView* view) {
    SelectionState* s = Sel();
    if (s == nullptr) return;
    if (const ScoreObject* focused = FocusedObject(); focused != nullptr) CloseFocusBracket(view, focused->type);
    ClearHandleState();
}

void ClearHoverAndHandle() {
    ClearHoverState();
    ClearHandleState();
}

void ResetFocusLists() {
    SelectionState* s = Sel();
    if (s == nullptr) return;
    s->editMode = kEditIdle;
    RestoreDefaultObject(s);
    s->focusRecord = {};
    SetGrabbedRecord(s, nullptr);
    ResetHitList(s->listAHead, s->listATail);
    ResetHitList(s->listBHead, s->listBTail);
}

void ResetFocusToView(ScoreView* view) {
    SelectionState* s = Sel();
    if (s == nullptr || view == nullptr) return;
    s->editMode = kEditIdle;
    RestoreDefaultObject(s);
    SetFocusLocation(s, view);
    s->hoverObject = {};
    s->hoverFlag = 0;
    s->commitAfterMessage = 0;
}

void engine::ResetSelection(ScoreView* view, int mode) {
    SelectionState* s = Sel();
    if (s == nullptr) return;
    // Feedback still on screen goes before the records that describe it.
    if (view != nullptr && FocusedObject() != nullptr) EraseFeedbackNow(view);
    CloseFocusBracket(view, s->toolType);
    ReleaseTemporaryChain(view);
    EmptyHitRecords(s);
    RestoreDefaultObject(s);
    s->editMode = kEditIdle;
    s->locationChanged = 1;
    State().locate.ForceLocationUpdate = 1;
    ForgetMarquee(view);  // its inversion and state go before its record
    ResetStaticPool(kMarqueePool);
    s->extraChain = {};
    // The voice chain's objects went with their records (EmptyHitRecords): the chain
    // starts again empty at its embedded head.
    s->voiceChain = Ref32<ScoreObject>::To(&s->followedList);
    s->focusSystem = s->focusStaff = s->focusMeasure = 0;
    s->temporaryChain.next = {};
    s->pendingObject = {};
    s->pendingSerial = 0;
    s->hoverText = nullptr;
    s->grabbedKind = kNoGrabbedKind;
    SetWarpDeficit({});
    ResetPointerSnap();
    ClearKeyLatches();
    if (mode == 0) {
        s->bound = 0;
        if (view != nullptr) s->boundWindow = view->ViewWindow;
    } else if (view != nullptr) {
        RedrawFocusAcrossSystems(view);
        if (mode == 1) NudgePointer(view);
    }
    s->resetAfterMessage = 0;
}

ScoreObject* SelectionObjectList() {
    SelectionState* s = Sel();
    if (s == nullptr) return nullptr;
    if (!s->voiceChain) s->voiceChain = Ref32<ScoreObject>::To(&s->followedList);
    return s->voiceChain.get();
}

void engine::EndFocus(ScoreView* view, int mode) {
    SelectionState* s = Sel();
    if (s == nullptr) return;
    if (s->editMode > 0) engine::UnfocusElement(view);
    engine::ResetSelection(view, mode);
}

void engine::CommitFocusedElement(ScoreView* view) {
    SelectionState* s = Sel();
    if (s == nullptr || view == nullptr) return;
    // With nothing focused the armed tool's prototype stands in for the focused
    // object; it is no part of the score, so there is nothing to commit (committing
    // it would link the prototype into a list of the score).
    if (s->editMode > 0 && s->focusedObject != s->defaultObject) {
        ScoreObject* object = s->focusedObject.get();
        if (!IsUsableObject(object)) {
            if (InternalError(kModuleTag, kCommitLine, reinterpret_cast<uintptr_t>(object)) != 0)
                return;
        } else {
            InvalidateObjectArea(view, object);
            if (HitRecord* focus = s->focusRecord.get(); IsUsableRecord(focus)) InvalidateStoredObjectArea(view, object, focus);
            // The commit may relink the object into another measure's list: that is
            // an edit undo must know of, bracket open or not (a key's own undo step
            // closes before the message ends and its commit runs).
            OpenFocusBracket(view, object->type);
            ClassOf(object).CommitDrag(object, view);
            CloseFocusBracket(view, object->type);
        }
    }
    ClearFocusState();
    s->locationChanged = 1;
    SetStatusText(kIdlePart, kIdleText);
}

// Draws the object normally where its focus record was, then gives the view the
// feedback drawing state back.
static void RedrawUnfocused(ScoreView* view, ScoreObject* object, const ObjectLocation& at) {
    SetCurrentMeasure(view, at.staff, at.measure);
    BeginViewDraw(view);
    SelectSelectionColours(view);
    ClassOf(object).Paint(object, view);
    EndViewDraw(view);
    SaveRestoreFeedbackDC(view, object, true);
}

void engine::UnfocusElement(ScoreView* view) {
    SelectionState* s = Sel();
    if (s == nullptr || view == nullptr || s->editMode <= 0) return;
    ScoreObject* object = s->focusedObject.get();
    HitRecord* focus = s->focusRecord.get();
    if (!IsUsableObject(object)) {
        if (InternalError(kModuleTag, kUnfocusObjectLine, reinterpret_cast<uintptr_t>(object)) != 0)
            return;
        ClearFocusState();
        return;
    }
    if (focus == nullptr || (focus->flags & kHandleNoFeedback) == 0) HideFocusFeedback(view);
    InvalidateObjectArea(view, object);
    // Read before the commit: an object's commit may free its handles (the marquee's does).
    const bool focusUsable = IsUsableRecord(focus);
    const ObjectLocation focusAt = focusUsable ? focus->location.location : ObjectLocation{};
    if (focusUsable) InvalidateStoredObjectArea(view, object, focus);
    ClassOf(object).CommitDrag(object, view);
    if (!IsOwnerlessType(s->toolType)) SetDocumentModified(view->document);
    CloseFocusBracket(view, object->type);
    if (!focusUsable) {
        if (InternalError(kModuleTag, kUnfocusRecordLine, reinterpret_cast<uintptr_t>(focus)) != 0)
            return;
    } else if (object != s->defaultObject.get()) {
        RedrawUnfocused(view, object, focusAt);
    }
    ClearFocusState();
    s->locationChanged = 1;
    SetStatusText(kIdlePart, kIdleText);
}

void UnfocusWithFeedback(ScoreView* view) {
    SelectionState* s = Sel();
    if (s == nullptr || s->editMode <= 0) return;
    if (!s->focusedObject) RestoreDefaultObject(s);
    SetupFeedbackState(view);
    UnfocusElement(view);
}

// The feedback state lives on the view's surface: restoring it after ordinary
// drawing means selecting the feedback pen, brush and raster operation again;
// saving needs nothing, as the ordinary drawing restores its own state.
void engine::SaveRestoreFeedbackDC(ScoreView* view, ScoreObject* /*object*/, bool restore) {
    if (view == nullptr || !restore || !view->ViewDC) return;
    SelectFeedbackColours(view);
    for (platform::DcHandle dc : {view->ViewDC, CompanionContext(view)})
        if (dc) gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
}

}  // namespace ql
