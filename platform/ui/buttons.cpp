// Buttons: check state, radio groups and clicks.
// A radio group runs from a button with kStyleGroup (or the first control) up to
// the next control with kStyleGroup, in the dialog's tab order.
#include "platform/ui/control_state.h"
#include "platform/win/message_loop.h"

namespace ql::ui {
namespace {

using detail::ButtonState;
using detail::StateOf;

bool IsAutoRadio(WindowHandle w) {
    return StateOf<ButtonState>(w) && GetButtonKind(w) == kButtonAutoRadio;
}

// The siblings of `button` in its group, itself included.
std::vector<WindowHandle> GroupOf(WindowHandle button) {
    std::vector<WindowHandle> siblings = win::ChildWindows(win::GetParent(button));
    size_t index = 0;
    while (index < siblings.size() && siblings[index] != button) ++index;
    if (index == siblings.size()) return {button};  // a button without a parent
    size_t first = index;
    while (first > 0 && (win::GetStyle(siblings[first]) & win::kStyleGroup) == 0) --first;
    size_t last = index + 1;
    while (last < siblings.size() && (win::GetStyle(siblings[last]) & win::kStyleGroup) == 0) ++last;
    return std::vector<WindowHandle>(siblings.begin() + static_cast<long>(first),
                                     siblings.begin() + static_cast<long>(last));
}

}  // namespace

uint32_t GetButtonKind(WindowHandle button) { return win::GetStyle(button) & kButtonKindMask; }

bool SetButtonCheck(WindowHandle button, CheckState state) {
    auto* s = StateOf<ButtonState>(button);
    if (!s) return false;
    s->check = state;
    return true;
}

CheckState GetButtonCheck(WindowHandle button) {
    auto* s = StateOf<ButtonState>(button);
    return s ? s->check : CheckState::Unchecked;
}

bool CheckItem(WindowHandle dialog, int32_t id, bool checked) {
    return SetButtonCheck(GetDialogItem(dialog, id), checked ? CheckState::Checked : CheckState::Unchecked);
}

bool IsItemChecked(WindowHandle dialog, int32_t id) {
    return GetButtonCheck(GetDialogItem(dialog, id)) == CheckState::Checked;
}

bool CheckRadioButton(WindowHandle dialog, int32_t firstId, int32_t lastId, int32_t checkId) {
    if (!win::IsWindow(dialog)) return false;
    // Walks the controls, not the ids: a range may reach the largest id.
    for (WindowHandle control : win::ChildWindows(dialog)) {
        int32_t id = win::GetWindowId(control);
        if (id >= firstId && id <= lastId)
            SetButtonCheck(control, id == checkId ? CheckState::Checked : CheckState::Unchecked);
    }
    return true;
}

bool ClickButton(WindowHandle button) {
    auto* s = StateOf<ButtonState>(button);
    if (!s || !win::IsWindowEnabled(button) || !win::IsWindowVisible(button)) return false;
    uint32_t kind = GetButtonKind(button);
    if (kind == kButtonGroupBox) return false;
    if (kind == kButtonAutoCheckBox)
        s->check = s->check == CheckState::Checked ? CheckState::Unchecked : CheckState::Checked;
    if (kind == kButtonAutoRadio) {
        for (WindowHandle other : GroupOf(button))
            if (other != button && IsAutoRadio(other)) SetButtonCheck(other, CheckState::Unchecked);
        SetButtonCheck(button, CheckState::Checked);
    }
    detail::NotifyParent(button, kButtonClicked);
    return true;
}

}  // namespace ql::ui
