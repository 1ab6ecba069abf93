// The hairpin's five handles and its drags (see hairpin_internal.h): apex (0), upper
// and lower open ends (1, 2), the opening handle (3) that moves both ends, and the
// move handle (4, four times the handle size) that moves the whole wedge. An end
// that runs past the system's end has its hot rectangle on the next system.
#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/handle_flags.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/units/save_stacks.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "layout/system_span.h"
#include "objects/hairpin/hairpin_internal.h"
#include "objects/midi_marks/mark_internal.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"

namespace ql {
namespace {

constexpr uint16_t kWholeMoveFlags = kHandleMovesWhole;

// The object's handles: the selection's focused chain when the object owns it, else
// the chain the object records.
HitRecord* ChainOf(ScoreObject* object) {
    if (object == nullptr) return nullptr;
    SelectionState* selection = TheSelectionState();
    HitRecord* focus = selection != nullptr ? selection->focusRecord.get() : nullptr;
    if (focus != nullptr && focus->owner.get() == object) return focus;
    HitRecord* own = object->handleChain.get();
    return own != nullptr && own->owner.get() == object ? own : nullptr;
}

// The handles of a chain in order; false when the chain is short.
bool HandlesOf(HitRecord* first, HitRecord* (&handles)[kHairpinHandleCount]) {
    HitRecord* hit = first;
    for (HitRecord*& handle : handles) {
        if (hit == nullptr) return false;
        handle = hit;
        hit = hit->child.get();
    }
    return true;
}

int32_t HalfOfKind(int kind) {
    return kind == kMoveHandle ? HandleSize() * kMoveHandleScale : HandleSize();
}

// Places one handle at a point; an end's rectangle follows the point onto the next
// system while the handle keeps the point as it is.
void PlaceHandle(HitRecord* hit, const ScoreView* view, int kind, LogicalPoint point) {
    PlaceHitRecord(hit, point, HalfOfKind(kind));
    if (view == nullptr || (kind != kUpperHandle && kind != kLowerHandle)) return;
    const gfx::Point wrapped = WrapPointToNextSystem(view, gfx::Point{point.x, point.y});
    SetHandleRects(hit->style, wrapped.x, wrapped.y, hit->outer, hit->inner, true);
}

void FreeMade(HitRecord* const* handles, int count) {
    for (int i = 0; i < count; ++i)
        if (handles[i] != nullptr) FreeHitRecord(handles[i]);
}

HitRecord* FocusedHandle() {
    SelectionState* selection = TheSelectionState();
    return selection != nullptr ? selection->grabbedRecord.get() : nullptr;
}

LogicalPoint DragOffsetOfSelection() {
    SelectionState* selection = TheSelectionState();
    return selection != nullptr ? LogicalPoint{selection->dragOffsetX, selection->dragOffsetY} : LogicalPoint{};
}

// With symmetric hairpins on, a drag mirrors while the Alt key stands otherwise
// than it did when the drag started (pressed or let go during the drag).
bool MirrorsDrag() {
    const bool altNow = win::IsKeyDown(win::Key::Alt);
    return Options().SymmetricHairpins != 0 && altNow != (State().input.AltAtDragStart != 0);
}

// Draws the wedge where its anchors put it, erased (before a change) or in ink
// (after it): measure anchors are read in the cell its first handle records, wherever
// the view's location stands.
void DrawInItsCell(ScoreObject* object, ScoreView* view, const HitRecord* first, bool erase) {
    if (!view->ViewWindow) return;
    PushViewLocation(view);
    if (object->subtype != SubtypeCode(ObjectSubtype::PageList) && first != nullptr)
        SetCurrentMeasure(view, first->location.location.staff, first->location.location.measure);
    if (erase)
        EraseBeforeChange(object, view);
    else
        RedrawAfterChange(object, view);
    PopViewLocation(view);
}

}  // namespace

HitRecord* BuildHairpinHandles(ScoreObject* object, ScoreView* view) {
    if (object == nullptr || view == nullptr) return nullptr;
    const auto points = HairpinHandlePoints(DecodeHairpinShape(AsHairpin(object), view));
    HitRecord* handles[kHairpinHandleCount] = {};
    for (int kind = 0; kind < kHairpinHandleCount; ++kind) {
        handles[kind] = AllocHitRecord();
        if (handles[kind] == nullptr) {
            FreeMade(handles, kind);
            ui::Beep(ui::BeepKind::Default);
            return nullptr;
        }
        ConstructHitRecordAtPointEx(handles[kind], view, static_cast<uint8_t>(kind), points[kind],
                                    HalfOfKind(kind));
        handles[kind]->owner = Ref32<ScoreObject>::To(object);
        handles[kind]->ownerType = object->type;
        if (kind > 0) handles[kind - 1]->child = Ref32<HitRecord>::To(handles[kind]);
    }
    handles[kMoveHandle]->flags |= kWholeMoveFlags;
    PlaceHandle(handles[kUpperHandle], view, kUpperHandle, points[kUpperHandle]);
    PlaceHandle(handles[kLowerHandle], view, kLowerHandle, points[kLowerHandle]);
    return handles[0];
}

bool ShapeOfHandles(ScoreObject* object, HairpinShape* shape) {
    HitRecord* handles[kHairpinHandleCount];
    if (!HandlesOf(ChainOf(object), handles)) return false;
    *shape = {handles[kUpperHandle]->point, handles[kApexHandle]->point, handles[kLowerHandle]->point};
    return true;
}

void PlaceHandlesOfShape(ScoreObject* object, const HairpinShape& shape) {
    HitRecord* handles[kHairpinHandleCount];
    if (!HandlesOf(ChainOf(object), handles)) return;
    const auto points = HairpinHandlePoints(shape);
    for (int kind = 0; kind < kHairpinHandleCount; ++kind) PlaceHandle(handles[kind], nullptr, kind, points[kind]);
}

void TrackHairpinDrag(ScoreObject* object, ScoreView* view) {
    HairpinShape shape;
    HitRecord* dragged = FocusedHandle();
    if (dragged == nullptr || !ShapeOfHandles(object, &shape)) return;
    shape = DragHairpinHandle(shape, dragged->kind, DragOffsetOfSelection(), MirrorsDrag());
    HitRecord* handles[kHairpinHandleCount];
    HandlesOf(ChainOf(object), handles);
    const auto points = HairpinHandlePoints(shape);
    for (int kind = 0; kind < kHairpinHandleCount; ++kind) PlaceHandle(handles[kind], view, kind, points[kind]);
}

void MoveHairpinHandles(ScoreObject* object, ScoreView* view) {
    HitRecord* handles[kHairpinHandleCount];
    if (view == nullptr || !HandlesOf(ChainOf(object), handles)) return;
    const LogicalPoint offset = DragOffsetOfSelection();
    for (HitRecord* hit : handles) WrapObjectPointToNextSystem(view, hit, gfx::Point{offset.x, offset.y});
}

// Re-anchors the wedge from its handles; a measure-attached one whose apex now lies
// in another measure or staff moves into that cell's list.
int CommitHairpinDrag(ScoreObject* object, ScoreView* view) {
    HairpinShape shape;
    if (view == nullptr || view->document == nullptr || !ShapeOfHandles(object, &shape)) return 0;
    HairpinObject* hairpin = AsHairpin(object);
    HitRecord* first = ChainOf(object);
    DrawInItsCell(object, view, first, true);  // the picture from before the drag
    if (object->subtype != SubtypeCode(ObjectSubtype::PageList)) {
        LocationRecord where{};
        ObjectLocation probe{};
        const LogicalPoint left = IsCrescendoShape(shape) ? shape.apex : shape.upper;
        EncodeAnchors(view, &where, 0, &probe, &left, 1);
        const ObjectLocation& was = first->location.location;
        if (where.location.measure != was.measure || where.location.staff != was.staff) {
            StaffRecord* staff = StaffRecordOf(view->document, where.location.staff);
            MeasureCell* cell = staff != nullptr ? GetOrCreateMeasureCell(staff, view->document, where.location.measure)
                                                 : nullptr;
            ScoreObject* list = cell != nullptr ? GetOrCreateCellObjectList(cell) : nullptr;
            if (list != nullptr) {
                UnlinkObject(object);
                InsertObjectAfter(list, object);
                first->location.location.measure = where.location.measure;
                first->location.location.staff = where.location.staff;
            }
        }
    }
    EncodeHairpinShape(hairpin, view, shape);
    SetDocumentModified(view->document);
    ClassOf(object).MakeCurrent(object, view);
    return 1;
}

void DrawHairpinTracking(ScoreObject* object, ScoreView* view) {
    HairpinShape shape;
    if (view == nullptr || !ShapeOfHandles(object, &shape)) return;
    const gfx::Point outline[kHairpinPoints] = {
        {shape.upper.x, shape.upper.y}, {shape.apex.x, shape.apex.y}, {shape.lower.x, shape.lower.y}};
    BeginViewDraw(view);
    if (view->ViewDC) DrawSplitPolyline(view, outline, kHairpinPoints);
    EndViewDraw(view);
}

// Re-anchors the wedge at its handles and redraws it at once: the old picture is
// drawn away before the anchors change and the new one drawn after.
void InvalidateHairpin(ScoreObject* object, ScoreView* view) {
    HairpinShape shape;
    if (view == nullptr || view->document == nullptr || !ShapeOfHandles(object, &shape)) return;
    SetDocumentModified(view->document);
    HitRecord* first = ChainOf(object);
    DrawInItsCell(object, view, first, true);
    PlaceHandlesOfShape(object, shape);
    PushViewLocation(view);
    if (object->subtype != SubtypeCode(ObjectSubtype::PageList))
        SetCurrentMeasure(view, first->location.location.staff, first->location.location.measure);
    EncodeHairpinShape(AsHairpin(object), view, shape);
    PopViewLocation(view);
    DrawInItsCell(object, view, first, false);
}

}  // namespace ql
