// The helpers the box, circle and line classes share (see graphic_shapes_internal.h).
#include <algorithm>
#include <cstdlib>

#include "core/memory/pool.h"
#include "core/model/score_document.h"
#include "core/objects/object_classes.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "objects/graphics/graphic_shapes_internal.h"
#include "platform/gfx/dc.h"
#include "platform/win/keys.h"

namespace ql::graphics {
namespace {

constexpr uint8_t kLargestWidthCode = 4;
constexpr int32_t kWholeSpacePen = 128;
constexpr uint8_t kShiftBit = 4;  // in the input state's modifier byte

bool IsNoteAttached(const ScoreObject* object) {
    return object->subtype == SubtypeCode(ObjectSubtype::NoteAttachment);
}

}  // namespace

int32_t GraphicPenWidth(uint8_t code) {
    if (code <= kLargestWidthCode) return kWholeSpacePen >> (kLargestWidthCode - code);
    return code;
}

LogicalPoint GraphicAnchorPoint(ScoreObject* object, ScoreView* view) {
    LogicalPoint point{};
    ObjectLocation& location = AsGraphicObject(object)->body.location;
    if (view == nullptr) return point;
    if (IsNoteAttached(object))
        NoteAnchorToPoint(view, object, &location, &point);
    else
        DecodeAnchors(view, object->subtype, &location, &point, 1);
    return point;
}

void StoreGraphicAnchor(ScoreObject* object, ScoreView* view, LogicalPoint point) {
    ObjectLocation& location = AsGraphicObject(object)->body.location;
    if (view == nullptr) return;
    if (IsNoteAttached(object)) {
        PointToNoteAnchor(view, object, &location, point);
    } else if (object->subtype == SubtypeCode(ObjectSubtype::PageList)) {
        EncodePageAnchors(view, &location, &point, 1);
    } else {
        // A measure anchor is relative to the measure it was encoded in: that place
        // becomes the view's, so that the object goes into that measure's list.
        LocationRecord place{};
        EncodeAnchors(view, &place, object->subtype, &location, &point, 1);
        if (ScoreSystem* system = Ref32<ScoreSystem>(place.location.position).get())
            SetCurrentSystemAndMeasure(view, system, place.location.staff, place.location.measure);
    }
}

bool SkipsDrawing(const ScoreObject* object, const ScoreView* view) {
    return object->subtype == SubtypeCode(ObjectSubtype::PageList) && !IsPageLayout(view);
}

HitRecord* NewHandle(ScoreObject* object, ScoreView* view, uint8_t kind, LogicalPoint point,
                     uint16_t flags) {
    auto* hit = static_cast<HitRecord*>(AllocStaticRecord(kHitRecordPool));
    if (hit == nullptr) return nullptr;
    ConstructHitRecordAtPoint(hit, view, kind, point);
    hit->flags = static_cast<uint16_t>(hit->flags | flags);
    hit->owner = Ref32<ScoreObject>::To(object);
    hit->ownerType = object->type;
    return hit;
}

void LinkHandleChain(HitRecord* const* handles, int count) {
    for (int i = 1; i < count; ++i) {
        handles[i]->parent = Ref32<HitRecord>::To(handles[i - 1]);
        handles[i - 1]->child = Ref32<HitRecord>::To(handles[i]);
    }
}

void FreeHandles(HitRecord* const* handles, int count) {
    for (int i = 0; i < count; ++i)
        if (handles[i] != nullptr) FreeHitRecord(handles[i]);
}

HitRecord* ChainHandle(HitRecord* first, int index) {
    HitRecord* hit = first;
    for (int i = 0; i < index && hit != nullptr; ++i) hit = hit->child.get();
    return hit;
}

int ChainIndexOf(const HitRecord* first, const HitRecord* handle) {
    int index = 0;
    for (const HitRecord* hit = first; hit != nullptr; hit = hit->child.get(), ++index)
        if (hit == handle) return index;
    return -1;
}

HitRecord* FocusedChain() {
    SelectionState* selection = TheSelectionState();
    return selection != nullptr ? selection->focusRecord.get() : nullptr;
}

HitRecord* DraggedHandle() {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return nullptr;
    HitRecord* current = selection->grabbedRecord.get();
    return current != nullptr ? current : selection->focusRecord.get();
}

LogicalPoint DragOffset() {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return {};
    return {selection->dragOffsetX, selection->dragOffsetY};
}

LogicalPoint DraggedTo(const HitRecord* dragged) {
    const LogicalPoint offset = DragOffset();
    return {dragged->point.x + offset.x, dragged->point.y + offset.y};
}

void ConstrainDragTo(const HitRecord* dragged, LogicalPoint to, ScoreView* view) {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return;
    selection->dragOffsetX = to.x - dragged->point.x;
    selection->dragOffsetY = to.y - dragged->point.y;
    if (view != nullptr) view->pointerPoint = to;
}

ScoreObject* CloneGraphic(ScoreObject* object, PoolSet target) {
    ScopedPoolSet allocating(target);
    ScoreObject* copy = ConstructObject(object->type);
    if (copy == nullptr) return nullptr;
    AsGraphicObject(copy)->body = AsGraphicObject(object)->body;
    copy->subtype = object->subtype;
    return copy;
}

HitRecord* OwnFirstHandle(ScoreObject* object) {
    HitRecord* first = object->handleChain.get();
    if (first == nullptr || !IsLiveRecord(TheStaticPoolSet(), kHitRecordPool, first) || first->owner.get() != object)
        return nullptr;
    return first;
}

bool ExtentInside(LogicalPoint start, int32_t width, int32_t height, const RecordRect& rect) {
    int64_t left = start.x;
    int64_t right = left + width;
    int64_t top = start.y;
    int64_t bottom = top + height;
    return left > rect.left && right < rect.right && top > rect.top && bottom < rect.bottom;
}

void MoveWholeChain() {
    HitRecord* first = FocusedChain();
    LogicalPoint delta = DragOffset();
    for (HitRecord* hit = first; hit != nullptr; hit = hit->child.get()) {
        OffsetHitRecord(hit, delta);
        if ((hit->flags & kHandleWholeObject) != 0) hit->flags |= kHandleMoved;
    }
}

int CommitFirstHandle(ScoreObject* object, ScoreView* view) {
    HitRecord* first = FocusedChain();
    HitRecord* rest = first != nullptr ? first->child.get() : nullptr;
    if (rest != nullptr) {
        first->child = Ref32<HitRecord>{};
        rest->parent = Ref32<HitRecord>{};
    }
    int result = ScoreObjectCommitDrag(object, view);
    if (rest == nullptr) return result;
    if (FocusedChain() == first) {
        first->child = Ref32<HitRecord>::To(rest);
        rest->parent = Ref32<HitRecord>::To(first);
        return result;
    }
    // The commit replaced the chain; the records cut off it are no one's now.
    for (HitRecord* hit = rest; hit != nullptr;) {
        HitRecord* next = hit->child.get();
        FreeHitRecord(hit);
        hit = next;
    }
    return result;
}

int ClipToShape(platform::DcHandle dc, const RecordRect& rect, int32_t penWidth) {
    int saved = gfx::SaveContext(dc);
    gfx::IntersectClipRect(dc, {std::min(rect.left, rect.right) - penWidth, std::min(rect.top, rect.bottom) - penWidth,
                                std::max(rect.left, rect.right) + penWidth + 1,
                                std::max(rect.top, rect.bottom) + penWidth + 1});
    return saved;
}

bool ShiftHeld() {
    return win::IsKeyDown(win::Key::Shift) || (State().input.ModifierState & kShiftBit) != 0;
}

}  // namespace ql::graphics
