// The zoom area's class (see area_class.h).
#include "objects/runtime/area_class.h"

#include <cstdlib>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/anchors.h"
#include "display/view_modes.h"
#include "display/zoom.h"
#include "objects/graphics/graphic_shapes_internal.h"
#include "objects/stored_classes.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using graphics::ChainHandle;
using graphics::FocusedChain;

constexpr uint16_t kCornerFlags = 0x0080 | 0x0200;          // bits 7 and 9
constexpr uint16_t kWholeFlags = 0x0004 | 0x0080 | 0x0200;  // bits 2, 7 and 9
constexpr int32_t kRoundingHalf = 32;
constexpr int32_t kRoundingMask = ~63;
constexpr int32_t kRowShift = 7;  // log2 of kAreaRowUnits
constexpr int32_t kEmptyWidthStandIn = 4;

// The program-wide tracking state of the zoom area.
struct AreaTracking {
    ScoreObject* area = nullptr;
    RecordRect current{};
    RecordRect drawn{};
    bool hasDrawn = false;
};
AreaTracking g_tracking;

// The inverting outline: the one drawn before goes, the current one is drawn.
void InvertOutline(ScoreView* view, bool redraw) {
    BeginViewDraw(view);
    if (view->ViewDC) {
        BeginHighlightDrawAlt3(view);
        const RecordRect& d = g_tracking.drawn;
        if (g_tracking.hasDrawn) DrawLineSegment(view, d.left, d.top, d.right, d.bottom);
        g_tracking.hasDrawn = false;
        if (redraw) {
            const RecordRect& c = g_tracking.current;
            DrawLineSegment(view, c.left, c.top, c.right, c.bottom);
            g_tracking.drawn = c;
            g_tracking.hasDrawn = true;
        }
        EndHighlightDraw(view);
    }
    EndViewDraw(view);
}

int32_t RoundToZoom(int32_t value, double scale) {
    if (scale <= 0.0) return (value + kRoundingHalf) & kRoundingMask;
    auto scaled = static_cast<int32_t>(value / scale);
    return static_cast<int32_t>(((scaled + kRoundingHalf) & kRoundingMask) * scale);
}

void PlaceAreaHandles(HitRecord* first, const RecordRect& r) {
    if (HitRecord* corner = ChainHandle(first, kAreaCornerHandle)) SetHitRecordPoint(corner, {r.right, r.bottom});
    if (HitRecord* whole = ChainHandle(first, kAreaWholeHandle)) {
        CenterHitRecordOnRect(whole, &r);
        whole->outer = whole->inner = r;
    }
}

}  // namespace

ScoreObject* CurrentArea() {
    return g_tracking.area;
}

RecordRect CurrentAreaRect() {
    return g_tracking.current;
}

int32_t ZoomForAreaHeight(int32_t height, int32_t clientHeight) {
    if (height < kAreaRowUnits) return 0;
    return clientHeight / (height >> kRowShift);
}

std::byte* AreaClass::GetBody(ScoreObject* object) const {
    return object->BodyBytes();
}

uint32_t AreaClass::GetBodySize(const ScoreObject*) const {
    return kAreaBodyBytes;
}

ScoreObject* AreaClass::CreateAtClick(ScoreObject*, ScoreView* view) const {
    SelectionState* selection = TheSelectionState();
    if (view == nullptr || selection == nullptr) return nullptr;
    auto* object = static_cast<ScoreObject*>(AllocStaticRecord(kTransientStaticPool));
    if (object == nullptr) return nullptr;
    ConstructAreaObject(object);
    bool page = IsPageLayout(view);
    object->subtype = SubtypeCode(page ? ObjectSubtype::PageList : ObjectSubtype::MeasureTimeList);
    AreaBody& body = AsArea(object)->body;
    body.width = body.height = kNewAreaExtent;
    LogicalPoint corner{view->pointerPoint.x - kNewAreaExtent, view->pointerPoint.y - kNewAreaExtent};
    if (page) EncodePageAnchors(view, &body.location, &corner, 1);
    else EncodeTimeAnchors(view, &corner, &body.location, 0);
    // The new area belongs to no list while it is dragged open: the selection frees
    // its per-message list at the end of every message, and the area must outlive the
    // press that made it. CommitDrag hands it to that list once the drag is over.
    g_tracking = AreaTracking{};
    g_tracking.area = object;
    g_tracking.current = {corner.x, corner.y, view->pointerPoint.x, view->pointerPoint.y};
    return object;
}

void AreaClass::DrawTracking(ScoreObject*, ScoreView* view) const {
    if (view != nullptr) InvertOutline(view, true);
}

void AreaClass::EraseTracking(ScoreObject*, ScoreView* view) const {
    if (view != nullptr) InvertOutline(view, false);
}

// The area leaves the score for the selection's own list.
int AreaClass::CommitDrag(ScoreObject* object, ScoreView*) const {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return 1;
    object->handleChain = Ref32<HitRecord>{};
    UnlinkObject(object);
    InsertObjectAfter(&selection->temporaryChain, object);
    selection->rebuildRequested = 1;
    g_tracking = AreaTracking{};
    return 1;
}

void AreaClass::EndDrag(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr) return;
    if (!view->pageView) {
        StepValue(object, view, 1);
        return;
    }
    RecordRect r = g_tracking.current;
    const int32_t clientHeight = view->ViewWindow ? win::GetClientRect(view->ViewWindow).bottom : 0;
    const int32_t zoom = ZoomForAreaHeight(r.bottom - r.top, clientHeight);
    if (ChainHandle(FocusedChain(), kAreaWholeHandle) != nullptr) {
        EraseTracking(object, view);
        CommitDrag(object, view);
        PainterState& painter = State().display.painter;
        painter.savedOrigin[0] = view->pageOrigin[0];
        painter.savedOrigin[1] = view->pageOrigin[1];
        if (zoom != 0) {
            view->pageOrigin[0] = RoundToZoom(r.left, view->zoomFactor);
            view->pageOrigin[1] = RoundToZoom(r.top, view->zoomFactor);
        }
    }
    if (zoom == 0) {
        // A click: one level in, the clicked point in the middle of the window.
        State().drawing.PendingCentreX = r.left;
        State().drawing.PendingCentreY = r.top;
        StepValue(object, view, 1);
        return;
    }
    EndViewDrawAll(view);
    SetZoom(view, zoom);
}

HitRecord* AreaClass::BuildHandles(ScoreObject* object, ScoreView* view) const {
    AreaBody& body = AsArea(object)->body;
    LogicalPoint at{};
    if (view != nullptr) DecodeAnchors(view, object->subtype, &body.location, &at, 1);
    RecordRect r{at.x, at.y, at.x + body.width, at.y + body.height};
    HitRecord* handles[kAreaHandleCount] = {};
    for (int i = 0; i < kAreaHandleCount; ++i) {
        handles[i] = static_cast<HitRecord*>(AllocStaticRecord(kHitRecordPool));
        if (handles[i] == nullptr) {
            for (HitRecord* made : handles)
                if (made != nullptr) FreeHitRecord(made);
            return nullptr;
        }
        ConstructHitRecordAtPoint(handles[i], view, 0, i == 0 ? at : LogicalPoint{r.right, r.bottom});
        handles[i]->flags |= i == kAreaWholeHandle ? kWholeFlags : kCornerFlags;
        handles[i]->owner = Ref32<ScoreObject>::To(object);
        handles[i]->ownerType = object->type;
        if (i > 0) {
            handles[i]->parent = Ref32<HitRecord>::To(handles[i - 1]);
            handles[i - 1]->child = Ref32<HitRecord>::To(handles[i]);
        }
    }
    PlaceAreaHandles(handles[0], r);
    g_tracking.area = object;
    g_tracking.current = r;
    return handles[0];
}

void AreaClass::TrackDrag(ScoreObject* object, ScoreView*) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* first = FocusedChain();
    HitRecord* corner = ChainHandle(first, kAreaCornerHandle);
    if (selection == nullptr || corner == nullptr || selection->grabbedRecord.get() != corner) return;
    RecordRect& r = g_tracking.current;
    r.right += selection->dragOffsetX;
    r.bottom += selection->dragOffsetY;
    PlaceAreaHandles(first, r);
    AsArea(object)->body.width = r.right - r.left;
    AsArea(object)->body.height = r.bottom - r.top;
}

void AreaClass::DragMove(ScoreObject*, ScoreView*) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* first = FocusedChain();
    if (selection == nullptr || first == nullptr) return;
    for (HitRecord* hit = first; hit != nullptr; hit = hit->child.get())
        OffsetHitRecord(hit, {selection->dragOffsetX, selection->dragOffsetY});
    if (HitRecord* whole = ChainHandle(first, kAreaWholeHandle)) g_tracking.current = whole->outer;
}

void AreaClass::SetToolCursor(ScoreObject*, int32_t, int32_t) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* hover = selection != nullptr ? selection->hoverRecord.get() : nullptr;
    if (hover != nullptr && hover == ChainHandle(FocusedChain(), kAreaWholeHandle))
        win::SetCursor(win::LoadCursorResource(kAreaMoveCursor));
    else if (selection != nullptr && selection->toolCursor)
        win::SetCursor(selection->toolCursor);
}

void AreaClass::StepValue(ScoreObject*, ScoreView* view, int step) const {
    if (view != nullptr) StepZoom(view, step);
}

// Shift: the area keeps the window's proportions, the larger movement leading.
void AreaClass::ConstrainDrag(ScoreObject*, ScoreView* view) const {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr || view == nullptr || !view->ViewWindow) return;
    win::Rect client = win::GetClientRect(view->ViewWindow);
    if (client.right <= 0 || client.bottom <= 0) return;
    int32_t dx = selection->dragOffsetX;
    int32_t dy = selection->dragOffsetY;
    int32_t d = std::abs(dx) >= std::abs(dy) ? dx : dy;
    const RecordRect& r = g_tracking.current;
    int32_t width = r.right - r.left + d;
    if (width == 0) width = kEmptyWidthStandIn;
    int32_t height = static_cast<int32_t>(static_cast<int64_t>(client.bottom) * width / client.right);
    selection->dragOffsetX = d;
    selection->dragOffsetY = height - (r.bottom - r.top);
}

int AreaClass::HandleDrop(ScoreObject* object, ScoreView* view, ScoreObject*, HitRecord*) const {
    StepValue(object, view, -1);
    return 1;
}

const AreaClass& TheAreaClass() {
    static const AreaClass instance;
    return instance;
}

}  // namespace ql
