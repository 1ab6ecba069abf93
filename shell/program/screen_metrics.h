// The screen as the program reads it from the frame's context: pixels per logical
// inch, the horizontal resolution and the screen class (small, medium or wide).
// Read once the frame exists, and again after each display change (a new monitor,
// resolution or scale).
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace ql {

struct ScreenInfo {
    int32_t dpiX = 0;
    int32_t dpiY = 0;
    int32_t horizontalResolution = 0;
    int32_t screenClass = 0;  // ScreenClassOf(horizontalResolution)
};

// 2 above 800 pixels across, 1 above 640, else 0.
int32_t ScreenClassOf(int32_t horizontalResolution);

// Reads the screen from the frame's context; false (nothing changed) without one.
bool ReadScreenMetrics(platform::WindowHandle frame);
// The screen as last read (zeros before the first reading).
const ScreenInfo& ProgramScreen();
void ResetProgramScreen();

}  // namespace ql
