// Articulations on the desktop: a note entered with the Notes palette, the Accents
// button pressed twice to open its pop-up palette, an accent chosen there and a click
// on the note's head: the mark appears in the note's column beyond the staff, and
// once the mark is let go by a click on the empty page, Undo takes it away again. A screenshot is written for the eye.
#include <algorithm>
#include <optional>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

constexpr int kCell = 37;                      // a 36-pixel button and its one-pixel gap
constexpr uint32_t kPressedColour = 0x1C5CA8;  // the pressed button's background
constexpr int kAccentsOpener = 11;             // Notes palette: third row, last column
constexpr int kNotesColumns = 4;
constexpr int kAccentsColumns = 5;
constexpr int kUpperMarcato = 5;  // Accents entry 5: second row, first column
constexpr int kCurrentAccent = 10;  // the pop-up's current entry at start

std::optional<ShownWindow> WindowTitled(const XSession& x, std::string_view title) {
    for (int tries = 0; tries < 100; ++tries) {
        for (const ShownWindow& w : x.Windows())
            if (w.title == title) return w;
        x.Settle();
    }
    return std::nullopt;
}

std::optional<std::pair<int, int>> PressedCell(const ScreenPicture& picture) {
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if ((picture.At(x, y) & 0xFFFFFF) == kPressedColour) return std::pair{x - 1, y - 1};
    return std::nullopt;
}

bool IsWhite(uint32_t pixel) {
    return (pixel & 0xFFFFFF) == 0xFFFFFF;
}

// Pixels of a band that were white in `before` and hold ink in `after`, outside the
// rows top..bottom (the staff the note stands on).
int NewInkBeyond(const ScreenPicture& before, const ScreenPicture& after, int left, int right, int top,
                 int bottom, int reach) {
    int count = 0;
    for (int y = std::max(top - reach, 0); y < std::min(bottom + reach, before.height); ++y) {
        if (y >= top && y <= bottom) continue;
        for (int x = std::max(left, 0); x <= std::min(right, before.width - 1); ++x)
            count += IsWhite(before.At(x, y)) && !IsWhite(after.At(x, y));
    }
    return count;
}

class ArticulationScenario : public DesktopScenario {
  protected:
    // The Notes and Accents palettes kept clear of the first systems.
    void KeepPalettesAside() { WriteSettings("[ToolbarSettings]\nNTool=760,420,4,4\nATool=760,220,5,4\n"); }
    ScreenPicture Screen() const { return x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight()); }
    // The centre of a palette's button from its window and the cell of a known button.
    static std::pair<int, int> Button(const ShownWindow& w, std::pair<int, int> known, int knownIndex,
                                      int index, int columns) {
        const int originX = w.x + known.first - (knownIndex % columns) * kCell;
        const int originY = w.y + known.second - (knownIndex / columns) * kCell;
        return {originX + (index % columns) * kCell + 18, originY + (index / columns) * kCell + 18};
    }
};

TEST_F(ArticulationScenario, AnAccentChosenOnItsPaletteMarksTheClickedNoteAndUndoTakesItAway) {
    KeepPalettesAside();
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<ShownWindow> main = WindowTitled(x_, "Main");
    const std::optional<ShownWindow> notes = WindowTitled(x_, "Notes");
    ASSERT_TRUE(main && notes);
    x_.Settle(Millis{1000});

    // A quarter entered on the second system's middle line.
    const std::optional<std::pair<int, int>> eighth = PressedCell(x_.Grab(*notes));
    ASSERT_TRUE(eighth) << "no pressed button on the Notes palette";
    const auto quarter = Button(*notes, *eighth, 4, 3, kNotesColumns);
    x_.Click(quarter.first, quarter.second);
    x_.Settle(Millis{500});
    const ScreenPicture empty = Screen();
    const int left = main->x + main->width + 8;
    const std::vector<int> lines = empty.LongDarkLines(left, 40, notes->x - 8, notes->y, 0.95);
    ASSERT_GE(lines.size(), 10u) << "no staff lines beside the palettes";
    const int top = lines[5];
    const int middle = lines[7];
    const int bottom = lines[9];
    const int x = left + (notes->x - left) / 2;
    x_.MovePointer(x, middle - 10);
    x_.Settle(Millis{300});
    x_.Click(x, middle);
    x_.Settle(Millis{1000});
    x_.MovePointer(x, x_.ScreenHeight() - 20);
    x_.Settle(Millis{500});
    const ScreenPicture entered = Screen();
    // The head: the new ink on the middle line's rows.
    int sum = 0;
    int count = 0;
    for (int y = middle - 3; y <= middle + 3; ++y)
        for (int px = left; px < notes->x - 8; ++px)
            if (IsWhite(empty.At(px, y)) != IsWhite(entered.At(px, y))) {
                sum += px;
                ++count;
            }
    ASSERT_GT(count, 10) << "no note was entered";
    const int head = sum / count;

    // Accents pressed, pressed again for its palette, the upper marcato chosen there.
    const auto opener = Button(*notes, *eighth, 4, kAccentsOpener, kNotesColumns);
    x_.Click(opener.first, opener.second);
    x_.Settle(Millis{500});
    x_.Click(opener.first, opener.second);
    const std::optional<ShownWindow> accents = WindowTitled(x_, "Accents");
    ASSERT_TRUE(accents) << "the Accents button opened no palette";
    x_.Settle(Millis{800});
    const std::optional<std::pair<int, int>> current = PressedCell(x_.Grab(*accents));
    ASSERT_TRUE(current) << "no current entry on the Accents palette";
    const auto marcato = Button(*accents, *current, kCurrentAccent, kUpperMarcato, kAccentsColumns);
    x_.Click(marcato.first, marcato.second);
    x_.Settle(Millis{500});

    // A click on the head: the mark beyond the staff in the note's column.
    x_.MovePointer(head, middle - 6);
    x_.Settle(Millis{300});
    x_.Click(head, middle);
    x_.Settle(Millis{800});
    x_.MovePointer(x, x_.ScreenHeight() - 20);
    x_.Settle(Millis{800});
    const ScreenPicture marked = Screen();
    WritePng(marked, TestOutputFolder() / "articulation_desktop.png");
    const int spacing = (bottom - top) / 4;
    const int band = 2 * spacing;
    EXPECT_GT(NewInkBeyond(entered, marked, head - band, head + band, top - 2, bottom + 2, 4 * spacing), 8)
        << "no mark appeared beside the clicked note";

    // A click on the empty page below the systems lets go of the new mark, and Undo
    // takes it away.
    x_.MovePointer(x, x_.ScreenHeight() - 150);
    x_.Settle(Millis{300});
    x_.Click(x, x_.ScreenHeight() - 150);
    x_.Settle(Millis{500});
    PressInFrame("ctrl+z");
    x_.MovePointer(x, x_.ScreenHeight() - 20);
    x_.Settle(Millis{1000});
    const ScreenPicture undone = Screen();
    WritePng(undone, TestOutputFolder() / "articulation_undone_desktop.png");
    EXPECT_LE(NewInkBeyond(entered, undone, head - band, head + band, top - 2, bottom + 2, 4 * spacing), 2)
        << "Undo left the mark";
    int headInk = 0;
    for (int y = middle - 2; y <= middle + 2; ++y)
        for (int px = head - 3; px <= head + 3; ++px) headInk += !IsWhite(undone.At(px, y));
    EXPECT_GT(headInk, 10) << "Undo took the note away too";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
