// The tools a newcomer reaches for first, on the desktop: a palette's highlighted
// button arms its tool at the first click, a Staff Tools button keeps its tool when
// the pointer goes into the score, the dynamic chosen is the one placed, R and the
// note/rest button switch to rests with the tool kept, the pop-up palettes come and
// go, and the palettes stand clear of each other.
#include <algorithm>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

constexpr int kStaffColumns = 3;
constexpr int kMidiSetupButton = 2;
constexpr int kTimeSignatureButton = 5;
constexpr int kSystemBracketButton = 7;
constexpr int kStaffToolsOnMain = 0;
constexpr int kPerformanceOnMain = 4;
constexpr int kPerformanceColumns = 4;
constexpr int kDynamicsColumns = 5;
constexpr int kPianoEntry = 3;   // "p"
constexpr int kForteEntry = 13;  // "f"
constexpr int kNotesColumns = 4;
constexpr int kQuarterButton = 3;

class FirstTriesScenario : public MusicBesidePalettes {
  protected:
    // The centre of the button of a palette in its grid: the pressed cell found
    // gives the origin when the palette shows one, else the one-pixel frame.
    static std::pair<int, int> GridButton(const ShownWindow& palette, int columns, int index) {
        return {palette.x + 1 + (index % columns) * kPaletteCell + kPaletteButtonMiddle,
                palette.y + 1 + (index / columns) * kPaletteCell + kPaletteButtonMiddle};
    }
    // The Main palette's pressed cell as a button index; -1 when none shows.
    int MainPressed() const {
        const std::optional<ShownWindow> main = Titled("Main");
        if (!main) return -1;
        const std::optional<std::pair<int, int>> cell = PressedCell(x_.Grab(*main));
        return cell ? (cell->first - 1) / kPaletteCell : -1;
    }
};

// With the Notes tool in use, a click on a Staff Tools button makes Staff Tools the
// tool in use: the Time Signature tool's click in the score opens its dialog, the
// MIDI Setup tool's click the staff's MIDI setup, and the System Bracket tool's
// click draws a bracket. A click on the highlighted button of Graphics or of Text &
// Symbols arms that palette's tool.
TEST_F(FirstTriesScenario, AClickOnAnyPaletteButtonArmsItsTool) {
    const std::optional<ShownWindow> main = NewScoreWithNotesTool();
    ASSERT_TRUE(main);
    const std::optional<ShownWindow> staffTools = Titled("Staff Tools");
    ASSERT_TRUE(staffTools);
    const std::vector<int> lines = StaffLinesBesidePalettes(SettledScreen());
    ASSERT_GE(lines.size(), 5u);
    const int x = MusicLeft() + (MusicRight() - MusicLeft()) / 2;
    const auto clickInScore = [&] {
        x_.MovePointer(x, lines[2] - 4);
        x_.Settle(Millis{300});
        x_.Click(x, lines[2]);
    };

    auto [tx, ty] = GridButton(*staffTools, kStaffColumns, kTimeSignatureButton);
    x_.Click(tx, ty);
    x_.Settle(Millis{500});
    EXPECT_EQ(MainPressed(), kStaffToolsOnMain) << "the Main palette does not show Staff Tools in use";
    clickInScore();
    std::optional<ShownWindow> dialog = x_.WaitForWindow("Time Signature", Millis{5000});
    ASSERT_TRUE(dialog) << "the click in the score opened no Time Signature dialog";
    x_.PointAt(*dialog);
    x_.PressKey("Escape");
    ASSERT_TRUE(x_.WaitUntilGone("Time Signature"));

    std::tie(tx, ty) = GridButton(*staffTools, kStaffColumns, kMidiSetupButton);
    x_.Click(tx, ty);
    x_.Settle(Millis{500});
    clickInScore();
    dialog = x_.WaitForWindow("Staff MIDI Setup", Millis{5000});
    ASSERT_TRUE(dialog) << "the MIDI Setup tool's click opened no dialog";
    x_.PointAt(*dialog);
    x_.PressKey("Escape");
    ASSERT_TRUE(x_.WaitUntilGone("Staff MIDI Setup"));

    // The System Bracket tool's click draws the bracket left of the system.
    const ScreenPicture unbracketed = SettledScreen();
    std::tie(tx, ty) = GridButton(*staffTools, kStaffColumns, kSystemBracketButton);
    x_.Click(tx, ty);
    x_.Settle(Millis{500});
    clickInScore();
    x_.Settle(Millis{800});
    ParkPointer(*main);
    EXPECT_GT(ChangedPixels(unbracketed, SettledScreen(), Frame().x, lines[0] - 20, MusicLeft(), lines[4] + 20), 20)
        << "the System Bracket tool's click drew no bracket";

    // The highlighted buttons: Slur, then Text Line.
    for (const auto& [title, group] : {std::pair{"Graphics", 2}, std::pair{"Text & Symbols", 3}}) {
        const std::optional<ShownWindow> palette = Titled(title);
        ASSERT_TRUE(palette) << title;
        const std::optional<std::pair<int, int>> highlighted = PressedCell(x_.Grab(*palette));
        ASSERT_TRUE(highlighted) << title;
        x_.Click(palette->x + highlighted->first + kPaletteButtonMiddle,
                 palette->y + highlighted->second + kPaletteButtonMiddle);
        x_.Settle(Millis{500});
        EXPECT_EQ(MainPressed(), group) << "a click on the highlighted button of " << title << " armed nothing";
    }
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// "Dynamics..." (highlighted) armed at the first click; pressed again it opens the
// Dynamics palette, which goes once an entry is chosen: after "f" and then "p" the
// click on the staff places a "p", a narrow mark (not the wide "cresc.").
TEST_F(FirstTriesScenario, TheDynamicPlacedIsTheOneChosen) {
    const std::optional<ShownWindow> main = NewScoreWithNotesTool();
    ASSERT_TRUE(main);
    const std::optional<ShownWindow> performance = Titled("Performance");
    ASSERT_TRUE(performance);
    const auto [ox, oy] = GridButton(*performance, kPerformanceColumns, 0);
    x_.Click(ox, oy);
    x_.Settle(Millis{500});
    EXPECT_EQ(MainPressed(), kPerformanceOnMain);
    for (const int entry : {kForteEntry, kPianoEntry}) {
        x_.Click(ox, oy);
        ASSERT_TRUE(WaitFor([&] { return Titled("Dynamics").has_value(); }, Millis{5000}))
            << "the Dynamics palette did not open";
        const ShownWindow dynamics = *Titled("Dynamics");
        const auto [dx, dy] = GridButton(dynamics, kDynamicsColumns, entry);
        x_.Click(dx, dy);
        EXPECT_TRUE(WaitFor([&] { return !Titled("Dynamics").has_value(); }, Millis{5000}))
            << "the Dynamics palette stayed open after a choice";
    }
    const ScreenPicture before = SettledScreen();
    const std::vector<int> lines = StaffLinesBesidePalettes(before);
    ASSERT_GE(lines.size(), 5u);
    const int x = MusicLeft() + (MusicRight() - MusicLeft()) / 2;
    x_.MovePointer(x, lines[4] + 30);
    x_.Settle(Millis{300});
    x_.Click(x, lines[4] + 30);
    x_.Settle(Millis{1000});
    ParkPointer(*main);
    const ScreenPicture after = SettledScreen();
    WritePng(after, TestOutputFolder() / "first_tries_dynamic_desktop.png");
    const int space = lines[1] - lines[0];
    const InkBox box = NewInkBox(before, after, MusicLeft(), lines[4] + 4, MusicRight(), lines[4] + 80);
    ASSERT_GT(box.count, 10) << "no dynamic placed";
    EXPECT_LT(box.right - box.left, 3 * space) << "the mark placed is " << box.right - box.left
                                               << " pixels wide, not a \"p\"";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// The note/rest button turns the values to rests (their faces change, the Notes
// tool stays in use) and a click in an empty measure enters a rest; pressed again
// it turns them back. R does the same as the button.
TEST_F(FirstTriesScenario, TheNoteRestButtonKeepsTheNotesTool) {
    const std::optional<ShownWindow> main = NewScoreWithNotesTool();
    ASSERT_TRUE(main);
    const std::optional<ShownWindow> notes = Titled("Notes");
    ASSERT_TRUE(notes);
    const auto [vx, vy] = GridButton(*notes, kNotesColumns, kQuarterButton);
    const auto valueFace = [&, vx = vx, vy = vy] {
        return x_.Grab(vx - kPaletteButtonMiddle + 2, vy - kPaletteButtonMiddle + 2, 32, 32);
    };
    const ScreenPicture noteFace = valueFace();
    const ScreenPicture empty = SettledScreen();
    const std::vector<int> lines = StaffLinesBesidePalettes(empty);
    ASSERT_GE(lines.size(), 5u);
    const auto [tx, ty] = GridButton(*notes, kNotesColumns, 0);
    x_.Click(tx, ty);
    EXPECT_TRUE(WaitFor([&] { return DifferentPixels(valueFace(), noteFace) > 20; }, Millis{5000}))
        << "the note/rest button did not turn the values to rests";
    EXPECT_EQ(MainPressed(), kNotesOnMain) << "the Notes tool was put down";
    const int x = MusicLeft() + (MusicRight() - MusicLeft()) / 3;
    x_.MovePointer(x, lines[2] - 4);
    x_.Settle(Millis{300});
    x_.Click(x, lines[2]);
    x_.Settle(Millis{800});
    EXPECT_TRUE(NoMessageBoxComes()) << "a box came instead of a rest";
    ParkPointer(*main);
    const ScreenPicture rested = SettledScreen();
    WritePng(rested, TestOutputFolder() / "first_tries_rest_desktop.png");
    EXPECT_GT(ChangedPixels(empty, rested, MusicLeft(), lines[0] - 20, MusicRight(), lines[4] + 20), 20)
        << "the click entered no rest";
    x_.Click(tx, ty);
    EXPECT_TRUE(WaitFor([&] { return DifferentPixels(valueFace(), noteFace) == 0; }, Millis{5000}))
        << "the button did not turn the values back to notes";
    // R, the button's key, with the pointer over the score: rests, the tool kept, and
    // a click in the next empty measure enters a rest; R again turns them back.
    const int x2 = MusicLeft() + 2 * (MusicRight() - MusicLeft()) / 3;
    x_.MovePointer(x2, lines[2] - 4);
    x_.Settle(Millis{300});
    x_.PressKey("r");
    EXPECT_TRUE(WaitFor([&] { return DifferentPixels(valueFace(), noteFace) > 20; }, Millis{5000}))
        << "R did not turn the values to rests";
    EXPECT_EQ(MainPressed(), kNotesOnMain) << "R put the Notes tool down";
    x_.Click(x2, lines[2]);
    x_.Settle(Millis{800});
    EXPECT_TRUE(NoMessageBoxComes()) << "a box came instead of a rest after R";
    ParkPointer(*main);
    const ScreenPicture rested2 = SettledScreen();
    WritePng(rested2, TestOutputFolder() / "first_tries_rest_key_desktop.png");
    EXPECT_GT(ChangedPixels(rested, rested2, x2 - 200, lines[0] - 20, MusicRight(), lines[4] + 20), 20)
        << "the click after R entered no rest";
    x_.MovePointer(x2, lines[4] + 120);
    x_.Settle(Millis{300});
    x_.PressKey("r");
    EXPECT_TRUE(WaitFor([&] { return DifferentPixels(valueFace(), noteFace) == 0; }, Millis{5000}))
        << "R again did not turn the values back to notes";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// "Note Heads...", "Ornaments..." and "Accents..." each open their pop-up palette
// when pressed again, beside the Notes palette (not over it); a choice closes it.
// The Dynamics palette opens clear of the Notes palette too.
TEST_F(FirstTriesScenario, PopUpPalettesOpenBesideTheirPalettesAndCloseOnAChoice) {
    const std::optional<ShownWindow> main = NewScoreWithNotesTool();
    ASSERT_TRUE(main);
    const std::optional<ShownWindow> notes = Titled("Notes");
    ASSERT_TRUE(notes);
    const auto overlaps = [](const ShownWindow& a, const ShownWindow& b) {
        return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
    };
    for (const auto& popUpButton : {std::pair{"Heads", 7}, std::pair{"Ornaments", 10}, std::pair{"Accents", 11}}) {
        const char* const title = popUpButton.first;
        const int button = popUpButton.second;
        const auto [bx, by] = GridButton(*notes, kNotesColumns, button);
        x_.Click(bx, by);
        x_.Settle(Millis{400});
        x_.Click(bx, by);
        ASSERT_TRUE(WaitFor([&] { return Titled(title).has_value(); }, Millis{5000})) << title << " did not open";
        x_.Settle(Millis{500});
        const ShownWindow popUp = *Titled(title);
        EXPECT_FALSE(overlaps(popUp, *notes)) << title << " covers the Notes palette";
        const auto [ex, ey] = GridButton(popUp, 1, 0);
        x_.Click(ex, ey);
        EXPECT_TRUE(WaitFor([&] { return !Titled(title).has_value(); }, Millis{5000})) << title << " stayed open";
    }
    const std::optional<ShownWindow> performance = Titled("Performance");
    ASSERT_TRUE(performance);
    const auto [ox, oy] = GridButton(*performance, kPerformanceColumns, 0);
    x_.Click(ox, oy);
    x_.Settle(Millis{400});
    x_.Click(ox, oy);
    ASSERT_TRUE(WaitFor([&] { return Titled("Dynamics").has_value(); }, Millis{5000}));
    x_.Settle(Millis{500});
    WritePng(Screen(), TestOutputFolder() / "first_tries_dynamics_desktop.png");
    EXPECT_FALSE(overlaps(*Titled("Dynamics"), *notes)) << "Dynamics covers the Notes palette";
    EXPECT_FALSE(overlaps(*Titled("Dynamics"), *performance)) << "Dynamics covers the Performance palette";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Scroll view in one window hides the palettes; activating a window in page view
// shows them again.
TEST_F(FirstTriesScenario, ActivatingAPageViewShowsThePalettesAgain) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    NewScore("1");
    ASSERT_TRUE(WaitFor([&] { return Titled("Notes").has_value(); }));
    ChooseMenuItem('v', 'c');  // Scroll View
    ASSERT_TRUE(WaitFor([&] { return !Titled("Notes").has_value(); }, Millis{5000}))
        << "scroll view left the palettes showing";
    ChooseMenuItem('w', '1');  // the first score's window, in page view
    EXPECT_TRUE(WaitFor([&] { return Titled("Notes").has_value() && Titled("Main").has_value(); }, Millis{5000}))
        << "the palettes stayed hidden";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
