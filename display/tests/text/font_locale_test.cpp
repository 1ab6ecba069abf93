// The user's locale from the desktop's language settings, the dialog character set
// taken from it at start-up, and the input locale that starts from both.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "core/state.h"
#include "core/text/charset_text.h"
#include "display/font_locale.h"
#include "display/input_locale.h"

namespace ql {
namespace {

// Sets LC_ALL for one test and puts the old value back.
class EnvironmentLanguage {
  public:
    explicit EnvironmentLanguage(const char* value) {
        if (const char* old = std::getenv("LC_ALL")) old_ = old;
        setenv("LC_ALL", value, 1);
    }
    ~EnvironmentLanguage() {
        if (old_)
            setenv("LC_ALL", old_->c_str(), 1);
        else
            unsetenv("LC_ALL");
    }
    EnvironmentLanguage(const EnvironmentLanguage&) = delete;
    EnvironmentLanguage& operator=(const EnvironmentLanguage&) = delete;

  private:
    std::optional<std::string> old_;
};

class FontLocaleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ResetInputLocale();
    }
    void TearDown() override {
        ResetInputLocale();
        ResetProgramState();
    }
};

// Language codes take their primary language with the default sublanguage; codes that
// share one take it too; names without a language, or outside the numbering, are
// English (United States).
TEST_F(FontLocaleTest, LocaleNamesGiveTheirLanguagesLocale) {
    EXPECT_EQ(LocaleOfName("ru_RU.UTF-8"), 0x0419u);
    EXPECT_EQ(LocaleOfName("de_DE@euro"), 0x0407u);
    EXPECT_EQ(LocaleOfName("el"), 0x0408u);
    EXPECT_EQ(LocaleOfName("ja_JP.eucJP"), 0x0411u);
    EXPECT_EQ(LocaleOfName("af_ZA"), 0x0436u);
    EXPECT_EQ(LocaleOfName("nb_NO.UTF-8"), 0x0414u);
    EXPECT_EQ(LocaleOfName("sr_RS@latin"), 0x041Au);
    EXPECT_EQ(LocaleOfName("hsb_DE"), 0x042Eu);
    for (const char* none : {"C", "POSIX", "", "C.UTF-8", "mn_MN", "e"})
        EXPECT_EQ(LocaleOfName(none), kEnglishLocale) << none;
    EXPECT_EQ(PrimaryLanguageOf(0x0419), 0x19);
}

// Start-up takes the locale the environment names; the dialog font's set is the one
// the language writes (Western for English), and the input locale starts there.
TEST_F(FontLocaleTest, StartUpTakesTheUsersLocaleAndItsCharacterSet) {
    const struct {
        const char* name;
        uint32_t locale;
        uint8_t charset;
    } cases[] = {{"ru_RU.UTF-8", 0x0419, 204}, {"ja_JP.UTF-8", 0x0411, 128}, {"el_GR", 0x0408, 161},
                 {"en_GB.UTF-8", 0x0409, 0}, {"C", 0x0409, 0}, {"hy_AM", 0x042B, 0}};
    for (const auto& c : cases) {
        const EnvironmentLanguage language(c.name);
        InitFontLocale();
        EXPECT_EQ(UserLocale(), c.locale) << c.name;
        EXPECT_EQ(DialogCharset(), c.charset) << c.name;
        EXPECT_EQ(CurrentInputLocale().charset, c.charset) << c.name;
        EXPECT_EQ(CurrentInputLocale().layout, c.locale) << c.name;
    }
}

// The desktop's keyboard change names neither a layout nor a set: the input locale
// goes back to the user's locale in its set, not to the default set's code page 1252.
TEST_F(FontLocaleTest, AKeyboardChangeNamingNothingRestoresTheStartUpLocale) {
    const EnvironmentLanguage language("ru_RU.UTF-8");
    InitFontLocale();
    SetInputLocale(161, 0x0408);  // Greek named
    EXPECT_EQ(CurrentInputLocale().charset, 161);
    SetInputLocale(1, 0);
    EXPECT_EQ(CurrentInputLocale().charset, 204);
    EXPECT_EQ(CurrentInputLocale().layout, 0x0419u);
    SetInputLocale(1, 0x0409);  // a layout named: kept as it comes
    EXPECT_EQ(CurrentInputLocale().charset, 1);
    EXPECT_EQ(CurrentInputLocale().layout, 0x0409u);
}

// Putting a layout back keeps the input locale's layout when its language writes the
// set, else gives the fallback; nothing is loaded.
TEST_F(FontLocaleTest, ActivatingALayoutKeepsTheCurrentOneOnlyWhenItWritesTheSet) {
    SetInputLocale(204, 0x0419);
    EXPECT_EQ(ActivateKeyboardLayoutForCharset(0x0409, 204, 0x0408), 0x0419u);
    EXPECT_EQ(ActivateKeyboardLayoutForCharset(0x0409, 161, 0x0408), 0x0408u);
    EXPECT_EQ(CurrentInputLocale().layout, 0x0419u);
}

}  // namespace
}  // namespace ql
