// The palettes' shapes, first placement, border-drag re-shaping and group moves.
#include <gtest/gtest.h>

#include "editing/palette_layout.h"

namespace ql {
namespace {

PaletteScreen Screen() {
    return PaletteScreen{1280, 1024, 22, 17, 3, 3};
}

bool OnScreen(const PalettePosition& p, int buttonSize, const PaletteScreen& screen) {
    const PaletteSize size = PaletteWindowSize({p.columns, p.rows}, buttonSize, screen);
    return p.x >= 0 && p.x + size.width <= screen.width && p.y >= screen.captionHeight &&
           p.y + size.height <= screen.height;
}

TEST(PaletteLayoutTest, GridCellsAndWindowSizeFollowTheButtonSize) {
    EXPECT_EQ(ButtonCellOrigin(0, 0, 36).x, 1);
    EXPECT_EQ(ButtonCellOrigin(2, 1, 36).x, 75);
    EXPECT_EQ(ButtonCellOrigin(2, 1, 36).y, 38);
    EXPECT_EQ(ButtonCellOrigin(1, 0, 24, -3, 7).x, 23);
    const PaletteSize size = PaletteWindowSize({7, 1}, 36, Screen());
    EXPECT_EQ(size.width, 37 * 7 + 2 * 3 + 1);
    EXPECT_EQ(size.height, 17 + 37 + 2 * 3 + 1);
    EXPECT_EQ(GridPlace(9, 4), (PaletteShape{1, 2}));
}

TEST(PaletteLayoutTest, ComputedShapeHoldsEveryButtonWithoutSpareRows) {
    EXPECT_EQ(ComputePaletteShape(6, 0, 7), (PaletteShape{7, 1}));
    EXPECT_EQ(ComputePaletteShape(3, 3, 16), (PaletteShape{4, 4}));
    EXPECT_EQ(ComputePaletteShape(2, 5, 8), (PaletteShape{3, 3}));     // 3 x 6 too many rows
    EXPECT_EQ(ComputePaletteShape(40, 40, 5), (PaletteShape{5, 1}));   // clamped to the count
    EXPECT_EQ(ComputePaletteShape(-4, -9, 0), (PaletteShape{1, 1}));
    for (int n = 1; n <= 30; ++n)
        for (int c = 0; c < n; ++c)
            for (int r = 0; r < n; ++r) {
                const PaletteShape s = ComputePaletteShape(c, r, n);
                EXPECT_GE(s.columns * s.rows, n) << n << " " << c << " " << r;
            }
}

TEST(PaletteLayoutTest, SavedShapeOutsideTheDefaultCellsGivesTheDefaultAndCentresMain) {
    const PaletteScreen screen = Screen();
    const PalettePosition main = InitialPalettePlacement(kMainPalette, {10, 20, 9, 9}, 36, screen);
    const PaletteSize size = PaletteWindowSize({7, 1}, 36, screen);
    EXPECT_EQ(main, (PalettePosition{(1280 - size.width) / 2, (1024 - size.height) / 2, 7, 1}));
    const PalettePosition notes = InitialPalettePlacement(kNotesPalette, {10, 20, 0, 4}, 36, screen);
    EXPECT_EQ(notes.x, 16);
    EXPECT_EQ(notes.columns, 4);
    // A fitting saved shape keeps its corner.
    EXPECT_EQ(InitialPalettePlacement(kNotesPalette, {100, 200, 2, 8}, 36, screen),
              (PalettePosition{100, 200, 2, 8}));
    // A shape too small for the buttons is not used.
    EXPECT_EQ(InitialPalettePlacement(kNotesPalette, {100, 200, 2, 2}, 36, screen).columns, 4);
}

// The screen rectangle a palette at its default place takes.
struct Extent {
    int left, top, right, bottom;
};
Extent DefaultExtent(int palette, int size, const PaletteScreen& screen) {
    const PalettePosition p = DefaultPalettePlace(palette, size, screen);
    const PaletteSize outer = PaletteWindowSize({p.columns, p.rows}, size, screen);
    return {p.x, p.y, p.x + outer.width, p.y + outer.height};
}
bool Overlap(const Extent& a, const Extent& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// With nothing saved, the palettes stand against the left edge of the score's
// vertical scroll bar at the table's distances from it, leaving the start of the
// first system, at the left, and the scroll bar free: Main at the table's top, the
// five group palettes one below the other under it (a second column left of the
// first where the first would reach into the lowest third of the screen), none
// covering Main or another (at a first start they all show at once). Taken as saved
// places, the default places are used as they stand.
TEST(PaletteLayoutTest, DefaultPlacesStandBesideThePageWithoutOverlapping) {
    PaletteScreen screen = Screen();
    screen.scrollBarWidth = 16;
    const int edge = screen.width - screen.scrollBarWidth;
    for (int size : {kLargeButtonSize, kSmallButtonSize}) {
        const Extent main = DefaultExtent(kMainPalette, size, screen);
        EXPECT_EQ(main.top, PaletteSpecOf(kMainPalette).defaults.y);
        int previousBottom = main.bottom;
        for (int palette = 0; palette < kPaletteCount; ++palette) {
            const PalettePosition& table = PaletteSpecOf(palette).defaults;
            const PalettePosition p = DefaultPalettePlace(palette, size, screen);
            const Extent e = DefaultExtent(palette, size, screen);
            const bool newColumn = palette >= kStaffToolsPalette && palette <= kPerformancePalette && e.top < previousBottom;
            if (!newColumn) {
                EXPECT_EQ(e.right, edge - table.x) << palette;
            }
            EXPECT_LT(e.right, edge) << palette;
            EXPECT_EQ(p.columns, table.columns);
            EXPECT_GT(p.x, screen.width / 2) << palette;
            EXPECT_TRUE(OnScreen(p, size, screen)) << palette;
            EXPECT_EQ(InitialPalettePlacement(palette, p, size, screen), p) << palette;
            if (palette < kStaffToolsPalette || palette > kPerformancePalette) continue;
            EXPECT_GT(e.top, newColumn ? main.bottom : previousBottom) << palette << " stands below the one before";
            EXPECT_LE(e.bottom, screen.height * 2 / 3) << palette << " reaches the lowest third";
            previousBottom = e.bottom;
            for (int other = kMainPalette; other < palette; ++other)
                EXPECT_FALSE(Overlap(e, DefaultExtent(other, size, screen))) << palette << " covers " << other;
        }
    }
    // The pop-ups open at the table's top below Main's height.
    const int mainHeight = PaletteWindowSize({7, 1}, 36, screen).height;
    EXPECT_EQ(DefaultPalettePlace(kHeadsPalette, 36, screen).y, PaletteSpecOf(kHeadsPalette).defaults.y + mainHeight);
    // A screen narrower than a palette still shows the whole of it.
    const PalettePosition narrow = DefaultPalettePlace(kMainPalette, 36, PaletteScreen{200, 400});
    EXPECT_EQ(narrow.x, 0);
}

// A screen too short for one column: the group palettes that do not fit under Main
// start a second column to the left, and still none covers another.
TEST(PaletteLayoutTest, GroupPalettesOnAShortScreenTakeASecondColumn) {
    const PaletteScreen screen{1024, 600, 22, 17, 3, 3};
    const Extent main = DefaultExtent(kMainPalette, kLargeButtonSize, screen);
    bool secondColumn = false;
    for (int palette = kStaffToolsPalette; palette <= kPerformancePalette; ++palette) {
        const Extent e = DefaultExtent(palette, kLargeButtonSize, screen);
        EXPECT_LE(e.bottom, screen.height) << palette;
        EXPECT_GT(e.top, main.bottom) << palette;
        secondColumn = secondColumn || e.right < screen.width - 40;
        for (int other = kMainPalette; other < palette; ++other)
            EXPECT_FALSE(Overlap(e, DefaultExtent(other, kLargeButtonSize, screen))) << palette << " covers " << other;
    }
    EXPECT_TRUE(secondColumn);
}

// Where a window manager draws a title bar above each palette and borders around
// it (the window layer gives the palettes no caption of their own), the column
// leaves room for them: no palette's frame covers another's, none stands over the
// scroll bar, and the column goes on in a second one rather than into the lowest
// third of the screen, on a large screen and on a short one.
TEST(PaletteLayoutTest, TitleBarsOfTheWindowManagerCoverNoPalette) {
    for (const PaletteScreen base : {PaletteScreen{1280, 1024, 22, 0, 0, 0}, PaletteScreen{1024, 768, 22, 0, 0, 0}})
        for (int size : {kLargeButtonSize, kSmallButtonSize}) {
            PaletteScreen screen = base;
            screen.scrollBarWidth = 16;
            screen.manager = {2, 21, 2, 2};
            const auto framed = [&](int palette) {
                Extent e = DefaultExtent(palette, size, screen);
                return Extent{e.left - 2, e.top - 21, e.right + 2, e.bottom + 2};
            };
            for (int palette = kMainPalette; palette <= kPerformancePalette; ++palette) {
                const Extent e = framed(palette);
                EXPECT_LE(e.right, screen.width - screen.scrollBarWidth) << palette << " over the scroll bar";
                EXPECT_GE(e.top, 0) << palette;
                if (palette > kMainPalette) {
                    EXPECT_LE(e.bottom, screen.height * 2 / 3) << palette << " in the lowest third";
                }
                for (int other = kMainPalette; other < palette; ++other)
                    EXPECT_FALSE(Overlap(e, framed(other))) << palette << " covers " << other << " at " << size;
            }
        }
}

TEST(PaletteLayoutTest, SavedCornerOffTheScreenIsClampedOnto) {
    const PaletteScreen screen = Screen();
    for (const PalettePosition saved : {PalettePosition{-5000, -5000, 4, 4},
                                        PalettePosition{5000, 5000, 4, 4},
                                        PalettePosition{1270, 0, 16, 1}}) {
        const PalettePosition p = InitialPalettePlacement(kNotesPalette, saved, 36, screen);
        EXPECT_TRUE(OnScreen(p, 36, screen)) << p.x << "," << p.y;
    }
    // A palette wider than the screen keeps its left edge at 0.
    const PalettePosition wide =
        InitialPalettePlacement(kOrnamentsPalette, {500, 300, 30, 1}, 36, PaletteScreen{600, 400});
    EXPECT_EQ(wide.x, 0);
}

TEST(PaletteLayoutTest, RightBorderDragOfNotesToTwoAndAHalfButtonsGivesTwoColumnsEightRows) {
    EXPECT_EQ(ReshapeForBorderDrag(PaletteBorder::Right, 90, 149, {4, 4}, 16, 36),
              (PaletteShape{2, 8}));
    EXPECT_EQ(ReshapeForBorderDrag(PaletteBorder::Left, 5, 149, {4, 4}, 16, 36),
              (PaletteShape{1, 16}));
    EXPECT_EQ(ReshapeForBorderDrag(PaletteBorder::Bottom, 149, 2000, {4, 4}, 16, 36),
              (PaletteShape{1, 16}));
    EXPECT_EQ(ReshapeForBorderDrag(PaletteBorder::Top, 149, 75, {4, 4}, 16, 36),
              (PaletteShape{8, 2}));
    EXPECT_EQ(ReshapeForBorderDrag(PaletteBorder::None, 10, 10, {4, 4}, 16, 36),
              (PaletteShape{4, 4}));
    // A corner: the wider change decides.
    EXPECT_EQ(ReshapeForBorderDrag(PaletteBorder::BottomRight, 37 * 8, 149, {4, 4}, 16, 36),
              (PaletteShape{8, 2}));
    EXPECT_EQ(ReshapeForBorderDrag(PaletteBorder::BottomRight, 149, 37 * 8, {4, 4}, 16, 36),
              (PaletteShape{2, 8}));
}

TEST(PaletteLayoutTest, GroupsAndMovedPalettesStayOnScreen) {
    EXPECT_EQ(PaletteGroup(kMainPalette).size(), 9u);
    EXPECT_EQ(PaletteGroup(kNotesPalette).size(), 3u);
    ASSERT_EQ(PaletteGroup(kPerformancePalette).size(), 1u);
    EXPECT_EQ(PaletteGroup(kPerformancePalette)[0], kDynamicsPalette);
    EXPECT_TRUE(PaletteGroup(kHeadsPalette).empty());

    const PaletteScreen screen = Screen();
    const PaletteSize size{160, 120};
    EXPECT_EQ(KeepMovedPaletteOnScreen(-200, 500, size, 36, screen).x, 0);
    EXPECT_EQ(KeepMovedPaletteOnScreen(-100, 500, size, 36, screen).x, -100);  // 60 px visible
    EXPECT_EQ(KeepMovedPaletteOnScreen(1270, 500, size, 36, screen).x, 1280 - 160);
    EXPECT_EQ(KeepMovedPaletteOnScreen(300, -50, size, 36, screen).y, 22);
    EXPECT_EQ(KeepMovedPaletteOnScreen(300, 1000, size, 36, screen).y, 1024 - 120);
}

}  // namespace
}  // namespace ql
