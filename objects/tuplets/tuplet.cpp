// Making, attaching and placing tuplet marks (see tuplet.h).
#include "objects/tuplets/tuplet.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/event_record.h"
#include "core/model/engraving_metrics.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "display/hit_test.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/rests/rest.h"
#include "notes/rests/rest_internal.h"
#include "notes/rests/staff_place.h"
#include "objects/curves/curve_interface.h"
#include "objects/object_services.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/stored_classes.h"
#include "objects/tuplets/tuplet_groups.h"

namespace ql {
namespace {

constexpr int32_t kMinimumSpan = 384;
constexpr int32_t kStemClearance = 128;
constexpr int32_t kNestedLift = 192;
constexpr int32_t kHookLength = 85;
constexpr int32_t kCurveOffset = 192;
constexpr int32_t kNumberClearOfBow = 32;
constexpr int32_t kRestNudgeUnits = 16;
constexpr uint16_t kCreationCleared = kTextOwnFont | kTextMusicGlyph;  // bits 2 and 7
constexpr uint16_t kDefaultCurveStep = 256;
constexpr int32_t kCurveAboveStaff = 640;
constexpr int32_t kCurveAboveNote = 128;
constexpr int32_t kCurveInnerRise = 128;
constexpr int kCurveThirds = 3;
constexpr int32_t kThinnestCurveDefault = 16;
constexpr int8_t kRaisedCurveDefault = 84;
constexpr uint8_t kNoteKind = 3;

EventRecord* NoteOf(ScoreObject* tuplet) {
    if (tuplet == nullptr || tuplet->subtype != kNoteKind) return nullptr;
    return ClassOf(tuplet).GetOwnerNote(tuplet);
}

int32_t TickX(ScoreView* view, int tick) {
    return CurrentSlotX(view) + TimeToX(view, tick);
}

// The end of a chord or rest that the line keeps clear of, on the side (negative
// above): the outer head, or the stem end when the stem points that way.
LogicalPoint ChordEnd(ScoreView* view, EventRecord* head, EventRecord* outer, int side) {
    const LogicalPoint at = GetEventPosition(outer != nullptr ? outer : head, view);
    int32_t y = at.y;
    const bool stemUp = head->stemLength < 0;
    if (stemUp == (side < 0)) {
        const int32_t stemEnd = GetEventPosition(head, view).y + Zoomed(view, head->stemLength);
        y = side < 0 ? std::min(y, stemEnd) : std::max(y, stemEnd);
    }
    return LogicalPoint{at.x, y};
}

LogicalPoint RestEnd(ScoreView* view, ScoreObject* rest, int side) {
    const RestBody& body = *RestBodyOf(rest);
    const int32_t x = TickX(view, body.tick) + body.xOffset * kRestNudgeUnits;
    const int32_t y = PositionY(view, body.position);
    return LogicalPoint{x, side < 0 ? y - rests::RestExtentAbove(body.code) : y + rests::RestExtentBelow(body.code)};
}

// The group's two ends on the side: the first and last member, chord or rest.
void GroupEnds(ScoreView* view, const TupletGroupOfNote& found, LogicalPoint* first, LogicalPoint* last) {
    const TupletGroup& g = found.group;
    const bool restFirst = g.firstRest != nullptr && (g.firstNote == nullptr || RestBodyOf(g.firstRest)->tick < g.firstNote->time);
    const bool restLast = g.lastRest != nullptr && (g.lastNote == nullptr || RestBodyOf(g.lastRest)->tick > g.lastNote->time);
    *first = restFirst ? RestEnd(view, g.firstRest, found.side) : ChordEnd(view, g.firstNote, found.firstChord, found.side);
    *last = restLast ? RestEnd(view, g.lastRest, found.side) : ChordEnd(view, g.lastNote, found.lastChord, found.side);
}

// The bracket's four points from the group's ends (see tuplet.h).
SpannerPoints BracketPoints(ScoreView* view, const TupletGroupOfNote& found) {
    LogicalPoint a{}, b{};
    GroupEnds(view, found, &a, &b);
    const int side = found.side;
    int32_t x0 = a.x, x1 = std::max(b.x, a.x + kMinimumSpan);
    const int32_t lastTickX = TickX(view, std::max(view->currentMeasureLength - 1, 0));
    if (view->currentMeasureLength > 0) x1 = std::max(std::min(x1, lastTickX), x0);
    const int32_t out = side < 0 ? -1 : 1;
    int32_t clearance = kStemClearance + (found.group.contained ? kNestedLift : 0);
    int32_t y0 = a.y + out * clearance, y1 = b.y + out * clearance;
    if (side == -2) y0 = y1 = std::min(y0, y1);
    if (side == 2) y0 = y1 = std::max(y0, y1);
    SpannerPoints points{};
    points.p[0] = LogicalPoint{x0, y0 - out * kHookLength};
    points.p[1] = LogicalPoint{x0, y0};
    points.p[2] = LogicalPoint{x1, y1};
    points.p[3] = LogicalPoint{x1, y1 - out * kHookLength};
    return points;
}

// The side and bracket of a mark without a group, from its own stored bracket.
SpannerPoints OwnBracketPoints(ScoreObject* tuplet, ScoreView* view) {
    SpannerPoints points{};
    ComputeSpannerPoints(&AsTuplet(tuplet)->spanner, view, &points);
    return points;
}

// The label is drawn centred on its anchor's x with its baseline on the anchor's y:
// the baseline half the number's height below the centre puts the number on it.
void AnchorLabel(ScoreObject* object, ScoreView* view, LogicalPoint centre) {
    TextObject* label = &AsTuplet(object)->text;
    const LogicalPoint at{centre.x, centre.y + label->body.height / 2};
    PointToNoteAnchor(view, object, &label->body.location, at);
}

// How far beyond the bracket line's middle, along the unit normal (nx, ny) pointing
// away from the notes, the curve's number is centred: the curve's offset, or further
// when the number's half height and a clearance would not stand beyond the bow's
// outer crest there. The crest is the outer Bezier at t = 1/2, (P0 + 3 P1 + 3 P2 + P3)
// / 8: with the hooks 85 towards the notes and the control points 192 out it stands
// about 123 beyond the line, so a number taller than about 140 would reach into the
// bow at 192.
double NumberDistanceBeyondTheBow(const LogicalPoint* curve, LogicalPoint middle, double nx, double ny,
                                  int32_t numberHeight) {
    const double crestX = (curve[0].x + 3.0 * curve[1].x + 3.0 * curve[2].x + curve[3].x) / 8;
    const double crestY = (curve[0].y + 3.0 * curve[1].y + 3.0 * curve[2].y + curve[3].y) / 8;
    const double crest = (crestX - middle.x) * nx + (crestY - middle.y) * ny;
    return std::max<double>(kCurveOffset, crest + numberHeight / 2.0 + kNumberClearOfBow);
}

// Styles 0 and 2: the curve and the label from the (undrawn) bracket. Style 0 centres
// its number on the line's middle; style 2 beyond the bow, along the line's normal.
void PlaceCurve(ScoreObject* object, ScoreView* view, const SpannerPoints& bracket) {
    const bool hooksUp = bracket.p[0].y < bracket.p[1].y;  // the mark lies below the notes
    const double dx = bracket.p[2].x - bracket.p[1].x, dy = bracket.p[2].y - bracket.p[1].y;
    double length = std::sqrt(dx * dx + dy * dy);
    if (length == 0) length = 1;
    // The unit normal pointing away from the notes.
    double nx = -dy / length, ny = dx / length;
    if ((ny > 0) != hooksUp) nx = -nx, ny = -ny;
    const int32_t ox = static_cast<int32_t>(std::lround(nx * kCurveOffset));
    const int32_t oy = static_cast<int32_t>(std::lround(ny * kCurveOffset));
    LogicalPoint curve[4] = {bracket.p[0], {}, {}, bracket.p[3]};
    for (int i = 1; i <= 2; ++i) {
        curve[i].x = bracket.p[1].x + static_cast<int32_t>(dx * i / kCurveThirds) + ox;
        curve[i].y = bracket.p[1].y + static_cast<int32_t>(dy * i / kCurveThirds) + oy;
    }
    StoreTupletCurve(object, view, curve);
    const LogicalPoint middle{(bracket.p[1].x + bracket.p[2].x) / 2, (bracket.p[1].y + bracket.p[2].y) / 2};
    if (TupletStyle(*AsTuplet(object)) != kTupletCurve) return AnchorLabel(object, view, middle);
    const double beyond = NumberDistanceBeyondTheBow(curve, middle, nx, ny, AsTuplet(object)->text.body.height);
    AnchorLabel(object, view,
                LogicalPoint{middle.x + static_cast<int32_t>(std::lround(nx * beyond)),
                             middle.y + static_cast<int32_t>(std::lround(ny * beyond))});
}

void PlaceFromBracket(ScoreObject* object, ScoreView* view, const SpannerPoints& bracket) {
    EncodeSpannerPoints(&AsTuplet(object)->spanner, nullptr, view, bracket);
    if (TupletStyle(*AsTuplet(object)) == kTupletBracket) {
        AnchorLabel(object, view, LogicalPoint{(bracket.p[1].x + bracket.p[2].x) / 2, (bracket.p[1].y + bracket.p[2].y) / 2});
        return;
    }
    PlaceCurve(object, view, bracket);
}

void SetLabel(TupletObject* tuplet, const char* label, bool* ok) {
    TextObject* text = &tuplet->text;
    if (label != nullptr && std::strlen(label) > 1) {
        if (SetTextObjectString(text, label) < 0) {
            *ok = false;
            return;
        }
        text->body.flags |= kTextOwnsString;
        return;
    }
    text->body.flags = static_cast<uint16_t>(text->body.flags & ~kTextOwnsString);
    text->body.string = static_cast<uint8_t>(label != nullptr && label[0] != '\0' ? label[0] : '3');
}

}  // namespace

int TupletStyle(const TupletObject& tuplet) {
    return (tuplet.text.body.flags & kTupletStyleMask) >> kTupletStyleShift;
}

void SetTupletStyle(TupletObject* tuplet, int style) {
    style = std::clamp(style, kTupletNumberOnly, kTupletCurve);
    tuplet->text.body.flags = static_cast<uint16_t>((tuplet->text.body.flags & ~kTupletStyleMask) | (style << kTupletStyleShift));
}

bool IsTupletPlacedByHand(const TupletObject& tuplet) {
    return (tuplet.text.body.flags & kTupletPlacedByHand) != 0;
}

ScoreObject* AllocTuplet() {
    return static_cast<ScoreObject*>(AllocRecord(kLargeObjectPool));
}

void ConstructTupletObject(ScoreObject* record, ScoreView* view, const AnchorPayload& anchor,
                           const SpannerEndpoint& endpoint) {
    if (record == nullptr) return;
    ConstructTuplet(record);
    TupletObject* tuplet = AsTuplet(record);
    if (view != nullptr) {
        ConstructTextObjectForView(&tuplet->text, view);
        ConstructStoredHeader(record, ObjectType::Tuplet, ObjectSubtype::NoteAttachment);
        tuplet->text.body.style = kTupletLabelStyle;
    }
    tuplet->anchor.payload = anchor;
    tuplet->spanner.endpoint = endpoint;
}

ScoreObject* AttachTupletToNote(ScoreObject* record, ScoreView* view, EventRecord* note, int style,
                                const char* label) {
    if (record == nullptr) return nullptr;
    TupletObject* tuplet = AsTuplet(record);
    SetTupletStyle(tuplet, style);
    tuplet->anchor.owner = Ref32<ScoreObject>::To(record);
    tuplet->spanner.owner = Ref32<ScoreObject>::To(record);
    record->subtype = kNoteKind;
    bool ok = view != nullptr && note != nullptr;
    if (ok) SetLabel(tuplet, label, &ok);
    if (ok) ok = AttachObjectToNote(view, note, record) != 0;
    if (!ok) {
        DestroyTupletBody(record);
        FreeRecord(kLargeObjectPool, record);
        return nullptr;
    }
    tuplet->text.body.flags = static_cast<uint16_t>(tuplet->text.body.flags & ~(kCreationCleared | kTupletPlacedByHand));
    tuplet->text.body.style = kTupletLabelStyle;
    TheTextObjectClass().Measure(record, view);
    PlaceTupletMark(record, view);
    return record;
}

void DestroyTupletBody(ScoreObject* object) {
    if (object == nullptr) return;
    TupletObject* tuplet = AsTuplet(object);
    tuplet->anchor.interfaceClass = kAnchorRecordClass;
    tuplet->spanner.interfaceClass = SecondClassOfType(ObjectType::Tuplet);
    object->classId = ClassOfType(ObjectType::Tuplet);
    DestroyTextObject(&tuplet->text);
}

bool ComputeTupletCurve(ScoreObject* object, ScoreView* view, TupletCurvePoints* out) {
    EventRecord* note = NoteOf(object);
    if (note == nullptr || view == nullptr) return false;
    const AnchorPayload& payload = AsTuplet(object)->anchor.payload;
    const LogicalPoint at = GetEventPosition(note, view);
    for (int i = 0; i < 4; ++i)
        out->p[i] = LogicalPoint{TickX(view, note->time + payload.times[i]), at.y + payload.offsets[i]};
    const int32_t t = out->p[0].y < out->p[1].y ? -payload.thickness : payload.thickness;
    out->inner[0] = LogicalPoint{out->p[1].x, out->p[1].y + t};
    out->inner[1] = LogicalPoint{out->p[2].x, out->p[2].y + t};
    out->label = LogicalPoint{out->p[0].x + (out->p[3].x - out->p[0].x) / kCurveThirds, (out->p[0].y + out->p[3].y) / 2};
    return true;
}

void StoreTupletCurve(ScoreObject* object, ScoreView* view, const LogicalPoint* points) {
    EventRecord* note = NoteOf(object);
    if (note == nullptr || view == nullptr) return;
    AnchorPayload& payload = AsTuplet(object)->anchor.payload;
    const LogicalPoint at = GetEventPosition(note, view);
    for (int i = 0; i < 4; ++i) {
        payload.times[i] = static_cast<uint16_t>(std::max(XToTime(view, points[i].x) - note->time, 0));
        payload.offsets[i] = static_cast<int16_t>(std::clamp<int32_t>(points[i].y - at.y, INT16_MIN, INT16_MAX));
    }
}

AnchorPayload DefaultTupletCurve(ScoreView* view, EventRecord* note) {
    AnchorPayload payload{};
    for (int i = 0; i < 4; ++i) payload.times[i] = static_cast<uint16_t>(i * kDefaultCurveStep);
    if (view == nullptr || note == nullptr) return payload;
    const int32_t noteY = GetEventPosition(note, view).y;
    const int32_t y0 = std::min(view->staffY - kCurveAboveStaff, noteY - kCurveAboveNote) - noteY;
    payload.offsets[0] = payload.offsets[3] = static_cast<int16_t>(y0);
    payload.offsets[1] = payload.offsets[2] = static_cast<int16_t>(y0 - kCurveInnerRise);
    // A curve default too thin to show (below 16) is taken as 84.
    const bool thin = view->document == nullptr ||
                      EngravingMetricOf(*view->document, EngravingMetric::SlurWid) < kThinnestCurveDefault;
    payload.thickness = thin ? kRaisedCurveDefault : CurveLineValuesOf(view->document).slurThickness;
    return payload;
}

void PlaceTupletMark(ScoreObject* object, ScoreView* view) {
    EventRecord* note = NoteOf(object);
    if (note == nullptr || view == nullptr || IsTupletPlacedByHand(*AsTuplet(object))) return;
    const TupletGroupOfNote found = FindTupletGroupOfNote(view, note);
    PlaceFromBracket(object, view, found.found ? BracketPoints(view, found) : OwnBracketPoints(object, view));
}

void RefitTupletMark(ScoreObject* tuplet, ScoreView* view) {
    if (NoteOf(tuplet) == nullptr || view == nullptr) return;
    PlaceFromBracket(tuplet, view, OwnBracketPoints(tuplet, view));
}

void ComputeTupletPoints(ScoreView* view, ScoreObject* tuplet) {
    if (tuplet == nullptr || tuplet->type != TypeCode(ObjectType::Tuplet)) return;
    PlaceTupletMark(tuplet, view);
}

void ComputeTupletPointsRelative(ScoreView* view, ScoreObject* tuplet) {
    if (tuplet == nullptr || tuplet->type != TypeCode(ObjectType::Tuplet) || NoteOf(tuplet) == nullptr) return;
    if (IsTupletPlacedByHand(*AsTuplet(tuplet))) return;
    RefitTupletMark(tuplet, view);
}

}  // namespace ql
