// Barlines on the desktop, with the Pointer tool: a barline of the first system is
// clicked and D makes it a double barline; a barline dragged to the right widens the
// measure before it (the barline and the one after it move); Ctrl+End on a barline
// ends the piece there (the systems after it go). Ctrl+Z gives the page back each
// time. Judged from pictures of the first systems; pictures are written for the eye.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "shell/tests/desktop/barline_page.h"

namespace ql::desktop {
namespace {

// A click on the second barline of the first system and D: the barline becomes a
// double barline (a second stroke beside it); Ctrl+Z makes it single again.
TEST_F(BarlineScenario, DMakesAClickedBarlineDouble) {
    const std::optional<ScreenPicture> page = NewOneStaffPage();
    ASSERT_TRUE(page);
    const ScreenPicture& before = *page;
    const std::vector<Bar> bars = Bars(before);
    ASSERT_GE(bars.size(), 3u) << "no barlines inside the first system";
    const Bar bar = bars[1];
    PickBarline(bar);
    x_.PressKey("d");
    std::vector<Bar> after;
    EXPECT_TRUE(WaitFor(
        [&] {
            after = Bars(Screen());
            return after.size() == bars.size() + 1;
        },
        kRedrawTimeout))
        << "no second stroke: " << bars.size() << " barlines before, " << after.size() << " after";
    WritePng(Screen(), TestOutputFolder() / "barline_double_desktop.png");
    EXPECT_TRUE(UndoGivesBack(before)) << "Undo did not give the single barline back";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// The second barline dragged 40 pixels to the right: it stands there after the
// release, the measure before it is wider and the barline after it moved too;
// Ctrl+Z puts both back.
TEST_F(BarlineScenario, ADraggedBarlineWidensTheMeasureBeforeIt) {
    const std::optional<ScreenPicture> page = NewOneStaffPage();
    ASSERT_TRUE(page);
    const ScreenPicture& before = *page;
    const std::vector<Bar> bars = Bars(before);
    ASSERT_GE(bars.size(), 3u) << "too few barlines in the first system";
    const Bar bar = bars[1];
    const int y = (lines_[1] + lines_[2]) / 2;
    x_.MovePointer(bar.Middle() - 30, y);
    x_.Settle(Millis{300});
    x_.MovePointer(bar.Middle(), y);
    x_.Settle(Millis{300});
    x_.Drag(bar.Middle(), y, bar.Middle() + 40, y);
    x_.MovePointer(left_ + 20, lines_[4] + 30);  // away: the release committed the drag
    x_.Settle(Millis{300});
    x_.Click(left_ + 20, lines_[4] + 60);
    std::vector<Bar> after;
    const auto movedBy = [](const std::vector<Bar>& a, const std::vector<Bar>& b, size_t i) {
        return i < a.size() && i < b.size() ? b[i].Middle() - a[i].Middle() : 0;
    };
    EXPECT_TRUE(WaitFor(
        [&] {
            after = SettledBars();
            return after.size() >= 3 && movedBy(bars, after, 1) > 20;
        },
        kRedrawTimeout))
        << "the barline did not stay where it was dragged: moved by " << movedBy(bars, after, 1);
    EXPECT_NE(movedBy(bars, after, 2), 0) << "the barline after it did not move";
    WritePng(Screen(), TestOutputFolder() / "barline_drag_desktop.png");
    EXPECT_TRUE(UndoGivesBack(before)) << "Undo did not put the barlines back";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Ctrl+End on the second barline of the first system: the piece ends there, so the
// systems below the first go; Ctrl+Z brings them back.
TEST_F(BarlineScenario, CtrlEndEndsThePieceAtTheBarline) {
    const std::optional<ScreenPicture> page = NewOneStaffPage();
    ASSERT_TRUE(page);
    const ScreenPicture& before = *page;
    ASSERT_GE(lines_.size(), 10u) << "a new score shows more than one system";
    const std::vector<Bar> bars = Bars(before);
    ASSERT_GE(bars.size(), 3u);
    PickBarline(bars[1]);
    x_.PressKey("ctrl+End");
    if (std::optional<ShownWindow> box = x_.WaitForWindow(kFrameTitle, Millis{1500}); box && box->width < 600) {
        x_.PointAt(*box);
        x_.PressKey("Return");  // Yes
    }
    size_t shown = lines_.size();
    EXPECT_TRUE(WaitFor(
        [&] {
            shown = StaffLinesShown();
            return shown < lines_.size();
        },
        kRedrawTimeout))
        << "the systems after the barline are still there: " << shown << " staff lines";
    WritePng(Screen(), TestOutputFolder() / "barline_end_desktop.png");
    EXPECT_TRUE(UndoGivesBack(before)) << "Undo did not bring the score back";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
