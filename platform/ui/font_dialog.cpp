// Font dialogs: the installed backend, or the test queue with its record.
#include "platform/ui/font_dialog.h"

#include <deque>

namespace ql::ui {
namespace {

struct FontDialogState {
    FontDialogBackend backend;
    std::deque<FontDialogAnswer> queued;
    std::vector<FontDialogRequest> shown;
};

FontDialogState& Dialogs() {
    static FontDialogState state;
    return state;
}

FontDialogAnswer AnswerFromQueue(const FontDialogRequest& request) {
    FontDialogState& state = Dialogs();
    state.shown.push_back(request);
    if (state.queued.empty()) return FontDialogAnswer{};
    FontDialogAnswer answer = std::move(state.queued.front());
    state.queued.pop_front();
    return answer;
}

}  // namespace

FontDialogAnswer RunFontDialog(const FontDialogRequest& request) {
    FontDialogState& state = Dialogs();
    FontDialogAnswer answer = state.backend ? state.backend(request) : AnswerFromQueue(request);
    if (answer.status == FontDialogStatus::Chosen && (answer.font.face.empty() || answer.font.points < 1))
        return FontDialogAnswer{};
    return answer;
}

void InstallFontDialogBackend(FontDialogBackend backend) {
    Dialogs().backend = std::move(backend);
}

namespace headless {

void QueueFontDialogAnswer(FontDialogAnswer answer) {
    Dialogs().queued.push_back(std::move(answer));
}

const std::vector<FontDialogRequest>& FontDialogs() {
    return Dialogs().shown;
}

void ResetFontDialogs() {
    Dialogs() = FontDialogState{};
}

}  // namespace headless
}  // namespace ql::ui
