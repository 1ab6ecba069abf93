// The tuplet mark's class (type 51): drawing in its three styles, creation at a click
// on a member of a tuplet group, handles and drags (the bracket's through the
// labelled spanners' operations, the curve's eight records here), the commit that
// turns a bracket dragged across its note back towards the notes, the style and
// width steps of the keypad keys, and the remembered style of new marks.
#include "objects/tuplets/tuplet_class.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/objects/object_classes.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/undo/undo.h"
#include "display/hit_test.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "notes/rests/staff_place.h"
#include "objects/curves/curve_interface.h"
#include "objects/object_services.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/tuplets/tuplet.h"
#include "objects/tuplets/tuplet_curve_handles.h"
#include "objects/tuplets/tuplet_groups.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/win/keys.h"

namespace ql {
namespace {

constexpr int32_t kNewBracketWidth = 384;
constexpr int32_t kNewBracketHeight = 85;
constexpr int32_t kAboveStemGap = 128;
constexpr int32_t kBelowLift = 256;
constexpr int kLabelDigits = 8;

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

// The curve's outer and inner band, drawn as the slur's.
void DrawCurve(ScoreView* view, const TupletCurvePoints& c, bool feedback) {
    const LogicalPoint outer[4] = {c.p[0], c.p[1], c.p[2], c.p[3]};
    const LogicalPoint inner[4] = {c.p[0], c.inner[0], c.inner[1], c.p[3]};
    BeginViewDraw(view);
    if (view->ViewDC) DrawCurveBand(view, view->ViewDC, outer, inner, 0, feedback, false);
    EndViewDraw(view);
}

LogicalPoint DragOffset() {
    SelectionState* selection = TheSelectionState();
    return selection != nullptr ? LogicalPoint{selection->dragOffsetX, selection->dragOffsetY} : LogicalPoint{};
}

// The bracket drawn with the XOR raster operation in the colours in force.
void DrawBracketInverted(ScoreObject* object, ScoreView* view) {
    BeginViewDraw(view);
    const platform::DcHandle dc = view->ViewDC;
    const int saved = dc ? gfx::SaveContext(dc) : 0;
    if (dc) gfx::SetRop2(dc, gfx::Rop2::XorPen);
    DrawSpannerLine(&TupletOf(object)->spanner, view);
    if (saved > 0) gfx::RestoreContext(dc, saved);
    EndViewDraw(view);
}

// ---- Committing and mirroring ----

// Four points of a mark, ends 0 and 3 nearer the notes and 1 and 2 further out
// (a bracket's hook ends and line, a curve's ends and control points). After a
// drag that put the outer points on the far side of the note's height from the
// ends, the two pairs exchange their heights so that the mark turns back towards
// the notes. True when they did.
bool TurnTowardsNote(LogicalPoint* p, int32_t noteY) {
    const bool endsBelow = p[0].y > p[1].y;
    const bool outerAbove = p[1].y < noteY;
    if (endsBelow == outerAbove) return false;
    std::swap(p[0].y, p[1].y);
    std::swap(p[2].y, p[3].y);
    return true;
}

int32_t NoteHeight(ScoreObject* object, ScoreView* view, bool* found) {
    EventRecord* note = ClassOf(object).GetOwnerNote(object);
    *found = note != nullptr;
    return note != nullptr ? GetEventPosition(note, view).y : 0;
}

// The bracket dragged across its note turns back (see TurnTowardsNote).
bool MirrorAcrossNote(ScoreObject* object, ScoreView* view) {
    bool found = false;
    const int32_t noteY = NoteHeight(object, view, &found);
    if (!found) return false;
    SpannerPoints points{};
    ComputeSpannerPoints(&TupletOf(object)->spanner, view, &points);
    if (!TurnTowardsNote(points.p, noteY)) return false;
    EncodeSpannerPoints(&TupletOf(object)->spanner, nullptr, view, points);
    return true;
}

// The curve dragged across its note turns back the same way; its (undrawn) bracket
// is put between the turned curve's ends and its bow, hooks at the ends, so that
// the re-fit places the curve and number from there.
bool MirrorCurveAcrossNote(ScoreObject* object, ScoreView* view) {
    bool found = false;
    const int32_t noteY = NoteHeight(object, view, &found);
    TupletCurvePoints curve{};
    if (!found || !ComputeTupletCurve(object, view, &curve) || !TurnTowardsNote(curve.p, noteY)) return false;
    const int32_t outwards = curve.p[1].y >= curve.p[0].y ? kNewBracketHeight : -kNewBracketHeight;
    SpannerPoints bracket{};
    bracket.p[0] = curve.p[0];
    bracket.p[1] = LogicalPoint{curve.p[0].x, curve.p[0].y + outwards};
    bracket.p[2] = LogicalPoint{curve.p[3].x, curve.p[3].y + outwards};
    bracket.p[3] = curve.p[3];
    EncodeSpannerPoints(&TupletOf(object)->spanner, nullptr, view, bracket);
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
    for (HitRecord* inner : {h[5], h[6]})
        if (inner != nullptr) OffsetHitRecord(inner, LogicalPoint{0, moved});
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
    FitMoveHandleClear(middle, hooksUp, label->outer.top, label->outer.bottom);
}

// The style's own records behind the number's: the bracket's six or the curve's
// eight, fitted clear of the number. Nothing for the number alone, or when the
// records run out (the number's stays).
void AppendStyleHandles(ScoreObject* object, ScoreView* view, HitRecord* label) {
    const int style = StyleOf(object);
    HitRecord* tail = style == kTupletBracket ? BuildLineHandles(&TupletOf(object)->spanner, view)
                      : style == kTupletCurve ? BuildCurveHandles(object, view)
                                              : nullptr;
    if (tail == nullptr) return;
    HitRecord* last = label;
    while (last->child.get() != nullptr) last = last->child.get();
    last->child = Ref32<HitRecord>::To(tail);
    tail->parent = Ref32<HitRecord>::To(last);
    if (style == kTupletBracket)
        FitBracketMiddleHandle(label);
    else
        FitCurveMoveHandle(tail, label);
}

// The mark's measure painted again on the window: a commit or a style step changes
// the mark's look beyond its handles (the curve moved or turned, the bracket became
// a curve), and what it looked like before must go.
void RepaintMarkMeasure(ScoreObject* object, ScoreView* view) {
    if (view == nullptr || !view->ViewWindow) return;
    HitRecord* chain = HandleChainOf(object);
    if (chain == nullptr) return InvalidateCurrentMeasure(view);
    const ScopedViewAt at(view, chain);
    InvalidateCurrentMeasure(view);
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
    // Drawn over the mark as it stands: the bracket with XOR (a second drawing takes
    // it away again), the curve, then the number as a text object is.
    void DrawSelected(ScoreObject* object, ScoreView* view) const override {
        if (view == nullptr) return;
        if (StyleOf(object) == kTupletBracket) DrawBracketInverted(object, view);
        TupletCurvePoints c{};
        if (StyleOf(object) == kTupletCurve && ComputeTupletCurve(object, view, &c)) DrawCurve(view, c, false);
        TextObjectClass::Draw(object, view);
        RedrawSelectionMarks(view);
    }
    ScoreObject* CreateAtClick(ScoreObject*, ScoreView* view) const override { return CreateTupletAtClick(view); }
    void DrawTracking(ScoreObject* object, ScoreView* view) const override {
        if (StyleOf(object) == kTupletBracket) {
            Line().DrawTracking(object, view);
            return;
        }
        if (StyleOf(object) == kTupletCurve) DrawCurveFeedback(object, view);
        TextObjectClass::DrawTracking(object, view);
    }
    // The feedback drawn again where it was drawn: at the system of the curve's start.
    void EraseTracking(ScoreObject* object, ScoreView* view) const override {
        HitRecord* h[kCurveHandleCount] = {};
        if (StyleOf(object) != kTupletCurve || view == nullptr || !CurveHandles(object, h)) return DrawTracking(object, view);
        const ScopedViewAt at(view, h[1]);
        DrawTracking(object, view);
    }
    int CommitDrag(ScoreObject* object, ScoreView* view) const override {
        if (view == nullptr) return 0;
        // The mark's points are offsets from its note, found with the view at the
        // note's measure: the one the handles were made at.
        const ScopedViewAt at(view, HandleChainOf(object));
        if (StyleOf(object) == kTupletBracket) {
            const int result = Line().CommitDrag(object, view);
            if (MirrorAcrossNote(object, view)) RefitTupletMark(object, view);
            RepaintMarkMeasure(object, view);
            return result;
        }
        const bool curve = StyleOf(object) == kTupletCurve;
        if (curve) StoreCurveHandles(object, view);
        const LogicalPoint before = TextObjectAnchorPoint(object, view);
        const int result = TextObjectClass::CommitDrag(object, view);
        const LogicalPoint after = TextObjectAnchorPoint(object, view);
        if (StyleOf(object) == kTupletNumberOnly) FollowLabel(object, view, LogicalPoint{after.x - before.x, after.y - before.y});
        // Dragged across the note: the bracket turns back towards the notes and the
        // number (and the curve) are fitted to it again.
        if (curve ? MirrorCurveAcrossNote(object, view) : MirrorAcrossNote(object, view)) RefitTupletMark(object, view);
        RepaintMarkMeasure(object, view);
        return result;
    }
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override {
        if (StyleOf(object) == kTupletBracket) {
            HitRecord* chain = Line().BuildHandles(object, view);
            if (chain != nullptr) FitBracketMiddleHandle(chain);
            return chain;
        }
        HitRecord* label = TextObjectClass::BuildHandles(object, view);
        if (label != nullptr) AppendStyleHandles(object, view, label);
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
            for (int i = 1; i < kCurveHandleCount; ++i) OffsetHitRecord(h[i], DragOffset());
        TextObjectClass::TrackDrag(object, view);
    }
    // The editor hands over the kind of the record under the pointer; the bracket's
    // and the curve's handles carry their index as their kind.
    void SetToolCursor(ScoreObject* object, int32_t index, int32_t kind) const override {
        if (StyleOf(object) == kTupletBracket) return Line().SetToolCursor(object, index, kind);
        const int handle = index > 0 ? index : CurveHandleIndexOfKind(kind);
        if (StyleOf(object) == kTupletCurve && handle > 0)
            SetCurveHandleCursor(handle);
        else
            TextObjectClass::SetToolCursor(object, 0, kind);
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
        RepaintMarkMeasure(object, view);
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
