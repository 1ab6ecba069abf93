// Send, post, the quit message and the message loop.
// Messages are taken in this order: posted messages (first in, first out), then a
// Paint for the first visible window with an invalid area, then the Timer
// messages of timers now due. A Paint whose procedure did not validate the window
// validates it afterwards, so a procedure that draws nothing cannot make the loop
// spin; an area invalidated while the procedure ran stays and is painted next.
#include "platform/win/message_loop.h"

#include "platform/win/backend.h"
#include "platform/win/input.h"
#include "platform/win/activation.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/post_ring.h"
#include "platform/win/timer_queue.h"
#include "platform/win/window.h"
#include "platform/win/window_model.h"

namespace ql::win {
namespace {

bool IsDeliverable(const QueuedMessage& m) {
    return m.message == Message::Quit || IsWindow(m.window);
}

bool NextMessage(QueuedMessage& out, bool wait) {
    for (;;) {
        detail::DrainPostRings();
        while (detail::Queue().Take(out))
            if (IsDeliverable(out)) return true;
        if (detail::TakePaintMessage(out)) return true;
        if (detail::QueueDueTimers()) continue;
        if (!wait) return false;
        CurrentBackend().WaitForWork(detail::NextTimerDue());
    }
}

void Deliver(const QueuedMessage& message, std::span<const MessageFilter> filters) {
    uint64_t paintStarted = message.message == Message::Paint ? detail::StartPaint(message.window) : 0;
    bool taken = false;
    for (const MessageFilter& filter : filters)
        if (filter && filter(message)) {
            taken = true;
            break;
        }
    if (!taken) {
        DispatchMessage(message);
        return;
    }
    // A Paint a filter took counts as painted as well.
    if (message.message == Message::Paint) detail::FinishPaint(message.window, paintStarted);
}

}  // namespace

intptr_t SendMessage(WindowHandle window, Message message, uint32_t word, intptr_t data) {
    detail::WindowRecord* record = detail::FindWindow(window);
    if (!record) return 0;
    std::shared_ptr<const WindowProc> procedure = record->procedure;  // survives destruction
    return (*procedure)(window, message, word, data);
}

bool PostMessage(WindowHandle window, Message message, uint32_t word, intptr_t data) {
    if (!window) return false;
    detail::Queue().Post(QueuedMessage{window, message, word, data});
    WakeCurrentBackend();
    return true;
}

void PostQuitMessage(int32_t exitCode) {
    detail::Queue().Post(QueuedMessage{WindowHandle{}, Message::Quit, static_cast<uint32_t>(exitCode), 0});
    WakeCurrentBackend();
}

void RemovePendingMessages(WindowHandle window, Message message) {
    detail::DrainPostRings();
    detail::Queue().RemoveIf(
        [&](const QueuedMessage& m) { return m.window == window && m.message == message; });
}

bool GetMessage(QueuedMessage& out) {
    NextMessage(out, true);
    return out.message != Message::Quit;
}

bool PeekMessage(QueuedMessage& out) { return NextMessage(out, false); }

intptr_t DispatchMessage(const QueuedMessage& message) {
    if (message.message == Message::Quit) return 0;
    bool paint = message.message == Message::Paint;
    uint64_t paintStarted = paint ? detail::StartPaint(message.window) : 0;
    // The window under the pointer chooses the cursor before it hears of the move.
    if (message.message == Message::MouseMove)
        SendSetCursor(message.window, UnpackPoint(message.data), message.message);
    intptr_t result = SendMessage(message.window, message.message, message.word, message.data);
    if (paint) detail::FinishPaint(message.window, paintStarted);
    return result;
}

int32_t RunMessageLoop(std::span<const MessageFilter> filters) {
    QueuedMessage message;
    while (GetMessage(message)) Deliver(message, filters);
    return static_cast<int32_t>(message.word);
}

PumpResult PumpMessages(std::span<const MessageFilter> filters) {
    PumpResult result;
    QueuedMessage message;
    while (PeekMessage(message)) {
        if (message.message == Message::Quit) {
            result.quit = true;
            result.exitCode = static_cast<int32_t>(message.word);
            break;
        }
        Deliver(message, filters);
        ++result.dispatched;
    }
    return result;
}

}  // namespace ql::win
