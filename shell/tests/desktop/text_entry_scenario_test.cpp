// Typing a text line on the desktop: the Text & Symbols tool armed from the Main
// palette, a click on the page opens the entry window there, the typed text shows in
// it, Enter closes the entry and the line shows on the page, and Escape closes it
// leaving the page as it was. A letter typed after the caret was moved back with the
// arrow key goes in where the caret is.
#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

constexpr int kTextSymbolsButton = 3;
// Where a placed line's ink is looked for around the click: up from its baseline, down
// for descenders, and half its width to each side; the least ink of half a word.
constexpr int kTextRise = 40;
constexpr int kTextDrop = 12;
constexpr int kTextHalfWidth = 100;
constexpr int kLeastTextInk = 60;

class TextEntryScenario : public MusicBesidePalettes {
  protected:
    std::optional<ShownWindow> Again(unsigned long id) const {
        for (const ShownWindow& w : x_.Windows())
            if (w.id == id) return w;
        return std::nullopt;
    }
    // Clicks the page at (x, y) with the armed tool; the entry window that opens.
    std::optional<ShownWindow> OpenEntryAt(int x, int y) {
        const std::set<unsigned long> before = ShownWindowIds();
        x_.MovePointer(x, y);
        x_.Settle(Millis{300});
        x_.Click(x, y);
        x_.Settle(Millis{1000});
        return WindowCameSince(before);
    }
    void PointerAway() {
        x_.MovePointer(Frame().x + 20, x_.ScreenHeight() - 20);
        x_.Settle(Millis{800});
    }
    // The program on a new one-staff score with the Text & Symbols tool armed; false
    // (a failure recorded) when a step did not happen.
    bool ArmTextToolOnNewScore() {
        const std::optional<ShownWindow> main = NewScoreWithMain();
        if (!main) return false;
        const auto [bx, by] = RowButton(*main, kTextSymbolsButton);
        x_.Click(bx, by);
        x_.Settle(Millis{800});
        if (!x_.WindowTitled("Text & Symbols")) {
            ADD_FAILURE() << "Text & Symbols did not open its palette";
            return false;
        }
        PointerAway();
        return true;
    }
};

TEST_F(TextEntryScenario, TypedTextShowsInTheEntryEnterPlacesItAndEscapeDropsIt) {
    ASSERT_TRUE(ArmTextToolOnNewScore());
    const ScreenPicture before = Screen();
    const int left = Frame().x + 120;
    const int right = MusicRight();
    const std::vector<int> lines = before.LongDarkLines(left, 40, right, x_.ScreenHeight() - 100, 0.95);
    ASSERT_GE(lines.size(), 5u) << "no staff lines beside the palettes";
    const int y = lines[0] - 40;
    const int first = left + (right - left) / 4;

    // Typed text shows in the entry as it is typed (the entry grows with it); Enter
    // closes the entry.
    std::optional<ShownWindow> entry = OpenEntryAt(first, y);
    ASSERT_TRUE(entry) << "no entry window opened at the click";
    const ShownWindow opened = *entry;
    const ScreenPicture empty = x_.Grab(opened);
    x_.TypeText("Allegro");
    x_.Settle(Millis{800});
    entry = Again(opened.id);
    ASSERT_TRUE(entry) << "the entry closed while typing";
    const ScreenPicture typed = x_.Grab(*entry);
    WritePng(Screen(), TestOutputFolder() / "text_entry_typing_desktop.png");
    EXPECT_GT(typed.DarkPixels(0, 0, typed.width, typed.height),
              empty.DarkPixels(0, 0, empty.width, empty.height) + 40)
        << "the typed text does not show in the entry";
    EXPECT_GT(entry->width, opened.width) << "the entry did not grow with its text";
    x_.PressKey("Return");
    x_.Settle(Millis{1200});
    EXPECT_FALSE(Again(opened.id)) << "Enter did not close the entry";
    PointerAway();
    const ScreenPicture placed = Screen();
    WritePng(placed, TestOutputFolder() / "text_entry_placed_desktop.png");
    // The placed line stands on the page, centred on the click with its baseline there:
    // ink on both sides of the click that the page did not have before.
    const auto newInk = [&](int from, int to) {
        return placed.DarkPixels(from, y - kTextRise, to, y + kTextDrop) -
               before.DarkPixels(from, y - kTextRise, to, y + kTextDrop);
    };
    EXPECT_GT(newInk(first - kTextHalfWidth, first), kLeastTextInk) << "no text left of the click";
    EXPECT_GT(newInk(first, first + kTextHalfWidth), kLeastTextInk) << "no text right of the click";

    // Escape closes the entry and the page stays as it was. The placed line is still
    // held after Enter: a click where it stands puts it down there.
    x_.MovePointer(first, y);
    x_.Settle(Millis{300});
    x_.Click(first, y);
    x_.Settle(Millis{800});
    PointerAway();
    const ScreenPicture letGo = Screen();
    EXPECT_GT(letGo.DarkPixels(first - kTextHalfWidth, y - kTextRise, first + kTextHalfWidth, y + kTextDrop) -
                  before.DarkPixels(first - kTextHalfWidth, y - kTextRise, first + kTextHalfWidth, y + kTextDrop),
              2 * kLeastTextInk)
        << "the line did not stay where it was placed";
    // It stays chosen: the first click elsewhere lets it go, the next one makes a line.
    const int second = left + 3 * (right - left) / 4;
    x_.MovePointer(second, y);
    x_.Settle(Millis{300});
    x_.Click(second, y);
    x_.Settle(Millis{800});
    entry = OpenEntryAt(second, y);
    ASSERT_TRUE(entry) << "no entry window opened at the second click";
    const unsigned long cancelled = entry->id;
    x_.TypeText("gone");
    x_.Settle(Millis{600});
    x_.PressKey("Escape");
    x_.Settle(Millis{1200});
    EXPECT_FALSE(Again(cancelled)) << "Escape did not close the entry";
    PointerAway();
    const ScreenPicture after = Screen();
    EXPECT_EQ(after.DarkPixels(second - 150, y - 80, second + 150, lines[0] - 4),
              placed.DarkPixels(second - 150, y - 80, second + 150, lines[0] - 4))
        << "a cancelled entry left ink on the page";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

TEST_F(TextEntryScenario, ALetterTypedAfterTheCaretWasMovedGoesInAtTheCaret) {
    ASSERT_TRUE(ArmTextToolOnNewScore());
    const std::vector<int> lines = StaffLinesBesidePalettes(Screen());
    ASSERT_GE(lines.size(), 5u) << "no staff lines beside the palettes";
    const int x = MusicLeft() + (MusicRight() - MusicLeft()) / 3;
    const int y = lines[0] - 40;
    const std::optional<ShownWindow> entry = OpenEntryAt(x, y);
    ASSERT_TRUE(entry) << "no entry window opened at the click";
    x_.TypeText("ac");
    x_.Settle(Millis{400});
    x_.PressKey("Left");
    x_.Settle(Millis{400});
    x_.TypeText("b");
    x_.Settle(Millis{400});
    x_.PressKey("Return");
    x_.Settle(Millis{1200});
    EXPECT_FALSE(Again(entry->id)) << "Enter did not close the entry";
    // The score saved: the placed line reads as typed.
    PointerAway();
    WritePng(Screen(), TestOutputFolder() / "text_entry_caret_desktop.png");
    const std::filesystem::path saved = home_->Documents() / "caret.ql";
    ASSERT_TRUE(SaveScoreAs(saved));
    const std::string bytes = ReadFileBytes(saved);
    EXPECT_NE(bytes.find("abc"), std::string::npos) << "the line does not read abc";
    EXPECT_EQ(bytes.find("acb"), std::string::npos) << "b went in at the end, not at the caret";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
