// A palette hidden by a right click comes back: View > Bring Back Palettes shows it
// where it stood, and it stays after one of its buttons is pressed (it is no
// pop-up any more).
#include <optional>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

constexpr int kRitardandoButton = 6;  // second row of the four-column Performance palette
constexpr int kPerformanceColumns = 4;

class HiddenPaletteScenario : public MusicBesidePalettes {};

TEST_F(HiddenPaletteScenario, BringBackPalettesShowsAPaletteARightClickHid) {
    ASSERT_TRUE(NewScoreWithMain());
    const std::optional<ShownWindow> before = Titled("Performance");
    ASSERT_TRUE(before) << "no Performance palette";
    const int x = before->x + 1 + kPaletteButtonMiddle, y = before->y + 1 + kPaletteButtonMiddle;
    x_.MovePointer(x, y);
    x_.Settle(Millis{300});
    x_.Click(x, y, 3);
    ASSERT_TRUE(WaitFor([&] { return !Titled("Performance").has_value(); }, Millis{5000}))
        << "the right click left the palette showing";

    ChooseMenuItem('v', 'k');  // Bring Back Palettes
    ASSERT_TRUE(WaitFor([&] { return Titled("Performance").has_value(); }, Millis{5000}))
        << "Bring Back Palettes did not bring the palette back";
    x_.Settle(Millis{500});
    const ShownWindow back = *Titled("Performance");
    EXPECT_EQ(back.x, before->x);
    EXPECT_EQ(back.y, before->y);

    // A button pressed on it: the palette stays.
    const int bx = back.x + 1 + (kRitardandoButton % kPerformanceColumns) * kPaletteCell + kPaletteButtonMiddle;
    const int by = back.y + 1 + (kRitardandoButton / kPerformanceColumns) * kPaletteCell + kPaletteButtonMiddle;
    x_.Click(bx, by);
    x_.Settle(Millis{1000});
    EXPECT_TRUE(Titled("Performance").has_value()) << "the palette hid itself again after a choice";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
