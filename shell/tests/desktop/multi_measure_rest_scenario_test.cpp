// A multi-measure rest on the desktop: a double click in an empty measure of the
// first staff puts the insertion point there, Notes > Multi-measure Rest opens
// "Multi-Measure Rest" and OK combines the run of empty measures from there (the
// rest's long bar is drawn in the staff); a double click into the rest and the same
// command, answered Yes, expand it again (the bar goes). Judged from pictures of
// the staff.
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "shell/tests/desktop/barline_page.h"

namespace ql::desktop {
namespace {

constexpr int kRestBarLength = 60;  // a combined rest's bar is longer; a whole rest far shorter

class MultiMeasureRestScenario : public BarlineScenario {
protected:
    // The longest dark run along a row between the second and fourth staff lines,
    // off the lines: the bar of a combined rest, else a whole rest at most.
    int LongestRestBar() const {
        const ScreenPicture now = Screen();
        int longest = 0;
        for (int y = lines_[1] + 2; y < lines_[3] - 1; ++y) {
            if (std::abs(y - lines_[2]) <= 1) continue;
            int run = 0;
            for (int x = left_; x < right_; ++x) {
                run = IsDark(now.At(x, y)) ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        }
        return longest;
    }
    // A double click on the paper between the second and third staff lines, a
    // quarter into the measure after barline `i` (clear of its rest).
    void PlaceInsertionPoint(const std::vector<Bar>& bars, size_t i) {
        const int x = bars[i].right + (bars[i + 1].left - bars[i].right) / 4;
        const int y = (lines_[1] + lines_[2]) / 2;
        x_.MovePointer(x - 20, y);
        x_.Settle(Millis{300});
        x_.MovePointer(x, y);
        x_.Settle(Millis{300});
        x_.DoubleClick(x, y);
        x_.Settle(Millis{500});
    }
    // Notes > Multi-measure Rest from the keyboard, the pointer left where it is
    // (over the score the location would follow it).
    void ChooseMultiMeasureRest() {
        ASSERT_TRUE(OpenFrameMenu('n', Pointer::kStays)) << "the Notes menu did not open";
        x_.PressKey("m");
    }
};

TEST_F(MultiMeasureRestScenario, MadeFromTheNotesMenuAndExpandedAgain) {
    const std::optional<ScreenPicture> page = NewOneStaffPage();
    ASSERT_TRUE(page);
    const ScreenPicture& before = *page;
    const std::vector<Bar> bars = Bars(before);
    ASSERT_GE(bars.size(), 4u) << "too few barlines in the staff";
    ASSERT_LT(LongestRestBar(), kRestBarLength) << "a long bar in the staff before";

    PlaceInsertionPoint(bars, 1);
    ChooseMultiMeasureRest();
    std::optional<ShownWindow> dialog = x_.WaitForWindow("Multi-Measure Rest");
    if (!dialog) WritePng(Screen(), TestOutputFolder() / "multi_measure_rest_desktop.png");
    ASSERT_TRUE(dialog) << "Multi-measure Rest opened no dialog";
    x_.PointAt(*dialog);
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("Multi-Measure Rest")) << "OK did not close the dialog";
    int bar = 0;
    EXPECT_TRUE(WaitFor([&] { return (bar = LongestRestBar()) > kRestBarLength; }, kRedrawTimeout))
        << "no combined rest in the staff: the longest bar is " << bar << " pixels";
    WritePng(Screen(), TestOutputFolder() / "multi_measure_rest_desktop.png");

    PlaceInsertionPoint(SettledBars(), 1);
    ChooseMultiMeasureRest();
    const std::optional<ShownWindow> question = WaitForMessageBox();
    ASSERT_TRUE(question) << "no question to expand the rest";
    x_.PointAt(*question);
    x_.PressKey("Return");  // Yes
    EXPECT_TRUE(WaitFor([&] {
        for (const ShownWindow& window : x_.Windows())
            if (window.title == kFrameTitle && window.width == question->width) return false;
        return true;
    })) << "the question stayed open";
    EXPECT_TRUE(WaitFor([&] { return (bar = LongestRestBar()) < kRestBarLength; }, kRedrawTimeout))
        << "the combined rest is still there: a bar of " << bar << " pixels";
    WritePng(Screen(), TestOutputFolder() / "multi_measure_rest_expanded_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
