// Finding the system, staff and measure that hold a labelled spanner (see
// LocateSpannerStart in spanner_interface.h). Hidden staves (a negative staff flag)
// are passed over.
#include <cstdlib>

#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "objects/spanners/spanner_interface.h"

namespace ql {
namespace {

constexpr int32_t kStaffBottomLine = 512;  // four spaces of 128 below the top line

bool IsShown(const ScoreSystem* system, int staff) {
    const int8_t* flags = system->staffFlags.get();
    return flags == nullptr || flags[staff] >= 0;
}

int32_t StaffTop(const ScoreSystem* system, int staff) {
    const uint16_t* offsets = StaffOffsetsOf(system);
    return system->y + (offsets != nullptr ? offsets[staff] : 0);
}

// The next shown staff from `staff` in a direction, or `staff` when none.
int NextShown(const ScoreSystem* system, int staff, int step, int staves) {
    for (int s = staff + step; s >= 1 && s <= staves; s += step)
        if (IsShown(system, s)) return s;
    return staff;
}

int FirstShown(const ScoreSystem* system, int staves) {
    return IsShown(system, 1) ? 1 : NextShown(system, 1, +1, staves);
}
int LastShown(const ScoreSystem* system, int staves) {
    return IsShown(system, staves) ? staves : NextShown(system, staves, -1, staves);
}

// Hooks up: from the last system up, then from the last staff up.
void LocateUpward(ScoreSystem* first, int staves, int32_t y, ScoreSystem** system, int* staff) {
    ScoreSystem* s = first;
    while (s->next.get() != nullptr) s = s->next.get();
    while (s->previous.get() != nullptr && y < s->y) s = s->previous.get();
    int at = LastShown(s, staves);
    for (int next = NextShown(s, at, -1, staves); next != at && y < StaffTop(s, at) + kStaffBottomLine;
         next = NextShown(s, at, -1, staves))
        at = next;
    *system = s;
    *staff = at;
}

// Hooks down or level: from the first system down, then from the first staff down.
void LocateDownward(ScoreSystem* first, int staves, int32_t y, ScoreSystem** system, int* staff) {
    ScoreSystem* s = first;
    while (s->next.get() != nullptr && y > StaffTop(s, LastShown(s, staves))) s = s->next.get();
    int at = FirstShown(s, staves);
    for (int next = NextShown(s, at, +1, staves); next != at && y > StaffTop(s, at);
         next = NextShown(s, at, +1, staves))
        at = next;
    *system = s;
    *staff = at;
}

int32_t SlotLeft(const ScoreView* view, const ScoreSystem* system, int slot) {
    return system->x + view->beatMap.slotX[BeatMapCell(system->number, slot)];
}

// The measure whose left barline is nearest x (a later one only when strictly nearer).
int NearestBarlineMeasure(const ScoreView* view, const ScoreSystem* system, int32_t x) {
    const int slots = system->lastMeasure - system->firstMeasure + 1;
    int best = 1;
    for (int slot = 2; slot <= slots && slot < kBeatMapSlots; ++slot)
        if (std::abs(SlotLeft(view, system, slot) - x) < std::abs(SlotLeft(view, system, best) - x)) best = slot;
    return system->firstMeasure + best - 1;
}

int MeasureAtOrLeftOf(const ScoreView* view, const ScoreSystem* system, int32_t x) {
    const int slots = system->lastMeasure - system->firstMeasure + 1;
    int found = 1;
    for (int slot = 2; slot <= slots && slot < kBeatMapSlots; ++slot)
        if (SlotLeft(view, system, slot) <= x) found = slot;
    return system->firstMeasure + found - 1;
}

}  // namespace

void LocateSpannerStart(ScoreObject* owner, LocationRecord* result, ScoreView* view,
                        const SpannerPoints& points) {
    *result = LocationRecord{};
    ScoreSystem* system = view->currentSystem;
    int staff = view->currentStaff, measure = view->currentMeasure;
    ScoreSystem* first = view->currentPage != nullptr ? view->currentPage->firstSystem.get() : nullptr;
    const int staves = view->document != nullptr ? view->document->header.staffCount : 0;
    const bool ending = owner != nullptr && owner->type == TypeCode(ObjectType::RepeatEnding);
    if (first != nullptr && staves > 0) {
        const bool hooksUp = points.p[3].y < points.p[2].y;
        if (hooksUp && !ending)
            LocateUpward(first, staves, points.p[3].y, &system, &staff);
        else
            LocateDownward(first, staves, points.p[3].y, &system, &staff);
        measure = ending ? NearestBarlineMeasure(view, system, points.p[1].x)
                         : MeasureAtOrLeftOf(view, system, points.p[1].x);
    }
    result->location.position = Ref32<ScoreSystem>::To(system).offset;
    result->location.staff = static_cast<uint8_t>(staff);
    result->location.measure = static_cast<uint16_t>(measure);
}

}  // namespace ql
