// Set Measure Number on the desktop: a right click on the opening barline of the
// first system (measure 1's) opens the barline's menu, whose "Set Measure
// Number..." opens "Set Measure Number"; 0 and OK renumber the score from there, so
// the numbers shown above the systems change; Ctrl+Z shows them as they were.
// Judged from pictures of the first system with its numbers.
#include <optional>
#include <vector>

#include "shell/tests/desktop/barline_page.h"

namespace ql::desktop {
namespace {

constexpr int64_t kNumberInk = 10;    // changed pixels of a shown number, at least

class MeasureNumberScenario : public BarlineScenario {
protected:
    // The leftmost column dark from the top line to the bottom line of a staff: the
    // system's opening barline; -1 when none.
    int OpeningBarline(const std::vector<int>& staff) const {
        const ScreenPicture picture = Screen();
        for (int x = left_; x < right_; ++x) {
            bool across = true;
            for (int y = staff[0] + 1; y < staff[4] && across; ++y) across = IsDark(picture.At(x, y));
            if (across) return x;
        }
        return -1;
    }
};

TEST_F(MeasureNumberScenario, MeasureOnesBarlineSetsTheNumbersFromThere) {
    const std::optional<ScreenPicture> page = NewOneStaffPage();
    ASSERT_TRUE(page);
    const ScreenPicture& before = *page;
    const std::vector<int> first(lines_.begin(), lines_.begin() + kLinesPerStaff);
    const int x = OpeningBarline(first);
    ASSERT_GE(x, 0) << "no opening barline in the first system";

    const int y = (first[1] + first[2]) / 2;
    x_.MovePointer(x + 30, y);
    x_.Settle(Millis{300});
    x_.MovePointer(x, y);
    x_.Settle(Millis{500});
    x_.Click(x, y, 3);
    ASSERT_TRUE(WaitFor([&] { return !x_.Popups().empty(); }, Millis{5000})) << "no menu on the barline";
    x_.Settle(Millis{500});
    x_.PressKey("n");
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("Set Measure Number");
    if (!dialog) WritePng(Screen(), TestOutputFolder() / "set_measure_number_desktop.png");
    ASSERT_TRUE(dialog) << "Set Measure Number... showed no dialog";
    x_.PointAt(*dialog);
    x_.PressKey("End");
    for (int i = 0; i < 3; ++i) x_.PressKey("BackSpace");
    x_.TypeText("0");
    x_.Settle(Millis{300});
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("Set Measure Number")) << "OK did not close the dialog";
    int64_t changed = 0;
    EXPECT_TRUE(WaitFor([&] { return (changed = ChangedAroundStaff(before)) > kNumberInk; }, kRedrawTimeout))
        << "the numbers shown did not change: " << changed << " pixels";
    WritePng(Screen(), TestOutputFolder() / "set_measure_number_desktop.png");
    EXPECT_TRUE(UndoGivesBack(before)) << "Undo did not give the numbers back";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
