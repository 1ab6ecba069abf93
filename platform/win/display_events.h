// The desktop's display as the program hears of it. A change of the monitors (their
// number, size or resolution) sends DisplayChange to every top-level window, in the
// loop's thread. The loss of the display (the desktop session ended, the server
// gone) runs the program's last handler once: no window can be shown any more, and
// the backend ends the process with kDisplayLostExitCode right after it.
#pragma once

#include <functional>

namespace ql::win {

constexpr int kDisplayLostExitCode = 1;

// Sends DisplayChange to every top-level window (the backends call it; tests too).
void NotifyDisplayChange();

// What the program does when the display is lost; empty: nothing.
void SetDisplayLostHandler(std::function<void()> handler);
// Runs the handler the first time only; false when it had run before (a loss
// reported again while the handler ran).
bool NotifyDisplayLost();

}  // namespace ql::win
