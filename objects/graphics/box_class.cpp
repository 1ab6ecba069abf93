// The box and circle classes (see graphic_class.h): drawing, creation, handles,
// drags and squaring. A box's corners are handles 0..3 clockwise from the top-left,
// handle 4 its centre; during a drag the corners may cross, so every step that
// needs the rectangle orders them first.
#include <algorithm>
#include <cstdlib>
#include <cstring>

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
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"

namespace ql {

using namespace graphics;

namespace {

constexpr uint8_t kBlackFrame = 0;
constexpr uint8_t kInteriorBlack = 0;
constexpr uint8_t kInteriorWhite = 1;
constexpr uint8_t kInteriorNone = 2;
constexpr int kCorners = 4;
// Corner handles: bits 0, 6 and 7 (the last one 6 and 7 only).
constexpr uint16_t kCornerFlags = kHandleMoved | kHandleDraggable;

gfx::Colour FrameColour(uint8_t code) {
    return code == kBlackFrame ? gfx::kBlack : gfx::kWhite;
}

// The stock brush of an interior code; false for codes that leave the brush.
bool InteriorBrush(uint8_t code, gfx::BrushHandle* brush) {
    if (code == kInteriorBlack) *brush = gfx::GetStockBrush(gfx::StockBrush::Black);
    else if (code == kInteriorWhite) *brush = gfx::GetStockBrush(gfx::StockBrush::White);
    else if (code == kInteriorNone) *brush = gfx::GetStockBrush(gfx::StockBrush::Null);
    else return false;
    return true;
}

// The contexts a pen or brush goes into: the drawing context and its companion.
struct Contexts {
    platform::DcHandle dc[2];
    int count = 0;
};

Contexts ViewContexts(ScoreView* view) {
    Contexts contexts;
    if (view->ViewDC) contexts.dc[contexts.count++] = view->ViewDC;
    platform::DcHandle companion = CompanionContext(view);
    if (companion && companion != view->ViewDC) contexts.dc[contexts.count++] = companion;
    return contexts;
}

// Draws the object with a pen and a brush (or the current brush when it has none)
// selected into both contexts, inside saved states.
void DrawWithTools(const BoxClass& cls, ScoreObject* object, ScoreView* view, gfx::PenHandle pen,
                   const gfx::BrushHandle* brush) {
    BeginViewDraw(view);
    Contexts contexts = ViewContexts(view);
    int saved[2] = {};
    for (int i = 0; i < contexts.count; ++i) {
        saved[i] = gfx::SaveContext(contexts.dc[i]);
        gfx::SelectObject(contexts.dc[i], pen);
        if (brush != nullptr) gfx::SelectObject(contexts.dc[i], *brush);
    }
    cls.Draw(object, view);
    for (int i = 0; i < contexts.count; ++i) gfx::RestoreContext(contexts.dc[i], saved[i]);
    EndViewDraw(view);
}

// The four corners of the chain, ordered: left <= right, top <= bottom.
RecordRect OrderedCorners(HitRecord* first) {
    HitRecord* topLeft = ChainHandle(first, 0);
    HitRecord* bottomRight = ChainHandle(first, 2);
    if (topLeft == nullptr || bottomRight == nullptr) return {};
    LogicalPoint a = topLeft->point;
    LogicalPoint b = bottomRight->point;
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// Places the four corners and the centre of the chain on a rectangle.
void PlaceBoxHandles(HitRecord* first, const RecordRect& r) {
    const LogicalPoint corners[kCorners] = {
        {r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
    for (int i = 0; i < kCorners; ++i)
        if (HitRecord* hit = ChainHandle(first, i)) SetHitRecordPoint(hit, corners[i]);
    if (HitRecord* centre = ChainHandle(first, kBoxCentreHandle))
        SetHitRecordPoint(centre, {r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2});
}

// Squares a rectangle: the longer side shrinks to the shorter, centred on the old
// one, then the side grows by the drag offset's larger part.
RecordRect SquareRect(const RecordRect& r, int32_t grow) {
    int32_t w = r.right - r.left;
    int32_t h = r.bottom - r.top;
    RecordRect square = r;
    int32_t side = std::min(w, h);
    if (w >= h) square.left += (w - h) / 2;
    else square.top += (h - w) / 2;
    side = StorableExtent(side + grow);
    square.right = square.left + side;
    square.bottom = square.top + side;
    return square;
}

// The selection's drag offset made equal in both parts: the larger magnitude, with
// its sign. Returns that value.
int32_t EqualiseDragOffset() {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return 0;
    int32_t dx = selection->dragOffsetX;
    int32_t dy = selection->dragOffsetY;
    int32_t larger = std::abs(dx) >= std::abs(dy) ? dx : dy;
    selection->dragOffsetX = selection->dragOffsetY = larger;
    return larger;
}

}  // namespace

std::byte* BoxClass::GetBody(ScoreObject* object) const {
    return object->BodyBytes();
}

uint32_t BoxClass::GetBodySize(const ScoreObject*) const {
    return kGraphicBodyBytes;
}

int BoxClass::HitTest(ScoreObject* object, const RecordRect& rect, HitRecord*) const {
    HitRecord* first = OwnFirstHandle(object);
    if (first == nullptr) return 0;
    const GraphicBody& body = AsGraphicObject(object)->body;
    return ExtentInside(first->point, body.width, body.height, rect) ? 1 : 0;
}

void BoxClass::Update(ScoreObject* object, ScoreView* view) const {
    if (UpdateIsDeferred(object)) return;
    Paint(object, view);
}

void BoxClass::Draw(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || SkipsDrawing(object, view)) return;
    const GraphicBody& body = AsGraphicObject(object)->body;
    LogicalPoint at = GraphicAnchorPoint(object, view);
    BeginViewDraw(view);
    if (view->ViewDC) {
        // Clipped to the shape and its pen, so the surface works on that area only.
        RecordRect r{at.x, at.y, at.x + body.width, at.y + body.height};
        int saved = ClipToShape(view->ViewDC, r, GraphicPenWidth(body.penWidth));
        DrawShape(view, r);
        gfx::RestoreContext(view->ViewDC, saved);
    }
    EndViewDraw(view);
}

// A hollow box with a pen of one device pixel is its four sides: the same pixels as
// the rectangle, drawn as thin segments, which the surface draws far faster.
bool IsThinHollowFrame(platform::DcHandle dc) {
    gfx::BrushDesc brush;
    gfx::PenDesc pen;
    if (!gfx::GetBrushDesc(gfx::GetCurrentBrush(dc), &brush) || brush.style != gfx::BrushStyle::Null) return false;
    if (!gfx::GetPenDesc(gfx::GetCurrentPen(dc), &pen) || pen.style != gfx::PenStyle::Solid) return false;
    return std::abs(gfx::LogicalToDeviceDistance(dc, {pen.width, pen.width}).cx) <= 1;
}

void BoxClass::DrawShape(ScoreView* view, const RecordRect& r) const {
    platform::DcHandle dc = view->ViewDC;
    if (!IsThinHollowFrame(dc)) {
        gfx::Rectangle(dc, {r.left, r.top, r.right, r.bottom});
        return;
    }
    gfx::MoveTo(dc, {r.left, r.top});
    gfx::LineTo(dc, {r.right, r.top});
    gfx::LineTo(dc, {r.right, r.bottom});
    gfx::LineTo(dc, {r.left, r.bottom});
    gfx::LineTo(dc, {r.left, r.top});
}

void CircleClass::DrawShape(ScoreView* view, const RecordRect& r) const {
    gfx::Ellipse(view->ViewDC, {r.left, r.top, r.right, r.bottom});
}

void BoxClass::Paint(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr) return;
    const GraphicBody& body = AsGraphicObject(object)->body;
    gfx::PenHandle pen =
        gfx::CreatePen(gfx::PenStyle::Solid, GraphicPenWidth(body.penWidth), FrameColour(body.colour));
    gfx::BrushHandle brush{};
    bool hasBrush = InteriorBrush(body.style, &brush);
    DrawWithTools(*this, object, view, pen, hasBrush ? &brush : nullptr);
    if (pen) gfx::DeleteObject(pen);
}

// Erasing: a white pen of the frame's width, a white interior unless hollow.
void BoxClass::DrawSelected(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr) return;
    const GraphicBody& body = AsGraphicObject(object)->body;
    gfx::PenHandle pen =
        gfx::CreatePen(gfx::PenStyle::Solid, GraphicPenWidth(body.penWidth), gfx::kWhite);
    gfx::BrushHandle brush = gfx::GetStockBrush(
        body.style == kInteriorNone ? gfx::StockBrush::Null : gfx::StockBrush::White);
    BeginViewDraw(view);
    if (view->ViewDC) {
        int saved = gfx::SaveContext(view->ViewDC);
        gfx::SetRop2(view->ViewDC, gfx::Rop2::CopyPen);
        DrawWithTools(*this, object, view, pen, &brush);
        gfx::RestoreContext(view->ViewDC, saved);
    }
    EndViewDraw(view);
    if (pen) gfx::DeleteObject(pen);
}

bool CircleClass::RefusesCreation(ScoreView* view) const {
    return view->document->header.staffCount == 0 && !IsPageLayout(view);
}

ScoreObject* BoxClass::CreateAtClick(ScoreObject* prototype, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr || RefusesCreation(view)) return nullptr;
    ScoreObject* object = ConstructObject(prototype->type);
    if (object == nullptr) return nullptr;
    bool pageItem = view->document->header.staffCount == 0 || PlacesOnPage(view);
    object->subtype = SubtypeCode(pageItem ? ObjectSubtype::PageList : ObjectSubtype::MeasureTimeList);
    LogicalPoint click = view->pointerPoint;
    StoreGraphicAnchor(object, view, {click.x - kNewGraphicExtent, click.y - kNewGraphicExtent});
    GraphicBody& proto = AsGraphicObject(prototype)->body;
    proto.width = proto.height = kNewGraphicExtent;
    InsertObjectBySubtype(view, object);
    return object;
}

int BoxClass::CommitDrag(ScoreObject* object, ScoreView* view) const {
    GraphicBody before = AsGraphicObject(object)->body;
    HitRecord* first = FocusedChain();
    if (first != nullptr) {
        // Crossed corners: the chain is put back in order so that the anchor is the
        // top-left corner and the extents are positive.
        RecordRect r = OrderedCorners(first);
        PlaceBoxHandles(first, r);
        AsGraphicObject(object)->body.width = r.right - r.left;
        AsGraphicObject(object)->body.height = r.bottom - r.top;
    }
    CommitFirstHandle(object, view);
    int compared = std::memcmp(&before, &AsGraphicObject(object)->body, sizeof(GraphicBody));
    return compared == 0 ? 0 : (compared < 0 ? -1 : 1);
}

HitRecord* BoxClass::BuildHandles(ScoreObject* object, ScoreView* view) const {
    const GraphicBody& body = AsGraphicObject(object)->body;
    LogicalPoint at = GraphicAnchorPoint(object, view);
    const LogicalPoint points[kBoxHandleCount] = {
        at, {at.x + body.width, at.y}, {at.x + body.width, at.y + body.height},
        {at.x, at.y + body.height}, {at.x + body.width / 2, at.y + body.height / 2}};
    HitRecord* handles[kBoxHandleCount] = {};
    for (int i = 0; i < kBoxHandleCount; ++i) {
        bool centre = i == kBoxCentreHandle;
        uint16_t flags = centre ? (kHandleWholeObject | kHandleDraggable) : kCornerFlags;
        handles[i] = NewHandle(object, view, centre ? CentreKind() : 0, points[i], flags);
        if (handles[i] == nullptr) {  // the pool has sounded its beep
            FreeHandles(handles, i);
            return nullptr;
        }
    }
    handles[kBoxCentreHandle - 1]->flags &= static_cast<uint16_t>(~kHitFlagLive);
    LinkHandleChain(handles, kBoxHandleCount);
    return handles[0];
}

void BoxClass::TrackDrag(ScoreObject* object, ScoreView*) const {
    HitRecord* first = FocusedChain();
    HitRecord* dragged = DraggedHandle();
    int index = ChainIndexOf(first, dragged);
    if (index < 0 || index >= kCorners) return;
    LogicalPoint delta = DragOffset();
    // The corner stops where the box would outgrow its stored extents.
    const HitRecord* opposite = ChainHandle(first, (index + kCorners / 2) % kCorners);
    LogicalPoint moved{dragged->point.x + delta.x, dragged->point.y + delta.y};
    if (opposite != nullptr) moved = WithinStoredExtent(opposite->point, moved);
    // The neighbours share one coordinate each with the dragged corner.
    HitRecord* before = ChainHandle(first, (index + kCorners - 1) % kCorners);
    HitRecord* after = ChainHandle(first, (index + 1) % kCorners);
    bool sharesX = index % 2 == 0;  // 0 and 2 share x with their previous corner
    SetHitRecordPoint(dragged, moved);
    SetHitRecordPoint(before, sharesX ? LogicalPoint{moved.x, before->point.y}
                                      : LogicalPoint{before->point.x, moved.y});
    SetHitRecordPoint(after, sharesX ? LogicalPoint{after->point.x, moved.y}
                                     : LogicalPoint{moved.x, after->point.y});
    HitRecord* topLeft = first;
    HitRecord* bottomRight = ChainHandle(first, 2);
    GraphicBody& body = AsGraphicObject(object)->body;
    body.width = bottomRight->point.x - topLeft->point.x;
    body.height = bottomRight->point.y - topLeft->point.y;
}

void BoxClass::DragMove(ScoreObject*, ScoreView*) const {
    MoveWholeChain();
}

void BoxClass::SetToolCursor(ScoreObject*, int32_t, int32_t) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* hover = selection != nullptr ? selection->hoverRecord.get() : nullptr;
    bool centre = hover != nullptr && hover->kind == CentreKind() &&
                  (hover->flags & kHandleWholeObject) != 0;
    win::SetCursor(win::LoadCursorResource(centre ? kMoveCursorResource : kHandleCursorResource));
}

void BoxClass::Invalidate(ScoreObject* object, ScoreView* view) const {
    HitRecord* first = FocusedChain();
    if (view == nullptr || first == nullptr) return;
    if (view->document != nullptr) SetDocumentModified(view->document);
    RecordRect r = OrderedCorners(first);
    if (view->ViewWindow) win::InvalidateRect(view->ViewWindow, nullptr, true);
    RecordRect square = SquareRect(r, EqualiseDragOffset());
    PlaceBoxHandles(first, square);
    GraphicBody& body = AsGraphicObject(object)->body;
    body.width = body.height = square.right - square.left;
    StoreGraphicAnchor(object, view, {square.left, square.top});
    if (HitRecord* dragged = DraggedHandle()) view->pointerPoint = dragged->point;
}

// Shift: the dragged corner stays on the diagonal through where the drag started.
void BoxClass::ConstrainDrag(ScoreObject*, ScoreView* view) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* dragged = DraggedHandle();
    if (selection == nullptr || dragged == nullptr) return;
    const LogicalPoint start{selection->grabX, selection->grabY};
    LogicalPoint to = DraggedTo(dragged);
    if (std::abs(to.x - start.x) <= std::abs(to.y - start.y)) to.x = start.x + (to.y - start.y);
    else to.y = start.y + (to.x - start.x);
    ConstrainDragTo(dragged, to, view);
}

ScoreObject* BoxClass::Clone(ScoreObject* object, ScoreView*, PoolSet, PoolSet target) const {
    return CloneGraphic(object, target);
}

const BoxClass& TheBoxClass() {
    static const BoxClass instance;
    return instance;
}

const BoxClass& TheCircleClass() {
    static const CircleClass instance;
    return instance;
}

}  // namespace ql
