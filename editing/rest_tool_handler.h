// The rest tool: the Notes palette's value buttons while the palette shows rests.
// The Notes tool hands it every call but deselection; it arms the Rest type with
// the value of the palette's chosen button, so that a click places that rest.
#pragma once

#include <cstdint>

#include "editing/tools.h"

namespace ql {

intptr_t RestToolHandler(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                         win::Message message, uint32_t word, intptr_t data);

}  // namespace ql
