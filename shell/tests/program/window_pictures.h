// Pictures of the program's windows for its tests (headless and on the display):
// a fingerprint of what a window shows, and the dark pixels of its image.
#pragma once

#include <climits>
#include <cstdint>

#include "platform/handles.h"

namespace ql::testing {

// A fingerprint of the window's image (0 when it has none).
uint64_t WindowImageHash(platform::WindowHandle window);

// The pixels of the window's image darker than 96 in every channel, in the
// columns from `left` up to (not including) `right`; -1 when it has no image.
int DarkWindowPixels(platform::WindowHandle window, int left = 0, int right = INT_MAX);

// The pixels of the window's picture, once the paints it waits for are done, that a
// full repaint of the window then changes: what earlier drawing left on the screen
// that no invalidation took away. -1 when it has no image.
int PixelsAFullRepaintChanges(platform::WindowHandle window);

}  // namespace ql::testing
