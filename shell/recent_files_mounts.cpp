// Reading the mount table and telling an unmounted file from a lost one.
#include "shell/recent_files_mounts.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace ql {
namespace {

constexpr char kDefaultMountTable[] = "/proc/self/mountinfo";
// A mountinfo line: id, parent, device, root, mount point, options, optional
// fields, "-", type, source, super options.
constexpr size_t kMountPointField = 4;
constexpr size_t kFieldsBeforeOptional = 6;
constexpr std::string_view kOptionalEnd = "-";
// Lines of the mount table and entries read are bounded.
constexpr size_t kMaxMountLine = 16 * 1024;
constexpr size_t kMaxMounts = 4096;
constexpr int kOctalDigits = 3;
constexpr int kLargestEscapedByte = 0377;
constexpr int kOctalBase = 8;

// The roots under which removable media get a folder per volume: /media/<volume>
// or /media/<user>/<volume>, /run/media/<user>/<volume>, /mnt/<volume>.
struct MediaRoot {
    std::string_view root;
    int levelsToVolume;  // folders below the root down to the volume folder
};
constexpr MediaRoot kMediaRoots[] = {{"/media", 2}, {"/run/media", 2}, {"/mnt", 1}};

constexpr std::string_view kNetworkTypes[] = {"nfs",
                                              "nfs4",
                                              "cifs",
                                              "smb3",
                                              "smbfs",
                                              "ncpfs",
                                              "afs",
                                              "9p",
                                              "ceph",
                                              "glusterfs",
                                              "davfs",
                                              "fuse.sshfs",
                                              "fuse.rclone",
                                              "fuse.s3fs",
                                              "fuse.davfs",
                                              "fuse.gvfsd-fuse",
                                              "fuse.glusterfs",
                                              "fuse.smbnetfs",
                                              "fuse.curlftpfs"};

std::filesystem::path& MountTablePath() {
    static std::filesystem::path path = kDefaultMountTable;
    return path;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t at = 0;
    while (at < line.size()) {
        const size_t end = std::min(line.find(' ', at), line.size());
        if (end > at) fields.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return fields;
}

std::optional<std::string> DecodeOctalEscapes(std::string_view field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (i + kOctalDigits >= field.size()) return std::nullopt;  // an escape cut short
        int value = 0;
        for (int k = 1; k <= kOctalDigits; ++k) {
            const char digit = field[i + static_cast<size_t>(k)];
            if (digit < '0' || digit > '7') return std::nullopt;
            value = value * kOctalBase + (digit - '0');
        }
        if (value > kLargestEscapedByte || value == 0) return std::nullopt;
        out += static_cast<char>(value);
        i += kOctalDigits;
    }
    return out;
}

bool IsUnder(std::string_view path, std::string_view folder) {
    if (folder == "/") return !path.empty() && path.front() == '/';
    return path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

// The mount that holds `path`: the one with the longest mount point above it.
const MountEntry* MountOf(std::string_view path, const std::vector<MountEntry>& mounts) {
    const MountEntry* best = nullptr;
    for (const MountEntry& mount : mounts)
        if (IsUnder(path, mount.mountPoint) &&
            (best == nullptr || mount.mountPoint.size() >= best->mountPoint.size()))
            best = &mount;
    return best;
}

std::string NearestExistingAncestor(std::string_view path) {
    std::filesystem::path at = std::filesystem::path(path).lexically_normal().parent_path();
    std::error_code error;
    while (!at.empty() && !std::filesystem::exists(at, error)) {
        if (at == at.root_path()) return at.string();
        at = at.parent_path();
    }
    return at.string();
}

// Whether `folder` is a media root or a folder of it above the volume folders.
bool IsMediaFolder(std::string_view folder) {
    for (const MediaRoot& media : kMediaRoots) {
        if (!IsUnder(folder, media.root)) continue;
        const std::string_view rest = folder.substr(media.root.size());
        if (std::count(rest.begin(), rest.end(), '/') < media.levelsToVolume) return true;
    }
    return false;
}

// Whether the path lies under a media root and its volume folder is absent.
bool HasAbsentVolume(std::string_view path) {
    for (const MediaRoot& media : kMediaRoots) {
        if (!IsUnder(path, media.root) || path.size() <= media.root.size() + 1) continue;
        std::filesystem::path volume = media.root;
        std::filesystem::path rest = std::filesystem::path(path.substr(media.root.size() + 1));
        int level = 0;
        for (auto part = rest.begin(); part != rest.end() && level < media.levelsToVolume;
             ++part, ++level)
            volume /= *part;
        std::error_code error;
        if (level == media.levelsToVolume && !std::filesystem::exists(volume, error)) return true;
    }
    return false;
}

}  // namespace

std::optional<MountEntry> ParseMountInfoLine(std::string_view line) {
    if (line.size() > kMaxMountLine) return std::nullopt;
    const std::vector<std::string_view> fields = SplitFields(line);
    if (fields.size() < kFieldsBeforeOptional + 2) return std::nullopt;
    size_t separator = kFieldsBeforeOptional;
    while (separator < fields.size() && fields[separator] != kOptionalEnd) ++separator;
    if (separator + 1 >= fields.size()) return std::nullopt;
    std::optional<std::string> mountPoint = DecodeOctalEscapes(fields[kMountPointField]);
    if (!mountPoint || mountPoint->empty() || mountPoint->front() != '/') return std::nullopt;
    return MountEntry{std::move(*mountPoint), std::string(fields[separator + 1])};
}

std::vector<MountEntry> ReadMountTable() {
    std::vector<MountEntry> mounts;
    std::ifstream file(MountTablePath(), std::ios::binary);
    std::string line;
    while (mounts.size() < kMaxMounts && std::getline(file, line))
        if (std::optional<MountEntry> entry = ParseMountInfoLine(line))
            mounts.push_back(std::move(*entry));
    return mounts;
}

void SetMountTablePath(const std::filesystem::path& file) {
    MountTablePath() = file.empty() ? std::filesystem::path(kDefaultMountTable) : file;
}

bool IsNetworkFileSystem(std::string_view type) {
    return std::find(std::begin(kNetworkTypes), std::end(kNetworkTypes), type) !=
           std::end(kNetworkTypes);
}

MissingFile ClassifyMissingFile(std::string_view path, const std::vector<MountEntry>& mounts) {
    if (path.empty() || path.front() != '/') return MissingFile::NotFound;
    if (HasAbsentVolume(path)) return MissingFile::NotMounted;
    const std::string ancestor = NearestExistingAncestor(path);
    if (IsMediaFolder(ancestor)) return MissingFile::NotMounted;
    const MountEntry* mount = MountOf(ancestor, mounts);
    if (mount != nullptr && IsNetworkFileSystem(mount->type)) return MissingFile::NotMounted;
    return MissingFile::NotFound;
}

}  // namespace ql
