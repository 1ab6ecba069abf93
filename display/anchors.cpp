// Object anchors: logical points to and from the four 16-bit words an object keeps
// per point. Time anchors (kind 0) name a measure delta, a tick and offsets from
// that tick's x and the staff; page anchors (1) split x and y into coarse and fine
// words; measure anchors (2, 4) an offset from the slot's left edge.
#include "display/anchors.h"

#include <algorithm>
#include <cstring>

#include "core/model/document.h"
#include "core/objects/score_object.h"
#include "display/locate_internal.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"

namespace ql {

using namespace locate;

namespace {

constexpr int32_t kPageOrigin = 30720;
constexpr int kCoarseShift = 7;
constexpr int32_t kCoarseUnit = 128;
constexpr int32_t kLogicalMin = -30720;
constexpr int32_t kLogicalMax = 32767;
constexpr int32_t kClipboardLift = 28672;
constexpr int kLastColumnMask = ~(kTicksPerBeatMapEntry - 1);

struct Words {
    uint16_t w[4];
};

Words Load(const ObjectLocation* at) {
    Words words{};
    std::memcpy(&words, at, sizeof words);
    return words;
}
void Store(ObjectLocation* at, const Words& words) {
    std::memcpy(at, &words, sizeof words);
}
int32_t ClampToLogical(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, kLogicalMin, kLogicalMax));
}
int16_t Word16(int64_t v) {
    return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX));
}

struct SavedPlace {
    ScoreSystem* system;
    int staff;
    int measure;
    LogicalPoint pointer;
};
SavedPlace Save(const ScoreView* view) {
    return {view->currentSystem, view->currentStaff, view->currentMeasure, view->pointerPoint};
}
void MoveQuick(ScoreView* view, int measure) {
    SetCurrentSystemAndMeasureQuick(view, view->currentSystem, view->currentStaff, measure);
}
void Restore(ScoreView* view, const SavedPlace& saved) {
    view->pointerPoint = saved.pointer;
    if (view->currentMeasure != saved.measure || view->currentSystem != saved.system)
        SetCurrentSystemAndMeasureQuick(view, saved.system, saved.staff, saved.measure);
}

// The slot of x' (relative to the system) as the encoders find it.
int SlotAtX(const ScoreView* view, const ScoreSystem* system, int32_t x, int lastSlot) {
    int slot = 1;
    for (int s = 2; s <= lastSlot; ++s) {
        const int left = SlotLeftEdge(view, system, s);
        if (left == 0 || left > x) break;
        slot = s;
    }
    return slot;
}

int ClampedMeasure(const ScoreView* view, int measure) {
    return std::clamp(measure, 1, std::max(1, MeasureCountOf(view) + kMeasureSlack));
}

// Encodes one time anchor at the current location; `floor` keeps later points off
// slots before the first point's.
int EncodeOneTime(ScoreView* view, const LogicalPoint& p, ObjectLocation* anchor, int base,
                  int* floor, bool first) {
    ScoreSystem* system = view->currentSystem;
    const int staff = view->currentStaff;
    const int32_t y = UnscaleY(view, p.y - view->staffY);
    int32_t x = ClampToLogical(p.x) - system->x;
    int slot = first && Switches().KeepMeasure ? view->currentSlot
                                               : SlotAtX(view, system, x, kLastBeatMapSlot);
    slot = std::max(slot, *floor);
    if (first) *floor = slot;
    x -= SlotContentStart(view, system, slot);
    const int measure = ClampedMeasure(view, system->firstMeasure + slot - 1);
    MoveQuick(view, measure);
    view->currentStaff = staff;
    const int tick = XToTimeInSlot(view, x);
    Store(anchor, Words{{static_cast<uint16_t>(Word16(measure - base)), static_cast<uint16_t>(tick),
                         static_cast<uint16_t>(Word16(x - TimeToX(view, tick))),
                         static_cast<uint16_t>(Word16(y))}});
    return measure;
}

void EncodeTimeN(ScoreView* view, LocationRecord* out, ObjectLocation* anchors,
                 const LogicalPoint* points, int count) {
    if (view->currentSystem == nullptr && count > 0) return;
    const SavedPlace saved = Save(view);
    view->pointerPoint = points[0];
    if (!Switches().KeepMeasure) UpdateLocationFromPointer(view);
    if (view->currentSystem == nullptr) { Restore(view, saved); return; }
    const int base = view->currentMeasure;
    int floor = 1;
    for (int i = 0; i < count; ++i) {
        const int measure = EncodeOneTime(view, points[i], &anchors[i], base, &floor, i == 0);
        if (i == 0 && out != nullptr) {
            out->location.position = Ref32<ScoreSystem>::To(view->currentSystem).offset;
            out->location.staff = static_cast<uint8_t>(view->currentStaff);
            out->location.measure = static_cast<uint16_t>(measure);
            out->point = points[0];
        }
    }
    Restore(view, saved);
}

void EncodeMeasureN(ScoreView* view, LocationRecord* out, ObjectLocation* anchors,
                    const LogicalPoint* points, int count) {
    const SavedPlace saved = Save(view);
    view->pointerPoint = points[0];
    if (!Switches().KeepMeasure) UpdateLocationFromPointer(view);
    ScoreSystem* system = view->currentSystem;
    if (system == nullptr) { Restore(view, saved); return; }
    const int base = view->currentMeasure;
    const int measures = std::max(1, system->lastMeasure - system->firstMeasure + 1);
    for (int i = 0; i < count; ++i) {
        const int32_t x = ClampToLogical(points[i].x) - system->x;
        const int slot = i == 0 && Switches().KeepMeasure
                             ? view->currentSlot
                             : SlotAtX(view, system, x, std::min(measures, kLastBeatMapSlot));
        const int measure = ClampedMeasure(view, system->firstMeasure + slot - 1);
        Words words = Load(&anchors[i]);
        words.w[0] = static_cast<uint16_t>(Word16(measure - base));
        words.w[2] = static_cast<uint16_t>(Word16(x - SlotLeftEdge(view, system, slot)));
        words.w[3] = static_cast<uint16_t>(Word16(UnscaleY(view, points[i].y - view->staffY)));
        Store(&anchors[i], words);
        if (i == 0 && out != nullptr) {
            out->location.position = Ref32<ScoreSystem>::To(system).offset;
            out->location.staff = static_cast<uint8_t>(view->currentStaff);
            out->location.measure = static_cast<uint16_t>(measure);
            out->point = points[0];
        }
    }
    Restore(view, saved);
}

// The tick of a time anchor, moved into a shortened measure (stored back).
int CheckedTick(ObjectLocation* anchor, Words* words, int length) {
    if (length > 0 && words->w[1] >= length) {
        words->w[1] = static_cast<uint16_t>((length - 1) & kLastColumnMask);
        Store(anchor, *words);
    }
    return words->w[1];
}

// What decoding reads of one measure's slot in the current system, kept for the
// next anchors of the same measure.
struct SlotOfAnchor {
    static constexpr int kUnread = -1;
    int measure = -1;
    int length = 0;
    int slot = 1;
    int32_t slotX = 0;
    SlotColumns columns;
    int closingX = kUnread;  // the content width, read when a tick first needs it
};
constexpr int kSlotCacheSize = 8;  // a power of two

SlotOfAnchor& SlotFor(ScoreView* view, int measure, SlotOfAnchor* cache) {
    SlotOfAnchor& entry = cache[measure & (kSlotCacheSize - 1)];
    if (entry.measure == measure) return entry;
    const MeasureRecord* record = MeasureRecordOf(view->document, measure);
    entry.measure = measure;
    entry.length = record != nullptr ? record->lengthTicks : 0;
    entry.slot = SlotOfMeasure(view, measure, view->currentSystem);
    entry.slotX = MeasureSlotX(view, view->currentSystem, entry.slot);
    entry.columns = SlotColumnsOf(view, view->currentSystem, entry.slot);
    entry.closingX = SlotOfAnchor::kUnread;
    return entry;
}

// The x of a tick in the anchor's slot (SlotTickX); the content width is read once
// per slot, and the columns again after it, as reading it fills them.
int TickXInSlot(ScoreView* view, SlotOfAnchor& at, int tick) {
    return TickXAmongColumns(at.columns, at.length, tick, [view, &at] {
        if (at.closingX == SlotOfAnchor::kUnread) {
            at.closingX = beatmap::BuildSlotTicks(view, view->currentSystem, at.slot);
            at.columns = SlotColumnsOf(view, view->currentSystem, at.slot);
        }
        return at.closingX;
    });
}

// Reads each anchor in its own measure's slot of the current system: the same
// place a move of the location there would give, without moving it.
void DecodeTimeN(ScoreView* view, ObjectLocation* anchors, LogicalPoint* out, int count) {
    SlotOfAnchor cache[kSlotCacheSize];
    for (int i = 0; i < count; ++i) {
        Words words = Load(&anchors[i]);
        const int measure =
            ClampedMeasure(view, view->currentMeasure + static_cast<int16_t>(words.w[0]));
        SlotOfAnchor& at = SlotFor(view, measure, cache);
        const int tick = CheckedTick(&anchors[i], &words, at.length);
        const int64_t x =
            static_cast<int16_t>(words.w[2]) + int64_t{TickXInSlot(view, at, tick)} + at.slotX;
        out[i] = LogicalPoint{ClampToLogical(x),
                              ClampToLogical(int64_t{ScaleY(view, static_cast<int16_t>(words.w[3]))} +
                                             view->staffY)};
    }
}

void DecodeMeasureN(ScoreView* view, const ObjectLocation* anchors, LogicalPoint* out, int count) {
    const SavedPlace saved = Save(view);
    for (int i = 0; i < count; ++i) {
        const Words words = Load(&anchors[i]);
        const int target = saved.measure + static_cast<int16_t>(words.w[0]);
        if (target >= 0 && target != view->currentMeasure) MoveQuick(view, ClampedMeasure(view, target));
        const int slot = std::clamp(view->currentSlot, 1, kLastBeatMapSlot);
        const int64_t x = static_cast<int16_t>(words.w[2]) +
                          int64_t{SlotLeftEdge(view, view->currentSystem, slot)} +
                          view->currentSystem->x;
        out[i] = LogicalPoint{ClampToLogical(x),
                              ClampToLogical(int64_t{ScaleY(view, static_cast<int16_t>(words.w[3]))} +
                                           view->staffY)};
    }
    Restore(view, saved);
}

}  // namespace

void EncodeAnchors(ScoreView* view, LocationRecord* out, int anchorKind,
                   ObjectLocation* bodyLocation, const LogicalPoint* points, int count) {
    if (out != nullptr) *out = LocationRecord{};
    if (view == nullptr || view->document == nullptr || bodyLocation == nullptr ||
        points == nullptr || count <= 0)
        return;
    switch (anchorKind) {
        case 0: EncodeTimeN(view, out, bodyLocation, points, count); break;
        case 1: EncodePageAnchors(view, bodyLocation, points, count); break;
        case 2:
        case 4: EncodeMeasureN(view, out, bodyLocation, points, count); break;
        default: break;
    }
}

void EncodeTimeAnchors(ScoreView* view, const LogicalPoint* points, ObjectLocation* anchor,
                       int flag) {
    if (view == nullptr || view->document == nullptr || points == nullptr || anchor == nullptr)
        return;
    const uint8_t keep = Switches().KeepMeasure;
    if (flag != 0) Switches().KeepMeasure = 1;
    EncodeTimeN(view, nullptr, anchor, points, 1);
    Switches().KeepMeasure = keep;
}

void EncodePageAnchors(ScoreView* /*view*/, ObjectLocation* bodyLocation,
                       const LogicalPoint* points, int count) {
    if (bodyLocation == nullptr || points == nullptr) return;
    for (int i = 0; i < count; ++i) {
        const int32_t x = ClampToLogical(points[i].x);
        const int32_t y = ClampToLogical(points[i].y);
        const int32_t cx = (x + kPageOrigin) >> kCoarseShift;
        const int32_t cy = (y + kPageOrigin) >> kCoarseShift;
        Store(&bodyLocation[i],
              Words{{static_cast<uint16_t>(cx), static_cast<uint16_t>(cy),
                     static_cast<uint16_t>(x - cx * kCoarseUnit + kPageOrigin),
                     static_cast<uint16_t>(y - cy * kCoarseUnit + kPageOrigin)}});
    }
}

void DecodeAnchors(ScoreView* view, int kind, ObjectLocation* location, LogicalPoint* out,
                   int count) {
    if (view == nullptr || view->document == nullptr || location == nullptr || out == nullptr ||
        count <= 0)
        return;
    constexpr int32_t kCoarseBias = kPageOrigin / kCoarseUnit;  // 240
    if (kind == 1) {
        const int32_t lift = State().drawing.ClipboardRendering ? kClipboardLift : 0;
        for (int i = 0; i < count; ++i) {
            const Words w = Load(&location[i]);
            out[i] = LogicalPoint{
                ClampToLogical((int64_t{w.w[0]} - kCoarseBias) * kCoarseUnit + w.w[2]),
                ClampToLogical((int64_t{w.w[1]} - kCoarseBias) * kCoarseUnit + w.w[3]) + lift};
        }
        return;
    }
    if (view->currentSystem == nullptr || (kind != 0 && kind != 2 && kind != 4)) return;
    if (kind == 0)
        DecodeTimeN(view, location, out, count);
    else
        DecodeMeasureN(view, location, out, count);
}

}  // namespace ql
