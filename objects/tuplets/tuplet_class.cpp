// The tuplet mark's class (type 51): drawing in its three styles, creation at a click
// on a member of a tuplet group, handles and drags (the bracket's through the
// labelled spanners' operations, the curve's eight records here), the commit that
// turns a bracket dragged across its note back towards the notes, the style and
// width steps of the keypad keys, and the remembered style of new marks.
#include "objects/tuplets/tuplet_class.h"

#include <cstdio>
#include <cstring>

#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/undo/undo.h"
#include "display/hit_test.h"
#include "display/view_location.h"
#include "notes/rests/staff_place.h"
#include "objects/curves/curve_interface.h"
#include "objects/object_services.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/tuplets/tuplet.h"
#include "objects/tuplets/tuplet_groups.h"
#include "platform/win/keys.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

constexpr int32_t kNewBracketWidth = 384;
constexpr int32_t kNewBracketHeight = 85;
constexpr int32_t kAboveStemGap = 128;
constexpr int32_t kBelowLift = 256;
constexpr int kCurveHandleCount = 8;
constexpr int kCurveMiddleHandle = 7;
constexpr uint8_t kCurveHeadKind = 10;
constexpr int kLabelDigits = 8;
constexpr int32_t kMiddleHandleMinimumWidth = 256;
constexpr int32_t kMiddleHandleWidening = 128;

TupletObject* TupletOf(ScoreObject* object) { return AsTuplet(object); }
int StyleOf(ScoreObject* object) { return TupletStyle(*TupletOf(object)); }

const ScoreObjectClass& Line() { return LabelledSpannerOperations(); }

void MarkPlacedByHand(ScoreObject* object) {
    TupletOf(object)->text.body.flags |= kTupletPlacedByHand;
}

// One undoable change of a mark (kind 1, type 51), the document marked modified.
template <typename Edit>
void EditTuplet(ScoreView* view, Edit&& edit) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    UndoStep step(document, view, UndoKind::Item, TypeCode(ObjectType::Tuplet), UndoVerb::Modify);
    edit();
    if (document != nullptr) SetDocumentModified(document);
}

// ---- The curve's handles ----

HitRecord* CurveHead(ScoreObject* object) {
    for (HitRecord* hit = HandleChainOf(object); hit != nullptr; hit = hit->child.get())
        if (hit->kind == kCurveHeadKind && hit->owner.get() == object) return hit;
    return nullptr;
}

bool CurveHandles(ScoreObject* object, HitRecord** h) {
    h[0] = CurveHead(object);
    for (int i = 1; i < kCurveHandleCount; ++i) h[i] = h[i - 1] != nullptr ? h[i - 1]->child.get() : nullptr;
    return h[kCurveMiddleHandle] != nullptr;
}

LogicalPoint Midpoint(LogicalPoint a, LogicalPoint b) { return LogicalPoint{(a.x + b.x) / 2, (a.y + b.y) / 2}; }

HitRecord* BuildCurveHandles(ScoreObject* object, ScoreView* view) {
    TupletCurvePoints c{};
    if (!ComputeTupletCurve(object, view, &c)) return nullptr;
    const LogicalPoint at[kCurveHandleCount] = {
        c.p[0], c.p[0], c.p[1], c.p[2], c.p[3], c.inner[0], c.inner[1],
        LogicalPoint{(c.p[0].x + c.p[3].x) / 2, (c.p[1].y + c.p[2].y) / 2}};
    HitRecord* head = nullptr;
    HitRecord* last = nullptr;
    for (int i = 0; i < kCurveHandleCount; ++i) {
        HitRecord* hit = AllocHitRecord();
        if (hit == nullptr) {
            ui::Beep(ui::BeepKind::Default);
            if (head != nullptr) FreeHitRecordChain(head), FreeHitRecord(head);
            return nullptr;
        }
        ConstructHitRecordWithOwner(hit, view, i == 0 ? kCurveHeadKind : static_cast<uint8_t>(i), at[i], last);
        if (i == 5 || i == 6) PlaceHitRecord(hit, at[i], 0);
        hit->owner = Ref32<ScoreObject>::To(object);
        hit->ownerType = object->type;
        if (head == nullptr) head = hit;
        last = hit;
    }
    return head;
}

void MoveBy(HitRecord* hit, LogicalPoint d) {
    if (hit != nullptr) OffsetHitRecord(hit, d);
}

// Handle `index` moves with its linked companions (1: 2 and 5; 2: 5; 3: 6; 4: 3 and
// 6) unless Ctrl is held; the middle handle follows the ends.
void TrackCurveHandle(ScoreObject* object, int index, LogicalPoint d) {
    HitRecord* h[kCurveHandleCount] = {};
    if (!CurveHandles(object, h) || index < 1 || index > 6) return;
    MoveBy(h[index], d);
    if (!CtrlHeld()) {
        if (index == 1) MoveBy(h[2], d), MoveBy(h[5], d);
        if (index == 2) MoveBy(h[5], d);
        if (index == 3) MoveBy(h[6], d);
        if (index == 4) MoveBy(h[3], d), MoveBy(h[6], d);
    }
    PlaceHitRecord(h[kCurveMiddleHandle], Midpoint(h[1]->point, h[4]->point), 2 * HandleSize());
}

int GrabbedCurveIndex(ScoreObject* object) {
    SelectionState* selection = TheSelectionState();
    HitRecord* h[kCurveHandleCount] = {};
    if (selection == nullptr || !CurveHandles(object, h)) return 0;
    for (int i = 1; i < kCurveHandleCount; ++i)
        if (h[i] == selection->grabbedRecord.get()) return i;
    return 0;
}

LogicalPoint DragOffset() {
    SelectionState* selection = TheSelectionState();
    return selection != nullptr ? LogicalPoint{selection->dragOffsetX, selection->dragOffsetY} : LogicalPoint{};
}

void DrawCurve(ScoreView* view, const TupletCurvePoints& c, bool feedback) {
    const LogicalPoint outer[4] = {c.p[0], c.p[1], c.p[2], c.p[3]};
    const LogicalPoint inner[4] = {c.p[0], c.inner[0], c.inner[1], c.p[3]};
    BeginViewDraw(view);
    if (view->ViewDC) DrawCurveBand(view, view->ViewDC, outer, inner, 0, feedback, false);
    EndViewDraw(view);
}

// ---- Committing and mirroring ----

// After a drag: a bracket whose line now lies on the far side of its note's height
// from its hook ends exchanges the heights of line and hook ends, so that the hooks
// point at the notes again. True when it did.
bool MirrorAcrossNote(ScoreObject* object, ScoreView* view) {
    EventRecord* note = ClassOf(object).GetOwnerNote(object);
    if (note == nullptr) return false;
    SpannerPoints points{};
    ComputeSpannerPoints(&TupletOf(object)->spanner, view, &points);
    const int32_t noteY = GetEventPosition(note, view).y;
    const bool hooksDown = points.p[0].y > points.p[1].y;
    const bool lineAbove = points.p[1].y < noteY;
    if (hooksDown == lineAbove) return false;
    std::swap(points.p[0].y, points.p[1].y);
    std::swap(points.p[2].y, points.p[3].y);
    EncodeSpannerPoints(&TupletOf(object)->spanner, nullptr, view, points);
    return true;
}

// Style 0 shows only its number: the (undrawn) bracket and curve go where the
// number was dragged, so that a later style step or re-fit starts from there.
void FollowLabel(ScoreObject* object, ScoreView* view, LogicalPoint moved) {
    if (moved == LogicalPoint{}) return;
    SpannerPoints bracket{};
    ComputeSpannerPoints(&TupletOf(object)->spanner, view, &bracket);
    for (LogicalPoint& p : bracket.p) p = LogicalPoint{p.x + moved.x, p.y + moved.y};
    EncodeSpannerPoints(&TupletOf(object)->spanner, nullptr, view, bracket);
    TupletCurvePoints curve{};
    if (!ComputeTupletCurve(object, view, &curve)) return;
    for (LogicalPoint& p : curve.p) p = LogicalPoint{p.x + moved.x, p.y + moved.y};
    StoreTupletCurve(object, view, curve.p);
}

// The curve's handles 1..4 into the payload (the chain needs all its records).
void StoreCurveHandles(ScoreObject* object, ScoreView* view) {
    HitRecord* h[kCurveHandleCount] = {};
    if (!CurveHandles(object, h)) return;
    const LogicalPoint points[4] = {h[1]->point, h[2]->point, h[3]->point, h[4]->point};
    StoreTupletCurve(object, view, points);
}

// Thickness steps of the curve: 2 x step, negated when the bow points up; the inner
// handles follow.
void StepThickness(ScoreObject* object, int step) {
    HitRecord* h[kCurveHandleCount] = {};
    int8_t& thickness = TupletOf(object)->anchor.payload.thickness;
    int delta = 2 * step;
    if (CurveHandles(object, h) && h[1]->point.y < h[2]->point.y) delta = -delta;
    const int value = std::clamp(thickness + delta, -127, 127);
    const int moved = value - thickness;
    thickness = static_cast<int8_t>(value);
    if (h[5] != nullptr) MoveBy(h[5], LogicalPoint{0, moved});
    if (h[6] != nullptr) MoveBy(h[6], LogicalPoint{0, moved});
}

// The bracket's move handle would sit on the number: it goes just clear of it,
// beyond the number's far side from the notes (below it when the hooks point up,
// above it when they point down), at least 256 wide so that it is easy to take.
void FitBracketMiddleHandle(HitRecord* label) {
    HitRecord* line = label->child.get();
    while (line != nullptr && line->kind != kSpannerHeadKind) line = line->child.get();
    HitRecord* middle = line != nullptr ? SpannerHandle(line, kSpannerMiddleHandle) : nullptr;
    if (middle == nullptr) return;
    const bool hooksUp = SpannerHandle(line, 2)->point.y >= SpannerHandle(line, 1)->point.y;
    const int32_t shift = hooksUp ? label->outer.bottom + 1 - middle->outer.top : label->outer.top - 1 - middle->outer.bottom;
    OffsetHitRecord(middle, LogicalPoint{0, shift});
    if (middle->outer.right - middle->outer.left < kMiddleHandleMinimumWidth) {
        middle->outer.left -= kMiddleHandleWidening;
        middle->outer.right += kMiddleHandleWidening;
    }
}

bool HandleChosen() {
    SelectionState* selection = TheSelectionState();
    // The head record (the label) is no handle of the line.
    return selection != nullptr && selection->grabbedKind > 0 && selection->grabbedKind != kSpannerHeadKind;
}

class TupletClass final : public TextObjectClass {
  public:
    int HitTest(ScoreObject* object, const RecordRect& rect, HitRecord* chain) const override {
        if (TextObjectClass::HitTest(object, rect, chain)) return 1;
        if (StyleOf(object) == kTupletBracket) return Line().HitTest(object, rect, chain);
        if (StyleOf(object) != kTupletCurve) return 0;
        HitRecord* h[kCurveHandleCount] = {};
        if (!CurveHandles(object, h)) return 0;
        for (int i = 1; i <= 4; ++i) {
            const LogicalPoint p = h[i]->point;
            if (!(rect.left < p.x && p.x < rect.right && rect.top < p.y && p.y < rect.bottom)) return 0;
        }
        return 1;
    }
    void Draw(ScoreObject* object, ScoreView* view) const override {
        if (view == nullptr) return;
        if (StyleOf(object) == kTupletBracket) DrawSpannerLine(&TupletOf(object)->spanner, view);
        TupletCurvePoints c{};
        if (StyleOf(object) == kTupletCurve && ComputeTupletCurve(object, view, &c)) DrawCurve(view, c, false);
        TextObjectClass::Draw(object, view);
    }
    ScoreObject* CreateAtClick(ScoreObject*, ScoreView* view) const override { return CreateTupletAtClick(view); }
    void DrawTracking(ScoreObject* object, ScoreView* view) const override {
        if (StyleOf(object) == kTupletBracket) {
            Line().DrawTracking(object, view);
            return;
        }
        HitRecord* h[kCurveHandleCount] = {};
        if (StyleOf(object) == kTupletCurve && view != nullptr && CurveHandles(object, h)) {
            TupletCurvePoints c{};
            for (int i = 0; i < 4; ++i) c.p[i] = h[i + 1]->point;
            c.inner[0] = h[5]->point;
            c.inner[1] = h[6]->point;
            DrawCurve(view, c, true);
        }
        TextObjectClass::DrawTracking(object, view);
    }
    void EraseTracking(ScoreObject* object, ScoreView* view) const override { DrawTracking(object, view); }
    int CommitDrag(ScoreObject* object, ScoreView* view) const override {
        if (view == nullptr) return 0;
        // The mark's points are offsets from its note, found with the view at the
        // note's measure: the one the handles were made at.
        const ScopedViewAt at(view, HandleChainOf(object));
        if (StyleOf(object) == kTupletBracket) {
            const int result = Line().CommitDrag(object, view);
            if (MirrorAcrossNote(object, view)) RefitTupletMark(object, view);
            return result;
        }
        if (StyleOf(object) == kTupletCurve) StoreCurveHandles(object, view);
        const LogicalPoint before = TextObjectAnchorPoint(object, view);
        const int result = TextObjectClass::CommitDrag(object, view);
        const LogicalPoint after = TextObjectAnchorPoint(object, view);
        if (StyleOf(object) == kTupletNumberOnly) FollowLabel(object, view, LogicalPoint{after.x - before.x, after.y - before.y});
        // Dragged across the note: the bracket turns back towards the notes and the
        // number (and the curve) are fitted to it again.
        if (MirrorAcrossNote(object, view)) RefitTupletMark(object, view);
        return result;
    }
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override {
        if (StyleOf(object) == kTupletBracket) {
            HitRecord* chain = Line().BuildHandles(object, view);
            if (chain != nullptr) FitBracketMiddleHandle(chain);
            return chain;
        }
        HitRecord* label = TextObjectClass::BuildHandles(object, view);
        if (label == nullptr || StyleOf(object) != kTupletCurve) return label;
        HitRecord* curve = BuildCurveHandles(object, view);
        if (curve == nullptr) return label;
        HitRecord* last = label;
        while (last->child.get() != nullptr) last = last->child.get();
        last->child = Ref32<HitRecord>::To(curve);
        curve->parent = Ref32<HitRecord>::To(last);
        return label;
    }
    void TrackDrag(ScoreObject* object, ScoreView* view) const override {
        MarkPlacedByHand(object);
        if (StyleOf(object) == kTupletBracket) return Line().TrackDrag(object, view);
        if (StyleOf(object) == kTupletCurve)
            if (int index = GrabbedCurveIndex(object)) return TrackCurveHandle(object, index, DragOffset());
        TextObjectClass::TrackDrag(object, view);
    }
    void DragMove(ScoreObject* object, ScoreView* view) const override {
        MarkPlacedByHand(object);
        if (StyleOf(object) == kTupletBracket) return Line().DragMove(object, view);
        HitRecord* h[kCurveHandleCount] = {};
        if (StyleOf(object) == kTupletCurve && CurveHandles(object, h))
            for (int i = 1; i < kCurveHandleCount; ++i) MoveBy(h[i], DragOffset());
        TextObjectClass::TrackDrag(object, view);
    }
    void SetToolCursor(ScoreObject* object, int32_t index, int32_t other) const override {
        if (StyleOf(object) == kTupletBracket)
            Line().SetToolCursor(object, index, other);
        else
            TextObjectClass::SetToolCursor(object, index, other);
    }
    void StepValue(ScoreObject* object, ScoreView* view, int step) const override {
        EditTuplet(view, [&] { StepTupletMark(object, view, step); });
    }
    void Invalidate(ScoreObject* object, ScoreView* view) const override { PlaceTupletMark(object, view); }
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t virtualKey) const override {
        if (virtualKey == static_cast<uint32_t>(win::Key::Add)) return StepValue(object, view, +1), 1;
        if (virtualKey == static_cast<uint32_t>(win::Key::Subtract)) return StepValue(object, view, -1), 1;
        return ScoreObjectClass::OnKey(object, view, virtualKey);
    }
    ScoreObject* Clone(ScoreObject* object, ScoreView*, PoolSet source, PoolSet target) const override {
        ScopedPoolSet allocating(target);
        ScoreObject* copy = AllocTuplet();
        if (copy == nullptr) return nullptr;
        ConstructTuplet(copy);
        if (CopyTextObjectBody(&TupletOf(copy)->text, TupletOf(object)->text.body, source, target) == 0) {
            DestroyTupletBody(copy);
            FreeRecord(kLargeObjectPool, copy);
            return nullptr;
        }
        TupletOf(copy)->anchor.payload = TupletOf(object)->anchor.payload;
        TupletOf(copy)->spanner.endpoint = TupletOf(object)->spanner.endpoint;
        copy->subtype = object->subtype;
        return copy;
    }
    void ResetState(ScoreObject* object, ScoreView*) const override {
        State().notes.NoteTools.tupletMarkStyle = static_cast<uint8_t>(StyleOf(object));
        if (SelectionState* selection = TheSelectionState()) selection->rebuildRequested = 1;
    }
};

const TupletClass kTupletClass{};

// Whether a mark showing `label` is attached to the note already.
bool HasMarkLabelled(const EventRecord* note, const char* label) {
    ScoreObject* object = GetEventAttachment(note);
    for (int i = 0; object != nullptr && i < kMaxChainLength; ++i, object = object->next.get()) {
        if (object->type != TypeCode(ObjectType::Tuplet)) continue;
        const TextObject& text = TupletOf(object)->text;
        if ((text.body.flags & kTextOwnsString) != 0) {
            const char* shown = TextObjectString(&text);
            if (shown != nullptr && std::strcmp(shown, label) == 0) return true;
        } else if (label[1] == '\0' && text.body.string == static_cast<uint8_t>(label[0])) {
            return true;
        }
    }
    return false;
}

}  // namespace

void StepTupletMark(ScoreObject* object, ScoreView* view, int step) {
    TupletObject* tuplet = TupletOf(object);
    if (!CtrlHeld()) {
        int style = (TupletStyle(*tuplet) + step) % kTupletStyleCount;
        if (style < 0) style += kTupletStyleCount;
        SetTupletStyle(tuplet, style);
        tuplet->text.body.flags = static_cast<uint16_t>(tuplet->text.body.flags & ~kTupletPlacedByHand);
        PlaceTupletMark(object, view);
        return;
    }
    if (!HandleChosen()) {
        kTupletClass.TextObjectClass::StepValue(object, view, step);
        return;
    }
    if (TupletStyle(*tuplet) == kTupletBracket) StepLineWidth(&tuplet->spanner, step);
    if (TupletStyle(*tuplet) == kTupletCurve) StepThickness(object, step);
}

ScoreObject* CreateTupletAtClick(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->document->header.staffCount == 0) return nullptr;
    EventRecord* note = HitTestSelectedVoice(view);
    const TupletGroupOfNote found = FindTupletGroupOfNote(view, note);
    if (!found.found || found.group.firstNote == nullptr) return nullptr;
    EventRecord* first = found.group.firstNote;
    char label[kLabelDigits];
    std::snprintf(label, sizeof label, "%d", State().notes.NoteTools.tupletActual);
    if (HasMarkLabelled(first, label)) return nullptr;
    const int32_t noteY = GetEventPosition(first, view).y;
    view->pointerPoint.y = found.side < 0 ? noteY + std::min<int32_t>(Zoomed(view, first->stemLength), 0) - kAboveStemGap
                                          : noteY - kBelowLift;
    ScoreObject* record = AllocTuplet();
    if (record == nullptr) return nullptr;
    SpannerInterface bracket{};
    SpannerPoints points{};
    InitSpannerInterface(&bracket, view, &points, kNewBracketWidth, kNewBracketHeight,
                         CurveLineValuesOf(view->document).defaultLineWidth);
    ConstructTupletObject(record, view, DefaultTupletCurve(view, first), bracket.endpoint);
    return AttachTupletToNote(record, view, first, State().notes.NoteTools.tupletMarkStyle, label);
}

const ScoreObjectClass& TheTupletClass() { return kTupletClass; }

}  // namespace ql
