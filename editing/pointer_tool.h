// The Pointer tool (Main palette button 5): it selects and drags objects, and over
// empty paper draws the marquee. Escape in page view zooms so that the marquee's
// height fills the window.
#pragma once

#include <cstdint>

#include "editing/tools.h"

namespace ql {

// The Pointer button's ToolHandler: the standard binding with the marquee's type.
intptr_t PointerToolHandler(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                            win::Message message, uint32_t word, intptr_t data);

// Moves the page view's origin to the marquee's top-left corner (the old origin
// becomes the previous one) and zooms so that its height fills the window. A
// marquee less than 128 units high changes nothing. Always 0: the key goes on.
int ZoomToMarquee(ScoreView* view);

}  // namespace ql
