// The program folder, the temporary folder and the folders the environment names.
#include "platform/sys/folders.h"

#include <cstdlib>
#include <system_error>

namespace ql::sys {
namespace {

std::filesystem::path& ProgramFolderOverride() {
    static std::filesystem::path folder;
    return folder;
}

}  // namespace

std::filesystem::path ProgramFolder() {
    if (!ProgramFolderOverride().empty()) return ProgramFolderOverride();
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path(error);
    return exe.parent_path();
}

void SetProgramFolder(const std::filesystem::path& folder) { ProgramFolderOverride() = folder; }

std::filesystem::path TemporaryFolder() {
    if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp) {
        std::error_code error;
        if (std::filesystem::is_directory(tmp, error)) return tmp;
    }
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return error ? std::filesystem::path("/tmp") : folder;
}

std::filesystem::path AbsoluteFolderFromEnvironment(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value != '/') return {};
    return value;
}

std::filesystem::path RuntimeFolder() {
    return AbsoluteFolderFromEnvironment("XDG_RUNTIME_DIR");
}

std::filesystem::path DocumentsFolder() {
    std::error_code error;
    if (std::filesystem::path named = AbsoluteFolderFromEnvironment("XDG_DOCUMENTS_DIR");
        !named.empty() && std::filesystem::is_directory(named, error))
        return named;
    const std::filesystem::path home = AbsoluteFolderFromEnvironment("HOME");
    if (home.empty()) return {};
    const std::filesystem::path documents = home / "Documents";
    return std::filesystem::is_directory(documents, error) ? documents : home;
}

}  // namespace ql::sys
