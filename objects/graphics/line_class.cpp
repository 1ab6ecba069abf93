// The straight and wavy line class (see graphic_class.h): drawing, creation,
// handles (two ends and a middle), dragging an end, straightening and the Shift
// constraint. The extent (dx, dy) is the end point minus the start point.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/object_classes.h"
#include "core/objects/selection_state.h"
#include "display/view_modes.h"
#include "objects/graphics/graphic_class.h"
#include "objects/graphics/graphic_shapes_internal.h"
#include "objects/graphics/wave_outline.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"

namespace ql {

using namespace graphics;

namespace {

constexpr int kLineEnds = 2;
constexpr int32_t kFilledWaveZoom = 10;  // from this zoom level the figures are filled
constexpr int32_t kSmallHalf = 64;
constexpr int32_t kLargeHalf = 128;
constexpr int32_t kShortHalfExtent = 129;  // below it the middle square is 128 wide
constexpr uint16_t kEndFlags = kHandleMoved | kHandleDraggable;

bool g_wavyArmed = false;

// The rectangle the figures of a layout cover.
RecordRect WaveBounds(const WaveLayout& layout) {
    RecordRect r{layout.low.x, layout.low.y, layout.high.x, layout.high.y};
    int32_t reachX = layout.step.x * std::max(layout.copies - 1, 0);
    int32_t reachY = layout.step.y * std::max(layout.copies - 1, 0);
    if (reachX < 0) r.left += reachX; else r.right += reachX;
    if (reachY < 0) r.top += reachY; else r.bottom += reachY;
    return r;
}

void DrawWave(ScoreView* view, LogicalPoint start, const GraphicBody& body) {
    WaveLayout layout = LayOutWave(start, body.width, body.height);
    if (layout.copies <= 0 || layout.figure.empty()) return;
    bool filled = ZoomLevel(view) >= kFilledWaveZoom;
    auto count = static_cast<int>(layout.figure.size());
    // Clipped to the figures, so the surface works on their area only.
    int saved = ClipToShape(view->ViewDC, WaveBounds(layout), GraphicPenWidth(body.penWidth));
    // The figure and its step, so the surface paints the copies in one pass.
    if (filled) gfx::RepeatedPolygon(view->ViewDC, layout.figure.data(), count, layout.copies, layout.step);
    else gfx::RepeatedPolyline(view->ViewDC, layout.figure.data(), count, layout.copies, layout.step);
    gfx::RestoreContext(view->ViewDC, saved);
}

void DrawSegment(ScoreView* view, LogicalPoint from, LogicalPoint to) {
    gfx::MoveTo(view->ViewDC, {from.x, from.y});
    gfx::LineTo(view->ViewDC, {to.x, to.y});
}

// The line's figure with whatever pen and brush are selected.
void DrawFigure(ScoreView* view, LogicalPoint start, const GraphicBody& body) {
    if (body.style == kLineWavy) DrawWave(view, start, body);
    else DrawSegment(view, start, {start.x + body.width, start.y + body.height});
}

// Selects a pen into the drawing context and its companion; returns the old pens.
void SelectPen(ScoreView* view, gfx::PenHandle pen, gfx::PenHandle old[2]) {
    old[0] = gfx::SelectObject(view->ViewDC, pen);
    platform::DcHandle companion = CompanionContext(view);
    if (companion && companion != view->ViewDC) old[1] = gfx::SelectObject(companion, pen);
}

void RestorePens(ScoreView* view, const gfx::PenHandle old[2]) {
    gfx::SelectObject(view->ViewDC, old[0]);
    platform::DcHandle companion = CompanionContext(view);
    if (companion && companion != view->ViewDC && old[1]) gfx::SelectObject(companion, old[1]);
}

// Re-places the middle handle on the rectangle of the two ends.
void PlaceMiddleHandle(HitRecord* first) {
    HitRecord* end = ChainHandle(first, 1);
    HitRecord* middle = ChainHandle(first, kLineMiddleHandle);
    if (end == nullptr || middle == nullptr) return;
    RecordRect rect = MiddleHandleRect(first->point, end->point);
    CenterHitRecordOnRect(middle, &rect);
    middle->outer = middle->inner = rect;
}

// After the ends moved: the extent, the middle handle and the stored start.
void ApplyEnds(ScoreObject* object, HitRecord* first) {
    HitRecord* end = ChainHandle(first, 1);
    GraphicBody& body = AsGraphicObject(object)->body;
    body.width = end->point.x - first->point.x;
    body.height = end->point.y - first->point.y;
    PlaceMiddleHandle(first);
}

}  // namespace

bool WavyLineArmed() {
    return g_wavyArmed;
}

void SetWavyLineArmed(bool wavy) {
    g_wavyArmed = wavy;
}

RecordRect MiddleHandleRect(LogicalPoint p, LogicalPoint q) {
    int32_t left = std::min(p.x, q.x);
    int32_t right = std::max(p.x, q.x);
    int32_t top = std::min(p.y, q.y);
    int32_t bottom = std::max(p.y, q.y);
    int32_t hx = (right - left) >> 1;
    int32_t hy = (bottom - top) >> 1;
    int32_t mx = hx < kShortHalfExtent ? kSmallHalf : kLargeHalf;
    int32_t my = hy < kShortHalfExtent ? kSmallHalf : kLargeHalf;
    return {left + hx - mx, top + hy - my, right - hx + mx, bottom - hy + my};
}

std::byte* LineClass::GetBody(ScoreObject* object) const {
    return object->BodyBytes();
}

uint32_t LineClass::GetBodySize(const ScoreObject*) const {
    return kGraphicBodyBytes;
}

int LineClass::HitTest(ScoreObject* object, const RecordRect& rect, HitRecord*) const {
    HitRecord* first = OwnFirstHandle(object);
    if (first == nullptr) return 0;
    const GraphicBody& body = AsGraphicObject(object)->body;
    return ExtentInside(first->point, body.width, body.height, rect) ? 1 : 0;
}

void LineClass::Draw(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || SkipsDrawing(object, view)) return;
    const GraphicBody& body = AsGraphicObject(object)->body;
    LogicalPoint start = GraphicAnchorPoint(object, view);
    BeginViewDraw(view);
    if (!view->ViewDC) {
        EndViewDraw(view);
        return;
    }
    if (body.style == kLineWavy) {
        DrawWave(view, start, body);
    } else {
        gfx::Colour colour = body.colour == 0 ? gfx::kBlack : gfx::kWhite;
        gfx::PenHandle pen = gfx::CreatePen(gfx::PenStyle::Solid, GraphicPenWidth(body.penWidth), colour);
        gfx::PenHandle old[2] = {};
        SelectPen(view, pen, old);
        DrawSegment(view, start, {start.x + body.width, start.y + body.height});
        RestorePens(view, old);
        if (pen) gfx::DeleteObject(pen);
    }
    EndViewDraw(view);
}

void LineClass::Paint(ScoreObject* object, ScoreView* view) const {
    Draw(object, view);
}

// Erasing: a white pen of the line's width over the same figure.
void LineClass::DrawSelected(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr) return;
    const GraphicBody& body = AsGraphicObject(object)->body;
    LogicalPoint start = GraphicAnchorPoint(object, view);
    BeginViewDraw(view);
    if (view->ViewDC) {
        int saved = gfx::SaveContext(view->ViewDC);
        gfx::SetRop2(view->ViewDC, gfx::Rop2::CopyPen);
        gfx::PenHandle pen = gfx::CreatePen(gfx::PenStyle::Solid, GraphicPenWidth(body.penWidth), gfx::kWhite);
        gfx::SelectObject(view->ViewDC, pen);
        DrawFigure(view, start, body);
        gfx::RestoreContext(view->ViewDC, saved);
        if (pen) gfx::DeleteObject(pen);
    }
    EndViewDraw(view);
}

ScoreObject* LineClass::CreateAtClick(ScoreObject* prototype, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return nullptr;
    bool noStaves = view->document->header.staffCount == 0;
    bool pageLayout = IsPageLayout(view);
    if (noStaves && !pageLayout) return nullptr;
    ScoreObject* object = ConstructObject(prototype->type);
    if (object == nullptr) return nullptr;
    bool pageItem = noStaves || PlacesOnPage(view);
    object->subtype = SubtypeCode(pageItem ? ObjectSubtype::PageList : ObjectSubtype::MeasureTimeList);
    GraphicBody& body = AsGraphicObject(object)->body;
    body.style = WavyLineArmed() ? kLineWavy : kLineStraight;
    body.width = kNewGraphicExtent;
    body.height = 0;
    StoreGraphicAnchor(object, view, view->pointerPoint);
    InsertObjectBySubtype(view, object);
    return object;
}

// The feedback segment between the two ends, in the selected feedback pen.
void LineClass::DrawTracking(ScoreObject*, ScoreView* view) const {
    HitRecord* first = FocusedChain();
    HitRecord* end = ChainHandle(first, 1);
    if (view == nullptr || end == nullptr) return;
    BeginViewDraw(view);
    if (view->ViewDC) DrawSegment(view, first->point, end->point);
    EndViewDraw(view);
}

void LineClass::EraseTracking(ScoreObject* object, ScoreView* view) const {
    DrawTracking(object, view);
}

int LineClass::CommitDrag(ScoreObject* object, ScoreView* view) const {
    return CommitFirstHandle(object, view);
}

HitRecord* LineClass::BuildHandles(ScoreObject* object, ScoreView* view) const {
    const GraphicBody& body = AsGraphicObject(object)->body;
    LogicalPoint start = GraphicAnchorPoint(object, view);
    LogicalPoint end{start.x + body.width, start.y + body.height};
    HitRecord* handles[kLineHandleCount] = {};
    handles[0] = NewHandle(object, view, kLineHandleKind, start, kEndFlags);
    handles[1] = handles[0] ? NewHandle(object, view, kLineHandleKind, end, kEndFlags) : nullptr;
    handles[2] = handles[1] ? NewHandle(object, view, kLineHandleKind, start,
                                        kHandleWholeObject | kHandleDraggable)
                            : nullptr;
    if (handles[2] == nullptr) {  // the pool has sounded its beep
        FreeHandles(handles, kLineHandleCount);
        return nullptr;
    }
    LinkHandleChain(handles, kLineHandleCount);
    PlaceMiddleHandle(handles[0]);
    return handles[0];
}

void LineClass::TrackDrag(ScoreObject* object, ScoreView*) const {
    HitRecord* first = FocusedChain();
    HitRecord* dragged = DraggedHandle();
    int index = ChainIndexOf(first, dragged);
    if (index < 0 || index >= kLineEnds) return;
    OffsetHitRecord(dragged, DragOffset());
    // The end stops where the line would outgrow its stored extents.
    if (const HitRecord* other = ChainHandle(first, kLineEnds - 1 - index))
        SetHitRecordPoint(dragged, WithinStoredExtent(other->point, dragged->point));
    ApplyEnds(object, first);
}

void LineClass::DragMove(ScoreObject*, ScoreView*) const {
    MoveWholeChain();
}

void LineClass::SetToolCursor(ScoreObject*, int32_t, int32_t) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* hover = selection != nullptr ? selection->hoverRecord.get() : nullptr;
    bool middle = hover != nullptr && (hover->flags & kHandleWholeObject) != 0;
    win::SetCursor(win::LoadCursorResource(middle ? kMoveCursorResource : kHandleCursorResource));
}

// Straightening: a slanted line becomes vertical (|dx| <= |dy|) or horizontal, at
// the x (or y) of the current handle, or of the midpoint from the middle handle.
void LineClass::Invalidate(ScoreObject* object, ScoreView* view) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* first = FocusedChain();
    HitRecord* end = ChainHandle(first, 1);
    HitRecord* current = DraggedHandle();
    if (view == nullptr || end == nullptr || current == nullptr) return;
    GraphicBody& body = AsGraphicObject(object)->body;
    view->pointerPoint = current->point;
    if (body.width == 0 || body.height == 0) return;
    if (view->document != nullptr) SetDocumentModified(view->document);
    if (view->ViewWindow) win::InvalidateRect(view->ViewWindow, nullptr, true);
    selection->dragOffsetX = selection->dragOffsetY = 0;
    bool fromMiddle = ChainIndexOf(first, current) == kLineMiddleHandle;
    LogicalPoint a = first->point;
    LogicalPoint b = end->point;
    if (std::abs(body.width) <= std::abs(body.height)) {
        int32_t x = fromMiddle ? a.x + (b.x - a.x) / 2 : current->point.x;
        a.x = b.x = x;
    } else {
        int32_t y = fromMiddle ? a.y + (b.y - a.y) / 2 : current->point.y;
        a.y = b.y = y;
    }
    SetHitRecordPoint(first, a);
    SetHitRecordPoint(end, b);
    ApplyEnds(object, first);
    StoreGraphicAnchor(object, view, a);
}

// Shift: an end being dragged stays level with, or straight above, the other end.
void LineClass::ConstrainDrag(ScoreObject*, ScoreView* view) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* first = FocusedChain();
    HitRecord* dragged = DraggedHandle();
    int index = ChainIndexOf(first, dragged);
    if (selection == nullptr || index < 0 || index >= kLineEnds) return;
    const LogicalPoint fixed = ChainHandle(first, 1 - index)->point;
    LogicalPoint to = DraggedTo(dragged);
    if (std::abs(to.x - fixed.x) <= std::abs(to.y - fixed.y)) to.x = fixed.x;
    else to.y = fixed.y;
    ConstrainDragTo(dragged, to, view);
}

ScoreObject* LineClass::Clone(ScoreObject* object, ScoreView*, PoolSet, PoolSet target) const {
    return CloneGraphic(object, target);
}

const LineClass& TheLineClass() {
    static const LineClass instance;
    return instance;
}

}  // namespace ql
