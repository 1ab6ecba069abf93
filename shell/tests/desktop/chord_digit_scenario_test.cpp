// A chord note added from the keyboard on the desktop: a note entered high on the
// staff has its stem down; the digit 8 on it (chosen by a click on its head) adds the
// octave below, which turns the chord's stem up. The old stem goes from the screen at
// once, while the note is still chosen, and the new head shows on the bottom line.
#include <vector>

#include "shell/tests/desktop/note_key_scene.h"

namespace ql::desktop {
namespace {

class ChordDigitScenario : public NoteKeyScene {
  protected:
    // Ink in a band along the left half of a head (where a stem pointing down stands),
    // from one to two and a half spaces below its row: clear of the head and of the
    // octave below it.
    int64_t InkOfStemDown(const ScreenPicture& picture, const Columns& head, int row) const {
        int64_t ink = 0;
        for (int y = row + space_; y < row + 5 * space_ / 2; ++y)
            for (int x = head.left - 4; x < head.Middle(); ++x)
                ink += IsDarkPixel(picture.At(x, y)) && IsWhite(empty_.At(x, y));
        return ink;
    }
};

TEST_F(ChordDigitScenario, TheDigit8AddsTheOctaveBelowAndTheOldStemGoesAtOnce) {
    ASSERT_TRUE(OpenBlankScoreWithNotesTool()) << "no score with a staff and the Notes tool";
    const int row = (lines_[0] + lines_[1]) / 2;  // the top space: the stem points down
    ScreenPicture entered;
    const std::optional<Columns> one = EnterOneHead(row, entered);
    ASSERT_TRUE(one) << "the click did not enter one head";
    const Columns head = *one;
    ASSERT_GT(InkOfStemDown(entered, head, row), space_ / 2) << "the high note has no stem pointing down";

    ChooseAt(head.Middle(), row);
    SettledScreen();
    x_.PressKey("8");
    // The octave below stands on the bottom line, under the first head.
    const auto octaveShown = [&](const ScreenPicture& p) {
        return p.DarkPixels(head.left, lines_[4] - space_ / 3, head.right, lines_[4] + space_ / 3) >
               empty_.DarkPixels(head.left, lines_[4] - space_ / 3, head.right, lines_[4] + space_ / 3) + space_;
    };
    ScreenPicture shown = Screen();
    EXPECT_TRUE(WaitFor([&] { return octaveShown(shown = Screen()); }, kRedrawTimeout))
        << "no head on the bottom line after the digit 8";
    shown = SettledScreen();
    EXPECT_LE(InkOfStemDown(shown, head, row), 2)
        << "the stem pointing down is left on the screen while the note is chosen";
    WritePng(shown, TestOutputFolder() / "chord_digit_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
