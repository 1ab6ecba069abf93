// A staff with the four note heads, a red and a grey mark, drawn through the view's
// surface (its mapping, music font and colour sets) at two zooms. The pictures are
// written for review; pixel rows and columns are checked against the score units.
#include <string>

#include "core/draw/glyph_metrics.h"
#include "core/tests/draw/draw_fixture.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/text/text_out.h"

namespace ql::testing_draw {
namespace {

constexpr int32_t kSpace = kUnitsPerStaffSpace;
constexpr int32_t kStaffTop = kLogicalOrigin + 2 * kSpace;
constexpr int32_t kStaffLeft = kLogicalOrigin + kSpace;
constexpr int32_t kStaffRight = kLogicalOrigin + 11 * kSpace;
constexpr int kLines = 5;
constexpr int kPictureSpacesWide = 16;
constexpr int kPictureSpacesHigh = 8;
constexpr gfx::Colour kExpectedRed = gfx::Rgb(255, 0, 0);
constexpr gfx::Colour kExpectedGrey = gfx::Rgb(192, 192, 192);
// Device pixels: a glyph centred on the baseline sits on the top edge of the pixel
// row a one-pixel line fills.
constexpr double kCentreTolerance = 1.5;

struct Head {
    uint8_t code;
    int32_t x;
    int step;  // staff steps below the top line
    int32_t Y() const { return kStaffTop + step * kUnitsPerStaffStep; }
};
constexpr Head kHeads[] = {
    {kBreveHeadCode, kLogicalOrigin + 2 * kSpace, 0},
    {kWholeHeadCode, kLogicalOrigin + 9 * kSpace / 2, 3},
    {kHalfHeadCode, kLogicalOrigin + 7 * kSpace, 4},
    {kBlackHeadCode, kLogicalOrigin + 19 * kSpace / 2, 7},
};
constexpr gfx::Rect kRedMark{kLogicalOrigin + 12 * kSpace, kStaffTop, kLogicalOrigin + 13 * kSpace,
                             kStaffTop + 2 * kSpace};
constexpr gfx::Rect kGreyMark{kLogicalOrigin + 14 * kSpace, kStaffTop, kLogicalOrigin + 15 * kSpace,
                              kStaffTop + 2 * kSpace};

class StaffPicture : public DrawTest, public ::testing::WithParamInterface<int32_t> {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        zoom_ = GetParam();
        view_.zoom = zoom_;
        win::MoveWindow(window_,
                        win::Rect{0, 0, kPictureSpacesWide * zoom_, kPictureSpacesHigh * zoom_},
                        false);
    }
    int Dev(int32_t logical) const {
        return static_cast<int>((logical - kLogicalOrigin) * zoom_ / kSpace);
    }

    void DrawStaff() {
        BeginViewDraw(&view_);
        platform::DcHandle dc = view_.ViewDC;
        for (int line = 0; line < kLines; ++line) {
            gfx::MoveTo(dc, gfx::Point{kStaffLeft, kStaffTop + line * kSpace});
            gfx::LineTo(dc, gfx::Point{kStaffRight, kStaffTop + line * kSpace});
        }
        for (const Head& head : kHeads) {
            char code = static_cast<char>(head.code);
            text::TextOutA(dc, gfx::Point{head.x, head.Y()}, std::string_view(&code, 1));
        }
        BeginHighlightDrawAlt2(&view_);
        gfx::Rectangle(view_.ViewDC, kRedMark);
        EndHighlightDraw(&view_);
        BeginHighlightDrawAlt(&view_);
        gfx::Rectangle(view_.ViewDC, kGreyMark);
        EndHighlightDraw(&view_);
        EndViewDraw(&view_);
    }
    // The rows of ink in columns x0..x1 within rows y0..y1; false when none.
    bool InkRows(int x0, int x1, int y0, int y1, int* first, int* last) const {
        *first = -1;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (IsInk(x, y)) {
                    if (*first < 0) *first = y;
                    *last = y;
                    break;
                }
        return *first >= 0;
    }
    int zoom_ = 0;
};

// The staff lines fall on their rows, each head is centred on its line or space at
// its x, and the marks are red and grey where they were drawn.
TEST_P(StaffPicture, HeadsAndMarksLandOnTheirPixels) {
    RequireMusicFonts();
    ASSERT_EQ(BuildGlyphMetrics(&view_), GlyphTableStatus::Built);
    DrawStaff();
    EXPECT_TRUE(WritePng("draw_staff_zoom" + std::to_string(zoom_) + ".png"));
    int column = Dev(kStaffLeft) + 2;
    for (int line = 0; line < kLines; ++line) {
        int row = Dev(kStaffTop + line * kSpace);
        EXPECT_TRUE(IsInk(column, row)) << "line " << line;
        EXPECT_FALSE(IsInk(column, row + zoom_ / 2)) << "between lines " << line;
    }
    for (const Head& head : kHeads) {
        GlyphMetricEntry metric = GlyphMetricOf(*document_, head.code);
        int inkLeft = Dev(head.x) + metric.outline[kOutlineInkLeft] * zoom_ / kSpace;
        int inkRight = Dev(head.x) + metric.outline[kOutlineInkRight] * zoom_ / kSpace;
        int centre = Dev(head.Y());
        int first = 0, last = 0;
        ASSERT_TRUE(InkRows(inkLeft + 1, inkRight - 1, centre - 3 * zoom_ / 4,
                            centre + 3 * zoom_ / 4, &first, &last))
            << "code " << int(head.code);
        EXPECT_NEAR((first + last + 1) / 2.0, centre, kCentreTolerance)
            << "code " << int(head.code);
        int left = inkLeft - 2;
        EXPECT_FALSE(IsInk(left, centre + (head.step % 2 == 0 ? 2 : 0)))
            << "left of code " << int(head.code);
    }
    EXPECT_EQ(Pixel(Dev(kRedMark.left) + zoom_ / 2, Dev(kRedMark.top) + zoom_), kExpectedRed);
    EXPECT_EQ(Pixel(Dev(kGreyMark.left) + zoom_ / 2, Dev(kGreyMark.top) + zoom_), kExpectedGrey);
    EXPECT_EQ(Pixel(Dev(kRedMark.left) - 2, Dev(kRedMark.top) + zoom_), gfx::kWhite);
    EXPECT_EQ(Pixel(Dev(kGreyMark.right) + 2, Dev(kGreyMark.top) + zoom_), gfx::kWhite);
}

INSTANTIATE_TEST_SUITE_P(TwoZooms, StaffPicture, ::testing::Values(16, 64));

}  // namespace
}  // namespace ql::testing_draw
