// Scrolling a score view (module QLVIEW): the page view moves its origin by steps of
// logical units, the scroll view moves its strip by measures; the scroll bars'
// messages, and auto-scrolling while the pointer rests at the window's edge.
//
// A step is 512 logical units (256 with Ctrl held or latched); a request of more
// than one step is a page: the visible extent less a quarter, or less a half for a
// request of 4 (the scroll bars' page codes), which counts as one step. Steps are
// taken in multiples of 64 units at the view's staff scale. The origin never goes
// above or left of the page's corner (-30720), nor below the page's bottom - 512
// (in scroll view, below the current system's last staff).
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace ql {

struct ScoreView;

// Timer of auto-scrolling and its period.
constexpr uint32_t kAutoScrollTimer = 53;
constexpr uint32_t kAutoScrollPeriodMs = 100;
// Auto-scroll setting bit: scroll also while the pointer is outside the client area.
constexpr uint8_t kAutoScrollOutside = 0x02;
// Pixels from an edge within which the pointer scrolls the view.
constexpr int32_t kAutoScrollEdge = 8;

// The logical distance of a request of n steps on an axis whose visible extent is
// `visible` (0 for n = 0), at the view's staff scale.
int32_t ScrollDistance(const ScoreView* view, int steps, int32_t visible);

// Page view scrolling by steps (negative: up or left). Vertical also serves the
// scroll view's staves. True when the origin moved.
bool ScrollVertically(ScoreView* view, int steps);
bool ScrollHorizontally(ScoreView* view, int steps);
// The scroll view's strip by measures: +1/-1 a measure; 2 or more starts the strip
// at the measure that ended it; below -1 moves back by the strip's length.
void ScrollByMeasures(ScoreView* view, int steps);

// The scroll bars' messages (code and thumb position as the window gives them).
void HandleVerticalScroll(ScoreView* view, uint16_t code, int32_t position);
void HandleHorizontalScroll(ScoreView* view, uint16_t code, int32_t position);

// (Re)starts the auto-scroll timer of a window.
void StartAutoScrollTimer(platform::WindowHandle window);
// One auto-scroll tick at the pointer: scrolls one step toward an edge the pointer
// rests at (or lies beyond, with the outside bit) when the view can move that way.
// True when it scrolled.
bool AutoScrollStep(ScoreView* view, platform::WindowHandle window);

}  // namespace ql
