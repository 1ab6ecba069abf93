// The program's settings: every preference lives in the settings file (platform
// sys::ProgramSettings, one section per subkey), with a read-only profile file as the
// fallback for values the file lacks. Sections map to subkeys: "Quaverlinescribe" and
// "Version 2" are "Options", "Musical Metrics" is "Metrics", any other section is
// its own. A number is looked up in the settings file, then in the profile file's
// [section], [Quaverlinescribe] and [Version 2], then the default; a text the same way.
// LoadPreferences and SavePreferences walk the integer table (shell/settings_table.h)
// and the text settings; the grouped writers save what one dialog changed.
// User-interface thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings/program_options.h"
#include "core/settings/settings_table.h"
#include "platform/sys/settings_store.h"

namespace ql {

struct ScoreDocument;

constexpr char kOptionsSubkey[] = "Options";
constexpr char kMetricsSubkey[] = "Metrics";
// The program's folder under the XDG config home, and the profile file's name in
// the program's data folder.
constexpr char kSettingsFolderName[] = "quaverline";
constexpr char kProfileFileName[] = "QLW.INI";
// The profile file's "no value" for numbers: a section that gives it is passed over.
constexpr int32_t kProfileNoValue = -2147483647 - 1;

// Results of the store primitives (0 success), as the registry numbers them.
constexpr int kSettingsOk = 0;
constexpr int kSettingsNotFound = 2;
constexpr int kSettingsWriteFault = 29;

// Start-up: the settings file in the program's folder under the XDG config home
// (memory only when there is no home), and the profile file in the program folder.
sys::SettingsFileState OpenSettingsFiles();
// The profile file the lookups fall back to; empty for none (the default).
const std::string& ProfilePath();
void SetProfilePath(const std::string& path);

// The subkey (settings-file section) that holds a section's values.
std::string_view SubkeyOfSection(std::string_view section);
// Whether the settings file has the subkey (a first run has none).
bool SettingsSubkeyExists(std::string_view subkey);

// The store primitives: the section is mapped to its subkey. Texts are the bytes
// given, without the terminator; a text longer than the buffer is cut to fit.
int WriteSettingText(const char* section, const char* key, std::string_view text);
int WriteSettingNumber(const char* section, const char* key, int32_t value);
int ReadSettingText(const char* section, const char* key, char* buffer, int size);
int ReadSettingNumber(const char* section, const char* key, int32_t* value);

// The value of a number setting through the lookup chain. A settings-file value of
// -2147483648 is a value; in the profile file it means none.
int32_t GetPrefInt(const char* section, const char* key, int32_t defaultValue,
                   const char* profilePath);
// Fills the buffer (size includes the terminator) through the lookup chain; returns
// the length of the text in it. With no default or no buffer and no settings-file
// value, 0.
int GetPrefString(const char* section, const char* key, const char* defaultText, char* buffer,
                  int size, const char* profilePath);
// 1 on success, 0 on failure.
int SetPrefDword(const char* section, const char* key, int32_t value);
// A null text deletes the value from the section's subkey.
int SetPrefString(const char* section, const char* key, const char* text);

// A value typed into a preferences dialog for an integer row: clamped to the row's
// range and truncated to its width, stored in its variable and written. Returns the
// value stored; the value unchanged for an unknown key.
int32_t SetIntSettingValue(std::string_view key, int32_t typed);

// Start-up: reads every setting into its variable (the settings file, the profile
// file, the defaults) and, on a first run, writes the core set back at once.
void LoadPreferences();
// The frame's exit (full = the "SavePreferences" option) and the frame command (full).
void SavePreferences(bool full);

// Grouped writers, called after OK in their dialogs.
void SavePagePrefs();       // page settings and user page size
void SaveStaffSizePrefs();  // "StaffSize", "UserStaffSize"
void SavePickListPrefs();   // "PickListDrives", "LoadLastFile", "PickListEntries"
void SaveNewScorePrefs();   // the new-score layout
void SaveDefaultFontPrefs(DefaultFont font);
void SaveQuickFontPrefs();  // "QuickFont0".."QuickFont23"
void SaveChordTypePrefs();  // "ChordType_0".."ChordType_15"
void SaveMeasureNumberPrefs();
void SaveMetronomePrefs();
// The engraving metrics: the built-in defaults into the options, the options to the
// subkey "Metrics", and the options from section "Musical Metrics".
void SetDefaultMetrics();
void SaveMetricsPrefs();
void ReadMetricsPrefs();

}  // namespace ql
