// The frame's status bar: part layout, texts with their leading blank, notices
// and their beeps.
#include <gtest/gtest.h>

#include <string>

#include "core/ui/status_bar.h"
#include "core/tests/ui/uisvc_fixture.h"
#include "platform/ui/status_bar.h"
#include "platform/win/input.h"

namespace ql::testing_uisvc {
namespace {

class StatusBarTest : public UiServicesTest {};

// A frame 440 pixels wide puts the first two part edges at 208 and 316, and the
// last where a child's vertical scroll bar would begin.
TEST_F(StatusBarTest, FrameOf440PixelsGivesPartEdges208And316) {
    LayoutStatusBar(frame_);
    std::vector<int32_t> edges = ui::GetStatusBarParts(State().dialogs.StatusWindow);
    ASSERT_EQ(edges.size(), 3u);
    EXPECT_EQ(edges[0], 208);
    EXPECT_EQ(edges[1], 316);
    EXPECT_EQ(edges[2], kFrameWidth - 2 * win::GetSystemMetric(win::SystemMetric::BorderWidth) -
                            win::GetSystemMetric(win::SystemMetric::VerticalScrollWidth));
    win::Rect bar = win::GetWindowRect(State().dialogs.StatusWindow);
    EXPECT_EQ(bar.bottom - win::GetWindowRect(frame_).top, kFrameHeight);
}

// A null text shows a single blank; every text gets a leading blank.
TEST_F(StatusBarTest, NullTextShowsSingleBlank) {
    SetStatusText(1, nullptr);
    EXPECT_EQ(ui::GetStatusBarText(State().dialogs.StatusWindow, 1), " ");
    SetStatusText(0, "Ready");
    EXPECT_EQ(ui::GetStatusBarText(State().dialogs.StatusWindow, 0), " Ready");
    SetStatusTextNumber(2, "Page", 7);
    EXPECT_EQ(ui::GetStatusBarText(State().dialogs.StatusWindow, 2), " Page 7");
}

// Parts outside 0..2 and a missing status window send nothing.
TEST_F(StatusBarTest, TextsOutsideThePartsOrWithoutBarAreIgnored) {
    size_t before = ui::headless::StatusTexts().size();
    SetStatusText(3, "x");
    SetStatusText(-1, "x");
    State().dialogs.StatusWindow = {};
    SetStatusText(0, "x");
    EXPECT_EQ(ui::headless::StatusTexts().size(), before);
}

// Clearing the bar blanks parts 1 and 2 and keeps part 0.
TEST_F(StatusBarTest, ClearStatusBarKeepsPartZero) {
    SetStatusText(0, "kept");
    SetStatusText(1, "one");
    SetStatusText(2, "two");
    ClearStatusBar();
    platform::WindowHandle bar = State().dialogs.StatusWindow;
    EXPECT_EQ(ui::GetStatusBarText(bar, 0), " kept");
    EXPECT_EQ(ui::GetStatusBarText(bar, 1), " ");
    EXPECT_EQ(ui::GetStatusBarText(bar, 2), " ");
    ClearStatusPart(0);
    EXPECT_EQ(ui::GetStatusBarText(bar, 1), " ");
}

// A notice pops out in part 0 with the exclamation beep; a null notice does nothing.
TEST_F(StatusBarTest, NoticeBeepsWithExclamation) {
    ShowNotice(nullptr);
    EXPECT_TRUE(ui::headless::Beeps().empty());
    ShowNotice("No more room in measure.");
    platform::WindowHandle bar = State().dialogs.StatusWindow;
    EXPECT_EQ(ui::GetStatusBarText(bar, 0), " No more room in measure.");
    EXPECT_EQ(ui::GetStatusBarTextStyle(bar, 0), ui::StatusTextStyle::PopOut);
    ASSERT_EQ(ui::headless::Beeps().size(), 1u);
    EXPECT_EQ(ui::headless::Beeps()[0], ui::BeepKind::Exclamation);
}

// A labelled notice reads "Notice: " and the text, with the information beep.
TEST_F(StatusBarTest, LabelledNoticeBeepsWithInformation) {
    EXPECT_EQ(ShowLabelledNotice("Saved."), 0);
    EXPECT_EQ(ui::GetStatusBarText(State().dialogs.StatusWindow, 0), " Notice: Saved.");
    ASSERT_EQ(ui::headless::Beeps().size(), 1u);
    EXPECT_EQ(ui::headless::Beeps()[0], ui::BeepKind::Information);
}

// Notices are cut to their limits: 255 characters, 127 after the label.
TEST_F(StatusBarTest, NoticesAreCutToTheirLimits) {
    std::string longText(400, 'x');
    ShowNotice(longText.c_str());
    EXPECT_EQ(ui::GetStatusBarText(State().dialogs.StatusWindow, 0).size(), 1u + kNoticeChars);
    ShowLabelledNotice(longText.c_str());
    EXPECT_EQ(ui::GetStatusBarText(State().dialogs.StatusWindow, 0),
              " Notice: " + std::string(kLabelledNoticeChars, 'x'));
}

// The bar follows the setting: shown with its height, or hidden with 0.
TEST_F(StatusBarTest, ShowStatusBarFollowsTheSetting) {
    State().dialogs.ShowStatusBarSetting = 1;
    EXPECT_GT(ShowStatusBar(), 0);
    EXPECT_TRUE(win::IsWindowVisible(State().dialogs.StatusWindow));
    State().dialogs.ShowStatusBarSetting = 0;
    EXPECT_EQ(ShowStatusBar(), 0);
    EXPECT_FALSE(win::IsWindowVisible(State().dialogs.StatusWindow));
}

}  // namespace
}  // namespace ql::testing_uisvc
