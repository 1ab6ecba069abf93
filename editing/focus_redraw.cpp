// Collecting the hit records of everything the view shows: the walk over the staves
// and measures of the page's systems that lie inside the visible band, run when a
// tool is bound, after a reset that redraws, and when an edit asked for the handles
// to be rebuilt.
#include "core/draw/draw_surface.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/saved_location.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "display/view_location.h"
#include "display/visible_systems.h"
#include "editing/mouse_processor.h"
#include "editing/selection.h"
#include "editing/selection_internal.h"

namespace ql {

using namespace selection;

namespace {

constexpr int kSystemLimit = 1 << 10;

// Frees the chains of list A and B except the focused object's, whose owners
// forget them; hover and status records go with them.
void EmptyListsKeepingFocus(SelectionState* s) {
    const ScoreObject* keep = FocusedObject();
    HitRecord* kept = nullptr;
    for (HitRecord* head : {&s->listAHead, &s->listBHead}) {
        HitRecord* tail = head == &s->listAHead ? &s->listATail : &s->listBTail;
        HitRecord* r = head->next.get();
        for (int n = 0; r != nullptr && r != tail && n < 1 << 16; ++n) {
            HitRecord* next = r->next.get();
            ScoreObject* owner = r->owner.get();
            if (owner != nullptr && owner == keep) {
                kept = r;
            } else {
                if (owner != nullptr && owner->handleChain.get() == r) owner->handleChain = {};
                FreeHitRecordChain(r);
                FreeHitRecord(r);
            }
            r = next;
        }
        ResetHitList(*head, *tail);
    }
    if (kept != nullptr) AppendHitRecord(&s->listATail, kept);
    ReleaseFollowedObjects(s, keep);  // they go with their records
    s->hoverListRecord = {};
    s->hoverRecord = {};
    s->statusRecord = {};
    s->hoverFlag = 0;
    s->hoverObject = {};
}

bool IsListAEmpty(const SelectionState* s) {
    return s->listAHead.next.get() == &s->listATail;
}

// The view's current location, exactly as it was, for a walk that moves it: every
// field the location setters write comes back on every path.
class ViewLocationSnapshot {
  public:
    explicit ViewLocationSnapshot(ScoreView* view)
        : view_(view),
          location_(view),
          system_(view->currentSystem),
          staffY_(view->staffY),
          slot_(view->currentSlot),
          position_(view->positionWord) {}
    ~ViewLocationSnapshot() {
        view_->currentSystem = system_;
        view_->staffY = staffY_;
        view_->currentSlot = slot_;
        view_->positionWord = position_;
    }
    ViewLocationSnapshot(const ViewLocationSnapshot&) = delete;
    ViewLocationSnapshot& operator=(const ViewLocationSnapshot&) = delete;

  private:
    ScoreView* view_;
    SavedLocation location_;  // staff, measure, cell, voice chain and mask
    ScoreSystem* system_;
    int32_t staffY_;
    int32_t slot_;
    uint32_t position_;
};

// The handle-rebuild request and its hold, cleared for the walk and put back after
// it: what the objects ask for while their handles are built is not a new request,
// and a request that was pending stays pending.
class RebuildBytesSetAside {
  public:
    explicit RebuildBytesSetAside(SelectionState* s)
        : s_(s), requested_(s->rebuildRequested), hold_(s->rebuildHold) {
        s_->rebuildRequested = 0;
        s_->rebuildHold = 0;
    }
    ~RebuildBytesSetAside() {
        s_->rebuildRequested = requested_;
        s_->rebuildHold = hold_;
    }
    RebuildBytesSetAside(const RebuildBytesSetAside&) = delete;
    RebuildBytesSetAside& operator=(const RebuildBytesSetAside&) = delete;

  private:
    SelectionState* s_;
    uint8_t requested_;
    uint8_t hold_;
};

// One level of the view's drawing for the length of the walk.
class ViewDrawingOpen {
  public:
    explicit ViewDrawingOpen(ScoreView* view) : view_(view) { BeginViewDraw(view_); }
    ~ViewDrawingOpen() { EndViewDraw(view_); }
    ViewDrawingOpen(const ViewDrawingOpen&) = delete;
    ViewDrawingOpen& operator=(const ViewDrawingOpen&) = delete;

  private:
    ScoreView* view_;
};

// What of the page the view shows: its visible rectangle, unless none is known yet
// (a view never sized), when every system, staff and measure counts as shown.
struct ShownArea {
    bool known = false;
    StaffBand band;
    int32_t left = 0;
    int32_t right = 0;
};

ShownArea ShownAreaOf(const ScoreView* view) {
    const gfx::Rect& v = view->visibleRect;
    if (v.bottom <= v.top || v.right <= v.left) return {};
    return ShownArea{true, StaffBandAround(v.top, v.bottom), v.left, v.right};
}

// The measures of the current system to collect: those of the slots inside the
// visible width, from one earlier when the first of them continues a slot of the
// same system (what stands in that slot, a slur or a hairpin, can reach into view).
// False when no slot is visible.
bool ShownMeasures(ScoreView* view, const ShownArea& area, int* first, int* last) {
    const ScoreSystem* system = view->currentSystem;
    if (!area.known) {
        *first = system->firstMeasure;
        *last = system->lastMeasure;
        return *first > 0 && *first <= *last;
    }
    const SlotRange slots = SlotsInRange(view, area.left, area.right);
    if (slots.first < 1) return false;
    *first = MeasureOfSlot(view, slots.first);
    if (slots.first >= 2) --*first;
    *last = MeasureOfSlot(view, slots.last);
    return *first > 0 && *first <= *last;
}

// Collects at every shown staff and measure of one system; false when the focused
// object became none, which ends the walk.
bool CollectSystem(ScoreView* view, SelectionState* s, ScoreSystem* system, const ShownArea& area) {
    SetCurrentSystemAndMeasureQuick(view, system, 1, system->firstMeasure);
    if (area.known && !CurrentSystemInBand(view, area.band)) return true;
    int first = 0;
    int last = 0;
    if (!ShownMeasures(view, area, &first, &last)) return true;
    const int staves = view->document->header.staffCount;
    for (int staff = 1; staff <= staves; ++staff) {
        SetCurrentSystemAndMeasureQuick(view, system, staff, first);
        if (IsCurrentStaffHidden(view)) continue;
        if (area.known && !StaffLineInBand(view, staff, area.band)) continue;
        for (int m = first; m <= last; ++m) {
            SetCurrentSystemAndMeasureQuick(view, system, staff, m);
            CollectHitRecordsAtLocation(view);
            if (!s->focusedObject) return false;
        }
    }
    return true;
}

}  // namespace

void RedrawFocusAcrossSystems(ScoreView* view) {
    SelectionState* s = Sel();
    if (s == nullptr || view == nullptr || view->document == nullptr || view->currentPage == nullptr)
        return;
    if (State().program.ShutdownFlag || ToolSwitches().busy != 0 || s->toolType == TypeCode(ObjectType::Area))
        return;
    // Unless the state is reset after this message, the walk marks itself as a
    // collection in progress for its whole length (tools of behaviour codes 3 and 4
    // collect nothing meanwhile).
    if (s->resetAfterMessage == 0) State().input.CollectingAcrossSystems = 1;
    {
        const ViewLocationSnapshot saved(view);
        const RebuildBytesSetAside rebuild(s);
        const ViewDrawingOpen drawing(view);
        if (!IsListAEmpty(s)) EmptyListsKeepingFocus(s);
        const ShownArea area = ShownAreaOf(view);
        int n = 0;
        for (ScoreSystem* system = view->currentPage->firstSystem.get(); system != nullptr && n < kSystemLimit;
             system = system->next.get(), ++n)
            if (!CollectSystem(view, s, system, area)) break;
    }
    State().input.CollectingAcrossSystems = 0;
}

}  // namespace ql
