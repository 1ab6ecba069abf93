// Drawing the focused object's handles in XOR on the view's window surface. The
// same call shows and hides, as long as nothing else drew in between; print and
// recording surfaces are left alone.
#include "editing/feedback.h"

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/objects/class_table.h"
#include "core/objects/handle_flags.h"
#include "core/state.h"
#include "editing/selection.h"
#include "editing/selection_internal.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"

namespace ql {

using namespace selection;

namespace {

constexpr int kChainLimit = 1 << 12;

gfx::Rect ToRect(const RecordRect& r) {
    return gfx::Rect{r.left, r.top, r.right, r.bottom};
}

void DrawOutline(platform::DcHandle dc, const RecordRect& r) {
    const platform::BrushHandle old = gfx::SelectObject(dc, gfx::GetStockBrush(gfx::StockBrush::Null));
    gfx::Rectangle(dc, ToRect(r));
    gfx::SelectObject(dc, old);
}

// A handle is drawn while dragging only when its kind is the grabbed one or the
// whole object moves; otherwise always.
bool ShownWhileDragging(const SelectionState* s, const HitRecord* r) {
    if (s->editMode != kEditDragging || (r->flags & kHandleShowWhileDragging) == 0) return true;
    const HitRecord* grabbed = s->grabbedRecord.get();
    if (grabbed == nullptr) return false;
    return r->kind == grabbed->kind || (grabbed->flags & kHandleMovesWhole) != 0;
}

}  // namespace

bool CanDrawFeedback(const ScoreView* view) {
    return view != nullptr && view->ViewDC && !IsPrinting() &&
           gfx::GetContextKind(view->ViewDC) != gfx::ContextKind::Recording &&
           gfx::GetContextKind(view->ViewDC) != gfx::ContextKind::Printer;
}

bool SetupFeedbackState(ScoreView* view) {
    if (view == nullptr) return false;
    EndViewDrawAll(view);
    BeginViewDraw(view);
    if (SelectionState* s = Sel(); s != nullptr) s->dragOffsetX = s->dragOffsetY = 0;
    if (!view->ViewDC) return false;
    SaveRestoreFeedbackDC(view, nullptr, true);
    return true;
}

void DrawHitRecordFeedback(ScoreView* view, HitRecord* record) {
    if (view == nullptr || record == nullptr) return;
    if (!view->ViewDC) SetupFeedbackState(view);
    if (!CanDrawFeedback(view)) return;
    const platform::DcHandle dc = view->ViewDC;
    switch (record->style) {
        case kShapeOutline:
        case kShapeOutlineAlt:
        case kShapeBitmap:  // no handle bitmaps are made: the outline stands for it
            DrawOutline(dc, record->inner);
            break;
        case kShapeSquare:
            gfx::Rectangle(dc, ToRect(record->inner));
            break;
        case kShapeEllipse:
            gfx::Ellipse(dc, ToRect(record->inner));
            break;
        case kShapeOwnerDrawn:
            if (ScoreObject* owner = record->owner.get(); IsUsableObject(owner))
                ClassOf(owner).DrawHandle(owner, view, record);
            break;
        default:
            break;
    }
}

void DrawFocusHandles(ScoreView* view) {
    SelectionState* s = Sel();
    if (s == nullptr || view == nullptr) return;
    HitRecord* focus = s->focusRecord.get();
    ScoreObject* object = s->focusedObject.get();
    if (!IsUsableRecord(focus) || !IsUsableObject(object)) return;
    if (!view->ViewDC) SetupFeedbackState(view);
    if (!CanDrawFeedback(view)) return;
    int n = 0;
    for (HitRecord* r = focus; r != nullptr && n < kChainLimit; r = r->child.get(), ++n) {
        if (r->owner.get() != object || r->style == kShapeNone || r->style == kShapeNever) continue;
        if ((r->flags & kHandleNoFeedback) != 0 || !ShownWhileDragging(s, r)) continue;
        DrawHitRecordFeedback(view, r);
    }
}

void ShowFocusFeedback(ScoreView* view) {
    SelectionState* s = Sel();
    if (s == nullptr || s->editMode <= 0) return;
    ScoreObject* object = s->focusedObject.get();
    if (!IsUsableObject(object)) return;
    DrawFocusHandles(view);
    if (CanDrawFeedback(view)) ClassOf(object).DrawTracking(object, view);
}

void HideFocusFeedback(ScoreView* view) {
    SelectionState* s = Sel();
    if (s == nullptr) return;
    ScoreObject* object = s->focusedObject.get();
    if (!IsUsableObject(object)) return;
    DrawFocusHandles(view);
    if (CanDrawFeedback(view)) ClassOf(object).EraseTracking(object, view);
}

}  // namespace ql
