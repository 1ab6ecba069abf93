// A tie's six handles (start, outer control points, end, inner control points) on the
// curve the view draws, their drags, and the body stored back from them: the ends as
// halved offsets from the notes (the end from the closing barline when the tie
// leaves the system), the control points from the start, the thickness as the gap
// between the outer and inner control points. Flips reflect the handles to the other
// side of the start note and store them the same way.
#include "notes/ties/tie_handles.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/undo/undo.h"
#include "display/view_location.h"
#include "notes/rests/staff_place.h"
#include "notes/ties/ties.h"
#include "platform/ui/message_box.h"
#include "platform/win/keys.h"

namespace ql {

namespace {

constexpr uint8_t kTieType = TypeCode(ObjectType::Tie);
constexpr uint16_t kThicknessMask = 0x00FF;
constexpr uint16_t kLineStyleMask = 0x0F00;
constexpr int kLineStyleShift = 8;
constexpr int32_t kOffsetLimit = 255;
constexpr int kStoredOffsetScale = 2;
constexpr int32_t kBarlineGap = 32;

// Which handles follow a grabbed one: with it, mirrored in x, or in y only.
struct Follow {
    std::vector<int> with;
    std::vector<int> mirrored;
    std::vector<int> vertical;
};
const Follow kFollows[kTieHandleCount] = {
    {{0, 1, 4}, {}, {2, 3, 5}},
    {{1, 4}, {2, 5}, {}},
    {{2, 5}, {1, 4}, {}},
    {{3, 2, 5}, {}, {0, 1, 4}},
    {{4}, {5}, {}},
    {{5}, {4}, {}},
};

TieBody& BodyOf(ScoreObject* tie) {
    return AsTie(tie)->body;
}

// The tie's notes for the view at its current location: the start note and the
// first end note within the next measure.
struct TieNotes {
    EventRecord* start = nullptr;
    EventRecord* end = nullptr;
    int ahead = 0;
};
bool FindTieNotes(ScoreObject* tie, ScoreView* view, TieNotes* out) {
    if (tie == nullptr || view == nullptr || view->document == nullptr) return false;
    EventRecord* start = ClassOf(tie).GetOwnerNote(tie);
    if (start == nullptr) return false;
    for (const TieTarget& target : FindTieTargets(view->document, view, start, view->currentStaff,
                                                  view->currentMeasure, TieVoice(BodyOf(tie)))) {
        const int ahead = target.measure - view->currentMeasure;
        if (ahead < 0 || ahead > 1) continue;
        *out = TieNotes{start, target.note, ahead};
        return true;
    }
    return false;
}

// The chain's handles by kind; false unless all six are there.
bool HandlesOf(ScoreObject* tie, HitRecord* (&h)[kTieHandleCount]) {
    std::fill(std::begin(h), std::end(h), nullptr);
    int n = 0;
    for (HitRecord* r = tie != nullptr ? tie->handleChain.get() : nullptr; r != nullptr && n < kTieHandleCount;
         r = r->child.get(), ++n)
        if (r->kind < kTieHandleCount) h[r->kind] = r;
    return std::all_of(std::begin(h), std::end(h), [](const HitRecord* r) { return r != nullptr; });
}

int8_t Halved(ScoreView* view, int32_t units) {
    return static_cast<int8_t>(std::clamp(Unzoomed(view, units), -kOffsetLimit, kOffsetLimit) / kStoredOffsetScale);
}

}  // namespace

int TieVoice(const TieBody& body) {
    return (body.shape & kTieVoiceMask) >> kTieVoiceShift;
}

int LineStyle(const TieBody& body) {
    return (body.shape & kLineStyleMask) >> kLineStyleShift;
}

HitRecord* BuildTieHandles(ScoreObject* tie, ScoreView* view) {
    TieNotes notes;
    if (!FindTieNotes(tie, view, &notes)) return nullptr;
    const TieCurve c = ComputeTieCurve(BodyOf(tie), view, notes.start, notes.end, notes.ahead);
    const LogicalPoint points[kTieHandleCount] = {c.outer[0], c.outer[1], c.outer[2],
                                                  c.outer[3], c.inner[1], c.inner[2]};
    HitRecord* first = nullptr;
    HitRecord* previous = nullptr;
    for (int kind = 0; kind < kTieHandleCount; ++kind) {
        HitRecord* hit = AllocHitRecord();
        if (hit == nullptr) {
            if (first != nullptr) {
                FreeHitRecordChain(first);
                FreeHitRecord(first);
            }
            ui::Beep(ui::BeepKind::Default);
            return nullptr;
        }
        ConstructHitRecordAtPoint(hit, view, static_cast<uint8_t>(kind), points[kind]);
        hit->owner = Ref32<ScoreObject>::To(tie);
        hit->ownerType = kTieType;
        if (previous != nullptr) {
            hit->parent = Ref32<HitRecord>::To(first);
            previous->child = Ref32<HitRecord>::To(hit);
        } else {
            first = hit;
        }
        previous = hit;
    }
    tie->handleChain = Ref32<HitRecord>::To(first);
    return first;
}

void TrackTieDrag(ScoreObject* tie, int grabbed, LogicalPoint offset) {
    HitRecord* h[kTieHandleCount];
    if (grabbed < 0 || grabbed >= kTieHandleCount || !HandlesOf(tie, h)) return;
    const Follow& follow = kFollows[grabbed];
    for (int i : follow.with) OffsetHitRecord(h[i], offset);
    for (int i : follow.mirrored) OffsetHitRecord(h[i], LogicalPoint{-offset.x, offset.y});
    for (int i : follow.vertical) OffsetHitRecord(h[i], LogicalPoint{0, offset.y});
}

int CommitTieDrag(ScoreObject* tie, ScoreView* view) {
    HitRecord* h[kTieHandleCount];
    if (view == nullptr || !HandlesOf(tie, h)) return 0;
    const ScopedViewAt at(view, h[kTieStartHandle]);
    TieNotes notes;
    if (!FindTieNotes(tie, view, &notes)) return 0;
    const TieNotePoints p = TieNotePositions(view, notes.start, notes.end, notes.ahead);
    const LogicalPoint s = h[kTieStartHandle]->point;
    const LogicalPoint o = h[kTieOuterStartHandle]->point;
    const int32_t endFrom = p.leavesSystem ? p.closingBarlineX - Zoomed(view, kBarlineGap) : p.end.x;
    TieBody& body = BodyOf(tie);
    body.startDx = Halved(view, s.x - p.start.x);
    body.startDy = body.endDy = Halved(view, s.y - p.start.y);
    body.endDx = Halved(view, h[kTieEndHandle]->point.x - endFrom);
    body.controlInset = static_cast<int16_t>(std::clamp(Unzoomed(view, o.x - s.x), -32768, 32767));
    body.controlRise = static_cast<int16_t>(std::clamp(Unzoomed(view, o.y - s.y), -32768, 32767));
    const int32_t thickness = std::abs(Unzoomed(view, h[kTieInnerStartHandle]->point.y - o.y));
    body.shape = static_cast<uint16_t>((body.shape & ~kThicknessMask) | (thickness & kThicknessMask));
    return 1;
}

void DrawTieTracking(ScoreObject* tie, ScoreView* view) {
    HitRecord* h[kTieHandleCount];
    if (view == nullptr || !HandlesOf(tie, h)) return;
    TieCurve curve;
    curve.outer[0] = curve.inner[0] = h[kTieStartHandle]->point;
    curve.outer[3] = curve.inner[3] = h[kTieEndHandle]->point;
    curve.outer[1] = h[kTieOuterStartHandle]->point;
    curve.outer[2] = h[kTieOuterEndHandle]->point;
    curve.inner[1] = h[kTieInnerStartHandle]->point;
    curve.inner[2] = h[kTieInnerEndHandle]->point;
    BeginViewDraw(view);
    DrawTieCurve(view, curve, false);
    EndViewDraw(view);
}

void FlipTieHandles(ScoreObject* tie, ScoreView* view, bool toAbove) {
    HitRecord* h[kTieHandleCount];
    if (view == nullptr || !HandlesOf(tie, h)) return;
    const int32_t startY = h[kTieStartHandle]->point.y;
    const int32_t controlY = h[kTieOuterStartHandle]->point.y;
    if (toAbove ? startY > controlY : startY < controlY) return;  // already on that side
    TieNotes notes;
    int32_t noteY = startY;
    {
        const ScopedViewAt at(view, h[kTieStartHandle]);
        if (FindTieNotes(tie, view, &notes)) noteY = TieNotePositions(view, notes.start, notes.end, notes.ahead).start.y;
    }
    for (int i = 1; i < kTieHandleCount; ++i)
        OffsetHitRecord(h[i], LogicalPoint{0, 2 * (startY - h[i]->point.y)});
    for (HitRecord* r : h) OffsetHitRecord(r, LogicalPoint{0, -2 * (startY - noteY)});
}

void StepTieThickness(ScoreObject* tie, ScoreView* view, int step) {
    HitRecord* h[kTieHandleCount];
    if (view == nullptr || !HandlesOf(tie, h)) return;
    const int32_t s = h[kTieStartHandle]->point.y < h[kTieOuterStartHandle]->point.y ? -step : step;
    if (h[kTieInnerStartHandle]->point.y + s == h[kTieOuterStartHandle]->point.y &&
        h[kTieInnerEndHandle]->point.y + s == h[kTieOuterEndHandle]->point.y)
        return;
    DrawTieTracking(tie, view);
    OffsetHitRecord(h[kTieInnerStartHandle], LogicalPoint{0, 2 * s});
    OffsetHitRecord(h[kTieInnerEndHandle], LogicalPoint{0, 2 * s});
    TieBody& body = BodyOf(tie);
    body.shape = static_cast<uint16_t>((body.shape & ~kThicknessMask) |
                                       (((body.shape & kThicknessMask) + 2 * step) & kThicknessMask));
    DrawTieTracking(tie, view);
}

int TieKey(ScoreObject* tie, ScoreView* view, uint32_t virtualKey) {
    if (tie == nullptr || view == nullptr || view->document == nullptr) return 0;
    const auto key = static_cast<win::Key>(virtualKey);
    if (key == win::LetterKey('D')) {
        UndoStep step(view->document, view, UndoKind::Item, kTieType, UndoVerb::Format);
        TieBody& body = BodyOf(tie);
        const int style = LineStyle(body) == 0 ? 1 : 0;
        body.shape = static_cast<uint16_t>((body.shape & ~kLineStyleMask) | (style << kLineStyleShift));
        SetDocumentModified(view->document);
        return 1;
    }
    if (key == win::LetterKey('F')) {
        HitRecord* h[kTieHandleCount];
        if (!HandlesOf(tie, h)) return 0;
        UndoStep step(view->document, view, UndoKind::Item, kTieType, UndoVerb::Flip);
        DrawTieTracking(tie, view);
        FlipTieHandles(tie, view, h[kTieStartHandle]->point.y <= h[kTieOuterStartHandle]->point.y);
        CommitTieDrag(tie, view);
        DrawTieTracking(tie, view);
        SetDocumentModified(view->document);
        return 1;
    }
    return 0;
}

}  // namespace ql
