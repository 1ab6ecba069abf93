// The band, system and slot tests of what a view shows (see visible_systems.h).
#include "display/visible_systems.h"

#include <algorithm>

#include "core/constants.h"
#include "display/painter.h"
#include "display/painter_internal.h"
#include "display/system_drawing_internal.h"

namespace ql {

StaffBand StaffBandAround(int32_t top, int32_t bottom) {
    const int64_t above = static_cast<int64_t>(top) - kBandAbove;
    const int64_t below = static_cast<int64_t>(bottom) + kBandBelow;
    return StaffBand{static_cast<int32_t>(std::max<int64_t>(above, kLogicalOrigin)),
                     static_cast<int32_t>(std::min<int64_t>(below, kLogicalMax))};
}

bool CurrentSystemInBand(ScoreView* view, const StaffBand& band) {
    sysdraw::Grid grid;
    if (!OpenGrid(view, &grid)) return false;
    int firstShown = 1;
    int lastShown = 1;
    painter::ShownStaffRange(view, grid.system, &firstShown, &lastShown);
    const int64_t top =
        int64_t{sysdraw::StaffY(grid, firstShown)} - sysdraw::StaffHeight(grid, firstShown);
    const int64_t bottom = sysdraw::StaffY(grid, lastShown);
    return top <= band.bottom && bottom >= band.top;
}

bool StaffLineInBand(ScoreView* view, int staff, const StaffBand& band) {
    sysdraw::Grid grid;
    if (!OpenGrid(view, &grid)) return false;
    const int32_t y = sysdraw::StaffY(grid, staff);
    return y >= band.top && y <= band.bottom;
}

SlotRange SlotsInRange(ScoreView* view, int32_t left, int32_t right) {
    sysdraw::Grid grid;
    SlotRange range;
    if (!OpenGrid(view, &grid)) return range;
    const int last = std::max(1, sysdraw::LastSlot(grid));
    for (int slot = 1; slot <= last; ++slot) {
        const int32_t start = sysdraw::SlotLeftX(grid, slot);
        // The last slot reaches to the system's end, wherever the map puts the next one.
        const int32_t end = slot < last ? sysdraw::SlotLeftX(grid, slot + 1) : kLogicalMax;
        const bool inside = end <= start || (start < right && end > left);
        if (!inside) continue;
        if (range.first == 0) range.first = slot;
        range.last = slot;
    }
    return range;
}

}  // namespace ql
