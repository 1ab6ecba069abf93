// Note commands on the desktop: a note entered with the Notes tool, then a right
// click on its head opens the note's menu, whose Hide/Unhide > Head hides that head
// on the page; with the Pointer, a marquee over it and the H key show it again, and
// one Undo takes that back; Alter > Enharmonic respells the note. Judged from
// pictures of the head and of what stands before it.
#include <algorithm>
#include <optional>
#include <string_view>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {


class NoteCommandScenario : public MusicBesidePalettes {
  protected:
    // Dark pixels in a small box around a point.
    int64_t DarkAround(int x, int y, int half = 3) const {
        const ScreenPicture box = x_.Grab(x - half, y - 1, 2 * half + 1, 3);
        int64_t dark = 0;
        for (uint32_t p : box.pixels) dark += IsDarkPixel(p);
        return dark;
    }
    // Where a note's head was entered and what it showed.
    struct EnteredHead {
        ShownWindow main;
        std::vector<int> lines;
        int x = 0;
        int space = 0;
        int64_t shown = 0;
    };
    // A new score and a note entered with the Notes tool in the space below the
    // middle line of the first staff; false (with the failure reported) when a step
    // did not happen.
    bool EnterNote(EnteredHead* head) {
        if (!StartProgram()) return false;
        NewScore("1");
        if (!WaitFor([&] { return Titled("Main").has_value(); })) return false;
        x_.Settle(Millis{800});
        head->main = *Titled("Main");
        const int left = Frame().x + 120;
        const int right = MusicRight();
        const ScreenPicture empty = Screen();
        head->lines = empty.LongDarkLines(left, 40, right, x_.ScreenHeight() - 100, 0.95);
        if (head->lines.size() < 5u) {
            ADD_FAILURE() << "no staff";
            return false;
        }
        const std::vector<int>& lines = head->lines;

        // The Notes tool from the Main palette; a click in the space below the middle
        // line of the first staff enters a note in that measure.
        x_.Click(head->main.x + 1 + kPaletteCell + 18, head->main.y + 1 + 18);
        x_.Settle(Millis{500});
        const int space = (lines[2] + lines[3]) / 2;
        const int x = left + (right - left) / 2;
        x_.MovePointer(x, space - 6);
        x_.Settle(Millis{300});
        x_.Click(x, space);
        x_.Settle(Millis{1000});
        const ScreenPicture entered = SettledPicture(x_, [this] { return Screen(); }, kRedrawTimeout);
        // The head: the first run of new ink along the space, from the left.
        int headLeft = -1;
        int headRight = -1;
        for (int px = left; px < right; ++px) {
            const bool ink = IsDarkPixel(entered.At(px, space)) && !IsDarkPixel(empty.At(px, space));
            if (ink && headLeft < 0) headLeft = px;
            if (headLeft >= 0 && !ink) {
                headRight = px;
                break;
            }
        }
        if (headLeft < 0 || headRight - headLeft <= 4) {
            ADD_FAILURE() << "no note entered";
            return false;
        }
        const int headX = (headLeft + headRight) / 2;
        head->x = headX;
        head->space = space;
        head->shown = DarkAround(headX, space);
        if (head->shown <= 8) {
            ADD_FAILURE() << "no head found";
            return false;
        }
        return true;
    }

    // Then Hide/Unhide > Head from the note's menu.
    bool EnterNoteAndHideItsHead(EnteredHead* head) {
        if (!EnterNote(head)) return false;
        const int headX = head->x;
        const int space = head->space;
        // The note's menu at the head: Hide/Unhide > Head.
        x_.MovePointer(headX + 30, space + 20);
        x_.Settle(Millis{300});
        x_.MovePointer(headX, space);
        x_.Settle(Millis{500});
        x_.Click(headX, space, 3);
        if (!WaitFor([&] { return !x_.Popups().empty(); }, Millis{5000})) {
            ADD_FAILURE() << "no menu on the note";
            return false;
        }
        x_.Settle(Millis{500});
        x_.PressKey("h");
        x_.Settle(Millis{500});
        x_.PressKey("h");
        EXPECT_TRUE(WaitFor([&] { return x_.Popups().empty(); }, Millis{5000})) << "the menu stayed open";
        int64_t hidden = head->shown;
        const bool gone = WaitFor([&] { return (hidden = DarkAround(headX, space)) < head->shown / 4; },
                                  kRedrawTimeout);
        EXPECT_TRUE(gone) << "the head still shows: " << hidden << " of " << head->shown << " dark pixels";
        if (!gone) WritePng(Screen(), TestOutputFolder() / "note_command_desktop.png");
        return gone;
    }
};

TEST_F(NoteCommandScenario, TheNoteMenuAndTheMarqueeKeyHideAndShowAHeadAndUndoTakesItBack) {
    EnteredHead head;
    ASSERT_TRUE(EnterNoteAndHideItsHead(&head));
    const ShownWindow& main = head.main;
    const std::vector<int>& lines = head.lines;
    const int headX = head.x;
    const int space = head.space;
    const int64_t shown = head.shown;

    // With the Pointer, a marquee over the note and its H key (hide all) show the
    // head again, since one part of it is hidden; it is judged once the marquee (which
    // inverts what it covers) is let go, and one Undo hides it again.
    x_.Click(main.x + 1 + 5 * kPaletteCell + 18, main.y + 1 + 18);
    x_.Settle(Millis{500});
    x_.Drag(headX + 40, lines[0] - 40, headX - 30, lines[4] + 40);
    x_.Settle(Millis{500});
    x_.PressKey("h");
    x_.Settle(Millis{500});
    x_.Click(headX, lines[4] + 200);  // empty paper: the marquee goes
    int64_t back = 0;
    EXPECT_TRUE(WaitFor([&] { return (back = DarkAround(headX, space)) >= shown * 3 / 4; }, kRedrawTimeout))
        << "the marquee's H did not show the head: " << back << " of " << shown;
    x_.Settle(Millis{500});
    PressInFrame("ctrl+z");
    EXPECT_TRUE(WaitFor([&] { return (back = DarkAround(headX, space)) < shown / 4; }, kRedrawTimeout))
        << "one Undo did not hide the head again: " << back << " of " << shown;
    if (HasFailure()) WritePng(Screen(), TestOutputFolder() / "note_command_undo_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// A double click on the head opens the note's settings; Escape closes them.
TEST_F(NoteCommandScenario, ADoubleClickOnAHeadOpensTheNoteSettings) {
    EnteredHead head;
    ASSERT_TRUE(EnterNote(&head));
    x_.MovePointer(head.x + 30, head.space + 20);
    x_.Settle(Millis{300});
    x_.MovePointer(head.x, head.space);
    x_.Settle(Millis{500});
    x_.Click(head.x, head.space);
    x_.Click(head.x, head.space);
    ASSERT_TRUE(x_.WaitForWindow("Note Settings").has_value()) << "no Note Settings";
    x_.PressKey("Escape");
    EXPECT_TRUE(x_.WaitUntilGone("Note Settings"));
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Right after the menu's command the note is still chosen; Ctrl+Z takes the command
// back at once, and letting the note go afterwards brings nothing back.
TEST_F(NoteCommandScenario, CtrlZRightAfterTheNoteMenusCommandTakesItBack) {
    EnteredHead head;
    ASSERT_TRUE(EnterNoteAndHideItsHead(&head));
    PressInFrame("ctrl+z");
    int64_t back = 0;
    EXPECT_TRUE(WaitFor([&] { return (back = DarkAround(head.x, head.space)) >= head.shown * 3 / 4; },
                        kRedrawTimeout))
        << "Ctrl+Z did not show the head again: " << back << " of " << head.shown;
    x_.Click(head.x, head.lines[4] + 200);  // empty paper
    x_.Settle(Millis{800});
    EXPECT_GE(DarkAround(head.x, head.space), head.shown * 3 / 4) << "letting the note go hid the head again";
    if (HasFailure()) WritePng(Screen(), TestOutputFolder() / "note_command_ctrl_z_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// The note menu's Alter > Enharmonic respells the note: the A in the space below the
// middle line becomes a B double flat, its head on the middle line with the
// accidental to its left once the Pointer lets the note go; Ctrl+Z puts the A back.
TEST_F(NoteCommandScenario, EnharmonicFromTheNoteMenuRespellsTheNoteAndUndoTakesItBack) {
    EnteredHead head;
    ASSERT_TRUE(EnterNote(&head));
    const int space = head.lines[2] - head.lines[1];
    const auto accidentalInk = [&] {
        const ScreenPicture box = x_.Grab(head.x - 3 * space, head.lines[0], 2 * space, head.lines[4] - head.lines[0]);
        int64_t dark = 0;
        for (uint32_t p : box.pixels) dark += IsDarkPixel(p);
        return dark;
    };
    const int64_t before = accidentalInk();
    x_.MovePointer(head.x + 30, head.space + 20);
    x_.Settle(Millis{300});
    x_.MovePointer(head.x, head.space);
    x_.Settle(Millis{500});
    x_.Click(head.x, head.space, 3);
    ASSERT_TRUE(WaitFor([&] { return !x_.Popups().empty(); }, Millis{5000})) << "no menu on the note";
    x_.Settle(Millis{500});
    x_.PressKey("a");
    x_.Settle(Millis{500});
    x_.PressKey("e");
    EXPECT_TRUE(WaitFor([&] { return x_.Popups().empty(); }, Millis{5000})) << "the menu stayed open";
    x_.Settle(Millis{500});
    x_.Click(head.main.x + 1 + 5 * kPaletteCell + 18, head.main.y + 1 + 18);  // the Pointer lets the note go
    x_.Settle(Millis{800});
    int64_t respelled = before;
    EXPECT_TRUE(WaitFor([&] { return (respelled = accidentalInk()) > before + 12; }, kRedrawTimeout))
        << "no accidental came before the head: " << respelled << " against " << before;
    EXPECT_TRUE(WaitFor([&] { return DarkAround(head.x, head.space) < head.shown / 2; }, kRedrawTimeout))
        << "the head stayed in its space";
    if (HasFailure()) WritePng(Screen(), TestOutputFolder() / "note_command_enharmonic_desktop.png");
    PressInFrame("ctrl+z");
    int64_t back = 0;
    EXPECT_TRUE(WaitFor([&] { return (back = accidentalInk()) <= before + 4; }, kRedrawTimeout))
        << "Ctrl+Z left the accidental: " << back << " against " << before;
    EXPECT_TRUE(WaitFor([&] { return DarkAround(head.x, head.space) >= head.shown * 3 / 4; }, kRedrawTimeout))
        << "Ctrl+Z did not bring the head back to its space";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
