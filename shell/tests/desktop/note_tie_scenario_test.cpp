// A tie made from the keyboard on the desktop: two notes of one pitch entered with
// the Notes tool in one measure, the T key on the first (chosen by a click on its
// head) ties it to the second, the tie shows between them at once and stays once the
// note is let go, and Ctrl+Z takes the tie away. Judged from the ink between the heads.
#include <optional>
#include <vector>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

// Columns of a row, from one to one past the last.
struct Columns {
    int left = 0;
    int right = 0;
};

class NoteTieScenario : public MusicBesidePalettes {
  protected:
    // The runs of new ink along a row between two pictures, left to right.
    static std::vector<Columns> NewInkRuns(const ScreenPicture& before, const ScreenPicture& after, int left,
                                           int right, int row) {
        std::vector<Columns> runs;
        int start = -1;
        for (int x = left; x <= right; ++x) {
            const bool ink = x < right && IsDarkPixel(after.At(x, row)) && IsWhite(before.At(x, row));
            if (ink && start < 0) start = x;
            if (!ink && start >= 0) {
                if (x - start > 3) runs.push_back({start, x});
                start = -1;
            }
        }
        return runs;
    }
    // Dark pixels between two heads (clear of the first one's stem), up to two staff
    // spaces above and below them: the beam stands further off.
    int64_t InkBetween(const Columns& first, const Columns& second, int row, int space) const {
        return Screen().DarkPixels(first.right + 3, row - 2 * space, second.left - 2, row + 2 * space);
    }
    // Enters a note at a point with the armed Notes tool and lets the picture settle.
    void EnterAt(int x, int y) {
        x_.MovePointer(x, y - 6);
        x_.Settle(Millis{300});
        x_.Click(x, y);
        x_.Settle(Millis{800});
    }
};

TEST_F(NoteTieScenario, TheTKeyTiesTwoNotesOfOnePitchAndUndoTakesTheTieAway) {
    const std::optional<ShownWindow> main = NewScoreWithNotesTool();
    ASSERT_TRUE(main);
    const ScreenPicture empty = SettledScreen();
    const int left = MusicLeft();
    const int right = MusicRight();
    const std::vector<int> lines = StaffLinesBesidePalettes(empty);
    ASSERT_GE(lines.size(), 5u) << "no staff";
    const int space = lines[2] - lines[1];
    const int row = (lines[2] + lines[3]) / 2;  // the space below the middle line

    // Two notes in the middle of the first system, a little apart: one measure.
    const int at = left + (right - left) * 3 / 8;
    EnterAt(at, row);
    EnterAt(at + 4 * space, row);
    ParkPointer(*main);
    const ScreenPicture entered = SettledScreen();
    const std::vector<Columns> heads = NewInkRuns(empty, entered, left, right, row);
    ASSERT_EQ(heads.size(), 2u) << "two clicks did not enter two heads side by side";
    const int64_t untied = InkBetween(heads[0], heads[1], row, space);

    // T on the first note, chosen by a click on its head, ties it to the next one.
    const int firstX = (heads[0].left + heads[0].right) / 2;
    x_.MovePointer(firstX + 30, row + 20);
    x_.Settle(Millis{300});
    x_.MovePointer(firstX, row);
    x_.Settle(Millis{500});
    x_.Click(firstX, row);
    x_.Settle(Millis{500});
    // What the chosen note shows between the heads before the key (its handles).
    SettledScreen();
    const int64_t focused = InkBetween(heads[0], heads[1], row, space);
    x_.PressKey("t");
    // The tie shows while the note is still chosen, as every other edit of it does.
    int64_t tiedAtOnce = focused;
    EXPECT_TRUE(WaitFor(
        [&] { return (tiedAtOnce = InkBetween(heads[0], heads[1], row, space)) > focused + space; },
        kRedrawTimeout))
        << "no tie between the heads before the note is let go: " << tiedAtOnce << " dark pixels against "
        << focused;
    x_.Click(firstX, lines[4] + 3 * space);  // the paper under the staff lets the note go
    x_.Settle(Millis{800});
    ParkPointer(*main);
    int64_t tied = untied;
    EXPECT_TRUE(WaitFor([&] { return (tied = InkBetween(heads[0], heads[1], row, space)) > untied + space; },
                        kRedrawTimeout))
        << "no tie between the heads: " << tied << " dark pixels against " << untied;
    WritePng(Screen(), TestOutputFolder() / "note_tie_desktop.png");

    PressInFrame("ctrl+z");
    ParkPointer(*main);
    int64_t undone = tied;
    EXPECT_TRUE(WaitFor([&] { return (undone = InkBetween(heads[0], heads[1], row, space)) <= untied + 2; },
                        kRedrawTimeout))
        << "Ctrl+Z left the tie: " << undone << " dark pixels against " << untied;
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
