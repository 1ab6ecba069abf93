// Note commands on the desktop: a note entered with the Notes tool, then a right
// click on its head opens the note's menu, whose Hide/Unhide > Head hides that head
// on the page; with the Pointer, a marquee over it and the H key show it again, and
// one Undo takes that back. Judged from pictures of the head.
#include <algorithm>
#include <optional>
#include <string_view>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

constexpr int kCell = 37;  // a 36-pixel button and its one-pixel gap
constexpr Millis kRedrawTimeout{8000};

bool IsDark(uint32_t p) {
    return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 0x80;
}

class NoteCommandScenario : public DesktopScenario {
  protected:
    ScreenPicture Screen() const { return x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight()); }
    std::optional<ShownWindow> Titled(std::string_view title) const {
        for (const ShownWindow& w : x_.Windows())
            if (w.title == title) return w;
        return std::nullopt;
    }
    // The right end of the music left of the palettes.
    int MusicRight() const {
        int right = x_.ScreenWidth();
        for (const ShownWindow& w : x_.Windows())
            for (std::string_view title : {"Main", "Notes", "Staff Tools", "Graphics", "Text & Symbols", "Performance"})
                if (w.title == title) right = std::min(right, w.x);
        return right - 80;
    }
    // Dark pixels in a small box around a point.
    int64_t DarkAround(int x, int y, int half = 3) const {
        const ScreenPicture box = x_.Grab(x - half, y - 1, 2 * half + 1, 3);
        int64_t dark = 0;
        for (uint32_t p : box.pixels) dark += IsDark(p);
        return dark;
    }
};

TEST_F(NoteCommandScenario, TheNoteMenuAndTheMarqueeKeyHideAndShowAHeadAndUndoTakesItBack) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    ASSERT_TRUE(WaitFor([&] { return Titled("Main").has_value(); }));
    x_.Settle(Millis{800});
    const ShownWindow main = *Titled("Main");
    const int left = Frame().x + 120;
    const int right = MusicRight();
    const ScreenPicture empty = Screen();
    const std::vector<int> lines = empty.LongDarkLines(left, 40, right, x_.ScreenHeight() - 100, 0.95);
    ASSERT_GE(lines.size(), 5u) << "no staff";

    // The Notes tool from the Main palette; a click in the space below the middle line
    // of the first staff enters a note in that measure.
    x_.Click(main.x + 1 + kCell + 18, main.y + 1 + 18);
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
        const bool ink = IsDark(entered.At(px, space)) && !IsDark(empty.At(px, space));
        if (ink && headLeft < 0) headLeft = px;
        if (headLeft >= 0 && !ink) {
            headRight = px;
            break;
        }
    }
    ASSERT_GE(headLeft, 0) << "no note entered";
    ASSERT_GT(headRight - headLeft, 4) << "no head found";
    const int headX = (headLeft + headRight) / 2;
    const int64_t shown = DarkAround(headX, space);
    ASSERT_GT(shown, 8);

    // The note's menu at the head: Hide/Unhide > Head.
    x_.MovePointer(headX + 30, space + 20);
    x_.Settle(Millis{300});
    x_.MovePointer(headX, space);
    x_.Settle(Millis{500});
    x_.Click(headX, space, 3);
    ASSERT_TRUE(WaitFor([&] { return !x_.Popups().empty(); }, Millis{5000})) << "no menu on the note";
    x_.Settle(Millis{500});
    x_.PressKey("h");
    x_.Settle(Millis{500});
    x_.PressKey("h");
    EXPECT_TRUE(WaitFor([&] { return x_.Popups().empty(); }, Millis{5000})) << "the menu stayed open";
    int64_t hidden = shown;
    EXPECT_TRUE(WaitFor([&] { return (hidden = DarkAround(headX, space)) < shown / 4; }, kRedrawTimeout))
        << "the head still shows: " << hidden << " of " << shown << " dark pixels";
    if (HasFailure()) WritePng(Screen(), TestOutputFolder() / "note_command_desktop.png");

    // With the Pointer, a marquee over the note and its H key (hide all) show the
    // head again, since one part of it is hidden; once the marquee is let go, one
    // Undo hides it again.
    x_.Click(main.x + 1 + 5 * kCell + 18, main.y + 1 + 18);
    x_.Settle(Millis{500});
    x_.Drag(headX + 40, lines[0] - 40, headX - 30, lines[4] + 40);
    x_.Settle(Millis{500});
    x_.PressKey("h");
    int64_t back = 0;
    EXPECT_TRUE(WaitFor([&] { return (back = DarkAround(headX, space)) >= shown * 3 / 4; }, kRedrawTimeout))
        << "the marquee's H did not show the head: " << back << " of " << shown;
    x_.Click(headX, lines[4] + 200);  // empty paper: the marquee goes
    x_.Settle(Millis{500});
    PressInFrame("ctrl+z");
    EXPECT_TRUE(WaitFor([&] { return (back = DarkAround(headX, space)) < shown / 4; }, kRedrawTimeout))
        << "one Undo did not hide the head again: " << back << " of " << shown;
    if (HasFailure()) WritePng(Screen(), TestOutputFolder() / "note_command_undo_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
