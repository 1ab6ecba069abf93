// The text-entry control's window procedure (see text_entry_procedure.h).
#include "display/text_entry_procedure.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/text/charset_text.h"
#include "display/clipboard_charset.h"
#include "display/input_locale.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/edit_charset.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using platform::WindowHandle;

// The one subclassed control: its dialog, id, the notification told after a paste,
// and the procedure it had.
struct Subclass {
    WindowHandle control;
    WindowHandle dialog;
    int32_t id = 0;
    uint32_t notificationCode = 0;
    win::WindowProc previous;
};

Subclass& Current() {
    static Subclass subclass;
    return subclass;
}

void Paste(WindowHandle edit, intptr_t data) {
    const auto* given = reinterpret_cast<const std::string*>(data);
    const std::string text = given != nullptr ? *given : ReadClipboardUtf8(edit).value_or("");
    // A control with a font of its own holds text of the font's set; otherwise the
    // text is taken in the set of the clipboard's locale (the input language's).
    const std::optional<ui::ControlFont> font = ui::GetEditFont(edit);
    PasteTextInCharset(edit, text, font ? font->charset : ResolveClipboardLocale(0).charset);
    const Subclass& subclass = Current();
    if (subclass.control == edit && subclass.dialog && subclass.notificationCode != 0)
        win::PostMessage(subclass.dialog, win::Message::Command,
                         win::MakeCommandWord(static_cast<uint32_t>(subclass.id), subclass.notificationCode),
                         win::HandleData(edit));
}

// True while the registered control lives with the procedure (a window layer started
// again may give its handle to a new window).
bool IsHeld(const Subclass& subclass) {
    return subclass.control && win::IsWindow(subclass.control) && win::HasOwnProcedure(subclass.control);
}

}  // namespace

uint8_t EntryCharset(WindowHandle edit) {
    const std::optional<ui::ControlFont> font = ui::GetEditFont(edit);
    return font ? font->charset : CurrentInputLocale().charset;
}

bool SubclassTextEntryControl(WindowHandle dialog, int32_t id, uint32_t notificationCode) {
    Subclass& subclass = Current();
    if (IsHeld(subclass)) return false;
    const WindowHandle control = ui::GetDialogItem(dialog, id);
    if (!control) return false;
    win::WindowProc previous = win::SetWindowProcedure(control, TextEntryWindowProc);
    if (!previous) return false;
    subclass = Subclass{control, dialog, id, notificationCode, std::move(previous)};
    ui::SetEditCharset(control, EntryCharset(control));
    return true;
}

WindowHandle SubclassedTextEntryControl() {
    const Subclass& subclass = Current();
    return IsHeld(subclass) ? subclass.control : WindowHandle{};
}

intptr_t TextEntryWindowProc(WindowHandle window, win::Message message, uint32_t word, intptr_t data) {
    Subclass& subclass = Current();
    // A copy: the registration ends on Destroy while the procedure still runs.
    const win::WindowProc previous = subclass.control == window ? subclass.previous : win::WindowProc{};
    switch (message) {
        case win::Message::InputMethodResult:
            if (data != 0)
                InsertInputMethodResult(window, *reinterpret_cast<const std::u16string*>(data),
                                        EntryCharset(window));
            return 1;
        case win::Message::Paste:
            Paste(window, data);
            return 1;
        case win::Message::InputLanguageChange:
            SetInputLocale(word, data);
            ui::SetEditCharset(window, EntryCharset(window));
            break;
        case win::Message::Destroy:
            if (subclass.control == window) {
                if (previous) win::SetWindowProcedure(window, previous);
                subclass = Subclass{};
            }
            break;
        default:
            break;
    }
    return previous ? previous(window, message, word, data) : win::DefaultWindowProc(window, message, word, data);
}

}  // namespace ql
