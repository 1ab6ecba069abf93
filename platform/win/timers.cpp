// Window timers on the layer's clock.
// A due timer queues one Timer message and its next due time moves past now by
// whole periods: periods missed while its message waited are not made up.
#include <algorithm>

#include "platform/win/backend.h"
#include "platform/win/message_queue.h"
#include "platform/win/timer_queue.h"
#include "platform/win/timers.h"
#include "platform/win/window.h"
#include "platform/win/window_model.h"

namespace ql::win {
namespace {

using detail::Model;
using detail::TimerRecord;

bool IsTimerMessage(const QueuedMessage& m, WindowHandle window, uint32_t id) {
    return m.message == Message::Timer && m.window == window && m.word == id;
}

TimerRecord* EarliestDue(uint64_t now) {
    TimerRecord* best = nullptr;
    for (TimerRecord& t : Model().timers) {
        if (t.due > now) continue;
        if (!best || t.due < best->due || (t.due == best->due && t.serial < best->serial)) best = &t;
    }
    return best;
}

}  // namespace

uint64_t NowMilliseconds() { return CurrentBackend().Now(); }

bool SetTimer(WindowHandle window, uint32_t id, uint32_t periodMs) {
    if (!IsWindow(window)) return false;
    uint32_t period = std::max<uint32_t>(periodMs, 1);
    uint64_t due = NowMilliseconds() + period;
    for (TimerRecord& t : Model().timers)
        if (t.window == window && t.id == id) {
            t.period = period;
            t.due = due;
            return true;
        }
    Model().timers.push_back(TimerRecord{window, id, period, due, ++Model().timerSerial});
    return true;
}

bool KillTimer(WindowHandle window, uint32_t id) {
    auto& timers = Model().timers;
    auto found = std::find_if(timers.begin(), timers.end(),
                              [&](const TimerRecord& t) { return t.window == window && t.id == id; });
    if (found == timers.end()) return false;
    timers.erase(found);
    detail::Queue().RemoveIf([&](const QueuedMessage& m) { return IsTimerMessage(m, window, id); });
    return true;
}

namespace detail {

bool QueueDueTimers() {
    uint64_t now = NowMilliseconds();
    bool queued = false;
    while (TimerRecord* t = EarliestDue(now)) {
        WindowHandle window = t->window;
        uint32_t id = t->id;
        bool waiting = Queue().Contains([&](const QueuedMessage& m) { return IsTimerMessage(m, window, id); });
        if (!waiting) {
            Queue().Post(QueuedMessage{window, Message::Timer, id, 0});
            queued = true;
        }
        uint64_t missed = (now - t->due) / t->period + 1;
        t->due += missed * t->period;
    }
    return queued;
}

std::optional<uint64_t> NextTimerDue() {
    std::optional<uint64_t> next;
    for (const TimerRecord& t : Model().timers)
        if (!next || t.due < *next) next = t.due;
    return next;
}

}  // namespace detail
}  // namespace ql::win
