// Window timers and the layer's clock.
// A timer sends Timer (word = timer id) to its window each time its period passes
// on the layer's clock. In the headless backend the clock is virtual and moves
// only when a test advances it (win/headless.h). Timer messages are made when the
// queue of posted messages is empty, in order of due time; a timer whose Timer
// message is still waiting does not queue a second one.
#pragma once

#include <cstdint>

#include "platform/win/messages.h"

namespace ql::win {

// Milliseconds since the layer started (virtual in the headless backend).
uint64_t NowMilliseconds();

// Starts or restarts timer `id` of the window; the first Timer comes one period
// from now. A period of 0 is taken as 1 ms. False when the window is stale.
bool SetTimer(WindowHandle window, uint32_t id, uint32_t periodMs);
// Stops the timer and drops its Timer message if one is waiting. False when there
// was no such timer.
bool KillTimer(WindowHandle window, uint32_t id);

}  // namespace ql::win
