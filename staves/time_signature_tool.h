// The time-signature tool: a click in a measure opens "Time Signature" there; the
// keypad + and - step the signature at the location, the upper number when the
// pointer is high on the staff, else the beat's note value.
#pragma once

#include "core/ui/tool_record.h"

#include <cstdint>


namespace ql {

inline constexpr char kTimeToolStatus[] = "Set Time signatures.  Click in a measure";

// The tool handler (actions: 0 select, 1 window message).
intptr_t TimeSignatureTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                           win::Message message, uint32_t word, intptr_t data);

}  // namespace ql
