// Tuplets on the desktop: "Tuplets..." on the Notes palette, clicked again, opens the
// "Tuplets" dialog; 3 in the time of 2 is set there and OK closes it; eighths are then
// entered on the staff with the Notes palette's eighth.
#include <optional>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

constexpr int kCell = 37;  // a 36-pixel button and its one-pixel gap
constexpr int kPaletteColumns = 4;
constexpr int kEighthButton = 4;
constexpr int kTupletsButton = 9;
constexpr int kNoteStepPixels = 40;

class TupletScenario : public DesktopScenario {
  protected:
    ScreenPicture Screen() const { return x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight()); }
    static std::pair<int, int> NotesButton(const ShownWindow& notes, int index) {
        return {notes.x + 1 + (index % kPaletteColumns) * kCell + 18, notes.y + 1 + (index / kPaletteColumns) * kCell + 18};
    }
    void ClickButton(const ShownWindow& notes, int index) {
        const auto [bx, by] = NotesButton(notes, index);
        x_.Click(bx, by);
        x_.Settle(Millis{500});
    }
};

TEST_F(TupletScenario, TupletsDialogFromThePaletteThenNotesAreEntered) {
    WriteSettings("[ToolbarSettings]\nOTool=8,83,7,1\nNTool=760,420,4,4\nSYTool=760,300,4,2\n");
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
    const int left = main->x + main->width + 8;
    const std::vector<int> lines = empty.LongDarkLines(left, 40, notes->x - 8, notes->y, 0.95);
    ASSERT_GE(lines.size(), 5u) << "no staff lines beside the palettes";
    ClickButton(*notes, kEighthButton);
    const int x0 = left + (notes->x - left) / 3;
    for (int n = 0; n < 3; ++n) {
        x_.MovePointer(x0 + n * kNoteStepPixels, lines[2]);
        x_.Settle(Millis{300});
        x_.Click(x0 + n * kNoteStepPixels, lines[2]);
        x_.Settle(Millis{600});
    }
    const ScreenPicture entered = Screen();
    WritePng(entered, TestOutputFolder() / "tuplet_notes_entered_desktop.png");
    const int right = notes->x - 8;
    ASSERT_GT(entered.DarkPixels(left, lines[0] - 80, right, lines[4] + 80),
              empty.DarkPixels(left, lines[0] - 80, right, lines[4] + 80) + 30)
        << "no notes were entered";

    // Entering them raised no error box (the dialog had left the selection focused).
    EXPECT_FALSE(WaitForMessageBox()) << "an error box came up while entering notes";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
