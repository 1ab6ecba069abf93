// Spacing keys on a chosen note on the desktop. Keypad plus: two eighths entered by
// clicks a measure apart (each lands at the start of its measure); a click on the
// first head chooses it, and keypad plus widens its measure at once: the second head
// moves right while the first stays. Every further press moves it again, and the
// heads can still be chosen by a click after a press. Alt+Right: two eighths in one
// measure, the second chosen, and each press moves it right.
#include <vector>

#include "shell/tests/desktop/note_key_scene.h"

namespace ql::desktop {
namespace {

class NoteSpacingKeyScenario : public NoteKeyScene {
  protected:
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
    const std::vector<Columns> entered = EnterTwoEighths(row, left_ + (right_ - left_) / 4, 6);
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

// Keypad plus pressed again moves the second head again. A press ends the choice,
// and the heads can be chosen by a click again: a click on the first head chooses it
// rather than entering a note, and keypad plus widens the pair once more; a click on
// the moved head then chooses that one, entering nothing.
TEST_F(NoteSpacingKeyScenario, KeypadPlusAgainMovesTheHeadAgainAndTheHeadsCanBeChosen) {
    ASSERT_TRUE(OpenBlankScoreWithNotesTool()) << "no score with a staff and the Notes tool";
    const int row = (lines_[3] + lines_[4]) / 2;
    const std::vector<Columns> entered = EnterTwoEighths(row, left_ + (right_ - left_) / 4, 6);
    ASSERT_EQ(entered.size(), 2u) << "the two clicks did not enter two heads";
    ChooseAt(entered[0].Middle(), row);

    x_.PressKey("KP_Add");
    ASSERT_TRUE(SecondHeadMovesRight(row, entered[1].left)) << "the first keypad plus left the second head";
    const std::vector<Columns> once = HeadsNow(row);
    ASSERT_EQ(once.size(), 2u);
    x_.PressKey("KP_Add");
    EXPECT_TRUE(SecondHeadMovesRight(row, once[1].left)) << "the second keypad plus left the second head";
    const std::vector<Columns> twice = HeadsNow(row);
    ASSERT_EQ(twice.size(), 2u) << "the second keypad plus left stray ink on the row";
    EXPECT_NEAR(twice[0].left, entered[0].left, 1) << "the chosen head moved";

    ChooseAt(twice[0].Middle(), row);
    ASSERT_EQ(HeadsNow(row).size(), 2u) << "the click on the first head entered a note";
    x_.PressKey("KP_Add");
    EXPECT_TRUE(SecondHeadMovesRight(row, twice[1].left)) << "keypad plus after choosing the head again did nothing";
    const std::vector<Columns> thrice = HeadsNow(row);
    ASSERT_EQ(thrice.size(), 2u);

    ChooseAt(thrice[1].Middle(), row);
    PointerAside();
    const std::vector<Columns> chosen = HeadsNow(row);
    ASSERT_EQ(chosen.size(), 2u) << "the click on the moved head entered a note";
    EXPECT_NEAR(chosen[1].left, thrice[1].left, 1) << "the click on the moved head changed it";
    WritePng(SettledScreen(), TestOutputFolder() / "note_spacing_key_again_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Alt+Right on the chosen second note widens the space before it: its head moves
// right while the first stays. The note stays chosen, and its handles go with it: a
// further Alt+Right moves it again, and a click on the moved head chooses it rather
// than entering a note.
TEST_F(NoteSpacingKeyScenario, AltRightMovesTheChosenHeadAndTheMovedHeadCanBeChosen) {
    ASSERT_TRUE(OpenBlankScoreWithNotesTool()) << "no score with a staff and the Notes tool";
    const int row = (lines_[3] + lines_[4]) / 2;
    // Both clicks in the first measure: the second note follows the first there.
    const std::vector<Columns> entered = EnterTwoEighths(row, left_ + (right_ - left_) / 8, 4);
    ASSERT_EQ(entered.size(), 2u) << "the two clicks did not enter two heads";
    ChooseAt(entered[1].Middle(), row);

    x_.PressKey("alt+Right");
    ASSERT_TRUE(SecondHeadMovesRight(row, entered[1].left)) << "Alt+Right left the chosen head where it was";
    x_.PressKey("alt+Right");
    x_.PressKey("alt+Right");
    x_.PressKey("alt+Right");
    const std::vector<Columns> moved = HeadsNow(row);
    ASSERT_EQ(moved.size(), 2u) << "Alt+Right left stray ink on the row";
    EXPECT_NEAR(moved[0].left, entered[0].left, 1) << "the first head moved";
    ASSERT_GT(moved[1].left, entered[1].right + 2) << "the presses did not move the head clear of where it was";

    ChooseAt(moved[1].Middle(), row);
    PointerAside();
    const std::vector<Columns> chosen = HeadsNow(row);
    ASSERT_EQ(chosen.size(), 2u) << "the click on the moved head entered a note";
    EXPECT_NEAR(chosen[1].left, moved[1].left, 1) << "the click on the moved head changed it";
    WritePng(SettledScreen(), TestOutputFolder() / "note_alt_right_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
