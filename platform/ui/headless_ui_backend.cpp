// The headless user-interface backend: answers boxes and popups from the test's
// queues, runs dialog scripts, and records what the program showed.
#include "platform/ui/headless_ui_backend.h"

#include <algorithm>

#include "platform/ui/control_state.h"
#include "platform/ui/ui_model.h"

namespace ql::ui::detail {
namespace {

bool IsOpen(WindowHandle dialog) {
    auto* s = StateOf<DialogState>(dialog);
    return s && !s->ended;
}

}  // namespace

int HeadlessUiBackend::ShowMessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                                      uint32_t style) {
    BoxButtons buttons = ButtonsOfStyle(style);
    headless::MessageBoxRecord record{owner, std::string(text), std::string(caption), style, buttons.results[0], false};
    if (!boxAnswers.empty()) {
        int answer = boxAnswers.front();
        boxAnswers.pop_front();
        const int* first = buttons.results;
        const int* end = first + buttons.count;
        if (std::find(first, end, answer) != end)
            record.result = answer;
        else
            record.answerRefused = true;
    }
    boxes.push_back(record);
    return record.result;
}

void HeadlessUiBackend::RunModalLoop(WindowHandle dialog, const sys::ResourceId& templateId) {
    headless::DialogDriver driver(dialog);
    if (IsOpen(dialog)) driver.PumpMessages();
    auto found = scripts.find(templateId);
    if (found != scripts.end() && IsOpen(dialog)) {
        headless::DialogScript script = found->second;  // the script may replace itself
        script(driver);
    }
    // What the script's last actions posted reaches the dialog before it is let go.
    if (IsOpen(dialog)) driver.PumpMessages();
    if (IsOpen(dialog)) driver.PressEscape();
    if (IsOpen(dialog)) EndDialog(dialog, kDialogFailed);
}

void HeadlessUiBackend::ModalDialogEnded(const sys::ResourceId& templateId, intptr_t result) {
    dialogs.push_back(headless::DialogRecord{templateId, Ui().modalDepth + 1, result});
}

int32_t HeadlessUiBackend::TrackPopupMenu(platform::MenuHandle popup, win::Point screen, WindowHandle) {
    int32_t chosen = 0;
    if (!popupChoices.empty()) {
        chosen = popupChoices.front();
        popupChoices.pop_front();
        if (!IsChoosable(popup, chosen)) chosen = 0;
    }
    popups.push_back(headless::PopupMenuRecord{popup, screen, chosen});
    return chosen;
}

void HeadlessUiBackend::StatusTextChanged(WindowHandle bar, int part, std::string_view text, StatusTextStyle style) {
    statusTexts.push_back(headless::StatusTextRecord{bar, part, std::string(text), style});
}

}  // namespace ql::ui::detail
