// The fixture score drawn into the score window (anti-aliasing off) at zoom 16 and 40,
// over staff lines drawn as the staff painter draws them (one-pixel lines, and from
// zoom 20 bars of the line width centred on them). The pictures are written for
// review; the pixels are checked against the draw-call log: heads centred on their
// line or space, stems as vertical runs of their length, beams along their slope,
// ledger lines counted above and below the staff, and heads of the 75 % staff 75 %
// of the full size.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/draw/draw_surface.h"
#include "core/draw/glyph_metrics.h"
#include "core/model/score_document.h"
#include "notes/drawing/note_fields.h"
#include "notes/tests/drawing/notedraw_fixture.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"

namespace ql::testing_notedraw {
namespace {

constexpr int kStaffLines = 5;
constexpr int32_t kSpace = 128;
constexpr double kSmallScale = kSmallStaffPercent / 100.0;
constexpr int kPixelTolerance = 1;
constexpr int32_t kMarginUnits = 1024;

class FixturePicture : public NoteDrawTest, public ::testing::WithParamInterface<int32_t> {
  protected:
    void SetUp() override {
        NoteDrawTest::SetUp();
        if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
        zoom_ = GetParam();
        f_ = BuildFixtureScore(zoom_);
        const int32_t right = TickX(kFixtureMeasures, 4096);
        const gfx::Point far = Device(right + kMarginUnits, BottomY(kSmallStaff) + kMarginUnits);
        SizeWindow(far.x, far.y);
        notedraw::test_seam::SetInkLog(&log_);
        BeginViewDraw(view_);
        for (int staff = 1; staff <= kFixtureStaves; ++staff)
            DrawStaff(staff, ScaleOf(staff), right);
        EndViewDraw(view_);
        DrawFixtureScore();
        EXPECT_TRUE(WritePng("notes_fixture_zoom" + std::to_string(zoom_) + ".png"));
    }

    double ScaleOf(int staff) const { return staff == kSmallStaff ? kSmallScale : 0.0; }
    int32_t Scaled(int32_t v, double scale) const {
        return scale > 0.0 ? static_cast<int32_t>(v * scale) : v;
    }
    void DrawStaff(int staff, double scale, int32_t right) {
        const int32_t left = TickX(1, 0) - kSpace;
        const int32_t width = std::max(Scaled(kStaffLineWidth, scale), 1);
        for (int line = 0; line < kStaffLines; ++line) {
            const int32_t y = BottomY(staff) - Scaled(line * kSpace, scale);
            gfx::MoveTo(view_->ViewDC, gfx::Point{left, y});
            gfx::LineTo(view_->ViewDC, gfx::Point{right, y});
            if (zoom_ >= 20)
                gfx::PatternBlit(view_->ViewDC,
                                 gfx::Rect{left, y - width / 2, right, y - width / 2 + width},
                                 gfx::RasterOp::PatternCopy);
        }
    }
    // The staff a logical y belongs to: the nearest middle line.
    int StaffAt(int32_t y) const {
        int best = 1;
        for (int staff = 2; staff <= kFixtureStaves; ++staff)
            if (std::abs(y - (BottomY(staff) - 2 * kSpace)) <
                std::abs(y - (BottomY(best) - 2 * kSpace)))
                best = staff;
        return best;
    }
    // The first and last ink rows of columns x0..x1 within rows y0..y1.
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
    // Ink runs in one column between two rows (exclusive).
    int RunsInColumn(int x, int y0, int y1) const {
        int runs = 0;
        bool inRun = false;
        for (int y = y0 + 1; y < y1; ++y) {
            const bool ink = IsInk(x, y);
            if (ink && !inRun) ++runs;
            inRun = ink;
        }
        return runs;
    }
    int32_t PositionStep(int staff) const { return Scaled(kStep, ScaleOf(staff)); }
    // The ink extent (device) of the head glyph drawn by a log call.
    gfx::Rect HeadBox(const InkCall& call) {
        const GlyphMetricEntry g = GlyphMetricOf(*doc_, call.code);
        const double scale = ScaleOf(StaffAt(call.points[0].y));
        const gfx::Point left =
            Device(call.points[0].x + Scaled(g.outline[kOutlineInkLeft], scale), call.points[0].y);
        const gfx::Point right =
            Device(call.points[0].x + Scaled(g.outline[kOutlineInkRight], scale), call.points[0].y);
        return gfx::Rect{left.x, left.y, right.x, right.y};
    }

    int32_t zoom_ = 0;
    FixtureNotes f_;
};

// Every black head is centred on the line or space of its position.
TEST_P(FixturePicture, HeadsSitOnTheirLinesAndSpaces) {
    int checked = 0;
    const int32_t graceX = TickX(3, 1024);  // its slash crosses the head
    for (const InkCall& call : Calls(InkPart::Head)) {
        if (call.code != kBlackHeadCode || call.points[0].x == graceX) continue;
        const int staff = StaffAt(call.points[0].y);
        const int32_t step = PositionStep(staff);
        const int32_t rel = call.points[0].y - BottomY(staff);
        const int position = static_cast<int>(std::lround(static_cast<double>(rel) / step));
        const int centre = Device(0, BottomY(staff) + Scaled(position * kStep, ScaleOf(staff))).y;
        const gfx::Rect box = HeadBox(call);
        const int quarter = std::max((box.right - box.left) / 8, 1);
        const int mid = (box.left + box.right) / 2;
        const int window = Device(0, Scaled(3 * kSpace / 4, ScaleOf(staff))).y - Device(0, 0).y;
        int first = 0, last = 0;
        ASSERT_TRUE(
            InkRows(mid - quarter, mid + quarter, centre - window, centre + window, &first, &last));
        EXPECT_NEAR((first + last + 1) / 2.0, centre, kPixelTolerance + 0.5)
            << "head at position " << position << " rows " << first << ".." << last << " box "
            << box.left << ".." << box.right << " x " << call.points[0].x;
        ++checked;
    }
    EXPECT_GE(checked, 15);
}

// A stem without flag or beam is a vertical ink run from its free end to its note.
TEST_P(FixturePicture, StemsAreVerticalRunsOfTheirLength) {
    const EventRecord* quarters[] = {f_.second, f_.dottedLine, f_.lowQuarter, f_.small};
    int checked = 0;
    for (const InkCall& call : Calls(InkPart::Stem)) {
        if (call.kind != InkKind::Line) continue;
        const gfx::Point a = Device(call.points[0].x, call.points[0].y);
        const gfx::Point b = Device(call.points[1].x, call.points[1].y);
        bool isQuarter = false;
        for (const EventRecord*& q : quarters) {
            const int staff = q == f_.small ? kSmallStaff : 1;
            if (q == nullptr) continue;
            const int32_t y = BottomY(staff) + Scaled(SignedStep(*q) * kStep, ScaleOf(staff)) +
                              Scaled(q->stemLength, ScaleOf(staff));
            if (call.points[0].y != y) continue;
            isQuarter = true;
            q = nullptr;  // its first line only (a second one stands beside it at zoom 16)
        }
        if (!isQuarter) continue;
        const int column = a.x;
        const int step = b.y > a.y ? 1 : -1;
        int end = (a.y + b.y) / 2;
        ASSERT_TRUE(IsInk(column, end)) << "no stem at column " << column;
        while (IsInk(column, end - step)) end -= step;  // walk to the free end
        EXPECT_NEAR(end, a.y, kPixelTolerance) << "free end of the stem at column " << column;
        for (int y = a.y + step; y != b.y; y += step)
            EXPECT_TRUE(IsInk(column, y)) << "gap at row " << y;
        ++checked;
    }
    EXPECT_EQ(checked, 4);
}

// The main beam's top edge (stems up) follows the laid-out slope across the group.
TEST_P(FixturePicture, BeamBandsFollowTheirSlope) {
    const std::vector<InkCall> beams = Calls(InkPart::Beam);
    ASSERT_FALSE(beams.empty());
    const InkCall& main = beams.front();  // the up group's main beam
    const gfx::Point a = Device(main.points[0].x, main.points[0].y);
    const gfx::Point b = Device(main.points[1].x, main.points[1].y);
    int checked = 0;
    for (int i = 1; i < 8; ++i) {
        const int x = a.x + (b.x - a.x) * i / 8;
        const double expected = a.y + static_cast<double>(b.y - a.y) * (x - a.x) / (b.x - a.x);
        bool nearLine = false;  // a staff line touching the band would lengthen the run
        for (int line = 0; line < kStaffLines; ++line)
            nearLine =
                nearLine || std::abs(Device(0, LineY(1, -2 * line)).y - expected) < zoom_ / 4;
        if (nearLine) continue;
        int top = static_cast<int>(expected) + zoom_ / 8;
        ASSERT_TRUE(IsInk(x, top)) << "no beam at column " << x;
        while (IsInk(x, top - 1)) --top;
        EXPECT_NEAR(top, expected, kPixelTolerance + 0.5) << "column " << x;
        ++checked;
    }
    EXPECT_GE(checked, 3);
}

// Left of the head (inside the ledger line's overhang): two lines above the eighth at
// -12, one below the quarter at 2, none above the dotted quarter.
TEST_P(FixturePicture, LedgerLineRowsAreCounted) {
    const int topLine = Device(0, LineY(1, -8)).y;
    const int bottomLine = Device(0, LineY(1, 0)).y;
    const int32_t black = view_->scaledMetrics.blackWidth;
    auto leftOfHead = [&](int32_t x) { return Device(x - black / 4, 0).x; };  // on the overhang
    const int above = Device(0, LineY(1, -16)).y;
    const int below = Device(0, LineY(1, 6)).y;  // clear of the next staff
    const int clear = zoom_ / 8;                 // off the staff line's own rows
    EXPECT_EQ(RunsInColumn(leftOfHead(TickX(1, 2560)), above, topLine - clear), 2);
    EXPECT_EQ(RunsInColumn(leftOfHead(TickX(1, 3072)), bottomLine + clear, below), 1);
    EXPECT_EQ(RunsInColumn(leftOfHead(TickX(1, 1024)), above, topLine - clear), 0);
}

// A black head of the 75 % staff is 75 % of the full-size head, wide and high: both
// quarters stand alone with their stems up, measured left of the stem.
TEST_P(FixturePicture, SmallStaffHeadsAreThreeQuartersSize) {
    auto inkSize = [&](const EventRecord* note, int staff, int tick) {
        const double scale = ScaleOf(staff);
        const int32_t x = TickX(1, tick);
        const int32_t y = BottomY(staff) + Scaled(SignedStep(*note) * kStep, scale);
        const gfx::Point centre = Device(x + Scaled(view_->glyphWidths.black, scale) / 2, y);
        const int right = Device(x + Scaled(view_->glyphWidths.black - 2 * kStemWidth, scale), y).x;
        int left = centre.x;
        const int row = centre.y - zoom_ / 8;
        while (IsInk(left - 1, row)) --left;
        int top = centre.y, bottom = centre.y;
        while (IsInk(centre.x, top - 1)) --top;
        while (IsInk(centre.x, bottom + 1)) ++bottom;
        return std::pair<int, int>{right - left, bottom - top + 1};
    };
    const auto full = inkSize(f_.lowQuarter, 1, 3072);
    const auto small = inkSize(f_.small, kSmallStaff, 0);
    EXPECT_NEAR(small.second, full.second * kSmallScale, kPixelTolerance + 0.5) << "heights";
    EXPECT_NEAR(small.first, full.first * kSmallScale, kPixelTolerance + 0.5) << "widths";
}

INSTANTIATE_TEST_SUITE_P(TwoZooms, FixturePicture, ::testing::Values(16, 40));

}  // namespace
}  // namespace ql::testing_notedraw
