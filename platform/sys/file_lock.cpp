// File locks through flock on lock files named by a hash of the real path.
#include "platform/sys/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/sys/folders.h"

namespace ql::sys {
namespace {

constexpr char kLockFolderName[] = "quaverline-locks";
constexpr char kLockExtension[] = ".lock";
constexpr mode_t kPrivateFolderMode = 0700;
constexpr mode_t kLockFileMode = 0600;
constexpr uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ULL;
constexpr uint64_t kFnvPrime = 0x100000001b3ULL;
constexpr int kHexDigitsOf64Bits = 16;

std::filesystem::path& LockFolderOverride() {
    static std::filesystem::path folder;
    return folder;
}

// FNV-1a, 64 bits: enough to keep the names of one user's files apart.
uint64_t HashPath(const std::string& text) {
    uint64_t hash = kFnvOffsetBasis;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= kFnvPrime;
    }
    return hash;
}

std::string HexName(uint64_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out(kHexDigitsOf64Bits, '0');
    for (int i = kHexDigitsOf64Bits - 1; i >= 0; --i, value >>= 4) out[i] = kDigits[value & 0xF];
    return out;
}

// The real path of the file, or of its folder joined with its name when the file
// does not exist yet; empty when neither resolves.
std::filesystem::path ResolvedPath(const std::filesystem::path& file) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(file, error);
    if (error || !absolute.has_filename()) return {};
    std::filesystem::path real = std::filesystem::canonical(absolute, error);
    if (!error) return real;
    std::filesystem::path folder = std::filesystem::canonical(absolute.parent_path(), error);
    if (error) return {};
    return folder / absolute.filename();
}

// The folder exists, is a folder and belongs to this user (a folder of another
// user under a shared temporary folder must not hold our locks).
bool IsPrivateFolder(const std::filesystem::path& folder) {
    ::mkdir(folder.c_str(), kPrivateFolderMode);
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0) return false;
    return S_ISDIR(status.st_mode) && status.st_uid == ::getuid();
}

int OpenLockFile(const std::filesystem::path& path) {
    for (;;) {
        const int descriptor =
            ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kLockFileMode);
        if (descriptor >= 0 || errno != EINTR) return descriptor;
    }
}

// flock without waiting; 0, or the errno of the refusal.
int TryExclusiveLock(int descriptor) {
    for (;;) {
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) return 0;
        if (errno != EINTR) return errno;
    }
}

// The lock file names the file it guards, for whoever looks into the folder.
void RecordLockedPath(int descriptor, const std::filesystem::path& file) {
    const std::string text = ResolvedPath(file).string() + "\n";
    if (::ftruncate(descriptor, 0) != 0) return;
    [[maybe_unused]] ssize_t written = ::pwrite(descriptor, text.data(), text.size(), 0);
}

}  // namespace

std::filesystem::path LockFolder() {
    if (!LockFolderOverride().empty()) return LockFolderOverride();
    if (const std::filesystem::path runtime = RuntimeFolder(); !runtime.empty())
        return runtime / kLockFolderName;
    return TemporaryFolder() / (std::string(kLockFolderName) + "-" + std::to_string(::getuid()));
}

void SetLockFolder(const std::filesystem::path& folder) {
    LockFolderOverride() = folder;
}

std::filesystem::path LockFilePath(const std::filesystem::path& file) {
    std::filesystem::path resolved = ResolvedPath(file);
    if (resolved.empty()) return {};
    return LockFolder() / (HexName(HashPath(resolved.string())) + kLockExtension);
}

FileLock LockFileForEditing(const std::filesystem::path& file) {
    const std::filesystem::path lockFile = LockFilePath(file);
    if (lockFile.empty() || !IsPrivateFolder(lockFile.parent_path())) return {};
    const int descriptor = OpenLockFile(lockFile);
    if (descriptor < 0) return {};
    const int refusal = TryExclusiveLock(descriptor);
    if (refusal == 0) {
        RecordLockedPath(descriptor, file);
        return FileLock{FileLockStatus::Held, descriptor};
    }
    ::close(descriptor);
    if (refusal == EWOULDBLOCK) return FileLock{FileLockStatus::HeldElsewhere, -1};
    return {};
}

void ReleaseFileLock(int& descriptor) {
    if (descriptor >= 0) ::close(descriptor);
    descriptor = -1;
}

}  // namespace ql::sys
