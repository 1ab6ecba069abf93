// A slur drawn by a drag on the desktop: four notes rising in one measure, the Slur
// tool of the Graphics palette dragged from the first head to the last. The slur
// starts at the pressed note (not at the next one) and arches clear of the heads
// under it, the higher third and fourth notes included. Judged from the ink that
// came with the slur.
#include <algorithm>
#include <optional>
#include <vector>

#include "shell/tests/desktop/note_key_scene.h"

namespace ql::desktop {
namespace {

constexpr int kGraphicsOnMain = 2;
constexpr int kSlurButton = 0;  // first of the Graphics palette's buttons
constexpr int kPointerOnMain = 5;
constexpr int kNotes = 4;
constexpr int kQuarterButton = 3;  // first row of the four-column Notes palette

class SlurDragScenario : public NoteKeyScene {
  protected:
    // Arms the Slur tool from the Main palette's Graphics group; false when the
    // palette did not come.
    bool ArmSlurTool() {
        const auto [gx, gy] = RowButton(main_, kGraphicsOnMain);
        x_.Click(gx, gy);
        const std::optional<ShownWindow> graphics = x_.WaitForWindow("Graphics");
        if (!graphics) return false;
        x_.Settle(Millis{500});
        const auto [sx, sy] = RowButton(*graphics, kSlurButton);
        x_.Click(sx, sy);
        x_.Settle(Millis{500});
        return true;
    }
    // The Pointer tool: the focused slur is let go and drawn without its handles.
    void LetGo() {
        const auto [px, py] = RowButton(main_, kPointerOnMain);
        x_.Click(px, py);
        x_.Settle(Millis{500});
        PointerAside();
    }
};

TEST_F(SlurDragScenario, ASlurDraggedFromTheFirstNoteToTheFourthStartsAtTheFirstAndArchesClearOfTheHeads) {
    ASSERT_TRUE(OpenBlankScoreWithNotesTool()) << "no score with a staff and the Notes tool";
    // Quarters rising in the first measure: below the staff, the first space, the
    // top space and above the staff.
    const std::optional<ShownWindow> notesPalette = Titled("Notes");
    ASSERT_TRUE(notesPalette);
    x_.Click(notesPalette->x + 1 + kQuarterButton * kPaletteCell + kPaletteButtonMiddle,
             notesPalette->y + 1 + kPaletteButtonMiddle);
    x_.Settle(Millis{500});
    const int rows[kNotes] = {lines_[4] + space_ / 2, (lines_[3] + lines_[4]) / 2, (lines_[0] + lines_[1]) / 2,
                              lines_[0] - space_ / 2};
    const int at = left_ + space_ * 3;
    for (int i = 0; i < kNotes; ++i) EnterAt(at + i * 6 * space_, rows[i]);
    PointerAside();
    const ScreenPicture notes = SettledScreen();
    WritePng(notes, TestOutputFolder() / "slur_drag_notes_desktop.png");
    std::vector<Columns> heads;
    for (int i = 0; i < kNotes; ++i) {
        std::vector<Columns> runs = NewInkRuns(empty_, notes, left_, right_, rows[i]);
        // The head of note i is the run nearest where it was entered, right of the last one found.
        const int after = heads.empty() ? left_ : heads.back().right;
        std::erase_if(runs, [&](const Columns& c) { return c.left < after; });
        ASSERT_FALSE(runs.empty()) << "no head of note " << i + 1;
        heads.push_back(runs.front());
    }

    ASSERT_TRUE(ArmSlurTool()) << "the Graphics palette did not open";
    // Pressed on the first head, let go on the last.
    const int fromX = heads[0].Middle(), fromY = rows[0];
    const int toX = heads[3].Middle(), toY = rows[3];
    x_.MovePointer(fromX, fromY);
    x_.Settle(Millis{300});
    x_.Drag(fromX, fromY, toX, toY, 12);
    x_.Settle(Millis{800});
    LetGo();
    const ScreenPicture slurred = SettledScreen();
    WritePng(slurred, TestOutputFolder() / "slur_drag_desktop.png");
    EXPECT_FALSE(WaitForMessageBox(Millis{500})) << "an error box came up while drawing the slur";

    // Ink on paper that was white: the notes themselves may change colour once let go.
    const auto slurInk = [&](int left, int top, int right, int bottom) {
        InkBox box;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (IsWhite(notes.At(x, y)) && IsDarkPixel(slurred.At(x, y))) box.Take(x, y);
        return box;
    };
    const int top = lines_[0] - 8 * space_, bottom = lines_[4] + 4 * space_;
    const InkBox slur = slurInk(left_, top, right_, bottom);
    ASSERT_GT(slur.count, 4 * space_) << "no slur drawn";
    EXPECT_LT(slur.left, heads[1].left) << "the slur starts at " << slur.left << ", past the first note (heads at "
                                        << heads[0].left << " and " << heads[1].left << ")";
    EXPECT_GT(slur.left, heads[0].left - 2 * space_) << "the slur starts left of the first note";
    EXPECT_GT(slur.right, heads[2].right) << "the slur ends before the fourth note";
    // Beside and over each head the slur's ink stands clear of the head's rows.
    for (int i = 0; i < kNotes; ++i)
        EXPECT_EQ(slurInk(heads[i].left - 2, rows[i] - space_ / 2, heads[i].right + 2, rows[i] + space_ / 2 + 1).count,
                  0)
            << "the slur runs through the head of note " << i + 1;
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
