// The colour sets of the score view and the save/restore brackets around them.
#include "core/draw/colour_sets.h"

#include "core/draw/draw_surface.h"
#include "core/draw/gdi_cache.h"
#include "core/state.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"

namespace ql {

namespace {

constexpr int32_t kSetPenWidth = 1;

struct ColourSet {
    platform::PenHandle pen;
    platform::BrushHandle brush;
    gfx::Colour text;
    gfx::Rop2 rop;
};

enum class SetKind { Ink, Grey, Red, White, Feedback };

ColourSet SetOf(SetKind kind) {
    CreateColourSets();
    const DrawingGlobals& d = State().drawing;
    switch (kind) {
        case SetKind::Ink:
            return {gfx::GetStockPen(gfx::StockPen::Black),
                    gfx::GetStockBrush(gfx::StockBrush::Black), kInkColour, gfx::Rop2::CopyPen};
        case SetKind::Grey:
            return {d.GreyPen, gfx::GetStockBrush(gfx::StockBrush::LightGrey), kGreyColour,
                    gfx::Rop2::CopyPen};
        case SetKind::Red:
            return {d.RedPen, d.RedBrush, kRedColour, gfx::Rop2::CopyPen};
        case SetKind::White:
            return {gfx::GetStockPen(gfx::StockPen::White),
                    gfx::GetStockBrush(gfx::StockBrush::White), kEraseColour, gfx::Rop2::CopyPen};
        case SetKind::Feedback:
            break;
    }
    return {d.FeedbackPen, d.FeedbackBrush, kFeedbackTextColour, gfx::Rop2::XorPen};
}

void SelectSet(platform::DcHandle dc, const ColourSet& set) {
    gfx::SelectObject(dc, set.pen);
    gfx::SelectObject(dc, set.brush);
    gfx::SetTextColour(dc, set.text);
    gfx::SetRop2(dc, set.rop);
}

// Opens the surface when needed; false when there is nothing to draw on.
bool EnsureSurface(ScoreView* view) {
    if (view->ViewDC) return true;
    if (State().drawing.DrawingSuppressed) return false;
    BeginViewDraw(view);
    return static_cast<bool>(view->ViewDC);
}

void ApplySet(ScoreView* view, SetKind kind, bool save) {
    if (!EnsureSurface(view)) return;
    ColourSet set = SetOf(kind);
    platform::DcHandle companion = CompanionContext(view);
    for (platform::DcHandle dc : {companion, view->ViewDC}) {
        if (!dc) continue;
        if (save) gfx::SaveContext(dc);
        SelectSet(dc, set);
    }
    State().drawing.CurrentTextColour = set.text;
}

}  // namespace

bool CreateColourSets() {
    DrawingGlobals& d = State().drawing;
    if (!d.GreyPen) d.GreyPen = gfx::CreatePen(gfx::PenStyle::Solid, kSetPenWidth, kGreyColour);
    if (!d.RedPen) d.RedPen = gfx::CreatePen(gfx::PenStyle::Solid, kSetPenWidth, kRedColour);
    if (!d.FeedbackPen)
        d.FeedbackPen = gfx::CreatePen(gfx::PenStyle::Solid, kSetPenWidth, kFeedbackPenColour);
    if (!d.RedBrush) d.RedBrush = gfx::CreateSolidBrush(kRedColour);
    if (!d.FeedbackBrush) d.FeedbackBrush = gfx::CreateSolidBrush(d.FeedbackColour);
    return d.GreyPen && d.RedPen && d.FeedbackPen && d.RedBrush && d.FeedbackBrush;
}

void DeleteColourSets() {
    DrawingGlobals& d = State().drawing;
    for (platform::AnyObjectHandle object :
         {platform::AnyObjectHandle(d.GreyPen), platform::AnyObjectHandle(d.RedPen),
          platform::AnyObjectHandle(d.FeedbackPen), platform::AnyObjectHandle(d.RedBrush),
          platform::AnyObjectHandle(d.FeedbackBrush)})
        if (object) gfx::DeleteObject(object);
    d.GreyPen = d.RedPen = d.FeedbackPen = {};
    d.RedBrush = d.FeedbackBrush = {};
}

void BeginHighlightDraw(ScoreView* view) {
    ApplySet(view, SetKind::Ink, true);
}
void BeginHighlightDrawAlt(ScoreView* view) {
    ApplySet(view, SetKind::Grey, true);
}
void BeginHighlightDrawAlt2(ScoreView* view) {
    ApplySet(view, SetKind::Red, true);
}
void BeginSelectionDraw(ScoreView* view) {
    ApplySet(view, SetKind::White, true);
}
void BeginHighlightDrawAlt3(ScoreView* view) {
    ApplySet(view, SetKind::Feedback, true);
}

void SelectSelectionColours(ScoreView* view) {
    ApplySet(view, SetKind::Ink, false);
}
void SelectHighlightColours(ScoreView* view) {
    ApplySet(view, SetKind::White, false);
}
void SelectFeedbackColours(ScoreView* view) {
    ApplySet(view, SetKind::Feedback, false);
}

void EndHighlightDraw(ScoreView* view) {
    // Only the contexts a Begin form saved are restored: the printer reference is
    // not the companion while a clipboard recording is, and its own saved states
    // must stay where they are.
    for (platform::DcHandle dc : {CompanionContext(view), view->ViewDC})
        if (dc) gfx::RestoreContext(dc, -1);
    platform::DcHandle measuring = MeasuringContext(view);
    if (measuring) State().drawing.CurrentTextColour = gfx::GetTextColour(measuring);
}

}  // namespace ql
