// The Notes palette popped up under the pointer by a right click with the Notes or
// the articulation tool, so that a value is chosen where the user is working; the
// palette hides itself again after the choice.
#pragma once

#include "core/ui/tool_services.h"

namespace ql {

struct ScoreView;

// Shows the Notes palette centred on the pointer as a pop-up.
void PopUpNotePalette();
// HideCursorAndPopUpNotePalette, which erases the view's note cursor first, is in
// core/ui/tool_services.h.

}  // namespace ql
