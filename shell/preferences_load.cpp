// Loading the preferences at start-up: the language, the engraving metrics, the fonts,
// the chord types, the integer table, then the text and composite settings in their
// stored order; values out of range are put right; a first run (no "Options" or no
// "ToolbarSettings" subkey) writes the core set back at once.
#include <cstdio>
#include <vector>

#include "core/core_strings.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/setting_values.h"
#include "core/settings/settings_store.h"
#include "core/ui/string_ids.h"
#include "core/units/paper_table.h"
#include "core/units/units.h"
#include "notes/pitch/spelling_preferences.h"
#include "shell/language.h"
#include "core/settings/preference_keys.h"

namespace ql {
namespace {

constexpr int kQuickZoomNumbers = 3;
constexpr uint8_t kDefaultStaffSizeIndex = 4;
constexpr uint8_t kRightPageFirst = 1;

template <size_t N>
void CopyName(char (&to)[N], const std::string& from) {
    std::snprintf(to, N, "%s", from.c_str());
}

void ReadQuickFonts() {
    PreferenceDefaults& prefs = ProgramPreferences();
    for (int n = 0; n < kScoreFontCount; ++n) {
        const std::string key = NumberedKey(kQuickFontKey, n);
        const auto slot = static_cast<uint8_t>(n);
        std::optional<QuickFontRecord> font = ParseQuickFont(
            PrefText(kFontsSection, key.c_str(), BuiltInQuickFont(n), kQuickFontChars), slot);
        if (!font) font = ParseQuickFont(BuiltInQuickFont(n), slot);
        prefs.fonts[n] = *font;
    }
}

// A default font when none is stored: its quick font (kDefaultFontQuickFonts).
DefaultFontSetting FontFromQuickFont(const QuickFontRecord& quick, int slot) {
    DefaultFontSetting font;
    font.slot = static_cast<uint32_t>(slot);
    font.height = static_cast<uint16_t>(quick.height);
    font.bold = quick.bold;
    font.italic = quick.italic;
    font.underline = quick.underline;
    font.charset = quick.charset;
    font.face = FixedFieldText(quick.face);
    return font;
}

void ReadDefaultFonts() {
    PreferenceDefaults& prefs = ProgramPreferences();
    for (int i = 0; i < kDefaultFontCount; ++i) {
        DefaultFontSetting& font = Options().DefaultFonts[i];
        if (font.face.empty()) font.face = kDefaultFontFace;
        std::optional<DefaultFontSetting> stored =
            ParseDefaultFont(PrefText(kFontsSection, kDefaultFontKeys[i], "", kCompositeChars));
        const int quick = kDefaultFontQuickFonts[i];
        font = stored ? *stored : FontFromQuickFont(prefs.fonts[quick], quick);
    }
    for (int i = 0; i < kFontRefCount; ++i) {
        const DefaultFontSetting& font = Options().DefaultFonts[i];
        prefs.fontRefs[i].flag = static_cast<uint8_t>(font.winFont != 0);
        prefs.fontRefs[i].faceIndex = static_cast<uint16_t>(font.slot);
        CopyName(prefs.fontRefFaceNames[i], font.face);
    }
    CopyName(prefs.measureNumberFaceName,
             Options().DefaultFonts[static_cast<int>(DefaultFont::MeasureNumbers)].face);
}

void ReadChordTypes() {
    for (int n = 0; n < kChordTypeCount; ++n) {
        const std::string key = NumberedKey(kChordTypeKey, n);
        const std::string fallback = ProgramString(kStrFirstChordType + n);
        Options().ChordTypes[n] =
            PrefText(kMainSection, key.c_str(), fallback.c_str(), kChordTypeChars);
    }
}

void ReadIntTable() {
    for (const IntSetting& row : IntSettingsTable())
        StoreIntSetting(row, PrefInt(row.section, row.key, row.defaultValue));
}

BcdInches PrefDistance(const char* key, const char* defaultText) {
    return TextToBcdInches(PrefText(kMainSection, key, defaultText, kNumberTextChars).c_str());
}

// Staff size, new-score separations, page size and margins, tempo.
void ReadPageTexts() {
    ProgramOptions& options = Options();
    ScoreHeader& header = ProgramPreferences().header;
    header.fontSizeSetting = PrefDistance(kUserStaffSizeKey, kUserStaffSizeDefault);
    header.pageGeometry.userStaffSize =
        static_cast<uint16_t>(BcdInchesToFloat(header.fontSizeSetting) * kUnitsPerBcdUnit);
    options.MeasureNumberShowChange = static_cast<uint8_t>(
        PrefInt(kMainSection, kShowChangeKey, options.MeasureNumberShowChange) & 1);
    options.InitStaffSeparation =
        PrefText(kMainSection, kStaffSeparationKey, kSeparationDefault, kSeparationChars);
    options.NumSystemsSep =
        PrefText(kMainSection, kSystemSeparationKey, kSeparationDefault, kSeparationChars);
    header.userPageWidth = PrefDistance(kUserPageWideKey, kUserPageWideDefault);
    header.userPageHeight = PrefDistance(kUserPageTallKey, kUserPageTallDefault);
    for (int i = 0; i < kMarginCount; ++i) {
        header.leftMargins[i] = PrefDistance(kLeftMarginKeys[i], kLeftMarginDefaults[i]);
        header.rightMargins[i] = PrefDistance(kRightMarginKeys[i], kRightMarginDefaults[i]);
    }
    header.tempo = static_cast<uint16_t>(PrefInt(kMainSection, kTempoKey, kDefaultTempo));
}

// Pick-list drives, the new score's copyright and template folder, the metronome port.
void ReadPathTexts() {
    ProgramOptions& options = Options();
    options.PickListDrives =
        PrefText(kMainSection, kPickListDrivesKey, kPickListDrivesDefault, kPickListDriveChars);
    options.CopyRight = PrefText(kVersion2Section, kCopyrightKey, "", kCopyrightChars);
    options.TemplatePath = PrefText(kVersion2Section, kTemplatePathKey,
                                    options.TemplatePath.c_str(), kTemplatePathChars);
    options.MetronomePort = PrefInt(kMainSection, kMetronomePortKey, options.MetronomePort);
    for (const MetronomeSetting& setting : kMetronomeSettings)
        options.*setting.field = PrefInt(kMainSection, setting.key, options.*setting.field);
}

// An entry is taken when it is the none entry, or within the output device entries
// when their count is known (the default device and every entry when it is not).
void ReadMidiPortMap() {
    ProgramOptions& options = Options();
    options.MidiPortNames = PrefText(kMainSection, kMidiPortNamesKey, "", kPortNamesChars);
    options.RecordPortName = PrefText(kMainSection, kRecordPortNameKey, "", kPortNamesChars);
    options.SyncInPortName = PrefText(kMainSection, kSyncInPortNameKey, "", kPortNamesChars);
    options.MidiStepInPortName = PrefText(kMainSection, kMidiStepInPortNameKey, "", kPortNamesChars);
    options.MetronomePortName = PrefText(kMainSection, kMetronomePortNameKey, "", kPortNamesChars);
    std::optional<std::vector<int32_t>> map = ParseNumberList(
        PrefText(kMainSection, kMidiPortMapKey, "", kCompositeChars), kLogicalPortCount);
    if (!map) return;
    for (int port = 0; port < kLogicalPortCount; ++port) {
        const int32_t entry = (*map)[port];
        const bool known = entry >= kDefaultDeviceEntry && entry < kNoDeviceEntry &&
                           (options.OutputDeviceEntries == 0 || entry < options.OutputDeviceEntries);
        if (known || entry == kNoDeviceEntry) options.MidiPortMap[port] = static_cast<uint8_t>(entry);
    }
}

void ReadQuickZooms() {
    for (int n = 0; n < kQuickZoomCount; ++n) {
        const std::string key = NumberedKey(kQuickZoomKey, n);
        std::optional<std::vector<int32_t>> zoom = ParseNumberList(
            PrefText(kMainSection, key.c_str(), "", kCompositeChars), kQuickZoomNumbers);
        if (zoom) Options().QuickZooms[n] = QuickZoom{true, (*zoom)[0], (*zoom)[1], (*zoom)[2]};
    }
}

void ReadSpellingAndColours() {
    const std::string major =
        PrefText(kMainSection, kMajorSpellingKey, kMajorSpellingDefault, kCompositeChars);
    const std::string minor =
        PrefText(kMainSection, kMinorSpellingKey, kMinorSpellingDefault, kCompositeChars);
    LoadSpellingPreferences(major.c_str(), minor.c_str());
    std::string names[kSettingColourNameCount];
    for (int i = 0; i < kSettingColourNameCount; ++i)
        names[i] = ProgramString(kStrFirstColourName + i);
    for (int i = 0; i < kSettingColourCount; ++i) {
        std::optional<gfx::Colour> colour =
            ParseSettingColour(PrefText(kMainSection, kColourKeys[i], "", kCompositeChars), names);
        if (colour) Options().Colours[i] = colour;
    }
}

void ReadMusicFontName() {
    PreferenceDefaults& prefs = ProgramPreferences();
    CopyName(prefs.musicFaceName, PrefText(kFontsSection, kMusicFontNameKey, kMusicFontNameDefault,
                                           kMusicFontNameChars));
}

// Values a damaged or hand-edited file may hold that nothing could show.
void PutRangesRight() {
    PageRecord& page = ProgramPreferences().header.pageGeometry;
    if (page.staffSize > kUserStaffSize) page.staffSize = kDefaultStaffSizeIndex;
    if (page.paperKind >= kPaperRowCount) page.paperKind = 0;
    if (page.unit > kPaperUnitCentimetres) page.unit = kPaperUnitInches;
    if (page.orientation > 1) page.orientation = 0;
    if (page.sides > 1) page.sides = 0;
    if (page.firstPage > kRightPageFirst) page.firstPage = kRightPageFirst;
    SanitizeTimeSignatureDefaults(ProgramPreferences());
}

void WriteFirstRunSet() {
    sys::SettingsBatch batch(sys::ProgramSettings());
    SavePagePrefs();
    SaveStaffSizePrefs();
    SavePickListPrefs();
    SaveNewScorePrefs();
    SaveChordTypePrefs();
    WriteIntRow("SavePreferences");
    SetPrefString(kMainSection, kMidiPortMapKey, FormatPortMap().c_str());
    WriteIntRow("MidiStepInPort");
    WriteIntRow("RecordPort");
    SetPrefDword(kMainSection, kMetronomePortKey, Options().MetronomePort);
}

}  // namespace

void LoadPreferences() {
    sys::SettingsBatch batch(sys::ProgramSettings());
    Options().Language =
        ChooseLanguage(PrefText(kMainSection, kLanguageKey, kBuiltInLanguage, kLanguageChars));
    ReadMetricsPrefs();
    ReadQuickFonts();
    ReadDefaultFonts();
    if (!SettingsSubkeyExists(kFontsSection)) SaveQuickFontPrefs();
    ReadChordTypes();
    ReadIntTable();
    ReadPageTexts();
    ReadPathTexts();
    ReadMidiPortMap();
    ReadQuickZooms();
    ReadSpellingAndColours();
    ReadMusicFontName();
    PutRangesRight();
    if (!SettingsSubkeyExists(kOptionsSubkey) || !SettingsSubkeyExists(kToolbarSection))
        WriteFirstRunSet();
}

}  // namespace ql
