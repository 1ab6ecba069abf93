// The system's save-file and open-file dialogs. A dialog is described by its title,
// its filter ("~"-separated pairs of label and pattern), the default extension and
// the name it starts with; the answer is a chosen path, a cancel, or the reason the
// name was refused. A dialog without a folder of its own starts in the folder of the
// last file chosen, which the program's settings keep between runs. A backend (the
// desktop's file chooser) is installed at start-up; without one, tests answer the
// dialogs from a queue and every dialog is recorded.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ql::ui {

enum class FileDialogKind : uint8_t { Open = 0, Save = 1 };

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::string title;
    std::string filter;            // "label~pattern~label~pattern~~"
    int filterIndex = 1;           // 1-based
    std::string defaultExtension;  // without '.'
    std::filesystem::path initialName;
    std::filesystem::path initialFolder;  // empty: the dialog's own choice
};

enum class FileDialogStatus : uint8_t {
    Chosen = 0,
    Cancelled = 1,    // closed without a name and without an error
    InvalidName = 2,  // the typed name is not a valid file name
    NameTooLong = 3,  // the name does not fit the dialog's name limit
    Failed = 4,       // any other failure of the dialog
};

struct FileDialogAnswer {
    FileDialogStatus status = FileDialogStatus::Cancelled;
    std::filesystem::path path;  // the chosen name, or the refused one
};

// One entry of a dialog's filter: its label and its patterns ("*.xml;*.mxl").
struct FileDialogFilter {
    std::string label;
    std::vector<std::string> patterns;
};

// The entries of a "label~pattern~label~pattern~~" filter, labels trimmed; an entry
// without a pattern ends the list.
std::vector<FileDialogFilter> ParseFileDialogFilter(std::string_view filter);

// Where the settings keep the folder of the last file chosen in a file dialog.
inline constexpr char kFileDialogSettingsSection[] = "File Dialogs";
inline constexpr char kLastFolderKey[] = "LastFolder";
// The folder of the last file chosen (empty before the first).
std::filesystem::path LastFileDialogFolder();

using FileDialogBackend = std::function<FileDialogAnswer(const FileDialogRequest& request)>;

// Runs a file dialog through the installed backend, or answers it from the test
// queue (a cancel when the queue is empty).
FileDialogAnswer RunFileDialog(const FileDialogRequest& request);

// Installs the desktop's file chooser; an empty function goes back to the queue.
void InstallFileDialogBackend(FileDialogBackend backend);

namespace headless {

void QueueFileDialogAnswer(FileDialogAnswer answer);
// Every dialog run while no backend was installed, in order.
const std::vector<FileDialogRequest>& FileDialogs();
// Clears the queue, the record and the remembered folder and removes an installed
// backend.
void ResetFileDialogs();

}  // namespace headless
}  // namespace ql::ui
