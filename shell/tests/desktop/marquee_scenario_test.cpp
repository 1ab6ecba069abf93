// The Pointer tool on the desktop: a drag over empty paper of a new score draws the
// marquee (its rectangle shows inverted), and a click elsewhere dismisses it and
// leaves the page as it was. Judged from pictures of the frame's score area. Over
// the marquee the pointer shows the marquee's cursor, and over a palette the arrow
// again; over a score window that has given the keyboard to another window (a
// mixer's fader) the arrow too, until a click gives the score the keyboard back.
#include <algorithm>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/mixer_places.h"
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
    // The cursor shown once the pointer has moved to (x, y) and a pixel on.
    CursorPicture CursorAt(int x, int y) {
        x_.MovePointer(x, y);
        x_.Settle(Millis{100});
        x_.MovePointer(x + 1, y + 1);
        x_.Settle(Millis{100});
        return x_.Cursor();
    }
    int AreaTop() const { return BarsBottom(); }
    ScreenPicture ScoreArea() const {
        const ShownWindow frame = Frame();
        const int bottom = std::min(frame.y + frame.height, x_.ScreenHeight()) - kBelowScoreArea;
        return x_.Grab(frame.x, AreaTop(), frame.width - kScrollBarWidth, bottom - AreaTop());
    }
    ScreenPicture SettledScoreArea() const {
        return SettledPicture(x_, [this] { return ScoreArea(); }, kRedrawTimeout);
    }
    // A marquee dragged over the lower half of a block of empty paper; the screen
    // point at its middle, or empty when the score area has no such block.
    std::optional<std::pair<int, int>> DrawMarqueeOnQuietPaper() {
        x_.PointAt(Frame());
        const std::optional<std::pair<int, int>> quiet = QuietBlock(SettledScoreArea());
        if (!quiet) return std::nullopt;
        const int x0 = Frame().x + quiet->first;
        const int y0 = AreaTop() + quiet->second + kDragHeight;
        x_.Drag(x0, y0, x0 + kDragWidth, y0 + kDragHeight);
        x_.Settle(Millis{500});
        return std::make_pair(x0 + kDragWidth / 2, y0 + kDragHeight / 2);
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

    const std::optional<std::pair<int, int>> inside = DrawMarqueeOnQuietPaper();
    ASSERT_TRUE(inside) << "no empty paper in the score area";
    const int insideX = inside->first;
    const int insideY = inside->second;
    CursorPicture marquee;
    auto hoverMarquee = [&] {
        marquee = CursorAt(insideX, insideY);
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

// A mixer's fader takes the keyboard: over the marquee the pointer shows the arrow,
// as the score window does not have the keyboard; a click into the marquee gives
// it back, and with it the marquee's cursor.
TEST_F(MarqueeScenario, AScoreWithoutTheKeyboardShowsTheArrow) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    const std::optional<ShownWindow> notes = x_.WindowTitled("Notes");
    ASSERT_TRUE(notes);
    const CursorPicture arrow = CursorAt(notes->x + notes->width / 2, notes->y + notes->height / 2);
    ASSERT_FALSE(arrow.pixels.empty()) << "the display shows no cursor";
    ChooseMenuItem('m', 'x');
    const std::optional<MixerPlaces> mixer = WaitForMixerPlaces(x_);
    ASSERT_TRUE(mixer) << "no mixer came";

    // The marquee on empty paper beside the mixer.
    const std::optional<std::pair<int, int>> inside = DrawMarqueeOnQuietPaper();
    ASSERT_TRUE(inside) << "no empty paper in the score area";
    const int insideX = inside->first;
    const int insideY = inside->second;
    CursorPicture marquee;
    ASSERT_TRUE(WaitFor([&] { return (marquee = CursorAt(insideX, insideY)) != arrow; }, kRedrawTimeout))
        << "the marquee shows no cursor of its own";

    x_.Click(mixer->FaderMiddle(1), (mixer->TrackTop() + mixer->TrackBottom()) / 2);
    x_.Settle(Millis{500});
    EXPECT_TRUE(WaitFor([&] { return CursorAt(insideX, insideY) == arrow; }, kRedrawTimeout))
        << "the marquee's cursor showed over a score without the keyboard";

    x_.Click(insideX, insideY);
    x_.Settle(Millis{500});
    EXPECT_TRUE(WaitFor([&] { return CursorAt(insideX + 2, insideY) == marquee; }, kRedrawTimeout))
        << "the click did not give the score the keyboard back";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
