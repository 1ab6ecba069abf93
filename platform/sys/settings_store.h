// The settings store: a registry-shaped tree (sections holding named text and number
// values) kept in one file, by default "settings.ini" in the program's folder under
// the XDG config home. A store without a file keeps its values in memory only; the
// program's store stays so until start-up opens it, so code run without start-up
// (tests, tools) never touches the user's files.
//
// Every change rewrites the whole file through a temporary file and a rename, at once
// or, inside a SettingsBatch, when the outermost batch ends. A damaged file (lines
// that do not parse, raw control bytes, a bad number, an oversized or unreadable file)
// gives what could be read; before the first rewrite the old file is kept beside it
// as "settings.bad". Numbers are signed decimal text; text values are the caller's
// bytes. User-interface thread only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/sys/settings_format.h"

namespace ql::sys {

constexpr char kSettingsFileName[] = "settings.ini";
constexpr char kDamagedSettingsFileName[] = "settings.bad";

enum class SettingsFileState : uint8_t {
    MemoryOnly = 0,  // no file: nothing is read or written
    Missing = 1,     // no file yet (a first run); the first change creates it
    Loaded = 2,
    Damaged = 3,     // read in part; kept as "settings.bad" before the next rewrite
    Unreadable = 4,  // exists but could not be read; kept the same way
};

class SettingsStore {
  public:
    SettingsStore() = default;  // memory only
    explicit SettingsStore(std::filesystem::path file);

    // Reads the file again, dropping the values held. Returns the new state.
    SettingsFileState Load();
    SettingsFileState FileState() const { return state_; }
    const std::filesystem::path& File() const { return file_; }
    // The lines skipped by the last load (and bad numbers met since).
    const std::vector<SettingsFault>& Faults() const { return faults_; }
    const SettingsTree& Tree() const { return tree_; }

    bool HasSection(std::string_view section) const;
    std::optional<std::string> ReadText(std::string_view section, std::string_view key) const;
    // Null when missing or not a number; a value that is there but is not a number
    // marks the file damaged.
    std::optional<int32_t> ReadNumber(std::string_view section, std::string_view key);

    // False when the file could not be written (the value is kept in memory).
    bool WriteText(std::string_view section, std::string_view key, std::string_view text);
    bool WriteNumber(std::string_view section, std::string_view key, int32_t value);
    // False when the value did not exist or the file could not be written.
    bool DeleteValue(std::string_view section, std::string_view key);

    // Writes the file now when changes are pending. The error of the last write.
    std::error_code Flush();
    void BeginBatch() { ++batchDepth_; }
    std::error_code EndBatch();

  private:
    bool Changed();
    std::error_code KeepDamagedFile();
    std::error_code Save();

    std::filesystem::path file_;
    SettingsFileState state_ = SettingsFileState::MemoryOnly;
    SettingsTree tree_;
    std::vector<SettingsFault> faults_;
    std::string damagedBytes_;   // the file as read, while it is damaged
    bool fileAsLoaded_ = false;  // the tree is the file as read (no rewrite since)
    int batchDepth_ = 0;
    bool dirty_ = false;
};

// Defers the rewrites of a run of changes to one, at the end of the scope.
class SettingsBatch {
  public:
    explicit SettingsBatch(SettingsStore& store) : store_(store) { store_.BeginBatch(); }
    ~SettingsBatch() { store_.EndBatch(); }
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;

  private:
    SettingsStore& store_;
};

// $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config; empty when
// neither can be found.
std::filesystem::path UserConfigFolder();

// The program's store (memory only until opened).
SettingsStore& ProgramSettings();
// Makes the program's store the file `folder`/settings.ini (the folder is created on
// the first write, mode 0700) and loads it.
SettingsFileState OpenProgramSettings(const std::filesystem::path& folder);
// Back to an empty memory-only store.
void CloseProgramSettings();

}  // namespace ql::sys
