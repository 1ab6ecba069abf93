// The folder-level steps of a save (see atomic_save.h), on POSIX calls.
#include "files/save/atomic_save.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>  // PATH_MAX
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <vector>

#include "files/bytes/file_faults.h"
#include "platform/sys/file_io.h"

namespace ql {
namespace {

constexpr mode_t kPermissionBits = 07777;
// The longest file name when the folder cannot say.
constexpr long kDefaultNameLimit = 255;
// The bytes moved at a time when the replaced file is copied.
constexpr size_t kCopyChunkBytes = 64 * 1024;

void SyncFolderOf(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (folder.empty()) folder = ".";
    int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor < 0) return;
    // The rename is done: a folder that cannot be synced does not undo the save.
    ::fsync(descriptor);
    ::close(descriptor);
}

size_t NameStart(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

// Copies `from` into a new file of its folder; 0 or the error number (the new file
// is gone again after a failure).
int CopyIntoNewFile(const std::string& from, std::string* copy) {
    int error = 0;
    sys::FileDescriptor source = sys::OpenFileForRead(from, sys::FileShare::ReadWrite, &error);
    if (source == sys::kNoFile) return error;
    sys::FileDescriptor target =
        sys::CreateUniqueFile(FolderPrefixOf(from, kHoldingPrefix), kScratchSuffix, copy, &error);
    std::vector<uint8_t> buffer(kCopyChunkBytes);
    for (int64_t got = 1; target != sys::kNoFile && error == 0 && got > 0;) {
        got = sys::ReadFileBytes(source, buffer.data(), buffer.size(), &error);
        if (got > 0) sys::WriteFileBytes(target, buffer.data(), static_cast<size_t>(got), &error);
    }
    struct stat status{};
    if (target != sys::kNoFile && error == 0 && ::fstat(source, &status) == 0)
        ::fchmod(target, status.st_mode & kPermissionBits);
    sys::CloseFile(source, nullptr);
    if (target != sys::kNoFile && !sys::CloseFile(target, &error) && error == 0) error = EIO;
    if (target != sys::kNoFile && error != 0) std::remove(copy->c_str());
    return error;
}

}  // namespace

std::string ResolveDocumentPath(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return path;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path : resolved.string();
}

std::string FolderPrefixOf(const std::string& target, const char* prefix) {
    return target.substr(0, NameStart(target)) + prefix;
}

std::string BackupBaseOf(const std::string& path, int copies) {
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot <= NameStart(path)) return path;
    // A template keeps its extension: "x.ql" and "x.tpl" in one folder must not
    // share "x.BAK".
    if (strcasecmp(path.c_str() + dot, ".tpl") == 0) return path;
    std::string base = path.substr(0, dot);
    for (int copy = 1; copy <= copies; ++copy)
        if (BackupName(base, copy) == path) return path;
    return base;
}

std::string BackupName(const std::string& base, int copy) {
    return copy <= 1 ? base + ".BAK" : base + ".BA" + std::to_string(copy);
}

bool BackupNamesFit(const std::string& base, int copies) {
    std::string folder = base.substr(0, NameStart(base));
    long nameLimit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    if (nameLimit <= 0) nameLimit = kDefaultNameLimit;
    for (int copy = 1; copy <= copies; ++copy) {
        const std::string name = BackupName(base, copy);
        if (name.size() >= PATH_MAX || static_cast<long>(name.size() - NameStart(name)) > nameLimit)
            return false;
    }
    return true;
}

FileIdentity IdentityOf(const std::string& path) {
    struct stat status{};
    if (::lstat(path.c_str(), &status) != 0) return {};
    return {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

int HoldCurrentFile(const std::string& target, std::string* holding) {
    int error = InjectedFileFault(FileStep::Link);
    if (error == 0)
        error = sys::LinkUnderUniqueName(target, FolderPrefixOf(target, kHoldingPrefix), kScratchSuffix, holding);
    if (error != EXDEV && error != EPERM && error != ENOTSUP && error != EMLINK) return error;
    return CopyIntoNewFile(target, holding);
}

int ReplaceWithTemporary(const std::string& temporary, const std::string& target) {
    struct stat status{};
    const mode_t mode =
        ::stat(target.c_str(), &status) == 0 ? status.st_mode & kPermissionBits : sys::NewFilePermissions();
    ::chmod(temporary.c_str(), mode);
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
