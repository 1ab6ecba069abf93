// Items of the frame's menus on the desktop: Help > Contents with no help installed
// says so in its box; Options > Smooth Display shows its check mark in the popup
// once chosen, and the setting is stored at exit. Judged from pictures of the
// opened Options popup.
#include <fstream>
#include <sstream>
#include <string>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

class MenuItemsScenario : public DesktopScenario {
protected:
    // The Options popup as it shows, opened and closed again.
    ScreenPicture OptionsPicture() {
        if (!OpenFrameMenu('p')) return {};
        std::vector<ShownWindow> popups;
        WaitFor([&] { return !(popups = x_.Popups()).empty(); });
        ScreenPicture picture;
        if (!popups.empty())
            picture = SettledPicture(x_, [&] { return x_.Grab(popups.front()); }, kWindowTimeout);
        x_.PressKey("Escape");
        x_.PressKey("Escape");
        WaitFor([&] { return x_.Popups().empty(); });
        return picture;
    }
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
    ASSERT_TRUE(StartProgram());
    ChooseMenuItem('h', 'c');
    const std::optional<ShownWindow> box = WaitForMessageBox();
    ASSERT_TRUE(box) << "Help > Contents showed nothing";
    x_.Click(box->x + box->width / 2, box->y + box->height * 3 / 4);  // OK
    ASSERT_TRUE(WaitFor([&] { return !MessageBoxShown(); })) << "the help box stayed";
    NewScore();
    const ScreenPicture before = OptionsPicture();
    ASSERT_FALSE(before.pixels.empty()) << "Options did not open";
    ChooseMenuItem('p', 's');
    const ScreenPicture checked = OptionsPicture();
    EXPECT_GT(DifferentPixels(checked, before), 0) << "Smooth Display shows no check mark";
    EXPECT_EQ(QuitWithoutSaving(), 0);
    EXPECT_TRUE(SettingsHold(home_->Settings(), "SmoothScreen=1"));
}

}  // namespace
}  // namespace ql::desktop
