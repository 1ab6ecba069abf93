// The frame's layout geometry: the bar on each side, the status bar, the palette
// size switch and the readout's place.
#include "shell/program/frame_layout.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

FrameLayoutInput Frame800(DockSide dock) {
    FrameLayoutInput in;
    in.clientWidth = 800;
    in.clientHeight = 600;
    in.statusHeight = 20;
    in.barThickness = 30;
    in.border = 1;
    in.toolSize = kLargePaletteButton;
    in.dock = dock;
    return in;
}

TEST(FrameLayoutTest, BarAndClientForEachDockSide) {
    struct Row {
        DockSide dock;
        gfx::Rect bar;
        gfx::Rect client;
    };
    // Side bars are 36 + 2 borders + 1 = 39 wide; the usable height is 600 - 20.
    const Row rows[] = {
        {DockSide::Top, {0, 0, 800, 30}, {0, 33, 800, 580}},
        {DockSide::Left, {0, 30, 39, 580}, {39, 0, 800, 580}},
        // At the bottom the client keeps the top edge and loses the bar's thickness.
        {DockSide::Bottom, {0, 550, 800, 580}, {0, 0, 800, 550}},
        {DockSide::Right, {761, 30, 800, 580}, {0, 0, 770, 580}},
    };
    for (const Row& row : rows) {
        const FrameLayout layout = ComputeFrameLayout(Frame800(row.dock));
        EXPECT_EQ(layout.bar, row.bar) << static_cast<int>(row.dock);
        EXPECT_EQ(layout.client, row.client) << static_cast<int>(row.dock);
        EXPECT_EQ(layout.usableHeight, 580);
    }
}

TEST(FrameLayoutTest, StatusBarOffGivesTheWholeHeight) {
    FrameLayoutInput in = Frame800(DockSide::Bottom);
    in.statusHeight = 0;
    const FrameLayout layout = ComputeFrameLayout(in);
    EXPECT_EQ(layout.usableHeight, 600);
    EXPECT_EQ(layout.client.bottom, 570);
}

TEST(FrameLayoutTest, SmallPalettesNarrowALeftStripByTwelve) {
    FrameLayoutInput in = Frame800(DockSide::Left);
    const FrameLayout large = ComputeFrameLayout(in);
    in.toolSize = ToggledPaletteButtonSize(in.toolSize);
    EXPECT_EQ(in.toolSize, kSmallPaletteButton);
    const FrameLayout small = ComputeFrameLayout(in);
    EXPECT_EQ(large.bar.right - small.bar.right, 12);
    EXPECT_EQ(large.client.left - small.client.left, 12);
    // A stored size that is neither becomes the large one.
    EXPECT_EQ(ToggledPaletteButtonSize(30), kLargePaletteButton);
    EXPECT_EQ(ToggledPaletteButtonSize(kSmallPaletteButton), kLargePaletteButton);
}

TEST(FrameLayoutTest, ReadoutSitsOnTheMenuBarLeftOfTheCorner) {
    // Menu bar 19, border 1: the window is 21 high and its bottom is one border
    // below the client's top.
    const gfx::Rect normal = PlaceReadoutWindow({1000, 100}, 19, 1, false);
    EXPECT_EQ(normal, (gfx::Rect{1000 - 1 - 74 - 74, 80, 1000 - 1 - 74, 101}));
    // Minimised, it moves by the shorter offset.
    const gfx::Rect minimized = PlaceReadoutWindow({1000, 100}, 19, 1, true);
    EXPECT_EQ(minimized.left - normal.left, 20);
}

}  // namespace
}  // namespace ql
