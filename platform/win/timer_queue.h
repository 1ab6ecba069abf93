// Internal hooks between the message loop, timers and painting: making the
// Timer messages of due timers and the next Paint message, and ending a Paint.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/win/messages.h"

namespace ql::win::detail {

// Queues a Timer message for each timer now due, in order of due time; true when
// it queued any. A timer whose message is still waiting queues none.
bool QueueDueTimers();
// The earliest due time of any timer.
std::optional<uint64_t> NextTimerDue();
// A Paint for the first visible window (parents before children, in creation
// order) with an invalid area.
bool TakePaintMessage(QueuedMessage& out);
// Bracket the delivery of a Paint: FinishPaint takes the window as painted (so
// a handler that draws nothing cannot make the loop spin) unless it was
// invalidated after StartPaint, by the handler itself (another frame) or by
// anything it called; that area stays invalid and is painted next.
uint64_t StartPaint(WindowHandle window);
void FinishPaint(WindowHandle window, uint64_t started);

}  // namespace ql::win::detail
