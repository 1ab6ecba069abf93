// Whole-file replacement through a temporary file and rename, and whole-file reads.
#include "platform/sys/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace ql::sys {
namespace {

constexpr char kTemporarySuffix[] = ".XXXXXX";
constexpr size_t kReadChunk = 64 * 1024;

std::error_code LastError() {
    return std::error_code(errno, std::generic_category());
}

// Writes every byte, resuming after short writes and interrupted calls.
std::error_code WriteAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0)
            return written < 0 ? LastError() : std::make_error_code(std::errc::io_error);
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return {};
}

// Fills the temporary file and closes it; the error of the first step that failed.
std::error_code FillTemporary(int descriptor, std::string_view bytes) {
    std::error_code error = WriteAll(descriptor, bytes);
    if (!error && ::fsync(descriptor) != 0) error = LastError();
    if (::close(descriptor) != 0 && !error) error = LastError();
    return error;
}

}  // namespace

std::error_code WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    std::string pattern = file.string() + kTemporarySuffix;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0) return LastError();
    std::error_code error = FillTemporary(descriptor, bytes);
    if (!error && ::rename(name.data(), file.c_str()) != 0) error = LastError();
    if (error) ::unlink(name.data());
    return error;
}

FileReadResult ReadWholeFile(const std::filesystem::path& file, size_t limit) {
    FileReadResult result;
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        result.status = errno == ENOENT ? FileReadStatus::Missing : FileReadStatus::Unreadable;
        return result;
    }
    result.status = FileReadStatus::Read;
    char chunk[kReadChunk];
    for (;;) {
        const ssize_t got = ::read(descriptor, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) result.status = FileReadStatus::Unreadable;
        if (got <= 0) break;
        result.bytes.append(chunk, static_cast<size_t>(got));
        if (result.bytes.size() > limit) {
            result.bytes.resize(limit);
            result.status = FileReadStatus::TooLarge;
            break;
        }
    }
    ::close(descriptor);
    return result;
}

}  // namespace ql::sys
