// The log of places taken off the paper: overlapping glyph boxes are cut into pieces
// that cover the same area with no pixel twice (a pixel drawn twice darkens its soft
// edges), the reach spans every noted place, and a nested log takes the notes only
// while it is open.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/state.h"
#include "notes/drawing/paper_boxes.h"

namespace ql {
namespace {

constexpr int kGrid = 40;

// How many times each cell of the grid is covered by the boxes.
std::vector<int> Coverage(const std::vector<gfx::Rect>& boxes) {
    std::vector<int> count(kGrid * kGrid, 0);
    for (const gfx::Rect& r : boxes)
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) ++count[y * kGrid + x];
    return count;
}

TEST(PaperBoxes, OverlappingBoxesAreCutIntoPiecesCoveringEachPixelOnce) {
    ResetProgramState();
    std::mt19937 random(17);
    std::uniform_int_distribution<int> corner(0, kGrid - 1);
    for (int round = 0; round < 50; ++round) {
        const PaperBoxLog log;
        std::vector<gfx::Rect> boxes;
        for (int i = 0; i < 6; ++i) {
            const int a = corner(random), b = corner(random), c = corner(random), d = corner(random);
            boxes.push_back(gfx::Rect{std::min(a, b), std::min(c, d), std::max(a, b) + 1, std::max(c, d) + 1});
            NotePaperFilled(boxes.back());
        }
        const std::vector<int> wanted = Coverage(boxes);
        const std::vector<int> got = Coverage(log.DisjointFilledBoxes());
        for (size_t i = 0; i < wanted.size(); ++i) {
            ASSERT_EQ(got[i], wanted[i] > 0 ? 1 : 0) << "round " << round << ", cell " << i;
        }
    }
}

TEST(PaperBoxes, TheReachSpansFilledAndReachedPlacesOfTheOpenLogOnly) {
    ResetProgramState();
    NotePaperFilled(gfx::Rect{0, 0, 5, 5});  // no log open: nothing happens
    const PaperBoxLog outer;
    EXPECT_TRUE(outer.IsEmpty());
    NotePaperFilled(gfx::Rect{10, 0, 20, 5});
    {
        const PaperBoxLog inner;
        NotePaperReached(gfx::Rect{-30, 2, 90, 4});  // a tie's curve
        EXPECT_EQ(inner.ReachLeft(), -30);
        EXPECT_EQ(inner.ReachRight(), 90);
        EXPECT_TRUE(inner.DisjointFilledBoxes().empty()) << "a curve's box is not wholly paper";
    }
    NotePaperReached(gfx::Rect{15, 0, 40, 3});
    NotePaperFilled(gfx::Rect{50, 50, 50, 60});  // empty: not noted
    EXPECT_EQ(outer.ReachLeft(), 10);
    EXPECT_EQ(outer.ReachRight(), 40);
    EXPECT_EQ(outer.DisjointFilledBoxes().size(), 1u);
}

}  // namespace
}  // namespace ql
