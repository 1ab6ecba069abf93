// Choosing the user-interface language: the bundles in the program folder, chosen by
// the name the "Language" setting holds, with the built-in English otherwise.
#include "shell/language.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "core/core_strings.h"
#include "core/settings/settings_store.h"
#include "core/state.h"
#include "platform/sys/resources.h"
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

// The language-id table: the bundles' names (without regard to case) give their ids;
// another name gives the user's own language from the locale, English when the
// locale names none of the table's.
TEST_F(LanguageTest, LanguageIdsByName) {
    struct SavedVariable {
        const char* name;
        std::optional<std::string> value;
    };
    std::vector<SavedVariable> saved;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        saved.push_back({name, value != nullptr ? std::optional<std::string>(value) : std::nullopt});
        unsetenv(name);
    }
    EXPECT_EQ(LanguageIdOfName("DEUTSCH"), 0x0407);
    EXPECT_EQ(LanguageIdOfName("Fran\xC3\xA7" "ais"), 0x040C);
    EXPECT_EQ(LanguageIdOfName("Espa\xC3\xB1" "ol"), 0x040A);
    EXPECT_EQ(LanguageIdOfName("nederlands"), 0x0413);
    EXPECT_EQ(LanguageIdOfName("English"), 0x0409);
    EXPECT_EQ(LanguageIdOfName("Zed"), 0x0409);
    setenv("LANG", "nl_NL.UTF-8", 1);
    EXPECT_EQ(LanguageIdOfName("Zed"), 0x0413);
    setenv("LC_ALL", "de_AT.UTF-8", 1);
    EXPECT_EQ(UserDefaultLanguageId(), 0x0407) << "LC_ALL comes first";
    setenv("LC_ALL", "it_IT.UTF-8", 1);
    EXPECT_EQ(UserDefaultLanguageId(), 0x0409);
    // The chosen language's id follows the choice.
    EXPECT_EQ(ChooseLanguage("deutsch"), "Deutsch");
    EXPECT_EQ(ChosenLanguageId(), 0x0407);
    ChooseLanguage("Fran\xC3\xA7" "ais");
    EXPECT_EQ(ChosenLanguageId(), 0x040C);
    ChooseLanguage("Zed");
    EXPECT_EQ(ChosenLanguageId(), 0x0409);
    for (const SavedVariable& variable : saved) {
        if (variable.value)
            setenv(variable.name, variable.value->c_str(), 1);
        else
            unsetenv(variable.name);
    }
}

}  // namespace
}  // namespace ql
