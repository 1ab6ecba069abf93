// The pointer of a mouse message in the view, and the auto-scroll at the window
// edge while the pointer is held there.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace ql {

struct ScoreView;

// Stores the pointer of a mouse message (x low word, y high word) in the view,
// converts it to logical units and updates the location.
void PointerToLogicalPoint(ScoreView* view, uint32_t packedPoint);

// Scrolls when the pointer is within 48 pixels of the window edge.
void AutoScrollAtEdge(ScoreView* view, platform::WindowHandle window, intptr_t data);

}  // namespace ql
