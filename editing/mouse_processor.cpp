// HandleToolMouseMessage: the shared processing of every tool's score-window
// messages. Entry checks, the feedback set-up, the press that creates an object
// with the armed tool (rubber-band creation), the private messages, and the end of
// every message (pending object, temporary chain, reset, commit, redraw request).
// Keys and the popup menus are in mouse_keys.cpp and popup_menus.cpp.
#include "editing/mouse_processor.h"

#include "core/draw/draw_surface.h"
#include "core/error_report.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/handle_flags.h"
#include "core/state.h"
#include "display/view_location.h"
#include "editing/editing_services.h"
#include "editing/feedback.h"
#include "editing/mouse_processor_internal.h"
#include "editing/selection.h"
#include "editing/selection_internal.h"
#include "editing/status_readout.h"
#include "editing/tools.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"

namespace ql {

using namespace selection;

namespace {

ToolMouseSwitches g_switches;

constexpr uint32_t kRedrawFeedbackMessage = 0x800B;
constexpr uint32_t kTrackAgainMessage = 0x8018;
constexpr uint32_t kPressAtPointerMessage = 0x8020;
constexpr uint32_t kEditCommandMessage = 0x8024;

bool Is(uint8_t type, ObjectType t) {
    return type == TypeCode(t);
}

// Which handle of a new object's chain the rubber band drags: 5 the fifth (a
// slur's end: the press stays its start), 3 the third, 2 the second, 1 the first.
int RubberBandHandle(uint8_t type) {
    using T = ObjectType;
    if (Is(type, T::Slur)) return 5;
    if (Is(type, T::Circle) || Is(type, T::Box)) return 3;
    for (T t : {T::Selection, T::TextBox, T::Line, T::Area, T::Label, T::PedalBracket,
                T::Widget, T::RepeatEnding, T::Octave, T::Picture})
        if (Is(type, t)) return 2;
    return 1;
}

bool DragsAfterCreation(uint8_t type) {
    using T = ObjectType;
    for (T t : {T::TextBox, T::Picture, T::Label, T::Stretcher, T::Staff})
        if (Is(type, t)) return false;
    return true;
}

HitRecord* NthHandle(HitRecord* chain, int n) {
    HitRecord* r = chain;
    for (int i = 1; i < n && r != nullptr && r->child; ++i) r = r->child.get();
    return r;
}

// The new object's record becomes hovered, focused and grabbed; the drag follows
// at once unless its type is placed with one click.
void FocusNewObject(ScoreView* view, ScoreObject* object, HitRecord* record) {
    SelectionState* s = Sel();
    s->focusedObject = Ref32<ScoreObject>::To(object);
    s->focusRecord = Ref32<HitRecord>::To(record);
    HitRecord* grabbed = NthHandle(record, RubberBandHandle(object->type));
    SetGrabbedRecord(s, grabbed);
    s->grabbedOwnerType = grabbed->ownerType;
    ShowObjectStatus(view, record, object->type);
    s->editMode = DragsAfterCreation(object->type) ? kEditDragging : kEditFocused;
    ShowFocusFeedback(view);
    ClassOf(object).SetToolCursor(object, 0, grabbed->kind);
    s->grabX = grabbed->point.x;
    s->grabY = grabbed->point.y;
    if (!Is(object->type, ObjectType::Rest) && !WarpToLogical(view, grabbed->point) && IsDragging()) {
        const gfx::Point meant = ClientOfLogical(view, grabbed->point);
        SetWarpDeficit(gfx::Point{LastClientPoint().x - meant.x, LastClientPoint().y - meant.y});
    }
    using T = ObjectType;
    if (Is(object->type, T::Widget) || Is(object->type, T::RepeatEnding) || Is(object->type, T::Octave)) {
        UnfocusElement(view);
        win::SetCursor(s->toolCursor);
    }
}

// A press on empty space with the armed tool: the prototype makes an object there.
void CreateAtPress(ScoreView* view) {
    SelectionState* s = Sel();
    const uint8_t tool = s->toolType;
    ScoreObject* prototype = PrototypeOf(view, tool);
    if (prototype == nullptr) return;
    if (!Is(tool, ObjectType::Note)) OpenFocusBracket(view, tool);
    SetFocusLocation(s, view);
    g_switches.creating = 1;
    ScoreObject* object = ClassOf(prototype).CreateAtClick(prototype, view);
    g_switches.creating = 0;
    if (object != nullptr && tool != kMarqueeType && !Is(tool, ObjectType::Note) && !Is(tool, ObjectType::Area)) {
        SetDocumentModified(view->document);
        view->document->header.reformatRequest = kReformatAfterCreate;
    }
    HitRecord* record = object != nullptr ? ClassOf(object).BuildHandles(object, view) : nullptr;
    if (record == nullptr) {
        s->focusedObject = s->defaultObject;
        s->editMode = kEditIdle;
        CloseFocusBracket(view, tool);
        return;
    }
    s->boundWindow = view->ViewWindow;
    if (record->ownerType == 0) record->ownerType = object->type;
    AddHitRecords(view, record);
    s->hoverRecord = s->hoverListRecord = s->statusRecord = Ref32<HitRecord>::To(record);
    s->grabbedKind = record->kind;
    s->hoverFlag = 1;
    s->hoverObject = Ref32<ScoreObject>::To(object);
    if ((record->flags & kHandleComplete) != 0) {
        ClassOf(object).Paint(object, view);
        SaveRestoreFeedbackDC(view, object, true);
        s->editMode = kEditIdle;
        s->focusedObject = s->defaultObject;
        CloseFocusBracket(view, tool);
        return;
    }
    FocusNewObject(view, object, record);
}

intptr_t LeftButtonDown(ScoreView* view, platform::WindowHandle window, intptr_t data, bool synthetic) {
    SetupFeedbackState(view);
    if (!synthetic) SetPointerFromMessage(view, data);
    UpdateLocationFromPointer(view);
    if (TrackPointerMessage(view, window, win::Message::LeftButtonDown) == 0 || g_switches.busy) return 1;
    CreateAtPress(view);
    return 1;
}

// The pending object goes with its record when its serial is the program's.
void DropPendingObject(ScoreView* view) {
    SelectionState* s = Sel();
    ScoreObject* pending = s->pendingObject.get();
    if (pending == nullptr) return;
    UnlinkObject(pending);
    if (HitRecord* record = s->pendingRecord.get(); record != nullptr && !IsSelectionListEnd(record)) {
        UnlinkHitRecord(record);
        FreeHitRecordChain(record);
        FreeHitRecord(record);
    }
    pending->handleChain = {};
    ReleaseObjectByType(view->document, pending);
    s->pendingObject = {};
    s->pendingRecord = {};
    s->focusedObject = Ref32<ScoreObject>::To(PrototypeOf(view, s->toolType));
    s->focusRecord = s->hoverRecord = s->hoverListRecord = {};
    SetGrabbedRecord(s, nullptr);
    s->hoverObject = {};
    s->commitAfterMessage = 0;
    s->editMode = kEditIdle;
}

// The records of the focused chain that belong to a Note; 0 when nothing is focused.
uint16_t CountFocusedNoteRecords(const SelectionState* s) {
    if (s->editMode <= 0) return 0;
    constexpr int kChainLimit = 1 << 12;
    uint16_t count = 0;
    int n = 0;
    for (const HitRecord* r = s->focusRecord.get(); r != nullptr && n < kChainLimit; r = r->child.get(), ++n)
        if (r->ownerType == TypeCode(ObjectType::Note)) ++count;
    return count;
}

// Tool messages in progress: a message can arrive inside another while a creation at
// a click runs its dialog (a pointer move over the score), and the object being placed
// belongs to the outer one.
int g_messageDepth = 0;

void EndOfMessage(ScoreView* view, uint8_t entryDepth) {
    SelectionState* s = Sel();
    if (g_messageDepth == 1) DropPendingObject(view);
    ReleaseTemporaryChain(view);
    if (s->resetAfterMessage) {
        if (s->editMode > 0) UnfocusElement(view);
        ResetSelection(view, 1);
    }
    if (s->commitAfterMessage && s->editMode > 0) {
        CommitFocusedElement(view);
        NudgePointer(view);
    }
    if (s->rebuildRequested && !s->rebuildHold && s->editMode < kEditDragging)
        RedrawFocusAcrossSystems(view);
    s->rebuildRequested = 0;
    while (view->DrawDepth > entryDepth) EndViewDraw(view);
    s->commitAfterMessage = 0;
    s->selectedCount = CountFocusedNoteRecords(s);
}

// Entry: the default object is restored when none is focused; a focused object that
// is no longer live is reported, and the message dropped when the report says so.
bool EnterMessage(ScoreView* view) {
    SelectionState* s = Sel();
    if (!s->focusedObject) {
        s->defaultObject = Ref32<ScoreObject>::To(PrototypeOf(view, kMarqueeType));
        s->focusedObject = s->defaultObject;
    }
    ScoreObject* focused = s->focusedObject.get();
    if (focused == s->defaultObject.get() || IsUsableObject(focused)) return true;
    const bool drop = InternalError(kModuleTag, kEntryLine, reinterpret_cast<uintptr_t>(focused)) != 0;
    // Nothing may go on naming the dead object; its feedback can only be painted over.
    s->focusedObject = s->defaultObject;
    s->editMode = kEditIdle;
    ResetSelection(view, 1);
    if (view->ViewWindow) win::InvalidateRect(view->ViewWindow, nullptr, false);
    return !drop;
}

intptr_t PrivateMessage(ScoreView* view, platform::WindowHandle window, uint32_t id, uint32_t word,
                        intptr_t data) {
    SelectionState* s = Sel();
    ScoreObject* focused = FocusedObject();
    switch (id) {
        case kSlot26Message:
        case kSlot27Message:
            if (s->editMode != kEditFocused || focused == nullptr) return 1;
            HideFocusFeedback(view);
            if (id == kSlot26Message)
                ClassOf(focused).Slot26(focused, view);
            else
                ClassOf(focused).Slot27(focused, view);
            SetDocumentModified(view->document);
            ShowFocusFeedback(view);
            return 1;
        case kRedrawFeedbackMessage:
            if (focused != nullptr) ClassOf(focused).DrawTracking(focused, view);
            return 1;
        case kTrackAgainMessage:
            TrackPointerMessage(view, window, win::Message::MouseMove);
            return 1;
        case kPressAtPointerMessage:
            return LeftButtonDown(view, window, data, true);
        case kEditCommandMessage:
            if (focused != nullptr)
                return ClassOf(focused).OnEditCommand(focused, view, static_cast<int>(word),
                                                      static_cast<int>(data));
            return 1;
        default:
            return 0;
    }
}

intptr_t Dispatch(ScoreView* view, platform::WindowHandle window, win::Message message, uint32_t word,
                  intptr_t data) {
    if (g_switches.syntheticPress) return LeftButtonDown(view, window, data, true);
    switch (message) {
        case win::Message::MouseMove:
        case win::Message::LeftButtonUp:
        case win::Message::LeftButtonDoubleClick:
            SetupFeedbackState(view);
            SetPointerFromMessage(view, data);
            TrackPointerMessage(view, window, message);
            return 1;
        case win::Message::LeftButtonDown:
            return LeftButtonDown(view, window, data, false);
        case win::Message::RightButtonDown:
            return RightButtonPress(view, window, data);
        case win::Message::KeyDown:
        case win::Message::KeyUp:
        case win::Message::SystemKeyDown:
        case win::Message::KillFocus:
        case win::Message::Command:
            return KeyMessage(view, window, message, word, data);
        default:
            break;
    }
    const auto id = static_cast<uint32_t>(message);
    return id >= win::kPrivateMessageBase ? PrivateMessage(view, window, id, word, data) : 0;
}

}  // namespace

ToolMouseSwitches& ToolSwitches() {
    return g_switches;
}

intptr_t engine::HandleToolMouseMessage(ScoreView* view, platform::WindowHandle window, win::Message message,
                                uint32_t word, intptr_t data) {
    SelectionState* s = Sel();
    if (g_switches.busy) return 1;
    if (s == nullptr || view == nullptr || view->self != view || view->document == nullptr) return 0;
    if (!EnterMessage(view)) return 0;
    const uint8_t entryDepth = view->DrawDepth;
    ++g_messageDepth;
    const intptr_t result = Dispatch(view, window, message, word, data);
    EndOfMessage(view, entryDepth);
    --g_messageDepth;
    return result;
}

}  // namespace ql
