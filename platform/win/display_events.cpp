// The display's change and loss (see display_events.h).
#include "platform/win/display_events.h"

#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::win {
namespace {

struct DisplayLoss {
    std::function<void()> handler;
    bool reported = false;
};

DisplayLoss& Loss() {
    static DisplayLoss loss;
    return loss;
}

}  // namespace

void NotifyDisplayChange() {
    for (WindowHandle window : TopLevelWindows())
        if (IsWindow(window)) SendMessage(window, Message::DisplayChange);
}

void SetDisplayLostHandler(std::function<void()> handler) {
    Loss() = DisplayLoss{std::move(handler), false};
}

bool NotifyDisplayLost() {
    DisplayLoss& loss = Loss();
    if (loss.reported) return false;
    loss.reported = true;
    if (loss.handler) loss.handler();
    return true;
}

}  // namespace ql::win
