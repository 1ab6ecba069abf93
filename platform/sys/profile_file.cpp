// Profile-file lookups over a cached parse of the last file read.
#include "platform/sys/profile_file.h"

#include <sys/stat.h>

#include "platform/sys/atomic_file.h"
#include "platform/sys/settings_format.h"

namespace ql::sys {
namespace {

// The file last read, with what identifies its version on disk.
struct CachedProfile {
    std::filesystem::path file;
    struct timespec modified {};
    off_t size = -1;
    ino_t inode = 0;
    SettingsTree tree;
};

bool SameVersion(const CachedProfile& cached, const struct stat& status) {
    return cached.size == status.st_size && cached.inode == status.st_ino &&
           cached.modified.tv_sec == status.st_mtim.tv_sec &&
           cached.modified.tv_nsec == status.st_mtim.tv_nsec;
}

// The parsed file, or null when it cannot be read.
const SettingsTree* ProfileTree(const std::filesystem::path& file) {
    static CachedProfile cached;
    struct stat status {};
    if (file.empty() || ::stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return nullptr;
    if (cached.file == file && SameVersion(cached, status)) return &cached.tree;
    FileReadResult read = ReadWholeFile(file, kMaxSettingsTextBytes + 1);
    if (read.status == FileReadStatus::Missing || read.status == FileReadStatus::Unreadable)
        return nullptr;
    cached.file = file;
    cached.modified = status.st_mtim;
    cached.size = status.st_size;
    cached.inode = status.st_ino;
    cached.tree = ParseSettingsText(read.bytes).tree;
    return &cached.tree;
}

}  // namespace

std::optional<std::string> ReadProfileText(const std::filesystem::path& file,
                                           std::string_view section, std::string_view key) {
    const SettingsTree* tree = ProfileTree(file);
    const std::string* value = tree ? tree->Find(section, key) : nullptr;
    return value ? std::optional<std::string>(*value) : std::nullopt;
}

std::optional<int32_t> ReadProfileNumber(const std::filesystem::path& file,
                                         std::string_view section, std::string_view key) {
    std::optional<std::string> text = ReadProfileText(file, section, key);
    return text ? ParseSettingsNumber(*text) : std::nullopt;
}

}  // namespace ql::sys
