// A tie made from the keyboard on the desktop: two notes of one pitch entered with
// the Notes tool in one measure, the T key on the first (chosen by a click on its
// head) ties it to the second, the tie shows between them at once and stays once the
// note is let go, and Ctrl+Z takes the tie away. Judged from the ink between the heads.
#include <vector>

#include "shell/tests/desktop/note_key_scene.h"

namespace ql::desktop {
namespace {

class NoteTieScenario : public NoteKeyScene {
  protected:
    // Dark pixels between two heads (clear of the first one's stem), up to two staff
    // spaces above and below them: the beam stands further off.
    int64_t InkBetween(const Columns& first, const Columns& second, int row) const {
        return Screen().DarkPixels(first.right + 3, row - 2 * space_, second.left - 2, row + 2 * space_);
    }
};

TEST_F(NoteTieScenario, TheTKeyTiesTwoNotesOfOnePitchAndUndoTakesTheTieAway) {
    ASSERT_TRUE(OpenBlankScoreWithNotesTool()) << "no score with a staff and the Notes tool";
    const int row = (lines_[2] + lines_[3]) / 2;  // the space below the middle line

    // Two notes in the middle of the first system, a little apart: one measure.
    const int at = left_ + (right_ - left_) * 3 / 8;
    EnterAt(at, row);
    EnterAt(at + 4 * space_, row);
    PointerAside();
    const ScreenPicture entered = SettledScreen();
    const std::vector<Columns> heads = NewInkRuns(empty_, entered, left_, right_, row);
    ASSERT_EQ(heads.size(), 2u) << "two clicks did not enter two heads side by side";
    const int64_t untied = InkBetween(heads[0], heads[1], row);

    // T on the first note, chosen by a click on its head, ties it to the next one.
    const int firstX = heads[0].Middle();
    ChooseAt(firstX, row);
    // What the chosen note shows between the heads before the key (its handles).
    SettledScreen();
    const int64_t focused = InkBetween(heads[0], heads[1], row);
    x_.PressKey("t");
    // The tie shows while the note is still chosen, as every other edit of it does.
    int64_t tiedAtOnce = focused;
    EXPECT_TRUE(WaitFor(
        [&] { return (tiedAtOnce = InkBetween(heads[0], heads[1], row)) > focused + space_; },
        kRedrawTimeout))
        << "no tie between the heads before the note is let go: " << tiedAtOnce << " dark pixels against "
        << focused;
    x_.Click(firstX, lines_[4] + 3 * space_);  // the paper under the staff lets the note go
    x_.Settle(Millis{800});
    PointerAside();
    int64_t tied = untied;
    EXPECT_TRUE(WaitFor([&] { return (tied = InkBetween(heads[0], heads[1], row)) > untied + space_; },
                        kRedrawTimeout))
        << "no tie between the heads: " << tied << " dark pixels against " << untied;
    WritePng(Screen(), TestOutputFolder() / "note_tie_desktop.png");

    PressInFrame("ctrl+z");
    PointerAside();
    int64_t undone = tied;
    EXPECT_TRUE(WaitFor([&] { return (undone = InkBetween(heads[0], heads[1], row)) <= untied + 2; },
                        kRedrawTimeout))
        << "Ctrl+Z left the tie: " << undone << " dark pixels against " << untied;
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
