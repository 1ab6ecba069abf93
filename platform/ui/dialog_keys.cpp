// The keyboard of dialogs: Enter presses the default button, Escape presses
// Cancel, Tab moves the focus to the next tab-stop control, F1 asks the dialog for
// help about the focused control; and the hook that
// gives a modeless dialog the messages of its windows.
#include "platform/ui/control_state.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"
#include "platform/win/message_loop.h"

namespace ql::ui {
namespace {

bool CanPress(WindowHandle button) { return win::IsWindowEnabled(button) && win::IsWindowVisible(button); }

WindowHandle DefaultPushButton(WindowHandle dialog) {
    for (WindowHandle c : win::ChildWindows(dialog, {.className = kButtonClass, .visibleOnly = false}))
        if (GetButtonKind(c) == kButtonDefaultPush) return c;
    return WindowHandle{};
}

void MoveFocusToNextTabStop(WindowHandle dialog, bool backwards) {
    std::vector<WindowHandle> stops;
    for (WindowHandle c : win::ChildWindows(dialog, {.className = {}, .visibleOnly = true}))
        if ((win::GetStyle(c) & win::kStyleTabStop) && win::IsWindowEnabled(c)) stops.push_back(c);
    if (stops.empty()) return;
    size_t current = stops.size();
    for (size_t i = 0; i < stops.size(); ++i)
        if (stops[i] == win::GetFocus()) current = i;
    size_t next = current == stops.size() ? 0
                  : backwards             ? (current + stops.size() - 1) % stops.size()
                                          : (current + 1) % stops.size();
    win::SetFocus(stops[next]);
}

// F1: the dialog is asked for help about the control that has the focus, with the
// pointer where it stands (a control under the pointer gets its own topic).
void RequestHelp(WindowHandle dialog) {
    win::HelpInfo info;
    const WindowHandle focus = win::GetFocus();
    if (focus && win::IsChild(dialog, focus)) {
        info.window = focus;
        info.controlId = win::GetWindowId(focus);
    } else {
        info.window = dialog;
    }
    info.mouse = win::GetCursorPosition();
    win::SendMessage(dialog, win::Message::Help, 0, reinterpret_cast<intptr_t>(&info));
}

}  // namespace

namespace detail {

bool PressDefaultButton(WindowHandle dialog) {
    if (WindowHandle button = DefaultPushButton(dialog)) return ClickButton(button);
    WindowHandle ok = GetDialogItem(dialog, kIdOk);
    if (ok && !CanPress(ok)) return false;
    win::SendMessage(dialog, win::Message::Command, win::MakeCommandWord(kIdOk, kButtonClicked), win::HandleData(ok));
    return true;
}

bool PressCancel(WindowHandle dialog) {
    WindowHandle cancel = GetDialogItem(dialog, kIdCancel);
    if (cancel && !CanPress(cancel)) return false;
    win::SendMessage(dialog, win::Message::Command, win::MakeCommandWord(kIdCancel, kButtonClicked),
                     win::HandleData(cancel));
    return true;
}

}  // namespace detail

bool IsDialogMessage(WindowHandle dialog, const win::QueuedMessage& message) {
    if (!win::IsWindow(dialog) || (message.window != dialog && !win::IsChild(dialog, message.window))) return false;
    if (message.message == win::Message::KeyDown) {
        auto key = static_cast<win::Key>(message.word);
        bool multiLineEdit = IsEditMultiLine(message.window);
        if (key == win::Key::Enter && !multiLineEdit) {
            detail::PressDefaultButton(dialog);
            return true;
        }
        if (key == win::Key::Escape) {
            detail::PressCancel(dialog);
            return true;
        }
        if (key == win::Key::Tab) {
            MoveFocusToNextTabStop(dialog, win::IsKeyDown(win::Key::Shift));
            return true;
        }
        if (key == win::Key::F1) {
            RequestHelp(dialog);
            return true;
        }
    }
    win::DispatchMessage(message);
    return true;
}

}  // namespace ql::ui
