// Tuplets on the desktop: "Tuplets..." on the Notes palette, clicked again, opens the
// "Tuplets" dialog; 3 in the time of 2 is set there and OK closes it; eighths are then
// entered on the staff with the Notes palette's eighth, and the Tuplets tool, chosen
// again, marks their group at a click on the first head drawn; let go of, the mark
// shows its number and its bracket in ink.
#include <algorithm>
#include <optional>
#include <string_view>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

constexpr int kPaletteColumns = 4;
constexpr int kEighthButton = 4;
constexpr int kTupletsButton = 9;
constexpr int kNoteStepPixels = 30;

class TupletScenario : public MusicBesidePalettes {
  protected:
    static std::pair<int, int> NotesButton(const ShownWindow& notes, int index) {
        return {notes.x + 1 + (index % kPaletteColumns) * kPaletteCell + 18, notes.y + 1 + (index / kPaletteColumns) * kPaletteCell + 18};
    }
    void ClickButton(const ShownWindow& notes, int index) {
        const auto [bx, by] = NotesButton(notes, index);
        x_.Click(bx, by);
        x_.Settle(Millis{500});
    }
};

TEST_F(TupletScenario, TupletsDialogFromThePaletteThenNotesAreEntered) {
    WriteSettings("[ToolbarSettings]\nNTool=760,420,4,4\nSYTool=760,300,4,2\n");
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<ShownWindow> main = x_.WaitForWindow("Main");
    const std::optional<ShownWindow> notes = x_.WaitForWindow("Notes");
    ASSERT_TRUE(main && notes);
    x_.Settle(Millis{800});

    // "Tuplets..." chosen, then clicked again: the dialog, where 3 to 2 is typed.
    ClickButton(*notes, kTupletsButton);
    ClickButton(*notes, kTupletsButton);
    ASSERT_TRUE(x_.WaitForWindow("Tuplets")) << "the Tuplets dialog did not open";
    x_.Settle(Millis{300});
    x_.PressKey("ctrl+a");
    x_.TypeText("3");
    x_.PressKey("Tab");
    x_.PressKey("Tab");
    x_.PressKey("ctrl+a");
    x_.TypeText("2");
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("Tuplets")) << "the Tuplets dialog stayed open";

    // Three eighths on the staff's middle line.
    x_.Settle(Millis{800});
    const ScreenPicture empty = Screen();
    WritePng(empty, TestOutputFolder() / "tuplet_dialog_done_desktop.png");
    const int left = Frame().x + 120;
    const int right = MusicRight();
    const std::vector<int> lines = empty.LongDarkLines(left, 40, right, x_.ScreenHeight() - 100, 0.95);
    ASSERT_GE(lines.size(), 5u) << "no staff lines beside the palettes";
    ClickButton(*notes, kEighthButton);
    const int x0 = left + 60;  // all three inside the first measure
    for (int n = 0; n < 3; ++n) {
        x_.MovePointer(x0 + n * kNoteStepPixels, lines[2]);
        x_.Settle(Millis{300});
        x_.Click(x0 + n * kNoteStepPixels, lines[2]);
        x_.Settle(Millis{600});
    }
    const ScreenPicture entered = Screen();
    WritePng(entered, TestOutputFolder() / "tuplet_notes_entered_desktop.png");
    ASSERT_GT(entered.DarkPixels(left, lines[0] - 80, right, lines[4] + 80),
              empty.DarkPixels(left, lines[0] - 80, right, lines[4] + 80) + 30)
        << "no notes were entered";

    // Entering them raised no error box (the dialog had left the selection focused).
    EXPECT_FALSE(WaitForMessageBox()) << "an error box came up while entering notes";

    // The Tuplets tool chosen, a click on the first note marks the group.
    // The first head drawn: the leftmost column the entry changed on the middle line.
    int head = -1;
    for (int x = left; x < right && head < 0; ++x)
        if (entered.DarkPixels(x, lines[2] - 2, x + 1, lines[2] + 3) > empty.DarkPixels(x, lines[2] - 2, x + 1, lines[2] + 3))
            head = x;
    ASSERT_GE(head, 0) << "no note head on the middle line";
    ClickButton(*notes, kTupletsButton);
    x_.MovePointer(head + 4, lines[2]);
    x_.Settle(Millis{300});
    x_.Click(head + 4, lines[2]);
    x_.Settle(Millis{800});
    x_.MovePointer(right - 4, lines[0] - 100);
    x_.Settle(Millis{500});
    const ScreenPicture marked = Screen();
    WritePng(marked, TestOutputFolder() / "tuplet_mark_desktop.png");
    // The mark comes up chosen (in the chosen colour, with its handles) beyond the
    // stem ends, over or under the notes, clear of the staff.
    const int markLeft = head - 20, markRight = x0 + 2 * kNoteStepPixels + 40;
    const int staffGap = lines[1] - lines[0];
    int64_t changed = 0;
    for (int y = lines[0] - 70; y < lines[4] + 70; ++y) {
        if (y > lines[0] - staffGap && y < lines[4] + staffGap) continue;
        for (int x = markLeft; x < markRight; ++x) changed += marked.At(x, y) != entered.At(x, y) ? 1 : 0;
    }
    EXPECT_GT(changed, 40) << "no tuplet mark over or under the notes";
    EXPECT_FALSE(WaitForMessageBox()) << "an error box came up while marking the group";

    // Once a click on the empty paper lets go of it, the mark shows in ink: its number and bracket beyond the stem ends.
    x_.Click(left + 200, x_.ScreenHeight() - 160);  // the empty paper below the systems
    x_.Settle(Millis{800});
    x_.MovePointer(right - 4, lines[0] - 100);
    x_.Settle(Millis{500});
    const ScreenPicture inked = Screen();
    WritePng(inked, TestOutputFolder() / "tuplet_mark_inked_desktop.png");
    const int64_t inkBefore = entered.DarkPixels(markLeft, lines[4] + staffGap, markRight, lines[4] + 70) +
                              entered.DarkPixels(markLeft, lines[0] - 70, markRight, lines[0] - staffGap);
    const int64_t inkAfter = inked.DarkPixels(markLeft, lines[4] + staffGap, markRight, lines[4] + 70) +
                             inked.DarkPixels(markLeft, lines[0] - 70, markRight, lines[0] - staffGap);
    EXPECT_GT(inkAfter, inkBefore + 20) << "the tuplet mark is not drawn in ink";
    // Its bracket: a dark line from the first note to the last, beyond the stem ends.
    const auto bracketLines = [&](const ScreenPicture& picture) {
        const int from = head + 6, to = head + 2 * kNoteStepPixels - 2;
        return picture.LongDarkLines(from, lines[4] + staffGap, to, lines[4] + 70, 0.9).size() +
               picture.LongDarkLines(from, lines[0] - 70, to, lines[0] - staffGap, 0.9).size();
    };
    EXPECT_GT(bracketLines(inked), bracketLines(entered)) << "the tuplet mark's bracket is not drawn in ink";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
