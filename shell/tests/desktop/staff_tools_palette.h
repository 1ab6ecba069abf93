// The palettes as a scenario finds them: a window by its exact title, and a button
// of the Staff Tools palette pressed the way a user reaches it (Staff Tools on the
// Main palette, then the button in the palette's grid).
#pragma once

#include <optional>
#include <string_view>

#include "shell/tests/desktop/desktop_session.h"

namespace ql::desktop {

// Buttons of the Staff Tools palette, in its grid's order (three columns).
inline constexpr int kEditStaffButton = 0;
inline constexpr int kMeasureRulerButton = 1;
inline constexpr int kClefButton = 3;
inline constexpr int kKeyButton = 4;
inline constexpr int kTimeSignatureButton = 5;
inline constexpr int kStaffLabelButton = 6;

// Opens Staff Tools from the Main palette and presses its button `index`; false when
// a palette is not there.
bool PressStaffToolsButton(XSession& x, int index);

}  // namespace ql::desktop
