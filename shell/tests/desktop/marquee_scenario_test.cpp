// The Pointer tool on the desktop: a drag over empty paper of a new score draws the
// marquee (its rectangle shows inverted), and a click elsewhere dismisses it and
// leaves the page as it was. Judged from pictures of the frame's score area. Over
// the marquee the pointer shows the marquee's cursor, and over a palette the arrow
// again.
#include <algorithm>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/scene_pictures.h"

namespace ql::desktop {
namespace {

// The scroll bar and the status bar below the score area.
constexpr int kBelowScoreArea = 60;
constexpr int kScrollBarWidth = 20;
// The marquee's drag and a quiet place for it: light pixels only.
constexpr int kDragWidth = 200;
constexpr int kDragHeight = 120;
constexpr int kSearchStep = 20;
constexpr uint32_t kLight = 0xC0;
// An inverted 200 x 120 rectangle changes far more pixels than this.
constexpr int64_t kShownPixels = 10000;

bool IsLight(uint32_t p) {
    return ((p >> 16) & 0xFF) >= kLight && ((p >> 8) & 0xFF) >= kLight && (p & 0xFF) >= kLight;
}

// The top-left corner of a block of light pixels (no ink: empty paper) twice the
// drag's height, searched from the bottom of the picture up; empty when none.
std::optional<std::pair<int, int>> QuietBlock(const ScreenPicture& picture) {
    constexpr int kBlockHeight = 2 * kDragHeight;
    for (int top = picture.height - kBlockHeight - kSearchStep; top >= 0; top -= kSearchStep)
        for (int left = kSearchStep; left + kDragWidth + kSearchStep < picture.width; left += kSearchStep) {
            bool quiet = true;
            for (int y = top; y < top + kBlockHeight && quiet; ++y)
                for (int x = left; x < left + kDragWidth && quiet; ++x) quiet = IsLight(picture.At(x, y));
            if (quiet) return std::make_pair(left, top);
        }
    return std::nullopt;
}

class MarqueeScenario : public DesktopScenario {
protected:
    int AreaTop() const { return BarsBottom(); }
    ScreenPicture ScoreArea() const {
        const ShownWindow frame = Frame();
        const int bottom = std::min(frame.y + frame.height, x_.ScreenHeight()) - kBelowScoreArea;
        return x_.Grab(frame.x, AreaTop(), frame.width - kScrollBarWidth, bottom - AreaTop());
    }
    ScreenPicture SettledScoreArea() const {
        return SettledPicture(x_, [this] { return ScoreArea(); }, kRedrawTimeout);
    }
};

TEST_F(MarqueeScenario, DragDrawsAMarqueeAndAClickDismissesIt) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    x_.PointAt(Frame());
    const ScreenPicture before = SettledScoreArea();
    const std::optional<std::pair<int, int>> quiet = QuietBlock(before);
    ASSERT_TRUE(quiet) << "no empty paper in the score area";
    // The marquee in the block's lower half; the click that lets it go in the upper.
    const int x0 = Frame().x + quiet->first;
    const int y0 = AreaTop() + quiet->second + kDragHeight;
    x_.Drag(x0, y0, x0 + kDragWidth, y0 + kDragHeight);
    int64_t shown = 0;
    EXPECT_TRUE(WaitFor([&] { return (shown = DifferentPixels(ScoreArea(), before)) > kShownPixels; },
                        kRedrawTimeout))
        << "the drag shows no marquee: " << shown << " pixels changed";
    x_.Click(x0 + kDragWidth / 2, y0 - kDragHeight / 2);
    int64_t left = 0;
    EXPECT_TRUE(WaitFor([&] { return (left = DifferentPixels(SettledScoreArea(), before)) == 0; },
                        kRedrawTimeout))
        << left << " pixels still differ after the marquee went";
    if (HasFailure()) WritePicture(ScoreArea(), home_->Root() / "marquee.ppm");
    EXPECT_EQ(Quit(), 0);
}

// The cursor follows the window under the pointer: the marquee's own cursor over
// it, the palette's arrow over the Notes palette (not the marquee's left behind),
// the marquee's again back over it.
TEST_F(MarqueeScenario, ThePointerShowsTheCursorOfTheWindowUnderIt) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    const std::optional<ShownWindow> notes = x_.WindowTitled("Notes");
    ASSERT_TRUE(notes);
    const int paletteX = notes->x + notes->width / 2;
    const int paletteY = notes->y + notes->height / 2;
    x_.MovePointer(paletteX, paletteY);
    x_.Settle(Millis{300});
    x_.MovePointer(paletteX + 1, paletteY);
    x_.Settle(Millis{300});
    const CursorPicture arrow = x_.Cursor();
    ASSERT_FALSE(arrow.pixels.empty()) << "the display shows no cursor";

    x_.PointAt(Frame());
    const std::optional<std::pair<int, int>> quiet = QuietBlock(SettledScoreArea());
    ASSERT_TRUE(quiet) << "no empty paper in the score area";
    const int x0 = Frame().x + quiet->first;
    const int y0 = AreaTop() + quiet->second + kDragHeight;
    x_.Drag(x0, y0, x0 + kDragWidth, y0 + kDragHeight);
    x_.Settle(Millis{500});
    const int insideX = x0 + kDragWidth / 2;
    const int insideY = y0 + kDragHeight / 2;
    CursorPicture marquee;
    auto hoverMarquee = [&] {
        x_.MovePointer(insideX, insideY);
        x_.Settle(Millis{100});
        x_.MovePointer(insideX + 1, insideY + 1);
        x_.Settle(Millis{100});
        marquee = x_.Cursor();
        return marquee != arrow;
    };
    ASSERT_TRUE(WaitFor(hoverMarquee, kRedrawTimeout)) << "the marquee shows no cursor of its own";
    const CursorPicture shown = marquee;

    x_.MovePointer(paletteX, paletteY);
    x_.Settle(Millis{100});
    x_.MovePointer(paletteX + 1, paletteY);
    EXPECT_TRUE(WaitFor([&] { return x_.Cursor() == arrow; }, kRedrawTimeout))
        << "the marquee's cursor stayed over the palette";
    EXPECT_TRUE(WaitFor([&] { return hoverMarquee() && marquee == shown; }, kRedrawTimeout))
        << "back over the marquee its cursor did not come back";
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
