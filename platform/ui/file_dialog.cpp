// File dialogs: the installed backend, or the test queue with its record.
#include "platform/ui/file_dialog.h"

#include <deque>

namespace ql::ui {
namespace {

struct FileDialogState {
    FileDialogBackend backend;
    std::deque<FileDialogAnswer> queued;
    std::vector<FileDialogRequest> shown;
};

FileDialogState& Dialogs() {
    static FileDialogState state;
    return state;
}

}  // namespace

FileDialogAnswer RunFileDialog(const FileDialogRequest& request) {
    FileDialogState& state = Dialogs();
    if (state.backend) return state.backend(request);
    state.shown.push_back(request);
    if (state.queued.empty()) return FileDialogAnswer{};
    FileDialogAnswer answer = std::move(state.queued.front());
    state.queued.pop_front();
    return answer;
}

void InstallFileDialogBackend(FileDialogBackend backend) {
    Dialogs().backend = std::move(backend);
}

namespace headless {

void QueueFileDialogAnswer(FileDialogAnswer answer) {
    Dialogs().queued.push_back(std::move(answer));
}

const std::vector<FileDialogRequest>& FileDialogs() {
    return Dialogs().shown;
}

void ResetFileDialogs() {
    Dialogs() = FileDialogState{};
}

}  // namespace headless
}  // namespace ql::ui
