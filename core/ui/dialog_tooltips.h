// The tooltips of dialogs: a tooltip window of a dialog and the fixed texts of its
// controls (the palettes' own tooltip window is made with the palettes).
#pragma once

#include "platform/handles.h"

namespace ql {

// Creates a tooltip control for a dialog; adds a tool with a text to a control.
platform::WindowHandle AddDialogTooltip(platform::WindowHandle dialog);
bool AddDialogTooltipText(platform::WindowHandle tooltip, platform::WindowHandle dialog,
                          int controlId, const char* text);

}  // namespace ql
