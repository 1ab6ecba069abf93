// Tools and palettes (modules TOOLPAL, TOOLICON, Pagers): arming and binding
// tools, the shared mouse processing of every tool, palettes and the page band
// (the calls the layers below make are in core/ui/tool_services.h).
#pragma once

#include <cstdint>

#include "core/ui/tool_services.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

// Tool handlers of palette entries 7 (note heads) and 8 (dots).
intptr_t NoteHeadsToolHandler(ScoreView* view, int action, ToolRecord* record,
                              platform::WindowHandle window, win::Message message, uint32_t word,
                              intptr_t data);
intptr_t ToggleDotsToolHandler(ScoreView* view, int action, ToolRecord* record,
                               platform::WindowHandle window, win::Message message, uint32_t word,
                               intptr_t data);

}  // namespace ql
