// Picture of entry: the measure after eight eighths clicked in, drawn at zoom 16 and
// written to test-output/entry_eighths_zoom16.png. Read back from the pixels: eight
// stems, each at its chord's beat-map column (within a pixel of the head's side), and
// beam bands that join stems 1-4 and 5-8 but not 4 and 5.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/draw/draw_surface.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/note_redraw.h"
#include "notes/rests/staff_place.h"
#include "notes/tests/entry/measure_redraw_fixture.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/types.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing_entry {
namespace {

constexpr int kMinStemPixels = 30;  // a stem of 7 steps is 56 pixels at zoom 16
constexpr int kUnitsPerPixel = 8;

class EntryPicture : public MeasureRedrawTest {
  protected:
    bool Ink(const std::vector<uint32_t>& pixels, int x, int y) const {
        return testing_entry::Ink(pixels[static_cast<size_t>(y) * kWidth + x]);
    }
    // Centres of the runs of columns that hold a vertical ink run of stem length.
    std::vector<int> StemColumns(const std::vector<uint32_t>& pixels) const {
        std::vector<int> columns;
        int runStart = -1;
        for (int x = 0; x <= kWidth; ++x) {
            bool stem = false;
            for (int y = 0, run = 0; x < kWidth && y < kHeight && !stem; ++y) {
                run = Ink(pixels, x, y) ? run + 1 : 0;
                stem = run >= kMinStemPixels;
            }
            if (stem && runStart < 0) runStart = x;
            if (!stem && runStart >= 0) {
                columns.push_back((runStart + x - 1) / 2);
                runStart = -1;
            }
        }
        return columns;
    }
    // True when some row outside the staff holds ink all the way from one stem to the next.
    bool Bridged(const std::vector<uint32_t>& pixels, int left, int right, int staffTop,
                 int staffBottom) const {
        for (int y = 0; y < kHeight; ++y) {
            if (y >= staffTop - 2 && y <= staffBottom + 2) continue;
            bool all = true;
            for (int x = left; x <= right && all; ++x) all = Ink(pixels, x, y);
            if (all) return true;
        }
        return false;
    }
};

TEST_F(EntryPicture, EightEighthsDrawTwoBeamGroupsOfFour) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    PointAt(0, kEntryStep);
    for (int i = 0; i < 8; ++i) Click();
    UseMeasure(1);
    OpenWindow(kWidth, kHeight);
    BeginViewDraw(view_);
    DrawNoteChain(view_, 0);
    const int staffTop = DevicePoint(0, PositionY(view_, -8)).y;
    const int staffBottom = DevicePoint(0, PositionY(view_, 0)).y;
    std::vector<int> expected;
    for (EventRecord* chord : Chords())
        expected.push_back(DevicePoint(CurrentSlotX(view_) + BeatMapTickToX(view_, chord->time), 0).x);
    EndViewDraw(view_);
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    EXPECT_TRUE(gfx::WritePng(win::GetWindowImage(window_),
                              (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "entry_eighths_zoom16.png").string()));
    const std::vector<uint32_t> pixels = WindowPixels();
    const std::vector<int> stems = StemColumns(pixels);
    ASSERT_EQ(stems.size(), 8u);
    ASSERT_EQ(expected.size(), 8u);
    const int head = view_->glyphWidths.black / kUnitsPerPixel;
    for (size_t i = 0; i < stems.size(); ++i) {
        EXPECT_GE(stems[i], expected[i] - 1) << "stem " << i;
        EXPECT_LE(stems[i], expected[i] + head + 1) << "stem " << i;
    }
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(Bridged(pixels, stems[i], stems[i + 1], staffTop, staffBottom), i != 3)
            << "between stems " << i << " and " << i + 1;
}

}  // namespace
}  // namespace ql::testing_entry
