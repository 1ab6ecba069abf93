// The stroke listener: every shape call on a context, recording contexts included,
// is told once with its points, its box widened by half the pen, the pen's width
// and whether it fills or only takes ink off; series and repeated figures are told
// member by member; other contexts' calls carry their own handle.
#include "platform/gfx/stroke_tap.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/recording.h"

namespace ql::gfx {
namespace {

struct Told {
    StrokeShape shape;
    Rect box;
    int32_t pen;
    bool filled;
    bool paper;
    size_t points;
};

TEST(StrokeTapTest, EveryShapeIsToldOnceWithItsBoxAndPen) {
    const DcHandle dc = CreateRecordingContext({});
    std::vector<Told> told;
    const StrokeTap kept = SetStrokeTap([&](const StrokeInk& ink) {
        if (ink.dc == dc)
            told.push_back(
                {ink.shape, ink.box, ink.penWidth, ink.filled, ink.paper, ink.points.size()});
    });
    const PenHandle wide = CreatePen(PenStyle::Solid, 10, kBlack);
    const PenHandle previous = SelectObject(dc, wide);
    const Point line[3] = {{0, 0}, {100, 20}, {50, 60}};
    const Point bezier[4] = {{0, 0}, {10, -40}, {90, -40}, {100, 0}};
    const int counts[2] = {2, 1};
    MoveTo(dc, Point{10, 10});
    LineTo(dc, Point{110, 10});
    Polyline(dc, line, 3);
    PolyBezier(dc, bezier, 4);
    Polygon(dc, line, 3);
    PolyPolyline(dc, line, counts, 2);  // the one-point member is not a stroke
    RepeatedPolyline(dc, line, 2, 3, Point{0, 100});
    SelectObject(dc, GetStockPen(StockPen::Null));
    Rectangle(dc, Rect{0, 0, 40, 30});
    const BrushHandle white = CreateSolidBrush(kWhite);
    FillRect(dc, Rect{5, 5, 15, 15}, white);
    SelectObject(dc, previous);
    struct Expected {
        StrokeShape shape;
        Rect box;
        int32_t pen;
        bool filled;
        bool paper;
    };
    const Expected expected[] = {
        {StrokeShape::Line, {5, 5, 115, 15}, 10, false, false},
        {StrokeShape::Polyline, {-5, -5, 105, 65}, 10, false, false},
        {StrokeShape::Bezier, {-5, -45, 105, 5}, 10, false, false},
        {StrokeShape::Polygon, {-5, -5, 105, 65}, 10, true, false},
        {StrokeShape::Polyline, {-5, -5, 105, 25}, 10, false, false},
        {StrokeShape::Polyline, {-5, -5, 105, 25}, 10, false, false},
        {StrokeShape::Polyline, {-5, 95, 105, 125}, 10, false, false},
        {StrokeShape::Polyline, {-5, 195, 105, 225}, 10, false, false},
        {StrokeShape::Rectangle, {0, 0, 40, 30}, 0, true, true},  // the white stock brush
        {StrokeShape::Fill, {5, 5, 15, 15}, 0, true, true},
    };
    ASSERT_EQ(told.size(), std::size(expected));
    for (size_t i = 0; i < told.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(told[i].shape, expected[i].shape);
        EXPECT_EQ(told[i].box.left, expected[i].box.left);
        EXPECT_EQ(told[i].box.top, expected[i].box.top);
        EXPECT_EQ(told[i].box.right, expected[i].box.right);
        EXPECT_EQ(told[i].box.bottom, expected[i].box.bottom);
        EXPECT_EQ(told[i].pen, expected[i].pen);
        EXPECT_EQ(told[i].filled, expected[i].filled);
        EXPECT_EQ(told[i].paper, expected[i].paper);
    }
    SetStrokeTap(kept);
    DeleteObject(wide);
    DeleteObject(white);
    DeleteContext(dc);
}

}  // namespace
}  // namespace ql::gfx
