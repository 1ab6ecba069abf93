// Kernel file services on POSIX descriptors, with flock standing for the sharing
// modes of the program's design (see file_io.h).
#include "platform/sys/file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdlib.h>  // mkostemps

#include <cerrno>
#include <cstring>
#include <random>
#include <type_traits>

namespace ql::sys {
namespace {

constexpr mode_t kNewFileMode = 0644;
constexpr mode_t kEveryoneReadWrite = 0666;
constexpr char kUniqueMark[] = "XXXXXX";
constexpr int kUniqueNameCharacters = 6;
constexpr int kUniqueNameAttempts = 100;
constexpr char kNotRegularFileText[] = "Not a regular file";

void SetError(int* error, int value) {
    if (error != nullptr) *error = value;
}

// Takes the lock of the sharing mode without waiting; closes the file when it is
// held against us.
FileDescriptor LockOrClose(FileDescriptor file, int operation, int* error) {
    if (flock(file, operation | LOCK_NB) == 0) return file;
    SetError(error, errno);
    close(file);
    return kNoFile;
}

// Opens without waiting for a pipe's other end or a device, then lets later reads
// and writes wait as usual; kNoFile (with the error) on failure.
FileDescriptor OpenWithoutWaiting(const std::string& path, int flags, int* error) {
    FileDescriptor file = open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, kNewFileMode);
    if (file < 0) {
        SetError(error, errno);
        return kNoFile;
    }
    const int status = fcntl(file, F_GETFL);
    if (status == -1 || fcntl(file, F_SETFL, status & ~O_NONBLOCK) == -1) {
        SetError(error, errno);
        close(file);
        return kNoFile;
    }
    return file;
}

// Six characters of the portable file-name set, chosen at random.
std::string UniqueCharacters() {
    static constexpr char kCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, sizeof kCharacters - 2);
    std::string text;
    for (int i = 0; i < kUniqueNameCharacters; ++i) text += kCharacters[pick(generator)];
    return text;
}

}  // namespace

FileDescriptor OpenFileForRead(const std::string& path, FileShare share, int* error) {
    FileDescriptor file = OpenWithoutWaiting(path, O_RDONLY, error);
    if (file == kNoFile) return kNoFile;
    struct stat info {};
    const bool known = fstat(file, &info) == 0;
    if (!known || !S_ISREG(info.st_mode)) {
        SetError(error, !known ? errno : S_ISDIR(info.st_mode) ? EISDIR : kNotRegularFile);
        close(file);
        return kNoFile;
    }
    return LockOrClose(file, share == FileShare::None ? LOCK_EX : LOCK_SH, error);
}

FileDescriptor CreateFileForWrite(const std::string& path, int* error) {
    FileDescriptor file = OpenWithoutWaiting(path, O_WRONLY | O_CREAT, error);
    if (file == kNoFile) return kNoFile;
    file = LockOrClose(file, LOCK_EX, error);
    if (file == kNoFile) return kNoFile;
    // Truncated only once the lock is ours: a file another program holds stays intact.
    // Devices and pipes have nothing to truncate.
    struct stat info {};
    bool regular = fstat(file, &info) == 0 && S_ISREG(info.st_mode);
    if (regular && ftruncate(file, 0) != 0) {
        SetError(error, errno);
        close(file);
        return kNoFile;
    }
    return file;
}

FileDescriptor CreateUniqueFile(const std::string& prefix, const std::string& suffix, std::string* path,
                                int* error) {
    std::string name = prefix + kUniqueMark + suffix;
    FileDescriptor file = mkostemps(name.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
    if (file < 0) {
        SetError(error, errno);
        return kNoFile;
    }
    file = LockOrClose(file, LOCK_EX, error);
    if (file == kNoFile) {
        unlink(name.c_str());
        return kNoFile;
    }
    *path = name;
    return file;
}

int LinkUnderUniqueName(const std::string& existing, const std::string& prefix, const std::string& suffix,
                        std::string* path) {
    for (int attempt = 0; attempt < kUniqueNameAttempts; ++attempt) {
        std::string name = prefix + UniqueCharacters() + suffix;
        if (link(existing.c_str(), name.c_str()) == 0) {
            *path = name;
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

unsigned NewFilePermissions() {
    const mode_t mask = umask(0);
    umask(mask);
    return kEveryoneReadWrite & ~mask;
}

int64_t ReadFileBytes(FileDescriptor file, void* buffer, size_t count, int* error) {
    for (;;) {
        ssize_t got = read(file, buffer, count);
        if (got >= 0) return got;
        if (errno == EINTR) continue;
        SetError(error, errno);
        return -1;
    }
}

bool WriteFileBytes(FileDescriptor file, const void* bytes, size_t count, int* error) {
    auto* at = static_cast<const uint8_t*>(bytes);
    while (count > 0) {
        ssize_t put = write(file, at, count);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            SetError(error, put < 0 ? errno : EIO);
            return false;
        }
        at += put;
        count -= static_cast<size_t>(put);
    }
    return true;
}

bool SeekFile(FileDescriptor file, uint64_t position, int* error) {
    if (lseek(file, static_cast<off_t>(position), SEEK_SET) >= 0) return true;
    SetError(error, errno);
    return false;
}

bool FileSize(FileDescriptor file, uint64_t* size, int* error) {
    struct stat info {};
    if (fstat(file, &info) != 0) {
        SetError(error, errno);
        return false;
    }
    *size = static_cast<uint64_t>(info.st_size);
    return true;
}

bool CloseFile(FileDescriptor file, int* error) {
    if (file < 0) return true;
    if (close(file) == 0) return true;
    SetError(error, errno);
    return false;
}

std::string SystemErrorText(int error) {
    if (error == 0) return {};
    if (error == kNotRegularFile) return kNotRegularFileText;
    char buffer[256] = {};
    // The GNU form returns the text (possibly a static string), the POSIX form fills
    // the buffer; both are handled.
    auto result = strerror_r(error, buffer, sizeof buffer);
    if constexpr (std::is_same_v<decltype(result), char*>) {
        return result != nullptr ? std::string(result) : std::string();
    } else {
        return result == 0 ? std::string(buffer) : std::string();
    }
}

}  // namespace ql::sys
