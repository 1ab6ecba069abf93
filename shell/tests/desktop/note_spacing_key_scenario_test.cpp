// Keypad plus on a chosen note on the desktop: two eighths entered side by side make a
// beamed pair; a click on the first head chooses it, and keypad plus widens the pair
// at once: the second head moves right while the first stays.
#include <vector>

#include "shell/tests/desktop/note_key_scene.h"

namespace ql::desktop {
namespace {

class NoteSpacingKeyScenario : public NoteKeyScene {
  protected:
    // The heads on the row once the screen has settled, as new ink against the empty
    // score.
    std::vector<Columns> HeadsNow(int row) const {
        return NewInkRuns(empty_, SettledScreen(), left_, right_, row);
    }
    // Waits for the second head to stand right of column `from`.
    bool SecondHeadMovesRight(int row, int from) const {
        return WaitFor(
            [&] {
                const std::vector<Columns> heads = NewInkRuns(empty_, Screen(), left_, right_, row);
                return heads.size() == 2 && heads[1].left >= from + 2;
            },
            kRedrawTimeout);
    }
};

TEST_F(NoteSpacingKeyScenario, KeypadPlusMovesTheBeamedHeadsAtOnce) {
    ASSERT_TRUE(OpenBlankScoreWithNotesTool()) << "no score with a staff and the Notes tool";
    const int row = (lines_[3] + lines_[4]) / 2;  // the bottom space: the stems point up
    const int x0 = left_ + (right_ - left_) / 4;
    EnterAt(x0, row);
    EnterAt(x0 + 6 * space_, row);
    PointerAside();
    const std::vector<Columns> entered = HeadsNow(row);
    ASSERT_EQ(entered.size(), 2u) << "the two clicks did not enter two heads";

    ChooseAt(entered[0].Middle(), row);
    const std::vector<Columns> chosen = HeadsNow(row);
    ASSERT_EQ(chosen.size(), 2u) << "choosing the first note changed the heads";

    x_.PressKey("KP_Add");
    EXPECT_TRUE(SecondHeadMovesRight(row, chosen[1].left)) << "keypad plus left the second head where it was";
    const std::vector<Columns> widened = HeadsNow(row);
    ASSERT_EQ(widened.size(), 2u) << "keypad plus left stray ink on the row";
    EXPECT_NEAR(widened[0].left, chosen[0].left, 1) << "the chosen head moved";
    WritePng(SettledScreen(), TestOutputFolder() / "note_spacing_key_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
