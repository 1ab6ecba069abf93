// Options > Accidental Interpretation on the desktop: the menu item opens the spelling
// preferences with their staff picture drawn, a click moves the major keys' first
// interval from the sharp spelling to the flat one, OK keeps it, and the program writes
// the edited table into its settings when it ends.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

// The numbers of a settings line "key=a,b,c", or empty when the key is not there.
std::vector<int> SettingNumbers(const std::filesystem::path& settings, const std::string& key) {
    std::ifstream in(settings);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + "=", 0) != 0) continue;
        std::vector<int> numbers;
        std::stringstream list(line.substr(key.size() + 1));
        std::string item;
        while (std::getline(list, item, ',')) numbers.push_back(std::stoi(item));
        return numbers;
    }
    return {};
}

// The dialog's layout, in its template's units: its size, the flat radio of the
// major keys' first row and the OK button.
constexpr int kTemplateWidth = 300;
constexpr int kTemplateHeight = 176;
constexpr int kFirstFlatX = 108;
constexpr int kFirstRowY = 81;
constexpr int kOkX = 151;
constexpr int kOkY = 161;
// The staff picture across the top.
constexpr int kPictureLeft = 8;
constexpr int kPictureTop = 8;
constexpr int kPictureRight = 292;
constexpr int kPictureBottom = 58;
// Ink of the picture's staff, bars, notes and captions, in pixels: well over what a
// frame alone would give.
constexpr int64_t kPictureInk = 1500;

class AccidentalInterpretationScenario : public DesktopScenario {
  protected:
    // Clicks a point of the dialog given in its template's units.
    void ClickAt(const ShownWindow& dialog, int x, int y) {
        x_.Click(dialog.x + x * dialog.width / kTemplateWidth, dialog.y + y * dialog.height / kTemplateHeight);
    }
};

TEST_F(AccidentalInterpretationScenario, TheMenuOpensTheSpellingsAndOkKeepsTheChoice) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    ChooseMenuItem('p', 'i');
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("Accidental Interpretation");
    ASSERT_TRUE(dialog) << "Options > Accidental Interpretation showed no dialog";
    x_.Settle(Millis{500});
    const ScreenPicture shown = x_.Grab(*dialog);
    WritePng(shown, TestOutputFolder() / "accidental_interpretation_desktop.png");
    const auto px = [&](int x) { return x * dialog->width / kTemplateWidth; };
    const auto py = [&](int y) { return y * dialog->height / kTemplateHeight; };
    EXPECT_GT(shown.DarkPixels(px(kPictureLeft) + 2, py(kPictureTop) + 2, px(kPictureRight) - 2,
                               py(kPictureBottom) - 2),
              kPictureInk)
        << "the staff picture is blank";
    ClickAt(*dialog, kFirstFlatX, kFirstRowY);
    x_.Settle(Millis{300});
    ClickAt(*dialog, kOkX, kOkY);
    EXPECT_TRUE(x_.WaitUntilGone("Accidental Interpretation")) << "OK left the dialog open";
    EXPECT_EQ(QuitWithoutSaving(), 0);
    const std::vector<int> major = SettingNumbers(home_->Settings(), "AcciMajorDefault");
    ASSERT_EQ(major.size(), 12u) << "the major keys' spellings were not written";
    EXPECT_EQ(major[1], -1) << "the flat spelling of the minor second was not kept";
    EXPECT_EQ(major[6], 1) << "an interval not touched changed";
    const std::vector<int> minor = SettingNumbers(home_->Settings(), "AcciMinorDefault");
    ASSERT_EQ(minor.size(), 12u);
    EXPECT_EQ(minor[1], 1) << "the minor keys' table changed";
}

}  // namespace
}  // namespace ql::desktop
