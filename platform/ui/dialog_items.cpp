// Reading and writing any control of a dialog by id: text, numbers, enabled and
// shown state.
#include <cctype>
#include <charconv>

#include "platform/ui/control_state.h"

namespace ql::ui {
namespace {

// The digits of `text` with the blanks around them removed, and whether a '-'
// led them.
struct NumberText {
    std::string_view digits;
    bool negative = false;
};

std::optional<NumberText> SplitNumber(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    NumberText out;
    if (!text.empty() && text.front() == '-') {
        out.negative = true;
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    out.digits = text;
    return out;
}

}  // namespace

bool SetItemText(WindowHandle dialog, int32_t id, std::string_view text) {
    WindowHandle item = GetDialogItem(dialog, id);
    if (!win::SetWindowText(item, text)) return false;
    if (auto* edit = detail::StateOf<detail::EditState>(item)) {
        edit->selectionStart = edit->selectionEnd = 0;
        detail::NotifyParent(item, kEditChange);
    }
    return true;
}

std::string GetItemText(WindowHandle dialog, int32_t id) {
    return win::GetWindowText(GetDialogItem(dialog, id));
}

bool SetItemInt(WindowHandle dialog, int32_t id, int32_t value, bool isSigned) {
    std::string text = isSigned ? std::to_string(value) : std::to_string(static_cast<uint32_t>(value));
    return SetItemText(dialog, id, text);
}

std::optional<int32_t> GetItemInt(WindowHandle dialog, int32_t id) {
    std::string text = GetItemText(dialog, id);
    auto number = SplitNumber(text);
    if (!number) return std::nullopt;
    int64_t magnitude = 0;
    auto [end, error] = std::from_chars(number->digits.data(), number->digits.data() + number->digits.size(), magnitude);
    if (error != std::errc{} || end != number->digits.data() + number->digits.size()) return std::nullopt;
    int64_t value = number->negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

std::optional<uint32_t> GetItemUnsigned(WindowHandle dialog, int32_t id) {
    std::string text = GetItemText(dialog, id);
    auto number = SplitNumber(text);
    if (!number || number->negative) return std::nullopt;
    uint32_t value = 0;
    auto [end, error] = std::from_chars(number->digits.data(), number->digits.data() + number->digits.size(), value);
    if (error != std::errc{} || end != number->digits.data() + number->digits.size()) return std::nullopt;
    return value;
}

bool EnableItem(WindowHandle dialog, int32_t id, bool enable) {
    WindowHandle item = GetDialogItem(dialog, id);
    if (!item) return false;
    win::EnableWindow(item, enable);
    return true;
}

bool ShowItem(WindowHandle dialog, int32_t id, bool show) {
    WindowHandle item = GetDialogItem(dialog, id);
    if (!item) return false;
    win::ShowWindow(item, show ? win::ShowCommand::Show : win::ShowCommand::Hide);
    return true;
}

}  // namespace ql::ui
