// Error reports and the emergency copy. The report text is built exactly as the
// program has always shown it ("%s %s\n%s: %s\n", then the path, the value, the
// module tag and line); only the second opening text changes when the copy could
// not be saved, so the user is never told a file exists that does not.
#include "core/error_report.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/core_strings.h"
#include "core/model/document_context.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/services/file_services.h"
#include "core/ui/modal_boxes.h"
#include "core/state.h"
#include "core/undo/autosave.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

constexpr char kDataFolderName[] = "quaverline";
constexpr char kWriteProbeName[] = ".AUTOERR.probe";
constexpr int kWriteProbeAttempts = 8;

// printf into a std::string (the formats here are the program's fixed ones).
template <typename... Args>
std::string Printf(const char* format, Args... args) {
    int length = std::snprintf(nullptr, 0, format, args...);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

// A folder is writable when a file can be created in it. The probe is created
// exclusively, under a name that is not taken yet, so that a file of the user's
// that happens to carry the probe's name is never truncated or removed.
bool IsFolderWritable(const fs::path& folder) {
    std::error_code error;
    if (folder.empty() || !fs::is_directory(folder, error)) return false;
    for (int attempt = 0; attempt < kWriteProbeAttempts; ++attempt) {
        fs::path probe = folder / (kWriteProbeName + std::to_string(attempt));
        std::FILE* file = std::fopen(probe.c_str(), "wbx");
        if (file != nullptr) {
            std::fclose(file);
            fs::remove(probe, error);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

fs::path ProgramDataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    fs::path base;
    if (xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        base = fs::path(home) / ".local" / "share";
    } else {
        base = fs::current_path();
    }
    fs::path folder = base / kDataFolderName;
    std::error_code error;
    fs::create_directories(folder, error);
    return folder;
}

// Writes the document to its emergency copy in autosave mode; the document's path
// and change counter are as before afterwards. Non-zero on success.
int WriteEmergencyCopy(ScoreDocument& document, ScoreView* view, std::string* pathOut) {
    const ScopedDocumentContext context(&document);
    std::string target = EmergencyCopyPath(document);
    if (pathOut != nullptr) *pathOut = target;
    FileFlags& files = State().files;
    std::string keptPath = document.path;
    uint16_t keptCounter = document.changeCounter;
    uint8_t keptAutoSaving = files.AutoSaving;
    document.path = target;
    files.AutoSaving = 1;
    int saved = files::SaveScoreFile(&document, view);
    files.AutoSaving = keptAutoSaving;
    document.path = keptPath;
    document.changeCounter = keptCounter;  // the score stays modified
    return saved;
}

std::string BuildInternalErrorReport(const std::string& path, bool saved, const char* module,
                                     int line, uintptr_t pointer) {
    std::string opening = ProgramString(kStrErrorOccurredIn);
    std::string savedAs = ProgramString(saved ? kStrFileSavedAs : kStrFileNotSavedAs);
    std::string product = ProgramString(kStrProductCaption);
    std::string exitAdvice = ProgramString(kStrExitAdvice);
    std::string first = Printf("%s %s\n%s: %s\n", opening.c_str(), savedAs.c_str(), product.c_str(),
                               exitAdvice.c_str());
    std::string memoryError = ProgramString(kStrMemoryError);
    std::string reportNumbers = ProgramString(kStrReportNumbers);
    std::string contact = ProgramString(kStrSupportContact);
    return Printf("%s%s.\n\n   %s(%lx)  [%s].%d\n\n%s\n%s", first.c_str(), path.c_str(),
                  memoryError.c_str(), static_cast<unsigned long>(pointer),
                  module != nullptr ? module : "", line, reportNumbers.c_str(), contact.c_str());
}

bool ScoreFileBusy() {
    const FileFlags& files = State().files;
    return files.ScoreFileReading != 0 || files.ScoreFileWriting != 0;
}

}  // namespace

int ErrorBox(std::string_view text) {
    std::string caption = ProgramString(kStrProductCaption);
    return ModalMessageBox(text, caption, ui::kBoxIconStop);
}

void PlayAlertBeep(uint32_t type) {
    ui::Beep(ui::BeepKindOfStyle(type));
}

std::string EmergencyCopyPath(const ScoreDocument& document) {
    fs::path folder = fs::path(document.path).parent_path();
    if (!IsFolderWritable(folder)) folder = ProgramDataFolder();
    std::error_code error;
    fs::path absolute = fs::absolute(folder / kEmergencyFileName, error);
    const std::string copy = error ? (folder / kEmergencyFileName).string() : absolute.lexically_normal().string();
    // A score opened from an earlier emergency copy keeps its file.
    return CopyPathApartFrom(copy, document.path);
}

int SaveEmergencyCopy(ScoreView* view, std::string* pathOut) {
    // Counting the report first lets a writer that is running now notice it.
    ++State().files.EmergencySaveActive;
    if (ScoreFileBusy()) return 0;
    if (view == nullptr || view->document == nullptr) return 0;
    return WriteEmergencyCopy(*view->document, view, pathOut);
}

int InternalError(const char* module, int line, uintptr_t pointer) {
    ++State().files.EmergencySaveActive;
    if (ScoreFileBusy()) return 1;
    DocumentGlobals& documents = State().documents;
    if (documents.CurrentDocument == nullptr) return 1;
    std::string path;
    // The current document may be one a window is painting, not the active one:
    // its copy is written with a view of its own.
    ScoreDocument& document = *documents.CurrentDocument;
    int saved = WriteEmergencyCopy(document, ViewShowing(&document), &path);
    ErrorBox(BuildInternalErrorReport(path, saved != 0, module, line, pointer));
    return 1;
}

}  // namespace ql
