// Test controls of the headless window backend.
#include "platform/win/headless.h"

#include "platform/win/headless_backend.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/message_queue.h"
#include "platform/win/window_model.h"

namespace ql::win::headless {

void ResetWindowLayer() {
    detail::ResetModel();
    detail::Queue().Clear();
    InstallBackend(nullptr);
}

void AdvanceClock(uint64_t milliseconds) {
    if (detail::HeadlessBackend* backend = detail::Headless()) backend->Advance(milliseconds);
}

void SetKeyDown(Key key, bool down) {
    if (detail::HeadlessBackend* backend = detail::Headless()) backend->SetKeyDown(key, down);
}

void PostKeyStroke(WindowHandle window, Key key, uint32_t character) {
    PostMessage(window, Message::KeyDown, static_cast<uint32_t>(key), 1);
    if (character != 0) PostMessage(window, Message::Char, character, 1);
    PostMessage(window, Message::KeyUp, static_cast<uint32_t>(key), 1);
}

void PostMouse(WindowHandle window, Message message, Point client, uint32_t flags) {
    bool press = message == Message::LeftButtonDown || message == Message::RightButtonDown ||
                 message == Message::MiddleButtonDown;
    if (press) ActivateMdiChildOf(window);
    if (IsKeyDown(Key::Shift)) flags |= kMouseShift;
    if (IsKeyDown(Key::Control)) flags |= kMouseControl;
    PostMessage(window, message, flags, PackPoint(client));
}

std::vector<Point> PointerWarps() {
    detail::HeadlessBackend* backend = detail::Headless();
    return backend != nullptr ? backend->Warps() : std::vector<Point>{};
}

size_t PendingMessageCount() { return detail::Queue().Size(); }

void SetScreenSize(Size size) {
    if (detail::HeadlessBackend* backend = detail::Headless()) backend->SetScreenSize(size);
}

}  // namespace ql::win::headless
