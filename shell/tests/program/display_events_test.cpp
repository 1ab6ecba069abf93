// The program and the desktop's display: a change of the monitors reads the
// screen's resolution and class again, fits the frame to
// the new screen and arranges the score windows as they were last arranged (not
// while the active one is maximised, nor before any arrangement); the loss of the
// display writes the copies of the modified scores and leaves their files alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "core/draw/draw_surface.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "platform/gfx/caps.h"
#include "platform/text/font.h"
#include "platform/win/paint.h"
#include "platform/win/display_events.h"
#include "platform/win/headless.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/interface_fonts.h"
#include "shell/program/readout_window.h"
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

// The interface fonts by the screen: the heading font is smaller on the smallest
// screen class, the large one is Arial below 700 pixels across, the readout's is
// seven eighths of the menu bar's text (the bar less its borders) and the rulers'
// the height of their labels.
TEST(InterfaceFontTest, RequestsFollowTheScreen) {
    InterfaceFontScreen screen{2, 1024, 19, 1, 7};
    EXPECT_EQ(InterfaceFontRequestOf(InterfaceFont::Heading, screen).height, -13);
    EXPECT_EQ(InterfaceFontRequestOf(InterfaceFont::Heading, screen).weight, text::kWeightBold);
    EXPECT_STREQ(InterfaceFontRequestOf(InterfaceFont::Large, screen).face, "System,bold");
    EXPECT_EQ(InterfaceFontRequestOf(InterfaceFont::Large, screen).height, -16);
    EXPECT_EQ(InterfaceFontRequestOf(InterfaceFont::Readout, screen).height, 15);  // 17 - 17 / 8
    EXPECT_EQ(InterfaceFontRequestOf(InterfaceFont::Ruler, screen).height, -7);
    EXPECT_EQ(InterfaceFontRequestOf(InterfaceFont::Plain, screen).height, 13);
    screen.screenClass = 1;
    EXPECT_EQ(InterfaceFontRequestOf(InterfaceFont::Heading, screen).height, -13);
    screen = {0, 699, 24, 2, 7};
    EXPECT_EQ(InterfaceFontRequestOf(InterfaceFont::Heading, screen).height, -11);
    EXPECT_STREQ(InterfaceFontRequestOf(InterfaceFont::Large, screen).face, "Arial");
    EXPECT_EQ(InterfaceFontRequestOf(InterfaceFont::Large, screen).height, -12);
    EXPECT_EQ(InterfaceFontRequestOf(InterfaceFont::Readout, screen).height, 18);  // 20 - 20 / 8
    screen.horizontalResolution = 700;
    EXPECT_STREQ(InterfaceFontRequestOf(InterfaceFont::Large, screen).face, "System,bold");
    screen.menuHeight = 0;
    EXPECT_EQ(InterfaceFontRequestOf(InterfaceFont::Readout, screen).height, 1) << "never a font of no height";
}

int32_t RequestedHeight(InterfaceFont font) {
    text::LogicalFont request;
    return text::GetFontRequest(GetInterfaceFont(font), &request) ? request.height : 0;
}

// Start-up makes the interface fonts once: painting the readout again and again
// makes and deletes none and leaves them as they were. A display change makes them
// anew for the new screen's class, deleting the old ones; shutdown deletes them.
TEST_F(DisplayEventsTest, TheInterfaceFontsAreMadeOnceAndAgainOnADisplayChange) {
    gfx::ScreenMetrics wide = savedScreen_;
    wide.width = 1024;
    gfx::SetScreenMetrics(wide);
    ASSERT_EQ(Start(), StartupCode::Ok);
    Pump();
    platform::FontHandle made[kInterfaceFontCount];
    for (int i = 0; i < kInterfaceFontCount; ++i) {
        made[i] = GetInterfaceFont(static_cast<InterfaceFont>(i));
        EXPECT_TRUE(text::FindFont(made[i])) << i;
    }
    EXPECT_EQ(RequestedHeight(InterfaceFont::Heading), -13);
    const size_t live = text::LiveFontCount();
    for (const char* shown : {" 1 . 1 ", " 2 . 3 ", " 12 . 1 "}) {
        SetReadoutText(shown);
        win::UpdateWindow(Frame().readout);
        EXPECT_EQ(text::LiveFontCount(), live);
    }
    for (int i = 0; i < kInterfaceFontCount; ++i) EXPECT_EQ(GetInterfaceFont(static_cast<InterfaceFont>(i)), made[i]);

    gfx::ScreenMetrics small = wide;
    small.width = 640;
    gfx::SetScreenMetrics(small);
    win::NotifyDisplayChange();
    EXPECT_EQ(RequestedHeight(InterfaceFont::Heading), -11);
    EXPECT_EQ(text::LiveFontCount(), live) << "the old fonts stay behind";
    ASSERT_EQ(CloseAndRun(), 0);
    for (int i = 0; i < kInterfaceFontCount; ++i) EXPECT_FALSE(GetInterfaceFont(static_cast<InterfaceFont>(i))) << i;
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

// The active score window hears of the new screen through two size changes and
// ends in the state it had: a normal window at the same place, a maximised one
// over the whole client, a minimised one minimised; the window behind it hears
// nothing.
TEST_F(DisplayEventsTest, TheActiveWindowPassesThroughTwoStatesAndEndsAsItWas) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    OpenTwo();
    const platform::WindowHandle active = FindViewByPath(second_)->ViewWindow;
    const platform::WindowHandle behind = FindViewByPath(first_)->ViewWindow;
    ASSERT_EQ(win::GetActiveMdiChild(Frame().mdiClient), active);
    const platform::WindowHandle client = Frame().mdiClient;
    win::RestoreMdiChild(client, active);
    win::MoveWindow(active, {10, 10, 210, 160}, true);
    const gfx::Rect place = win::GetWindowRect(active);
    // Kept by the procedures, which outlive the test's body.
    const auto sizes = std::make_shared<std::map<uint32_t, int>>();
    for (const platform::WindowHandle window : {active, behind}) {
        auto previous = std::make_shared<win::WindowProc>();
        *previous = win::SetWindowProcedure(
            window, [sizes, previous](platform::WindowHandle w, win::Message m, uint32_t word, intptr_t data) {
                if (m == win::Message::Size) ++(*sizes)[w.bits];
                return (*previous)(w, m, word, data);
            });
        ASSERT_TRUE(*previous);
    }
    const auto displayChange = [&] {
        sizes->clear();
        win::NotifyDisplayChange();
        EXPECT_GE((*sizes)[active.bits], 2);
        EXPECT_EQ((*sizes)[behind.bits], 0);
    };
    displayChange();
    EXPECT_EQ(win::GetMdiChildState(active), win::MdiChildState::Normal);
    EXPECT_EQ(win::GetWindowRect(active), place);
    win::MaximizeMdiChild(client, active);
    displayChange();
    EXPECT_EQ(win::GetMdiChildState(active), win::MdiChildState::Maximized);
    win::MinimizeMdiChild(client, active);
    displayChange();
    EXPECT_EQ(win::GetMdiChildState(active), win::MdiChildState::Minimized);
    win::RestoreMdiChild(client, active);
}

// A view's drawing surface open when the display changes is closed: its context
// belonged to the old screen.
TEST_F(DisplayEventsTest, AMonitorChangeEndsTheViewsDrawingSurfaces) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    OpenTwo();
    ScoreView* behind = FindViewByPath(first_);
    BeginViewDraw(behind);
    BeginViewDraw(behind);
    ASSERT_TRUE(behind->ViewDC);
    win::NotifyDisplayChange();
    EXPECT_FALSE(behind->ViewDC);
    EXPECT_EQ(behind->DrawDepth, 0);
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
