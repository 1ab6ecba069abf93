// One system of four measures (4/4; 6/8 with a clef change; 3/4 with a key change;
// 2/2) laid out with the music font's real glyph widths, drawn through the view's
// surface: staff lines, barlines at the slots' x, and a one-pixel tick above the
// staff at the map's x of every beat. The pictures are written for review; the
// pixel columns of the ticks are checked against the map.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/draw/staff_scaling.h"
#include "platform/tests/win/plain_window.h"
#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/glyph_metrics.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/state.h"
#include "notes/beatmap/beat_map.h"
#include "notes/tests/beatmap/beatmap_fixture.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/win/headless.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing_beatmap {
namespace {

constexpr int kMeasures = 4;
constexpr int kBassClef = 3;
constexpr int kTwoSharps = 9;
constexpr int32_t kSpace = kUnitsPerStaffSpace;
constexpr int32_t kStaffTop = kLogicalOrigin + 5 * kSpace;
constexpr int32_t kTickTop = kStaffTop - 3 * kSpace;  // the ticks stand above the staff
constexpr int32_t kTickBottom = kStaffTop - 2 * kSpace;
constexpr int kStaffLines = 5;
constexpr int kPictureSpacesHigh = 10;
constexpr int kInkThreshold = 128;
constexpr int kScreenDpi = 96;
constexpr int kPixelTolerance = 1;

// A beat drawn: the device column it should land on and its slot's first-beat column.
struct DrawnTick {
    int column;
    int contentColumn;
};

class BeatMapPicture : public BeatMapTest, public ::testing::WithParamInterface<int32_t> {
  protected:
    void SetUp() override {
        BeatMapTest::SetUp();
        win::headless::ResetWindowLayer();
        window_ = ::ql::testing::OpenPlainWindow("QLMdiChild", 64, 64);
        State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = kScreenDpi;
    }
    void TearDown() override {
        ReleaseViewDrawing(view_);
        ReleaseDrawingGlobals(1);
        DeleteMusicFonts();
        DeleteColourSets();
        BeatMapTest::TearDown();
    }

    // The score, laid out with the font's glyph table.
    void Lay() {
        BuildScore(1, {1}, kMeasures);
        view_->ViewWindow = window_;
        view_->zoom = GetParam();
        const GlyphTableStatus status = BuildGlyphMetrics(view_);
        ASSERT_TRUE(status == GlyphTableStatus::Built || status == GlyphTableStatus::Copied);
        SetTime(2, 6, kQuarterUnit - 1);
        SetTime(3, 3, kQuarterUnit);
        SetTime(4, 2, kQuarterUnit + 1);
        for (int m = 2; m <= kMeasures + 4; ++m) SetClef(1, m, kBassClef);
        for (int m = 3; m <= kMeasures + 4; ++m) SetKey(m, kTwoSharps);
        UpdateBeatMaps(view_, 1);
    }

    int32_t SlotX(int slot) const { return kSystemX + Map().slotX[BeatMapCell(0, slot)]; }
    int32_t ContentX(int slot) const { return kSystemX + Map().contentX[BeatMapCell(0, slot)]; }
    int DeviceColumn(int32_t x) const {
        return gfx::LogicalToDevice(view_->ViewDC, gfx::Point{x, kTickTop}).x;
    }

    void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        gfx::MoveTo(view_->ViewDC, gfx::Point{x0, y0});
        gfx::LineTo(view_->ViewDC, gfx::Point{x1, y1});
    }

    // Draws the system and returns the beats drawn, in the map's order.
    std::vector<DrawnTick> Draw() {
        const int32_t right = SlotX(kMeasures + 1);
        const int zoom = GetParam();
        win::MoveWindow(window_,
                        win::Rect{0, 0, (right - kLogicalOrigin + 2 * kSpace) * zoom / kSpace,
                                  kPictureSpacesHigh * zoom},
                        false);
        std::vector<DrawnTick> ticks;
        BeginViewDraw(view_);
        for (int line = 0; line < kStaffLines; ++line)
            Line(kSystemX, kStaffTop + line * kSpace, right, kStaffTop + line * kSpace);
        for (int slot = 2; slot <= kMeasures + 1; ++slot)
            Line(SlotX(slot), kStaffTop, SlotX(slot), kStaffTop + (kStaffLines - 1) * kSpace);
        for (int slot = 1; slot <= kMeasures; ++slot) {
            const MeasureCell* cell = Cell(1, slot);
            for (int beat = 0; beat < cell->beats; ++beat) {
                const int32_t x =
                    ContentX(slot) + SlotTickToX(view_, System(0, 0), slot, beat << cell->beatUnit);
                Line(x, kTickTop, x, kTickBottom);
                ticks.push_back({DeviceColumn(x), DeviceColumn(ContentX(slot))});
            }
        }
        EndViewDraw(view_);
        return ticks;
    }

    bool IsInk(int x, int y) const {
        gfx::Colour c = gfx::GetBitmapPixel(win::GetWindowImage(window_), x, y);
        return c != gfx::kInvalidColour &&
               (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold;
    }
    // The columns holding ink in one pixel row, left to right.
    std::vector<int> InkColumns(int row) const {
        gfx::BitmapInfo info;
        gfx::GetBitmapInfo(win::GetWindowImage(window_), &info);
        std::vector<int> columns;
        for (int x = 0; x < info.width; ++x)
            if (IsInk(x, row)) columns.push_back(x);
        return columns;
    }
    bool WritePng(const std::string& name) const {
        std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
        return gfx::WritePng(win::GetWindowImage(window_),
                             (std::filesystem::path(QL_TEST_OUTPUT_DIR) / name).string());
    }

    win::WindowHandle window_;
};

// Every tick lies at the map's x in device pixels (within one pixel), one column
// each, the ticks rise strictly, and none lies left of its slot's first beat.
TEST_P(BeatMapPicture, TicksStandAtTheMapsBeats) {
    const std::filesystem::path font = std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf";
    if (!std::filesystem::exists(font)) GTEST_SKIP() << "the music font is not built";
    ASSERT_TRUE(CreateMusicFonts());
    Lay();
    const std::vector<DrawnTick> ticks = Draw();
    EXPECT_TRUE(WritePng("beatmap_row_zoom" + std::to_string(GetParam()) + ".png"));
    ASSERT_EQ(ticks.size(), 4u + 6u + 3u + 2u);
    BeginViewDraw(view_);
    const int row =
        gfx::LogicalToDevice(view_->ViewDC, gfx::Point{0, (kTickTop + kTickBottom) / 2}).y;
    EndViewDraw(view_);
    const std::vector<int> ink = InkColumns(row);
    ASSERT_EQ(ink.size(), ticks.size()) << "one column of ink per tick";
    for (size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_NEAR(ink[i], ticks[i].column, kPixelTolerance) << "tick " << i;
        EXPECT_GE(ink[i], ticks[i].contentColumn) << "tick " << i;
        if (i > 0) {
            EXPECT_GT(ticks[i].column, ticks[i - 1].column) << "tick " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(TwoZooms, BeatMapPicture, ::testing::Values(16, 40));

}  // namespace
}  // namespace ql::testing_beatmap
