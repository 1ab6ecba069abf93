// Damaged settings files: each kind of damage loads what can be read and the table's
// defaults for the rest, without a crash; the next save keeps the old file as
// "settings.bad" and writes a whole, clean file. A seeded random-mutation driver does
// the same to a full settings file and checks the loaded values stay in range and
// settle after one save.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "core/settings/preference_defaults.h"
#include "core/settings/settings_store.h"
#include "core/state.h"
#include "core/units/paper_table.h"
#include "platform/sys/settings_format.h"
#include "shell/tests/settings_fixture.h"

namespace ql {
namespace {

using testing::ReadFileBytes;

class DamagedSettingsTest : public testing::SettingsFixture {
  protected:
    // Loads `text` as the settings file; returns the state the store found.
    sys::SettingsFileState LoadFrom(const std::string& text) {
        ResetSettings();
        WriteSettings(text);
        Open();
        LoadPreferences();
        return sys::ProgramSettings().FileState();
    }
    // After a save the file reads back without damage.
    void ExpectCleanAfterSave(const std::string& original) {
        SavePreferences(true);
        EXPECT_EQ(ReadFileBytes(BadFile()), original);
        EXPECT_FALSE(sys::ParseSettingsText(SettingsText()).IsDamaged());
        std::filesystem::remove(BadFile());
    }
};

// The values loaded are ones the program can use, whatever the file held.
void ExpectUsableValues() {
    const PageRecord& page = ProgramPreferences().header.pageGeometry;
    EXPECT_LE(+page.staffSize, +kUserStaffSize);
    EXPECT_LT(+page.paperKind, kPaperRowCount);
    EXPECT_LE(+page.unit, 1);
    EXPECT_LE(+page.orientation, 1);
    EXPECT_LE(+page.sides, 1);
    EXPECT_LE(+page.firstPage, 1);
    EXPECT_GE(+AutoSaveSettings().count, kMinAutoSaveCount);
    EXPECT_LE(+AutoSaveSettings().count, kMaxAutoSaveCount);
    EXPECT_EQ(ProgramPreferences().musicFaceName[kFaceNameChars - 1], '\0');
    for (const QuickFontRecord& font : ProgramPreferences().fonts) EXPECT_NE(font.face[0], '\0');
}

// Bad numbers take the row's default; good keys around them are kept.
TEST_F(DamagedSettingsTest, BadNumbersTakeDefaults) {
    // Every subkey is there, so loading writes nothing: the damage waits for a save.
    const std::string text =
        "[Options]\nStaffSize=four\nHomeZoom=12abc\nAutoSaveCount=99999999999\n"
        "PickListEntries=3\n[ToolbarSettings]\nToolSize=\n[Fonts]\n[Metrics]\n";
    EXPECT_EQ(LoadFrom(text), sys::SettingsFileState::Damaged);
    EXPECT_FALSE(std::filesystem::exists(BadFile()));
    EXPECT_EQ(+ProgramPreferences().header.pageGeometry.staffSize, 4);
    EXPECT_EQ(Options().HomeZoom, 8);
    EXPECT_EQ(AutoSaveSettings().count, 100);
    EXPECT_EQ(Options().PickListEntries, 3);
    EXPECT_EQ(Options().ToolSize, 36);  // the large palettes
    ExpectCleanAfterSave(text);
}

// Lines without "=", raw binary bytes and broken escapes are skipped alone.
TEST_F(DamagedSettingsTest, BrokenLinesAreSkipped) {
    const std::string text =
        std::string("[Options]\nHomeZoom 12\nRulerOn=1\nTempo=\x01\x02\x03\n") +
        std::string("Language=\0Deutsch\n", 18) + "CopyRight=\\xZZ\nShowHidden=1\n";
    LoadFrom(text);  // the first-run writes at load keep the damaged file already
    EXPECT_EQ(ReadFileBytes(BadFile()), text);
    EXPECT_EQ(Options().HomeZoom, 8);
    EXPECT_EQ(Options().RulerOn, 1);
    EXPECT_EQ(+ProgramPreferences().header.tempo, 120);
    EXPECT_EQ(Options().Language, "English");
    EXPECT_EQ(Options().CopyRight, "");
    EXPECT_EQ(Options().ShowHidden, 1);
    ExpectCleanAfterSave(text);
}

// A missing section is no damage: its values take defaults, and loading writes the
// core set at once as on a first run.
TEST_F(DamagedSettingsTest, MissingSectionTakesDefaults) {
    EXPECT_EQ(LoadFrom("[Fonts]\nMusicFontName=Glyphora\n[ToolbarSettings]\nToolSize=32\n"),
              sys::SettingsFileState::Loaded);
    EXPECT_EQ(Options().HomeZoom, 8);
    EXPECT_EQ(Options().ToolSize, 32);
    EXPECT_EQ(Stored("Options", "StaffSize"), "4");
    EXPECT_EQ(Stored("ToolbarSettings", "ToolSize"), "32");
}

// Whole files that are not settings at all: empty, binary, a headerless list, values
// out of every range, an oversized file. Each loads with defaults where it must.
TEST_F(DamagedSettingsTest, WholeFilesOfGarbageLoad) {
    std::string binary;
    std::mt19937 random(7);
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>(random()));
    const std::string outOfRange =
        "[Options]\nStaffSize=300\nPageSize=99\nPageUnits=7\nPageOrient=2\nPageSingleDouble=9\n"
        "PageStartLeftRight=5\nAutoSaveCount=300\nUserStaffSize=-1\nLMarginLeft=999999\n"
        "[Fonts]\nQuickFont0=,,,\nQuickFont1=a,b,-4\nQuickFont2=a,b,1e9999\nDefTexlineFont=1,2\n"
        "MusicFontName=" +
        std::string(500, 'x') + "\n";
    std::string oversized = "[Options]\nHomeZoom=3\n";
    while (oversized.size() <= sys::kMaxSettingsTextBytes) oversized += "Filler=0123456789abcdef\n";
    for (const std::string& text :
         {std::string(), binary, std::string("StaffSize=2\nHomeZoom=1\n"), outOfRange, oversized}) {
        LoadFrom(text);
        ExpectUsableValues();
    }
    EXPECT_EQ(Options().HomeZoom, 3);  // the oversized file's first values are read
    LoadFrom(outOfRange);
    EXPECT_EQ(AutoSaveSettings().count, 127);
    EXPECT_EQ(+ProgramPreferences().header.pageGeometry.staffSize, 4);
    EXPECT_STREQ(ProgramPreferences().fonts[0].name, "Fret Symbols");
    EXPECT_EQ(std::strlen(ProgramPreferences().musicFaceName), size_t{kFaceNameChars - 1});
}

// Seeded random mutations of a full settings file: every load gives usable values,
// and after one save the values settle (loading the saved file gives them again).
TEST_F(DamagedSettingsTest, RandomMutationsOfAFullFile) {
    Open();
    LoadPreferences();
    ProgramPreferences().header.tempo = 77;
    Options().HomeZoom = 5;
    Options().QuickZooms[0] = QuickZoom{true, 1, 2, 3};
    SavePreferences(true);
    SaveQuickFontPrefs();
    SaveMetricsPrefs();
    const std::string full = SettingsText();
    std::mt19937 random(424242);
    for (int round = 0; round < 120; ++round) {
        std::string mutated = full;
        const int edits = 1 + static_cast<int>(random() % 10);
        for (int e = 0; e < edits && !mutated.empty(); ++e) {
            const size_t at = random() % mutated.size();
            switch (random() % 3) {
                case 0:
                    mutated[at] = static_cast<char>(random() % 256);
                    break;
                case 1:
                    mutated.insert(at, 1, "=[]\\\n,-9x"[random() % 10]);
                    break;
                default:
                    mutated.erase(at, 1 + random() % 16);
                    break;
            }
        }
        LoadFrom(mutated);
        ExpectUsableValues();
        SavePreferences(true);
        SaveQuickFontPrefs();
        SaveMetricsPrefs();
        const PreferenceDefaults settled = ProgramPreferences();
        ResetSettings();
        Open();
        LoadPreferences();
        ASSERT_EQ(std::memcmp(&ProgramPreferences().header, &settled.header, sizeof settled.header),
                  0)
            << "round " << round;
        ASSERT_EQ(std::memcmp(ProgramPreferences().fonts, settled.fonts, sizeof settled.fonts), 0)
            << "round " << round;
        std::filesystem::remove(BadFile());
    }
}

}  // namespace
}  // namespace ql
