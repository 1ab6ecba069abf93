// The page in the score window on the desktop: Page Setup changed and confirmed
// redraws the page at its new size; the wheel, PageDown and the vertical scroll bar
// move the view over a page; View > Find > Page (Go to Page) shows the page asked
// for; the page band's Next Page arrow and its page buttons show other pages; the
// Zoom tool, armed with key 7, zooms in with a click and out with a right click.
#include <algorithm>

#include "editing/page_band_geometry.h"
#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/scene_pictures.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

// The horizontal scroll bar and the status bar below the score area.
constexpr int kBelowScoreArea = 60;
constexpr int kStatusBarHeight = 24;
// The vertical scroll bar runs down the frame's right edge.
constexpr int kScrollBarInset = 6;
// A moved view changes far more pixels than a blinking caret does.
constexpr int64_t kMovedPixels = 2000;

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

// Dark pixels (a label's text) on the rows of a dialog's focused field, left of the
// field (found by its selected text's blue); -1 when no text is selected.
int64_t InkLeftOfSelectedField(const ScreenPicture& dialog) {
    constexpr int kFieldInset = 12;  // the field's border and padding
    constexpr int kRows = 12;
    const auto blue = [](uint32_t p) { return (p & 0xFF) > 0xB0 && ((p >> 16) & 0xFF) < 0x80; };
    for (int x = 0; x < dialog.width; ++x)
        for (int y = 0; y < dialog.height; ++y)
            if (blue(dialog.At(x, y)))
                return dialog.DarkPixels(0, std::max(y - kRows, 0), x - kFieldInset, y + kRows);
    return -1;
}

class PageViewScenario : public DesktopScenario {
protected:
    // The part of the frame on the screen.
    int VisibleBottom(const ShownWindow& frame) const { return std::min(frame.y + frame.height, x_.ScreenHeight()); }
    ScreenPicture ScoreArea() const {
        const ShownWindow frame = Frame();
        const int top = BarsBottom();
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
        return SettledPicture(x_, [this] { return ScoreArea(); }, kRedrawTimeout);
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
    // The page band's corner on the screen: the band sits in the frame's main bar,
    // found by its pressed button (the third, page 1), whose face is flooded with the
    // highlight colour.
    std::optional<std::pair<int, int>> PageBandCorner() const {
        const ShownWindow frame = Frame();
        const ScreenPicture bar = x_.Grab(frame.x, frame.y, frame.width, std::min(frame.height, kBarHeight));
        int left = bar.width;
        int right = -1;
        int top = bar.height;
        int bottom = -1;
        for (int y = 0; y < bar.height; ++y)
            for (int x = 0; x < bar.width; ++x)
                if ((bar.At(x, y) & 0xFFFFFF) == kPressedFace) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        if (right < 0) return std::nullopt;
        const BandCell pressed = PageButtonCell(kFirstPressedButton, false);
        return std::pair{frame.x + (left + right) / 2 - (pressed.x + pressed.width / 2),
                         frame.y + (top + bottom) / 2 - (pressed.y + pressed.height / 2)};
    }
    // The centre of a cell of the page band.
    static std::pair<int, int> BandPoint(const std::pair<int, int>& corner, const BandCell& cell) {
        return {corner.first + cell.x + cell.width / 2, corner.second + cell.y + cell.height / 2};
    }
    static constexpr int kBarHeight = 200;
    static constexpr uint32_t kPressedFace = 0x000080;
    static constexpr int kFirstPressedButton = 2;
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
    x_.Click(frame.x + frame.width - kScrollBarInset, VisibleBottom(frame) - kBelowScoreArea - (BarsBottom() - frame.y));
    EXPECT_TRUE(ScoreAreaChangesFrom(before)) << "the scroll bar's trough did not move the view";
    EXPECT_TRUE(StatusChangesFrom(status)) << "the status bar shows no new page position";
    EXPECT_EQ(Quit(), 0);
}

// View > Find > Page: the dialog's number field has its label before it. 2 typed
// and Enter: the view shows the second page, and the status bar says so.
TEST_F(PageViewScenario, GoToPageShowsThatPage) {
    ASSERT_NO_FATAL_FAILURE(StartWithThreePageScore());
    const ScreenPicture before = SettledScoreArea();
    const ScreenPicture status = StatusBar();
    ChooseMenuPath("vfp");
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("Go to Page");
    ASSERT_TRUE(dialog) << "View > Find > Page showed no dialog";
    x_.PointAt(*dialog);
    constexpr int64_t kLabelInk = 20;
    EXPECT_GT(InkLeftOfSelectedField(x_.Grab(dialog->x, dialog->y, dialog->width, dialog->height)), kLabelInk)
        << "the page number's field has no label";
    // The page number's field has the focus with its text selected.
    x_.TypeText("2");
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("Go to Page")) << "Go to Page did not take page 2";
    EXPECT_TRUE(ScoreAreaChangesFrom(before)) << "the view still shows the first page";
    EXPECT_TRUE(StatusChangesFrom(status)) << "the status bar does not name the page";
    EXPECT_EQ(Quit(), 0);
}

// Pages inserted in the session just begun into a view moved down its page, without
// a restart or the wheel: the view shows the page inserted last, PageDown moves it down that page and PageUp
// back up; after another PageDown, Go to Page 3 (that same page) brings the view
// back to the page's top.
TEST_F(PageViewScenario, PagingMovesTheViewOverPagesJustInserted) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    x_.PointAt(Frame());
    ScreenPicture before = SettledScoreArea();
    x_.PressKey("Page_Down");
    ASSERT_TRUE(ScoreAreaChangesFrom(before)) << "PageDown did not move the view";
    InsertPage();
    InsertPage();
    x_.PointAt(Frame());
    before = SettledScoreArea();
    x_.PressKey("Page_Down");
    EXPECT_TRUE(ScoreAreaChangesFrom(before)) << "PageDown did not move the view";
    before = SettledScoreArea();
    x_.PressKey("Page_Up");
    EXPECT_TRUE(ScoreAreaChangesFrom(before)) << "PageUp did not move the view";
    before = SettledScoreArea();
    x_.PressKey("Page_Down");
    ASSERT_TRUE(ScoreAreaChangesFrom(before)) << "PageDown did not move the view";

    before = SettledScoreArea();
    ChooseMenuPath("vfp");
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("Go to Page");
    ASSERT_TRUE(dialog) << "View > Find > Page showed no dialog";
    x_.PointAt(*dialog);
    x_.TypeText("3");
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("Go to Page")) << "Go to Page did not take page 3";
    EXPECT_TRUE(ScoreAreaChangesFrom(before)) << "Go to Page left the view where it was";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// The page band in the main bar, with a three-page score, shows L, R and pages 1 to 3. Its Next
// Page arrow moves it on by one and shows its last page; a click on the button of
// page 1 then shows page 1 again. The bar has its first-run layout with the Main
// palette floating: the Pagers band follows View on the second row, in the frame.
TEST_F(PageViewScenario, PageBandArrowAndButtonsShowTheirPages) {
    ASSERT_NO_FATAL_FAILURE(StartWithThreePageScore());
    std::optional<std::pair<int, int>> band;
    ASSERT_TRUE(WaitFor([&] { return (band = PageBandCorner()).has_value(); })) << "no page band in the bar";
    constexpr int kAllPages = 5;  // L, R, 1, 2, 3
    ScreenPicture before = SettledScoreArea();
    ScreenPicture status = StatusBar();
    const auto [nextX, nextY] = BandPoint(*band, ArrowCell(true, kAllPages, false));
    x_.Click(nextX, nextY);
    EXPECT_TRUE(ScoreAreaChangesFrom(before)) << "the Next Page arrow left the first page shown";
    EXPECT_TRUE(StatusChangesFrom(status)) << "the status bar does not name the page";

    // Now R, 1, 2 and 3: page 1 is the second button.
    x_.Settle();
    before = SettledScoreArea();
    status = StatusBar();
    const auto [pageX, pageY] = BandPoint(*band, PageButtonCell(1, false));
    x_.Click(pageX, pageY);
    EXPECT_TRUE(ScoreAreaChangesFrom(before)) << "the button of page 1 left page 3 shown";
    EXPECT_TRUE(StatusChangesFrom(status)) << "the status bar does not name page 1";
    EXPECT_EQ(Quit(), 0);
}

// Key 7 presses the Main palette's last button, the Zoom tool: a click on the page
// zooms in (the staff space grows), a right click steps back out.
TEST_F(PageViewScenario, ZoomToolClickZoomsInAndRightClickZoomsOut) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    const int before = StaffSpace(SettledScoreArea());
    ASSERT_GT(before, 0) << "the new score shows no staff";
    const ShownWindow frame = Frame();
    const int x = frame.x + frame.width / 3;
    const int y = BarsBottom() + (VisibleBottom(frame) - frame.y) / 4;
    x_.MovePointer(x, y);
    x_.PressKey("7");
    x_.Click(x, y);
    int zoomed = 0;
    EXPECT_TRUE(WaitFor([&] { return (zoomed = StaffSpace(ScoreArea())) > before; }, kRedrawTimeout))
        << "a staff space of " << before << " pixels before the click, " << zoomed << " after";
    zoomed = StaffSpace(SettledScoreArea());
    x_.Click(x, y, 3);
    int out = 0;
    EXPECT_TRUE(WaitFor([&] { return (out = StaffSpace(ScoreArea())) > 0 && out < zoomed; }, kRedrawTimeout))
        << "a staff space of " << zoomed << " pixels zoomed in, " << out << " after the right click";
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
