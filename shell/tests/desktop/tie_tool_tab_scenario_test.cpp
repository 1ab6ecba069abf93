// The Tie tool, Tab and D with the Notes tool, on the desktop: the Tie tool's click
// on a note ties it to the next of its pitch; Tab with the pointer on a measure's
// last note goes on to the next measure's first (the pointer follows), Shift+Tab
// comes back; D with the pointer on a note dots it. Judged from the pointer's place
// and the ink around the heads.
#include <cstdlib>
#include <vector>

#include "shell/tests/desktop/note_key_scene.h"

namespace ql::desktop {
namespace {

constexpr int kGraphicsColumns = 5;
constexpr int kTieButton = 1;

class TieToolTabScenario : public NoteKeyScene {
  protected:
    // Two notes of one pitch on the row: one late in the first measure, one early in
    // the second (the first of four measures ends near 30% of the system).
    std::vector<Columns> EnterAcrossTheBarline(int row) {
        EnterAt(left_ + (right_ - left_) / 4, row);
        EnterAt(left_ + (right_ - left_) * 2 / 5, row);
        PointerAside();
        std::vector<Columns> heads = HeadsNow(row);
        if (heads.size() != 2) heads.clear();
        return heads;
    }
    void HoverAt(int x, int y) {
        x_.MovePointer(x + 20, y + 20);
        x_.Settle(Millis{300});
        x_.MovePointer(x, y);
        x_.Settle(Millis{500});
    }
};

TEST_F(TieToolTabScenario, TabCrossesTheBarlineBothWays) {
    ASSERT_TRUE(OpenBlankScoreWithNotesTool());
    const int row = (lines_[2] + lines_[3]) / 2;
    const std::vector<Columns> heads = EnterAcrossTheBarline(row);
    ASSERT_EQ(heads.size(), 2u) << "the clicks did not enter two notes";
    HoverAt(heads[0].Middle(), row);
    x_.PressKey("Tab");
    EXPECT_TRUE(WaitFor([&] { return std::abs(x_.PointerPosition().first - heads[1].Middle()) < 2 * space_; },
                        Millis{5000}))
        << "Tab left the pointer at " << x_.PointerPosition().first << ", not on the next measure's note at "
        << heads[1].Middle();
    x_.PressKey("shift+Tab");
    EXPECT_TRUE(WaitFor([&] { return std::abs(x_.PointerPosition().first - heads[0].Middle()) < 2 * space_; },
                        Millis{5000}))
        << "Shift+Tab left the pointer at " << x_.PointerPosition().first << ", not on the note at "
        << heads[0].Middle();
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

TEST_F(TieToolTabScenario, DWithThePointerOnANoteDotsIt) {
    ASSERT_TRUE(OpenBlankScoreWithNotesTool());
    const int row = (lines_[2] + lines_[3]) / 2;
    ScreenPicture entered;
    const std::optional<Columns> head = EnterOneHead(row, entered);
    ASSERT_TRUE(head) << "the click entered no note";
    HoverAt(head->Middle(), row);
    x_.PressKey("d");
    x_.Settle(Millis{800});
    PointerAside();
    const ScreenPicture dotted = SettledScreen();
    WritePng(dotted, TestOutputFolder() / "d_on_note_desktop.png");
    // The dot: new ink right of the head, within a space of its row.
    const InkBox dot = NewInkBox(entered, dotted, head->right + 1, row - space_, head->right + 3 * space_, row + space_);
    EXPECT_GT(dot.count, 3) << "no dot beside the note";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

TEST_F(TieToolTabScenario, TheTieToolsClickTiesANote) {
    ASSERT_TRUE(OpenBlankScoreWithNotesTool());
    const int row = (lines_[2] + lines_[3]) / 2;
    const int at = left_ + (right_ - left_) * 3 / 8;
    const std::vector<Columns> heads = EnterTwoEighths(row, at, 4);
    ASSERT_EQ(heads.size(), 2u) << "two clicks did not enter two heads side by side";
    const ScreenPicture untied = SettledScreen();
    const std::optional<ShownWindow> graphics = Titled("Graphics");
    ASSERT_TRUE(graphics);
    x_.Click(graphics->x + 1 + kTieButton * kPaletteCell + kPaletteButtonMiddle,
             graphics->y + 1 + kPaletteButtonMiddle);
    x_.Settle(Millis{500});
    HoverAt(heads[0].Middle(), row);
    x_.Click(heads[0].Middle(), row);
    x_.Settle(Millis{800});
    x_.Click(heads[0].Middle(), lines_[4] + 4 * space_);  // the paper lets the tie go
    x_.Settle(Millis{500});
    PointerAside();
    const ScreenPicture tied = SettledScreen();
    WritePng(tied, TestOutputFolder() / "tie_tool_desktop.png");
    const InkBox curve = NewInkBox(untied, tied, heads[0].right + 2, row - 2 * space_, heads[1].left - 1,
                                   row + 2 * space_);
    EXPECT_GT(curve.count, space_) << "no tie between the heads";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
