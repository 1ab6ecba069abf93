// The selection engine's small shared helpers: validation, prototypes, the
// temporary chain and the warp deficit of a drag.
#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "editing/selection_internal.h"
#include "platform/gfx/mapping.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql::selection {

namespace {
constexpr uint32_t kLowByte = 0xFF;  // the position byte of the view's position word
// One drag runs at a time, program-wide, like the SelectionState that drives it.
gfx::Point g_warpDeficit{};

bool ValidationOn() {
    return State().locate.PointerValidation != 0;
}
}  // namespace

SelectionState* Sel() {
    return TheSelectionState();
}

bool IsUsableRecord(const HitRecord* record) {
    if (record == nullptr) return false;
    if (!ValidationOn() || IsSelectionListEnd(record)) return true;
    return IsLiveRecord(PoolSet(TheStaticPoolSet()), kHitRecordPool, record);
}

bool IsUsableObject(const ScoreObject* object) {
    if (object == nullptr) return false;
    if (!ValidationOn()) return true;
    const ObjectTypeEntry entry = FindObjectType(object->type);
    if (entry.construct == nullptr) return true;  // a root object or a prototype-only type
    const auto* record = reinterpret_cast<const std::byte*>(object) - entry.objectOffset;
    return IsLiveRecord(CurrentPoolSet(), entry.pool, record);
}

ScoreObject* PrototypeOf(const ScoreView* view, int type) {
    if (view == nullptr || view->document == nullptr) return nullptr;
    if (type < 0 || type >= kObjectTypeCount) type = kMarqueeType;
    ScoreObject* prototype = view->document->prototypes[type];
    return prototype != nullptr ? prototype : view->document->prototypes[kMarqueeType];
}

ScoreObject* FocusedObject() {
    SelectionState* s = Sel();
    if (s == nullptr || s->editMode <= 0) return nullptr;
    ScoreObject* focused = s->focusedObject.get();
    return focused != s->defaultObject.get() ? focused : nullptr;
}

bool IsDragging() {
    return Sel() != nullptr && Sel()->editMode == kEditDragging;
}

bool IsFocused() {
    return Sel() != nullptr && Sel()->editMode > 0;
}

bool IsNoteOrRestTool() {
    const uint8_t type = Sel() != nullptr ? Sel()->toolType : 0xFF;
    return type == kMarqueeType || type == TypeCode(ObjectType::Note) ||
           type == TypeCode(ObjectType::Rest);
}

bool IsCurrentStaffHidden(const ScoreView* view) {
    const int8_t* flags = view != nullptr ? StaffFlagsOf(view->currentSystem) : nullptr;
    return flags != nullptr && view->currentStaff >= 0 && flags[view->currentStaff] < 0;
}

gfx::Point WarpDeficit() {
    return g_warpDeficit;
}

void SetWarpDeficit(gfx::Point deficit) {
    g_warpDeficit = deficit;
}

// Unchanged without a surface.
gfx::Point ClientOfLogical(ScoreView* view, LogicalPoint point) {
    gfx::Point device{point.x, point.y};
    const bool opened = !view->ViewDC;
    if (opened) BeginViewDraw(view);
    if (view->ViewDC) device = gfx::LogicalToDevice(view->ViewDC, device);
    if (opened) EndViewDraw(view);
    return device;
}

bool WarpToLogical(ScoreView* view, LogicalPoint point) {
    if (view == nullptr) return false;
    view->pointerPoint = point;
    State().locate.LastPointerPoint = point;
    const gfx::Point client = ClientOfLogical(view, point);
    const win::Point screen = win::ClientToScreen(view->ViewWindow, win::Point{client.x, client.y});
    if (!win::WarpPointer(screen)) return false;
    State().locate.SkipNextMouseMove = 1;
    return true;
}

// The real pointer stays where it is; what the drag reads from it from now on is
// the new point, so the deficit grows by the difference.
void MoveDragPointer(ScoreView* view, LogicalPoint point) {
    if (view == nullptr) return;
    const gfx::Point was = ClientOfLogical(view, view->pointerPoint);
    const gfx::Point now = ClientOfLogical(view, point);
    g_warpDeficit.x += was.x - now.x;
    g_warpDeficit.y += was.y - now.y;
    view->pointerPoint = point;
    State().locate.LastPointerPoint = point;
}

void SetGrabbedRecord(SelectionState* s, HitRecord* record) {
    s->grabbedRecord = Ref32<HitRecord>::To(record);
    s->grabbedKind = record != nullptr ? record->kind : kNoGrabbedKind;
}

void SetFocusLocation(SelectionState* s, const ScoreView* view) {
    // The focus "system" keeps the view's position byte, as the saved location has it.
    s->focusSystem = static_cast<int8_t>(view->positionWord & kLowByte);
    s->focusStaff = static_cast<int16_t>(view->currentStaff);
    s->focusMeasure = static_cast<int16_t>(view->currentMeasure);
}

void ReleaseFollowedObjects(SelectionState* s, const ScoreObject* keep) {
    if (s == nullptr) return;
    State().input.StaffCursorClef = -1;  // the staff elements made next look their clef up again
    constexpr int kWalkLimit = 1 << 16;
    ScoreObject* o = s->followedList.next.get();
    for (int n = 0; o != nullptr && n < kWalkLimit; ++n) {
        ScoreObject* next = o->next.get();
        if (o != keep) {
            if (s->hoverObject.get() == o || s->statusRecord.get() == o->handleChain.get()) {
                s->hoverFlag = 0;
                s->hoverObject = {};
                s->hoverListRecord = {};
                s->hoverRecord = {};
                s->statusRecord = {};
            }
            UnlinkObject(o);
            ReleaseObject(o);
            // What stood for the location is gone: the next hover follows it again.
            s->locationChanged = 1;
        }
        o = next;
    }
}

void ReleaseTemporaryChain(ScoreView* view) {
    SelectionState* s = Sel();
    if (s == nullptr || !s->temporaryChain.next) return;
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    ReleaseObjectChain(&s->temporaryChain, document);
    s->temporaryChain.next = {};
}

}  // namespace ql::selection
