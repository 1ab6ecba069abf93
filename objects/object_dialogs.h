// Dialog procedures and tool handlers of score objects that other parts of the
// program run directly.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;
struct ToolRecord;

// Dialog 862, run by the text-properties dialog.
intptr_t SetImageDialogProc(platform::WindowHandle dialog, win::Message message, uint32_t word,
                            intptr_t data);

// Tool handler of the "Tuplets..." tool (the ToolHandler protocol).
intptr_t TupletToolHandler(ScoreView* view, int action, ToolRecord* record,
                           platform::WindowHandle window, win::Message message, uint32_t word,
                           intptr_t data);

}  // namespace ql
