// The folder-level steps of a save (see atomic_save.h), on POSIX calls.
#include "files/save/atomic_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "files/bytes/file_faults.h"

namespace ql {
namespace {

constexpr size_t kBackupBaseLimit = 255;
constexpr mode_t kPermissionBits = 07777;

int CopyFile(const std::string& from, const std::string& to) {
    std::error_code error;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
    return error ? error.value() : 0;
}

void SyncFolderOf(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (folder.empty()) folder = ".";
    int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor < 0) return;
    // The rename is done: a folder that cannot be synced does not undo the save.
    ::fsync(descriptor);
    ::close(descriptor);
}

void CopyPermissions(const std::string& from, const std::string& to) {
    struct stat status{};
    if (::stat(from.c_str(), &status) == 0) ::chmod(to.c_str(), status.st_mode & kPermissionBits);
}

}  // namespace

std::string ResolveDocumentPath(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return path;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path : resolved.string();
}

std::string TemporaryPathFor(const std::string& target, const char* name) {
    size_t slash = target.find_last_of('/');
    std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    return folder + name;
}

std::string BackupBaseOf(const std::string& path) {
    size_t mark = path.find_last_of("./");
    std::string base = mark != std::string::npos && path[mark] == '.' ? path.substr(0, mark) : path;
    if (base.size() > kBackupBaseLimit) base.resize(kBackupBaseLimit);
    return base;
}

std::string BackupName(const std::string& base, int copy) {
    return copy <= 1 ? base + ".BAK" : base + ".BA" + std::to_string(copy);
}

int HoldCurrentFile(const std::string& target, const std::string& holding) {
    std::remove(holding.c_str());
    if (int injected = InjectedFileFault(FileStep::Link)) return injected;
    if (::link(target.c_str(), holding.c_str()) == 0) return 0;
    int error = errno;
    if (error != EXDEV && error != EPERM && error != ENOTSUP && error != EMLINK) return error;
    return CopyFile(target, holding);
}

int ReplaceWithTemporary(const std::string& temporary, const std::string& target) {
    CopyPermissions(target, temporary);
    if (int injected = InjectedFileFault(FileStep::Rename)) return injected;
    if (std::rename(temporary.c_str(), target.c_str()) != 0) return errno;
    SyncFolderOf(target);
    return 0;
}

void RotateBackups(const std::string& base, int copies, const std::string& holding) {
    for (int k = copies; k >= 2; --k)
        std::rename(BackupName(base, k - 1).c_str(), BackupName(base, k).c_str());
    std::rename(holding.c_str(), BackupName(base, 1).c_str());
}

void LastWriteTimeFields(const std::string& path, int32_t* fields) {
    struct stat status{};
    time_t when = ::stat(path.c_str(), &status) == 0 ? status.st_mtime : std::time(nullptr);
    struct tm local{};
    if (localtime_r(&when, &local) == nullptr) {
        when = std::time(nullptr);
        localtime_r(&when, &local);
    }
    fields[0] = local.tm_sec;
    fields[1] = local.tm_min;
    fields[2] = local.tm_hour;
    fields[3] = local.tm_mday;
    fields[4] = local.tm_mon;
    fields[5] = local.tm_year;
    fields[6] = local.tm_wday;
}

}  // namespace ql
