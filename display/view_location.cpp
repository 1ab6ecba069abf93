// The view's current location: the setters that make a system, staff and measure
// current and derive the slot, staff record, cell, voice chain and positions from
// them, and the location taken from the pointer.
#include "display/view_location.h"

#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/draw/staff_scaling.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/ui/shell_services.h"
#include "core/units/save_stacks.h"
#include "display/hit_test.h"
#include "display/locate_internal.h"
#include "display/view_modes.h"
#include "platform/gfx/mapping.h"
#include "platform/win/input.h"

namespace ql {

using namespace locate;

namespace {

int ClampMeasure(const ScoreView* view, int measure) {
    return std::min(measure, MeasureCountOf(view) + kMeasureSlack);
}

int ClampStaff(const ScoreView* view, int staff) {
    return std::clamp(staff, 0, StaffCountOf(view));
}

// Staff record, cell, voice chain and measure length of the current staff and measure.
void DeriveCell(ScoreView* view, bool keepChain) {
    ScoreDocument* document = view->document;
    view->currentStaffRecord = StaffRecordOf(document, view->currentStaff);
    view->currentCell = nullptr;
    if (view->currentStaffRecord != nullptr && view->currentStaff >= 1 &&
        view->currentMeasure >= 1)
        view->currentCell =
            GetOrCreateMeasureCell(view->currentStaffRecord, document, view->currentMeasure);
    if (!keepChain)
        view->voiceChain = view->currentCell != nullptr
                               ? GetVoiceFirstEvent(view->currentCell, FirstSelectedVoice(view))
                               : nullptr;
    const MeasureRecord* record =
        view->currentMeasure >= 1 ? MeasureRecordOf(document, view->currentMeasure) : nullptr;
    view->currentMeasureLength = record != nullptr ? record->lengthTicks : 0;
}

// Staff y from the system (the slot's x is read from the beat map when needed);
// false when the system has no staff offsets.
bool DerivePositions(ScoreView* view) {
    int32_t top = 0;
    if (!StaffTop(view, view->currentSystem, view->currentStaff, &top)) return false;
    view->staffY = top;
    return true;
}

}  // namespace

void RefreshStaffTops(const ScoreDocument* document) {
    if (document == nullptr) return;
    for (ScoreView* view = State().documents.FirstView; view != nullptr; view = view->nextView) {
        if (view->document != document || view->pageView == 0) continue;
        if (!IsPageOfDocument(document, view->currentPage) ||
            !IsSystemOfPage(view->currentPage, view->currentSystem))
            continue;
        DerivePositions(view);
    }
}

void ApplyLocation(ScoreView* view, int staff, int measure) {
    if (view == nullptr || view->document == nullptr) return;
    view->currentStaff = staff;
    view->currentMeasure = measure;
    if (OnMasterPage(view)) return;
    view->currentSlot = SlotOfMeasure(view, measure, view->currentSystem);
    DeriveCell(view, false);
    if (view->currentSlot > Switches().SlotLimit) view->currentSlot = 1;
    if (!DerivePositions(view)) return;
    if (staff >= 1) SelectStaffScaledFonts(view, staff);
}

ScopedViewAt::ScopedViewAt(ScoreView* view, int staff, int measure) : view_(view) {
    if (view_ == nullptr) return;
    PushViewLocation(view_);
    SetCurrentMeasure(view_, staff, measure);
}

ScopedViewAt::ScopedViewAt(ScoreView* view, const HitRecord* handle)
    : ScopedViewAt(handle != nullptr ? view : nullptr, handle != nullptr ? handle->location.location.staff : 0,
                   handle != nullptr ? handle->location.location.measure : 0) {}

ScopedViewAt::~ScopedViewAt() {
    if (view_ != nullptr) PopViewLocation(view_);
}

void SetCurrentMeasure(ScoreView* view, int staff, int measure) {
    if (view == nullptr || view->document == nullptr || measure < 0) return;
    measure = ClampMeasure(view, measure);
    if (staff == view->currentStaff && measure == view->currentMeasure &&
        Switches().ForceLocationUpdate == 0)
        return;
    if (view->currentPage == nullptr) return;
    ScoreSystem* system = nullptr;
    if (OnMasterPage(view))
        system = view->currentPage->firstSystem.get();
    else
        system = view->pageView ? SystemOfMeasure(view, measure) : view->galleySystem;
    if (system == nullptr) system = view->galleySystem;
    view->currentSystem = system;
    ApplyLocation(view, ClampStaff(view, staff), measure);
}

void SetCurrentSystemAndMeasure(ScoreView* view, ScoreSystem* system, int staff, int measure,
                                bool force) {
    if (view == nullptr || view->document == nullptr) return;
    if (system == view->currentSystem && staff == view->currentStaff &&
        measure == view->currentMeasure && !force && Switches().ForceLocationUpdate == 0)
        return;
    view->currentSystem = system;
    if (measure >= 0) ApplyLocation(view, ClampStaff(view, staff), ClampMeasure(view, measure));
}

void SetCurrentSystem(ScoreView* view, ScoreSystem* system) {
    if (view == nullptr || view->document == nullptr || system == view->currentSystem) return;
    view->currentSystem = system;
    if (system == nullptr) return;
    ApplyLocation(view, StaffCountOf(view) > 0 ? 1 : 0, system->firstMeasure);
}

void SetCurrentSystemAndMeasureQuick(ScoreView* view, ScoreSystem* system, int staff,
                                     int measure) {
    if (view == nullptr || view->document == nullptr) return;
    view->currentSystem = system;
    view->currentStaff = ClampStaff(view, staff);
    view->currentMeasure = std::max(0, ClampMeasure(view, measure));
    view->currentSlot = SlotOfMeasure(view, view->currentMeasure, system);
    DeriveCell(view, Switches().SkipVoiceChain != 0);
    DerivePositions(view);
}

void SetCurrentMeasureQuick(ScoreView* view, int staff, int measure) {
    if (view == nullptr || view->document == nullptr || measure < 0) return;
    ScoreSystem* system = view->pageView ? SystemOfMeasure(view, measure) : view->galleySystem;
    SetCurrentSystemAndMeasureQuick(view, system != nullptr ? system : view->currentSystem, staff,
                                    measure);
}

// Makes a located place the location; false when it was already.
static bool TakePlace(ScoreView* view, const LocatedPlace& place, bool forced) {
    if (!forced && place.system == view->currentSystem && place.staff == view->currentStaff &&
        place.measure == view->currentMeasure)
        return false;
    view->currentSystem = place.system;
    ApplyLocation(view, place.staff, place.measure);
    return true;
}

void UpdateLocationFromPointer(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return;
    if (view->currentPage == nullptr) {
        ReportLocateNotice(kNoPageLine);
        ShowPageInView(view, 0);
        return;
    }
    if (StaffCountOf(view) == 0) {
        ApplyLocation(view, 0, 0);
        return;
    }
    const LocatedPlace place = LocatePoint(view, view->pointerPoint);
    if (!view->pageView && place.system != nullptr && place.system->number >= 1 &&
        view->galleySystem != nullptr)
        view->galleySystem->number = 0;
    if (!TakePlace(view, place, Switches().ForceLocationUpdate != 0)) {
        if (view->currentCell != nullptr)
            view->voiceChain = GetVoiceFirstEvent(view->currentCell, FirstSelectedVoice(view));
        return;
    }
    Switches().ForceLocationUpdate = 0;
    ShowPositionReadout(view, view->currentStaff, view->currentMeasure);
}

void SetLocationFromPoint(ScoreView* view, const LogicalPoint& point) {
    if (view == nullptr) return;
    view->pointerPoint = point;  // the point last given to the locator
    if (view->document == nullptr || view->currentPage == nullptr) return;
    if (OnMasterPage(view) || StaffCountOf(view) == 0) return;
    TakePlace(view, LocatePoint(view, point), false);
}

void LocationFromCaret(ScoreView* view) {
    if (view == nullptr) return;
    gfx::Point caret = win::GetCaretPosition();
    // The caret stands in client pixels: map it through the view's context, opened
    // for the purpose when none is open.
    const bool opened = !view->ViewDC;
    if (opened) BeginViewDraw(view);
    if (view->ViewDC) caret = gfx::DeviceToLogical(view->ViewDC, caret);
    if (opened) EndViewDraw(view);
    view->pointerPoint = LogicalPoint{caret.x, caret.y};
    UpdateLocationFromPointer(view);
}


}  // namespace ql
