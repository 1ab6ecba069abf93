// The command state and the settings commands on the desktop: without a score the
// File menu shows only New, Open, Import and Exit in ink, Save Preferences grayed;
// Options > Set Backup Count opens its dialog from the menu, refuses 10 with its
// message while it stays open, and stores the count typed next; on/off settings
// from the menus are kept at exit only while preferences are saved on exit.
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

constexpr int kBorder = 4;         // the popup's frame, left out of the reading
constexpr int kTextShade = 200;    // any text is darker than this
constexpr int kInkShade = 100;     // usable items' text is darker than this
constexpr int kMinimumTextRows = 4;

int Shade(uint32_t pixel) {
    return static_cast<int>(((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF)) / 3;
}

struct MenuLines {
    int inked = 0;   // lines with text in ink
    int grayed = 0;  // lines with text, all of it gray
};

// The text lines of a popup's picture: runs of rows with text in them, each in ink
// or grayed by its darkest pixel. Separators are too thin to count. The item the
// keyboard selected is dark across most of its width: only a usable item is
// selected.
MenuLines ReadLines(const ScreenPicture& menu) {
    MenuLines lines;
    int runStart = -1;
    int darkest = 255;
    bool selected = false;
    for (int y = kBorder; y <= menu.height - kBorder; ++y) {
        int rowDarkest = 255;
        int darkPixels = 0;
        if (y < menu.height - kBorder)
            for (int x = kBorder; x < menu.width - kBorder; ++x) {
                rowDarkest = std::min(rowDarkest, Shade(menu.At(x, y)));
                darkPixels += Shade(menu.At(x, y)) < kTextShade;
            }
        if (rowDarkest < kTextShade) {
            if (runStart < 0) runStart = y;
            darkest = std::min(darkest, rowDarkest);
            selected = selected || darkPixels * 2 > menu.width;
            continue;
        }
        if (runStart >= 0 && y - runStart >= kMinimumTextRows) (darkest < kInkShade || selected ? lines.inked : lines.grayed)++;
        runStart = -1;
        darkest = 255;
        selected = false;
    }
    return lines;
}

bool SettingsHold(const fs::path& settings, const std::string& line) {
    std::ifstream in(settings);
    std::string text;
    while (std::getline(in, text))
        if (text == line) return true;
    return false;
}

class SettingsScenario : public DesktopScenario {};

TEST_F(SettingsScenario, WithoutAScoreOnlyOpeningItemsAreInInk) {
    ASSERT_TRUE(StartProgram());
    ASSERT_TRUE(OpenFrameMenu('f'));
    x_.Settle();
    const ShownWindow menu = x_.Popups().front();
    const ScreenPicture picture = x_.Grab(menu);
    WritePng(picture, TestOutputFolder() / "settings_file_menu_desktop.png");
    const MenuLines lines = ReadLines(picture);
    EXPECT_EQ(lines.inked, 4) << "New, Open, Import and Exit";
    EXPECT_EQ(lines.grayed, 1) << "Save Preferences";
    x_.PressKey("Escape");
    x_.PressKey("Escape");
    EXPECT_EQ(Quit(), 0);
}

TEST_F(SettingsScenario, BackupCountOpensFromTheMenuAndOkStoresIt) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    ChooseMenuItem('p', 'o');
    std::optional<ShownWindow> dialog = x_.WaitForWindow("Set Backup Copies");
    ASSERT_TRUE(dialog) << "Options > Set Backup Count showed no dialog";
    x_.PointAt(*dialog);
    x_.PressKey("ctrl+a");
    x_.TypeText("10");
    x_.PressKey("Return");
    const std::optional<ShownWindow> box = WaitForMessageBox();
    ASSERT_TRUE(box) << "10 was taken without a word";
    WritePng(x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight()), TestOutputFolder() / "settings_backup_range_desktop.png");
    x_.PointAt(*box);
    x_.PressKey("Return");
    x_.Settle();
    dialog = x_.WaitForWindow("Set Backup Copies");
    ASSERT_TRUE(dialog) << "the dialog closed after the refused count";
    x_.PointAt(*dialog);
    x_.PressKey("ctrl+a");
    x_.TypeText("3");
    x_.PressKey("Return");
    EXPECT_TRUE(x_.WaitUntilGone("Set Backup Copies"));
    EXPECT_EQ(QuitWithoutSaving(), 0);
    EXPECT_TRUE(SettingsHold(home_->Settings(), "BackupCopies=3"));
}

// Options > Auto Scroll turned on from the menu is kept at exit. With File > Save
// Preferences on Exit turned off, turning it off again is not kept, and the off
// switch itself is.
TEST_F(SettingsScenario, MenuTogglesAreKeptOnlyWhilePreferencesAreSavedOnExit) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    ChooseMenuItem('p', 'a');
    x_.Settle();
    EXPECT_EQ(QuitWithoutSaving(), 0);
    EXPECT_TRUE(SettingsHold(home_->Settings(), "AutoScroll=1"));
    ASSERT_TRUE(StartProgram());
    NewScore();
    ChooseMenuItem('f', 'e');
    ChooseMenuItem('p', 'a');
    x_.Settle();
    EXPECT_EQ(QuitWithoutSaving(), 0);
    EXPECT_TRUE(SettingsHold(home_->Settings(), "SavePreferences=0"));
    EXPECT_TRUE(SettingsHold(home_->Settings(), "AutoScroll=1"));
}

}  // namespace
}  // namespace ql::desktop
