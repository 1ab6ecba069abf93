// The logo window: the version line, the splash that brings the frame up when it
// closes, and the About window that leaves the frame as it is.
#include "shell/program/logo_window.h"

#include <gtest/gtest.h>

#include "core/settings/program_options.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

TEST(VersionLineTest, ShowsTheNumbersThatAreSet) {
    // The build shown: all four numbers.
    EXPECT_EQ(VersionLine("Version", {2, 0, 5, 29}), "Version 2.0.5.29");
    // No build: three numbers.
    EXPECT_EQ(VersionLine("Version", {2, 0, 5, 0}), "Version 2.0.5");
    // Neither release nor build: major and minor only.
    EXPECT_EQ(VersionLine("Version", {2, 0, 0, 0}), "Version 2.0");
    // A build without a release still shows all four.
    EXPECT_EQ(VersionLine("Version", {3, 1, 0, 7}), "Version 3.1.0.7");
}

TEST(AboutCaptionTest, TakesTheMenuTextWithoutAmpersandAndDots) {
    EXPECT_EQ(AboutCaption("&About Quaverlinescribe..."), "About Quaverlinescribe");
    // Only the first "&" goes; no dots keep the whole text.
    EXPECT_EQ(AboutCaption("A&bout && more"), "About && more");
    EXPECT_EQ(AboutCaption(""), "");
}

gfx::Rect ScreenRect() {
    return {0, 0, win::GetSystemMetric(win::SystemMetric::ScreenWidth),
            win::GetSystemMetric(win::SystemMetric::ScreenHeight)};
}

class LogoWindowTest : public testing::ProgramFixture {
  protected:
    platform::WindowHandle StartWithSplash() {
        StartupOptions options;
        options.splash = true;
        EXPECT_EQ(StartProgram(options), StartupCode::Ok);
        running_ = true;
        const auto logos = win::TopLevelWindows({kLogoClass});
        return logos.empty() ? platform::WindowHandle{} : logos.front();
    }
};

// A key before the first paint closes the splash and shows the frame at once,
// maximised as "StartMaximized" asks.
TEST_F(LogoWindowTest, KeyBeforeThePaintShowsTheFrame) {
    const platform::WindowHandle splash = StartWithSplash();
    ASSERT_TRUE(win::IsWindow(splash));
    EXPECT_FALSE(win::IsWindowVisible(Frame().window));
    win::SendMessage(splash, win::Message::KeyDown, 0, 1);
    EXPECT_FALSE(win::IsWindow(splash));
    EXPECT_TRUE(win::IsWindowVisible(Frame().window));
    EXPECT_EQ(win::GetWindowRect(Frame().window), ScreenRect());
}

// With "StartMaximized" off the frame comes up in its normal size; the splash
// closes by itself two seconds after its first paint.
TEST_F(LogoWindowTest, TimerClosesTheSplashAndShowsANormalFrame) {
    const platform::WindowHandle splash = StartWithSplash();
    Options().StartMaximized = 0;
    Pump();
    ASSERT_TRUE(win::IsWindow(splash));
    EXPECT_TRUE(IsLogoShown());
    win::headless::AdvanceClock(kLogoTimeoutMs - 1);
    Pump();
    EXPECT_TRUE(win::IsWindow(splash));
    win::headless::AdvanceClock(1);
    Pump();
    EXPECT_FALSE(win::IsWindow(splash));
    EXPECT_TRUE(win::IsWindowVisible(Frame().window));
    EXPECT_NE(win::GetWindowRect(Frame().window), ScreenRect());
}

// The About window closes on a click and leaves the frame's size as it was.
TEST_F(LogoWindowTest, AboutClosesOnAClickAndKeepsTheFrame) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const gfx::Rect before = win::GetWindowRect(Frame().window);
    win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(cmd::kAbout, 0));
    const auto logos = win::TopLevelWindows({kLogoClass});
    ASSERT_EQ(logos.size(), 1u);
    EXPECT_NE(win::GetStyle(logos[0]) & win::kStyleCaption, 0u);
    EXPECT_EQ(win::GetWindowText(logos[0]), "About Quaverlinescribe");
    win::SendMessage(logos[0], win::Message::LeftButtonDown, 0, 0);
    EXPECT_FALSE(win::IsWindow(logos[0]));
    EXPECT_EQ(win::GetWindowRect(Frame().window), before);
}

}  // namespace
}  // namespace ql
