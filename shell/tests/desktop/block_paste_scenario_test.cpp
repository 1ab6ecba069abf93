// Block copy and paste on the desktop: a note entered with the Notes tool, a marquee
// drawn around it with the Pointer, Ctrl+C, a click in the first measure and Ctrl+V
// with the pointer there put the measure's music into the first measure; one Undo
// takes the paste back. Judged from the ink between the first measure's staff lines.
#include <algorithm>
#include <optional>
#include <string_view>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {


class BlockPasteScenario : public MusicBesidePalettes {
  protected:
    // Columns dark over the whole height of the staff given by its five lines: its
    // barlines, left to right.
    std::vector<int> Barlines(const ScreenPicture& picture, int left, int right, const std::vector<int>& lines) const {
        std::vector<int> bars;
        for (int x = left; x < right; ++x) {
            bool dark = true;
            for (int y = lines[0]; y <= lines[4] && dark; ++y) dark = IsDarkPixel(picture.At(x, y));
            if (dark && (bars.empty() || x > bars.back() + 3)) bars.push_back(x);
        }
        return bars;
    }
    // Dark pixels between the staff's outer lines in the columns left..right.
    int64_t InkBetween(int left, int right, const std::vector<int>& lines) const {
        const ScreenPicture strip = x_.Grab(left, lines.front() - 30, right - left, lines.back() - lines.front() + 60);
        int64_t dark = 0;
        for (uint32_t p : strip.pixels) dark += IsDarkPixel(p);
        return dark;
    }
};

TEST_F(BlockPasteScenario, AMeasureCopiedWithTheMarqueePastesIntoTheFirstMeasureAndUndoTakesItBack) {
    ASSERT_TRUE(StartProgram().has_value());
    NewScore("1");
    ASSERT_TRUE(WaitFor([&] { return Titled("Main").has_value(); }));
    x_.Settle(Millis{800});
    const ShownWindow main = *Titled("Main");
    const int left = Frame().x + 120;
    const int right = MusicRight();
    const ScreenPicture empty = Screen();
    std::vector<int> lines = empty.LongDarkLines(left, 40, right, x_.ScreenHeight() - 100, 0.95);
    ASSERT_GE(lines.size(), 5u) << "no staff";
    lines.resize(5);  // the first staff

    // A note in the middle of the system with the Notes tool.
    x_.Click(main.x + 1 + kPaletteCell + 18, main.y + 1 + 18);
    x_.Settle(Millis{500});
    const int space = (lines[2] + lines[3]) / 2;
    const int noteX = left + (right - left) / 2;
    x_.MovePointer(noteX, space - 6);
    x_.Settle(Millis{300});
    x_.Click(noteX, space);
    x_.Settle(Millis{1000});
    // The note's measure lies between two barlines; the first measure before them.
    const std::vector<int> bars = Barlines(Screen(), left - 60, right, lines);
    const auto after = std::find_if(bars.begin(), bars.end(), [&](int x) { return x > noteX; });
    ASSERT_TRUE(after != bars.begin() && after != bars.end()) << "no barlines around the note";
    const int barBefore = *(after - 1);
    const int barAfter = *after;
    ASSERT_LT(left - 60, barBefore - 100) << "the note is not in the second measure";
    const int target = (left + barBefore) / 2;
    const int regionLeft = left - 30;
    const int regionRight = barBefore - 4;
    const int64_t withoutCopy = InkBetween(regionLeft, regionRight, lines);

    // The Pointer, a marquee around the note, Ctrl+C; a click in the first measure
    // lets the marquee go and puts the place there; Ctrl+V pastes.
    x_.Click(main.x + 1 + 5 * kPaletteCell + 18, main.y + 1 + 18);
    x_.Settle(Millis{500});
    x_.Drag(barAfter + 12, lines[0] - 40, barBefore + 6, lines.back() + 40);
    x_.Settle(Millis{500});
    PressInFrame("ctrl+c");
    x_.Settle(Millis{500});
    x_.MovePointer(target, space);
    x_.Settle(Millis{300});
    x_.Click(target, space);
    x_.Settle(Millis{800});
    const int64_t before = InkBetween(regionLeft, regionRight, lines);
    x_.MovePointer(target, space);  // the place follows the pointer
    x_.Settle(Millis{300});
    x_.PressKey("ctrl+v");
    int64_t pasted = before;
    EXPECT_TRUE(WaitFor([&] { return (pasted = InkBetween(regionLeft, regionRight, lines)) > before + 20; },
                        kRedrawTimeout))
        << "no music appeared in the first measure: " << pasted << " dark pixels, " << before << " before ("
        << withoutCopy << " before the copy)";
    if (HasFailure()) WritePng(Screen(), TestOutputFolder() / "block_paste_desktop.png");

    x_.Settle(Millis{500});
    PressInFrame("ctrl+z");
    int64_t undone = pasted;
    EXPECT_TRUE(WaitFor([&] { return (undone = InkBetween(regionLeft, regionRight, lines)) <= before + 5; },
                        kRedrawTimeout))
        << "Undo left the pasted music: " << undone << " dark pixels, " << before << " before";
    if (HasFailure()) WritePng(Screen(), TestOutputFolder() / "block_paste_undo_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
