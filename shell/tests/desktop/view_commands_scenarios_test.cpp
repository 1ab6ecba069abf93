// The score window's menu commands on the desktop: the options that change the
// drawing repaint the page (and give it back when turned off again), every option
// toggle shows its check mark in its menu, the font commands open the Select Font
// dialog, Reformat Page leaves a formatted page as it is, Multi-measure Rest
// without an insertion point says why in the status bar, and after Insert Page's
// dialog the keys reach the score window again, and a staff is added before or
// after the marquee's staff. Judged from pictures of
// the frame's score area, its status bar and the open menus. The quick zooms of the
// View menu change the page's level, and Staff Lines Only its signs.
#include <algorithm>
#include <string_view>
#include <utility>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/scene_pictures.h"

namespace ql::desktop {
namespace {

// The horizontal scroll bar and the status bar below the score area.
constexpr int kBelowScoreArea = 60;
constexpr int kStatusBarHeight = 24;
// A moved view changes far more pixels than a blinking caret does.
constexpr int64_t kMovedPixels = 2000;
// The marquee over a staff: from above its top line to below its bottom line, this
// wide, started on paper well inside the system (the palettes cover its start).
constexpr int kMarqueeWidth = 160;
constexpr int kMarqueeMargin = 10;
// Where staff lines are counted: this far left of their right end (past the rests).
constexpr int kLineColumnInset = 10;
constexpr uint32_t kDarkChannel = 0x60;

// The longest dark run of a row (a staff line): its start and its end.
std::pair<int, int> LongestDarkRun(const ScreenPicture& picture, int y) {
    int best = -1;
    int bestLength = 0;
    for (int x = 0; x < picture.width;) {
        if (!IsDark(picture.At(x, y), kDarkChannel)) {
            ++x;
            continue;
        }
        const int start = x;
        while (x < picture.width && IsDark(picture.At(x, y), kDarkChannel)) ++x;
        if (x - start > bestLength) {
            bestLength = x - start;
            best = start;
        }
    }
    return {best, best + bestLength};
}

// The staff lines a column crosses: runs of dark pixels at most two high.
int StaffLinesInColumn(const ScreenPicture& picture, int x) {
    constexpr int kLineHeight = 2;
    int lines = 0;
    for (int y = 0; y < picture.height;) {
        if (!IsDark(picture.At(x, y), kDarkChannel)) {
            ++y;
            continue;
        }
        const int start = y;
        while (y < picture.height && IsDark(picture.At(x, y), kDarkChannel)) ++y;
        lines += y - start <= kLineHeight ? 1 : 0;
    }
    return lines;
}

// A column of a row from `from` on with light pixels around it (no barline), or -1.
int PaperColumn(const ScreenPicture& picture, int from, int to, int y) {
    constexpr int kClear = 4;
    for (int x = from; x + kClear < to; ++x) {
        bool clear = true;
        for (int dx = -kClear; dx <= kClear && clear; ++dx) clear = !IsDark(picture.At(x + dx, y), kDarkChannel);
        if (clear) return x;
    }
    return -1;
}

class ViewCommandsScenario : public DesktopScenario {
protected:
    ScreenPicture ScoreArea() const {
        const ShownWindow frame = Frame();
        const int top = BarsBottom();
        const int bottom = std::min(frame.y + frame.height, x_.ScreenHeight()) - kBelowScoreArea;
        return x_.Grab(frame.x, top, frame.width, bottom - top);
    }
    // The status bar, or an empty picture when the frame reaches below the screen.
    ScreenPicture StatusBar() const {
        const ShownWindow frame = Frame();
        if (frame.y + frame.height > x_.ScreenHeight()) return {};
        return x_.Grab(frame.x, frame.y + frame.height - kStatusBarHeight, frame.width, kStatusBarHeight);
    }
    // The score area once two pictures of it a moment apart are the same.
    ScreenPicture SettledScoreArea() const {
        return SettledPicture(x_, [this] { return ScoreArea(); }, kRedrawTimeout);
    }
    // The last item of a menu (its mnemonic is shared with an item above it).
    void ChooseLastMenuItem(char menuMnemonic) {
        EXPECT_TRUE(OpenFrameMenu(menuMnemonic));
        x_.PressKey("Up");
        x_.PressKey("Return");
    }
};

// Options > Use Common/Cut Signature draws 4/4 as figures instead of the symbol,
// and the symbol again when chosen once more; View > Display Margins takes the
// margin guides away and shows them again.
TEST_F(ViewCommandsScenario, DrawingOptionsRepaintThePage) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    const ScreenPicture shown = SettledScoreArea();
    ChooseMenuItem('p', 'c');
    EXPECT_TRUE(WaitFor([&] { return DifferentPixels(ScoreArea(), shown) > 0; }, kRedrawTimeout))
        << "the time signatures were not drawn anew";
    ChooseMenuItem('p', 'c');
    EXPECT_TRUE(WaitFor([&] { return DifferentPixels(ScoreArea(), shown) == 0; }, kRedrawTimeout))
        << "the symbols did not come back";

    ChooseLastMenuItem('v');
    EXPECT_TRUE(WaitFor([&] { return DifferentPixels(ScoreArea(), shown) > 0; }, kRedrawTimeout))
        << "Display Margins did not take the guides away";
    ChooseLastMenuItem('v');
    EXPECT_TRUE(WaitFor([&] { return DifferentPixels(ScoreArea(), shown) == 0; }, kRedrawTimeout))
        << "the margin guides did not come back";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// View > Quickzoom 3 takes the page to the third quick zoom's level (the staff
// space grows) and Quickzoom 2 to the second's, a smaller one; Options > Draw
// Staff Lines Only leaves the staff lines alone on the page, and the page comes
// back when it is chosen again.
TEST_F(ViewCommandsScenario, QuickZoomAndStaffLinesOnlyFromTheMenus) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    const ScreenPicture shown = SettledScoreArea();
    const int space = StaffSpace(shown);
    ASSERT_GT(space, 0) << "no staff seen";
    ChooseMenuPath("v3");
    int zoomed = 0;
    EXPECT_TRUE(WaitFor([&] { return (zoomed = StaffSpace(ScoreArea())) > space; }, kRedrawTimeout))
        << "Quickzoom 3 did not zoom in";
    ChooseMenuPath("v2");
    EXPECT_TRUE(WaitFor([&] { return StaffSpace(ScoreArea()) > 0 && StaffSpace(ScoreArea()) < zoomed; }, kRedrawTimeout))
        << "Quickzoom 2 did not zoom out again";
    const ScreenPicture level = SettledScoreArea();
    ChooseMenuPath("pw");
    EXPECT_TRUE(WaitFor([&] { return DifferentPixels(ScoreArea(), level) > 0; }, kRedrawTimeout))
        << "Draw Staff Lines Only did not take the signs away";
    ChooseMenuPath("pw");
    EXPECT_TRUE(WaitFor([&] { return DifferentPixels(ScoreArea(), level) == 0; }, kRedrawTimeout))
        << "the signs did not come back";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Each option toggle changes its menu's picture (its check mark), and choosing it
// again changes it back.
TEST_F(ViewCommandsScenario, EveryToggleShowsItsCheckMark) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    // Each by its access keys, the last one the item's: Notes > Auto holds Auto rest
    // and Auto hide tablature stems.
    for (std::string_view keys : {"pb", "vh", "vo", "nar", "nah", "pe", "pk"}) {
        const std::string_view menu = keys.substr(0, keys.size() - 1);
        const ScreenPicture before = MenuPathPicture(menu);
        ASSERT_FALSE(before.pixels.empty()) << "menu " << menu << " did not open";
        ChooseMenuPath(keys);
        const ScreenPicture toggled = MenuPathPicture(menu);
        EXPECT_GT(DifferentPixels(toggled, before), 0) << "no check mark changed for " << keys;
        ChooseMenuPath(keys);
        EXPECT_GT(DifferentPixels(MenuPathPicture(menu), toggled), 0) << "the check mark did not change back for " << keys;
    }
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Text > Choose Font, Select Textline Font and Select Lyric Font each open the
// Select Font dialog, which Escape closes.
TEST_F(ViewCommandsScenario, FontCommandsOpenTheSelectFontDialog) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    for (char item : {'c', 't', 'y'}) {
        ChooseMenuItem('t', item);
        const std::optional<ShownWindow> dialog = x_.WaitForWindow("Select Font");
        ASSERT_TRUE(dialog) << "Text > " << item << " opened no Select Font dialog";
        x_.PointAt(*dialog);
        x_.PressKey("Escape");
        EXPECT_TRUE(x_.WaitUntilGone("Select Font"));
    }
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// View > Reformat Page on a new score's page leaves it as it was; Notes >
// Multi-measure Rest without an insertion point says so in the status bar.
TEST_F(ViewCommandsScenario, ReformatPageAndMultiMeasureRest) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    const ScreenPicture shown = SettledScoreArea();
    ChooseMenuItem('v', 'r');
    x_.Settle();
    EXPECT_EQ(DifferentPixels(SettledScoreArea(), shown), 0) << "the formatted page changed";
    const ScreenPicture status = StatusBar();
    ChooseMenuItem('n', 'm');
    if (!status.pixels.empty()) {
        EXPECT_TRUE(WaitFor([&] { return DifferentPixels(StatusBar(), status) > 0; }, kRedrawTimeout))
            << "Multi-measure Rest said nothing";
    }
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// A marquee drawn over the second of two staves (inside the system), then Edit >
// Add Staff After: the page shows more staff lines (a staff more in every system);
// with the marquee still there, Edit > Add Staff Before changes the page again.
TEST_F(ViewCommandsScenario, AddStaffBeforeAndAfterTheMarqueesStaff) {
    ASSERT_TRUE(StartProgram());
    NewScore("2");
    x_.PointAt(Frame());
    const ScreenPicture shown = SettledScoreArea();
    const std::vector<std::vector<int>> staves = StavesOfFirstSystem(shown, 0, shown.width);
    ASSERT_EQ(staves.size(), 2u);
    const auto [left, right] = LongestDarkRun(shown, staves[1].front());
    const int top = staves[1].front() - kMarqueeMargin;
    const int x0 = PaperColumn(shown, left + (right - left) * 3 / 8, right - kMarqueeWidth, top);
    ASSERT_GE(x0, 0) << "no paper above the second staff";
    const int column = right - kLineColumnInset;
    const auto addsLines = [&](char item, int before) {
        int now = before;
        const bool more = WaitFor([&] { return (now = StaffLinesInColumn(SettledScoreArea(), column)) > before; },
                                  kRedrawTimeout);
        EXPECT_TRUE(more) << "Edit > " << item << " left " << now << " staff lines";
    };
    const int lines = StaffLinesInColumn(shown, column);
    ASSERT_GT(lines, 0);
    const int areaX = Frame().x;
    const int areaY = BarsBottom();
    x_.Drag(areaX + x0, areaY + top, areaX + x0 + kMarqueeWidth, areaY + staves[1].back() + kMarqueeMargin);
    x_.Settle();
    ChooseMenuItem('e', 'a');
    addsLines('a', lines);
    // The page is not laid out again, so the new staves of the systems may fall on
    // the next systems' lines: judged by the page changing.
    const ScreenPicture afterAdd = SettledScoreArea();
    ChooseMenuItem('e', 'b');
    EXPECT_TRUE(WaitFor([&] { return DifferentPixels(ScoreArea(), afterAdd) > kMovedPixels; }, kRedrawTimeout))
        << "Edit > Add Staff Before changed nothing";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// View > Insert Page on a new score, then PageDown with the pointer where the dialog
// was: the keys reach the score window again, and the view moves down the page.
TEST_F(ViewCommandsScenario, PageDownMovesTheViewAfterInsertPage) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    InsertPage();
    ScreenPicture before = SettledScoreArea();
    x_.PressKey("Page_Down");
    EXPECT_TRUE(WaitFor([&] { return DifferentPixels(ScoreArea(), before) > kMovedPixels; }, kRedrawTimeout))
        << "PageDown did not move the view after Insert Page";
    before = SettledScoreArea();
    x_.PressKey("Page_Up");
    EXPECT_TRUE(WaitFor([&] { return DifferentPixels(ScoreArea(), before) > kMovedPixels; }, kRedrawTimeout))
        << "PageUp did not move the view back";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
