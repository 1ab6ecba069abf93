// The driver a dialog script uses: reads controls and acts on them as a user
// would, refusing what a user could not reach (missing, hidden or disabled).
#include "platform/ui/control_state.h"
#include "platform/ui/headless.h"
#include "platform/ui/trackbar.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"

namespace ql::ui::headless {
namespace {

bool IsComboBox(WindowHandle w) { return win::HasClassName(w, kComboBoxClass); }
bool IsListBox(WindowHandle w) { return win::HasClassName(w, kListBoxClass); }

}  // namespace

WindowHandle DialogDriver::Item(int32_t id) const { return GetDialogItem(dialog_, id); }

std::string DialogDriver::Text(int32_t id) const { return GetItemText(dialog_, id); }
std::optional<int32_t> DialogDriver::Int(int32_t id) const { return GetItemInt(dialog_, id); }
bool DialogDriver::IsChecked(int32_t id) const { return IsItemChecked(dialog_, id); }
bool DialogDriver::IsEnabled(int32_t id) const { return win::IsWindowEnabled(Item(id)); }
bool DialogDriver::IsVisible(int32_t id) const { return win::IsWindowVisible(Item(id)); }

int32_t DialogDriver::Selection(int32_t id) const {
    WindowHandle w = Item(id);
    return IsComboBox(w) ? ComboGetSelection(w) : ListGetSelection(w);
}

bool DialogDriver::IsOpen() const {
    auto* s = detail::StateOf<detail::DialogState>(dialog_);
    return s && !s->ended && win::IsWindow(dialog_);
}

namespace {

// A control a user can reach: present, shown and enabled, in an open dialog.
WindowHandle Reachable(const DialogDriver& driver, int32_t id) {
    WindowHandle w = driver.Item(id);
    if (!driver.IsOpen() || !w || !win::IsWindowVisible(w) || !win::IsWindowEnabled(w)) return WindowHandle{};
    return w;
}

}  // namespace

bool DialogDriver::Type(int32_t id, std::string_view text) {
    WindowHandle w = Reachable(*this, id);
    if (!w || IsEditReadOnly(w) || !detail::StateOf<detail::EditState>(w)) return false;
    win::SetFocus(w);
    SelectAllEditText(w);
    return ReplaceEditSelection(w, text);
}

bool DialogDriver::Click(int32_t id) {
    WindowHandle w = Reachable(*this, id);
    return w && ClickButton(w);
}

bool DialogDriver::SetChecked(int32_t id, bool checked) {
    WindowHandle w = Reachable(*this, id);
    if (!w) return false;
    if ((GetButtonCheck(w) == CheckState::Checked) == checked) return true;
    return ClickButton(w);
}

bool DialogDriver::StepUpDown(int32_t id, int presses) {
    WindowHandle w = Reachable(*this, id);
    if (!w || !detail::StateOf<detail::UpDownState>(w)) return false;
    bool up = presses > 0;
    for (int i = 0; i < (up ? presses : -presses) && IsOpen(); ++i) PressUpDownArrow(w, up);
    return true;
}

bool DialogDriver::Select(int32_t id, int32_t index) {
    WindowHandle w = Reachable(*this, id);
    if (!w) return false;
    if (IsComboBox(w)) {
        detail::NotifyParent(w, kComboDroppedDown);
        if (ComboSetSelection(w, index) != index) return false;
        detail::NotifyParent(w, kComboSelectionChanged);
        detail::NotifyParent(w, kComboClosedUp);
        return true;
    }
    if (!IsListBox(w)) return false;
    bool multiple = (win::GetStyle(w) & kListMultipleSelection) != 0;
    bool done = multiple ? ListSetItemSelected(w, index, !ListIsItemSelected(w, index))
                         : ListSetSelection(w, index) == index;
    if (done && (win::GetStyle(w) & kListNotify)) detail::NotifyParent(w, kListSelectionChanged);
    return done;
}

bool DialogDriver::SelectByText(int32_t id, std::string_view text) {
    WindowHandle w = Item(id);
    int32_t count = IsComboBox(w) ? ComboGetCount(w) : ListGetCount(w);
    for (int32_t i = 0; i < count; ++i) {
        std::string item = IsComboBox(w) ? ComboGetItemText(w, i) : ListGetItemText(w, i);
        if (item == text) return Select(id, i);
    }
    return false;
}

bool DialogDriver::Scroll(int32_t id, win::ScrollCode code, int32_t position) {
    WindowHandle w = Reachable(*this, id);
    if (w && win::HasClassName(w, kTrackbarClass)) return MoveTrackbar(w, code, position);
    if (!w || !win::HasClassName(w, kScrollBarClass)) return false;
    bool vertical = (win::GetStyle(w) & kScrollBarVertical) != 0;
    auto message = vertical ? win::Message::VerticalScroll : win::Message::HorizontalScroll;
    win::SendMessage(dialog_, message, win::MakeScrollWord(code, position), win::HandleData(w));
    return true;
}

bool DialogDriver::Focus(int32_t id) {
    WindowHandle w = Reachable(*this, id);
    if (!w) return false;
    win::SetFocus(w);
    return win::GetFocus() == w;
}

bool DialogDriver::RequestHelp(int32_t id) {
    WindowHandle w = Item(id);
    if (!IsOpen() || !w) return false;
    win::Rect r = win::GetWindowRect(w);
    win::HelpInfo info;
    info.controlId = id;
    info.window = w;
    info.mouse = win::Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    win::SetCursorPosition(info.mouse);
    win::SendMessage(dialog_, win::Message::Help, 0, reinterpret_cast<intptr_t>(&info));
    return true;
}

bool DialogDriver::RequestDraw(int32_t id, uint32_t itemState, win::DrawAction action) {
    WindowHandle w = Item(id);
    if (!IsOpen() || !w || GetButtonKind(w) != kButtonOwnerDraw) return false;
    win::DrawItemInfo info;
    info.controlId = id;
    info.action = action;
    info.state = itemState;
    info.control = w;
    info.dc = win::GetWindowContext(w);
    info.rect = win::GetClientRect(w);
    intptr_t drawn = win::SendMessage(dialog_, win::Message::DrawItem, static_cast<uint32_t>(id),
                                      reinterpret_cast<intptr_t>(&info));
    win::ReleaseWindowContext(w, info.dc);
    return drawn != 0;
}

bool DialogDriver::PressEnter() { return IsOpen() && detail::PressDefaultButton(dialog_); }
bool DialogDriver::PressEscape() { return IsOpen() && detail::PressCancel(dialog_); }

bool DialogDriver::PumpMessages() {
    WindowHandle dialog = dialog_;
    win::MessageFilter filter = [dialog](const win::QueuedMessage& m) { return IsDialogMessage(dialog, m); };
    win::PumpResult result = win::PumpMessages(std::span<const win::MessageFilter>(&filter, 1));
    if (result.quit) win::PostQuitMessage(result.exitCode);
    return !result.quit;
}

}  // namespace ql::ui::headless
