// Finding the system, staff and measure under a logical point, and the measure
// slots of systems: the first half of the locator.
#include <algorithm>
#include <cstdlib>

#include "core/model/pages.h"
#include "core/model/view.h"
#include "display/locate_internal.h"
#include "display/view_location.h"
#include "layout/page_format.h"

namespace ql {

using namespace locate;

namespace {

// First and last shown staff of a system (1 and the count when none is shown).
void ShownStaffBounds(const ScoreView* view, const ScoreSystem* system, int* first, int* last) {
    const int count = StaffCountOf(view);
    *first = 1;
    *last = count;
    for (int s = 1; s <= count; ++s)
        if (IsStaffShown(view, system, s)) { *first = s; break; }
    for (int s = count; s >= 1; --s)
        if (IsStaffShown(view, system, s)) { *last = s; break; }
}

int LocateMeasure(ScoreView* view, ScoreSystem* system, int x) {
    if (system->firstMeasure < 1) system->firstMeasure = 1;
    const int first = system->firstMeasure;
    const int last = system->lastMeasure;
    int m = first + 1;
    for (; m <= last + 1; ++m) {
        const int slot = m - first + 1;
        if (slot > kLastBeatMapSlot) break;
        if (SlotLeftEdge(view, system, slot) + system->x > x) break;
    }
    int measure = std::max(1, m - 1);
    if (view->pageView && measure > last) measure = last;
    return std::max(1, measure);
}

// The staff under a y relative to the system, with the gap rule between staves.
int LocateStaff(ScoreView* view, const ScoreSystem* system, int32_t y) {
    const uint16_t* offsets = StaffOffsetsOf(system);
    if (offsets == nullptr) return 1;
    int first = 1;
    int last = 1;
    ShownStaffBounds(view, system, &first, &last);
    auto top = [&](int s) { return static_cast<int32_t>(offsets[s]); };
    if (y >= top(last)) return last;
    int staff = first;
    for (int s = last; s >= first; --s)
        if (IsStaffShown(view, system, s) && top(s) < y) { staff = s; break; }
    if (staff >= last || last < 2) return staff;
    const int next = NextShownStaff(view->document, staff, system);
    const uint8_t tool = Switches().ArmedToolCode;
    if (next == staff || tool == 0) return staff;
    const int32_t half = std::abs(top(next) - top(staff) - kStaffHeight) / 2;
    int32_t boundary = top(staff) + half;
    if (tool == 1 || tool == 9)
        boundary += view->currentStaff == staff ? kToolHysteresis : -kToolHysteresis;
    return y > boundary ? next : staff;
}

ScoreSystem* LocateSystem(ScoreView* view, int32_t y) {
    if (Switches().KeepSystem) return view->currentSystem;
    if (StaffCountOf(view) == 0) return nullptr;
    if (view->pageView) return SystemAtY(view, y);
    return view->galleySystem;
}

}  // namespace

ScoreSystem* SystemAtY(ScoreView* view, int32_t y) {
    if (view == nullptr || view->currentPage == nullptr) return nullptr;
    if (OnMasterPage(view)) return view->currentSystem;
    ScoreSystem* found = view->currentPage->firstSystem.get();
    if (found == nullptr) return nullptr;
    while (found->y < y && found->next) found = found->next.get();
    ScoreSystem* previous = found->previous.get();
    if (previous == nullptr) return found;
    int first = 1;
    int last = 1;
    ShownStaffBounds(view, previous, &first, &last);
    int32_t lastTop = previous->y;
    StaffTop(view, previous, last, &lastTop);
    const int32_t boundary = lastTop + ((found->y - lastTop) >> 1) - kSystemBoundaryLift;
    return boundary > y ? previous : found;
}

LocatedPlace LocatePoint(ScoreView* view, const LogicalPoint& point) {
    LocatedPlace place{view != nullptr ? view->currentSystem : nullptr, 1, 1};
    if (view == nullptr || view->document == nullptr) return place;
    ScoreSystem* system = LocateSystem(view, point.y);
    if (system == nullptr) {
        ReportLocateNotice(kNoSystemLine);
        return place;
    }
    place.system = system;
    place.measure = Switches().KeepMeasure ? view->currentMeasure : LocateMeasure(view, system, point.x);
    place.staff = Switches().KeepStaff ? view->currentStaff
                                       : LocateStaff(view, system, point.y - system->y);
    return place;
}

int SlotOfMeasure(ScoreView* view, int measure, ScoreSystem* system) {
    if (view == nullptr || system == nullptr) return 1;
    const int count = MeasureCountOf(view);
    if (measure < 0) measure = 1;
    if (measure > count + kMeasureSlack) measure = count;
    int first = system->firstMeasure;
    if (first > count + kMeasureSlack) {
        const ScoreSystem* current = view->currentSystem;
        if (current == nullptr || current->firstMeasure > count + kMeasureSlack) return 1;
        first = current->firstMeasure;
    }
    if (first > measure) return 1;
    return std::min(measure - first + 1, SlotCap());
}

int MeasureOfSlot(ScoreView* view, int slot) {
    if (view == nullptr || view->currentSystem == nullptr) return 1;
    const int count = MeasureCountOf(view);
    const int first = view->currentSystem->firstMeasure;
    if (first > count + kMeasureSlack) return 1;
    const int measure = first + std::clamp(slot, 1, SlotCap()) - 1;
    return measure > count + kMeasureSlotSlack ? 1 : measure;
}

ScoreSystem* SystemOfMeasure(ScoreView* view, int measure) {
    if (view == nullptr) return nullptr;
    if (Switches().KeepSystem) return view->currentSystem;
    if (view->currentPage != nullptr) {
        for (ScoreSystem* system = view->currentPage->firstSystem.get(); system != nullptr;
             system = system->next.get()) {
            if (measure >= system->firstMeasure && measure <= system->lastMeasure) return system;
        }
    }
    return view->currentSystem;
}

ScoreSystem* SystemOfMeasureInScore(ScoreView* view, int measure) {
    if (view == nullptr || view->document == nullptr) return nullptr;
    if (Switches().KeepSystem) return view->currentSystem;
    ScorePage* page = PageOfMeasure(view->document, measure);
    if (page == nullptr || !IsPageOfDocument(view->document, page)) return nullptr;
    for (ScoreSystem* system = page->firstSystem.get(); system != nullptr;
         system = system->next.get()) {
        if (measure >= system->firstMeasure && measure <= system->lastMeasure) return system;
    }
    return nullptr;
}

}  // namespace ql
