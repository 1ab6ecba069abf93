// The current slot's x, the current staff's base y and the zoom factor of a view.
#include "notes/rests/staff_place.h"

#include <cmath>
#include <limits>

#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"

namespace ql {

namespace {

constexpr int kFullStaffLines = 5;
constexpr int kFewestLinesOfRange = 2;
constexpr int kOneLinePosition = -4;

int32_t Truncated(double v) {
    constexpr double kLow = std::numeric_limits<int32_t>::min();
    constexpr double kHigh = std::numeric_limits<int32_t>::max();
    if (!(v >= kLow)) return std::numeric_limits<int32_t>::min();
    if (v > kHigh) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::trunc(v));
}

}  // namespace

int32_t CurrentSlotX(ScoreView* view) {
    if (view == nullptr || view->currentSystem == nullptr) return 0;
    return MeasureSlotX(view, view->currentSystem, view->currentSlot);
}

int32_t StaffBaseY(const ScoreView* view) {
    if (view == nullptr || view->currentSystem == nullptr) return 0;
    const ScoreSystem* system = view->currentSystem;
    const uint16_t* offsets = StaffOffsetsOf(system);
    const int staffCount = view->document != nullptr ? view->document->header.staffCount : 0;
    const int staff = view->currentStaff;
    if (offsets == nullptr || staff < 0 || staff > staffCount) return system->y;
    return system->y + offsets[staff];
}

int32_t Zoomed(const ScoreView* view, int32_t v) {
    const double factor = view != nullptr ? view->zoomFactor : 0.0;
    return factor > 0.0 ? Truncated(v * factor) : v;
}

int32_t Unzoomed(const ScoreView* view, int32_t v) {
    const double factor = view != nullptr ? view->zoomFactor : 0.0;
    return factor > 0.0 ? Truncated(v / factor) : v;
}

int32_t PositionY(const ScoreView* view, int position) {
    return StaffBaseY(view) + Zoomed(view, position * kUnitsPerStep);
}

StaffOuterLines OuterLinesOf(const ScoreView* view) {
    int lines = kFullStaffLines;
    if (view != nullptr && view->currentStaffRecord != nullptr)
        lines = StaffLineCount(*view->currentStaffRecord);
    if (lines >= kFullStaffLines) return {-2 * (lines - 1), 0};
    if (lines >= kFewestLinesOfRange) return {-2 * lines, -2};
    return {kOneLinePosition, kOneLinePosition};
}

}  // namespace ql
