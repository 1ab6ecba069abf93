// Internal hooks between the message loop, timers and painting: making the
// Timer messages of due timers and the next Paint message.
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

}  // namespace ql::win::detail
