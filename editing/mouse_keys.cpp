// The keys and commands of the tool mouse processor: Delete, [ and ], the Ctrl+D
// duplicate, Insert, the keypad steps, Shift's reset of the object, the latches,
// and the editing commands of the menus on the focused object. A key acts on the
// focused object, or on the hovered one focused for this message only.
#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/handle_flags.h"
#include "core/state.h"
#include "core/state/note_tool_state.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "editing/feedback.h"
#include "editing/handle_refresh.h"
#include "editing/mouse_processor_internal.h"
#include "editing/palette_layout.h"
#include "editing/palette_windows.h"
#include "editing/selection.h"
#include "editing/selection_internal.h"
#include "editing/tool_dispatch.h"
#include "notes/entry/note_duration.h"
#include "notes/rests/rest.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"

namespace ql {

using namespace selection;

namespace {

using win::Key;

constexpr int32_t kDuplicateOffset = 128;  // a copy stands this far right of and below its source
constexpr uint32_t kSendToBack = 40133;
constexpr uint32_t kBringToFront = 40134;
constexpr uint32_t kToggleOwnership = 40140;
constexpr uint32_t kDeleteCommand = 57632;
constexpr uint32_t kCutCommand = 57635;

// The focused object after focusing the hovered one; null when nothing is focused.
ScoreObject* FocusForKey(ScoreView* view) {
    FocusHoveredElement(view);
    return FocusedObject();
}

bool KeyFocusPending() {
    return Sel()->commitAfterMessage != 0;
}

// The feedback a pointer focus drew; a key focus draws none.
void HideUnlessKeyFocus(ScoreView* view) {
    if (!KeyFocusPending()) HideFocusFeedback(view);
}

void ClearFocusFields(ScoreView* view) {
    SelectionState* s = Sel();
    s->focusedObject = Ref32<ScoreObject>::To(PrototypeOf(view, s->toolType));
    s->defaultObject = s->focusedObject;
    s->focusRecord = s->hoverRecord = s->hoverListRecord = s->statusRecord = {};
    SetGrabbedRecord(s, nullptr);
    s->hoverObject = {};
    s->hoverFlag = 0;
    s->commitAfterMessage = 0;
    s->editMode = kEditIdle;
}

// The window over a deleted object, erased and painted again: its handles, where it
// was drawn in the selection's colours, and the cell of the staff and measure it
// stood in, where what the deletion leaves (a rest in the time a note kept) is
// drawn again in the score's colours.
void InvalidateDeletedArea(ScoreView* view, ScoreObject* object, const HitRecord* focus) {
    InvalidateChainArea(view, object->handleChain.get(), true);
    if (!IsUsableRecord(focus)) return;
    InvalidateStoredObjectArea(view, object, focus);
    const ScopedViewAt at(view, focus);
    InvalidateCurrentCell(view, false);
}

intptr_t DeleteFocused(ScoreView* view, ScoreObject* object) {
    SelectionState* s = Sel();
    HitRecord* focus = s->focusRecord.get();
    HideUnlessKeyFocus(view);
    CloseFocusBracket(view, object->type);
    ScoreObject* prototype = PrototypeOf(view, object->type);
    {
        UndoStep step(view->document, view, UndoKind::Item, object->type, UndoVerb::Delete);
        s->editMode = kEditIdle;  // the drop must not unfocus (and so commit) what it deletes
        InvalidateDeletedArea(view, object, focus);
        if (prototype != nullptr) ClassOf(prototype).HandleDrop(prototype, view, object, focus);
        SetDocumentModified(view->document);
    }
    ClearFocusFields(view);
    return 1;
}

intptr_t StepDuration(ScoreView* view, ScoreObject* object, int step) {
    const uint8_t type = object->type;
    if (type != TypeCode(ObjectType::Note) && type != TypeCode(ObjectType::Rest)) return 0;
    UndoStep undo(view->document, view, UndoKind::Item, type, UndoVerb::Change);
    State().input.DurationKeyUndo = 1;
    HitRecord* grabbed = Sel()->grabbedRecord.get();
    if (type == TypeCode(ObjectType::Note) && grabbed != nullptr && grabbed->noteEvent)
        StepSelectedDuration(view, grabbed->noteEvent.get(), step);
    else if (type == TypeCode(ObjectType::Rest))
        StepRestDuration(view, object, step);
    State().input.DurationKeyUndo = 0;
    return 1;
}

// Ctrl+D: a copy 128 units right of and below the source, committed at once.
intptr_t Duplicate(ScoreView* view) {
    ScoreObject* object = FocusForKey(view);
    if (object == nullptr || object->type == TypeCode(ObjectType::Tuplet)) return 1;
    SelectionState* s = Sel();
    UndoStep step(view->document, view, UndoKind::Item, object->type, UndoVerb::Copy);
    SetDocumentModified(view->document);
    HideUnlessKeyFocus(view);
    ScoreObject* copy = object->type == TypeCode(ObjectType::Measure)
                            ? ClassOf(object).PasteCopy(object, view)
                            : ClassOf(object).Clone(object, view, CurrentPoolSet(), CurrentPoolSet());
    if (copy != nullptr && object->type != TypeCode(ObjectType::Measure)) {
        copy->prev = copy->next = {};
        copy->handleChain = {};
    }
    HitRecord* record = copy != nullptr ? ClassOf(copy).BuildHandles(copy, view) : nullptr;
    if (record == nullptr) {
        CommitFocusedElement(view);
        return 1;
    }
    if (object->type != TypeCode(ObjectType::Measure)) InsertObjectAfter(object, copy);
    if (record->ownerType == 0) record->ownerType = copy->type;
    HitRecord* sourceFocus = s->focusRecord.get();
    AppendHitRecord(sourceFocus != nullptr ? sourceFocus : &s->listATail, record);
    CommitFocusedElement(view);  // the source
    for (HitRecord* r = record; r != nullptr; r = r->child.get())
        OffsetHitRecord(r, LogicalPoint{kDuplicateOffset, kDuplicateOffset});
    s->focusedObject = Ref32<ScoreObject>::To(copy);
    s->focusRecord = Ref32<HitRecord>::To(record);
    SetGrabbedRecord(s, record);
    s->editMode = kEditFocused;
    ShowFocusFeedback(view);
    UnfocusElement(view);  // commits the copy where its handles now are
    return 1;
}

// Shift: the object's position or shape goes back to its default, once per press.
// Whether a keyed change of the focused object takes its feedback off first and
// puts it back after: not while a key focus is pending, not for a focus that draws
// none, and not for notes (their feedback follows the note cursor).
bool KeyedChangeRedrawsFeedback() {
    SelectionState* s = Sel();
    const HitRecord* focus = s->focusRecord.get();
    const bool noFeedback = focus != nullptr && (focus->flags & kHandleNoFeedback) != 0;
    return !KeyFocusPending() && !noFeedback && s->grabbedOwnerType != TypeCode(ObjectType::Note);
}

intptr_t ShiftReset(ScoreView* view) {
    InputGlobals& input = State().input;
    if (input.ShiftLatch) return 1;
    ScoreObject* object = FocusForKey(view);
    if (object == nullptr) return 1;
    input.ShiftLatch = 1;
    SelectionState* s = Sel();
    const bool redraws = KeyedChangeRedrawsFeedback();
    if (redraws) HideFocusFeedback(view);
    if (!KeyFocusPending()) KeepFocusedAreaForCommit(view);
    {
        UndoStep step(view->document, view, UndoKind::Item, object->type, UndoVerb::Format);
        ClassOf(object).Invalidate(object, view);
        SetDocumentModified(view->document);
    }
    if (!KeyFocusPending()) RefreshFocusedHandles(view, false);
    s->grabX = view->pointerPoint.x;
    s->grabY = view->pointerPoint.y;
    if (FocusedObject() != nullptr && redraws) ShowFocusFeedback(view);
    return 1;
}

intptr_t InsertKey(ScoreView* view) {
    ScoreObject* object = FocusForKey(view);
    if (object == nullptr) return 1;
    UndoStep step(view->document, view, UndoKind::Item, object->type, UndoVerb::Insert);
    ClassOf(object).OnInsertKey(object, view, object, Sel()->focusRecord.get());
    SetDocumentModified(view->document);
    return 1;
}

// A step may change how the object and its handles look (a slur's thickness, a
// tuplet mark's style): the feedback comes off before it, the focused object's
// handles follow it, and the feedback goes back on after it.
intptr_t KeypadStep(ScoreView* view, int step) {
    ScoreObject* object = FocusForKey(view);
    if (object == nullptr) return 1;
    const bool redraws = FocusedObject() == object && KeyedChangeRedrawsFeedback();
    if (redraws) HideFocusFeedback(view);
    if (FocusedObject() == object && !KeyFocusPending()) KeepFocusedAreaForCommit(view);
    {
        UndoStep undo(view->document, view, UndoKind::Item, object->type, UndoVerb::Modify);
        ClassOf(object).StepValue(object, view, step);
        SetDocumentModified(view->document);
    }
    if (FocusedObject() == object && !KeyFocusPending()) RefreshFocusedHandles(view, false);
    if (redraws && FocusedObject() != nullptr) ShowFocusFeedback(view);
    return 1;
}

// A key the object takes itself (a flip, a move, a change of style): a focused
// object's handles follow what the key did, and its commit repaints where it was.
intptr_t ObjectKey(ScoreView* view, ScoreObject* object, uint32_t key) {
    if (FocusedObject() == object && !KeyFocusPending()) KeepFocusedAreaForCommit(view);
    const int taken = ClassOf(object).OnKey(object, view, key);
    if (taken != 0 && FocusedObject() == object && !KeyFocusPending())
        RefreshFocusedHandles(view, KeyedChangeRedrawsFeedback());
    return taken;
}

bool CtrlDown() {
    return win::IsKeyDown(Key::Control) || State().input.StickyCtrlFlag != 0;
}

// The current tool's palette button is drawn again while Shift is held on a focused
// note or rest, and once more when Shift comes up or the window loses the focus.
bool g_buttonRedrawnForShift = false;

void RedrawCurrentToolButton() {
    const ToolGroup group = CurrentToolGroup();
    if (group == ToolGroup::Note)
        RedrawPaletteButton(kNotesPalette, State().notes.NoteTools.selectedEntry);
    else
        RedrawPaletteButton(kMainPalette, static_cast<int>(group));
}

void RedrawButtonForShiftDown(intptr_t data) {
    constexpr intptr_t kRepeatBit = intptr_t{1} << 30;
    const ScoreObject* object = FocusedObject();
    if ((data & kRepeatBit) != 0 || object == nullptr) return;
    if (object->type != TypeCode(ObjectType::Note) && object->type != TypeCode(ObjectType::Rest)) return;
    RedrawCurrentToolButton();
    g_buttonRedrawnForShift = true;
}

void RedrawButtonAfterShift() {
    if (!g_buttonRedrawnForShift) return;
    RedrawCurrentToolButton();
    g_buttonRedrawnForShift = false;
}

intptr_t KeyUp(ScoreView* /*view*/, uint32_t key) {
    InputGlobals& input = State().input;
    if (key == static_cast<uint32_t>(Key::Control)) input.StickyCtrlFlag = 0;
    if (key == static_cast<uint32_t>(Key::Shift)) {
        input.ShiftLatch = 0;
        RedrawButtonAfterShift();
    }
    return 1;
}

// The order of an object in its list: after the first, or after the last.
intptr_t Restack(ScoreView* view, bool toFront) {
    ScoreObject* object = FocusedObject();
    if (object == nullptr || object->type == kMarqueeType || !object->prev) return 1;
    ScoreObject* head = object->prev.get();
    for (int n = 0; head->prev && n < 1 << 16; ++n) head = head->prev.get();
    UnlinkObject(object);
    ScoreObject* anchor = head;
    if (toFront)
        for (int n = 0; anchor->next && n < 1 << 16; ++n) anchor = anchor->next.get();
    InsertObjectAfter(anchor, object);
    SetDocumentModified(view->document);
    return 1;
}

intptr_t Command(ScoreView* view, platform::WindowHandle window, uint32_t word) {
    SetupFeedbackState(view);
    const uint32_t id = word & 0xFFFF;
    if (id == kSendToBack || id == kBringToFront) return Restack(view, id == kBringToFront);
    if (id == kToggleOwnership) {
        ScoreObject* object = FocusedObject();
        if (object != nullptr && view->pageView == 1) {
            ClassOf(object).EditInPlace(object, view);
            SetDocumentModified(view->document);
        }
        return 1;
    }
    if ((id == kDeleteCommand || id == kCutCommand) && IsFocused())
        return ToolKeyDown(view, window, static_cast<uint32_t>(Key::Delete));
    return 0;
}

}  // namespace

intptr_t ToolKeyDown(ScoreView* view, platform::WindowHandle /*window*/, uint32_t key) {
    const auto k = static_cast<Key>(key);
    if (k == Key::Control || k == Key::Alt) return 1;
    if (k == win::LetterKey('D') && CtrlDown() && !IsFocused()) return Duplicate(view);
    if (k == Key::Insert && !CtrlDown() && !win::IsKeyDown(Key::Shift)) return InsertKey(view);
    if (k == Key::Add || k == Key::Subtract) return KeypadStep(view, k == Key::Add ? 1 : -1);
    if (k == Key::Shift) return ShiftReset(view);
    if (k == Key::Delete || k == Key::LeftBracket || k == Key::RightBracket) {
        ScoreObject* object = FocusForKey(view);
        if (object == nullptr || object == PrototypeOf(view, object->type)) return 1;
        if (k == Key::Delete) return DeleteFocused(view, object);
        return StepDuration(view, object, k == Key::RightBracket ? 1 : -1);
    }
    ScoreObject* object = FocusForKey(view);
    return object != nullptr ? ObjectKey(view, object, key) : 0;
}

intptr_t KeyMessage(ScoreView* view, platform::WindowHandle window, win::Message message, uint32_t word,
                    intptr_t data) {
    switch (message) {
        case win::Message::KeyDown:
            if (word == static_cast<uint32_t>(Key::Shift)) RedrawButtonForShiftDown(data);
            return ToolKeyDown(view, window, word);
        case win::Message::KillFocus:
            RedrawButtonAfterShift();
            return 0;
        case win::Message::SystemKeyDown: {
            const auto k = static_cast<Key>(word);
            const bool passes = k == Key::Left || k == Key::Right || k == Key::Add || k == Key::Subtract ||
                                (word >= '2' && word <= '8');
            return passes ? ToolKeyDown(view, window, word) : 0;
        }
        case win::Message::KeyUp:
            return KeyUp(view, word);
        case win::Message::Command:
            return Command(view, window, word);
        default:
            return 0;
    }
}

}  // namespace ql
