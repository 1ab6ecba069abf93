// The program's cursors: every cursor the program asks for is in its bundle once
// start-up has registered its resources, and the shapes are sound (an outline
// around all ink, hot spots inside, mirrored and turned pairs, a magnifier per
// zoom level); the canvas they are drawn on.
#include "core/ui/cursor_resources.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "core/draw/view_metrics.h"
#include "core/ui/cursor_art.h"
#include "editing/marquee.h"
#include "objects/graphics/graphic_class.h"
#include "objects/guide/guide_class.h"
#include "objects/runtime/area_class.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/win/input.h"
#include "shell/program/core_startup.h"
#include "shell/program/view_toggles.h"

namespace ql::testing {
namespace {

// The ids the program's code loads (object classes, marquee, guides, margins,
// zoom levels, the tool and default arrows, the box crosshair).
std::vector<int32_t> LoadedCursorIds() {
    std::vector<int32_t> ids = {
        kMoveCursorResource,     kHandleCursorResource, kSecondCursorResource,
        kMarqueeMoveCursor,      kMarqueeLowerCursor,   kMarqueeUpperRightCursor,
        kMarqueeUpperLeftCursor, kAreaMoveCursor,       kHorizontalGuideCursor,
        kVerticalGuideCursor,    kToolArrowCursorId,    kArrowCursorId,
        toggle_cmd::kBoxCursor};
    for (int index = 0; index < kZoomCursorCount; ++index)
        ids.push_back(kFirstZoomCursorId + index);
    return ids;
}

uint32_t PixelOf(const sys::CursorResource& cursor, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= cursor.width || y >= cursor.height) return kCursorClear;
    return cursor.pixels[static_cast<size_t>(y * cursor.width + x)];
}

class ProgramCursorsTest : public FreshWindowLayer {};

TEST_F(ProgramCursorsTest, EveryCursorTheProgramLoadsIsRegisteredAtStartUp) {
    RegisterProgramResources();
    for (int32_t id : LoadedCursorIds()) {
        const platform::CursorHandle cursor = win::LoadCursorResource(id);
        EXPECT_TRUE(cursor) << "no cursor " << id;
        EXPECT_EQ(win::CursorResourceId(cursor), id);
    }
}

TEST_F(ProgramCursorsTest, ShapesAreOutlinedWithTheirHotSpotsInside) {
    sys::ResourceBundle bundle;
    AddProgramCursors(bundle);
    std::set<std::vector<uint32_t>> magnifiers;
    for (const auto& [id, cursor] : bundle.cursors) {
        ASSERT_EQ(cursor.pixels.size(), static_cast<size_t>(cursor.width * cursor.height))
            << id.ToString();
        EXPECT_TRUE(cursor.hotSpot.x >= 0 && cursor.hotSpot.x < cursor.width &&
                    cursor.hotSpot.y >= 0 && cursor.hotSpot.y < cursor.height)
            << id.ToString();
        int ink = 0;
        for (int32_t y = 0; y < cursor.height; ++y)
            for (int32_t x = 0; x < cursor.width; ++x) {
                if (PixelOf(cursor, x, y) != kCursorInk) continue;
                ++ink;
                for (int32_t dy = -1; dy <= 1; ++dy)
                    for (int32_t dx = -1; dx <= 1; ++dx)
                        ASSERT_NE(PixelOf(cursor, x + dx, y + dy), kCursorClear)
                            << id.ToString() << ": ink at " << x << "," << y
                            << " without an outline";
            }
        EXPECT_GT(ink, 0) << id.ToString();
        const int32_t number = id.Number();
        if (number >= kFirstZoomCursorId && number < kFirstZoomCursorId + kZoomCursorCount)
            magnifiers.insert(cursor.pixels);
    }
    EXPECT_EQ(magnifiers.size(), static_cast<size_t>(kZoomCursorCount)) << "zoom levels look alike";
    EXPECT_EQ(PixelOf(bundle.cursors.at(kArrowCursorId), 1, 1), kCursorInk)
        << "the arrow's tip is its hot spot";

    const sys::CursorResource& downRight = bundle.cursors.at(kResizeDownRightCursorId);
    const sys::CursorResource& downLeft = bundle.cursors.at(kResizeDownLeftCursorId);
    const sys::CursorResource& upDown = bundle.cursors.at(kResizeUpDownCursorId);
    const sys::CursorResource& leftRight = bundle.cursors.at(kResizeLeftRightCursorId);
    ASSERT_EQ(leftRight.width, upDown.height);
    for (int32_t y = 0; y < downRight.height; ++y)
        for (int32_t x = 0; x < downRight.width; ++x)
            ASSERT_EQ(PixelOf(downLeft, downRight.width - 1 - x, y), PixelOf(downRight, x, y));
    for (int32_t y = 0; y < upDown.height; ++y)
        for (int32_t x = 0; x < upDown.width; ++x)
            ASSERT_EQ(PixelOf(leftRight, y, x), PixelOf(upDown, x, y));
    EXPECT_EQ(leftRight.hotSpot, (gfx::Point{upDown.hotSpot.y, upDown.hotSpot.x}));
}

TEST(CursorArtTest, StampsTurnsAndOutlines) {
    CursorArt art(3, 2);
    constexpr std::string_view kRows[] = {"X.X", "XX", "XXXXXX"};
    art.Stamp(kRows, 0, 0);  // the third row and the overhang fall off the canvas
    EXPECT_TRUE(art.Inked(0, 0) && art.Inked(2, 0) && art.Inked(0, 1) && art.Inked(1, 1));
    EXPECT_FALSE(art.Inked(1, 0) || art.Inked(2, 1) || art.Inked(3, 0));
    EXPECT_TRUE(art.Mirrored().Inked(1, 1) && art.Mirrored().Inked(2, 1) &&
                !art.Mirrored().Inked(0, 1));
    const CursorArt turned = art.Transposed();
    EXPECT_EQ(turned.Width(), 2);
    EXPECT_TRUE(turned.Inked(0, 2) && !turned.Inked(1, 2));

    CursorArt dot(1, 1);
    dot.Plot(0, 0);
    const sys::CursorResource finished = dot.Finish(gfx::Point{0, 0});
    EXPECT_EQ(finished.width, 3);
    EXPECT_EQ(finished.hotSpot, (gfx::Point{1, 1}));
    const std::vector<uint32_t> expected = {kCursorOutline, kCursorOutline, kCursorOutline,
                                            kCursorOutline, kCursorInk,     kCursorOutline,
                                            kCursorOutline, kCursorOutline, kCursorOutline};
    EXPECT_EQ(finished.pixels, expected);
}

}  // namespace
}  // namespace ql::testing
