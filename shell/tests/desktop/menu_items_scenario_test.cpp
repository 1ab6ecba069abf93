// Items of the frame's menus on the desktop: Help > Contents on a desktop whose
// opener finds no browser says in a box where the help's pages are; Options > Smooth Display shows its check mark in the popup
// once chosen, and the setting is stored at exit; the options of the MIDI and Notes
// submenus are reached by their access keys. Judged from pictures of the
// opened Options popup.
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/stand_in_opener.h"

namespace ql::desktop {
namespace {

class MenuItemsScenario : public DesktopScenario {
protected:
    bool MessageBoxShown() const {
        for (const ShownWindow& window : x_.Windows())
            if (window.title == kFrameTitle && window.width < Frame().width) return true;
        return false;
    }
};

bool SettingsHold(const std::filesystem::path& settings, const std::string& line) {
    std::ifstream in(settings);
    std::stringstream text;
    text << in.rdbuf();
    return text.str().find(line) != std::string::npos;
}

TEST_F(MenuItemsScenario, HelpContentsAnswersAndSmoothDisplayIsChecked) {
    StandInOpener opener(home_->Root(), environment_);
    opener.Answer(OpenerAnswer::kFails);
    ASSERT_TRUE(StartProgram());
    ChooseMenuItem('h', 'c');
    const std::optional<ShownWindow> box = WaitForMessageBox();
    ASSERT_TRUE(box) << "Help > Contents showed nothing";
    x_.Click(box->x + box->width / 2, box->y + box->height * 3 / 4);  // OK
    ASSERT_TRUE(WaitFor([&] { return !MessageBoxShown(); })) << "the help box stayed";
    NewScore();
    const ScreenPicture before = MenuPathPicture("p");
    ASSERT_FALSE(before.pixels.empty()) << "Options did not open";
    ChooseMenuItem('p', 's');
    const ScreenPicture checked = MenuPathPicture("p");
    EXPECT_GT(DifferentPixels(checked, before), 0) << "Smooth Display shows no check mark";
    EXPECT_EQ(QuitWithoutSaving(), 0);
    EXPECT_TRUE(SettingsHold(home_->Settings(), "SmoothScreen=1"));
}

// The recording options under MIDI > Record Options and the automatic rests and
// tablature stems under Notes > Auto, each chosen by its access keys: every one is
// turned off and stored so at exit.
TEST_F(MenuItemsScenario, SubmenuSettingsAreChosenByTheirKeysAndStored) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    const std::pair<std::string_view, std::string_view> items[] = {{"mec", "RecordCountdown=0"},
                                                                  {"mee", "RecordEcho=0"},
                                                                  {"mem", "RecordMetro=0"},
                                                                  {"nar", "AutoRest=0"},
                                                                  {"nah", "AutoHideTABStems=0"}};
    for (const auto& [keys, stored] : items) ChooseMenuPath(keys);
    EXPECT_EQ(QuitWithoutSaving(), 0);
    for (const auto& [keys, stored] : items) EXPECT_TRUE(SettingsHold(home_->Settings(), std::string(stored))) << keys;
}

}  // namespace
}  // namespace ql::desktop
