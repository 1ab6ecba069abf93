// The settings store: the tree in memory, its file read leniently and rewritten whole.
#include "platform/sys/settings_store.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/sys/atomic_file.h"
#include "platform/sys/folders.h"

namespace ql::sys {
namespace {

constexpr char kDefaultConfigFolder[] = ".config";

bool IsDamagedState(SettingsFileState state) {
    return state == SettingsFileState::Damaged || state == SettingsFileState::Unreadable;
}

std::error_code MakeFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (folder.empty() || std::filesystem::is_directory(folder, error)) return {};
    if (!std::filesystem::create_directories(folder, error) || error) return error;
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
    return error;
}

}  // namespace

SettingsStore::SettingsStore(std::filesystem::path file)
    : file_(std::move(file)), state_(SettingsFileState::Missing) {}

SettingsFileState SettingsStore::Load() {
    tree_ = SettingsTree();
    faults_.clear();
    damagedBytes_.clear();
    dirty_ = false;
    if (file_.empty()) return state_ = SettingsFileState::MemoryOnly;
    // One byte past the limit lets the parser see (and report) an oversized file.
    FileReadResult read = ReadWholeFile(file_, kMaxSettingsTextBytes + 1);
    if (read.status == FileReadStatus::Missing) return state_ = SettingsFileState::Missing;
    if (read.status == FileReadStatus::Unreadable) return state_ = SettingsFileState::Unreadable;
    SettingsParse parse = ParseSettingsText(read.bytes);
    tree_ = std::move(parse.tree);
    faults_ = std::move(parse.faults);
    fileAsLoaded_ = true;
    if (faults_.empty()) return state_ = SettingsFileState::Loaded;
    damagedBytes_ = std::move(read.bytes);
    return state_ = SettingsFileState::Damaged;
}

bool SettingsStore::HasSection(std::string_view section) const {
    return tree_.FindSection(section) != nullptr;
}

std::optional<std::string> SettingsStore::ReadText(std::string_view section,
                                                   std::string_view key) const {
    const std::string* value = tree_.Find(section, key);
    return value ? std::optional<std::string>(*value) : std::nullopt;
}

std::optional<int32_t> SettingsStore::ReadNumber(std::string_view section, std::string_view key) {
    const std::string* value = tree_.Find(section, key);
    if (value == nullptr) return std::nullopt;
    std::optional<int32_t> number = ParseSettingsNumber(*value);
    // Only the file as it was read can be damaged; text the program wrote since is
    // simply not a number.
    if (!number && fileAsLoaded_ && state_ == SettingsFileState::Loaded) {
        state_ = SettingsFileState::Damaged;
        faults_.push_back(SettingsFault{0, SettingsDamage::BadNumber});
    }
    return number;
}

bool SettingsStore::WriteText(std::string_view section, std::string_view key,
                              std::string_view text) {
    tree_.Set(section, key, text);
    return Changed();
}

bool SettingsStore::WriteNumber(std::string_view section, std::string_view key, int32_t value) {
    tree_.Set(section, key, FormatSettingsNumber(value));
    return Changed();
}

bool SettingsStore::DeleteValue(std::string_view section, std::string_view key) {
    if (!tree_.Erase(section, key)) return false;
    return Changed();
}

bool SettingsStore::Changed() {
    dirty_ = true;
    if (batchDepth_ > 0) return true;
    return !Flush();
}

std::error_code SettingsStore::EndBatch() {
    if (batchDepth_ > 0) --batchDepth_;
    return batchDepth_ == 0 ? Flush() : std::error_code();
}

std::error_code SettingsStore::Flush() {
    if (!dirty_) return {};
    if (state_ == SettingsFileState::MemoryOnly) {
        dirty_ = false;
        return {};
    }
    return Save();
}

// A hard link keeps the old file whole, whatever could be read of it; where links
// are refused, the bytes read are written, or an unreadable file is moved aside.
std::error_code SettingsStore::KeepDamagedFile() {
    const std::filesystem::path bad = file_.parent_path() / kDamagedSettingsFileName;
    if (::unlink(bad.c_str()) != 0 && errno != ENOENT)
        return std::error_code(errno, std::generic_category());
    if (::link(file_.c_str(), bad.c_str()) == 0) return {};
    if (state_ == SettingsFileState::Damaged && fileAsLoaded_)
        return WriteFileAtomically(bad, damagedBytes_);
    if (::rename(file_.c_str(), bad.c_str()) == 0 || errno == ENOENT) return {};
    return std::error_code(errno, std::generic_category());
}

std::error_code SettingsStore::Save() {
    if (std::error_code error = MakeFolder(file_.parent_path())) return error;
    if (IsDamagedState(state_)) {
        if (std::error_code error = KeepDamagedFile()) return error;
    }
    if (std::error_code error = WriteFileAtomically(file_, FormatSettingsText(tree_))) return error;
    state_ = SettingsFileState::Loaded;
    damagedBytes_.clear();
    fileAsLoaded_ = false;
    dirty_ = false;
    return {};
}

std::filesystem::path UserConfigFolder() {
    if (std::filesystem::path config = AbsoluteFolderFromEnvironment("XDG_CONFIG_HOME");
        !config.empty())
        return config;
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::filesystem::path(home) / kDefaultConfigFolder;
    }
    return {};
}

SettingsStore& ProgramSettings() {
    static SettingsStore store;
    return store;
}

SettingsFileState OpenProgramSettings(const std::filesystem::path& folder) {
    ProgramSettings() = SettingsStore(folder / kSettingsFileName);
    return ProgramSettings().Load();
}

void CloseProgramSettings() {
    ProgramSettings() = SettingsStore();
}

}  // namespace ql::sys
