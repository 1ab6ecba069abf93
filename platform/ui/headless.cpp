// Test controls of the headless user-interface backend.
#include "platform/ui/headless.h"

#include "platform/ui/headless_ui_backend.h"
#include "platform/ui/mdi_frame.h"
#include "platform/ui/menu.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "platform/ui/ui_model.h"

namespace ql::ui::headless {
namespace {

template <typename T>
const std::vector<T>& RecordsOr(const std::vector<T> detail::HeadlessUiBackend::*member) {
    static const std::vector<T> kNone;
    detail::HeadlessUiBackend* backend = detail::HeadlessUi();
    return backend ? backend->*member : kNone;
}

}  // namespace

void SetDialogScript(const sys::ResourceId& templateId, DialogScript script) {
    detail::HeadlessUiBackend* backend = detail::HeadlessUi();
    if (!backend) return;
    if (script)
        backend->scripts[templateId] = std::move(script);
    else
        backend->scripts.erase(templateId);
}

namespace {

// The popups from `menu` down to the one holding `command`, outermost first;
// empty when no item has it.
std::vector<platform::MenuHandle> PathTo(platform::MenuHandle menu, int32_t command) {
    for (int32_t i = 0; i < GetMenuItemCount(menu); ++i) {
        platform::MenuHandle sub = GetSubmenu(menu, i);
        if (!sub) continue;
        bool here = false;
        for (int32_t j = 0; j < GetMenuItemCount(sub) && !here; ++j) here = GetMenuItemCommand(sub, j) == command;
        if (here) return {sub};
        std::vector<platform::MenuHandle> inner = PathTo(sub, command);
        if (!inner.empty()) {
            inner.insert(inner.begin(), sub);
            return inner;
        }
    }
    return {};
}

}  // namespace

bool ChooseMenuCommand(WindowHandle owner, int32_t command) {
    platform::MenuHandle bar = win::GetWindowMenu(owner);
    if (!IsMenu(bar)) return false;
    // The window menu's list as it will show once opened.
    if (WindowHandle client = win::FindMdiClient(owner)) UpdateMdiWindowMenu(client);
    std::vector<platform::MenuHandle> path = PathTo(bar, command);
    if (path.empty()) return false;
    NotifyMenuBarEntered(owner);
    for (platform::MenuHandle popup : path) NotifyPopupOpening(owner, popup);
    if (!detail::IsChoosable(path.back(), command)) return false;
    win::PostMessage(owner, win::Message::Command, win::MakeCommandWord(static_cast<uint32_t>(command), 0), 0);
    return true;
}

void QueueMessageBoxAnswer(int result) {
    if (auto* backend = detail::HeadlessUi()) backend->boxAnswers.push_back(result);
}

void QueuePopupMenuChoice(int32_t command) {
    if (auto* backend = detail::HeadlessUi()) backend->popupChoices.push_back(command);
}

const std::vector<MessageBoxRecord>& MessageBoxes() { return RecordsOr(&detail::HeadlessUiBackend::boxes); }
const std::vector<BeepKind>& Beeps() { return RecordsOr(&detail::HeadlessUiBackend::beeps); }
const std::vector<StatusTextRecord>& StatusTexts() { return RecordsOr(&detail::HeadlessUiBackend::statusTexts); }
const std::vector<DialogRecord>& Dialogs() { return RecordsOr(&detail::HeadlessUiBackend::dialogs); }
const std::vector<PopupMenuRecord>& PopupMenus() { return RecordsOr(&detail::HeadlessUiBackend::popups); }

int OpenDialogDepth() { return detail::Ui().modalDepth; }

void ResetUi() {
    detail::ResetUiModel();
    InstallUiBackend(nullptr);
}

}  // namespace ql::ui::headless
