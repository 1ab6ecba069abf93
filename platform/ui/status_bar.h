// The status bar: a child control along the bottom of a frame, split into parts
// whose right edges are given in pixels (-1 reaches the right end). Each part
// holds a text and a drawing style (plain, pop-out, no borders). The headless
// backend records every text set, in order (ui/headless.h).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/handles.h"

namespace ql::ui {

using platform::WindowHandle;

constexpr char kStatusBarClass[] = "StatusBar";
// Class style bits of the bar.
constexpr uint32_t kStatusBarSizeGrip = 0x0100;
constexpr uint32_t kStatusBarAtBottom = 0x0003;
// At most this many parts.
constexpr int kStatusBarMaxParts = 256;

enum class StatusTextStyle : uint8_t { Plain = 0, NoBorders = 1, PopOut = 2 };

// Creates the bar as a child of `parent` with the given window style (kStyleChild
// is added), the first part's text, and control id `id`. Null on failure.
WindowHandle CreateStatusBar(WindowHandle parent, uint32_t style, std::string_view text, int32_t id);

// Sets the parts; false when the window is not a status bar or the count is
// 0 or above kStatusBarMaxParts. Texts of parts that remain are kept.
bool SetStatusBarParts(WindowHandle bar, std::span<const int32_t> rightEdges);
std::vector<int32_t> GetStatusBarParts(WindowHandle bar);
// False when the part does not exist or the window is not a status bar.
bool SetStatusBarText(WindowHandle bar, int part, std::string_view text,
                      StatusTextStyle style = StatusTextStyle::Plain);
std::string GetStatusBarText(WindowHandle bar, int part);
StatusTextStyle GetStatusBarTextStyle(WindowHandle bar, int part);
// Height of the bar in pixels.
int32_t GetStatusBarHeight(WindowHandle bar);

}  // namespace ql::ui
