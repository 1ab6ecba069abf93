// Marks from the keyboard on the desktop: a note entered low on the staff (its stem
// up) is chosen by a click on its head, and the comma puts the mark of the first
// entry of the articulation palette on it, the full stop the mark of the eleventh:
// the mark appears by the staff in the note's columns at once, while the note is
// still chosen.
#include <algorithm>
#include <vector>

#include "shell/tests/desktop/note_key_scene.h"

namespace ql::desktop {
namespace {

class MarkKeyScenario : public NoteKeyScene {
  protected:
    // A note entered low on the staff and chosen by a click on its head, then `key`
    // pressed: whether new ink comes in the head's columns (a head's width either
    // side) within four spaces below the staff or above it, as the key's mark.
    bool KeyPutsAMarkByTheChosenNote(const char* key, const char* picture) {
        const int row = (lines_[3] + lines_[4]) / 2;  // the bottom space: the stem points up
        ScreenPicture entered;
        const std::optional<Columns> one = EnterOneHead(row, entered);
        if (!one) {
            ADD_FAILURE() << "the click did not enter one head";
            return false;
        }
        const Columns head = *one;
        ChooseAt(head.Middle(), row);
        const ScreenPicture chosen = SettledScreen();
        x_.PressKey(key);
        const int left = head.left - (head.right - head.left);
        const int right = head.right + (head.right - head.left);
        const auto inkBetween = [&](const ScreenPicture& p, int top, int bottom) {
            int ink = 0;
            for (int y = std::max(top, 0); y < std::min(bottom, chosen.height); ++y)
                for (int x = left; x < right; ++x) ink += IsDarkPixel(p.At(x, y)) && IsWhite(chosen.At(x, y));
            return ink;
        };
        const auto markInk = [&](const ScreenPicture& p) {
            return inkBetween(p, lines_[4] + 2, lines_[4] + 4 * space_) +
                   inkBetween(p, lines_[0] - 4 * space_, lines_[0] - 1);
        };
        const bool shown = WaitFor([&] { return markInk(Screen()) > space_; }, kRedrawTimeout);
        WritePng(SettledScreen(), TestOutputFolder() / picture);
        return shown;
    }
};

TEST_F(MarkKeyScenario, TheCommaPutsAMarkUnderTheChosenNote) {
    ASSERT_TRUE(OpenBlankScoreWithNotesTool()) << "no score with a staff and the Notes tool";
    EXPECT_TRUE(KeyPutsAMarkByTheChosenNote("comma", "mark_key_desktop.png")) << "no mark by the note after the comma";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

TEST_F(MarkKeyScenario, TheFullStopPutsAMarkByTheChosenNote) {
    ASSERT_TRUE(OpenBlankScoreWithNotesTool()) << "no score with a staff and the Notes tool";
    EXPECT_TRUE(KeyPutsAMarkByTheChosenNote("period", "mark_key_full_stop_desktop.png"))
        << "no mark by the note after the full stop";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
