// Articulations on the desktop: a note entered with the Notes palette, the Accents
// button pressed twice to open its pop-up palette, an accent chosen there and a click
// on the note's head: the mark appears in the note's column beyond the staff, and
// once the mark is let go by a click on the empty page, Undo takes it away again;
// Delete takes a selected mark off. With the Accents button marked by a Control-click,
// a note entered gets the accent in force by itself. A right click with the tool
// brings the Notes palette to the pointer. Screenshots are written for the eye.
#include <algorithm>
#include <optional>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

constexpr int kAccentsOpener = 11;             // Notes palette: third row, last column
constexpr int kNotesColumns = 4;
constexpr int kAccentsColumns = 5;
constexpr int kUpperMarcato = 5;  // Accents entry 5: second row, first column
constexpr int kCurrentAccent = 10;  // the pop-up's current entry at start

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

class ArticulationScenario : public MusicBesidePalettes {
  protected:
    // The Notes and Accents palettes kept clear of the first systems.
    void KeepPalettesAside() {
        WriteSettings("[ToolbarSettings]\nOTool=8,83,7,1\nNTool=760,420,4,4\nATool=760,220,5,4\n");
    }
    // The centre of a palette's button from its window and the cell of a known button.
    static std::pair<int, int> Button(const ShownWindow& w, std::pair<int, int> known, int knownIndex,
                                      int index, int columns) {
        const int originX = w.x + known.first - (knownIndex % columns) * kPaletteCell;
        const int originY = w.y + known.second - (knownIndex / columns) * kPaletteCell;
        return {originX + (index % columns) * kPaletteCell + 18, originY + (index / columns) * kPaletteCell + 18};
    }
    // Where the marked note stands: its head's column and its staff's rows.
    struct Placed {
        int head = 0;
        int middle = 0;
        int top = 0;
        int bottom = 0;
        int away = 0;  // a column of the page away from the note, for the pointer
        ScreenPicture entered;  // the score with the note, before the mark
    };

    // A quarter entered on the second system's middle line, Accents pressed and
    // pressed again for its palette, the upper marcato chosen there and the note's
    // head clicked.
    std::optional<Placed> PlaceMarcatoOnANote() {
        std::optional<Placed> placed;
        const std::optional<ShownWindow> main = x_.WindowTitled("Main");
        const std::optional<ShownWindow> notes = x_.WindowTitled("Notes");
        EXPECT_TRUE(main && notes);
        if (!main || !notes) return placed;
        x_.Settle(Millis{1000});
        const std::optional<std::pair<int, int>> eighth = PressedCell(x_.Grab(*notes));
        EXPECT_TRUE(eighth) << "no pressed button on the Notes palette";
        if (!eighth) return placed;
        const auto quarter = Button(*notes, *eighth, 4, 3, kNotesColumns);
        x_.Click(quarter.first, quarter.second);
        x_.Settle(Millis{500});
        const ScreenPicture empty = Screen();
        const int left = main->x + main->width + 8;
        const std::vector<int> lines = empty.LongDarkLines(left, 40, notes->x - 8, notes->y, 0.95);
        EXPECT_GE(lines.size(), 10u) << "no staff lines beside the palettes";
        if (lines.size() < 10u) return placed;
        Placed p;
        p.top = lines[5];
        p.middle = lines[7];
        p.bottom = lines[9];
        p.away = left + (notes->x - left) / 2;
        x_.MovePointer(p.away, p.middle - 10);
        x_.Settle(Millis{300});
        x_.Click(p.away, p.middle);
        x_.Settle(Millis{1000});
        x_.MovePointer(p.away, x_.ScreenHeight() - 20);
        x_.Settle(Millis{500});
        p.entered = Screen();
        // The head: the new ink on the middle line's rows.
        int sum = 0;
        int count = 0;
        for (int y = p.middle - 3; y <= p.middle + 3; ++y)
            for (int px = left; px < notes->x - 8; ++px)
                if (IsWhite(empty.At(px, y)) != IsWhite(p.entered.At(px, y))) {
                    sum += px;
                    ++count;
                }
        EXPECT_GT(count, 10) << "no note was entered";
        if (count <= 10) return placed;
        p.head = sum / count;

        const auto opener = Button(*notes, *eighth, 4, kAccentsOpener, kNotesColumns);
        x_.Click(opener.first, opener.second);
        x_.Settle(Millis{500});
        x_.Click(opener.first, opener.second);
        const std::optional<ShownWindow> accents = x_.WindowTitled("Accents");
        EXPECT_TRUE(accents) << "the Accents button opened no palette";
        if (!accents) return placed;
        x_.Settle(Millis{800});
        const std::optional<std::pair<int, int>> current = PressedCell(x_.Grab(*accents));
        EXPECT_TRUE(current) << "no current entry on the Accents palette";
        if (!current) return placed;
        const auto marcato = Button(*accents, *current, kCurrentAccent, kUpperMarcato, kAccentsColumns);
        x_.Click(marcato.first, marcato.second);
        x_.Settle(Millis{500});

        x_.MovePointer(p.head, p.middle - 6);
        x_.Settle(Millis{300});
        x_.Click(p.head, p.middle);
        x_.Settle(Millis{800});
        x_.MovePointer(p.away, x_.ScreenHeight() - 20);
        x_.Settle(Millis{800});
        placed = std::move(p);
        return placed;
    }
    // A new one-staff score with the marcato on a note; empty (a failure is
    // recorded) when no mark appeared.
    std::optional<Placed> ScoreWithAMarkedNote() {
        KeepPalettesAside();
        if (!StartProgram()) return std::nullopt;
        NewScore("1");
        std::optional<Placed> placed = PlaceMarcatoOnANote();
        if (placed && MarkInk(*placed, Screen()) <= 8) {
            ADD_FAILURE() << "no mark appeared beside the clicked note";
            placed.reset();
        }
        return placed;
    }
    // New ink beyond the note's staff in its column since the note was entered.
    int MarkInk(const Placed& p, const ScreenPicture& now) const {
        const int spacing = (p.bottom - p.top) / 4;
        return NewInkBeyond(p.entered, now, p.head - 2 * spacing, p.head + 2 * spacing, p.top - 2,
                            p.bottom + 2, 4 * spacing);
    }
    static bool HeadShown(const Placed& p, const ScreenPicture& now) {
        int ink = 0;
        for (int y = p.middle - 2; y <= p.middle + 2; ++y)
            for (int px = p.head - 3; px <= p.head + 3; ++px) ink += !IsWhite(now.At(px, y));
        return ink > 10;
    }
};

TEST_F(ArticulationScenario, AnAccentChosenOnItsPaletteMarksTheClickedNoteAndUndoTakesItAway) {
    KeepPalettesAside();
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<Placed> placed = PlaceMarcatoOnANote();
    ASSERT_TRUE(placed);
    const ScreenPicture marked = Screen();
    WritePng(marked, TestOutputFolder() / "articulation_desktop.png");
    EXPECT_GT(MarkInk(*placed, marked), 8) << "no mark appeared beside the clicked note";

    // A click on the empty page below the systems lets go of the new mark, and Undo
    // takes it away.
    x_.MovePointer(placed->away, x_.ScreenHeight() - 150);
    x_.Settle(Millis{300});
    x_.Click(placed->away, x_.ScreenHeight() - 150);
    x_.Settle(Millis{500});
    PressInFrame("ctrl+z");
    x_.MovePointer(placed->away, x_.ScreenHeight() - 20);
    x_.Settle(Millis{1000});
    const ScreenPicture undone = Screen();
    EXPECT_LE(MarkInk(*placed, undone), 2) << "Undo left the mark";
    EXPECT_TRUE(HeadShown(*placed, undone)) << "Undo took the note away too";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// With the articulation tool armed and its new mark let go, a right click on the
// paper between the systems pops the Notes palette up centred on the pointer.
TEST_F(ArticulationScenario, ARightClickPopsTheNotesPaletteUpAtThePointer) {
    const std::optional<Placed> placed = ScoreWithAMarkedNote();
    ASSERT_TRUE(placed);
    x_.MovePointer(placed->away, x_.ScreenHeight() - 150);
    x_.Settle(Millis{300});
    x_.Click(placed->away, x_.ScreenHeight() - 150);
    x_.Settle(Millis{500});
    // The paper above the second system, left of the marked note.
    const int paperX = placed->away - 120;
    const int paperY = placed->top - (placed->bottom - placed->top) / 2;
    EXPECT_TRUE(NotesPaletteComesTo(paperX, paperY))
        << "the right click with the articulation tool brought no Notes palette to the pointer";
    WritePng(Screen(), TestOutputFolder() / "articulation_note_palette_popup_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Delete while the new mark is selected takes the mark off and leaves the note.
TEST_F(ArticulationScenario, DeleteTakesTheSelectedMarkOff) {
    const std::optional<Placed> placed = ScoreWithAMarkedNote();
    ASSERT_TRUE(placed);
    PressInFrame("Delete");
    x_.MovePointer(placed->away, x_.ScreenHeight() - 20);
    x_.Settle(Millis{1000});
    const ScreenPicture deleted = Screen();
    WritePng(deleted, TestOutputFolder() / "articulation_deleted_desktop.png");
    EXPECT_LE(MarkInk(*placed, deleted), 2) << "Delete left the mark";
    EXPECT_TRUE(HeadShown(*placed, deleted)) << "Delete took the note away too";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// A quarter entered on the bottom line of the second system (its stem up, inside the
// staff) before the Accents button is marked, and one entered after a Control-click has
// marked it: only the second gets a mark, below the staff in its column.
TEST_F(ArticulationScenario, AMarkedAccentsButtonPutsTheAccentOnEachEnteredNote) {
    KeepPalettesAside();
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<ShownWindow> main = x_.WindowTitled("Main");
    const std::optional<ShownWindow> notes = x_.WindowTitled("Notes");
    ASSERT_TRUE(main && notes);
    x_.Settle(Millis{1000});
    const std::optional<std::pair<int, int>> eighth = PressedCell(x_.Grab(*notes));
    ASSERT_TRUE(eighth) << "no pressed button on the Notes palette";
    const auto quarter = Button(*notes, *eighth, 4, 3, kNotesColumns);
    x_.Click(quarter.first, quarter.second);
    x_.Settle(Millis{500});
    const int left = main->x + main->width + 8;
    const int right = notes->x - 8;
    const std::vector<int> lines = Screen().LongDarkLines(left, 40, right, notes->y, 0.95);
    ASSERT_GE(lines.size(), 10u) << "no staff lines beside the palettes";
    const int top = lines[5];
    const int bottom = lines[9];
    const int spacing = (bottom - top) / 4;
    const int away = x_.ScreenHeight() - 20;

    // Enters a quarter on the bottom line in the measure under x (it goes to the
    // measure's first free beat); the head's column (-1 without one) and the ink it
    // brought beyond the staff.
    ScreenPicture before = Screen();
    const auto enter = [&](int x) -> std::pair<int, int> {
        x_.MovePointer(x, bottom - 10);
        x_.Settle(Millis{300});
        x_.Click(x, bottom);
        x_.Settle(Millis{1000});
        x_.MovePointer(x, away);
        x_.Settle(Millis{800});
        const ScreenPicture after = Screen();
        int sum = 0;
        int count = 0;
        for (int y = bottom - 2; y <= bottom + 2; ++y)
            for (int px = left; px <= right; ++px)
                if (IsWhite(before.At(px, y)) != IsWhite(after.At(px, y))) {
                    sum += px;
                    ++count;
                }
        if (count <= 10) return {-1, 0};
        const int head = sum / count;
        const int beyond = NewInkBeyond(before, after, head - 2 * spacing, head + 2 * spacing,
                                        top - 2, bottom + 2, 4 * spacing);
        before = after;
        return {head, beyond};
    };
    const auto plain = enter(left + 2 * (right - left) / 5);
    ASSERT_GE(plain.first, 0) << "no note was entered";

    const auto opener = Button(*notes, *eighth, 4, kAccentsOpener, kNotesColumns);
    x_.ControlClick(opener.first, opener.second);
    x_.Settle(Millis{500});
    const auto marked = enter(left + 4 * (right - left) / 5);
    ASSERT_GE(marked.first, 0) << "no note was entered with the button marked";
    WritePng(before, TestOutputFolder() / "articulation_entry_desktop.png");
    EXPECT_GT(marked.second, plain.second + 8) << "the note entered with Accents marked has no mark";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// The Accents pop-up, opened and left without a choice, closes when the user goes
// back to the frame; the Notes palette stays.
TEST_F(ArticulationScenario, TheAccentsPopUpClosesWhenTheFrameIsClickedWithoutAChoice) {
    KeepPalettesAside();
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<ShownWindow> notes = x_.WindowTitled("Notes");
    ASSERT_TRUE(notes);
    x_.Settle(Millis{1000});
    const std::optional<std::pair<int, int>> eighth = PressedCell(x_.Grab(*notes));
    ASSERT_TRUE(eighth) << "no pressed button on the Notes palette";
    const auto opener = Button(*notes, *eighth, 4, kAccentsOpener, kNotesColumns);
    x_.Click(opener.first, opener.second);
    x_.Settle(Millis{500});
    x_.Click(opener.first, opener.second);
    ASSERT_TRUE(x_.WindowTitled("Accents")) << "the Accents button opened no palette";
    // The frame's status bar, away from the music and the palettes.
    const ShownWindow frame = Frame();
    x_.Click(frame.x + frame.width / 3, frame.y + frame.height - 6);
    EXPECT_TRUE(x_.WaitUntilGone("Accents", kRedrawTimeout)) << "the pop-up stayed open";
    EXPECT_TRUE(x_.WindowTitledNow("Notes")) << "the Notes palette went too";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
