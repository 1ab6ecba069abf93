// Installing the desktop entry, the MIME types and the icons for the user.
#include "shell/program/instance_desktop.h"

#include <cstdlib>
#include <span>
#include <string_view>
#include <system_error>

#include "platform/sys/atomic_file.h"
#include "platform/sys/folders.h"
#include "platform/sys/run_program.h"

namespace ql {
namespace {

// A file of the program's desktop folder and where it goes under a data folder.
struct DesktopFile {
    std::string_view source;
    std::string_view target;
};
constexpr DesktopFile kEntryFiles[] = {
    {"quaverline.desktop.in", "applications/quaverline.desktop"}};
constexpr DesktopFile kMimeFiles[] = {{"quaverline.xml", "mime/packages/quaverline.xml"}};
constexpr DesktopFile kIconFiles[] = {
    {"icons/hicolor/scalable/apps/quaverline.svg", "icons/hicolor/scalable/apps/quaverline.svg"},
    {"icons/hicolor/scalable/mimetypes/application-x-quaverline-score.svg",
     "icons/hicolor/scalable/mimetypes/application-x-quaverline-score.svg"},
    {"icons/hicolor/scalable/mimetypes/application-x-niff.svg",
     "icons/hicolor/scalable/mimetypes/application-x-niff.svg"}};

constexpr std::string_view kExecMark = "@EXEC@";
constexpr char kDefaultUserData[] = ".local/share";
constexpr char kDefaultSystemData[] = "/usr/local/share:/usr/share";
// The desktop files are small; anything larger is not ours.
constexpr size_t kMaxDesktopFileBytes = 256 * 1024;
constexpr char kMimeUpdater[] = "update-mime-database";
constexpr char kDesktopUpdater[] = "update-desktop-database";

// Characters an Exec argument may hold without quotes.
bool IsPlainExecCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("/._+-,").find(c) != std::string_view::npos;
}

// An argument as an Exec key holds it: quoted when needed, with '"', '`', '$' and
// '\' escaped inside the quotes, then '\' doubled and '%' doubled for the key.
std::string ExecArgument(const std::string& argument) {
    bool plain = !argument.empty();
    for (const char c : argument) plain = plain && IsPlainExecCharacter(c);
    if (plain) return argument;
    std::string quoted = "\"";
    for (const char c : argument) {
        if (std::string_view("\"`$\\").find(c) != std::string_view::npos) quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string out;
    for (const char c : quoted) {
        if (c == '\\' || c == '%') out += c;
        out += c;
    }
    return out;
}

// Whether any data folder has the set's first file.
bool IsSetPresent(std::span<const DesktopFile> set, const std::filesystem::path& user) {
    std::vector<std::filesystem::path> folders = SystemDataFolders();
    folders.push_back(user);
    std::error_code error;
    for (const std::filesystem::path& folder : folders)
        if (std::filesystem::exists(folder / set.front().target, error)) return true;
    return false;
}

// Copies the set into the user's folder (the entry with its program filled in);
// true when every file was written.
bool InstallSet(std::span<const DesktopFile> set, const std::filesystem::path& user,
                ShellTypesResult& result) {
    const std::filesystem::path source = sys::ProgramFolder() / kDesktopFilesFolder;
    for (const DesktopFile& file : set) {
        sys::FileReadResult read = sys::ReadWholeFile(source / file.source, kMaxDesktopFileBytes);
        if (read.status != sys::FileReadStatus::Read) return false;
        if (file.source.ends_with(".desktop.in"))
            read.bytes = DesktopEntryText(read.bytes, sys::ProgramFolder() / kProgramExecutable);
        const std::filesystem::path target = user / file.target;
        std::error_code error;
        std::filesystem::create_directories(target.parent_path(), error);
        if (error || sys::WriteFileAtomically(target, read.bytes)) return false;
        result.written.push_back(target);
    }
    return true;
}

bool RunUpdater(const char* tool, const std::filesystem::path& folder) {
    return sys::RunProgramAndWait(tool, {folder.string()}) == 0;
}

}  // namespace

std::filesystem::path UserDataFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
        return data;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home == nullptr ? "/" : home) / kDefaultUserData;
}

std::vector<std::filesystem::path> SystemDataFolders() {
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string_view rest = dirs != nullptr && dirs[0] != '\0' ? dirs : kDefaultSystemData;
    std::vector<std::filesystem::path> folders;
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (!folder.empty() && folder.front() == '/') folders.emplace_back(folder);
    }
    return folders;
}

std::string DesktopEntryText(const std::string& entryTemplate,
                             const std::filesystem::path& executable) {
    std::string text = entryTemplate;
    const size_t mark = text.find(kExecMark);
    if (mark != std::string::npos)
        text.replace(mark, kExecMark.size(), ExecArgument(executable.string()));
    return text;
}

ShellTypesResult RegisterShellTypes() {
    ShellTypesResult result;
    const std::filesystem::path user = UserDataFolder();
    const bool entry = !IsSetPresent(kEntryFiles, user) && InstallSet(kEntryFiles, user, result);
    const bool mime = !IsSetPresent(kMimeFiles, user) && InstallSet(kMimeFiles, user, result);
    if (!IsSetPresent(kIconFiles, user)) InstallSet(kIconFiles, user, result);
    if (mime) result.mimeDatabaseUpdated = RunUpdater(kMimeUpdater, user / "mime");
    if (entry) result.desktopDatabaseUpdated = RunUpdater(kDesktopUpdater, user / "applications");
    return result;
}

}  // namespace ql
