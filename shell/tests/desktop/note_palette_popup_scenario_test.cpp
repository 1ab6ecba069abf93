// The Notes palette popped up by a right click on the score with the Notes tool: it
// comes up centred on the pointer, the value chosen on it hides it again, and the
// next click on a staff enters a note of that value (a half note's hollow head
// against a quarter's filled one). With the rest faces the click places a rest.
// Screenshots are written for the eye.
#include <algorithm>
#include <optional>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

constexpr int kNotesColumns = 4;
constexpr int kNoteRestButton = 0;
constexpr int kHalfButton = 2;
constexpr int kQuarterButton = 3;
constexpr int kEighthButton = 4;  // the current value of a new session

bool Shown(const XSession& x, std::string_view title) {
    for (const ShownWindow& w : x.Windows())
        if (w.title == title) return true;
    return false;
}

class NotePalettePopupScenario : public MusicBesidePalettes {
  protected:
    void SetUp() override {
        DesktopScenario::SetUp();
        WriteSettings("[ToolbarSettings]\nOTool=8,83,7,1\nNTool=760,420,4,4\n");
    }
    // The centre of a Notes button, from the palette's window and its pressed cell.
    std::optional<std::pair<int, int>> NotesButton(int index, int pressedIndex) {
        const std::optional<ShownWindow> notes = x_.WindowTitled("Notes");
        if (!notes) return std::nullopt;
        x_.Settle(Millis{600});
        const std::optional<std::pair<int, int>> pressed = PressedCell(x_.Grab(*notes));
        if (!pressed) return std::nullopt;
        const int originX = notes->x + pressed->first - (pressedIndex % kNotesColumns) * kPaletteCell;
        const int originY = notes->y + pressed->second - (pressedIndex / kNotesColumns) * kPaletteCell;
        return std::pair{originX + (index % kNotesColumns) * kPaletteCell + 18,
                         originY + (index / kNotesColumns) * kPaletteCell + 18};
    }
    // Chooses a value on the popped-up palette; true when the palette hid after it.
    bool ChooseOnPopUp(int index, int pressedIndex) {
        const std::optional<std::pair<int, int>> button = NotesButton(index, pressedIndex);
        EXPECT_TRUE(button) << "no pressed button on the popped-up palette";
        if (!button) return false;
        x_.Click(button->first, button->second);
        return WaitFor([&] {
            x_.Settle(Millis{100});
            return !Shown(x_, "Notes");
        }, Millis{5000});
    }
    // Ink of a head's upper half: the rows just above the line it stands on (the
    // stems of these notes point down), around its column.
    static int HeadInkAbove(const ScreenPicture& picture, int column, int line) {
        int ink = 0;
        for (int y = line - 3; y < line; ++y)
            for (int x = column - 5; x <= column + 5; ++x) ink += !IsWhite(picture.At(x, y));
        return ink;
    }
    // The column of the new ink just above a line, between two columns.
    static std::optional<int> NewInkColumn(const ScreenPicture& before, const ScreenPicture& after, int left,
                                           int right, int line) {
        int sum = 0;
        int count = 0;
        for (int y = line - 3; y < line; ++y)
            for (int x = left; x < right; ++x)
                if (IsWhite(before.At(x, y)) != IsWhite(after.At(x, y))) {
                    sum += x;
                    ++count;
                }
        if (count <= 4) return std::nullopt;
        return sum / count;
    }
};

TEST_F(NotePalettePopupScenario, ARightClickPopsTheNotesPaletteUpAndItsValueIsEntered) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<ShownWindow> main = x_.WindowTitled("Main");
    const std::optional<ShownWindow> notes = x_.WindowTitled("Notes");
    ASSERT_TRUE(main && notes);
    // The quarter arms the Notes tool.
    const std::optional<std::pair<int, int>> quarter = NotesButton(kQuarterButton, kEighthButton);
    ASSERT_TRUE(quarter) << "no pressed button on the Notes palette";
    x_.Click(quarter->first, quarter->second);
    x_.Settle(Millis{500});
    const ScreenPicture empty = Screen();
    WritePng(empty, TestOutputFolder() / "note_palette_popup_start_desktop.png");
    const int left = main->x + main->width + 8;
    const int right = notes->x - 8;
    const std::vector<int> lines = empty.LongDarkLines(left, 40, right, notes->y, 0.95);
    ASSERT_GE(lines.size(), 10u) << "no staff lines beside the palettes";
    const int middle = lines[7];  // the second system's middle line
    const int halfAt = left + (right - left) / 3;
    const int quarterAt = left + 2 * (right - left) / 3;

    // Right click on the paper between the systems: the palette comes to the pointer.
    const int paperY = (lines[4] + lines[5]) / 2;
    ASSERT_TRUE(NotesPaletteComesTo(halfAt, paperY)) << "the right click brought no Notes palette to the pointer";
    WritePng(Screen(), TestOutputFolder() / "note_palette_popup_desktop.png");
    ASSERT_TRUE(ChooseOnPopUp(kHalfButton, kQuarterButton)) << "the pop-up stayed after the choice";

    x_.MovePointer(halfAt, middle - 10);
    x_.Settle(Millis{300});
    x_.Click(halfAt, middle);
    x_.Settle(Millis{1000});
    x_.MovePointer(halfAt, x_.ScreenHeight() - 20);
    x_.Settle(Millis{500});
    const ScreenPicture withHalf = Screen();
    const std::optional<int> halfHead = NewInkColumn(empty, withHalf, left, right, middle);
    ASSERT_TRUE(halfHead) << "the click after the choice entered no note";

    // Again for a quarter, further right.
    ASSERT_TRUE(NotesPaletteComesTo(quarterAt, paperY)) << "the second right click brought no palette";
    ASSERT_TRUE(ChooseOnPopUp(kQuarterButton, kHalfButton));
    x_.MovePointer(quarterAt, middle - 10);
    x_.Settle(Millis{300});
    x_.Click(quarterAt, middle);
    x_.Settle(Millis{1000});
    x_.MovePointer(quarterAt, x_.ScreenHeight() - 20);
    x_.Settle(Millis{500});
    const ScreenPicture both = Screen();
    WritePng(both, TestOutputFolder() / "note_palette_popup_entered_desktop.png");
    const std::optional<int> quarterHead = NewInkColumn(withHalf, both, *halfHead + 12, right, middle);
    ASSERT_TRUE(quarterHead) << "the second value entered no note";
    // The half note's head is hollow: less ink above the line than the quarter's.
    EXPECT_LT(HeadInkAbove(both, *halfHead, middle) + 4, HeadInkAbove(both, *quarterHead, middle))
        << "the first note is not a half note";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// With the rest faces on the value buttons a click places a rest: ink on the staff,
// and no note head where the click was (a rest stands on its own place).
TEST_F(NotePalettePopupScenario, WithTheRestFacesAClickPlacesARest) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<ShownWindow> main = x_.WindowTitled("Main");
    const std::optional<ShownWindow> notes = x_.WindowTitled("Notes");
    ASSERT_TRUE(main && notes);
    const std::optional<std::pair<int, int>> toggle = NotesButton(kNoteRestButton, kEighthButton);
    const std::optional<std::pair<int, int>> quarter = NotesButton(kQuarterButton, kEighthButton);
    ASSERT_TRUE(toggle && quarter);
    x_.Click(toggle->first, toggle->second);
    x_.Settle(Millis{500});
    x_.Click(quarter->first, quarter->second);
    x_.Settle(Millis{500});
    const ScreenPicture empty = Screen();
    const int left = main->x + main->width + 8;
    const int right = notes->x - 8;
    const std::vector<int> lines = empty.LongDarkLines(left, 40, right, notes->y, 0.95);
    ASSERT_GE(lines.size(), 10u);
    const int at = left + (right - left) / 2;
    const int low = lines[9] + (lines[9] - lines[5]) / 4;  // below the staff: a note would need a ledger line
    x_.MovePointer(at, low - 10);
    x_.Settle(Millis{300});
    x_.Click(at, low);
    x_.Settle(Millis{1000});
    x_.MovePointer(at, x_.ScreenHeight() - 20);
    x_.Settle(Millis{500});
    const ScreenPicture placed = Screen();
    WritePng(placed, TestOutputFolder() / "rest_tool_desktop.png");
    int onStaff = 0;
    int below = 0;
    for (int y = lines[5]; y <= lines[9]; ++y)
        for (int x = left; x < right; ++x) onStaff += IsWhite(empty.At(x, y)) != IsWhite(placed.At(x, y));
    for (int y = lines[9] + 3; y <= low + 6; ++y)
        for (int x = left; x < right; ++x) below += IsWhite(empty.At(x, y)) != IsWhite(placed.At(x, y));
    EXPECT_GT(onStaff, 20) << "nothing was placed on the staff";
    EXPECT_LT(below, 10) << "a note was entered where the click was";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
