// The pick list of recently used score files (see recent_files.h).
#include "shell/recent_files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/core_strings.h"
#include "core/settings/program_options.h"
#include "core/settings/settings_store.h"
#include "core/ui/string_ids.h"
#include "platform/ui/menu.h"
#include "platform/ui/menu_template.h"
#include "shell/program/command_line.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/program/score_windows.h"
#include "shell/recent_files_mounts.h"

namespace ql {
namespace {

constexpr char kPickListKeyFormat[] = "PreviousFile%d";
constexpr size_t kKeyNameSize = 32;

std::string KeyName(int n) {
    char key[kKeyNameSize];
    std::snprintf(key, sizeof key, kPickListKeyFormat, n);
    return key;
}

// The stored text of key n; an overlong value is damaged and reads as empty.
std::string ReadKey(int n) {
    std::optional<std::string> text =
        sys::ProgramSettings().ReadText(SubkeyOfSection(kPickListSection), KeyName(n));
    if (!text || text->size() > kMaxPickListPath) return {};
    return *text;
}

void WriteKey(int n, const std::string& path) {
    WriteSettingText(kPickListSection, KeyName(n).c_str(), path);
}

void DeleteKey(int n) {
    SetPrefString(kPickListSection, KeyName(n).c_str(), nullptr);
}

// The capacity the user chose, within the keys there are.
int Capacity() {
    return std::clamp<int>(Options().PickListEntries, 0, kMaxPickListEntries);
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

}  // namespace

std::vector<std::string> ReadPickList(int count) {
    std::vector<std::string> entries;
    const int last = std::clamp(count, 0, kMaxPickListEntries);
    for (int n = 1; n <= last; ++n) {
        std::string path = ReadKey(n);
        if (path.empty()) break;
        entries.push_back(std::move(path));
    }
    return entries;
}

std::optional<std::string> PickListEntry(int n) {
    const std::vector<std::string> entries = ReadPickList(n);
    if (n < 1 || static_cast<size_t>(n) > entries.size()) return std::nullopt;
    return entries[static_cast<size_t>(n) - 1];
}

void PutPathOnPickList(const std::string& path) {
    if (path.empty() || path.size() > kMaxPickListPath) return;
    if (ReadKey(1) == path) return;
    const size_t capacity = static_cast<size_t>(std::max(Capacity(), 1));
    std::vector<std::string> list{path};
    for (std::string& entry : ReadPickList(Capacity())) {
        if (list.size() >= capacity) break;
        if (entry != path) list.push_back(std::move(entry));
    }
    for (size_t i = 0; i < list.size(); ++i) WriteKey(static_cast<int>(i) + 1, list[i]);
}

std::vector<std::string> CleanPickListAtStart() {
    const std::vector<MountEntry> mounts = ReadMountTable();
    std::vector<std::string> kept;
    for (int n = 1; n <= kMaxPickListEntries; ++n) {
        std::string path = ReadKey(n);
        if (path.empty()) continue;
        if (!FileExists(path) && ClassifyMissingFile(path, mounts) == MissingFile::NotFound)
            continue;
        if (kept.size() < static_cast<size_t>(Capacity())) kept.push_back(std::move(path));
    }
    for (int n = 1; n <= kMaxPickListEntries; ++n) {
        const auto at = static_cast<size_t>(n - 1);
        if (at < kept.size())
            WriteKey(n, kept[at]);
        else
            DeleteKey(n);
    }
    return kept;
}

void BuildPickListMenuItems(platform::MenuHandle fileMenu, int openDocuments) {
    for (int n = 1; n <= kMaxPickListEntries; ++n)
        ui::DeleteMenuItem(fileMenu, cmd::kFirstPickListEntry + n - 1);
    const std::vector<std::string> entries = ReadPickList(Capacity());
    if (entries.empty()) return;
    const std::vector<MountEntry> mounts = ReadMountTable();
    const uint32_t available = openDocuments < kMaxOpenDocuments ? 0 : ui::kMenuGrayed;
    for (size_t i = 0; i < entries.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        std::string label = std::to_string(n) + ". " + ShortenPath(entries[i], kCaptionPathWidth);
        uint32_t flags = available;
        if (!FileExists(entries[i])) {
            // A lost file cannot be opened; one on unmounted media may be once it is there.
            const bool lost = ClassifyMissingFile(entries[i], mounts) == MissingFile::NotFound;
            label += ProgramString(lost ? kStrPickListNotFound : kStrPickListNotMounted);
            if (lost) flags = ui::kMenuGrayed;
        }
        ui::AppendMenuItem(fileMenu, cmd::kFirstPickListEntry + n - 1, label, flags);
    }
}

void OnFramePopupOpening(platform::MenuHandle popup) {
    const ProgramFrame& frame = Frame();
    if (!popup || (popup != frame.frameWindowMenu && popup != ui::GetSubmenu(frame.childMenu, 0)))
        return;
    BuildPickListMenuItems(popup, CountOpenDocuments());
}

bool OnPickListCommand(int32_t command) {
    if (command < cmd::kFirstPickListEntry || command > cmd::kLastPickListEntry) return false;
    if (std::optional<std::string> path = PickListEntry(command - cmd::kFirstPickListEntry + 1))
        RequestOpen(*path);
    return true;
}

}  // namespace ql
