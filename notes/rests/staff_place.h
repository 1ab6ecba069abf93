// Where things of the view's current cell stand on the page, for the rest and
// accidental code: the x of tick 0 of the current measure slot (slot content start
// plus the system's x), the y of staff position 0 (the bottom line) of the current
// staff, and the view's zoom factor applied to or taken off a distance (used only
// when it is above 0, else the distance stays as it is).
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

// Logical units per staff step (line to adjacent space).
constexpr int32_t kUnitsPerStep = 64;

// MeasureSlotX of the view's current system and slot; 0 without a system.
int32_t CurrentSlotX(ScoreView* view);
// System y + the current staff's offset; the system's y when the staff has no entry,
// 0 without a system.
int32_t StaffBaseY(const ScoreView* view);
// v x the zoom factor, truncated toward zero, when the factor is above 0; else v.
int32_t Zoomed(const ScoreView* view, int32_t v);
// v / the zoom factor, truncated toward zero, when the factor is above 0; else v.
int32_t Unzoomed(const ScoreView* view, int32_t v);
// The y of a staff position on the current staff: StaffBaseY + Zoomed(position x 64).
int32_t PositionY(const ScoreView* view, int position);

// The outer lines of the current staff as positions (top is the smaller): for 5 or
// more lines the bottom line is 0 and the top -2(L - 1); for 2..4 lines -2 and -2L;
// one line (or none) stands at -4. Five lines when the view has no staff record.
struct StaffOuterLines {
    int top;
    int bottom;
};
StaffOuterLines OuterLinesOf(const ScoreView* view);

}  // namespace ql
