// The whole-measure rest of an empty measure on the desktop: a new score shows one in
// every measure, and the first note entered with the Notes tool in a measure takes
// that measure's rest off the screen, while the rests of the next system stay.
// Judged from the rest's ink in pictures of the screen.
#include <optional>
#include <vector>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

// A run of dark columns along one row.
struct InkRun {
    int left = 0;
    int right = 0;  // one past the last column
    int Centre() const { return (left + right) / 2; }
};

class EntryRestScenario : public MusicBesidePalettes {
  protected:
    // The runs of dark pixels along a row whose width is that of a rest's block
    // (between half a staff space and two spaces).
    static std::vector<InkRun> RestWideRuns(const ScreenPicture& picture, int left, int right, int row, int space) {
        std::vector<InkRun> runs;
        int start = -1;
        for (int x = left; x <= right; ++x) {
            const bool dark = x < right && IsDarkPixel(picture.At(x, row));
            if (dark && start < 0) start = x;
            if (!dark && start >= 0) {
                if (x - start >= space / 2 && x - start <= 2 * space) runs.push_back({start, x});
                start = -1;
            }
        }
        return runs;
    }
    // Dark pixels of the band below the staff's second line where a whole-measure
    // rest hangs, across a run's columns.
    // The staff given by the rows of its lines from `first` on.
    static int64_t RestInk(const ScreenPicture& picture, const InkRun& run, const std::vector<int>& lines,
                           size_t first = 0) {
        return picture.DarkPixels(run.left, lines[first + 1] + 2, run.right, lines[first + 2] - 1);
    }
};

TEST_F(EntryRestScenario, TheFirstNoteInAnEmptyMeasureTakesItsRestOffTheScreen) {
    const std::optional<ShownWindow> main = NewScoreWithNotesTool();
    ASSERT_TRUE(main);
    const ScreenPicture empty = SettledScreen();
    const int left = MusicLeft();
    const int right = MusicRight();
    const std::vector<int> lines = StaffLinesBesidePalettes(empty);
    ASSERT_GE(lines.size(), 10u) << "no two systems";
    const int space = lines[2] - lines[1];
    ASSERT_GE(space, 6) << "the staff is too small to judge";

    // The rests of the first staff: blocks hanging from its second line.
    const int restRow = lines[1] + 1 + space / 4;
    const std::vector<InkRun> rests = RestWideRuns(empty, left + 3 * space, right, restRow, space);
    WritePng(empty, TestOutputFolder() / "entry_rest_empty_desktop.png");
    ASSERT_GE(rests.size(), 2u) << "the empty measures show no rests";
    const InkRun target = rests[1];  // the second measure's, clear of the clef and the signature
    const std::vector<InkRun> nextRests =
        RestWideRuns(empty, left + 3 * space, right, lines[6] + 1 + space / 4, space);
    ASSERT_FALSE(nextRests.empty()) << "the second system shows no rests";
    const InkRun other = nextRests.back();
    const int64_t targetInk = RestInk(empty, target, lines);
    const int64_t otherInk = RestInk(empty, other, lines, 5);
    ASSERT_GT(targetInk, 8) << "no rest in the second measure";

    // A note in the lowest space of that measure, below the rest's band.
    const int noteY = (lines[3] + lines[4]) / 2;
    x_.MovePointer(target.Centre(), noteY - 6);
    x_.Settle(Millis{300});
    x_.Click(target.Centre(), noteY);
    x_.Settle(Millis{1000});
    ParkPointer(*main);
    const ScreenPicture entered = SettledScreen();
    WritePng(entered, TestOutputFolder() / "entry_rest_entered_desktop.png");
    ASSERT_GT(entered.DarkPixels(left, lines[3] + 2, right, lines[4] - 1),
              empty.DarkPixels(left, lines[3] + 2, right, lines[4] - 1) + 8)
        << "the click entered no note";

    // No trace of the rest is left, not even the soft grey of its edges. A stem may
    // cross the band: a column with new ink where the paper was white is not judged.
    int64_t leftOver = 0;
    for (int x = target.left - 2; x < target.right + 2; ++x) {
        bool crossed = false;
        for (int y = lines[1] + 2; y < lines[2] - 1; ++y)
            crossed = crossed || (IsWhite(empty.At(x, y)) && IsDarkPixel(entered.At(x, y)));
        if (crossed) continue;
        for (int y = lines[1] + 2; y < lines[2] - 1; ++y)
            leftOver += !IsWhite(empty.At(x, y)) && !IsWhite(entered.At(x, y));
    }
    EXPECT_EQ(leftOver, 0) << "the rest still shows beside the note: " << leftOver << " of " << targetInk
                           << " pixels";
    EXPECT_GE(RestInk(entered, other, lines, 5) * 4, otherInk * 3) << "a rest of the next system went too";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
