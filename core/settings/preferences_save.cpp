// Saving the preferences: the frame's save at exit (a few keys always, everything when
// full) and the grouped writers the dialogs call after OK. Each runs as one batch, so
// the settings file is rewritten once.
#include <cstdio>
#include <vector>

#include "core/settings/preference_defaults.h"
#include "core/settings/preference_keys.h"
#include "core/settings/setting_values.h"
#include "core/settings/settings_store.h"
#include "core/state.h"
#include "core/state/spelling_preference_table.h"
#include "core/units/units.h"

namespace ql {
namespace {

constexpr std::string_view kMeasureNumberPrefix = "MeasureNumber";

void WriteDistance(const char* key, BcdInches word) {
    char text[kBcdTextBytes];
    BcdInchesToText(word, text, sizeof text);
    SetPrefString(kMainSection, key, text);
}

void WriteSpelling(const char* key, bool minor) {
    const SpellingPreferenceTable& tables = State().notes.SpellingPreferences;
    const int8_t* table = minor ? tables.minor : tables.major;
    std::vector<int32_t> numbers(table, table + kSpellingIntervals);
    SetPrefString(kMainSection, key, FormatNumberList(numbers).c_str());
}

void WriteQuickZooms() {
    for (int n = 0; n < kQuickZoomCount; ++n) {
        const QuickZoom& zoom = Options().QuickZooms[n];
        if (!zoom.stored) continue;
        const int32_t numbers[] = {zoom.originX, zoom.originY, zoom.zoom};
        SetPrefString(kMainSection, NumberedKey(kQuickZoomKey, n).c_str(),
                      FormatNumberList(numbers).c_str());
    }
}

void WriteFullSet() {
    for (int i = 0; i < kDefaultFontCount; ++i) SaveDefaultFontPrefs(static_cast<DefaultFont>(i));
    for (const IntSetting& row : IntSettingsTable()) SetPrefDword(row.section, row.key, row.read());
    SetPrefDword(kMainSection, kShowChangeKey, Options().MeasureNumberShowChange);
    WriteQuickZooms();
    SetPrefString(kMainSection, kLanguageKey, Options().Language.c_str());
    WriteSpelling(kMajorSpellingKey, false);
    WriteSpelling(kMinorSpellingKey, true);
    SaveMetronomePrefs();
    SetPrefString(kVersion2Section, kCopyrightKey, Options().CopyRight.c_str());
    SetPrefString(kVersion2Section, kTemplatePathKey, Options().TemplatePath.c_str());
}

}  // namespace

std::string NumberedKey(const char* format, int n) {
    char key[64];
    std::snprintf(key, sizeof key, format, n);
    return key;
}

std::string PrefText(const char* section, const char* key, const char* defaultText, int chars) {
    std::vector<char> buffer(static_cast<size_t>(chars), '\0');
    GetPrefString(section, key, defaultText, buffer.data(), chars, ProfilePath().c_str());
    return buffer.data();
}

int32_t PrefInt(const char* section, const char* key, int32_t defaultValue) {
    return GetPrefInt(section, key, defaultValue, ProfilePath().c_str());
}

void WriteIntRow(const char* key) {
    const IntSetting* row = FindIntSetting(key);
    if (row == nullptr) return;
    for (const IntSetting& other : IntSettingsTable())
        if (other.read == row->read) SetPrefDword(other.section, other.key, row->read());
}

std::string FormatPortMap() {
    std::vector<int32_t> entries(std::begin(Options().MidiPortMap),
                                 std::end(Options().MidiPortMap));
    return FormatNumberList(entries);
}

void SavePreferences(bool full) {
    sys::SettingsBatch batch(sys::ProgramSettings());
    WriteIntRow("SavePreferences");
    SetPrefString(kMainSection, kMidiPortMapKey, FormatPortMap().c_str());
    if (!Options().MidiPortNames.empty())
        SetPrefString(kMainSection, kMidiPortNamesKey, Options().MidiPortNames.c_str());
    if (!Options().RecordPortName.empty())
        SetPrefString(kMainSection, kRecordPortNameKey, Options().RecordPortName.c_str());
    if (!Options().SyncInPortName.empty())
        SetPrefString(kMainSection, kSyncInPortNameKey, Options().SyncInPortName.c_str());
    if (!Options().MidiStepInPortName.empty())
        SetPrefString(kMainSection, kMidiStepInPortNameKey, Options().MidiStepInPortName.c_str());
    if (!Options().MetronomePortName.empty())
        SetPrefString(kMainSection, kMetronomePortNameKey, Options().MetronomePortName.c_str());
    WriteIntRow("MidiStepInPort");
    WriteIntRow("RecordPort");
    SetPrefDword(kMainSection, kMetronomePortKey, Options().MetronomePort);
    SavePickListPrefs();
    if (full) WriteFullSet();
}

void SavePagePrefs() {
    sys::SettingsBatch batch(sys::ProgramSettings());
    for (const char* key :
         {"PageSize", "PageUnits", "PageOrient", "PageSingleDouble", "PageStartLeftRight"})
        WriteIntRow(key);
    const ScoreHeader& header = ProgramPreferences().header;
    WriteDistance(kUserPageWideKey, header.userPageWidth);
    WriteDistance(kUserPageTallKey, header.userPageHeight);
}

void SaveStaffSizePrefs() {
    sys::SettingsBatch batch(sys::ProgramSettings());
    WriteIntRow("StaffSize");
    WriteDistance(kUserStaffSizeKey, ProgramPreferences().header.fontSizeSetting);
}

void SavePickListPrefs() {
    sys::SettingsBatch batch(sys::ProgramSettings());
    SetPrefString(kMainSection, kPickListDrivesKey, Options().PickListDrives.c_str());
    WriteIntRow("LoadLastFile");
    WriteIntRow("PickListEntries");
}

void SaveNewScorePrefs() {
    sys::SettingsBatch batch(sys::ProgramSettings());
    for (const char* key : {"InitSystemsPerPage", "InitStavesPerSystem", "InitMeasuresPerSystem"})
        WriteIntRow(key);
    SetPrefString(kMainSection, kStaffSeparationKey, Options().InitStaffSeparation.c_str());
    SetPrefString(kMainSection, kSystemSeparationKey, Options().NumSystemsSep.c_str());
}

void SaveDefaultFontPrefs(DefaultFont font) {
    const int index = static_cast<int>(font);
    if (index < 0 || index >= kDefaultFontCount) return;
    SetPrefString(kFontsSection, kDefaultFontKeys[index],
                  FormatDefaultFont(Options().DefaultFonts[index]).c_str());
}

void SaveQuickFontPrefs() {
    sys::SettingsBatch batch(sys::ProgramSettings());
    for (int n = 0; n < kScoreFontCount; ++n) {
        const std::string text = FormatQuickFont(ProgramPreferences().fonts[n]);
        SetPrefString(kFontsSection, NumberedKey(kQuickFontKey, n).c_str(), text.c_str());
    }
}

void SaveChordTypePrefs() {
    sys::SettingsBatch batch(sys::ProgramSettings());
    for (int n = 0; n < kChordTypeCount; ++n)
        SetPrefString(kMainSection, NumberedKey(kChordTypeKey, n).c_str(),
                      Options().ChordTypes[n].c_str());
}

void SaveMeasureNumberPrefs() {
    sys::SettingsBatch batch(sys::ProgramSettings());
    for (const IntSetting& row : IntSettingsTable())
        if (std::string_view(row.key).starts_with(kMeasureNumberPrefix))
            SetPrefDword(row.section, row.key, row.read());
    SetPrefDword(kMainSection, kShowChangeKey, Options().MeasureNumberShowChange);
}

void SaveMetronomePrefs() {
    sys::SettingsBatch batch(sys::ProgramSettings());
    for (const MetronomeSetting& setting : kMetronomeSettings)
        SetPrefDword(kMainSection, setting.key, Options().*setting.field);
    SetPrefDword(kMainSection, kTempoKey, ProgramPreferences().header.tempo);
}

}  // namespace ql
