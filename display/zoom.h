// Zoom of a score view (module QLVIEW): levels 2 to 128 (a staff space is `zoom`
// device pixels on screen), stepping in and out, the previous level, the four
// program-wide quick-zoom slots and the zoom readout in the status bar. SetZoom
// itself is declared in display/view_modes.h.
//
// Stepping: the step is 1 below zoom 8, 2 from 8 to 12, half the zoom from 13 on
// (2 while Alt is held); Ctrl halves it (at least 1). An odd result of 7 or more
// moves one further the same way, so levels from 8 on are even: in from 6 gives
// 8, 10, 12, 14, 22; zoom 7 is reached only through SetZoom.
#pragma once

#include <cstdint>
#include <string>

namespace ql {

struct ScoreView;

constexpr int32_t kMinZoom = 2;
constexpr int32_t kMaxZoom = 128;

// The lowest zoom the view's pages allow: 200 / the smallest staff size percent shown
// on the current page or any later one (at least kMinZoom).
int32_t LowestZoomOfPages(const ScoreView* view);
// The zoom one step in (direction > 0) or out (< 0) from `zoom`, with Alt and Ctrl
// as given; `zoom` itself when stepping out from below 3.
int32_t SteppedZoom(int32_t zoom, int direction, bool alt, bool ctrl);
// One step in or out, around the pointer in page view.
void StepZoom(ScoreView* view, int direction);
// SetZoom around the pointer (page view) or the origin (scroll view).
void ZoomAtPointer(ScoreView* view, int32_t zoom);
// Swaps the scroll origin with the saved one and returns to the previous level.
void PreviousZoomLevel(ScoreView* view);
// A quick zoom slot with its stored origin too (see ApplyQuickZoom).
constexpr int kQuickOriginSlotBase = 100;
// Slot k (0..3): the stored zoom; k + 100: the stored origin and zoom. An unset
// origin (0, 0) reads as (-30720, -30720). Out-of-range slots do nothing.
void ApplyQuickZoom(ScoreView* view, int slot);
// Stores the view's zoom and scroll origin into slot 0..3.
void SetQuickZoom(ScoreView* view, int slot);
// The readout "Zoom level %d (%ld DPI)" (level z - 1 below 8, else (z - 8) / 2 + 6;
// DPI a multiple of 5), and writing it into status-bar part 1.
std::string ZoomStatusText(const ScoreView* view);
void ShowZoomStatus(ScoreView* view);

}  // namespace ql
