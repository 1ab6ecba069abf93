// Straight and wavy lines: creation, the wave figure and its layout along
// horizontal, vertical and slanted lines, outlines below zoom 10 and filled figures
// from it, end drags with the middle handle following, straightening and the Shift
// constraint.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "editing/tools.h"
#include "objects/graphics/graphic_class.h"
#include "objects/graphics/wave_outline.h"
#include "objects/tests/shapes/shapes_fixture.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/win/paint.h"

namespace ql::testing_shapes {
namespace {

using graphics::LayOutWave;
using graphics::WaveLayout;
using graphics::WaveOutline;

class LineTest : public ShapesTest {
  protected:
    void TearDown() override {
        SetWavyLineArmed(false);
        ShapesTest::TearDown();
    }
    ScoreObject* Create(LogicalPoint click) {
        ScoreObject* prototype = ConstructObject(TypeCode(ObjectType::Line));
        view_->pointerPoint = click;
        ScoreObject* made = ClassOf(prototype).CreateAtClick(prototype, view_);
        FreeRecord(kTextObjectPool, prototype);
        return made;
    }
    void Straighten(ScoreObject* line) { ClassOf(line).Invalidate(line, view_); }
    // Draws a wavy line with a white pen and a black brush: only a filled figure
    // leaves dark pixels.
    int DarkOfWave(int32_t zoom) {
        view_->zoom = zoom;
        ClearWindow();
        ScoreObject* line = Graphic(ObjectType::Line, {kPageOrigin + 256, kPageOrigin + 512}, 2048, 0);
        Body(line).style = kLineWavy;
        BeginViewDraw(view_);
        int saved = gfx::SaveContext(view_->ViewDC);
        gfx::SelectObject(view_->ViewDC, gfx::GetStockPen(gfx::StockPen::White));
        gfx::SelectObject(view_->ViewDC, gfx::GetStockBrush(gfx::StockBrush::Black));
        ClassOf(line).Draw(line, view_);
        gfx::RestoreContext(view_->ViewDC, saved);
        EndViewDraw(view_);
        UnlinkObject(line);
        FreeRecord(kTextObjectPool, line);
        int dark = 0;
        for (int row = 0; row < 100; ++row) dark += DarkInRow(row, 0, 399);
        return dark;
    }
    // Every pixel of the window, row by row.
    std::vector<gfx::Colour> WindowPixels(int width, int height) {
        platform::BitmapHandle image = win::GetWindowImage(window_);
        std::vector<gfx::Colour> pixels;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) pixels.push_back(gfx::GetBitmapPixel(image, x, y));
        return pixels;
    }
    // Selects the pen and brush that a wavy line draws with.
    void SelectWaveInk(int penPixels) {
        gfx::SelectObject(view_->ViewDC, gfx::CreatePen(gfx::PenStyle::Solid, penPixels * 8, gfx::Rgb(0x20, 0x40, 0x90)));
        gfx::SelectObject(view_->ViewDC, gfx::GetStockBrush(gfx::StockBrush::Black));
    }
};

// A new line is horizontal, 256 long, from the click; wavy while the tool's flag is
// set; refused without staves outside page layout, a page item without staves.
TEST_F(LineTest, ClickMakesAHorizontalLine) {
    ScoreObject* line = Create({700, 900});
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(Anchor(line).x, 700);
    EXPECT_EQ(Anchor(line).y, 900);
    EXPECT_EQ(V(Body(line).width), 256);
    EXPECT_EQ(V(Body(line).height), 0);
    EXPECT_EQ(V(Body(line).style), kLineStraight);
    SetWavyLineArmed(true);
    EXPECT_EQ(V(Body(Create({0, 0})).style), kLineWavy);
    doc_->header.staffCount = 0;
    view_->pageView = 0;
    EXPECT_EQ(Create({0, 0}), nullptr);
}

// The flattened figure: at most 200 points, none repeated in a row, through the
// segment ends, and the right-to-left segments run right to left.
TEST_F(LineTest, WaveOutlineIsFlattenedInOrder) {
    const std::vector<gfx::Point>& outline = WaveOutline();
    ASSERT_GT(outline.size(), 4u);
    EXPECT_LE(outline.size(), 200u);
    EXPECT_EQ(outline.front().x, 0);
    EXPECT_EQ(outline.front().y, 0);
    size_t at128 = outline.size();
    for (size_t i = 1; i < outline.size(); ++i) {
        EXPECT_FALSE(outline[i].x == outline[i - 1].x && outline[i].y == outline[i - 1].y) << i;
        if (outline[i].x == 128 && outline[i].y == 0) at128 = i;
    }
    ASSERT_LT(at128 + 1, outline.size());
    EXPECT_LT(outline[at128 + 1].x, 128);  // the way back is sampled reversed, kept in order
    EXPECT_GT(outline[at128 + 1].y, 0);
    EXPECT_EQ(&WaveOutline(), &outline);  // made once
}

// Horizontal 300: three figures from the start point; a right-to-left line starts
// at its left end; vertical 128: one figure with x and y swapped; slanted 300
// (180, 240): three figures, started half of 44 back along the line.
TEST_F(LineTest, WaveLayouts) {
    WaveLayout horizontal = LayOutWave({1000, 500}, 300, 0);
    EXPECT_EQ(horizontal.copies, 3);
    EXPECT_EQ(horizontal.step.x, 128);
    EXPECT_EQ(horizontal.step.y, 0);
    EXPECT_EQ(horizontal.figure[0].x, 1000);
    EXPECT_EQ(horizontal.figure[0].y, 500);
    WaveLayout leftward = LayOutWave({1000, 500}, -300, 0);
    EXPECT_EQ(leftward.figure[0].x, 700);
    WaveLayout vertical = LayOutWave({1000, 500}, 0, 128);
    EXPECT_EQ(vertical.copies, 1);
    const std::vector<gfx::Point>& outline = WaveOutline();
    for (size_t i = 0; i < outline.size(); ++i) {
        EXPECT_EQ(vertical.figure[i].x, 1000 + outline[i].y);
        EXPECT_EQ(vertical.figure[i].y, 500 + outline[i].x);
    }
    EXPECT_EQ(LayOutWave({0, 0}, 0, -129).copies, 2);
    EXPECT_EQ(LayOutWave({0, 0}, 0, -129).step.y, -128);
    WaveLayout slanted = LayOutWave({1000, 500}, 180, 240);
    EXPECT_EQ(slanted.copies, 3);
    EXPECT_EQ(slanted.figure[0].x, 1000 - 13);  // trunc(180 / 300 * 44) / 2
    EXPECT_EQ(slanted.figure[0].y, 500 - 17);   // trunc(240 / 300 * 44) / 2
    EXPECT_EQ(slanted.step.x, 76);
    EXPECT_EQ(slanted.step.y, 102);
    EXPECT_EQ(LayOutWave({0, 0}, 0, 0).copies, 0);
}

// A layout's bounds are the smallest and largest x and y of its first figure,
// for lines running every way.
TEST_F(LineTest, WaveLayoutBoundsAreItsFiguresBounds) {
    const LogicalPoint extents[] = {{300, 0}, {-300, 0}, {0, 128}, {0, -700}, {180, 240}, {-900, -1100}, {1700, -650}};
    for (const LogicalPoint& extent : extents) {
        SCOPED_TRACE(::testing::Message() << "extent " << extent.x << "," << extent.y);
        const WaveLayout layout = LayOutWave({-4000, 2500}, extent.x, extent.y);
        ASSERT_FALSE(layout.figure.empty());
        gfx::Point low = layout.figure[0], high = low;
        for (const gfx::Point& p : layout.figure) {
            low = {std::min(low.x, p.x), std::min(low.y, p.y)};
            high = {std::max(high.x, p.x), std::max(high.y, p.y)};
        }
        EXPECT_EQ(layout.low, low);
        EXPECT_EQ(layout.high, high);
    }
}

// Below zoom 10 the figures are outlines (the pen only), from 10 they are filled.
TEST_F(LineTest, WavesAreFilledFromZoom10) {
    OpenWindow(400, 100);
    EXPECT_EQ(DarkOfWave(9), 0);
    EXPECT_GT(DarkOfWave(10), 0);
}

// A wavy line's picture is its figures drawn one by one as the layout places them,
// each by Polygon (filled, from zoom 10) or Polyline: for lines running every way,
// from starts between device pixels, with thin and wide pens.
TEST_F(LineTest, WavePictureIsItsFiguresDrawnOneByOne) {
    constexpr int kWidth = 400;
    constexpr int kHeight = 300;
    OpenWindow(kWidth, kHeight);
    const LogicalPoint start{kPageOrigin + 517, kPageOrigin + 1203};
    const LogicalPoint extents[] = {{2051, 0}, {-1500, 0}, {0, 900}, {0, -700}, {1700, 650}, {-900, -1100}, {300, 1500}};
    for (int32_t zoom : {16, 9, 12}) {
        for (int penPixels : {0, 3}) {
            for (const LogicalPoint& extent : extents) {
                SCOPED_TRACE(::testing::Message() << "zoom " << zoom << " pen " << penPixels << " extent "
                                                  << extent.x << "," << extent.y);
                view_->zoom = zoom;
                ScoreObject* line = Graphic(ObjectType::Line, start, extent.x, extent.y);
                Body(line).style = kLineWavy;
                Body(line).penWidth = 2;  // its clip leaves room for the wide pen
                ClearWindow();
                BeginViewDraw(view_);
                int saved = gfx::SaveContext(view_->ViewDC);
                SelectWaveInk(penPixels);
                ClassOf(line).Draw(line, view_);
                gfx::DeleteObject(gfx::SelectObject(view_->ViewDC, gfx::GetStockPen(gfx::StockPen::Black)));
                gfx::RestoreContext(view_->ViewDC, saved);
                EndViewDraw(view_);
                const std::vector<gfx::Colour> drawn = WindowPixels(kWidth, kHeight);
                if (zoom == 16 && penPixels == 0 && extent.y == 650) SavePicture("line_wave_slanted.png");

                ClearWindow();
                BeginViewDraw(view_);
                saved = gfx::SaveContext(view_->ViewDC);
                SelectWaveInk(penPixels);
                WaveLayout layout = LayOutWave(start, extent.x, extent.y);
                ASSERT_GT(layout.copies, 0);
                for (int copy = 0; copy < layout.copies; ++copy) {
                    const auto count = static_cast<int>(layout.figure.size());
                    if (zoom >= 10) gfx::Polygon(view_->ViewDC, layout.figure.data(), count);
                    else gfx::Polyline(view_->ViewDC, layout.figure.data(), count);
                    for (gfx::Point& p : layout.figure) p = {p.x + layout.step.x, p.y + layout.step.y};
                }
                gfx::DeleteObject(gfx::SelectObject(view_->ViewDC, gfx::GetStockPen(gfx::StockPen::Black)));
                gfx::RestoreContext(view_->ViewDC, saved);
                EndViewDraw(view_);
                const std::vector<gfx::Colour> expected = WindowPixels(kWidth, kHeight);
                EXPECT_EQ(drawn, expected);
                int ink = 0;
                for (gfx::Colour c : drawn) ink += c != gfx::kWhite ? 1 : 0;
                EXPECT_GT(ink, 0);
                UnlinkObject(line);
                FreeRecord(kTextObjectPool, line);
            }
        }
    }
}

// The middle handle's square: 128 units, 256 along an axis longer than 256.
TEST_F(LineTest, MiddleHandleRect) {
    RecordRect shortLine = MiddleHandleRect({0, 0}, {256, 0});
    EXPECT_EQ(shortLine, (RecordRect{64, -64, 192, 64}));
    RecordRect longLine = MiddleHandleRect({600, 0}, {0, 10});
    EXPECT_EQ(longLine, (RecordRect{172, -59, 428, 69}));
}

// Dragging an end moves only that end; the extent and the middle handle follow;
// the middle handle itself moves the whole line.
TEST_F(LineTest, EndDragAndWholeMove) {
    ScoreObject* line = Graphic(ObjectType::Line, {1000, 1000}, 256, 0);
    Grab(line, 0);
    Move(line, -100, 50);
    EXPECT_EQ(V(Body(line).width), 356);
    EXPECT_EQ(V(Body(line).height), -50);
    HitRecord* middle = chain_->child->child.get();
    EXPECT_EQ(middle->outer, MiddleHandleRect({900, 1050}, {1256, 1000}));
    EXPECT_NE(Commit(line), 0);
    EXPECT_EQ(Anchor(line).x, 900);
    EXPECT_EQ(Anchor(line).y, 1050);
    Grab(line, kLineMiddleHandle);
    Move(line, 30, 30);  // an end drag does nothing on the middle handle
    EXPECT_EQ(V(Body(line).width), 356);
    MoveWhole(line, 30, 30);
    EXPECT_EQ(chain_->point.x, 930);
    EXPECT_EQ(chain_->child->point.y, 1030);
    EXPECT_NE(Commit(line), 0);
    EXPECT_EQ(Anchor(line).x, 930);
    EXPECT_EQ(V(Body(line).width), 356);
}

// Straightening from the middle handle: |dx| <= |dy| gives a vertical line at the
// midpoint x; from an end handle at that end's x; a horizontal or vertical line is
// left alone.
TEST_F(LineTest, Straightening) {
    ScoreObject* line = Graphic(ObjectType::Line, {1000, 1000}, 100, 300);
    Grab(line, kLineMiddleHandle);
    Straighten(line);
    EXPECT_EQ(V(Body(line).width), 0);
    EXPECT_EQ(V(Body(line).height), 300);
    EXPECT_EQ(Anchor(line).x, 1050);
    EXPECT_EQ(Anchor(line).y, 1000);
    ScoreObject* flat = Graphic(ObjectType::Line, {1000, 1000}, 300, -100);
    Grab(flat, 1);
    Straighten(flat);
    EXPECT_EQ(V(Body(flat).height), 0);
    EXPECT_EQ(Anchor(flat).y, 900);  // the end handle's y
    Grab(flat, 0);
    Straighten(flat);  // already horizontal: unchanged
    EXPECT_EQ(Anchor(flat).y, 900);
    EXPECT_EQ(V(Body(flat).width), 300);
}

// Shift keeps a dragged end level with or straight above the other end.
TEST_F(LineTest, ShiftKeepsAnEndOnTheAxis) {
    ScoreObject* line = Graphic(ObjectType::Line, {1000, 1000}, 256, 0);
    Grab(line, 1);
    Move(line, -216, 300, true);  // |40| <= |300|: vertical
    EXPECT_EQ(V(Body(line).width), 0);
    EXPECT_EQ(V(Body(line).height), 300);
    Move(line, 400, -250, true);  // |400| > |50|: horizontal
    EXPECT_EQ(V(Body(line).width), 400);
    EXPECT_EQ(V(Body(line).height), 0);
}

// A straight line of width code 2 is 4 pixels thick at zoom 16.
TEST_F(LineTest, StraightLineWidthOnTheWindow) {
    OpenWindow(400, 200);
    ScoreObject* line = Graphic(ObjectType::Line, {kPageOrigin + 512, kPageOrigin + 512}, 1024, 0);
    Body(line).penWidth = 2;
    ClassOf(line).Paint(line, view_);
    gfx::Point mid = Device(kPageOrigin + 1024, kPageOrigin + 512);
    EXPECT_LE(std::abs(DarkInColumn(mid.x, mid.y - 10, mid.y + 10) - 4), 1);
    SavePicture("line_width_code2.png");
}

// The line tool's alternate face 182 arms wavy lines; another face straight ones;
// arming shows "Line tool".
TEST_F(LineTest, LineToolFacesArmTheStyle) {
    ToolRecord wavy;
    wavy.bitmapId = 182;
    ToolRecord straight;
    straight.bitmapId = 175;
    LineTool(view_, ToolAction::AlternateChosen, &wavy, {}, win::Message::MouseMove, 0, 0);
    EXPECT_TRUE(WavyLineArmed());
    EXPECT_EQ(TheSelectionState()->toolType, TypeCode(ObjectType::Line));
    LineTool(view_, ToolAction::AlternateChosen, &straight, {}, win::Message::MouseMove, 0, 0);
    EXPECT_FALSE(WavyLineArmed());
    LineTool(view_, ToolAction::Select, nullptr, {}, win::Message::MouseMove, 0, 0);
    EXPECT_FALSE(WavyLineArmed());  // a plain select keeps the style
}

}  // namespace
}  // namespace ql::testing_shapes
