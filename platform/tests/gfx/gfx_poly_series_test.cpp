// Series of polylines and polygons: whether painted in one pass or member by
// member, they leave exactly the pixels of Polyline and Polygon called for each
// member in turn, for every pen, brush, raster operation and clip, on images and
// through recordings.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/gfx/mapping.h"
#include "platform/gfx/recording.h"
#include "platform/tests/gfx/gfx_canvas.h"

namespace ql::gfx {
namespace {

using testing::Canvas;

constexpr int kSide = 120;
constexpr Colour kInk = Rgb(0x20, 0x40, 0x90);
constexpr Colour kOtherInk = Rgb(0xC0, 0x10, 0x30);

// Wave-like members side by side sharing their ends, one overlapping the others,
// one crossing itself, a degenerate one and one far beyond the image.
struct Series {
    std::vector<Point> points;
    std::vector<int> counts;
    void Add(std::vector<Point> member) {
        counts.push_back(static_cast<int>(member.size()));
        points.insert(points.end(), member.begin(), member.end());
    }
};

Series TestSeries() {
    Series s;
    for (int i = 0; i < 4; ++i) {
        int x = 5 + 20 * i;
        s.Add({{x, 30}, {x + 5, 22}, {x + 10, 30}, {x + 15, 38}, {x + 20, 30}, {x + 15, 34}, {x + 5, 26}});
    }
    s.Add({{10, 20}, {90, 45}, {60, 70}, {15, 50}});
    s.Add({{20, 80}, {100, 110}, {100, 80}, {20, 110}});
    s.Add({{50, 50}, {50, 50}});
    s.Add({{-90000, 60}, {90000, 64}, {90000, 66}, {-90000, 68}});
    return s;
}

using DcSetup = std::function<void(DcHandle)>;

void SetPenAndBrush(DcHandle dc, PenStyle style, int width, Colour pen, BrushHandle brush) {
    SelectObject(dc, CreatePen(style, width, pen));
    SelectObject(dc, brush);
}

// The series drawn one way on one canvas and member by member on another.
void ExpectSameAsOneByOne(const DcSetup& setup, bool polygons) {
    Series s = TestSeries();
    Canvas series(kSide, kSide), members(kSide, kSide);
    for (const Canvas* c : {&series, &members}) {
        c->Fill(kWhite);
        setup(c->dc());
    }
    auto draw = polygons ? PolyPolygon : PolyPolyline;
    draw(series.dc(), s.points.data(), s.counts.data(), static_cast<int>(s.counts.size()));
    const Point* p = s.points.data();
    for (int n : s.counts) {
        if (polygons) Polygon(members.dc(), p, n);
        else Polyline(members.dc(), p, n);
        p += n;
    }
    EXPECT_EQ(series.Pixels(), members.Pixels());
    EXPECT_GT(series.CountOf(kWhite), 0);
    if (polygons) {
        EXPECT_LT(series.CountOf(kWhite), kSide * kSide);
    }
}

TEST(GfxPolySeries, SeriesPaintsTheSamePixelsAsItsMembersOneByOne) {
    BrushHandle same = CreateSolidBrush(kInk);
    BrushHandle other = CreateSolidBrush(kOtherInk);
    BrushHandle hatched = CreateHatchBrush(HatchStyle::Cross, kInk);
    const std::vector<DcSetup> setups = {
        [&](DcHandle dc) { SetPenAndBrush(dc, PenStyle::Solid, 0, kInk, same); },
        [&](DcHandle dc) { SetPenAndBrush(dc, PenStyle::Solid, 5, kInk, same); },
        [&](DcHandle dc) { SetPenAndBrush(dc, PenStyle::Dot, 0, kInk, same); },
        [&](DcHandle dc) { SetPenAndBrush(dc, PenStyle::Null, 0, kInk, same); },
        [&](DcHandle dc) { SetPenAndBrush(dc, PenStyle::Solid, 0, kInk, GetStockBrush(StockBrush::Null)); },
        [&](DcHandle dc) { SetPenAndBrush(dc, PenStyle::Solid, 0, kInk, other); },
        [&](DcHandle dc) { SetPenAndBrush(dc, PenStyle::Solid, 3, kInk, hatched); },
        [&](DcHandle dc) {
            SetPenAndBrush(dc, PenStyle::Solid, 0, kInk, same);
            SetRop2(dc, Rop2::XorPen);
        },
        [&](DcHandle dc) {
            SetPenAndBrush(dc, PenStyle::Solid, 3, kInk, same);
            SetFillMode(dc, FillMode::Alternate);
            IntersectClipRect(dc, Rect{12, 25, 97, 90});
        },
    };
    for (size_t i = 0; i < setups.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectSameAsOneByOne(setups[i], true);
        ExpectSameAsOneByOne(setups[i], false);
    }
    for (BrushHandle b : {same, other, hatched}) DeleteObject(b);
}

// A recording keeps one call per member, so a replay paints them as Polygon does.
TEST(GfxPolySeries, RecordedSeriesReplaysAsItsMembers) {
    Series s = TestSeries();
    Canvas replayed(kSide, kSide), direct(kSide, kSide);
    DcHandle recording = CreateRecordingContext(replayed.dc());
    SelectObject(recording, GetStockBrush(StockBrush::Black));
    size_t before = RecordedCallCount(recording);
    PolyPolygon(recording, s.points.data(), s.counts.data(), static_cast<int>(s.counts.size()));
    EXPECT_EQ(RecordedCallCount(recording) - before, s.counts.size());
    replayed.Fill(kWhite);
    direct.Fill(kWhite);
    PlayRecording(recording, replayed.dc());
    SelectObject(direct.dc(), GetStockBrush(StockBrush::Black));
    PolyPolygon(direct.dc(), s.points.data(), s.counts.data(), static_cast<int>(s.counts.size()));
    EXPECT_EQ(replayed.Pixels(), direct.Pixels());
    EXPECT_GT(direct.CountOf(kBlack), 0);
    DeleteContext(recording);
}

// A negative count is refused before anything is drawn; a member too short to
// draw is skipped and reported, the others drawn.
TEST(GfxPolySeries, BadCountsAreRefusedOrReported) {
    Canvas c(kSide, kSide);
    c.Fill(kWhite);
    SelectObject(c.dc(), GetStockBrush(StockBrush::Black));
    const Point points[] = {{10, 10}, {50, 10}, {50, 50}, {60, 60}};
    const int negative[] = {3, -1};
    EXPECT_FALSE(PolyPolygon(c.dc(), points, negative, 2));
    EXPECT_EQ(c.CountOf(kWhite), kSide * kSide);
    const int shortLast[] = {3, 1};
    EXPECT_FALSE(PolyPolygon(c.dc(), points, shortLast, 2));
    EXPECT_GT(c.CountOf(kBlack), 0);
    EXPECT_FALSE(PolyPolyline(DcHandle{}, points, shortLast, 2));
}

// A figure repeated by a step paints the pixels of its copies drawn one by one,
// under a mapping of 8 units a pixel: steps of whole pixels (copies stamped) and of
// part of one (copies drawn as a series), figure points halfway between pixels on
// both sides of the window origin, copies running across it, thin, wide and dotted
// pens, outlines and filled figures.
TEST(GfxPolySeries, RepeatedFigurePaintsItsCopiesOneByOne) {
    constexpr int kUnitsPerPixel = 8;
    auto setMapping = [](DcHandle dc) {
        SetMapMode(dc, MapMode::Anisotropic);
        SetWindowExtent(dc, Size{kUnitsPerPixel, kUnitsPerPixel});
        SetViewportExtent(dc, Size{1, 1});
        SetWindowOrigin(dc, Point{-304, -200});
    };
    // Every point lies 4 units off the pixel grid: halfway between two pixels.
    const std::vector<Point> figure = {{-300, 20}, {-260, -44}, {-212, -44}, {-172, 20}, {-196, 84}, {-244, 84}};
    const Point steps[] = {{128, 0}, {0, 96}, {-64, 32}, {100, 0}, {128, 4}};
    BrushHandle brush = CreateSolidBrush(kOtherInk);
    for (bool polygons : {true, false}) {
        for (PenStyle style : {PenStyle::Solid, PenStyle::Dot}) {
            for (int width : {0, 24}) {
                for (Point step : steps) {
                    SCOPED_TRACE(::testing::Message() << (polygons ? "polygons" : "polylines") << " width " << width
                                                      << " step " << step.x << "," << step.y);
                    Canvas repeated(kSide, kSide), members(kSide, kSide);
                    for (const Canvas* c : {&repeated, &members}) {
                        c->Fill(kWhite);
                        setMapping(c->dc());
                        SetPenAndBrush(c->dc(), style, width, kInk, brush);
                    }
                    constexpr int kCopies = 7;
                    const int count = static_cast<int>(figure.size());
                    auto repeat = polygons ? RepeatedPolygon : RepeatedPolyline;
                    EXPECT_TRUE(repeat(repeated.dc(), figure.data(), count, kCopies, step));
                    std::vector<Point> copy = figure;
                    for (int k = 0; k < kCopies; ++k) {
                        if (polygons) Polygon(members.dc(), copy.data(), count);
                        else Polyline(members.dc(), copy.data(), count);
                        for (Point& p : copy) p = Point{p.x + step.x, p.y + step.y};
                    }
                    EXPECT_EQ(repeated.Pixels(), members.Pixels());
                    EXPECT_LT(repeated.CountOf(kWhite), kSide * kSide);
                }
            }
        }
    }
    DeleteObject(brush);
}

}  // namespace
}  // namespace ql::gfx
