// The window classes of controls, dialogs and the status bar, and the
// procedures that give each control its state and its user-input behaviour.
#include <cstdio>

#include "platform/ui/backend.h"
#include "platform/ui/control_state.h"
#include "platform/ui/tooltips.h"
#include "platform/ui/trackbar.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"

namespace ql::ui::detail {
namespace {

using win::Message;

constexpr uint32_t kFirstPrintable = 0x20;
constexpr uint32_t kLastEightBitCharacter = 0xFF;
constexpr uint32_t kBackspaceCharacter = 0x08;
constexpr uint32_t kReturnCharacter = 0x0D;
constexpr size_t kNumberTextSize = 16;
constexpr int32_t kHexBase = 16;

template <typename T>
intptr_t WithState(WindowHandle w, Message m, uint32_t word, intptr_t data) {
    if (m == Message::Create) win::SetWindowExtension(w, std::make_unique<T>());
    return win::DefaultWindowProc(w, m, word, data);
}

// An owner-drawn button paints by asking its parent to draw it.
void PaintOwnerDrawn(WindowHandle button) {
    win::PaintInfo paint;
    win::DrawItemInfo item;
    item.controlId = win::GetWindowId(button);
    item.state = win::IsWindowEnabled(button) ? 0 : win::kItemStateDisabled;
    item.control = button;
    item.dc = win::BeginPaint(button, paint);
    item.rect = win::GetClientRect(button);
    win::SendMessage(win::GetParent(button), Message::DrawItem, static_cast<uint32_t>(item.controlId),
                     reinterpret_cast<intptr_t>(&item));
    win::EndPaint(button, paint);
}

// The press or release of an owner-drawn button that reports them: a selection
// change sent to the parent, with no context to draw in.
void NotifyOwnerDrawnPress(WindowHandle button, bool pressed) {
    win::DrawItemInfo item;
    item.controlId = win::GetWindowId(button);
    item.action = win::DrawAction::Select;
    item.state = pressed ? win::kItemStateSelected : 0;
    item.control = button;
    item.rect = win::GetClientRect(button);
    win::SendMessage(win::GetParent(button), Message::DrawItem, static_cast<uint32_t>(item.controlId),
                     reinterpret_cast<intptr_t>(&item));
}

bool ReportsPress(WindowHandle button) {
    return GetButtonKind(button) == kButtonOwnerDraw && (win::GetStyle(button) & kButtonNotifyPress) != 0;
}

intptr_t ButtonProc(WindowHandle w, Message m, uint32_t word, intptr_t data) {
    if (m == Message::MouseMove) TooltipPointerOnTool(w);
    if (m == Message::LeftButtonDown || m == Message::RightButtonDown) TooltipPointerPressed(w);
    if (m == Message::Paint && GetButtonKind(w) == kButtonOwnerDraw) {
        PaintOwnerDrawn(w);
        return 0;
    }
    if (ReportsPress(w) && (m == Message::LeftButtonDown || m == Message::RightButtonDown)) {
        win::SendMessage(win::GetParent(w), Message::ParentNotify, win::ToRaw(m),
                         static_cast<intptr_t>(w.bits));
        if (m == Message::RightButtonDown || !win::IsWindow(w)) return 0;
    }
    if (ReportsPress(w) && (m == Message::LeftButtonDown || m == Message::LeftButtonUp)) {
        const bool pressed = m == Message::LeftButtonDown;
        NotifyOwnerDrawnPress(w, pressed);
        if (!pressed && win::IsWindow(w)) ClickButton(w);
        return 0;
    }
    if (m == Message::LeftButtonUp || (m == Message::KeyUp && word == static_cast<uint32_t>(win::Key::Space))) {
        ClickButton(w);
        return 0;
    }
    return WithState<ButtonState>(w, m, word, data);
}

void TypeCharacter(WindowHandle edit, uint32_t character) {
    if (character == kBackspaceCharacter) {
        EditSelection s = GetEditSelection(edit);
        if (s.start == s.end && s.start > 0) SelectEditText(edit, s.start - 1, s.end);
        ReplaceEditSelection(edit, "");
    } else if (character == kReturnCharacter) {
        if (IsEditMultiLine(edit)) ReplaceEditSelection(edit, "\n");
    } else if (character >= kFirstPrintable && character <= kLastEightBitCharacter) {
        char text[2] = {static_cast<char>(character), 0};
        ReplaceEditSelection(edit, text);
    }
}

intptr_t EditProc(WindowHandle w, Message m, uint32_t word, intptr_t data) {
    switch (m) {
        case Message::SetFocus:
            NotifyParent(w, kEditSetFocus);
            return 0;
        case Message::KillFocus:
            NotifyParent(w, kEditKillFocus);
            return 0;
        case Message::Char:
            TypeCharacter(w, word);
            return 0;
        default:
            return WithState<EditState>(w, m, word, data);
    }
}

intptr_t ComboProc(WindowHandle w, Message m, uint32_t word, intptr_t data) {
    if (m == Message::SetFocus) NotifyParent(w, kComboSetFocus);
    if (m == Message::KillFocus) NotifyParent(w, kComboKillFocus);
    return WithState<ItemListState>(w, m, word, data);
}

// A trackbar tells its parent when the pointer moves over it (ParentNotify with the
// message and the trackbar), so that the parent may name what it controls.
intptr_t TrackbarProc(WindowHandle w, Message m, uint32_t word, intptr_t data) {
    if (m == Message::MouseMove && win::GetParent(w))
        win::SendMessage(win::GetParent(w), Message::ParentNotify, win::ToRaw(m), win::HandleData(w));
    return WithState<TrackbarState>(w, m, word, data);
}

intptr_t StatusBarProc(WindowHandle w, Message m, uint32_t word, intptr_t data) {
    if (m == Message::Create) {
        auto state = std::make_unique<StatusBarState>();
        std::string text = win::GetWindowText(w);
        state->parts[0].text = text;
        win::SetWindowExtension(w, std::move(state));
        // The first part's text is shown (and recorded) like any text set later.
        if (!text.empty()) CurrentUiBackend().StatusTextChanged(w, 0, text, StatusTextStyle::Plain);
        return 0;
    }
    return win::DefaultWindowProc(w, m, word, data);
}

intptr_t DialogWindowProc(WindowHandle w, Message m, uint32_t word, intptr_t data) {
    auto* state = StateOf<DialogState>(w);
    DialogProc procedure = state ? state->procedure : DialogProc{};  // the state may die in the call
    if (m == Message::InitDialog) return procedure ? procedure(w, m, word, data) : 1;
    if (procedure) {
        intptr_t answer = procedure(w, m, word, data);
        if (answer != 0) return answer;
    }
    if (m == Message::Close) {
        win::SendMessage(w, Message::Command, win::MakeCommandWord(kIdCancel, kButtonClicked), 0);
        return 0;
    }
    return win::DefaultWindowProc(w, m, word, data);
}

// Controls show the arrow, edits the text beam.
void Register(const char* name, win::WindowProc procedure, win::SystemCursor cursor = win::SystemCursor::Arrow) {
    if (win::IsClassRegistered(name)) return;
    win::WindowClass cls;
    cls.name = name;
    cls.procedure = std::move(procedure);
    cls.cursor = win::LoadSystemCursor(cursor);
    win::RegisterWindowClass(cls);
}

}  // namespace

void EnsureControlClasses() {
    Register(kButtonClass, ButtonProc);
    Register(kEditClass, EditProc, win::SystemCursor::IBeam);
    Register(kStaticClass, win::DefaultWindowProc);
    Register(kScrollBarClass, win::DefaultWindowProc);
    Register(kUpDownClass, WithState<UpDownState>);
    Register(kComboBoxClass, ComboProc);
    Register(kListBoxClass, WithState<ItemListState>);
    Register(kProgressBarClass, WithState<ProgressState>);
    Register(kTrackbarClass, TrackbarProc);
    Register(kStatusBarClass, StatusBarProc);
    Register(kDialogClass, DialogWindowProc);
}

void NotifyParent(WindowHandle control, uint32_t code) {
    WindowHandle parent = win::GetParent(control);
    if (!parent) return;
    auto id = static_cast<uint32_t>(win::GetWindowId(control));
    win::SendMessage(parent, Message::Command, win::MakeCommandWord(id, code), win::HandleData(control));
}

std::string FormatUpDownNumber(int32_t value, int32_t base) {
    if (base != kHexBase) return std::to_string(value);
    char text[kNumberTextSize];
    std::snprintf(text, sizeof text, "0x%X", static_cast<uint32_t>(value));
    return text;
}

}  // namespace ql::ui::detail

namespace ql::ui {

void RegisterControlClasses() {
    detail::EnsureControlClasses();
}

}  // namespace ql::ui
