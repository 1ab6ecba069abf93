// Moving a view to a saved location. Records are never probed: a location that is
// not inside the current page's measures is simply not applied.
#include "core/units/view_moves.h"

#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/draw/staff_scaling.h"
#include "core/draw/view_metrics.h"
#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/services/display_services.h"
#include "core/services/layout_services.h"
#include "core/state.h"
#include "core/ui/selection_services.h"
#include "core/ui/shell_services.h"
#include "core/units/save_stacks.h"
#include "platform/win/input.h"

namespace ql {
namespace {

bool IsMasterPage(const ScorePage* page) {
    return page->pageNumber < 0;
}

bool MeasureOnPage(const ScorePage* page, int measure) {
    return page != nullptr && measure >= page->firstMeasure && measure <= page->lastMeasure;
}

constexpr int kPercentWhole = 100;
constexpr int kVisibleFraction = 4;          // a quarter of the visible extent leads
constexpr int32_t kOriginGrid = 64;          // unscaled origins snap to this grid
constexpr int kFirstShiftedMeasure = 2;      // below it the range moves up, not back

// The three program-wide drawing switches (DrawingSuppressed, PlaybackActive and
// RulersShown) are cleared while a location is brought into view: colour sets work
// with no surface, the view can be activated during playback, and the mapping has
// no ruler offset. They are put back, and a surface that was open is reopened,
// when the move ends.
class DrawingSwitchesCleared {
  public:
    explicit DrawingSwitchesCleared(ScoreView* view)
        : view_(view),
          surfaceWasOpen_(static_cast<bool>(view->ViewDC)),
          suppressed_(State().drawing.DrawingSuppressed),
          rulers_(State().drawing.RulersShown),
          playback_(PlaybackFlags().PlaybackActive.exchange(0, std::memory_order_acq_rel)) {
        EndViewDrawAll(view_);
        State().drawing.DrawingSuppressed = 0;
        State().drawing.RulersShown = 0;
    }
    ~DrawingSwitchesCleared() {
        State().drawing.DrawingSuppressed = suppressed_;
        State().drawing.RulersShown = rulers_;
        PlaybackFlags().PlaybackActive.store(playback_, std::memory_order_release);
        if (surfaceWasOpen_) BeginViewDraw(view_);
    }
    DrawingSwitchesCleared(const DrawingSwitchesCleared&) = delete;
    DrawingSwitchesCleared& operator=(const DrawingSwitchesCleared&) = delete;

  private:
    ScoreView* view_;
    bool surfaceWasOpen_;
    uint8_t suppressed_;
    uint8_t rulers_;
    uint8_t playback_;
};

// The scrolling view's system: its measures from first (shown) to last (not shown).
ScoreSystem* VisibleRangeSystem(ScoreView* view) {
    return view->galleySystem != nullptr ? view->galleySystem : view->currentSystem;
}

bool OutsideVisibleRange(const ScoreSystem& system, int measure) {
    return measure < system.firstMeasure || measure >= system.lastMeasure;
}

// Moves the range so that it starts at `first`, keeping its length.
void MoveVisibleRange(ScoreSystem& system, int first) {
    int length = system.lastMeasure - system.firstMeasure;
    system.firstMeasure = static_cast<uint16_t>(std::max(first, 1));
    system.lastMeasure = static_cast<uint16_t>(system.firstMeasure + length);
}

void ScrollRangeToMeasure(ScoreView* view, int measure) {
    ScoreSystem* system = VisibleRangeSystem(view);
    if (system == nullptr || !OutsideVisibleRange(*system, measure)) return;
    bool early = measure < kFirstShiftedMeasure;
    MoveVisibleRange(*system, early ? measure + 1 : measure - 1);
    display::ScrollViewStep(view, early ? -1 : 1);
    EndFocus(view, 0);
    display::RepaintScoreView(view, true);
}

int32_t StaffSizeScaled(const StaffRecord* staff, int32_t full) {
    uint8_t percent = staff != nullptr ? StaffSizePercent(*staff) : 0;
    return percent == 0 ? full : full * percent / kPercentWhole;
}

// Rebuilds the mapping and the visible rectangle for a moved origin; without a
// surface the rectangle moves with the origin.
void ApplyMovedOrigin(ScoreView* view, int32_t dx, int32_t dy) {
    view->visibleRect = gfx::Rect{view->visibleRect.left + dx, view->visibleRect.top + dy,
                                  view->visibleRect.right + dx, view->visibleRect.bottom + dy};
    BeginViewDraw(view);
    if (view->ViewDC) {
        ApplyViewMapping(view);
        UpdateViewOrigin(view);
    }
    EndViewDraw(view);
}

void ScrollPageToLocation(ScoreView* view, ScoreSystem* system, int staff, int measure) {
    if (system == nullptr || view->document == nullptr) return;
    if (staff < 1 || staff > view->document->header.staffCount || !system->staffOffsets) return;
    int slot = measure - system->firstMeasure + 1;
    int32_t x = layout::MeasureSlotX(view, system, slot);
    int32_t right = layout::MeasureSlotX(view, system, slot + 1);
    const StaffRecord* staffRecord = StaffRecordOf(view->document, staff);
    int32_t top = system->y + StaffOffsetsOf(system)[staff];
    int32_t height = StaffBandHeight(staffRecord);
    const gfx::Rect& visible = view->visibleRect;
    int32_t oldX = ScrollX(view);
    int32_t oldY = ScrollY(view);
    int32_t newX = OriginShowingSpan(oldX, visible.left, visible.Width(), x, right,
                                     view->zoomFactor);
    int32_t newY = OriginShowingSpan(oldY, visible.top, visible.Height(), top, top + height,
                                     view->zoomFactor);
    PushViewLocation(view);
    State().input.ForceRelocate = 1;
    if (newX != oldX || newY != oldY) {
        EndFocus(view, 0);
        ScrollX(view) = newX;
        ScrollY(view) = newY;
        ApplyMovedOrigin(view, newX - oldX, newY - oldY);
        display::RepaintScoreView(view, true);
        ShowViewOrigin(view);
    }
    PopViewLocation(view);
}

bool LocationDiffers(const ScoreView& view, const ObjectLocation& location) {
    return State().input.ForceRelocate != 0 || view.currentStaff != location.staff ||
           view.currentMeasure != location.measure;
}

}  // namespace

int32_t StaffBandHeight(const StaffRecord* staff) {
    return StaffSizeScaled(staff, kFullStaffBand);
}

int32_t OriginShowingSpan(int32_t origin, int32_t visibleStart, int32_t visibleSpan,
                          int32_t start, int32_t end, double zoomFactor) {
    int32_t visibleEnd = visibleStart + visibleSpan;
    if (start >= visibleStart && start <= visibleEnd && end <= visibleEnd) return origin;
    int32_t moved = start - visibleSpan / kVisibleFraction;
    if (zoomFactor > 0.0) {
        int32_t unscaled = static_cast<int32_t>(moved / zoomFactor);
        unscaled = (unscaled + kOriginGrid / 2) & ~(kOriginGrid - 1);
        moved = static_cast<int32_t>(unscaled * zoomFactor);
    }
    return std::max(moved, kLowestPageOrigin);
}

void ScrollToLocation(ScoreView* view, ScoreSystem* system, int staff, int measure) {
    if (!IsValidView(view)) return;
    DrawingSwitchesCleared switches(view);
    uint8_t forced = State().input.ForceRelocate;
    if (view->pageView) {
        ScrollPageToLocation(view, system, staff, measure);
    } else {
        ScrollRangeToMeasure(view, measure);
    }
    State().input.ForceRelocate = forced;
}

void ShowMeasureInView(ScoreView* view, int staff, int measure) {
    if (!IsValidView(view)) return;
    EndFocus(view, 0);
    DrawingSwitchesCleared switches(view);
    if (!view->pageView) {
        ScoreSystem* range = VisibleRangeSystem(view);
        if (range == nullptr || !OutsideVisibleRange(*range, measure)) return;
        MoveVisibleRange(*range, measure);
        display::BuildBeatMapsOnLinkedViews(view, 0);
        display::RepaintScoreView(view, true);
        return;
    }
    ShowPageInView(view, PageIndexOfMeasure(view->document, measure));
    ScoreSystem* system = display::SystemOfMeasure(view, measure);
    display::SetCurrentSystemAndMeasure(view, system, staff, measure);
    ScrollToLocation(view, system, staff, measure);
}

bool IsValidView(const ScoreView* view) {
    return view != nullptr && view->self == view;
}

bool MoveViewToObject(ScoreView* view, const LocationRecord* record) {
    if (!IsValidView(view) || record == nullptr) return false;
    const ScorePage* page = view->currentPage;
    if (page == nullptr || IsMasterPage(page)) return false;
    const ObjectLocation& location = record->location;
    if (!MeasureOnPage(page, location.measure) || location.position == 0) return false;
    HandleViewActivation(view);
    view->positionWord = location.position;
    if (LocationDiffers(*view, location))
        display::SetCurrentMeasure(view, location.staff, location.measure);
    return true;
}

void RestoreViewPosition(ScoreView* view, const LocationRecord* record) {
    if (!IsValidView(view) || record == nullptr) return;
    HandleViewActivation(view);
    const ObjectLocation& location = record->location;
    view->positionWord = location.position;
    if (LocationDiffers(*view, location) && MeasureOnPage(view->currentPage, location.measure)) {
        display::SetCurrentMeasure(view, location.staff, location.measure);
    }
    if (view->pointerPoint != record->point) {
        display::MovePointerToPoint(view, record->point.x, record->point.y);
    }
}

}  // namespace ql
