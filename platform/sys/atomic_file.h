// Replacing a file whole: the bytes go to a new temporary file in the same folder,
// which is flushed to disk and then renamed over the old one, so a reader (or a
// crash) sees either the old file or the new one, never a mixture. Also reading a
// small file whole, with a size limit.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace ql::sys {

// The temporary file is "<name>.XXXXXX" beside the target, mode 0600. On failure
// the target is untouched and the temporary file is removed.
std::error_code WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes);

enum class FileReadStatus : uint8_t {
    Read = 0,
    Missing = 1,     // no such file
    TooLarge = 2,    // the first `limit` bytes were read
    Unreadable = 3,  // exists but cannot be read (a folder, no permission, an I/O error)
};

struct FileReadResult {
    FileReadStatus status = FileReadStatus::Missing;
    std::string bytes;
};

FileReadResult ReadWholeFile(const std::filesystem::path& file, size_t limit);

}  // namespace ql::sys
