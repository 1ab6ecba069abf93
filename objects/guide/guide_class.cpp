// The guide line's class and its creation from a ruler (see guide_class.h).
#include "objects/guide/guide_class.h"

#include <algorithm>
#include <limits>

#include "core/draw/draw_surface.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/memory/pool.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql {
namespace {

constexpr uint16_t kGuideHandleFlags = 0x0040 | 0x0080;  // bits 6 and 7
constexpr int32_t kOnePixelPen = 1;                       // below a pixel: one pixel

bool IsHorizontal(const ScoreObject* object) {
    return reinterpret_cast<const GuideLine*>(object)->body.orientation != 0;
}

// The visible area in logical units: the view's, else the context's clip box.
gfx::Rect VisibleArea(ScoreView* view) {
    if (view->visibleRect.right > view->visibleRect.left &&
        view->visibleRect.bottom > view->visibleRect.top)
        return view->visibleRect;
    return gfx::GetClipBox(view->ViewDC);
}

// The guide's segment across the visible area at a position, with the current pen.
void DrawGuideSegment(ScoreView* view, platform::DcHandle dc, bool horizontal, int32_t position) {
    gfx::Rect area = VisibleArea(view);
    if (horizontal) {
        gfx::MoveTo(dc, {area.left, position});
        gfx::LineTo(dc, {area.right, position});
    } else {
        gfx::MoveTo(dc, {position, area.top});
        gfx::LineTo(dc, {position, area.bottom});
    }
}

// Printing and the clipboard picture show no guides.
bool IsOutputRendering(const ScoreView* view) {
    return IsPrinting() || static_cast<bool>(view->ViewMirrorDC) || State().display.painter.pictureOutput != 0;
}

HitRecord* FirstHandle() {
    SelectionState* selection = TheSelectionState();
    HitRecord* first = selection != nullptr ? selection->focusRecord.get() : nullptr;
    return first != nullptr && (first->flags & kHitFlagLive) != 0 ? first : nullptr;
}

int32_t PositionOf(const ScoreObject* object, LogicalPoint point) {
    return IsHorizontal(object) ? point.y : point.x;
}

// The mouse pointer in the view's logical units.
LogicalPoint PointerInView(ScoreView* view) {
    gfx::Point client = win::ScreenToClient(view->ViewWindow, win::GetCursorPosition());
    BeginViewDraw(view);
    gfx::Point logical = view->ViewDC ? gfx::DeviceToLogical(view->ViewDC, client) : client;
    EndViewDraw(view);
    return {logical.x, logical.y};
}

}  // namespace

int16_t ClampGuidePosition(int32_t coordinate) {
    return static_cast<int16_t>(std::clamp<int32_t>(coordinate, std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max()));
}

std::byte* GuideLineClass::GetBody(ScoreObject* object) const {
    return object->BodyBytes();
}

uint32_t GuideLineClass::GetBodySize(const ScoreObject*) const {
    return kGuideBodyBytes;
}

void GuideLineClass::Draw(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || IsOutputRendering(view)) return;
    BeginViewDraw(view);
    if (view->ViewDC) {
        gfx::PenHandle pen = gfx::CreatePen(gfx::PenStyle::Solid, kOnePixelPen, kGuideColour);
        gfx::PenHandle old = gfx::SelectObject(view->ViewDC, pen);
        DrawGuideSegment(view, view->ViewDC, IsHorizontal(object), AsGuideLine(object)->body.position);
        gfx::SelectObject(view->ViewDC, old);
        if (pen) gfx::DeleteObject(pen);
    }
    EndViewDraw(view);
}

void GuideLineClass::Paint(ScoreObject* object, ScoreView* view) const {
    Draw(object, view);
}

void GuideLineClass::DrawSelected(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr) return;
    BeginViewDraw(view);
    if (view->ViewDC)
        DrawGuideSegment(view, view->ViewDC, IsHorizontal(object), AsGuideLine(object)->body.position);
    EndViewDraw(view);
}

void GuideLineClass::DrawTracking(ScoreObject* object, ScoreView* view) const {
    HitRecord* first = FirstHandle();
    if (view == nullptr || first == nullptr) return;
    BeginViewDraw(view);
    if (view->ViewDC)
        DrawGuideSegment(view, view->ViewDC, IsHorizontal(object), PositionOf(object, first->point));
    EndViewDraw(view);
}

void GuideLineClass::EraseTracking(ScoreObject* object, ScoreView* view) const {
    DrawTracking(object, view);
}

int GuideLineClass::CommitDrag(ScoreObject* object, ScoreView*) const {
    HitRecord* first = FirstHandle();
    if (first == nullptr) return 0;
    AsGuideLine(object)->body.position = ClampGuidePosition(PositionOf(object, first->point));
    return 1;
}

// One handle: the visible width (or height), three device pixels each side.
HitRecord* GuideLineClass::BuildHandles(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr) return nullptr;
    BeginViewDraw(view);
    gfx::Rect area = view->ViewDC ? VisibleArea(view) : gfx::Rect{};
    gfx::Size half = view->ViewDC ? gfx::DeviceToLogicalDistance(view->ViewDC,
                                                                {kGuideHandleHalfPixels, kGuideHandleHalfPixels})
                                  : gfx::Size{kGuideHandleHalfPixels, kGuideHandleHalfPixels};
    EndViewDraw(view);
    int32_t position = AsGuideLine(object)->body.position;
    RecordRect rect = IsHorizontal(object)
                          ? RecordRect{area.left, position - half.cy, area.right, position + half.cy}
                          : RecordRect{position - half.cx, area.top, position + half.cx, area.bottom};
    auto* hit = static_cast<HitRecord*>(AllocStaticRecord(kHitRecordPool));
    if (hit == nullptr) return nullptr;
    ConstructHitRecordFlagged(hit, view, 0, rect);
    // The point stays on the line, so the commit reads the position back exactly.
    LogicalPoint on = IsHorizontal(object) ? LogicalPoint{hit->point.x, position}
                                           : LogicalPoint{position, hit->point.y};
    hit->point = hit->secondPoint = on;
    hit->flags |= kGuideHandleFlags;
    hit->owner = Ref32<ScoreObject>::To(object);
    hit->ownerType = object->type;
    return hit;
}

void GuideLineClass::TrackDrag(ScoreObject*, ScoreView*) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* first = FirstHandle();
    if (first == nullptr) return;
    OffsetHitRecord(first, {selection->dragOffsetX, selection->dragOffsetY});
}

void GuideLineClass::SetToolCursor(ScoreObject* object, int32_t, int32_t) const {
    win::SetCursor(win::LoadCursorResource(IsHorizontal(object) ? kHorizontalGuideCursor
                                                                : kVerticalGuideCursor));
}

const GuideLineClass& TheGuideLineClass() {
    static const GuideLineClass instance;
    return instance;
}

ScoreObject* CreateGuideFromRuler(ScoreView* view, bool horizontal) {
    if (view == nullptr) return nullptr;
    ScoreObject* guide = ConstructObject(TypeCode(ObjectType::Guide));
    if (guide == nullptr) return nullptr;
    AsGuideLine(guide)->body.orientation = horizontal ? 1 : 0;
    LogicalPoint pointer = PointerInView(view);
    AsGuideLine(guide)->body.position = ClampGuidePosition(horizontal ? pointer.y : pointer.x);
    InsertObjectBySubtype(view, guide);
    HitRecord* handle = TheGuideLineClass().BuildHandles(guide, view);
    if (handle == nullptr) return nullptr;
    if (SelectionState* selection = TheSelectionState())
        AppendHitRecord(&selection->listATail, handle);
    TheGuideLineClass().Draw(guide, view);
    return guide;
}

}  // namespace ql
