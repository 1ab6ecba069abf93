// Barline objects made for the location, their handles and their drag feedback (see
// barline_follow.h).
#include "staves/barline_follow.h"

#include <algorithm>
#include <cstdlib>

#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/beat_map_record.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/handle_flags.h"
#include "core/objects/hit_record.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "staves/barline_handler.h"

namespace ql {

namespace {

constexpr int32_t kTopAboveSystem = 512;    // the line's top end above the system
constexpr int32_t kStaffDepth = 512;        // a full staff, top line to bottom line
constexpr int32_t kPickEndAboveBottom = 128;
constexpr int32_t kWidthHandlesAboveTop = 256;
constexpr int32_t kCoarseHalfWidth = 32;    // the top end's half width at 4..7 units a pixel
constexpr int32_t kPixelsEachSide = 4;
constexpr int kMaxListObjects = 4096;       // bounds the walk of a damaged list
constexpr int kHandleCount = 4;
constexpr int32_t kWidthTickHalf = 128;     // half length of a width handle's line
constexpr int kMoveCursor = 384;
constexpr int kHandleCursor = 382;
constexpr uint16_t kEndFlags = kHandleHorizontalOnly | kHandleEndOnRelease;

bool g_followSuppressed = false;

int RowOf(const ScoreSystem* system) {
    return system != nullptr && system->number < kBeatMapRows ? system->number : -1;
}

// The beat-map cell of the slot of `measure` in its system, or -1.
int CellOfMeasure(const ScoreSystem* system, int measure) {
    const int row = RowOf(system);
    const int slot = measure - system->firstMeasure + 1;
    if (row < 0 || slot < 1 || slot > kLastBeatMapSlot) return -1;
    return BeatMapCell(row, slot);
}

// The bottom line of the lowest staff the system shows.
int32_t BarlineBottom(const ScoreView* view, const ScoreSystem* system) {
    const uint16_t* offsets = StaffOffsetsOf(system);
    const int8_t* flags = StaffFlagsOf(system);
    int lowest = 0;
    for (int staff = view->document->header.staffCount; staff >= 1 && offsets != nullptr; --staff)
        if (flags == nullptr || flags[staff] >= 0) {
            lowest = staff;
            break;
        }
    const int32_t offset = lowest > 0 ? offsets[lowest] : 0;
    return system->y + offset + kStaffDepth;
}

bool ListHoldsBarline(ScoreObject* head, const ScoreSystem* system, int measure) {
    int n = 0;
    for (ScoreObject* o = head->next.get(); o != nullptr && n < kMaxListObjects; o = o->next.get(), ++n) {
        const BarlineBody* body = BarlineBodyOf(o);
        if (body != nullptr && body->measure == measure && body->system.get() == system) return true;
    }
    return false;
}

// Logical units per device pixel of the view (1 without a surface).
int32_t UnitsPerPixel(ScoreView* view) {
    constexpr int32_t kSpan = 100;  // pixels measured, for the rounding
    BeginViewDraw(view);
    int32_t units = 0;
    if (view->ViewDC) units = std::abs(gfx::DeviceToLogicalDistance(view->ViewDC, gfx::Size{kSpan, 0}).cx) / kSpan;
    EndViewDraw(view);
    return std::max<int32_t>(units, 1);
}

HitRecord* NewHandle(ScoreObject* object, ScoreView* view, uint8_t kind, LogicalPoint point) {
    auto* hit = static_cast<HitRecord*>(AllocStaticRecord(kHitRecordPool));
    if (hit == nullptr) return nullptr;
    ConstructHitRecordAtPoint(hit, view, kind, point);
    hit->flags |= kEndFlags;
    hit->owner = Ref32<ScoreObject>::To(object);
    hit->ownerType = object->type;
    return hit;
}

HitRecord* ChainMember(HitRecord* first, int index) {
    HitRecord* r = first;
    for (int i = 0; r != nullptr && i < index; ++i) r = r->child.get();
    return r;
}

void DrawLine(ScoreView* view, LogicalPoint from, LogicalPoint to) {
    gfx::MoveTo(view->ViewDC, {from.x, from.y});
    gfx::LineTo(view->ViewDC, {to.x, to.y});
}

}  // namespace

void SetBarlineFollowSuppressed(bool suppressed) {
    g_followSuppressed = suppressed;
}

bool BarlineFollowSuppressed() {
    return g_followSuppressed;
}

bool BarlineXInSystem(ScoreView* view, const ScoreSystem* system, int measure, int32_t* x) {
    if (view == nullptr || system == nullptr) return false;
    const int cell = CellOfMeasure(system, measure);
    if (cell < 0) return false;
    const int32_t slotX = view->beatMap.slotX[cell];
    if (measure == system->lastMeasure + 1 && slotX < 1) return false;
    *x = system->x + slotX;
    return true;
}

bool WidthHandleX(ScoreView* view, const ScoreSystem* system, int measure, int kind, int32_t* x) {
    if (view == nullptr || system == nullptr) return false;
    const int cell = CellOfMeasure(system, measure);
    if (cell < 0) return false;
    const MeasureRecord* record = MeasureRecordOf(view->document, measure);
    const int32_t width = kind == kBarlineWidthHandle && record != nullptr ? record->width : 0;
    *x = system->x + view->beatMap.contentX[cell] + width;
    return true;
}

int FollowBarlines(ScoreObject* source, ScoreView* view) {
    if (g_followSuppressed) return 1;
    SelectionState* selection = TheSelectionState();
    ScoreObject* list = selection != nullptr ? selection->voiceChain.get() : nullptr;
    ScoreSystem* system = view != nullptr ? view->currentSystem : nullptr;
    if (list == nullptr || system == nullptr || view->document == nullptr) return 0;
    const int count = view->document->header.measureCount;
    const int at = view->currentMeasure;
    const int closing = system->lastMeasure + 1;
    for (int k = std::max<int>(at - 1, system->firstMeasure); k <= at + 1; ++k) {
        if (k < 1 || k > count + 1 || k > closing || ListHoldsBarline(list, system, k)) continue;
        int32_t x = 0;
        if (!BarlineXInSystem(view, system, k, &x)) continue;
        ScoreObject* object = NewBarlineHandler();
        if (object == nullptr) return 0;
        BarlineBody* body = BarlineBodyOf(object);
        const BarlineBody* from = BarlineBodyOf(source);
        body->row = from != nullptr ? from->row : 0;
        body->measure = static_cast<uint16_t>(k);
        body->system = Ref32<ScoreSystem>::To(system);
        body->x = body->x2 = x;
        body->top = system->y - kTopAboveSystem;
        body->bottom = BarlineBottom(view, system);
        InsertObjectAfter(list, object);
    }
    return 1;
}

HitRecord* BuildBarlineHandles(ScoreObject* object, ScoreView* view) {
    BarlineBody* body = BarlineBodyOf(object);
    const ScoreSystem* system = body != nullptr ? body->system.get() : nullptr;
    if (system == nullptr || view == nullptr) return nullptr;
    const bool inside = body->measure != system->lastMeasure + 1;
    const int32_t savedHandle = HandleSize();
    SetHandleSize(savedHandle - savedHandle / 4);  // a little finer than other objects' handles
    HitRecord* handles[kHandleCount] = {};
    handles[0] = NewHandle(object, view, kBarlineTopHandle, {body->x, body->top});
    handles[1] = handles[0] ? NewHandle(object, view, kBarlineBottomHandle, {body->x, body->bottom}) : nullptr;
    // The line is grabbed where the pointer is on it: the pointer is not pulled to an end.
    for (HitRecord* end : {handles[0], handles[1]})
        if (end != nullptr) end->flags |= kHandleGrabAtPointer;
    const int made = inside ? kHandleCount : 2;
    if (inside && handles[1] != nullptr) {
        int32_t start = body->x;
        int32_t end = body->x;
        WidthHandleX(view, system, body->measure, kBarlineStartHandle, &start);
        WidthHandleX(view, system, body->measure, kBarlineWidthHandle, &end);
        const int32_t y = body->top - kWidthHandlesAboveTop;
        handles[2] = NewHandle(object, view, kBarlineStartHandle, {start, y});
        handles[3] = handles[2] ? NewHandle(object, view, kBarlineWidthHandle, {end, y}) : nullptr;
    }
    SetHandleSize(savedHandle);
    if (handles[made - 1] == nullptr) {
        for (HitRecord* h : handles)
            if (h != nullptr) FreeHitRecord(h);
        ui::Beep(ui::BeepKind::Default);
        return nullptr;
    }
    // The top end picks the whole line, from its top to just above its bottom.
    const int32_t u = UnitsPerPixel(view);
    const int32_t w = u >= 4 && u < 8 ? kCoarseHalfWidth : kPixelsEachSide * u;
    handles[0]->outer = RecordRect{body->x - w, body->top, body->x + w, body->bottom - kPickEndAboveBottom};
    for (int i = 1; i < made; ++i) {
        handles[i]->parent = Ref32<HitRecord>::To(handles[i - 1]);
        handles[i - 1]->child = Ref32<HitRecord>::To(handles[i]);
    }
    object->handleChain = Ref32<HitRecord>::To(handles[0]);
    return handles[0];
}

void TrackBarlineDrag(ScoreObject* object, ScoreView* /*view*/) {
    SelectionState* s = TheSelectionState();
    HitRecord* grabbed = s != nullptr ? s->grabbedRecord.get() : nullptr;
    HitRecord* first = object != nullptr ? object->handleChain.get() : nullptr;
    if (grabbed == nullptr || first == nullptr) return;
    const LogicalPoint delta{s->dragOffsetX, s->dragOffsetY};
    const uint8_t kind = grabbed->kind;
    int n = 0;
    for (HitRecord* r = first; r != nullptr && n < kHandleCount; r = r->child.get(), ++n) {
        const bool ends = kind <= kBarlineBottomHandle && r->kind <= kBarlineBottomHandle;
        const bool alone = (kind == kBarlineStartHandle || kind == kBarlineWidthHandle) && r == grabbed;
        const bool rest = kind > kBarlineWidthHandle && r->kind >= kBarlineStartHandle;
        if (ends || alone || rest) OffsetHitRecord(r, delta);
    }
}

void DrawBarlineTracking(ScoreObject* object, ScoreView* view) {
    HitRecord* first = object != nullptr ? object->handleChain.get() : nullptr;
    HitRecord* bottom = ChainMember(first, 1);
    if (view == nullptr || bottom == nullptr) return;
    BeginViewDraw(view);
    if (view->ViewDC) {
        DrawLine(view, first->point, bottom->point);
        HitRecord* start = ChainMember(first, 2);
        HitRecord* width = ChainMember(first, 3);
        if (start != nullptr && width != nullptr)
            for (const HitRecord* h : {start, width})
                DrawLine(view, {h->point.x, h->point.y - kWidthTickHalf}, {h->point.x, h->point.y + kWidthTickHalf});
    }
    EndViewDraw(view);
}

void SetBarlineCursor(int kind) {
    win::SetCursor(win::LoadCursorResource(kind == kBarlineTopHandle ? kMoveCursor : kHandleCursor));
}

}  // namespace ql
