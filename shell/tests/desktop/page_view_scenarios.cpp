// The page in the score window on the desktop: Page Setup changed and confirmed
// redraws the page at its new size; the wheel, PageDown and the vertical scroll bar
// move the view over a page; View > Page (Go to Page) shows the page asked for.
// Everything is judged from pictures of the frame: its score area (between the menu
// bar and the bottom scroll bar) and its status bar when that is on the screen.
#include <algorithm>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

// The menu bar above the score area; the horizontal scroll bar and the status bar
// below it.
constexpr int kMenuBarHeight = 40;
constexpr int kBelowScoreArea = 60;
constexpr int kStatusBarHeight = 24;
// The vertical scroll bar runs down the frame's right edge.
constexpr int kScrollBarInset = 6;
// A moved view changes far more pixels than a blinking caret does.
constexpr int64_t kMovedPixels = 2000;
constexpr Millis kRedrawTimeout{8000};

int64_t DifferentPixels(const ScreenPicture& a, const ScreenPicture& b) {
    if (a.width != b.width || a.height != b.height) return static_cast<int64_t>(a.pixels.size());
    int64_t different = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) different += a.pixels[i] != b.pixels[i] ? 1 : 0;
    return different;
}

// The longest run of dark pixels along any row: a staff line's length.
int LongestDarkRow(const ScreenPicture& picture) {
    constexpr uint32_t kDark = 0x80;
    int longest = 0;
    for (int y = 0; y < picture.height; ++y) {
        int run = 0;
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t p = picture.At(x, y);
            const bool dark = ((p >> 16) & 0xFF) < kDark && ((p >> 8) & 0xFF) < kDark && (p & 0xFF) < kDark;
            run = dark ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

class PageViewScenario : public DesktopScenario {
protected:
    // The part of the frame on the screen.
    int VisibleBottom(const ShownWindow& frame) const { return std::min(frame.y + frame.height, x_.ScreenHeight()); }
    ScreenPicture ScoreArea() const {
        const ShownWindow frame = Frame();
        const int top = frame.y + kMenuBarHeight;
        return x_.Grab(frame.x, top, frame.width, VisibleBottom(frame) - kBelowScoreArea - top);
    }
    // The status bar, or an empty picture when the frame reaches below the screen.
    ScreenPicture StatusBar() const {
        const ShownWindow frame = Frame();
        if (frame.y + frame.height > x_.ScreenHeight()) return {};
        return x_.Grab(frame.x, frame.y + frame.height - kStatusBarHeight, frame.width, kStatusBarHeight);
    }
    // Waits (bounded) until the score area differs from `before`.
    bool ScoreAreaChangesFrom(const ScreenPicture& before) const {
        return WaitFor([&] { return DifferentPixels(ScoreArea(), before) > kMovedPixels; }, kRedrawTimeout);
    }
    bool StatusChangesFrom(const ScreenPicture& before) const {
        if (before.pixels.empty()) return true;  // off the screen: nothing to see
        return WaitFor([&] { return DifferentPixels(StatusBar(), before) > 0; }, kRedrawTimeout);
    }
    // Waits until two pictures of the score area a moment apart are the same.
    ScreenPicture SettledScoreArea() const {
        ScreenPicture last = ScoreArea();
        WaitFor([&] {
            x_.Settle();
            ScreenPicture now = ScoreArea();
            const bool same = DifferentPixels(now, last) == 0;
            last = std::move(now);
            return same;
        }, kRedrawTimeout);
        return last;
    }
    // A score of three pages saved, and the program started again with it: its
    // window shows the first page.
    void StartWithThreePageScore() {
        ASSERT_TRUE(StartProgram());
        NewScore();
        InsertPage();
        InsertPage();
        const fs::path score = home_->Documents() / "pages.ql";
        ASSERT_TRUE(SaveScoreAs(score));
        ASSERT_EQ(Quit(), 0);
        ASSERT_TRUE(StartProgram({score.string()}));
        ASSERT_TRUE(x_.WaitForWindow("pages.ql"));
        x_.PointAt(Frame());
    }
    // File > Exit, answering No when asked to save the changed score.
    std::optional<int> QuitWithoutSaving() {
        ChooseMenuItem('f', 'x');
        const std::optional<ShownWindow> box = WaitForMessageBox();
        if (box) x_.Click(box->x + box->width / 2, box->y + box->height * 3 / 4);  // Yes, No, Cancel
        return program_->WaitForExit();
    }
};

// View > Page Setup: Tabloid paper (the third, two Tabs from the selected Letter,
// chosen with Space) and OK: the page is redrawn wider, its staff lines longer.
TEST_F(PageViewScenario, PageSetupRedrawsThePageAtItsNewSize) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    const int before = LongestDarkRow(SettledScoreArea());
    ASSERT_GT(before, 0) << "the new score shows no staff lines";
    ChooseMenuItem('v', 'g');
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("Page Setup");
    ASSERT_TRUE(dialog) << "View > Page Setup showed no dialog";
    x_.PointAt(*dialog);
    x_.PressKey("Tab");
    x_.PressKey("Tab");
    x_.PressKey("space");
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("Page Setup")) << "OK did not close Page Setup";
    // Tabloid is 11 inches wide against Letter's 8.5: the lines grow by some 30%.
    int after = 0;
    EXPECT_TRUE(WaitFor([&] { return (after = LongestDarkRow(ScoreArea())) > before * 6 / 5; }, kRedrawTimeout))
        << "staff lines " << before << " pixels long before, " << after << " after";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// The wheel, PageDown and a click into the vertical scroll bar's trough below its
// thumb each move the view down the first page.
TEST_F(PageViewScenario, WheelPageDownAndScrollBarMoveTheView) {
    ASSERT_NO_FATAL_FAILURE(StartWithThreePageScore());
    const ShownWindow frame = Frame();
    const int middleX = frame.x + frame.width / 2;
    const int middleY = (frame.y + VisibleBottom(frame)) / 2;

    ScreenPicture before = SettledScoreArea();
    x_.TurnWheel(middleX, middleY, 3);
    EXPECT_TRUE(ScoreAreaChangesFrom(before)) << "the wheel did not move the view";

    before = SettledScoreArea();
    x_.PressKey("Page_Down");
    EXPECT_TRUE(ScoreAreaChangesFrom(before)) << "PageDown did not move the view";

    before = SettledScoreArea();
    const ScreenPicture status = StatusBar();
    x_.Click(frame.x + frame.width - kScrollBarInset, VisibleBottom(frame) - kBelowScoreArea - kMenuBarHeight);
    EXPECT_TRUE(ScoreAreaChangesFrom(before)) << "the scroll bar's trough did not move the view";
    EXPECT_TRUE(StatusChangesFrom(status)) << "the status bar shows no new page position";
    EXPECT_EQ(Quit(), 0);
}

// View > Page with 2 typed and Enter: the view shows the second page, and the
// status bar says so.
TEST_F(PageViewScenario, GoToPageShowsThatPage) {
    ASSERT_NO_FATAL_FAILURE(StartWithThreePageScore());
    const ScreenPicture before = SettledScoreArea();
    const ScreenPicture status = StatusBar();
    ChooseMenuItem('v', 'p');
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("Go to Page");
    ASSERT_TRUE(dialog) << "View > Page showed no dialog";
    x_.PointAt(*dialog);
    // The page number's field has the focus with its text selected.
    x_.TypeText("2");
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("Go to Page")) << "Go to Page did not take page 2";
    EXPECT_TRUE(ScoreAreaChangesFrom(before)) << "the view still shows the first page";
    EXPECT_TRUE(StatusChangesFrom(status)) << "the status bar does not name the page";
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
