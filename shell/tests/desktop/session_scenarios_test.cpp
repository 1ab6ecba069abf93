// Scenarios of the program's life on the desktop: start and quit with the settings
// kept for the next start, menus that open at their size, a damaged file refused
// with a message while the program goes on, a second start handing its file to the
// running program, and the recent-files list of the File menu.
#include <fstream>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

// A menu item is some 20 pixels tall; the frame's File menu has four.
constexpr int kMinimumFileMenuHeight = 80;
constexpr int kMinimumMenuWidth = 120;

bool SettingsHold(const fs::path& settings, const std::string& line) {
    std::ifstream in(settings);
    std::string text;
    while (std::getline(in, text))
        if (text == line) return true;
    return false;
}

// Start, the menus, quit: the settings file is written; the status bar switched
// off is saved at the exit and read back by the next start, whose own exit keeps it.
TEST_F(DesktopScenario, StartAndQuitKeepsTheSettings) {
    ASSERT_TRUE(StartProgram());
    // The File menu opens at the size of its items the first time.
    ASSERT_TRUE(OpenFrameMenu('f'));
    const ShownWindow menu = x_.Popups().front();
    EXPECT_GE(menu.height, kMinimumFileMenuHeight);
    EXPECT_GE(menu.width, kMinimumMenuWidth);
    x_.PressKey("Escape");
    x_.PressKey("Escape");
    // So does the View menu of a score's menu bar, new with its window.
    NewScore();
    ASSERT_TRUE(OpenFrameMenu('v'));
    EXPECT_GE(x_.Popups().front().height, kMinimumFileMenuHeight);
    // The first item of View is "Display Status Bar".
    x_.PressKey("Return");
    EXPECT_EQ(Quit(), 0);
    ASSERT_TRUE(fs::exists(home_->Settings()));
    EXPECT_TRUE(SettingsHold(home_->Settings(), "StatusBar=0"));

    ASSERT_TRUE(StartProgram());
    EXPECT_EQ(Quit(), 0);
    EXPECT_TRUE(SettingsHold(home_->Settings(), "StatusBar=0"));
}

// A file that is not a score: the message box says so, and after OK the program
// runs on and quits normally.
TEST_F(DesktopScenario, DamagedFileGivesItsMessageAndTheProgramGoesOn) {
    const fs::path damaged = home_->Documents() / "damaged.ql";
    std::ofstream(damaged) << "this is not a score, only a line of text\n";
    program_ = Launch({damaged.string()});
    const std::optional<ShownWindow> box = WaitForMessageBox();
    ASSERT_TRUE(box) << "no message about the damaged file";
    EXPECT_GT(x_.Grab(*box).DarkPixels(0, 0, box->width, box->height), 0) << "the box shows no text";
    x_.PointAt(*box);
    x_.PressKey("Return");
    ASSERT_TRUE(WaitForFrame());
    EXPECT_TRUE(program_->IsRunning());
    EXPECT_EQ(Frame().title, kFrameTitle);  // no score window for the damaged file
    NewScore();
    EXPECT_EQ(Quit(), 0);
}

// A second start with a file hands it to the running program and ends.
TEST_F(DesktopScenario, SecondStartHandsItsFileToTheRunningProgram) {
    ASSERT_TRUE(StartProgram());
    const fs::path score = home_->Documents() / "handed.ql";
    MakeScoreFile(score);
    std::unique_ptr<ProgramProcess> second = Launch({score.string()});
    EXPECT_EQ(second->WaitForExit(), 0);
    EXPECT_TRUE(x_.WaitForWindow("handed.ql")) << "the running program did not open the file";
    EXPECT_EQ(Quit(), 0);
}

// The file opened last is in the pick list: the next start reopens it, and after
// it is closed, the File menu's entry opens it again.
TEST_F(DesktopScenario, RecentFilesListReopensTheLastScore) {
    ASSERT_TRUE(StartProgram());
    const fs::path score = home_->Documents() / "recent.ql";
    MakeScoreFile(score);
    EXPECT_EQ(Quit(), 0);

    ASSERT_TRUE(StartProgram());
    EXPECT_TRUE(x_.WaitForWindow("recent.ql")) << "the last file was not reopened at start";
    CloseScore();
    ASSERT_TRUE(OpenFrameMenu('f'));
    // The list follows the last item: Up from the first item wraps to it.
    x_.PressKey("Up");
    x_.PressKey("Return");
    EXPECT_TRUE(x_.WaitForWindow("recent.ql")) << "the File menu's entry did not open the file";
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
