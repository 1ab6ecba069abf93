// The Notes tool's handler (Main palette button 1, and the Notes palette's value
// buttons): it arms note entry, hands the view's messages to the Notes tool's keys
// and to the shared mouse processing, and passes them to the Notes palette's own
// tools (note heads, dots, tuplets, accidentals) while one of those is current.
#pragma once

#include <cstdint>

#include "editing/tools.h"

namespace ql {

intptr_t NotesToolHandler(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                          win::Message message, uint32_t word, intptr_t data);

}  // namespace ql
