// File dialogs: the installed backend, or the test queue with its record; the
// folder of the last chosen file kept in the program's settings; filter parsing.
#include "platform/ui/file_dialog.h"

#include <deque>

#include "platform/sys/settings_store.h"

namespace ql::ui {
namespace {

namespace fs = std::filesystem;

struct FileDialogState {
    FileDialogBackend backend;
    std::deque<FileDialogAnswer> queued;
    std::vector<FileDialogRequest> shown;
};

FileDialogState& Dialogs() {
    static FileDialogState state;
    return state;
}

FileDialogAnswer AnswerFromQueue(const FileDialogRequest& request) {
    FileDialogState& state = Dialogs();
    state.shown.push_back(request);
    if (state.queued.empty()) return FileDialogAnswer{};
    FileDialogAnswer answer = std::move(state.queued.front());
    state.queued.pop_front();
    return answer;
}

void RememberFolderOf(const fs::path& chosen) {
    const fs::path folder = chosen.parent_path();
    if (folder.empty() || folder == LastFileDialogFolder()) return;
    sys::ProgramSettings().WriteText(kFileDialogSettingsSection, kLastFolderKey, folder.native());
}

std::string_view Trimmed(std::string_view text) {
    constexpr std::string_view kBlanks = " \t";
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::vector<std::string> SplitPatterns(std::string_view patterns) {
    std::vector<std::string> out;
    while (!patterns.empty()) {
        const size_t end = patterns.find(';');
        if (std::string_view one = Trimmed(patterns.substr(0, end)); !one.empty()) out.emplace_back(one);
        if (end == std::string_view::npos) break;
        patterns.remove_prefix(end + 1);
    }
    return out;
}

}  // namespace

std::vector<FileDialogFilter> ParseFileDialogFilter(std::string_view filter) {
    std::vector<FileDialogFilter> entries;
    for (;;) {
        const size_t labelEnd = filter.find('~');
        if (labelEnd == std::string_view::npos) break;
        const std::string_view label = filter.substr(0, labelEnd);
        filter.remove_prefix(labelEnd + 1);
        const size_t patternEnd = filter.find('~');
        std::vector<std::string> patterns = SplitPatterns(filter.substr(0, patternEnd));
        if (patterns.empty()) break;
        entries.push_back(FileDialogFilter{std::string(Trimmed(label)), std::move(patterns)});
        if (patternEnd == std::string_view::npos) break;
        filter.remove_prefix(patternEnd + 1);
    }
    return entries;
}

fs::path LastFileDialogFolder() {
    return sys::ProgramSettings().ReadText(kFileDialogSettingsSection, kLastFolderKey).value_or(std::string{});
}

FileDialogAnswer RunFileDialog(const FileDialogRequest& request) {
    FileDialogRequest shown = request;
    if (shown.initialFolder.empty()) shown.initialFolder = LastFileDialogFolder();
    FileDialogState& state = Dialogs();
    FileDialogAnswer answer = state.backend ? state.backend(shown) : AnswerFromQueue(shown);
    if (answer.status == FileDialogStatus::Chosen && !answer.path.empty()) RememberFolderOf(answer.path);
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
    sys::ProgramSettings().DeleteValue(kFileDialogSettingsSection, kLastFolderKey);
}

}  // namespace headless
}  // namespace ql::ui
