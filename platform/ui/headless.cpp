// Test controls of the headless user-interface backend.
#include "platform/ui/headless.h"

#include "platform/ui/headless_ui_backend.h"
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
