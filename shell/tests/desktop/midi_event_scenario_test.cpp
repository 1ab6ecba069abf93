// The MIDI event object on the desktop: Performance on the Main palette opens its
// palette, the "MIDI Event" button is pressed and the page clicked; the "MIDI Event"
// dialog comes up, Enable MIDI is switched off and the dialog confirmed: the
// object's symbol appears where the page was clicked, and Undo takes it away.
#include <algorithm>
#include <optional>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

constexpr int kCell = 37;                      // a 36-pixel button and its one-pixel gap
constexpr uint32_t kPressedColour = 0x1C5CA8;  // the pressed button's background
constexpr int kPerformanceButton = 4;          // on the Main palette
constexpr int kPerformanceColumns = 4;
constexpr int kMidiEventEntry = 3;

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

int ChangedPixels(const ScreenPicture& before, const ScreenPicture& after, int left, int top,
                  int right, int bottom) {
    int count = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, before.height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, before.width); ++x)
            count += before.At(x, y) != after.At(x, y);
    return count;
}

class MidiEventScenario : public DesktopScenario {
  protected:
    ScreenPicture Screen() const { return x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight()); }
};

TEST_F(MidiEventScenario, TheMidiEventButtonPlacesAnObjectThatUndoTakesAway) {
    WriteSettings("[ToolbarSettings]\nSYTool=760,420,4,2\nNTool=760,220,4,4\n");
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<ShownWindow> main = WindowTitled(x_, "Main");
    ASSERT_TRUE(main);
    x_.Settle(Millis{800});
    x_.Click(main->x + 1 + kPerformanceButton * kCell + 18, main->y + 1 + 18);
    x_.Settle(Millis{800});
    const std::optional<ShownWindow> performance = WindowTitled(x_, "Performance");
    ASSERT_TRUE(performance) << "Performance did not open its palette";
    x_.Settle(Millis{500});
    const std::optional<std::pair<int, int>> first = PressedCell(x_.Grab(*performance));
    ASSERT_TRUE(first) << "no pressed button on the Performance palette";
    x_.Click(performance->x + first->first + kMidiEventEntry % kPerformanceColumns * kCell + 18,
             performance->y + first->second + kMidiEventEntry / kPerformanceColumns * kCell + 18);
    x_.Settle(Millis{500});

    const ScreenPicture before = Screen();
    const int left = Frame().x + 120;
    int right = x_.ScreenWidth();
    for (const ShownWindow& w : x_.Windows())
        if (w.title == "Main" || w.title == "Notes" || w.title == "Performance")
            right = std::min(right, w.x);
    right -= 80;
    const std::vector<int> lines =
        before.LongDarkLines(left, 40, right, x_.ScreenHeight() - 100, 0.95);
    ASSERT_GE(lines.size(), 10u) << "no staff lines beside the palettes";
    const int x = left + (right - left) / 2;
    const int y = lines[5] - 3 * (lines[6] - lines[5]);  // above the second staff
    x_.MovePointer(x, y);
    x_.Settle(Millis{300});
    x_.Click(x, y);
    ASSERT_TRUE(x_.WaitForWindow("MIDI Event")) << "the MIDI Event dialog did not come up";
    x_.Settle(Millis{500});
    x_.PressKey("space");  // Enable MIDI, the first control, off
    x_.Settle(Millis{200});
    x_.PressKey("Return");
    x_.Settle(Millis{1000});
    x_.MovePointer(x, x_.ScreenHeight() - 20);
    x_.Settle(Millis{800});
    const ScreenPicture placed = Screen();
    WritePng(placed, TestOutputFolder() / "midi_event_desktop.png");
    const int top = lines[0] - 120;
    const int bottom = lines[9] + 40;
    EXPECT_GT(ChangedPixels(before, placed, x - 80, top, x + 80, bottom), 15)
        << "no MIDI event appeared where the page was clicked";

    // A click on the empty page lets go of the object; Undo takes it away.
    x_.MovePointer(x, x_.ScreenHeight() - 150);
    x_.Settle(Millis{300});
    x_.Click(x, x_.ScreenHeight() - 150);
    x_.Settle(Millis{500});
    PressInFrame("ctrl+z");
    x_.MovePointer(x, x_.ScreenHeight() - 20);
    x_.Settle(Millis{1000});
    const ScreenPicture undone = Screen();
    WritePng(undone, TestOutputFolder() / "midi_event_undone_desktop.png");
    EXPECT_LE(ChangedPixels(before, undone, x - 80, top, x + 80, bottom), 4)
        << "Undo left the MIDI event";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
