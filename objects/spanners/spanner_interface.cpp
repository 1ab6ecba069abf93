// The spanner interface's line operations (see spanner_interface.h). Points come
// from the two stored anchors through the display's anchor codecs; hooks are the
// vertical distances from the line's ends to the hooks' free ends. The handle
// chain is the head record followed by five children linked through `child`.
#include "objects/spanners/spanner_interface.h"

#include <algorithm>
#include <cstring>

#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/event_record.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/handle_flags.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/anchors.h"
#include "display/hit_test.h"
#include "layout/system_span.h"
#include "objects/curves/curve_interface.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

constexpr int kNoteAttachedKind = 3;
constexpr int kTimeKind = 0;
constexpr int kTupletLabelDivisor = 3;
constexpr int kMiddleHandleScale = 4;  // the middle handle's rectangle, in handle sizes
constexpr int kDashedPenKind = 2;

int32_t Scaled(const ScoreView* view, int32_t value) {
    return view->zoomFactor > 0 ? static_cast<int32_t>(value * view->zoomFactor) : value;
}
int16_t Unscaled(const ScoreView* view, int32_t value) {
    const int32_t v = view->zoomFactor > 0 ? static_cast<int32_t>(value * (1.0 / view->zoomFactor))
                                           : value;
    return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

ObjectLocation* AnchorWords(AnchorPoint* point) {
    return reinterpret_cast<ObjectLocation*>(point);
}

// The owner's note for kind 3; a kind-3 owner without a note becomes kind 0.
EventRecord* NoteOfAttachedOwner(ScoreObject* owner) {
    if (owner->subtype != kNoteAttachedKind) return nullptr;
    EventRecord* note = ClassOf(owner).GetOwnerNote(owner);
    if (note == nullptr) owner->subtype = kTimeKind;
    return note;
}

// Decodes with the keep-measure switch raised (the view stands at the note's measure).
void DecodeInCurrentMeasure(ScoreView* view, AnchorPoint* anchors, LogicalPoint* out) {
    uint8_t& keep = State().locate.KeepMeasure;
    const uint8_t saved = keep;
    keep = 1;
    DecodeAnchors(view, kTimeKind, AnchorWords(anchors), out, 2);
    keep = saved;
}

void ComputeNoteAttached(SpannerInterface* spanner, ScoreView* view, EventRecord* note,
                         LogicalPoint* line) {
    const LogicalPoint at = GetEventPosition(note, view);
    AnchorPoint anchors[2] = {spanner->endpoint.start, spanner->endpoint.end};
    anchors[0].coarse[0] = anchors[1].coarse[0] = 0;
    anchors[0].coarse[1] = static_cast<uint16_t>(anchors[0].coarse[1] + note->time);
    anchors[1].coarse[1] = static_cast<uint16_t>(anchors[1].coarse[1] + anchors[0].coarse[1]);
    DecodeInCurrentMeasure(view, anchors, line);
    line[0].y = at.y + Scaled(view, spanner->endpoint.start.y);
    line[1].y = at.y + Scaled(view, spanner->endpoint.end.y);
}

// The current measure slot's edges (absolute x): its left barline and the next one.
void CurrentSlotEdges(const ScoreView* view, int32_t* left, int32_t* right) {
    const ScoreSystem* system = view->currentSystem;
    const int row = system->number;
    const int slot = std::clamp(view->currentSlot, 1, kBeatMapSlots - 2);
    *left = system->x + view->beatMap.slotX[BeatMapCell(row, slot)];
    *right = system->x + view->beatMap.slotX[BeatMapCell(row, slot + 1)];
}

void EncodeNoteAttached(SpannerInterface* spanner, ScoreView* view, EventRecord* note,
                        const SpannerPoints& points) {
    const LogicalPoint at = GetEventPosition(note, view);
    LogicalPoint start = points.p[1];
    LogicalPoint end = points.p[2];
    if (view->currentSystem != nullptr) {
        int32_t left = 0, right = 0;
        CurrentSlotEdges(view, &left, &right);
        if (start.x <= left) start.x = left + 1;
        if (right > left && end.x >= right) end.x = right - 1;
    }
    SpannerEndpoint& e = spanner->endpoint;
    EncodeTimeAnchors(view, &start, AnchorWords(&e.start), 1);
    EncodeTimeAnchors(view, &end, AnchorWords(&e.end), 1);
    const int startTime = e.start.coarse[1];
    const int endTime = e.end.coarse[1] - startTime;
    e.end.coarse[1] = static_cast<uint16_t>(std::max(endTime, 0));
    e.start.coarse[1] = static_cast<uint16_t>(std::max(startTime - note->time, 0));
    e.start.coarse[0] = e.end.coarse[0] = 0;
    e.start.y = Unscaled(view, start.y - at.y);
    e.end.y = Unscaled(view, end.y - at.y);
}

LogicalPoint MiddleHandlePoint(LogicalPoint hookStart, LogicalPoint start, LogicalPoint end,
                               bool hookFirst) {
    const int32_t y = hookFirst ? (hookStart.y + end.y) >> 1 : (start.y + end.y) >> 1;
    return LogicalPoint{(start.x + end.x) >> 1, y};
}

bool IsHookFirst(const SpannerInterface& spanner) {
    return (spanner.endpoint.style & kSpannerHookFirstMask) != 0;
}

gfx::Point ToPoint(LogicalPoint p) {
    return gfx::Point{p.x, p.y};
}

// Moves a record of the chain by an offset, wrapped onto the next system.
void MoveHandle(ScoreView* view, HitRecord* hit, int32_t dx, int32_t dy) {
    if (hit != nullptr && (dx != 0 || dy != 0)) WrapObjectPointToNextSystem(view, hit, gfx::Point{dx, dy});
}

void PlaceMiddleHandle(const SpannerInterface& spanner, ScoreView* view, HitRecord* head) {
    HitRecord* middle = SpannerHandle(head, kSpannerMiddleHandle);
    if (middle == nullptr) return;
    const LogicalPoint at =
        MiddleHandlePoint(SpannerHandle(head, 1)->point, SpannerHandle(head, 2)->point,
                          SpannerHandle(head, 3)->point, IsHookFirst(spanner));
    const gfx::Point wrapped = WrapPointToNextSystem(view, ToPoint(at));
    PlaceHitRecord(middle, LogicalPoint{wrapped.x, wrapped.y}, kMiddleHandleScale * HandleSize() / 2);
    middle->location.point = middle->point;
}

// A solid line of `pixels` device pixels in the current text colour on the view's
// context and its companion, split at the system's end.
void DrawSolidSplitLine(ScoreView* view, const gfx::Point* path, int count, int32_t pixels) {
    BeginViewDraw(view);
    const platform::DcHandle dc = view->ViewDC;
    if (dc) {
        const int32_t width = gfx::DeviceToLogicalDistance(dc, gfx::Size{pixels, pixels}).cx;
        const platform::PenHandle pen = gfx::CreatePen(gfx::PenStyle::Solid, width, gfx::GetTextColour(dc));
        const platform::DcHandle companion = CompanionContext(view);
        const platform::PenHandle previous = gfx::SelectObject(dc, pen);
        platform::PenHandle previousCompanion{};
        if (companion) previousCompanion = gfx::SelectObject(companion, pen);
        DrawSplitPolyline(view, path, count);
        gfx::SelectObject(dc, previous);
        if (companion) gfx::SelectObject(companion, previousCompanion);
        gfx::DeleteObject(pen);
    }
    EndViewDraw(view);
}

}  // namespace

void InitSpannerInterface(SpannerInterface* spanner, ScoreView* view, SpannerPoints* points,
                          int32_t width, int32_t height, int8_t lineWidth) {
    SpannerEndpoint& e = spanner->endpoint;
    for (AnchorPoint* a : {&e.start, &e.end}) a->coarse[0] = a->coarse[1] = 0, a->x = 0;
    e.lineWidth = lineWidth;
    e.style = 0;
    const LogicalPoint at = view != nullptr ? view->pointerPoint : LogicalPoint{};
    points->p[0] = at;
    points->p[1] = LogicalPoint{at.x, at.y - height};
    points->p[2] = LogicalPoint{at.x + width, at.y - height};
    points->p[3] = LogicalPoint{at.x + width, at.y};
    points->label = LogicalPoint{at.x + (width >> 1), at.y - height};
}

void ComputeSpannerPoints(SpannerInterface* spanner, ScoreView* view, SpannerPoints* points) {
    ScoreObject* owner = spanner->owner.get();
    LogicalPoint line[2] = {};
    if (EventRecord* note = owner != nullptr ? NoteOfAttachedOwner(owner) : nullptr)
        ComputeNoteAttached(spanner, view, note, line);
    else
        DecodeAnchors(view, owner != nullptr ? owner->subtype : kTimeKind,
                      AnchorWords(&spanner->endpoint.start), line, 2);
    points->p[1] = line[0];
    points->p[2] = line[1];
    points->p[0] = LogicalPoint{line[0].x, line[0].y + Scaled(view, spanner->endpoint.startHook)};
    points->p[3] = LogicalPoint{line[1].x, line[1].y + Scaled(view, spanner->endpoint.endHook)};
    const bool tuplet = owner != nullptr && owner->type == TypeCode(ObjectType::Tuplet);
    const int32_t x = tuplet ? points->p[0].x + (points->p[3].x - points->p[0].x) / kTupletLabelDivisor
                             : (points->p[0].x + points->p[3].x) >> 1;
    points->label = LogicalPoint{x, (line[0].y + line[1].y) >> 1};
}

void EncodeSpannerPoints(SpannerInterface* spanner, LocationRecord* result, ScoreView* view,
                         const SpannerPoints& points) {
    if (result != nullptr) *result = LocationRecord{};
    ScoreObject* owner = spanner->owner.get();
    SpannerEndpoint& e = spanner->endpoint;
    e.startHook = Unscaled(view, points.p[0].y - points.p[1].y);
    e.endHook = Unscaled(view, points.p[3].y - points.p[2].y);
    if (EventRecord* note = owner != nullptr ? NoteOfAttachedOwner(owner) : nullptr) {
        EncodeNoteAttached(spanner, view, note, points);
        return;
    }
    const LogicalPoint line[2] = {points.p[1], points.p[2]};
    EncodeAnchors(view, result, owner != nullptr ? owner->subtype : kTimeKind,
                  AnchorWords(&e.start), line, 2);
}

void SpannerPathPoints(const SpannerInterface& spanner, const SpannerPoints& points,
                       gfx::Point* out) {
    for (int i = 0; i < kSpannerPointCount; ++i) out[i] = ToPoint(points.p[i]);
    if (IsHookFirst(spanner)) std::swap(out[0], out[1]);
}

void DrawSpannerLine(SpannerInterface* spanner, ScoreView* view) {
    uint8_t& keep = State().locate.KeepMeasure;
    const uint8_t savedKeep = keep;
    keep = 0;
    SpannerPoints points{};
    ComputeSpannerPoints(spanner, view, &points);
    keep = savedKeep;
    gfx::Point path[kSpannerPointCount];
    SpannerPathPoints(*spanner, points, path);
    const int32_t width = std::max<int32_t>(spanner->endpoint.lineWidth, 0);
    if ((spanner->endpoint.style & kSpannerDashedMask) != 0) {
        BeginViewDraw(view);
        DrawSplitPolylineWithPen(view, path, kSpannerPointCount,
                                 static_cast<gfx::PenStyle>(kDashedPenKind),
                                 PixelsToLogical(view, width), true);
        EndViewDraw(view);
        return;
    }
    DrawSolidSplitLine(view, path, kSpannerPointCount, width);
}

HitRecord* HandleChainOf(ScoreObject* object) {
    SelectionState* selection = TheSelectionState();
    HitRecord* focus = selection != nullptr ? selection->focusRecord.get() : nullptr;
    if (focus != nullptr && focus->owner.get() == object) return focus;
    return object->handleChain.get();
}

int SpannerHandleIndex(int32_t index, int32_t kind) {
    if (index > 0) return index;
    return kind >= 1 && kind <= kSpannerMiddleHandle ? kind : 0;
}

HitRecord* SpannerHandle(HitRecord* head, int index) {
    HitRecord* hit = head;
    for (int i = 0; i < index && hit != nullptr; ++i) hit = hit->child.get();
    return hit;
}

HitRecord* BuildLineHandles(SpannerInterface* spanner, ScoreView* view) {
    SpannerPoints points{};
    ComputeSpannerPoints(spanner, view, &points);
    const LogicalPoint at[kSpannerHandleCount] = {
        points.p[0], points.p[0], points.p[1], points.p[2], points.p[3],
        MiddleHandlePoint(points.p[0], points.p[1], points.p[2], IsHookFirst(*spanner))};
    HitRecord* head = nullptr;
    HitRecord* last = nullptr;
    for (int i = 0; i < kSpannerHandleCount; ++i) {
        HitRecord* hit = AllocHitRecord();
        if (hit == nullptr) {
            if (i >= 2) ui::Beep(ui::BeepKind::Default);
            if (head != nullptr) FreeHitRecordChain(head), FreeHitRecord(head);
            return nullptr;
        }
        const gfx::Point wrapped = WrapPointToNextSystem(view, ToPoint(at[i]));
        ConstructHitRecordWithOwner(hit, view, i == 0 ? kSpannerHeadKind : static_cast<uint8_t>(i),
                                    LogicalPoint{wrapped.x, wrapped.y}, last);
        hit->owner = spanner->owner;
        hit->ownerType = spanner->owner ? spanner->owner->type : 0;
        if (i == kSpannerMiddleHandle) hit->flags |= kHandleMovesWhole;
        if (head == nullptr) head = hit;
        last = hit;
    }
    return head;
}

void TrackSpannerHandle(const SpannerInterface& spanner, ScoreView* view, HitRecord* head,
                        int index, LogicalPoint offset, bool linked, bool octave) {
    HitRecord* h[kSpannerHandleCount] = {};
    for (int i = 0; i < kSpannerHandleCount; ++i) h[i] = SpannerHandle(head, i);
    if (index < 1 || index > 4 || h[4] == nullptr) return;
    const int32_t dx = offset.x, dy = offset.y;
    MoveHandle(view, h[index], dx, dy);
    switch (index) {
        case 1:
            if (octave) {
                if (linked) MoveHandle(view, h[2], dx, dy), MoveHandle(view, h[3], 0, dy), MoveHandle(view, h[4], 0, dy);
                break;
            }
            MoveHandle(view, h[2], dx, 0);
            if (linked) MoveHandle(view, h[4], 0, dy);
            break;
        case 2:
            MoveHandle(view, h[1], dx, dy);
            if (linked) MoveHandle(view, h[3], 0, dy), MoveHandle(view, h[4], 0, dy);
            break;
        case 3:
            MoveHandle(view, h[4], dx, dy);
            if (linked) MoveHandle(view, h[2], 0, dy), MoveHandle(view, h[1], 0, dy);
            break;
        default:
            MoveHandle(view, h[3], dx, 0);
            if (linked && !octave) MoveHandle(view, h[1], 0, dy);
            break;
    }
    PlaceMiddleHandle(spanner, view, head);
}

SpannerPoints SpannerPointsOfHandles(HitRecord* head) {
    SpannerPoints points{};
    for (int i = 0; i < kSpannerPointCount; ++i)
        if (HitRecord* hit = SpannerHandle(head, i + 1)) points.p[i] = hit->point;
    points.label = LogicalPoint{(points.p[0].x + points.p[3].x) >> 1, (points.p[1].y + points.p[2].y) >> 1};
    return points;
}

bool StepLineWidth(SpannerInterface* spanner, int step) {
    const int now = spanner->endpoint.lineWidth;
    const int next = std::clamp(now + step, 0, int{kLargestLineWidth});
    if (next != now + step) ui::Beep(ui::BeepKind::Default);
    spanner->endpoint.lineWidth = static_cast<int8_t>(next);
    return next != now;
}

void MoveObjectToStartCell(ScoreObject* object, ScoreView* view, const LocationRecord& start,
                           HitRecord* head) {
    if (object->subtype != kTimeKind || start.location.measure == 0 || head == nullptr ||
        view->document == nullptr)
        return;
    const ObjectLocation& old = head->location.location;
    if (old.staff == start.location.staff && old.measure == start.location.measure) return;
    StaffRecord* staff = StaffRecordOf(view->document, start.location.staff);
    MeasureCell* cell = staff != nullptr ? GetOrCreateMeasureCell(staff, view->document, start.location.measure) : nullptr;
    if (cell == nullptr || cell->objects.get() == nullptr) return;
    UnlinkObject(object);
    InsertObjectAfter(cell->objects.get(), object);
    head->location.location = start.location;
}

}  // namespace ql
