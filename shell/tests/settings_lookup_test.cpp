// The settings primitives: sections mapped to subkeys, the lookup chain per key
// (settings file, profile file's three sections, default), deleting with a null text,
// and values stored into the table's variables by range and width.
#include <gtest/gtest.h>

#include "core/settings/preference_defaults.h"
#include "core/settings/settings_store.h"
#include "core/state.h"
#include "shell/tests/settings_fixture.h"

namespace ql {
namespace {

using testing::WriteFileBytes;

class SettingsLookupTest : public testing::SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        Open();
        profile = ProfileFile().string();
    }
    std::string Text(const char* section, const char* key, const char* defaultText, int size = 64,
                     const char* profilePath = nullptr) {
        char buffer[64] = "untouched";
        GetPrefString(section, key, defaultText, buffer, size,
                      profilePath ? profilePath : profile.c_str());
        return buffer;
    }

    std::string profile;
};

// "Quaverlinescribe" and "Version 2" share the subkey "Options", "Musical Metrics" is
// "Metrics", any other section is its own.
TEST_F(SettingsLookupTest, SectionsMapToSubkeys) {
    EXPECT_EQ(SubkeyOfSection("Quaverlinescribe"), "Options");
    EXPECT_EQ(SubkeyOfSection("Version 2"), "Options");
    EXPECT_EQ(SubkeyOfSection("Musical Metrics"), "Metrics");
    EXPECT_EQ(SubkeyOfSection("ToolbarSettings"), "ToolbarSettings");
    SetPrefDword("Version 2", "PolyMode", 0);
    EXPECT_EQ(GetPrefInt("Quaverlinescribe", "PolyMode", 1, nullptr), 0);
    EXPECT_EQ(Stored("Options", "PolyMode"), "0");
    SetPrefString("Musical Metrics", "Beat0", "2.5");
    EXPECT_EQ(Stored("Metrics", "Beat0"), "2.5");
}

// A number comes from the settings file, else the profile's [section], then
// [Quaverlinescribe], then [Version 2], else the default. The profile's -2147483648
// passes a section over; in the settings file it is a value.
TEST_F(SettingsLookupTest, NumberLookupChain) {
    WriteFileBytes(
        ProfileFile(),
        "[Fonts]\nInSection=1\nSentinel=-2147483648\n"
        "[Quaverlinescribe]\nInSection=2\nInMain=2\nSentinel=5\nMainSentinel=-2147483648\n"
        "[Version 2]\nInSection=3\nInMain=3\nInVersion2=3\nMainSentinel=6\nNotNumber=x\n");
    SetPrefDword("Fonts", "InFile", 9);
    SetPrefDword("Fonts", "FileSentinel", -2147483647 - 1);
    EXPECT_EQ(GetPrefInt("Fonts", "InFile", 0, profile.c_str()), 9);
    EXPECT_EQ(GetPrefInt("Fonts", "FileSentinel", 0, profile.c_str()), -2147483647 - 1);
    EXPECT_EQ(GetPrefInt("Fonts", "InSection", 0, profile.c_str()), 1);
    EXPECT_EQ(GetPrefInt("Fonts", "InMain", 0, profile.c_str()), 2);
    EXPECT_EQ(GetPrefInt("Fonts", "InVersion2", 0, profile.c_str()), 3);
    EXPECT_EQ(GetPrefInt("Fonts", "Sentinel", 0, profile.c_str()), 5);
    EXPECT_EQ(GetPrefInt("Fonts", "MainSentinel", 0, profile.c_str()), 6);
    EXPECT_EQ(GetPrefInt("Fonts", "NotNumber", 7, profile.c_str()), 7);
    EXPECT_EQ(GetPrefInt("Fonts", "Nowhere", 8, profile.c_str()), 8);
    EXPECT_EQ(GetPrefInt("Fonts", "InSection", 8, ""), 8);  // no profile: the default
    EXPECT_EQ(GetPrefInt("Fonts", "InSection", 8, nullptr), 8);
}

// A text the same way, except that an empty text in [section] or [Quaverlinescribe]
// passes on; it is cut to the buffer; with no default or no buffer only the settings
// file answers.
TEST_F(SettingsLookupTest, TextLookupChain) {
    WriteFileBytes(ProfileFile(),
                   "[Fonts]\nInSection=one\nEmpty=\n"
                   "[Quaverlinescribe]\nInMain=two\nEmpty=\nMainEmpty=\n"
                   "[Version 2]\nInVersion2=three\nMainEmpty=four\n");
    SetPrefString("Fonts", "InFile", "file");
    EXPECT_EQ(Text("Fonts", "InFile", "d"), "file");
    EXPECT_EQ(Text("Fonts", "InSection", "d"), "one");
    EXPECT_EQ(Text("Fonts", "InMain", "d"), "two");
    EXPECT_EQ(Text("Fonts", "InVersion2", "d"), "three");
    EXPECT_EQ(Text("Fonts", "MainEmpty", "d"), "four");
    EXPECT_EQ(Text("Fonts", "Empty", "d"), "d");
    EXPECT_EQ(Text("Fonts", "Nowhere", "default"), "default");
    EXPECT_EQ(Text("Fonts", "Nowhere", "default", 4), "def");
    EXPECT_EQ(Text("Fonts", "InFile", "d", 3), "fi");
    EXPECT_EQ(Text("Fonts", "InSection", "default", 64, ""), "default");
    EXPECT_EQ(Text("Fonts", "Nowhere", nullptr), "");
    EXPECT_EQ(GetPrefString("Fonts", "InSection", "d", nullptr, 10, profile.c_str()), 0);
    EXPECT_EQ(GetPrefString("Fonts", "InFile", "d", nullptr, 10, profile.c_str()), 0);
    char buffer[8];
    EXPECT_EQ(GetPrefString("Fonts", "InMain", "d", buffer, sizeof buffer, profile.c_str()), 3);
}

// A null text deletes the value where it lives: in the section's subkey.
TEST_F(SettingsLookupTest, NullTextDeletesTheValueInItsSubkey) {
    SetPrefString("Quaverlinescribe", "RebarBand", "1,2,3");
    SetPrefString("ToolbarSettings", "RebarBand", "4");
    ASSERT_EQ(Stored("Options", "RebarBand"), "1,2,3");
    EXPECT_EQ(SetPrefString("Version 2", "RebarBand", nullptr), 1);
    EXPECT_EQ(Stored("Options", "RebarBand"), std::nullopt);
    EXPECT_EQ(Stored("ToolbarSettings", "RebarBand"), "4");
    EXPECT_EQ(Text("Quaverlinescribe", "RebarBand", "gone"), "gone");
    EXPECT_EQ(SetPrefString("Version 2", "RebarBand", nullptr), 1);  // already gone
    EXPECT_EQ(SetPrefString(nullptr, "RebarBand", nullptr), 0);
}

// A typed autosave count is clamped to 1..127 before it is stored: 300 is 127, not
// the 44 a byte would keep; 0 and negatives are 1. The file gets the stored value.
TEST_F(SettingsLookupTest, AutoSaveCountIsClamped) {
    EXPECT_EQ(SetIntSettingValue("AutoSaveCount", 300), 127);
    EXPECT_EQ(AutoSaveSettings().count, 127);
    EXPECT_EQ(Stored("Options", "AutoSaveCount"), "127");
    EXPECT_EQ(SetIntSettingValue("AutoSaveCount", 0), 1);
    EXPECT_EQ(SetIntSettingValue("AutoSaveCount", -5), 1);
    EXPECT_EQ(SetIntSettingValue("AutoSaveCount", 127), 127);
    EXPECT_EQ(SetIntSettingValue("NoSuchKey", 300), 300);
}

// Other rows keep what their variable's width keeps, with its sign.
TEST_F(SettingsLookupTest, ValuesAreStoredByWidthAndSign) {
    EXPECT_EQ(SetIntSettingValue("DegreesPerInch", 70000), 70000 - 65536);
    EXPECT_EQ(+ProgramPreferences().header.pageGeometry.degreesPerInch, 70000 - 65536);
    EXPECT_EQ(SetIntSettingValue("ToolSize", 40000), 40000 - 65536);
    EXPECT_EQ(SetIntSettingValue("ToolSize", -3), -3);
    EXPECT_EQ(Options().ToolSize, -3);
    EXPECT_EQ(SetIntSettingValue("FudgeLimit", -2147483647 - 1), -2147483647 - 1);
    EXPECT_EQ(SetIntSettingValue("SplitPoint", 256 + 60), 60);
    EXPECT_EQ(SetIntSettingValue("IsSpacing", 1), 1);
    EXPECT_EQ(State().layout.SpacingMode, 1);
}

// "Verify" and "VerifySave" are one variable: a value typed for either is written
// under both keys.
TEST_F(SettingsLookupTest, VerifyKeysShareTheirVariable) {
    SetIntSettingValue("VerifySave", 0);
    EXPECT_EQ(Options().Verify, 0);
    EXPECT_EQ(Stored("Options", "Verify"), "0");
    EXPECT_EQ(Stored("Options", "VerifySave"), "0");
}

}  // namespace
}  // namespace ql
