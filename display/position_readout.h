// The position readout beside the menu bar: the text it shows (the location under
// the pointer while editing, the measure played while a run plays) and the window
// that shows it. ShowPositionReadout (display/view_location.h) sets the text.
#pragma once

#include <string>

#include "platform/handles.h"

namespace ql {

// The readout's text.
std::string& PositionReadoutText();
// The readout window (made by the frame); repainted when the text changes.
platform::WindowHandle& PositionReadoutWindow();

}  // namespace ql
