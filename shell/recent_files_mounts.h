// Why a file of the pick list is missing: on media or a network share that is not
// mounted now ("not mounted": kept, and still offered), or gone ("not found":
// dropped at the next start). The mount table is read from /proc/self/mountinfo
// (tests name a file of their own); a damaged line of it counts as no mount.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ql {

struct MountEntry {
    std::string mountPoint;  // octal escapes decoded
    std::string type;        // the file-system type, "nfs4", "fuse.sshfs"...
};

// One line of a mountinfo file, or nothing for a damaged one (too few fields, no
// "-" separator, an escape that is not three octal digits up to \377).
std::optional<MountEntry> ParseMountInfoLine(std::string_view line);
// Every good line of the mount table file (an unreadable file gives none).
std::vector<MountEntry> ReadMountTable();
// Tests point the reader at a file of their own; empty restores /proc/self/mountinfo.
void SetMountTablePath(const std::filesystem::path& file);

// True for the types of network file systems (NFS, SMB, FUSE network types...).
bool IsNetworkFileSystem(std::string_view type);

enum class MissingFile { NotMounted, NotFound };
// Classifies a path that does not exist: not mounted when its nearest existing
// ancestor is a removable-media root or lies on a network file system, or when it
// lies under a media root whose volume folder is absent; else not found.
MissingFile ClassifyMissingFile(std::string_view path, const std::vector<MountEntry>& mounts);

}  // namespace ql
