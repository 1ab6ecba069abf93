// Fuzz entry point for the mount-table reader of the pick list: the input is one
// line of a mountinfo file. A line that parses names an absolute mount point no
// longer than the line, and classifying a missing file under it never fails.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "shell/recent_files_mounts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ql;
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const std::optional<MountEntry> entry = ParseMountInfoLine(line);
    if (!entry) return 0;
    if (entry->mountPoint.empty() || entry->mountPoint.front() != '/' ||
        entry->mountPoint.size() > size)
        __builtin_trap();
    const std::vector<MountEntry> mounts{*entry};
    ClassifyMissingFile(entry->mountPoint + "/missing-file.ql", mounts);
    return 0;
}
