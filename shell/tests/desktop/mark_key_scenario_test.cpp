// A mark from the keyboard on the desktop: a note entered low on the staff (its stem
// up) is chosen by a click on its head, and the comma puts the mark of the first
// entry of the articulation palette on it: the mark appears under the staff in the
// note's columns at once, while the note is still chosen.
#include <algorithm>
#include <vector>

#include "shell/tests/desktop/note_key_scene.h"

namespace ql::desktop {
namespace {

using MarkKeyScenario = NoteKeyScene;

TEST_F(MarkKeyScenario, TheCommaPutsAMarkUnderTheChosenNote) {
    ASSERT_TRUE(OpenBlankScoreWithNotesTool()) << "no score with a staff and the Notes tool";
    const int row = (lines_[3] + lines_[4]) / 2;  // the bottom space: the stem points up
    ScreenPicture entered;
    const std::optional<Columns> one = EnterOneHead(row, entered);
    ASSERT_TRUE(one) << "the click did not enter one head";
    const Columns head = *one;

    ChooseAt(head.Middle(), row);
    const ScreenPicture chosen = SettledScreen();
    x_.PressKey("comma");
    // New ink in the head's columns (a head's width either side) below the staff.
    const int left = head.left - (head.right - head.left);
    const int right = head.right + (head.right - head.left);
    const int top = lines_[4] + 2;
    const int bottom = std::min(lines_[4] + 4 * space_, chosen.height);
    const auto markInk = [&](const ScreenPicture& p) {
        int ink = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) ink += IsDarkPixel(p.At(x, y)) && IsWhite(chosen.At(x, y));
        return ink;
    };
    ScreenPicture shown = Screen();
    EXPECT_TRUE(WaitFor([&] { return markInk(shown = Screen()) > space_; }, kRedrawTimeout))
        << "no mark under the note after the comma";
    WritePng(SettledScreen(), TestOutputFolder() / "mark_key_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
