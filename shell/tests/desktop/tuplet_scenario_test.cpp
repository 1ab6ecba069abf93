// Tuplets on the desktop: "Tuplets..." on the Notes palette, clicked again, opens the
// "Tuplets" dialog; 3 in the time of 2 is set there and OK closes it; eighths are then
// entered on the staff with the Notes palette's eighth, and the Tuplets tool, chosen
// again, marks their group at a click on the first head drawn; let go of, the mark
// shows its number and its bracket in ink. Chosen again, keypad plus makes it a
// curve with its number beyond the bow; the curve's move handle dragged across the notes takes the curve to the
// other side, where it turns its bow away from the notes and the number follows.
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
constexpr Millis kRedrawTimeout{3000};

// The pixels that differ between two pictures inside a rectangle: their bounds and
// their centre.
struct Changes {
    int64_t count = 0;
    int left = 0, top = 0, right = -1, bottom = -1;
    int64_t sumX = 0, sumY = 0;
    int CentreX() const { return count > 0 ? static_cast<int>(sumX / count) : 0; }
    int CentreY() const { return count > 0 ? static_cast<int>(sumY / count) : 0; }
};
Changes ChangesBetween(const ScreenPicture& a, const ScreenPicture& b, int left, int top, int right, int bottom) {
    Changes c;
    c.left = right, c.top = bottom;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            if (a.At(x, y) == b.At(x, y)) continue;
            ++c.count, c.sumX += x, c.sumY += y;
            c.left = std::min(c.left, x), c.right = std::max(c.right, x);
            c.top = std::min(c.top, y), c.bottom = std::max(c.bottom, y);
        }
    return c;
}

class TupletScenario : public MusicBesidePalettes {
  protected:
    static std::pair<int, int> NotesButton(const ShownWindow& notes, int index) {
        return {notes.x + 1 + (index % kPaletteColumns) * kPaletteCell + 18, notes.y + 1 + (index / kPaletteColumns) * kPaletteCell + 18};
    }
    ScreenPicture Settled() const { return SettledPicture(x_, [this] { return Screen(); }, kRedrawTimeout); }
    // A click on the empty paper below the systems lets go of the chosen mark.
    ScreenPicture LetGo() {
        x_.Click(Frame().x + 320, x_.ScreenHeight() - 160);
        x_.Settle(Millis{500});
        x_.MovePointer(MusicRight() - 4, 120);
        return Settled();
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
    EXPECT_TRUE(NoMessageBoxComes()) << "an error box came up while entering notes";

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
    EXPECT_TRUE(NoMessageBoxComes()) << "an error box came up while marking the group";

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
    const int bracketFrom = head + 6, bracketTo = head + 2 * kNoteStepPixels - 2;
    const auto bracketLines = [&](const ScreenPicture& picture) {
        return picture.LongDarkLines(bracketFrom, lines[4] + staffGap, bracketTo, lines[4] + 70, 0.9).size() +
               picture.LongDarkLines(bracketFrom, lines[0] - 70, bracketTo, lines[0] - staffGap, 0.9).size();
    };
    EXPECT_GT(bracketLines(inked), bracketLines(entered)) << "the tuplet mark's bracket is not drawn in ink";

    // The curve: the mark chosen again at its number, keypad plus steps it to the
    // curve style; let go of and chosen again, it shows the curve's handles.
    const bool below = inked.DarkPixels(markLeft, lines[4] + staffGap, markRight, lines[4] + 70) >
                       entered.DarkPixels(markLeft, lines[4] + staffGap, markRight, lines[4] + 70);
    const int farTop = below ? lines[4] + staffGap : lines[0] - 90, farBottom = below ? lines[4] + 90 : lines[0] - staffGap;
    const int nearTop = below ? lines[0] - 90 : lines[4] + staffGap, nearBottom = below ? lines[0] - staffGap : lines[4] + 90;
    const auto clickAt = [&](int x, int y) {
        x_.MovePointer(x, y);
        x_.Settle(Millis{300});
        x_.Click(x, y);
        x_.Settle(Millis{600});
    };
    // The bracket's number sits in its line, at the middle of the mark: the press goes
    // on the line (the long dark row furthest from the staff; the beam, whose colour
    // changed as the mark was let go of, lies nearer), halfway between its ends. False
    // when no line is drawn.
    const auto chooseNumber = [&](const ScreenPicture& shown) {
        const std::vector<int> rows = shown.LongDarkLines(bracketFrom, farTop, bracketTo, farBottom, 0.9);
        if (rows.empty()) return false;
        const int lineY = below ? rows.back() : rows.front();
        const Changes line = ChangesBetween(entered, shown, markLeft, lineY, markRight, lineY + 1);
        clickAt((line.left + line.right) / 2, lineY);
        return true;
    };
    // The curve's number stands beyond its bow: its outermost rows of ink.
    const auto chooseCurveNumber = [&](const ScreenPicture& shown) {
        const Changes mark = ChangesBetween(entered, shown, markLeft, farTop, markRight, farBottom);
        const int edge = below ? mark.bottom : mark.top;
        const Changes number = ChangesBetween(entered, shown, markLeft, below ? edge - 3 : edge, markRight, below ? edge + 1 : edge + 4);
        clickAt(number.CentreX(), number.CentreY());
    };
    ASSERT_TRUE(chooseNumber(inked)) << "no bracket line to find the number on";
    x_.PressKey("KP_Add");
    x_.Settle(Millis{600});
    const ScreenPicture curved = LetGo();
    WritePng(curved, TestOutputFolder() / "tuplet_curve_desktop.png");
    ASSERT_GT(ChangesBetween(inked, curved, markLeft, farTop, markRight, farBottom).count, 20)
        << "keypad plus did not change the mark";
    chooseCurveNumber(curved);
    x_.MovePointer(right - 4, lines[0] - 100);
    const ScreenPicture chosen = Settled();
    WritePng(chosen, TestOutputFolder() / "tuplet_curve_chosen_desktop.png");
    // The move handle stands furthest from the notes, beyond the number.
    const Changes handles = ChangesBetween(curved, chosen, markLeft - 20, farTop, markRight + 20, farBottom + 30);
    ASSERT_GT(handles.count, 0) << "the chosen curve shows no handles";
    const int edge = below ? handles.bottom : handles.top;
    // Its drawn box's outer row gives its middle; the press goes two pixels inside.
    const Changes move = ChangesBetween(curved, chosen, markLeft - 20, edge, markRight + 20, edge + 1);
    const int pressY = below ? edge - 2 : edge + 2;
    // Across the notes: the whole curve comes to lie on the other side of the staff.
    const int across = below ? lines[0] - staffGap - (edge - (lines[4] + staffGap)) - 10
                             : lines[4] + staffGap + ((lines[0] - staffGap) - edge) + 10;
    x_.Drag(move.CentreX(), pressY, move.CentreX(), across, 12);
    x_.Settle(Millis{600});
    const ScreenPicture turned = LetGo();
    WritePng(turned, TestOutputFolder() / "tuplet_curve_turned_desktop.png");
    EXPECT_TRUE(NoMessageBoxComes()) << "an error box came up while dragging the curve";
    // Nothing of the mark is left where it was, beyond the beam: the number went along
    // with the curve (the notes themselves are drawn in ink now, no longer chosen).
    // The beam's outer edge: between the first two heads, from the staff outwards, the
    // end of the first dark run.
    const int probe = head + kNoteStepPixels / 2, outwards = below ? 1 : -1;
    const auto dark = [&](int y) { return turned.DarkPixels(probe, y, probe + 1, y + 1) > 0; };
    int beamEdge = below ? lines[4] + 2 : lines[0] - 2;
    while (beamEdge > farTop - 40 && beamEdge < farBottom + 40 && !dark(beamEdge)) beamEdge += outwards;
    while (beamEdge > farTop - 40 && beamEdge < farBottom + 40 && dark(beamEdge)) beamEdge += outwards;
    const int clearFrom = below ? std::max(farTop, beamEdge + 3) : farTop;
    const int clearTo = below ? farBottom : std::min(farBottom, beamEdge - 3);
    EXPECT_LE(turned.DarkPixels(markLeft - 20, clearFrom, markRight + 20, clearTo), 3) << "the number stayed behind";
    const Changes moved = ChangesBetween(entered, turned, markLeft - 40, nearTop, markRight + 40, nearBottom);
    ASSERT_GT(moved.count, 20) << "the curve did not come to the other side";
    // Its bow points away from the notes: the ink furthest out lies between its ends.
    const int furthest = below ? moved.top : moved.bottom;
    const Changes outer = ChangesBetween(entered, turned, markLeft - 40, below ? furthest : furthest - 2, markRight + 40,
                                         below ? furthest + 3 : furthest + 1);
    const int third = (moved.right - moved.left) / 3;
    EXPECT_GT(outer.CentreX(), moved.left + third) << "the curve bows towards the notes";
    EXPECT_LT(outer.CentreX(), moved.right - third) << "the curve bows towards the notes";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
