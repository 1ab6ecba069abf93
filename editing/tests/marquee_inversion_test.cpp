// The marquee's inversion: the strips of a move are exactly the symmetric
// difference, the pixels inverted are exactly what the marquee records, any
// sequence of draws, moves and erases gives the image back, a paint keeps it, and
// the redraw region of a tiny marquee is found.
#include "editing/tests/marquee_fixture.h"

#include <random>

#include "core/draw/draw_surface.h"
#include "core/state.h"
#include "display/painter.h"
#include "editing/feedback.h"
#include "editing/marquee.h"
#include "editing/selection.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"

namespace ql::testing_editing {
namespace {

using win::Key;

constexpr int kGrid = 24;

// How often each cell of a small grid is covered by the strips of a move.
std::vector<int> Coverage(const gfx::Rect& from, const gfx::Rect& to) {
    gfx::Rect strips[8];
    const int n = MarqueeInversionStrips(from, to, strips);
    std::vector<int> count(kGrid * kGrid, 0);
    for (int i = 0; i < n; ++i)
        for (int y = strips[i].top; y < strips[i].bottom; ++y)
            for (int x = strips[i].left; x < strips[i].right; ++x) ++count[y * kGrid + x];
    return count;
}

// Overlapping moves: each cell of the symmetric difference once, nothing else;
// disjoint ones: both rectangles whole.
TEST(MarqueeStrips, CoverExactlyTheSymmetricDifference) {
    std::mt19937 random(44);
    std::uniform_int_distribution<int> at(0, kGrid);
    for (int round = 0; round < 2000; ++round) {
        auto rect = [&] { return gfx::Normalised(gfx::Rect{at(random), at(random), at(random), at(random)}); };
        const gfx::Rect from = rect(), to = rect();
        const std::vector<int> count = Coverage(from, to);
        const bool overlap = !gfx::Intersect(from, to).IsEmpty();
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x) {
                const bool a = from.Contains({x, y}), b = to.Contains({x, y});
                const int expected = overlap ? (a != b ? 1 : 0) : (a ? 1 : 0) + (b ? 1 : 0);
                ASSERT_EQ(count[y * kGrid + x], expected) << "round " << round << " at " << x << "," << y;
            }
    }
}

// A one-pixel move of a large rectangle takes two thin strips on each axis.
TEST(MarqueeStrips, OneUnitMoveTouchesOnlyTheEdges) {
    gfx::Rect strips[8];
    ASSERT_EQ(MarqueeInversionStrips({0, 0, 100, 100}, {1, 0, 101, 100}, strips), 2);
    EXPECT_EQ(strips[0], (gfx::Rect{0, 0, 1, 100}));
    EXPECT_EQ(strips[1], (gfx::Rect{100, 0, 101, 100}));
}

class MarqueeInversion : public MarqueeTest {
  protected:
    void PaintWindow() {
        win::InvalidateRect(window_, nullptr, true);
        PaintScoreWindow(view_);
    }
};

// The pixels inverted are those of the recorded rectangle, on the screen of the
// window: an overlapping move changes exactly the symmetric difference, a disjoint
// one both rectangles.
TEST_F(MarqueeInversion, UpdatesInvertExactlyWhatChanges) {
    BeginViewDraw(view_);
    gfx::Rect inverted{};
    const gfx::Rect a{originX_, originY_, originX_ + 800, originY_ + 640};
    const gfx::Rect b{originX_ + 160, originY_ + 80, originX_ + 960, originY_ + 720};
    const gfx::Rect c{originX_ + 1200, originY_ + 800, originX_ + 1600, originY_ + 1040};
    const std::vector<uint32_t> blank = Pixels();
    UpdateInvertedMarquee(view_, a, &inverted);
    EXPECT_EQ(inverted, DeviceRect(a));
    EXPECT_EQ(ChangedPoints(blank).size(), static_cast<size_t>(inverted.Width() * inverted.Height()));
    const std::vector<uint32_t> showingA = Pixels();
    UpdateInvertedMarquee(view_, b, &inverted);
    const gfx::Rect da = DeviceRect(a), db = DeviceRect(b);
    const std::vector<gfx::Point> moved = ChangedPoints(showingA);
    for (const gfx::Point& p : moved) EXPECT_NE(da.Contains(p), db.Contains(p));
    const size_t common = static_cast<size_t>(gfx::Intersect(da, db).Width() * gfx::Intersect(da, db).Height());
    EXPECT_EQ(moved.size(), static_cast<size_t>(da.Width() * da.Height() + db.Width() * db.Height()) - 2 * common);
    const std::vector<uint32_t> showingB = Pixels();
    UpdateInvertedMarquee(view_, c, &inverted);
    const gfx::Rect dc = DeviceRect(c);
    EXPECT_EQ(ChangedPoints(showingB).size(), static_cast<size_t>(db.Width() * db.Height() + dc.Width() * dc.Height()));
    EndViewDraw(view_);
}

// Any sequence of drawing, corner drags, moves, key moves and erases: after each
// step the screen differs from the image before exactly on the recorded inverted
// rectangle, and the last erase gives the image back.
TEST_F(MarqueeInversion, AnySequenceGivesTheImageBack) {
    PaintWindow();
    const std::vector<uint32_t> before = Pixels();
    std::mt19937 random(2026);
    std::uniform_int_distribution<int> step(-40, 40);
    std::uniform_int_distribution<int> kind(0, 4);
    DrawMarquee(originX_, originY_, originX_ + 800, originY_ + 640);
    int round = 0;
    for (; round < 60 && CurrentMarquee() != nullptr; ++round) {
        const gfx::Rect r = CurrentMarqueeRect();
        const int32_t dx = step(random) * 8, dy = step(random) * 8;
        switch (kind(random)) {
            case 0:  // the bottom-right corner
                PointerDrag(r.right - 8, r.bottom - 8, r.right - 8 + dx, r.bottom - 8 + dy, 3);
                break;
            case 1:  // the whole
                PointerDrag((r.left + r.right) / 2, (r.top + r.bottom) / 2, (r.left + r.right) / 2 + dx,
                            (r.top + r.bottom) / 2 + dy, 3);
                break;
            case 2:
                HoldKey(Key::Control, true);
                PointerKey(dx < 0 ? Key::Left : Key::Down);
                HoldKey(Key::Control, false);
                break;
            case 3:  // erase and draw again
                SetupFeedbackState(view_);
                HideFocusFeedback(view_);
                ShowFocusFeedback(view_);
                break;
            default:  // a paint of the window in between
                PaintWindow();
                break;
        }
        const gfx::Rect inverted = State().marquee.inverted;
        const std::vector<gfx::Point> changed = ChangedPoints(before);
        ASSERT_EQ(changed.size(), static_cast<size_t>(inverted.IsEmpty() ? 0 : inverted.Width() * inverted.Height()))
            << "round " << round;
        for (const gfx::Point& p : changed) ASSERT_TRUE(inverted.Contains(p)) << "round " << round;
    }
    EXPECT_GE(round, 30) << "the marquee lived through most of the sequence";
    UnfocusElement(view_);
    ForgetMarquee(view_);
    EXPECT_TRUE(ChangedPoints(before).empty());
}

// A paint of the window keeps the marquee: it is erased first and drawn again after.
TEST_F(MarqueeInversion, PaintKeepsTheMarquee) {
    PaintWindow();
    const std::vector<uint32_t> page = Pixels();
    DrawMarquee(originX_, originY_, originX_ + 800, originY_ + 640);
    const std::vector<uint32_t> shown = Pixels();
    ASSERT_FALSE(ChangedPoints(page).empty());
    PaintWindow();
    EXPECT_TRUE(ChangedPoints(shown).empty());
    UnfocusElement(view_);
    EXPECT_TRUE(ChangedPoints(page).empty());
}

// The redraw region grows from any size, 0 x 0 and 1 x 1 included, and stops at
// the 16-bit limits.
TEST(MarqueeRedrawArea, EndsForTinyMarqueesAndStaysInRange) {
    for (const gfx::Rect& r : {gfx::Rect{100, 100, 100, 100}, gfx::Rect{100, 100, 101, 101},
                               gfx::Rect{-30720, -30720, -30720, -30720}, gfx::Rect{32760, 32760, 32767, 32767}}) {
        const gfx::Rect area = MarqueeRedrawArea(r);
        EXPECT_GE(area.Width(), 2048);
        EXPECT_GE(area.Height(), 2048);
        EXPECT_GE(area.left, -32767);
        EXPECT_LE(area.right, 32767);
        EXPECT_LE(area.left, r.left);
        EXPECT_GE(area.bottom, r.bottom);
    }
    // From 128 up the growth is half the width and half the height each round.
    EXPECT_EQ(MarqueeRedrawArea({0, 0, 1024, 1024}), (gfx::Rect{-512, -512, 1536, 1536}));
}

}  // namespace
}  // namespace ql::testing_editing
