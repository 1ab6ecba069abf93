// TrackPointerMessage: the press that focuses a handle and starts its drag, the
// moves that drag it (with its axis locks), the release and the double click.
// Feedback is hidden and shown around every change of the edit mode, so that what
// one XOR drew the next one removes. When the pointer could not be warped onto the
// grab point, the drag reads the pointer through the warp deficit instead.
#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/units/save_stacks.h"
#include "display/view_location.h"

#include <cstdlib>
#include <cstring>
#include "core/objects/handle_flags.h"
#include "core/settings/program_options.h"
#include "core/ui/shell_services.h"
#include "editing/feedback.h"
#include "editing/marquee.h"
#include "editing/mouse_processor.h"
#include "editing/mouse_processor_internal.h"
#include "editing/selection.h"
#include "editing/selection_internal.h"
#include "editing/status_readout.h"
#include "notes/entry/note_cursor.h"
#include "platform/gfx/mapping.h"
#include "platform/win/input.h"
#include "platform/win/timers.h"

namespace ql {

using namespace selection;

namespace {

gfx::Point g_lastClient{};  // the last client point a mouse message carried
constexpr int32_t kSnapFreeSize = 48;  // views drawn larger than this are never snapped
struct SnapState {
    int32_t lastRaw = 0;
    int32_t lastSnapped = 0;
};
SnapState g_snap;

// The vertical snap applies while hovering with the setting and "Quantize Notes
// Cursor" on, except for the articulation, tuplet and rest tools.
bool SnapApplies() {
    const SelectionState* s = Sel();
    if (s == nullptr || s->noSnap || ToolSwitches().snapSetting != 1 || Options().QuantizeMouse == 0) return false;
    const uint8_t tool = s->toolType;
    if (tool == TypeCode(ObjectType::NoteArticulation) || tool == TypeCode(ObjectType::Tuplet) ||
        tool == TypeCode(ObjectType::Rest))
        return false;
    return s->hoverFlag == 0 && s->editMode < kEditDragging;
}

bool ModifierFreesLock() {
    return win::IsKeyDown(win::Key::Control) || win::IsKeyDown(win::Key::Shift) ||
           State().input.StickyCtrlFlag != 0;
}

// The hovered handle becomes the focus; a new focused object opens its undo step.
void TakeHoverAsFocus(ScoreView* view) {
    SelectionState* s = Sel();
    ScoreObject* object = s->hoverObject.get();
    if (object != s->focusedObject.get() || !IsFocusBracketOpen()) OpenFocusBracket(view, object->type);
    s->focusRecord = s->hoverListRecord;
    SetGrabbedRecord(s, s->hoverRecord.get());
    if (HitRecord* grabbed = s->grabbedRecord.get(); grabbed != nullptr) s->grabbedOwnerType = grabbed->ownerType;
    s->focusedObject = Ref32<ScoreObject>::To(object);
    s->editMode = kEditFocused;
}

void SetModeWithFeedback(ScoreView* view, int8_t mode) {
    HideFocusFeedback(view);
    Sel()->editMode = mode;
    ShowFocusFeedback(view);
}

void StartDrag(ScoreView* view) {
    SelectionState* s = Sel();
    HitRecord* grabbed = s->grabbedRecord.get();
    if (grabbed == nullptr) return;
    SetModeWithFeedback(view, kEditDragging);
    State().input.AltAtDragStart = win::IsKeyDown(win::Key::Alt) ? 1 : 0;
    LogicalPoint grab = view->pointerPoint;
    if ((grabbed->flags & kHandleGrabAtPointer) == 0) {
        grab = grabbed->point;
        if (!WarpToLogical(view, grab)) {
            const gfx::Point meant = ClientOfLogical(view, grab);
            SetWarpDeficit(gfx::Point{g_lastClient.x - meant.x, g_lastClient.y - meant.y});
        }
    }
    s->grabX = grab.x;
    s->grabY = grab.y;
    ShowHandleStatus(view, grabbed);
    std::memcpy(s->grabbedAnchor, &grabbed->location.location, sizeof s->grabbedAnchor);
    s->pointerOffsetX = view->pointerPoint.x - grabbed->point.x;
    s->pointerOffsetY = view->pointerPoint.y - grabbed->point.y;
}

int PressWhileFocused(ScoreView* view) {
    SelectionState* s = Sel();
    HitTestSelectionLists(view, 0);
    if (s->hoverFlag && s->hoverObject.get() == s->focusedObject.get() && s->hoverRecord) {
        HideFocusFeedback(view);
        TakeHoverAsFocus(view);
        ShowFocusFeedback(view);
        StartDrag(view);
        return 0;
    }
    HitRecord* focus = s->focusRecord.get();
    if (focus == nullptr) {
        s->editMode = kEditIdle;
        return 0;
    }
    const uint16_t flags = focus->flags;
    if ((flags & kHandleKeepFocusOutside) != 0) return 0;
    UnfocusElement(view);
    win::SetCursor(s->toolCursor);
    return (flags & kHandleCreateOutside) != 0 ? 1 : 0;
}

int PressWhileIdle(ScoreView* view) {
    SelectionState* s = Sel();
    if (HitTestSelectionLists(view, 0) == 0 || !s->hoverRecord) {
        if (s->toolType != TypeCode(ObjectType::Staff)) return 1;
        ScoreObject* object = s->focusedObject.get();
        if (IsUsableObject(object)) ClassOf(object).EditAttributes(object, view);
        s->editMode = kEditIdle;
        if (view->ViewWindow) win::SetFocus(view->ViewWindow);
        return 0;
    }
    TakeHoverAsFocus(view);
    ScoreObject* object = s->focusedObject.get();
    SelectSelectionColours(view);
    // Drawn in the cell its focus record names: the pointer may be on a part of it
    // that reaches into the next measure.
    const HitRecord* focus = s->focusRecord.get();
    PushViewLocation(view);
    if (focus != nullptr && object->subtype == SubtypeCode(ObjectSubtype::MeasureTimeList))
        SetCurrentMeasure(view, focus->location.location.staff, focus->location.location.measure);
    ClassOf(object).DrawSelected(object, view);
    PopViewLocation(view);
    SaveRestoreFeedbackDC(view, object, true);
    ShowFocusFeedback(view);
    StartDrag(view);
    return 0;
}

// The drag offset after the axis locks of the focus record; true when a lock took
// a non-zero part away.
bool ApplyAxisLocks(const HitRecord* focus, int32_t& dx, int32_t& dy) {
    if (focus == nullptr || ModifierFreesLock()) return false;
    const int32_t ox = dx, oy = dy;
    if ((focus->flags & kHandleHorizontalOnly) != 0) dy = 0;
    if ((focus->flags & kHandleVerticalOnly) != 0) dx = 0;
    if ((focus->flags & kHandleDominantAxis) != 0) {
        if (std::abs(dx) > std::abs(dy))
            dy = 0;
        else
            dx = 0;
    }
    return dx != ox || dy != oy;
}

bool IsOwnerless(uint8_t type) {
    return type == kMarqueeType || type == TypeCode(ObjectType::Area) || type == TypeCode(ObjectType::Staff);
}

int DragMoveStep(ScoreView* view) {
    SelectionState* s = Sel();
    ScoreObject* object = s->focusedObject.get();
    HitRecord* grabbed = s->grabbedRecord.get();
    if (!IsUsableObject(object) || grabbed == nullptr) return 0;
    // A marquee's inversion follows the step by difference: the hide leaves it.
    const MarqueeEraseSuppressed keepMarquee(object);
    HideFocusFeedback(view);
    if (win::IsKeyDown(win::Key::Shift)) State().input.ShiftDragFlag = 1;
    int32_t dx = view->pointerPoint.x - s->grabX;
    int32_t dy = view->pointerPoint.y - s->grabY;
    // The constraint works on this move's offset; the pointer follows what it keeps.
    if ((grabbed->flags & kHandleConstrain) != 0 || win::IsKeyDown(win::Key::Shift)) {
        s->dragOffsetX = dx;
        s->dragOffsetY = dy;
        ClassOf(object).ConstrainDrag(object, view);
        dx = s->dragOffsetX;
        dy = s->dragOffsetY;
        const LogicalPoint kept{s->grabX + dx, s->grabY + dy};
        if (kept.x != view->pointerPoint.x || kept.y != view->pointerPoint.y) MoveDragPointer(view, kept);
    }
    if (ApplyAxisLocks(s->focusRecord.get(), dx, dy) && (grabbed->flags & kHandleLockStaysPut) == 0)
        MoveDragPointer(view, LogicalPoint{s->grabX + dx, s->grabY + dy});
    s->dragOffsetX = dx;
    s->dragOffsetY = dy;
    if ((grabbed->flags & kHandleMovesWhole) != 0)
        ClassOf(object).DragMove(object, view);
    else
        ClassOf(object).TrackDrag(object, view);
    if (!IsOwnerless(object->type)) {
        SetDocumentModified(view->document);
        uint16_t& request = view->document->header.reformatRequest;
        if (request == 0) request = kReformatAfterDrag;  // a pending request stays
    }
    s->grabX = view->pointerPoint.x;
    s->grabY = view->pointerPoint.y;
    SetupFeedbackState(view);
    ShowFocusFeedback(view);
    if (grabbed->ownerType != TypeCode(ObjectType::Slur)) ShowHandleStatus(view, grabbed);
    return 0;
}

// The score as it was when the objects of the pointer's location were made.
struct FollowedScore {
    const ScoreDocument* document = nullptr;
    uint16_t change = 0;
};
FollowedScore& Followed() {
    static FollowedScore followed;
    return followed;
}

// With the Note and Rest tools the staves above and below the pointer's are followed
// too, so that their notes answer the pointer as soon as it crosses into them.
void FollowNeighbourStaves(ScoreView* view, ScoreObject* focused) {
    const uint8_t tool = Sel()->toolType;
    if (tool != TypeCode(ObjectType::Note) && tool != TypeCode(ObjectType::Rest)) return;
    const int staff = view->currentStaff;
    const int measure = view->currentMeasure;
    bool moved = false;
    for (int other : {staff - 1, staff + 1}) {
        if (other < 1 || other > view->document->header.staffCount) continue;
        const int8_t* shown = view->currentSystem != nullptr ? StaffFlagsOf(view->currentSystem) : nullptr;
        if (shown != nullptr && shown[other] < 0) continue;  // hidden in this system
        SetCurrentMeasureQuick(view, other, measure);
        moved = true;
        if (view->currentCell != nullptr) ClassOf(focused).FollowLocation(focused, view);
    }
    if (moved) SetCurrentMeasureQuick(view, staff, measure);
}

// The focused object (the armed tool's prototype while nothing is focused) follows
// the new location, unless its staff is hidden: what it makes there (note handles,
// barline objects, the staff element) goes into the selection's followed list,
// whose handles the collection then takes.
void FollowFocusedObject(ScoreView* view, SelectionState* s, ScoreObject* focused) {
    if (focused == nullptr || (focused != s->defaultObject.get() && !IsUsableObject(focused))) return;
    if (view->currentSystem == nullptr || SelectionObjectList() == nullptr) return;
    if (!IsCurrentStaffHidden(view)) ClassOf(focused).FollowLocation(focused, view);
    FollowNeighbourStaves(view, focused);
}

int HoverMove(ScoreView* view) {
    SelectionState* s = Sel();
    ScoreObject* focused = s->focusedObject.get();
    // What was made for the location stands for the score as it was: after an edit
    // it is made again.
    FollowedScore& followed = Followed();
    if (view->document != followed.document || view->document->changeCounter != followed.change) {
        ReleaseFollowedObjects(s, focused);
        s->locationChanged = 1;
        followed = {view->document, view->document->changeCounter};
    }
    if (s->locationChanged || (IsUsableObject(focused) && ClassOf(focused).LocationChanged(focused, view) == 1)) {
        s->locationChanged = 0;
        FollowFocusedObject(view, s, focused);
        SetFocusLocation(s, view);
        CollectHitRecordsAtLocation(view);
    }
    HitRecord* under = FindRecordUnderPointer(view);
    if (under == nullptr) {
        win::SetCursor(s->toolCursor);
        ScoreObject* had = s->hoverObject.get();
        s->hoverObject = {};
        s->hoverFlag = 0;
        s->hoverListRecord = {};
        s->hoverRecord = {};
        s->statusRecord = {};
        if (had != nullptr && IsUsableObject(had)) ClassOf(had).Slot41(had);
        return 0;
    }
    // A marquee under the pointer is hit-tested at every move, so that its cursor
    // shows what a press would take: one of its corners, or the whole.
    const ScoreObject* owner = under->owner.get();
    if (owner != nullptr && owner->type == kMarqueeType) {
        ClearHoverState();
        HitTestSelectionLists(view, 0);
    } else if (!s->hoverRecord) {
        HitTestSelectionLists(view, 2);
    } else if (under != s->hoverRecord.get()) {
        ClearHoverState();
        HitTestSelectionLists(view, 0);
    }
    return 0;
}

int Release(ScoreView* view) {
    SelectionState* s = Sel();
    State().input.ShiftLatch = 0;
    State().input.StickyCtrlFlag = 0;
    State().input.ShiftDragFlag = 0;
    if (s->editMode != kEditDragging) {
        SetWarpDeficit({});
        return 0;
    }
    ClearHoverState();
    ScoreObject* object = s->focusedObject.get();
    HitRecord* grabbed = s->grabbedRecord.get();
    HideFocusFeedback(view);
    const bool endsOnRelease = grabbed != nullptr && (grabbed->flags & kHandleEndOnRelease) != 0;
    if (IsUsableObject(object)) ClassOf(object).EndDrag(object, view);
    if (s->editMode == kEditDragging) s->editMode = kEditFocused;  // EndDrag may have unfocused it
    ShowFocusFeedback(view);
    if (endsOnRelease) UnfocusElement(view);
    SetWarpDeficit({});
    NudgePointer(view);
    return 0;
}

// A double click on nothing while the tool cursor shows: the text caret goes to the
// pointer, so that typing and pasting start there.
void PlaceCaretAtPointer(ScoreView* view) {
    if (!view->ViewWindow) return;
    const gfx::Point at = ClientOfLogical(view, view->pointerPoint);
    win::SetCaretPosition(win::Point{at.x, at.y});
    win::ShowCaret(view->ViewWindow);
    view->CaretShown = 1;
    UpdateToolbarButtons(view);
}

int DoubleClick(ScoreView* view) {
    SelectionState* s = Sel();
    HitRecord* under = FindRecordUnderPointer(view);
    if (under == nullptr && s->editMode <= 0) {
        PlaceCaretAtPointer(view);
        return 0;
    }
    ScoreObject* owner = under != nullptr ? under->owner.get() : nullptr;
    if (!IsUsableObject(owner) || owner->type == kMarqueeType) return 0;
    if (s->editMode > 0 && owner != s->focusedObject.get()) return 0;
    const bool wasFocused = s->editMode > 0;
    if (wasFocused) HideFocusFeedback(view);
    if (!wasFocused) OpenFocusBracket(view, owner->type);
    ClassOf(owner).EditAttributes(owner, view);
    if (!wasFocused) CloseFocusBracket(view, owner->type);
    if (view->ViewWindow) win::SetFocus(view->ViewWindow);
    SetupFeedbackState(view);
    if (wasFocused && IsUsableObject(owner)) ShowFocusFeedback(view);
    ClearHoverState();
    NudgePointer(view);
    return 0;
}

}  // namespace

gfx::Point LastClientPoint() {
    return g_lastClient;
}

void selection::FollowLocationAgain(ScoreView* view) {
    SelectionState* s = Sel();
    if (s == nullptr || view == nullptr || !s->locationChanged) return;
    s->locationChanged = 0;
    FollowFocusedObject(view, s, s->focusedObject.get());
    SetFocusLocation(s, view);
    CollectHitRecordsAtLocation(view);
}

void ResetPointerSnap() {
    g_snap = {};
}

// With the Note tool the note cursor follows the pointer while nothing is hovered.
static void FollowWithNoteCursor(ScoreView* view) {
    const SelectionState* s = Sel();
    if (s != nullptr && s->hoverFlag == 0 && s->toolType == TypeCode(ObjectType::Note)) UpdateNoteCursorPos(view);
}

void SetPointerFromMessage(ScoreView* view, intptr_t packedPoint) {
    if (view == nullptr) return;
    const win::Point raw = win::UnpackPoint(packedPoint);
    g_lastClient = gfx::Point{raw.x, raw.y};
    if (SnapApplies()) {
        SnapPointerVertically(view, view->ViewWindow, packedPoint);
        FollowWithNoteCursor(view);
        return;
    }
    gfx::Point point = g_lastClient;
    if (IsDragging()) {
        point.x -= WarpDeficit().x;
        point.y -= WarpDeficit().y;
    }
    const bool opened = !view->ViewDC;
    if (opened) BeginViewDraw(view);
    if (view->ViewDC) point = gfx::DeviceToLogical(view->ViewDC, point);
    if (opened) EndViewDraw(view);
    view->pointerPoint = LogicalPoint{point.x, point.y};
    FollowWithNoteCursor(view);
}

// The vertical snap while hovering: y goes down to a multiple of the view's snap
// step (device units), recomputed from the real pointer every time; small moves
// accumulate from the last raw y so that a slow drift still crosses a step.
int SnapPointerVertically(ScoreView* view, platform::WindowHandle /*window*/, intptr_t packedPoint) {
    if (view == nullptr) return 1;
    const win::Point raw = win::UnpackPoint(packedPoint);
    const int32_t step = view->zoomStep > 0 ? view->zoomStep : 1;
    int32_t y = raw.y;
    if (view->fontSize > kSnapFreeSize) {
        g_snap = {y, y};
    } else {
        const int32_t dy = y - g_snap.lastSnapped;
        if (std::abs(dy) <= step) y = g_snap.lastRaw + dy;
        g_snap.lastRaw = y;
        y = y / step * step;
    }
    gfx::Point point{raw.x, y};
    const bool opened = !view->ViewDC;
    if (opened) BeginViewDraw(view);
    if (view->ViewDC) point = gfx::DeviceToLogical(view->ViewDC, point);
    if (opened) EndViewDraw(view);
    const LogicalPoint logical{point.x, point.y};
    if (y == raw.y && logical.x == view->pointerPoint.x && logical.y == view->pointerPoint.y) return 0;
    g_snap.lastSnapped = y;
    WarpToLogical(view, logical);
    return 0;
}

int TrackPointerMessage(ScoreView* view, platform::WindowHandle /*window*/, win::Message message) {
    SelectionState* s = Sel();
    if (s == nullptr || view == nullptr) return 0;
    switch (message) {
        case win::Message::LeftButtonDown:
            return s->editMode > 0 ? PressWhileFocused(view) : PressWhileIdle(view);
        case win::Message::MouseMove:
            State().locate.ForceLocationUpdate = 1;
            UpdateLocationFromPointer(view);
            return s->editMode == kEditDragging ? DragMoveStep(view) : HoverMove(view);
        case win::Message::LeftButtonUp:
            return Release(view);
        case win::Message::LeftButtonDoubleClick:
            return DoubleClick(view);
        default:
            return 0;
    }
}

}  // namespace ql
