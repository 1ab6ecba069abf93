// The settings primitives over the settings file, and the lookup chain through the
// profile file.
#include "core/settings/settings_store.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/sys/folders.h"
#include "platform/sys/profile_file.h"
#include "platform/sys/settings_format.h"

namespace ql {
namespace {

constexpr std::string_view kMainSectionName = kMainSection;
constexpr std::string_view kVersion2SectionName = kVersion2Section;
constexpr std::string_view kMetricsSectionName = kMetricsSection;

std::string& ProfilePathSlot() {
    static std::string path;
    return path;
}

bool HasProfile(const char* profilePath) {
    return profilePath != nullptr && *profilePath != '\0';
}

// Copies as much of `text` as fits, terminated; the length copied.
int CopyToBuffer(std::string_view text, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    const size_t length = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(std::strlen(buffer));  // a value may hold a zero byte
}

// A number from the profile's [section], [Quaverlinescribe], then [Version 2];
// the first two are passed over when they give the "no value" sentinel.
int32_t ProfileInt(const char* profilePath, const char* section, const char* key,
                   int32_t defaultValue) {
    for (std::string_view name : {std::string_view(section), kMainSectionName}) {
        int32_t value = sys::ReadProfileNumber(profilePath, name, key).value_or(kProfileNoValue);
        if (value != kProfileNoValue) return value;
    }
    return sys::ReadProfileNumber(profilePath, kVersion2SectionName, key).value_or(defaultValue);
}

// A text from the profile's [section] or [Quaverlinescribe] when not empty, else
// [Version 2], else the default.
std::string ProfileText(const char* profilePath, const char* section, const char* key,
                        const char* defaultText) {
    for (std::string_view name : {std::string_view(section), kMainSectionName}) {
        std::optional<std::string> text = sys::ReadProfileText(profilePath, name, key);
        if (text && !text->empty()) return *text;
    }
    return sys::ReadProfileText(profilePath, kVersion2SectionName, key).value_or(defaultText);
}

}  // namespace

sys::SettingsFileState OpenSettingsFiles() {
    SetProfilePath((sys::ProgramFolder() / kProfileFileName).string());
    const std::filesystem::path config = sys::UserConfigFolder();
    if (config.empty()) {
        sys::CloseProgramSettings();
        return sys::SettingsFileState::MemoryOnly;
    }
    return sys::OpenProgramSettings(config / kSettingsFolderName);
}

const std::string& ProfilePath() {
    return ProfilePathSlot();
}
void SetProfilePath(const std::string& path) {
    ProfilePathSlot() = path;
}

std::string_view SubkeyOfSection(std::string_view section) {
    if (sys::SameSettingsName(section, kMainSectionName) ||
        sys::SameSettingsName(section, kVersion2SectionName))
        return kOptionsSubkey;
    if (sys::SameSettingsName(section, kMetricsSectionName)) return kMetricsSubkey;
    return section;
}

bool SettingsSubkeyExists(std::string_view subkey) {
    return sys::ProgramSettings().HasSection(subkey);
}

int WriteSettingText(const char* section, const char* key, std::string_view text) {
    if (section == nullptr || key == nullptr) return kSettingsNotFound;
    const bool written = sys::ProgramSettings().WriteText(SubkeyOfSection(section), key, text);
    return written ? kSettingsOk : kSettingsWriteFault;
}

int WriteSettingNumber(const char* section, const char* key, int32_t value) {
    if (section == nullptr || key == nullptr) return kSettingsNotFound;
    const bool written = sys::ProgramSettings().WriteNumber(SubkeyOfSection(section), key, value);
    return written ? kSettingsOk : kSettingsWriteFault;
}

int ReadSettingText(const char* section, const char* key, char* buffer, int size) {
    if (section == nullptr || key == nullptr) return kSettingsNotFound;
    std::optional<std::string> text =
        sys::ProgramSettings().ReadText(SubkeyOfSection(section), key);
    if (!text) return kSettingsNotFound;
    CopyToBuffer(*text, buffer, size);
    return kSettingsOk;
}

int ReadSettingNumber(const char* section, const char* key, int32_t* value) {
    if (section == nullptr || key == nullptr) return kSettingsNotFound;
    std::optional<int32_t> number =
        sys::ProgramSettings().ReadNumber(SubkeyOfSection(section), key);
    if (!number) return kSettingsNotFound;
    if (value != nullptr) *value = *number;
    return kSettingsOk;
}

int32_t GetPrefInt(const char* section, const char* key, int32_t defaultValue,
                   const char* profilePath) {
    int32_t value = kProfileNoValue;
    if (ReadSettingNumber(section, key, &value) == kSettingsOk) return value;
    if (!HasProfile(profilePath) || section == nullptr || key == nullptr) return defaultValue;
    return ProfileInt(profilePath, section, key, defaultValue);
}

int GetPrefString(const char* section, const char* key, const char* defaultText, char* buffer,
                  int size, const char* profilePath) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    if (ReadSettingText(section, key, buffer, size) == kSettingsOk)
        return buffer != nullptr && size > 0 ? static_cast<int>(std::strlen(buffer)) : 0;
    if (defaultText == nullptr || buffer == nullptr || section == nullptr || key == nullptr)
        return 0;
    if (!HasProfile(profilePath)) return CopyToBuffer(defaultText, buffer, size);
    return CopyToBuffer(ProfileText(profilePath, section, key, defaultText), buffer, size);
}

int SetPrefDword(const char* section, const char* key, int32_t value) {
    return WriteSettingNumber(section, key, value) == kSettingsOk ? 1 : 0;
}

int SetPrefString(const char* section, const char* key, const char* text) {
    if (section == nullptr || key == nullptr) return 0;
    if (text != nullptr) return WriteSettingText(section, key, text) == kSettingsOk ? 1 : 0;
    sys::SettingsStore& store = sys::ProgramSettings();
    const std::string_view subkey = SubkeyOfSection(section);
    if (!store.ReadText(subkey, key)) return 1;  // nothing to delete
    return store.DeleteValue(subkey, key) ? 1 : 0;
}

int32_t SetIntSettingValue(std::string_view key, int32_t typed) {
    const IntSetting* row = FindIntSetting(key);
    if (row == nullptr) return typed;
    StoreIntSetting(*row, typed);
    const int32_t stored = row->read();
    // Every key of the variable ("Verify" and "VerifySave") is written.
    for (const IntSetting& other : IntSettingsTable())
        if (other.read == row->read) SetPrefDword(other.section, other.key, stored);
    return stored;
}

}  // namespace ql
