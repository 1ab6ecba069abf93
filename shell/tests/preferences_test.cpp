// Loading and saving the preferences: a first run writes the core set with the table's
// defaults, values of every kind load into their variables, a full save round-trips,
// the short save writes only its keys, and the engraving metrics reach a document.
#include <gtest/gtest.h>

#include <cstring>

#include "core/model/engraving_metrics.h"
#include "core/settings/metrics_table.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/settings_store.h"
#include "core/state.h"
#include "notes/pitch/spelling_preferences.h"
#include "shell/shell_services.h"
#include "shell/tests/settings_fixture.h"

namespace ql {
namespace {

using testing::WriteFileBytes;

class PreferencesTest : public testing::SettingsFixture {};

// With no settings file, loading takes every default and writes the core set, the
// quick fonts and the metrics at once, in the subkeys "Options", "Fonts" and "Metrics".
TEST_F(PreferencesTest, FirstRunWritesTheDefaults) {
    ASSERT_EQ(Open(), sys::SettingsFileState::Missing);
    LoadPreferences();
    ASSERT_TRUE(std::filesystem::exists(SettingsFile()));
    EXPECT_EQ(Stored("Options", "PageSize"), "0");
    EXPECT_EQ(Stored("Options", "PageStartLeftRight"), "1");
    EXPECT_EQ(Stored("Options", "StaffSize"), "4");
    EXPECT_EQ(Stored("Options", "UserStaffSize"), "16.00");
    EXPECT_EQ(Stored("Options", "UserPageWide"), "8.50");
    EXPECT_EQ(Stored("Options", "UserPageTall"), "11.00");
    EXPECT_EQ(Stored("Options", "InitSystemsPerPage"), "5");
    EXPECT_EQ(Stored("Options", "InitStavesPerSystem"), "2");
    EXPECT_EQ(Stored("Options", "NumSystemsSep"), "12.00");
    EXPECT_EQ(Stored("Options", "PickListDrives"), "C");
    EXPECT_EQ(Stored("Options", "PickListEntries"), "6");
    EXPECT_EQ(Stored("Options", "ChordType_0"), " ");
    EXPECT_EQ(Stored("Options", "ChordType_15"), "9-5");
    EXPECT_EQ(Stored("Options", "SavePreferences"), "1");
    EXPECT_EQ(Stored("Options", "MidiPortMap"), "0,0,0,0,0,0,0,0");
    EXPECT_EQ(Stored("Options", "MetronomePort"), "0");
    EXPECT_EQ(Stored("Fonts", "QuickFont1"), "Music Grace,Glyphora,408.00,2");
    EXPECT_EQ(Stored("Fonts", "QuickFont5"), "Tuplet numbers,Times New Roman,1.75,bold,italic,0");
    EXPECT_EQ(Stored("Metrics", "Beat0"), "2.000");
    EXPECT_EQ(Stored("Metrics", "BeamWid"), "0.468");
    EXPECT_EQ(Stored("Options", "HomeZoom"), std::nullopt);  // not in the core set
    EXPECT_EQ(AutoSaveSettings().count, 100);
    EXPECT_EQ(Options().HomeZoom, 8);
    EXPECT_EQ(Options().ExtendLimit, 512);  // needs more than a byte
    EXPECT_EQ(+ProgramPreferences().header.pageGeometry.measureNumberOffsetY, 128);
    EXPECT_EQ(+ProgramPreferences().header.rightMargins[2], 0x0050);  // RMarginRight ".5"
    EXPECT_STREQ(ProgramPreferences().musicFaceName, "Glyphora");
}

// The port map read back as it was stored, the count of output devices unknown
// (as it is at start-up): a port set to none (255) stays none, and an entry of an
// earlier version's map keeps its meaning (0: the default device).
TEST_F(PreferencesTest, ThePortMapReadsBackAsStored) {
    WriteSettings("[Options]\nMidiPortMap=255,0,2,0,0,0,0,255\n");
    Open();
    LoadPreferences();
    EXPECT_EQ(std::vector<int>(std::begin(Options().MidiPortMap), std::end(Options().MidiPortMap)),
              (std::vector<int>{255, 0, 2, 0, 0, 0, 0, 255}));
    Options().MidiPortMap[3] = 4;
    SavePreferences(false);
    EXPECT_EQ(Stored("Options", "MidiPortMap"), "255,0,2,4,0,0,0,255");
}

// With no default fonts stored, text lines, lyrics and measure numbers take the quick
// fonts "Tempo", "Lyric" and "Measure numbers", the new score's references name them: never
// quick font 0, the chord diagrams, in which a typed text line shows nothing readable.
TEST_F(PreferencesTest, MissingDefaultFontsAreMadeFromQuickFontsThatWriteLetters) {
    Open();
    LoadPreferences();
    const PreferenceDefaults& prefs = ProgramPreferences();
    const char* names[] = {"Tempo", "Lyric", "Measure numbers"};
    for (int i = 0; i < kDefaultFontCount; ++i) {
        const DefaultFontSetting& font = Options().DefaultFonts[i];
        EXPECT_EQ(font.winFont, 0u) << i;
        ASSERT_LT(font.slot, static_cast<uint32_t>(kScoreFontCount)) << i;
        EXPECT_STREQ(prefs.fonts[font.slot].name, names[i]) << i;
        EXPECT_EQ(font.face, "Times New Roman") << i;
    }
    // What a new score copies for its text lines and lyrics.
    for (const FontRef& ref : prefs.fontRefs) {
        const int slot = ref.faceIndex;  // a packed field, read by value
        EXPECT_EQ(+ref.flag, 0);
        ASSERT_LT(slot, kScoreFontCount);
        EXPECT_STREQ(prefs.fonts[slot].face, "Times New Roman");
    }
}

// A later run that finds the subkeys writes nothing at load.
TEST_F(PreferencesTest, LaterRunWritesNothingAtLoad) {
    Open();
    LoadPreferences();
    SavePreferences(true);
    const std::string before = SettingsText();
    std::filesystem::remove(SettingsFile());
    WriteFileBytes(SettingsFile(), before);
    ResetSettings();
    Open();
    LoadPreferences();
    EXPECT_EQ(SettingsText(), before);
}

// Values of every kind go into their variables: table rows of each home, texts,
// distances, fonts and the composite forms.
TEST_F(PreferencesTest, LoadFillsEveryKindOfVariable) {
    WriteSettings(
        "[Options]\nStaffSize=7\nAutoBeam=0\nHomeZoom=3\nToolSize=16\nVerify=0\nVerifySave=1\n"
        "UserStaffSize=12.5\nLMarginTop=2.25\nTempo=96\nCopyRight=(c) me\n"
        "MidiPortMap=1,2,0,5,9,1,1,1\nQZoom2=10,-20,4\nQZoom3=1,2\n"
        "AcciMajorDefault=1,1,1,1,1,1,1,1,1,1,1,1\nColorTitle=SKY\nColorMenu=1,2,300\nColorButton="
        "plaid\n"
        "ChordType_3=dom7\nLanguage=Klingon\nMetronomePatch=12\n"
        "[ToolbarSettings]\nToolSize=-8\n"
        "[Fonts]\nQuickFont4=Lyric,Arial,2.50,italic,0\nQuickFont6=broken\n"
        "DefLyricFont=1,3,-200,1,0,0,0,Times, New\nMusicFontName=Other\n"
        "[Metrics]\nBeat0=3.5\n");
    Options().OutputDeviceEntries = 6;
    Open();
    LoadPreferences();
    const PreferenceDefaults& prefs = ProgramPreferences();
    EXPECT_EQ(+prefs.header.pageGeometry.staffSize, 7);
    EXPECT_EQ(State().notes.AutoBeam, 0);
    EXPECT_EQ(Options().HomeZoom, 3);
    EXPECT_EQ(Options().ToolSize, -8);
    EXPECT_EQ(Options().Verify, 1);  // "VerifySave" is read last
    EXPECT_EQ(+prefs.header.fontSizeSetting, 0x1250);
    EXPECT_EQ(+prefs.header.pageGeometry.userStaffSize, 1600);
    EXPECT_EQ(+prefs.header.leftMargins[1], 0x0225);
    EXPECT_EQ(+prefs.header.tempo, 96);
    EXPECT_EQ(Options().CopyRight, "(c) me");
    EXPECT_EQ(std::vector<int>(std::begin(Options().MidiPortMap), std::end(Options().MidiPortMap)),
              (std::vector<int>{1, 2, 0, 5, 0, 1, 1, 1}));  // 0 and 9 (no such entry) not taken
    EXPECT_TRUE(Options().QuickZooms[2].stored);
    EXPECT_EQ(Options().QuickZooms[2].originY, -20);
    EXPECT_FALSE(Options().QuickZooms[3].stored);  // two numbers: unchanged
    EXPECT_EQ(SpellingPreferencesOf(false)[3], 1);
    EXPECT_EQ(Options().Colours[0], gfx::Rgb(0, 255, 255));
    EXPECT_EQ(Options().Colours[1], gfx::Rgb(1, 2, 255));
    EXPECT_FALSE(Options().Colours[2].has_value());
    EXPECT_EQ(Options().ChordTypes[3], "dom7");
    EXPECT_EQ(Options().ChordTypes[4], "maj7");
    EXPECT_EQ(Options().Language, "English");  // no such language: the built-in one
    EXPECT_EQ(Options().MetronomePatch, 12);
    EXPECT_STREQ(prefs.fonts[4].face, "Arial");
    EXPECT_EQ(+prefs.fonts[4].height, 400);
    EXPECT_EQ(+prefs.fonts[4].italic, 1);
    EXPECT_STREQ(prefs.fonts[6].name, "Chord Names");  // unreadable: the built-in font
    EXPECT_EQ(Options().DefaultFonts[1].height, -200);
    EXPECT_EQ(Options().DefaultFonts[1].face, "Times, New");
    EXPECT_EQ(+prefs.fontRefs[1].flag, 1);
    EXPECT_EQ(+prefs.fontRefs[1].faceIndex, 3);
    EXPECT_STREQ(prefs.fontRefFaceNames[1], "Times, New");
    EXPECT_EQ(Options().DefaultFonts[2].slot, 9u);  // made from quick font 9
    EXPECT_STREQ(prefs.measureNumberFaceName, "Times New Roman");
    EXPECT_STREQ(prefs.musicFaceName, "Other");
    EXPECT_EQ(Options().Metrics[0], 0x3500);
}

// The drawing options of the settings reach the flags the drawing reads: ossia
// staves shown, tablature stems and the rests of empty measures drawn as the
// settings file says; the Auto rest the menu turns off is the one saved.
TEST_F(PreferencesTest, DrawingOptionsLoadIntoWhatTheDrawingReads) {
    WriteSettings("[Options]\nAutoHideTABStems=0\nOssiaStaves=1\nAutoRest=0\n");
    Open();
    LoadPreferences();
    EXPECT_EQ(State().notes.AutoHideTabStems, 0);
    EXPECT_EQ(State().display.OssiaStaves, 1);
    EXPECT_EQ(State().notes.AutoRest, 0);
    State().notes.AutoRest = 1;
    SavePreferences(true);
    EXPECT_EQ(Stored("Options", "AutoRest"), "1");
}

// A full save writes every variable it covers (quick fonts and metrics have writers of
// their own); loading it into fresh defaults gives back the same values.
TEST_F(PreferencesTest, FullSaveRoundTrips) {
    Open();
    LoadPreferences();
    PreferenceDefaults& prefs = ProgramPreferences();
    prefs.header.pageGeometry.measureNumberOffsetX = -77;
    prefs.header.tempo = 144;
    Options().HomeZoom = 11;
    Options().Language = "English";
    Options().TemplatePath = "/home/me/templates, mine";
    Options().QuickZooms[1] = QuickZoom{true, -30720, 512, 6};
    Options().DefaultFonts[0].height = 321;
    AutoSaveSettings().enabled = 1;
    SetSpellingPreference(true, 1, -1);
    SavePreferences(true);
    const PreferenceDefaults saved = prefs;
    const ProgramOptions savedOptions = Options();
    ResetSettings();
    Open();
    LoadPreferences();
    EXPECT_EQ(std::memcmp(&prefs.header, &saved.header, sizeof saved.header), 0);
    EXPECT_EQ(std::memcmp(prefs.fonts, saved.fonts, sizeof saved.fonts), 0);
    EXPECT_EQ(Options().HomeZoom, 11);
    EXPECT_EQ(Options().TemplatePath, savedOptions.TemplatePath);
    EXPECT_EQ(Options().QuickZooms[1].originX, -30720);
    EXPECT_EQ(Options().DefaultFonts[0], savedOptions.DefaultFonts[0]);
    EXPECT_EQ(AutoSaveSettings().enabled, 1);
    EXPECT_EQ(SpellingPreferencesOf(true)[1], -1);
}

// The short save at exit writes its keys only; the rest of the file stays.
TEST_F(PreferencesTest, ShortSaveWritesItsKeysOnly) {
    Open();
    LoadPreferences();
    Options().HomeZoom = 2;
    Options().PickListEntries = 9;
    Options().PickListDrives = "CD";
    SavePreferences(false);
    EXPECT_EQ(Stored("Options", "PickListEntries"), "9");
    EXPECT_EQ(Stored("Options", "PickListDrives"), "CD");
    EXPECT_EQ(Stored("Options", "HomeZoom"), std::nullopt);
}

// A grouped writer writes its dialog's keys: the measure-number rows and the show-
// changes flag.
TEST_F(PreferencesTest, MeasureNumberWriterWritesItsRows) {
    Open();
    ProgramPreferences().header.pageGeometry.measureNumberEvery = 5;
    Options().MeasureNumberShowChange = 0;
    SaveMeasureNumberPrefs();
    EXPECT_EQ(Stored("Options", "MeasureNumberEvery"), "5");
    EXPECT_EQ(Stored("Options", "MeasureNumberOffsetY"), "128");
    EXPECT_EQ(Stored("Options", "MeasureNumberShowChange"), "0");
    EXPECT_EQ(Stored("Options", "StaffSize"), std::nullopt);
}

// The metrics reach a document's distances in logical units (x 128, truncated); word 9
// is not a metric and is left alone.
TEST_F(PreferencesTest, MetricsReachTheDocument) {
    WriteSettings("[Metrics]\nBeat0=3.5\nBeamWid=.5\n");
    Open();
    LoadPreferences();
    uint16_t distances[kPageDistanceCount];
    std::fill(std::begin(distances), std::end(distances), uint16_t{7});
    LoadMetricsPrefs(nullptr, distances);
    EXPECT_EQ(distances[static_cast<int>(EngravingMetric::Beat0)], 448);
    EXPECT_EQ(distances[static_cast<int>(EngravingMetric::BeamWid)], 64);
    EXPECT_EQ(distances[static_cast<int>(EngravingMetric::StemWid)], 11);    // .093 x 128
    EXPECT_EQ(distances[static_cast<int>(EngravingMetric::FirstAcci)], 88);  // .69 x 128
    EXPECT_EQ(distances[kNonDistanceWord], 7);
    LoadMetricsPrefs(nullptr, nullptr);  // nothing to fill
}

// The metrics writer saves the 27 metrics as d.ddd texts; the quick-font writer the 24
// fonts; both read back as they were.
TEST_F(PreferencesTest, MetricAndQuickFontWritersRoundTrip) {
    Open();
    LoadPreferences();
    Options().Metrics[static_cast<int>(EngravingMetric::TieWid)] = 0x0125;
    ProgramPreferences().fonts[12].bold = 0;
    ProgramPreferences().fonts[12].underline = 1;
    SaveMetricsPrefs();
    SaveQuickFontPrefs();
    EXPECT_EQ(Stored("Metrics", "TieWid"), "0.125");
    EXPECT_EQ(Stored("Fonts", "QuickFont12"), "Title,Times New Roman,4.00,underline,0");
    const PreferenceDefaults saved = ProgramPreferences();
    ResetSettings();
    Open();
    LoadPreferences();
    EXPECT_EQ(Options().Metrics[static_cast<int>(EngravingMetric::TieWid)], 0x0125);
    EXPECT_EQ(std::memcmp(ProgramPreferences().fonts, saved.fonts, sizeof saved.fonts), 0);
}

}  // namespace
}  // namespace ql
