// The geometry of the frame's client area: the main bar docked on one edge, the
// document client in the rest, and the position readout at the right end of the
// menu bar. The pure functions compute rectangles from sizes; LayoutFrameClient
// applies them to the frame's windows.
#pragma once

#include <cstdint>

#include "platform/gfx/types.h"

namespace ql {

enum class DockSide : uint8_t { Top = 0, Left = 1, Bottom = 2, Right = 3 };

// Palette button sizes ("Use Small Palettes" switches between them).
constexpr int32_t kSmallPaletteButton = 24;
constexpr int32_t kLargePaletteButton = 36;
// The readout window's width, and how far left of the client's corner it sits.
constexpr int32_t kReadoutWidth = 74;
constexpr int32_t kReadoutFrameOffset = 74;
constexpr int32_t kReadoutMinimizedOffset = 54;
// Below this client height a move of the frame leaves the readout where it is.
constexpr int32_t kReadoutMinimumClientHeight = 62;

struct FrameLayoutInput {
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    int32_t statusHeight = 0;  // 0 when the status bar is off
    int32_t barThickness = 0;
    int32_t border = 0;        // the width of one window border
    int32_t toolSize = kLargePaletteButton;
    DockSide dock = DockSide::Top;
};

struct FrameLayout {
    gfx::Rect bar;     // left, top, right, bottom in the frame's client
    gfx::Rect client;  // the document client
    int32_t usableHeight = 0;
};

FrameLayout ComputeFrameLayout(const FrameLayoutInput& in);

// "Use Small Palettes": 36 becomes 24, any other size 36.
int32_t ToggledPaletteButtonSize(int32_t size);

// The readout window's screen rectangle from the client's top-right corner (in
// screen coordinates), the menu-bar and border heights; `minimized` moves it by
// the shorter offset.
gfx::Rect PlaceReadoutWindow(gfx::Point clientTopRight, int32_t menuBarHeight, int32_t border,
                             bool minimized);

// Recomputes and moves the bar, the document client and the status bar of the
// program's frame; nothing without a frame.
void LayoutFrameClient();

}  // namespace ql
