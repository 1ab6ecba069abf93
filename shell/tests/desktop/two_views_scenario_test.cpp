// Two windows of one score (Window > Open View, then Tile Horizontally, Shift+F4):
// a note entered in the upper window shows in the lower one at once, without a
// scroll; a marquee drawn around it in the upper window is that window's selection:
// it goes when Go to Next View (Ctrl+F6) makes the lower window the one worked in,
// and Edit > Clear there deletes nothing.
#include <cstdlib>
#include <optional>
#include <vector>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

constexpr int kPointerOnMain = 5;  // the Pointer: the Main palette's sixth button

class TwoViewsScenario : public MusicBesidePalettes {
  protected:
    // The first staff below `top` in the music's columns: five long dark rows one
    // line spacing apart (a window's title bar is a long dark row too).
    std::optional<std::vector<int>> StaffBelow(const ScreenPicture& picture, int top) const {
        const std::vector<int> lines =
            picture.LongDarkLines(MusicLeft(), top, MusicRight(), x_.ScreenHeight() - 100, 0.9);
        for (size_t i = 0; i + 4 < lines.size(); ++i) {
            const int spacing = lines[i + 1] - lines[i];
            bool even = spacing > 3 && spacing < 40;
            for (size_t k = 1; k < 4 && even; ++k) even = std::abs(lines[i + k + 1] - lines[i + k] - spacing) <= 1;
            if (even) return std::vector<int>(lines.begin() + static_cast<long>(i), lines.begin() + static_cast<long>(i) + 5);
        }
        return std::nullopt;
    }
    // Dark pixels around a staff in the columns left..right.
    int64_t InkAround(int left, int right, const std::vector<int>& lines) const {
        const ScreenPicture strip = x_.Grab(left, lines.front() - 30, right - left, lines.back() - lines.front() + 60);
        return strip.DarkPixels(0, 0, strip.width, strip.height);
    }
};

TEST_F(TwoViewsScenario, EachWindowShowsEveryEditAndKeepsItsOwnSelection) {
    const std::optional<ShownWindow> main = NewScoreWithNotesTool();
    ASSERT_TRUE(main.has_value());
    ChooseMenuItem('w', 'o');  // Window > Open View
    x_.Settle(Millis{800});
    PressInFrame("shift+F4");  // Tile Horizontally: the two windows one above the other
    x_.Settle(Millis{800});
    ParkPointer(*main);
    const ScreenPicture tiled = SettledScreen();
    const ShownWindow frame = Frame();
    const int middle = (BarsBottom() + frame.y + frame.height) / 2;
    const std::optional<std::vector<int>> upper = StaffBelow(tiled, BarsBottom());
    const std::optional<std::vector<int>> lower = StaffBelow(tiled, middle);
    ASSERT_TRUE(upper && lower) << "two staves, one in each window";
    ASSERT_LT(upper->back(), middle) << "the upper window's staff";
    const int left = MusicLeft() + 60;
    const int right = MusicRight();
    const int lowerBefore = static_cast<int>(InkAround(left, right, *lower));

    // A note in the upper window, in the middle of its staff.
    const int noteX = (left + right) / 2;
    const int space = ((*upper)[2] + (*upper)[3]) / 2;
    x_.MovePointer(noteX, space - 6);
    x_.Settle(Millis{300});
    x_.Click(noteX, space);
    x_.Settle(Millis{300});
    ParkPointer(*main);
    int64_t lowerInk = lowerBefore;
    EXPECT_TRUE(WaitFor([&] { return (lowerInk = InkAround(left, right, *lower)) > lowerBefore + 20; },
                        kRedrawTimeout))
        << "the note did not show in the lower window: " << lowerInk << " dark pixels, " << lowerBefore << " before";
    if (HasFailure()) WritePng(Screen(), TestOutputFolder() / "two_views_note.png");
    const int64_t upperWithNote = InkAround(left, right, *upper);
    lowerInk = InkAround(left, right, *lower);

    // A marquee around the upper window's first system, the lower window made the
    // one worked in, Edit > Clear there: the music stays in both.
    const auto [px, py] = RowButton(*main, kPointerOnMain);
    x_.Click(px, py);
    x_.Settle(Millis{500});
    x_.Drag(left, upper->front() - 40, right, upper->back() + 40);
    x_.Settle(Millis{500});
    ASSERT_GT(InkAround(left, right, *upper), upperWithNote + 5000) << "no marquee shows in the upper window";
    PressInFrame("ctrl+F6");  // Go to Next View
    x_.Settle(Millis{800});
    // The marquee was the upper window's: it goes when the lower one is worked in.
    int64_t upperInk = 0;
    EXPECT_TRUE(WaitFor([&] { return (upperInk = InkAround(left, right, *upper)) < upperWithNote + 2000; },
                        kRedrawTimeout))
        << "the marquee still shows in the upper window: " << upperInk << " dark pixels, " << upperWithNote
        << " without it";
    // Edit > Clear with the pointer resting on empty paper of the lower window.
    x_.MovePointer(left, lower->back() + 120);
    x_.Settle(Millis{300});
    ASSERT_TRUE(OpenFrameMenu('e', Pointer::kStays));
    x_.PressKey("l");
    CloseMenus();
    x_.Settle(Millis{800});
    ParkPointer(*main);
    SettledScreen();
    EXPECT_GE(InkAround(left, right, *lower), lowerInk - 20) << "music was cleared in the lower window";
    EXPECT_GE(InkAround(left, right, *upper), upperWithNote - 40) << "music went from the upper window";
    if (HasFailure()) WritePng(Screen(), TestOutputFolder() / "two_views_clear.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
