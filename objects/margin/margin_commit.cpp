// Committing a margin drag (see margin_class.h). The new rectangle is the centre
// handle's. Steps: nothing changed gives 0; a left edge moved by more than 8 units
// takes along the systems that started within 32 units of it (an indented system
// stays where it is); then a master page rounds, converts and (mode 2) copies its
// margins to the pages it governs, and an ordinary page either takes the margins and
// is formatted again or, with Shift and only its top or bottom moved, gives or takes
// a system across the page break, its margins unchanged. The distances always end
// as exactly what their inch words give.
#include <cstdlib>

#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/units/units.h"
#include "display/linked_views.h"
#include "layout/measure_format.h"
#include "layout/page_edit.h"
#include "layout/page_fit.h"
#include "layout/page_format.h"
#include "layout/page_geometry.h"
#include "notes/beatmap/beat_map.h"
#include "objects/margin/margin_class.h"
#include "platform/win/keys.h"

namespace ql {
namespace {

constexpr uint8_t kModsCtrl = 1;
constexpr uint8_t kModsShift = 4;
enum Side { kLeft = 0, kTop = 1, kRight = 2, kBottom = 3 };

struct MarginChange {
    RecordRect before;
    RecordRect after;
    bool horizontal = false;
    bool vertical = false;
    bool ctrl = false;
    bool shift = false;
};

bool DragCtrlHeld() {
    const InputGlobals& input = State().input;
    return input.StickyCtrlFlag != 0 || (input.ModifierState & kModsCtrl) != 0 ||
           win::IsKeyDown(win::Key::Control);
}

bool DragShiftHeld() {
    const InputGlobals& input = State().input;
    return input.ShiftLatch != 0 || (input.ModifierState & kModsShift) != 0 ||
           win::IsKeyDown(win::Key::Shift);
}

// The distances of a rectangle on the view's page.
void SetDistances(MarginBody& body, const RecordRect& r, const ScoreView* view) {
    body.distances[kLeft] = r.left + kPageCornerOffset;
    body.distances[kTop] = r.top + kPageCornerOffset;
    body.distances[kRight] = view->PageRight - r.right;
    body.distances[kBottom] = view->PageBottom - r.bottom;
}

// Inch words from the distances, then the distances from the words.
void RoundTripInches(MarginBody& body, const ScoreDocument& document) {
    for (int side = 0; side < kMarginSides; ++side) {
        body.words[side] = FormatUnitsValue(document, body.distances[side]);
        body.distances[side] =
            BcdToPageUnits(document, static_cast<BcdInches>(body.words[side]), true);
    }
}

// The pages a master page governs: all of a single-sided score; else those whose
// margins it is the master of.
bool IsGovernedBy(ScoreDocument* document, ScorePage* page, const ScorePage* master) {
    if (document->header.pageGeometry.sides == 0) return true;
    bool left = IsLeftPage(document, GetPageIndex(document, page));
    return left == (master->pageNumber == kLeftMasterNumber);
}

void CopyToGovernedPages(ScoreView* view, const MarginBody& body, const MarginChange& change) {
    ScoreDocument* document = view->document;
    ScorePage* master = view->currentPage;
    for (ScorePage* page = document->firstPage; page != nullptr; page = page->next.get()) {
        if (page->pageNumber < 0 || !IsGovernedBy(document, page, master)) continue;
        ScoreObject* element = page->margins.get();
        if (element == nullptr || element->type != TypeCode(ObjectType::Margin)) continue;
        AsMarginObject(element)->body = body;
        if (change.horizontal) {
            State().layout.MarginsChanging = 1;
            FormatMeasures(view, page);
            State().layout.MarginsChanging = 0;
        } else if (change.vertical) {
            LayoutPageSystems(view, page);
        }
    }
    // Systems the new margins leave no room for go on to the next pages.
    if (change.vertical) FitSystemsToPages(view, document->firstPage);
}

int CommitMasterMargins(MarginObject* margin, ScoreView* view, const MarginChange& change) {
    LayoutGlobals& layout = State().layout;
    layout.VerticalLayoutSuspended = change.vertical ? 0 : 1;
    MarginBody& body = margin->body;
    SetDistances(body, change.after, view);
    body.distances[kTop] = RoundMarginToZoom(body.distances[kTop], view->zoomFactor);
    body.distances[kBottom] = RoundMarginToZoom(body.distances[kBottom], view->zoomFactor);
    RoundTripInches(body, *view->document);
    if (layout.MasterMarginMode == kMasterMarginsCopied) CopyToGovernedPages(view, body, change);
    layout.VerticalLayoutSuspended = 0;
    if (layout.MasterMarginMode == 0) return 0;
    if (SelectionState* selection = TheSelectionState()) selection->rebuildRequested = 1;
    InvalidateLinkedViews(view);
    return 1;
}

// Margins set from the rectangle (as their inch words give them, so that the page
// is formatted between the margins it keeps); the page formatted again.
void SetPageMarginsFromDrag(MarginObject* margin, ScoreView* view, const MarginChange& change) {
    State().layout.VerticalLayoutSuspended = change.vertical ? 0 : 1;
    SetDistances(margin->body, change.after, view);
    RoundTripInches(margin->body, *view->document);
    if (change.horizontal) FormatMeasuresOfCurrentPage(view);
    else InvalidateLinkedViews(view);
    if (!change.vertical) return;
    LayoutPageSystems(view, view->currentPage);
    FitSystemsToPages(view, view->currentPage);  // what no longer fits goes on
}

// Shift with only the bottom (this page) or the top (the previous page) moved: a
// system crosses the page break. False when the drag is not of that kind.
bool MoveSystemAcrossBreak(ScoreView* view, const MarginChange& change) {
    bool topMoved = change.after.top != change.before.top;
    bool bottomMoved = change.after.bottom != change.before.bottom;
    ScorePage* page = view->currentPage;
    ScorePage* previous = page->previous.get();
    bool bottomOnly = !topMoved;
    bool usesPrevious = topMoved && !bottomMoved && page->pageNumber >= 1 && previous != nullptr &&
                        previous->pageNumber >= 1;
    if (!bottomOnly && !usesPrevious) return false;
    State().layout.VerticalLayoutSuspended = 1;
    bool down = bottomOnly ? change.after.bottom >= change.before.bottom
                           : change.after.top > change.before.top;
    ScorePage* target = bottomOnly ? page : previous;
    if (down) AddSystemToPage(view, target, change.ctrl);
    else RemoveSystemFromPage(view, target, change.ctrl);
    UpdateBeatMaps(view, 1);
    InvalidateLinkedViews(view);
    return true;
}

int CommitPageMargins(MarginObject* margin, ScoreView* view, const MarginChange& change) {
    bool shiftMove = change.shift && !change.horizontal && MoveSystemAcrossBreak(view, change);
    if (!shiftMove) SetPageMarginsFromDrag(margin, view, change);
    State().layout.VerticalLayoutSuspended = 0;
    if (SelectionState* selection = TheSelectionState()) selection->rebuildRequested = 1;
    RoundTripInches(margin->body, *view->document);
    return 0;
}

}  // namespace

void MoveSystemsWithLeftEdge(ScorePage* page, int32_t oldLeft, int32_t newLeft) {
    if (page == nullptr || std::abs(newLeft - oldLeft) <= kSystemFollowMinimum) return;
    ScoreSystem* system = page->firstSystem.get();
    for (int i = 0; i < page->systemCount && system != nullptr; ++i, system = system->next.get())
        if (std::abs(system->x - oldLeft) <= kSystemFollowDistance) system->x = newLeft;
}

int MarginClass::CommitDrag(ScoreObject* object, ScoreView* view) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* first = selection != nullptr ? selection->focusRecord.get() : nullptr;
    HitRecord* centre = first;
    for (int i = 0; i < kMarginCentreHandle && centre != nullptr; ++i) centre = centre->child.get();
    if (view == nullptr || view->document == nullptr || view->currentPage == nullptr ||
        centre == nullptr)
        return 0;
    MarginObject* margin = AsMarginObject(object);
    MarginChange change;
    change.before = MarginRectangle(*margin, view);
    change.after = centre->outer;
    change.horizontal = change.after.left != change.before.left || change.after.right != change.before.right;
    change.vertical = change.after.top != change.before.top || change.after.bottom != change.before.bottom;
    if (!change.horizontal && !change.vertical) return 0;
    change.ctrl = DragCtrlHeld();
    change.shift = DragShiftHeld();
    State().layout.MarginDragActive = 1;
    MoveSystemsWithLeftEdge(view->currentPage, change.before.left, change.after.left);
    int result = view->currentPage->pageNumber < 0 ? CommitMasterMargins(margin, view, change)
                                                   : CommitPageMargins(margin, view, change);
    State().layout.MarginDragActive = 0;
    return result;
}

}  // namespace ql
