// The margin object's class (see margin_class.h): drawing, handles, the drag and
// the commit on master and ordinary pages.
#include "objects/margin/margin_class.h"

#include <cstdlib>

#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/handle_flags.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/cursor_resources.h"
#include "core/units/units.h"
#include "display/linked_views.h"
#include "layout/measure_format.h"
#include "layout/page_edit.h"
#include "layout/page_format.h"
#include "layout/page_geometry.h"
#include "notes/beatmap/beat_map.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"

namespace ql {
namespace {

constexpr int32_t kEdgeLimit = 32768;  // right or bottom edges at or past it are off the page
constexpr int32_t kRoundingHalf = 32;
constexpr int32_t kRoundingMask = ~63;
constexpr uint16_t kFlagBit6 = 0x0040;
constexpr uint16_t kFlagBit7 = 0x0080;
constexpr uint8_t kCentreKind = 2;
constexpr int kSideReach = 2;  // side handles reach two device pixels each side
constexpr int kCornerCursor = kResizeDownRightCursorId;
constexpr int kHorizontalSideCursor = kResizeUpDownCursorId;
constexpr int kVerticalSideCursor = kResizeLeftRightCursorId;
constexpr gfx::Colour kMarginColour = 0xC0C0C0;
constexpr gfx::Colour kSelectedMarginColour = 0x808080;

// The visible area in logical units: the view's, else the context's clip box.
gfx::Rect VisibleArea(ScoreView* view) {
    const gfx::Rect& v = view->visibleRect;
    if (v.right > v.left && v.bottom > v.top) return v;
    return view->ViewDC ? gfx::GetClipBox(view->ViewDC) : gfx::Rect{};
}

bool IsOutputRendering(const ScoreView* view) {
    return IsPrinting() || static_cast<bool>(view->ViewMirrorDC) || State().display.painter.pictureOutput != 0;
}

// The lines of the rectangle that lie inside the visible area, with the current pen.
void DrawMarginLines(ScoreView* view, const RecordRect& r) {
    gfx::Rect v = VisibleArea(view);
    platform::DcHandle dc = view->ViewDC;
    auto line = [dc](int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        gfx::MoveTo(dc, {x1, y1});
        gfx::LineTo(dc, {x2, y2});
    };
    if (r.top > v.top) line(r.left, r.top, r.right, r.top);
    if (r.right < v.right) line(r.right, r.top, r.right, r.bottom);
    if (r.bottom < v.bottom) line(r.left, r.bottom, r.right, r.bottom);
    if (r.left > v.left) line(r.left, r.top, r.left, r.bottom);
}

void DrawWithPen(ScoreObject* object, ScoreView* view, gfx::Colour colour) {
    BeginViewDraw(view);
    if (view->ViewDC) {
        int saved = gfx::SaveContext(view->ViewDC);
        gfx::PenHandle pen = gfx::CreatePen(gfx::PenStyle::Solid, 0, colour);
        gfx::SelectObject(view->ViewDC, pen);
        DrawMarginLines(view, MarginRectangle(*AsMarginObject(object), view));
        gfx::RestoreContext(view->ViewDC, saved);
        if (pen) gfx::DeleteObject(pen);
    }
    EndViewDraw(view);
}

HitRecord* FocusedChain() {
    SelectionState* selection = TheSelectionState();
    return selection != nullptr ? selection->focusRecord.get() : nullptr;
}

HitRecord* ChainAt(HitRecord* first, int index) {
    HitRecord* hit = first;
    for (int i = 0; i < index && hit != nullptr; ++i) hit = hit->child.get();
    return hit;
}

// One device pixel in logical units.
int32_t DevicePixel(ScoreView* view) {
    BeginViewDraw(view);
    int32_t pixel = view->ViewDC ? gfx::DeviceToLogicalDistance(view->ViewDC, {1, 1}).cx : 1;
    EndViewDraw(view);
    return pixel > 0 ? pixel : 1;
}

RecordRect SideRect(int index, const RecordRect& r, int32_t w) {
    int32_t reach = kSideReach * w;
    switch (index) {
    case kMarginTopHandle: return {r.left + kMarginSideInset, r.top - reach, r.right - kMarginSideInset, r.top + reach};
    case kMarginRightHandle: return {r.right - reach, r.top + kMarginSideInset, r.right + reach, r.bottom - kMarginSideInset};
    case kMarginBottomHandle: return {r.left + kMarginSideInset, r.bottom - reach, r.right - kMarginSideInset, r.bottom + reach};
    default: return {r.left - reach, r.top + kMarginSideInset, r.left + reach, r.bottom - kMarginSideInset};
    }
}

void PlaceSide(HitRecord* hit, int index, const RecordRect& r, int32_t w) {
    RecordRect rect = SideRect(index, r, w);
    CenterHitRecordOnRect(hit, &rect);
    hit->outer = hit->inner = rect;
}

// The centre handle holds the margin rectangle that the drag moves and the commit
// reads. It is never drawn and never hit: its rectangle covers all the paper
// inside the margins, where a press belongs to the marquee or the armed tool, so
// the margins are taken only by a corner or a side.
void PlaceCentre(HitRecord* hit, const RecordRect& r) {
    CenterHitRecordOnRect(hit, &r);
    hit->outer = hit->inner = r;
    hit->secondPoint = hit->point;
}

// The corners, centre and sides of the chain placed on a rectangle.
void PlaceMarginHandles(HitRecord* first, const RecordRect& r, int32_t w) {
    const LogicalPoint corners[4] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
    // A corner is moved with its squares, which keep the size they were built with.
    for (int i = 0; i < 4; ++i)
        if (HitRecord* hit = ChainAt(first, i))
            OffsetHitRecord(hit, {corners[i].x - hit->point.x, corners[i].y - hit->point.y});
    if (HitRecord* centre = ChainAt(first, kMarginCentreHandle)) PlaceCentre(centre, r);
    for (int i = kMarginTopHandle; i <= kMarginLeftHandle; ++i)
        if (HitRecord* hit = ChainAt(first, i)) PlaceSide(hit, i, r, w);
}

HitRecord* NewMarginHandle(ScoreObject* object, ScoreView* view, uint8_t kind, uint16_t flags) {
    auto* hit = static_cast<HitRecord*>(AllocStaticRecord(kHitRecordPool));
    if (hit == nullptr) return nullptr;
    ConstructHitRecordAtPoint(hit, view, kind, {});
    hit->flags = static_cast<uint16_t>(hit->flags | flags);
    hit->owner = Ref32<ScoreObject>::To(object);
    hit->ownerType = object->type;
    return hit;
}

}  // namespace

RecordRect MarginRectangle(const MarginObject& margin, ScoreView* view) {
    const MarginBody& b = margin.body;
    RecordRect r{b.distances[0] - kPageCornerOffset, b.distances[1] - kPageCornerOffset,
                 view->PageRight - b.distances[2], view->PageBottom - b.distances[3]};
    if (r.right >= kEdgeLimit || r.bottom >= kEdgeLimit) {
        gfx::Rect v = VisibleArea(view);
        if (r.right >= kEdgeLimit) r.right = v.right;
        if (r.bottom >= kEdgeLimit) r.bottom = v.bottom;
    }
    return r;
}

int32_t RoundMarginToZoom(int32_t distance, double scale) {
    if (scale <= 0.0) return (distance + kRoundingHalf) & kRoundingMask;
    auto scaled = static_cast<int32_t>(distance / scale);
    return static_cast<int32_t>(((scaled + kRoundingHalf) & kRoundingMask) * scale);
}

std::byte* MarginClass::GetBody(ScoreObject* object) const {
    return object->BodyBytes();
}

uint32_t MarginClass::GetBodySize(const ScoreObject*) const {
    return kMarginBodyBytes;
}

bool AreMarginsShown(ScoreView* view) {
    return view != nullptr && view->pageView != 0 && !IsOutputRendering(view) && Options().ShowMargins != 0;
}

void MarginClass::Update(ScoreObject* object, ScoreView* view) const {
    if (!AreMarginsShown(view)) return;
    Draw(object, view);
}

void MarginClass::Draw(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr) return;
    DrawWithPen(object, view, kMarginColour);
}

void MarginClass::Paint(ScoreObject* object, ScoreView* view) const {
    Draw(object, view);
}

void MarginClass::DrawSelected(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr) return;
    DrawWithPen(object, view, kSelectedMarginColour);
}

HitRecord* MarginClass::BuildHandles(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr) return nullptr;
    RecordRect r = MarginRectangle(*AsMarginObject(object), view);
    int32_t savedHalf = HandleSize();
    SetHandleSize(savedHalf * 3 / 2);  // corners are half as large again
    HitRecord* handles[kMarginHandleCount] = {};
    bool complete = true;
    for (int i = 0; i < kMarginHandleCount && complete; ++i) {
        bool centre = i == kMarginCentreHandle;
        bool side = i > kMarginCentreHandle;
        uint16_t flags = side ? (kFlagBit6 | kFlagBit7) : kFlagBit6;
        handles[i] = NewMarginHandle(object, view, centre ? kCentreKind : 0, flags);
        complete = handles[i] != nullptr;
        if (complete && centre) handles[i]->style = kShapeNever;
        if (i == 3) SetHandleSize(savedHalf);
    }
    SetHandleSize(savedHalf);
    if (!complete) {
        for (HitRecord* hit : handles)
            if (hit != nullptr) FreeHitRecord(hit);
        return nullptr;
    }
    for (int i = 1; i < kMarginHandleCount; ++i) {
        handles[i]->parent = Ref32<HitRecord>::To(handles[i - 1]);
        handles[i - 1]->child = Ref32<HitRecord>::To(handles[i]);
    }
    PlaceMarginHandles(handles[0], r, DevicePixel(view));
    return handles[0];
}

void MarginClass::TrackDrag(ScoreObject*, ScoreView* view) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* first = FocusedChain();
    HitRecord* centre = ChainAt(first, kMarginCentreHandle);
    if (selection == nullptr || centre == nullptr || view == nullptr) return;
    HitRecord* current = selection->grabbedRecord.get();
    int index = 0;
    for (HitRecord* hit = first; hit != nullptr && hit != current; hit = hit->child.get()) ++index;
    RecordRect r = centre->outer;
    int32_t dx = selection->dragOffsetX;
    int32_t dy = selection->dragOffsetY;
    bool movesTop = index == 0 || index == 1 || index == kMarginTopHandle;
    bool movesBottom = index == 2 || index == 3 || index == kMarginBottomHandle;
    bool movesLeft = index == 0 || index == 3 || index == kMarginLeftHandle;
    bool movesRight = index == 1 || index == 2 || index == kMarginRightHandle;
    if (movesTop) r.top += dy;
    if (movesBottom) r.bottom += dy;
    if (movesLeft) r.left += dx;
    if (movesRight) r.right += dx;
    PlaceMarginHandles(first, r, DevicePixel(view));
}

// The cursor shows which edges the hovered handle moves. The handle's place in the
// chain is counted back along its parent links: the pointer hovers over it before
// anything is focused.
void MarginClass::SetToolCursor(ScoreObject* object, int32_t, int32_t) const {
    SelectionState* selection = TheSelectionState();
    const HitRecord* hover = selection != nullptr ? selection->hoverRecord.get() : nullptr;
    if (hover == nullptr || hover->owner.get() != object) return;
    int index = 0;
    for (const HitRecord* hit = hover->parent.get();
         hit != nullptr && hit->owner.get() == object && index < kMarginHandleCount; hit = hit->parent.get())
        ++index;
    if (index == kMarginCentreHandle || index >= kMarginHandleCount) return;
    int cursor = index < kMarginCentreHandle ? kCornerCursor
                 : (index == kMarginTopHandle || index == kMarginBottomHandle) ? kHorizontalSideCursor
                                                                               : kVerticalSideCursor;
    win::SetCursor(win::LoadCursorResource(cursor));
}

int MarginClass::HandleDrop(ScoreObject*, ScoreView*, ScoreObject*, HitRecord*) const {
    return 0;
}

const MarginClass& TheMarginClass() {
    static const MarginClass instance;
    return instance;
}

}  // namespace ql
