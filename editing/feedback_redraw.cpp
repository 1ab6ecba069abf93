// Redraws after an object changed under the feedback: the objects of the selection
// list that overlap it are drawn again where the change drew over them, and the
// object is drawn in the other views of its score, each view's drawing state kept.
#include "editing/feedback.h"

#include <algorithm>

#include "core/constants.h"
#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/units/save_stacks.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "editing/selection_internal.h"
#include "notes/drawing/note_redraw.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/win/paint.h"

namespace ql {

using namespace selection;

namespace {

constexpr int kListWalkLimit = 1 << 16;

bool IsEmpty(const RecordRect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

bool Intersect(const RecordRect& a, const RecordRect& b, RecordRect* out) {
    const RecordRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                       std::min(a.bottom, b.bottom)};
    if (IsEmpty(r)) return false;
    *out = r;
    return true;
}

bool Is(uint8_t type, ObjectType t) {
    return type == TypeCode(t);
}

// A Measure or Staff is repainted later over the overlap, not drawn now.
void InvalidateLogical(ScoreView* view, const RecordRect& r) {
    if (!view->ViewWindow || !view->ViewDC) return;
    const gfx::Point a = gfx::LogicalToDevice(view->ViewDC, gfx::Point{r.left, r.top});
    const gfx::Point b = gfx::LogicalToDevice(view->ViewDC, gfx::Point{r.right, r.bottom});
    const win::Rect area{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1};
    win::InvalidateRect(view->ViewWindow, &area, false);
}

// The drawing state of a surface that a redraw in other views must give back.
struct SurfaceState {
    gfx::Rop2 rop{};
    platform::PenHandle pen{};
    platform::BrushHandle brush{};
    gfx::Colour text{};
    gfx::BackgroundMode background{};
};

SurfaceState SaveSurface(platform::DcHandle dc) {
    return SurfaceState{gfx::GetRop2(dc), gfx::GetCurrentPen(dc), gfx::GetCurrentBrush(dc), gfx::GetTextColour(dc),
                        gfx::GetBackgroundMode(dc)};
}

void RestoreSurface(platform::DcHandle dc, const SurfaceState& saved) {
    gfx::SetRop2(dc, saved.rop);
    if (saved.pen) gfx::SelectObject(dc, saved.pen);
    if (saved.brush) gfx::SelectObject(dc, saved.brush);
    gfx::SetTextColour(dc, saved.text);
    gfx::SetBackgroundMode(dc, saved.background);
}

}  // namespace

void RedrawOverlapping(ScoreView* view, ScoreObject* object) {
    SelectionState* s = Sel();
    if (s == nullptr || view == nullptr || !IsUsableObject(object)) return;
    if (Is(object->type, ObjectType::Accidental) || Is(object->type, ObjectType::Measure) ||
        Is(object->type, ObjectType::Staff))
        return;
    const RecordRect area = ChainBounds(object->handleChain.get());
    if (IsEmpty(area)) return;
    PushViewLocation(view);
    BeginViewDraw(view);
    int n = 0;
    for (HitRecord* r = s->listAHead.next.get(); r != nullptr && r != &s->listATail && n < kListWalkLimit;
         r = r->next.get(), ++n) {
        ScoreObject* owner = r->owner.get();
        if (owner == nullptr || owner == object || !IsUsableObject(owner)) continue;
        RecordRect overlap;
        if (!Intersect(area, ChainBounds(r), &overlap)) continue;
        SetCurrentMeasure(view, r->location.location.staff, r->location.location.measure);
        if (Is(owner->type, ObjectType::Note)) {
            if (EventRecord* note = r->noteEvent.get()) RedrawNotesLinked(view, note);
        } else if (Is(owner->type, ObjectType::Measure) || Is(owner->type, ObjectType::Staff)) {
            InvalidateLogical(view, overlap);
        } else {
            ClassOf(owner).Draw(owner, view);
        }
    }
    EndViewDraw(view);
    PopViewLocation(view);
}

void RedrawInLinkedViews(ScoreView* view, ScoreObject* object, int mode) {
    if (view == nullptr || view->document == nullptr || !IsUsableObject(object)) return;
    const bool hadSurface = static_cast<bool>(view->ViewDC);
    const SurfaceState saved = hadSurface ? SaveSurface(view->ViewDC) : SurfaceState{};
    const int depth = view->DrawDepth;
    PushViewLocation(view);
    EndViewDrawAll(view);
    const int staff = view->currentStaff;
    const int measure = view->currentMeasure;
    const bool pageAnchored = object->subtype == SubtypeCode(ObjectSubtype::PageList);
    for (ScoreView* other = NextLinkedView(view, nullptr); other != nullptr; other = NextLinkedView(view, other)) {
        if (pageAnchored && other->pageView != 1) continue;
        if (ActivateView(other) != other) continue;
        PushViewLocation(other);
        SetCurrentMeasure(other, staff, measure);
        BeginViewDraw(other);
        if (mode == 1 && other->ViewDC) {
            SelectSelectionColours(other);
            ClassOf(object).Paint(object, other);
            SelectHighlightColours(other);
            ClassOf(object).DrawSelected(object, other);
        }
        EndViewDraw(other);
        PopViewLocation(other);
    }
    ActivateView(view);
    PopViewLocation(view);
    if (!hadSurface) return;
    for (int level = 0; level < std::max(depth, 1); ++level) BeginViewDraw(view);
    if (!view->ViewDC) return;
    if (mode == 0)
        SetupFeedbackState(view);
    else
        RestoreSurface(view->ViewDC, saved);
}

}  // namespace ql
