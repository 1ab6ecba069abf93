// The table of integer settings: one row per key, naming the program variable that
// holds it with its width and sign. Loading walks the table reading each key (the
// settings file, then the profile file, then the row's default) and stores the value
// by width, truncating; a full save writes every row from its variable. Rows appear
// in the stored order: 94 in "Quaverlinescribe", 19 in "Version 2", 13 in
// "ToolbarSettings". "Verify" and "VerifySave" are two keys of one variable.
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string_view>

namespace ql {

constexpr char kMainSection[] = "Quaverlinescribe";
constexpr char kVersion2Section[] = "Version 2";
constexpr char kToolbarSection[] = "ToolbarSettings";
constexpr char kFontsSection[] = "Fonts";
constexpr char kMetricsSection[] = "Musical Metrics";

// Where a row's variable lives.
enum class SettingHome : uint8_t {
    Preferences = 0,   // the defaults of a new score (shell/preference_defaults.h)
    ProgramState = 1,  // the program state of the module that owns it (core/state.h)
    Options = 2,       // the shell's options (shell/program_options.h)
};

struct IntSetting {
    const char* section;
    const char* key;
    int32_t defaultValue;
    bool isSigned;
    int8_t width;  // bytes: 1, 2 or 4
    SettingHome home;
    int32_t (*read)();       // the variable's value, by its width and sign
    void (*write)(int32_t);  // stores, truncating to the width
    // Values are clamped into this range before they are stored.
    int32_t lowest = std::numeric_limits<int32_t>::min();
    int32_t highest = std::numeric_limits<int32_t>::max();
};

constexpr int kIntSettingCount = 126;
// The autosave count's range: the scroll range of its dialog field; 0 becomes 1.
constexpr int32_t kMinAutoSaveCount = 1;
constexpr int32_t kMaxAutoSaveCount = 127;

std::span<const IntSetting> IntSettingsTable();
// The first row with this key (names compared without regard to case), or null.
const IntSetting* FindIntSetting(std::string_view key);
// Clamps into the row's range, then stores by width.
void StoreIntSetting(const IntSetting& row, int32_t value);
// Puts the row defaults into the variables of one home.
void ApplyIntSettingDefaults(SettingHome home);

}  // namespace ql
