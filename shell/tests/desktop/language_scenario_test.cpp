// Choosing the German texts from the Language menu with a score open: the menu bar
// changes at once (the About item's text becomes the About window's title), the
// palettes take their German titles, and the choice is kept for the next start.
#include <fstream>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/staff_tools_palette.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

// The About window is titled by its menu item: "&\u00dcber Quaverlinescribe..." in German.
constexpr char kGermanAboutTitle[] = "ber Quaverlinescribe";
constexpr char kEnglishAboutTitle[] = "About Quaverlinescribe";
// The Main palette's title in both languages.
constexpr char kEnglishMainPalette[] = "Main";
constexpr char kGermanMainPalette[] = "Haupt";

bool SettingsHold(const fs::path& settings, const std::string& line) {
    std::ifstream in(settings);
    std::string text;
    while (std::getline(in, text))
        if (text == line) return true;
    return false;
}

TEST_F(DesktopScenario, LanguageMenuSwitchesToGerman) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    ASSERT_TRUE(x_.WindowTitled(kEnglishMainPalette)) << "no Main palette with the new score";
    // Language lists English and the shipped Deutsch, the last item.
    ASSERT_TRUE(OpenFrameMenu('l'));
    x_.PressKey("End");
    x_.PressKey("Return");
    ASSERT_TRUE(WaitFor([&] { return x_.Popups().empty(); }));
    // The palette shown takes its German title at once.
    EXPECT_TRUE(x_.WindowTitled(kGermanMainPalette)) << "the Main palette kept its English title";
    EXPECT_FALSE(x_.FindWindow(kEnglishMainPalette));
    // Help (still "&Hilfe") has About last: its window carries the German title.
    ASSERT_TRUE(OpenFrameMenu('h'));
    x_.PressKey("End");
    x_.PressKey("Return");
    const std::optional<ShownWindow> about = x_.WaitForWindow(kGermanAboutTitle);
    ASSERT_TRUE(about) << "no About window with the German title";
    EXPECT_FALSE(x_.FindWindow(kEnglishAboutTitle));
    x_.PointAt(*about);
    x_.PressKey("Escape");
    ASSERT_TRUE(x_.WaitUntilGone(kGermanAboutTitle));
    // "&Datei" > "&Beenden" ends the program, which keeps the language.
    ChooseMenuItem('d', 'b');
    EXPECT_EQ(program_->WaitForExit(), 0);
    EXPECT_TRUE(SettingsHold(home_->Settings(), "Language=Deutsch"));
}

}  // namespace
}  // namespace ql::desktop
