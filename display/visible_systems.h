// What of its page a view shows: the vertical band inside which a staff counts as
// shown, which systems and staves of the page reach into it, and which measure slots
// of a system lie inside the visible width. The painter clips a paint with these, and
// the selection engine collects the handles of what is shown with the same rules.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

// A vertical band in logical units, top <= bottom.
struct StaffBand {
    int32_t top = 0;
    int32_t bottom = 0;
};

// The band around a vertical extent inside which a staff is drawn at all: 2048 units
// above it (never above the logical origin) to 1024 below it (at most the logical
// maximum), so that a staff whose notes reach into the extent is taken.
StaffBand StaffBandAround(int32_t top, int32_t bottom);

// Whether some shown staff of the view's current system reaches into the band: from
// the top of the first shown staff to the line of the last one.
bool CurrentSystemInBand(ScoreView* view, const StaffBand& band);

// Whether a staff's line (its system's y plus the staff's offset) lies inside the band,
// in the view's current system.
bool StaffLineInBand(ScoreView* view, int staff, const StaffBand& band);

// The measure slots of the view's current system whose extent meets the x range
// [left, right): first and last, 0 and 0 when none does. A slot whose extent the beat
// map does not give (no width) counts as inside.
struct SlotRange {
    int first = 0;
    int last = 0;
};
SlotRange SlotsInRange(ScoreView* view, int32_t left, int32_t right);

}  // namespace ql
