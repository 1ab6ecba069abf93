// Letting the display catch up in the program's display tests: the layer's
// messages, the backend's refresh of the widgets, and GTK's and the X server's
// pending work, a few rounds over.
#pragma once

namespace ql::testing {

void SettleDisplay();

}  // namespace ql::testing
