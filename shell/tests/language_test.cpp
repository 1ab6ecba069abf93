// Choosing the user-interface language: the bundles in the program folder, chosen by
// the name the "Language" setting holds, with the built-in English otherwise.
#include "shell/language.h"

#include <gtest/gtest.h>

#include "core/core_strings.h"
#include "core/state.h"
#include "platform/sys/resources.h"
#include "shell/settings_store.h"
#include "shell/tests/settings_fixture.h"

namespace ql {
namespace {

using testing::WriteFileBytes;

class LanguageTest : public testing::SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        const std::filesystem::path program = scratch / "program";
        WriteFileBytes(program / "QLde.lang",
                       "[Strings]\n3=Quaverlinescribe\n1200=Deutsch\n1201=hilfe\n1066="
                       "Ung\xC3\xBCltiger Wert\n");
        WriteFileBytes(program / "QLfr.lang",
                       "[Strings]\n3=Quaverlinescribe\n1200=Fran\xC3\xA7"
                       "ais\n");
        WriteFileBytes(program / "QLzz.lang", "[Strings]\n3=Someone Else\n1200=Zed\n");
    }
};

// The built-in English comes first, then the program's bundles in file-name order.
TEST_F(LanguageTest, AvailableLanguages) {
    EXPECT_EQ(AvailableLanguages(), (std::vector<std::string>{"English", "Deutsch",
                                                              "Fran\xC3\xA7"
                                                              "ais"}));
}

// A bundle named by the setting (without regard to case) gives its texts and help;
// any other name, English included, chooses the built-in texts.
TEST_F(LanguageTest, ChosenByName) {
    EXPECT_EQ(ChooseLanguage("deutsch"), "Deutsch");
    EXPECT_TRUE(sys::HasLanguageBundle());
    EXPECT_EQ(ProgramString(1066), "Ung\xC3\xBCltiger Wert");
    EXPECT_EQ(State().dialogs.LanguageHelpName, "hilfe");
    EXPECT_EQ(ChooseLanguage("Zed"), "English");
    EXPECT_FALSE(sys::HasLanguageBundle());
    EXPECT_EQ(ProgramString(1066), "Invalid value");
    EXPECT_EQ(State().dialogs.LanguageHelpName, "");
}

// Loading the preferences chooses the language of the "Language" setting, and a full
// save keeps the name.
TEST_F(LanguageTest, LoadedFromTheSetting) {
    WriteSettings(
        "[Options]\nLanguage=Fran\xC3\xA7"
        "ais\n");
    Open();
    LoadPreferences();
    EXPECT_EQ(Options().Language,
              "Fran\xC3\xA7"
              "ais");
    EXPECT_TRUE(sys::HasLanguageBundle());
    SavePreferences(true);
    EXPECT_EQ(Stored("Options", "Language"),
              "Fran\xC3\xA7"
              "ais");
}

}  // namespace
}  // namespace ql
