// The program and the desktop's display: a change of the monitors reads the
// screen's resolution and class again, fits the frame to
// the new screen and arranges the score windows as they were last arranged (not
// while the active one is maximised, nor before any arrangement); the loss of the
// display writes the copies of the modified scores and leaves their files alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/model/score_document.h"
#include "core/model/view.h"
#include "platform/gfx/caps.h"
#include "platform/win/display_events.h"
#include "platform/win/headless.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/program/score_windows.h"
#include "shell/program/screen_metrics.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

class DisplayEventsTest : public testing::ProgramFixture {
  protected:
    void TearDown() override {
        win::headless::SetScreenSize({1280, 1024});
        gfx::SetScreenMetrics(savedScreen_);
        ProgramFixture::TearDown();
    }
    // Two score windows, the second active.
    void OpenTwo() {
        first_ = WriteScore("first.ql");
        second_ = WriteScore("second.ql");
        RequestOpen(first_);
        RequestOpen(second_);
        Pump();
        ASSERT_EQ(CountOpenViews(), 2);
    }
    static void Choose(int32_t command) {
        win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(command, 0), 0);
    }
    static gfx::Rect Place(const std::string& path) { return win::GetWindowRect(FindViewByPath(path)->ViewWindow); }
    static gfx::Rect ClientArea() { return win::GetWindowRect(Frame().mdiClient); }
    std::string first_;
    std::string second_;
    gfx::ScreenMetrics savedScreen_ = gfx::GetScreenMetrics();
};

// The screen class steps at more than 640 and more than 800 pixels across.
TEST(ScreenClassTest, StepsAbove640AndAbove800) {
    EXPECT_EQ(ScreenClassOf(0), 0);
    EXPECT_EQ(ScreenClassOf(640), 0);
    EXPECT_EQ(ScreenClassOf(641), 1);
    EXPECT_EQ(ScreenClassOf(800), 1);
    EXPECT_EQ(ScreenClassOf(801), 2);
    EXPECT_EQ(ScreenClassOf(3840), 2);
}

// Start-up reads the screen from the frame; a smaller or larger screen later is
// read again when the display changes, and the class follows it.
TEST_F(DisplayEventsTest, AMonitorChangeReadsTheScreenAndItsClassAgain) {
    gfx::ScreenMetrics wide = savedScreen_;
    wide.width = 1024;
    gfx::SetScreenMetrics(wide);
    ASSERT_EQ(Start(), StartupCode::Ok);
    EXPECT_EQ(ProgramScreen().horizontalResolution, 1024);
    EXPECT_EQ(ProgramScreen().screenClass, 2);
    EXPECT_EQ(ProgramScreen().dpiX, wide.dpiX);
    gfx::ScreenMetrics small = wide;
    small.width = 640;
    small.dpiX = small.dpiY = 120;
    gfx::SetScreenMetrics(small);
    EXPECT_EQ(ProgramScreen().screenClass, 2) << "read before the display change is told";
    win::NotifyDisplayChange();
    EXPECT_EQ(ProgramScreen().horizontalResolution, 640);
    EXPECT_EQ(ProgramScreen().screenClass, 0);
    EXPECT_EQ(ProgramScreen().dpiY, 120);
    small.width = 800;
    gfx::SetScreenMetrics(small);
    win::NotifyDisplayChange();
    EXPECT_EQ(ProgramScreen().screenClass, 1);
}

// Tiled side by side, one window moved away, then a larger screen: the frame takes
// it and the two windows share the wider client side by side again.
TEST_F(DisplayEventsTest, AMonitorChangeRepeatsTheLastArrangement) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    OpenTwo();
    Choose(cmd::kTileVertically);
    const gfx::Rect tiled = Place(first_);
    const platform::WindowHandle moved = FindViewByPath(first_)->ViewWindow;
    win::MoveWindow(moved, {5, 5, 105, 85}, true);
    win::headless::SetScreenSize({1600, 1200});
    win::NotifyDisplayChange();
    EXPECT_EQ(win::GetWindowRect(Frame().window).Width(), 1600);
    const gfx::Rect area = ClientArea();
    const gfx::Rect a = Place(first_);
    const gfx::Rect b = Place(second_);
    EXPECT_GT(a.Width(), tiled.Width()) << "tiled again over the wider client";
    EXPECT_EQ(a.top, b.top);
    EXPECT_EQ(a.Width() + b.Width(), area.Width());
    EXPECT_EQ(a.Height(), area.Height());
}

// Without an arrangement chosen, or with the active window maximised, the windows
// stay where they are.
TEST_F(DisplayEventsTest, NoArrangementOrAMaximisedWindowLeavesThePlaces) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    OpenTwo();
    const platform::WindowHandle window = FindViewByPath(first_)->ViewWindow;
    win::MoveWindow(window, {5, 5, 105, 85}, true);
    win::NotifyDisplayChange();
    EXPECT_EQ(Place(first_).Width(), 100);
    Choose(cmd::kCascade);
    win::MoveWindow(window, {5, 5, 105, 85}, true);
    win::MaximizeMdiChild(Frame().mdiClient, FindViewByPath(second_)->ViewWindow);
    win::NotifyDisplayChange();
    EXPECT_EQ(Place(first_).Width(), 100);
}

// The display lost with one score changed: its copy is written beside it, the file
// itself is as it was, the unchanged score gets none; a second loss does nothing.
TEST_F(DisplayEventsTest, TheDisplayLostWritesCopiesOfModifiedScores) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    OpenTwo();
    const std::string before = testing::ReadFileBytes(second_);
    FindViewByPath(second_)->document->changeCounter = 1;
    EXPECT_TRUE(win::NotifyDisplayLost());
    EXPECT_TRUE(std::filesystem::exists(scratch / "second.AUT"));
    EXPECT_FALSE(std::filesystem::exists(scratch / "first.AUT"));
    EXPECT_EQ(testing::ReadFileBytes(second_), before);
    EXPECT_TRUE(Frame().terminating);
    EXPECT_FALSE(win::NotifyDisplayLost());
    // The fixture closes the program as a user would.
    FindViewByPath(second_)->document->changeCounter = 0;
    Frame().terminating = false;
}

}  // namespace
}  // namespace ql
