// The spacing stretcher's class (see stretcher_class.h). Measure-relative x values
// (start x, end x, new end x) are beat-map x of the current slot; the grid and the
// handles stand at the slot's x plus them.
#include "objects/runtime/stretcher_class.h"

#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/ui/selection_services.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/spacing_list.h"
#include "notes/beatmap/beat_map.h"
#include "notes/rests/staff_place.h"
#include "objects/graphics/graphic_shapes_internal.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"

namespace ql {
namespace {

using graphics::ChainHandle;
using graphics::ChainIndexOf;
using graphics::FocusedChain;

constexpr int32_t kLongMark = 256;
constexpr int32_t kMiddleMark = 192;
constexpr int32_t kShortMark = 128;
constexpr int kLongMarkTicks = 512;
constexpr int kMiddleMarkTicks = 256;
constexpr int32_t kHandleLineTop = -1152;
constexpr int32_t kHandleLineBottom = -128;
constexpr int kHandleSizeFactor = 4;
constexpr uint16_t kStartFlags = 0x0001 | 0x0002 | 0x0008;  // bits 0, 1 and 3
constexpr uint16_t kEndFlags = 0x0002;                      // bit 1
constexpr uint8_t kStretcherHandleKind = 3;
constexpr int kGripCursor = 383;
constexpr int kPlainCursor = 382;
constexpr int8_t kEditFocused = 1;

// Set when the new-end handle was dragged: only then does the drag's end re-space.
bool g_newEndDragged = false;

LogicalPoint MeasureOrigin(ScoreView* view) {
    return {CurrentSlotX(view), StaffBaseY(view)};
}

int LengthOf(ScoreView* view) {
    return view->currentMeasureLength;
}

void DrawSegment(platform::DcHandle dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    gfx::MoveTo(dc, {x1, y1});
    gfx::LineTo(dc, {x2, y2});
}

// One pass of the grid: the baseline and the marks, rising or falling.
void DrawGridPass(ScoreView* view, LogicalPoint origin, int32_t y, int direction) {
    platform::DcHandle dc = view->ViewDC;
    int length = LengthOf(view);
    DrawSegment(dc, origin.x, y, origin.x + BeatMapTickToX(view, std::max(length - 1, 0)), y);
    for (const GridMark& mark : StretcherGridMarks(length)) {
        int32_t x = origin.x + BeatMapTickToX(view, mark.tick);
        DrawSegment(dc, x, y, x, y + direction * mark.length);
    }
}

// A handle move refused: the beep.
void Refuse() {
    ui::Beep(ui::BeepKind::Default);
}

bool InStretchersMeasure(ScoreView* view, const StretcherBody& body) {
    return view->currentMeasure == body.measure && view->currentStaff == body.staff;
}

void TrackStartHandle(ScoreView* view, StretcherBody& body, HitRecord* handle, int32_t dx) {
    if (body.startX + dx >= body.endX) {
        Refuse();
        return;
    }
    if (body.startX + dx < 0 || !InStretchersMeasure(view, body)) return;
    body.startX = static_cast<int16_t>(body.startX + dx);
    OffsetHitRecord(handle, {dx, 0});
}

void TrackNewEndHandle(StretcherBody& body, HitRecord* first, int32_t dx) {
    if (body.newEndX + dx <= body.startX) {
        Refuse();
        return;
    }
    body.newEndX = static_cast<int16_t>(body.newEndX + dx);
    OffsetHitRecord(ChainHandle(first, kStretcherNewEndHandle), {dx, 0});
    OffsetHitRecord(ChainHandle(first, kStretcherEndHandle), {dx, 0});
    g_newEndDragged = true;
}

void TrackEndHandle(ScoreView* view, StretcherBody& body, HitRecord* first, int32_t dx) {
    if (!InStretchersMeasure(view, body)) return;
    if (body.endX + dx <= body.startX) {
        Refuse();
        return;
    }
    if (body.endX + dx > BeatMapTickToX(view, std::max(LengthOf(view) - 1, 0))) return;
    body.endX = body.newEndX = static_cast<int16_t>(body.endX + dx);
    OffsetHitRecord(ChainHandle(first, kStretcherEndHandle), {dx, 0});
    OffsetHitRecord(ChainHandle(first, kStretcherNewEndHandle), {dx, 0});
}

// Spaces the stretcher's tick range to its new width: the whole measure through its
// width, a part through its spacing list. False when the range was refused.
bool ApplyStretch(ScoreView* view, StretcherBody& body) {
    int length = LengthOf(view);
    body.startTick = static_cast<uint16_t>(std::max(XToTimeInSlot(view, body.startX), 0));
    body.endTick = static_cast<uint16_t>(std::max(XToTimeInSlot(view, body.endX), 0));
    int32_t oldWidth = BeatMapTickToX(view, body.endTick) - body.startX;
    auto width = static_cast<int16_t>(body.newEndX - body.startX);
    if (width == 0) return false;
    body.endX = body.newEndX;
    if (body.endTick == length - 1) body.endTick = static_cast<uint16_t>(length);
    int ticks = body.endTick - body.startTick;
    if (ticks == 0) return true;  // nothing to space
    if (ticks < kShortestStretchTicks) return false;
    if (body.startTick == 0 && body.endTick == length) {
        SetMeasureWidth(view->document, view, body.measure, width);
        return true;
    }
    SpacingEntry span{0, body.startTick, static_cast<uint16_t>(ticks), 0};
    SetSpanSpacing(view->document, body.measure, span, oldWidth, width);
    SetDocumentModified(view->document);
    return true;
}

}  // namespace

std::vector<GridMark> StretcherGridMarks(int lengthTicks) {
    std::vector<GridMark> marks;
    for (int t = 0; t < lengthTicks; t += kGridStepTicks) {
        int32_t length = t % kLongMarkTicks == 0     ? kLongMark
                         : t % kMiddleMarkTicks == 0 ? kMiddleMark
                                                     : kShortMark;
        marks.push_back({t, length});
    }
    return marks;
}

std::byte* StretcherClass::GetBody(ScoreObject* object) const {
    return object->BodyBytes();
}

uint32_t StretcherClass::GetBodySize(const ScoreObject*) const {
    return kStretcherBodyBytes;
}

ScoreObject* StretcherClass::CreateAtClick(ScoreObject* prototype, ScoreView* view) const {
    if (view == nullptr || view->currentSystem == nullptr) return nullptr;
    ScoreObject* object = ConstructObject(prototype->type);
    if (object == nullptr) return nullptr;
    StretcherBody& body = AsStretcher(object)->body;
    body = StretcherBody{};
    int last = std::max(LengthOf(view) - 1, 0);
    body.endTick = static_cast<uint16_t>(last);
    body.endX = body.newEndX = static_cast<int16_t>(BeatMapTickToX(view, last));
    body.staff = static_cast<uint8_t>(view->currentStaff);
    body.measure = static_cast<uint16_t>(view->currentMeasure);
    body.system = view->currentSystem->number;
    g_newEndDragged = false;
    InsertObjectBySubtype(view, object);
    return object;
}

void StretcherClass::DrawTracking(ScoreObject*, ScoreView* view) const {
    if (view == nullptr) return;
    BeginViewDraw(view);
    if (view->ViewDC) {
        LogicalPoint origin = MeasureOrigin(view);
        DrawGridPass(view, origin, origin.y + kGridBelowStaff, -1);
        DrawGridPass(view, origin, origin.y + kGridAboveStaff, 1);
    }
    EndViewDraw(view);
}

void StretcherClass::EraseTracking(ScoreObject* object, ScoreView* view) const {
    DrawTracking(object, view);
}

int StretcherClass::CommitDrag(ScoreObject* object, ScoreView*) const {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return 1;
    UnlinkObject(object);
    InsertObjectAfter(&selection->temporaryChain, object);
    selection->rebuildRequested = 1;
    return 1;
}

void StretcherClass::EndDrag(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr || !g_newEndDragged) return;
    g_newEndDragged = false;
    StretcherBody& body = AsStretcher(object)->body;
    SetCurrentSystemAndMeasure(view, view->currentSystem, body.staff, body.measure);
    if (!ApplyStretch(view, body)) {
        Refuse();
        return;
    }
    UpdateBeatMaps(view, 1);
    // The measure's new width moves what follows it on the system: the views are
    // drawn again, not only the measure.
    InvalidateLinkedViews(view);
    if (SelectionState* selection = TheSelectionState()) {
        selection->editMode = kEditFocused;
        CommitFocusedElement(view);
        selection->rebuildRequested = 1;
    }
}

HitRecord* StretcherClass::BuildHandles(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr) return nullptr;
    const StretcherBody& body = AsStretcher(object)->body;
    LogicalPoint origin = MeasureOrigin(view);
    const LogicalPoint points[kStretcherHandleCount] = {
        {origin.x + body.startX, origin.y + kEndHandlesY},
        {origin.x + body.endX, origin.y + kEndHandlesY},
        {origin.x + body.endX, origin.y + kNewEndHandleY}};
    int32_t savedHalf = HandleSize();
    SetHandleSize(savedHalf * kHandleSizeFactor);
    HitRecord* handles[kStretcherHandleCount] = {};
    for (int i = 0; i < kStretcherHandleCount; ++i) {
        handles[i] = static_cast<HitRecord*>(AllocStaticRecord(kHitRecordPool));
        if (handles[i] == nullptr) break;
        ConstructHitRecordAtPoint(handles[i], view, kStretcherHandleKind, points[i]);
        handles[i]->flags |= i == kStretcherStartHandle ? kStartFlags : kEndFlags;
        handles[i]->owner = Ref32<ScoreObject>::To(object);
        handles[i]->ownerType = object->type;
        if (i > 0) {
            handles[i]->parent = Ref32<HitRecord>::To(handles[i - 1]);
            handles[i - 1]->child = Ref32<HitRecord>::To(handles[i]);
        }
    }
    SetHandleSize(savedHalf);
    if (handles[kStretcherHandleCount - 1] == nullptr) {  // the pool has sounded its beep
        for (HitRecord* made : handles)
            if (made != nullptr) FreeHitRecord(made);
        return nullptr;
    }
    return handles[0];
}

void StretcherClass::TrackDrag(ScoreObject* object, ScoreView* view) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* first = FocusedChain();
    if (selection == nullptr || view == nullptr || first == nullptr) return;
    HitRecord* current = selection->grabbedRecord.get();
    StretcherBody& body = AsStretcher(object)->body;
    int32_t dx = selection->dragOffsetX;
    switch (ChainIndexOf(first, current)) {
    case kStretcherStartHandle: TrackStartHandle(view, body, current, dx); break;
    case kStretcherNewEndHandle: TrackNewEndHandle(body, first, dx); break;
    case kStretcherEndHandle: TrackEndHandle(view, body, first, dx); break;
    default: break;
    }
}

// A handle: a stem from above the staff (not for the new end), and its marker.
void StretcherClass::DrawHandle(ScoreObject*, ScoreView* view, HitRecord* hit) const {
    if (view == nullptr || hit == nullptr) return;
    BeginViewDraw(view);
    if (view->ViewDC) {
        int32_t x = hit->point.x;
        int32_t y = hit->point.y;
        if (ChainIndexOf(FocusedChain(), hit) != kStretcherNewEndHandle)
            DrawSegment(view->ViewDC, x, y + kHandleLineTop, x, y + kHandleLineBottom);
        const RecordRect& r = hit->inner;
        gfx::Rectangle(view->ViewDC, {r.left, r.top, r.right, r.bottom});
    }
    EndViewDraw(view);
}

void StretcherClass::SetToolCursor(ScoreObject*, int32_t, int32_t) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* hover = selection != nullptr ? selection->hoverRecord.get() : nullptr;
    bool grip = hover != nullptr && ChainIndexOf(FocusedChain(), hover) == kStretcherNewEndHandle;
    win::SetCursor(win::LoadCursorResource(grip ? kGripCursor : kPlainCursor));
}

// A drop frees the measure's whole spacing list: the default spacing comes back.
int StretcherClass::HandleDrop(ScoreObject* object, ScoreView* view, ScoreObject*, HitRecord*) const {
    if (view == nullptr || view->document == nullptr) return 0;
    const StretcherBody& body = AsStretcher(object)->body;
    MeasureRecord* record = MeasureRecordOf(view->document, body.measure);
    if (record == nullptr) return 0;
    FreeSpacingList(record->spacing);
    MeasureWidth(view->document, body.measure);
    SetDocumentModified(view->document);
    UpdateBeatMaps(view, 1);
    InvalidateLinkedViews(view);
    return 0;
}

const StretcherClass& TheStretcherClass() {
    static const StretcherClass instance;
    return instance;
}

}  // namespace ql
