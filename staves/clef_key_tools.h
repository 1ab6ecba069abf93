// The clef and key tools of the Staff Tools palette: a click in a measure places a
// clef change or a key signature there (through its dialog), the Up and Down
// arrows and the keypad + and - step the clef or key at the location, F1 goes to
// the focused object; while a clef change is dragged each mouse move redraws the
// linked views; everything else is the standard object tool's.
#pragma once

#include "core/ui/tool_record.h"

#include <cstdint>


namespace ql {

inline constexpr char kClefToolStatus[] = "Set clefs.  Click in a measure";
inline constexpr char kKeyToolStatus[] = "Set Key signatures.  Click in a measure";

// Tool handlers (the ToolHandler protocol of core/ui/tool_record.h).
intptr_t ClefTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                  win::Message message, uint32_t word, intptr_t data);
intptr_t KeyTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                 win::Message message, uint32_t word, intptr_t data);

}  // namespace ql
