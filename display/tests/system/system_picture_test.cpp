// The ten-staff system drawn into the score window at zoom 16 and 40 and written to
// test-output for review. Read back from the pixels: every barline's ink column at its
// measure edge, thick and double bars at their widths, and the bracket's and the
// brace's ink over their groups' outer lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "display/tests/system/sysdraw_fixture.h"
#include "notes/beatmap/beat_map.h"

namespace ql::testing_sysdraw {
namespace {

constexpr int kStaves = 10;
constexpr int kMeasures = 8;
constexpr int32_t kFullHeight = 512;
constexpr int32_t kMargin = 1024;
constexpr int kTolerance = 1;
constexpr int kSingleStaff = 10;
// Measures 2..9: single, double, thick, single ... (the kinds read back below).
constexpr uint8_t kDoubleMeasure = 3;
constexpr uint8_t kThickMeasure = 5;

using InkRun = std::pair<int, int>;  // first and last ink column

class SystemPicture : public SysDrawTest, public ::testing::WithParamInterface<int32_t> {
  protected:
    void SetUp() override {
        SysDrawTest::SetUp();
        if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
        zoom_ = GetParam();
        BuildScore(kStaves, kMeasures, zoom_);
        JoinGroup(GroupKind::Brace, 1, 2);
        JoinGroup(GroupKind::Barline, 1, 2);
        JoinGroup(GroupKind::Bracket, 3, 6);
        JoinGroup(GroupKind::Barline, 3, 6);
        Measure(kDoubleMeasure)->barline = 1;
        Measure(kThickMeasure)->barline = 4;
        UpdateBeatMaps(view_, 1);
        const gfx::Point far = Device(SlotX(kMeasures + 1) + kMargin, StaffY(kStaves) + kMargin);
        SizeWindow(far.x, far.y);
        ClearWindow();
        DrawAll();
        EXPECT_TRUE(WritePng("system_drawing_zoom" + std::to_string(zoom_) + ".png"));
    }
    // Ink runs of one pixel row between two columns.
    std::vector<InkRun> RunsInRow(int y, int x0, int x1) const {
        std::vector<InkRun> runs;
        for (int x = x0; x <= x1; ++x) {
            if (!IsInk(x, y)) continue;
            if (!runs.empty() && runs.back().second == x - 1)
                runs.back().second = x;
            else
                runs.push_back({x, x});
        }
        return runs;
    }
    // The first and last ink rows of columns x0..x1.
    std::pair<int, int> InkRows(int x0, int x1, int y0, int y1) const {
        int first = -1;
        int last = -1;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (IsInk(x, y)) {
                    if (first < 0) first = y;
                    last = y;
                    break;
                }
        return {first, last};
    }
    // A row between the lines of the single staff, where only barlines have ink.
    int SpaceRow() { return Device(0, StaffY(kSingleStaff) - 64).y; }
    int Px(int32_t units) const { return static_cast<int>(std::lround(units * zoom_ / 128.0)); }
    // The barline runs near a slot's edge on the single staff.
    std::vector<InkRun> BarRuns(int slot) {
        const int x0 = Device(SlotX(slot) - 320, 0).x;
        const int x1 = Device(SlotX(slot) + 64, 0).x;
        return RunsInRow(SpaceRow(), x0, x1);
    }

    int32_t zoom_ = 0;
};

// Single barlines are ink at their slot's edge; the double bar is two thin runs G
// apart ending at the edge; the thick bar a run of its width ending at the edge.
TEST_P(SystemPicture, BarlineColumnsStandAtMeasureEdges) {
    for (int slot : {2, 4, 6, 7, 8, 9}) {
        const std::vector<InkRun> runs = BarRuns(slot);
        ASSERT_EQ(runs.size(), 1u) << "slot " << slot;
        EXPECT_NEAR(runs[0].first, Device(SlotX(slot), 0).x, kTolerance) << "slot " << slot;
    }
    const std::vector<InkRun> doubled = BarRuns(kDoubleMeasure);
    ASSERT_EQ(doubled.size(), 2u);
    EXPECT_NEAR(doubled[0].first, Device(SlotX(kDoubleMeasure) - kDoubleGap, 0).x, kTolerance);
    EXPECT_NEAR(doubled[1].first, Device(SlotX(kDoubleMeasure), 0).x, kTolerance);
    const std::vector<InkRun> thick = BarRuns(kThickMeasure);
    ASSERT_EQ(thick.size(), 1u);
    EXPECT_NEAR(thick[0].first, Device(SlotX(kThickMeasure) - kThickBarWidth, 0).x, kTolerance);
    EXPECT_NEAR(thick[0].second - thick[0].first + 1, Px(kThickBarWidth), kTolerance + 1);
    // Thin bars: two pixels at zoom 16 (doubled), their width from zoom 20.
    const InkRun thin = BarRuns(2)[0];
    const int thinWidth = zoom_ == 16 ? 2 : std::max(1, Px(kBarLineWidth));
    EXPECT_NEAR(thin.second - thin.first + 1, thinWidth, kTolerance);
}

// The bracket's ink runs at least from the group's top line to its bottom line; so
// does the brace's over its pair of staves.
TEST_P(SystemPicture, BracketAndBraceInkSpanTheirGroups) {
    const int bracketLeft = Device(System()->x - kBracketOffset, 0).x;
    const int bracketRight = Device(System()->x - kBracketOffset + 96, 0).x;
    const int top3 = Device(0, StaffY(3) - kFullHeight).y;
    const int bottom6 = Device(0, StaffY(6)).y;
    const auto [first, last] = InkRows(bracketLeft, bracketRight, 0, bottom6 + Px(kFullHeight));
    ASSERT_GE(first, 0);
    EXPECT_LE(first, top3 + kTolerance);
    EXPECT_GE(last, bottom6 - kTolerance);
    // No bracket ink beside staves 1 and 2 or below staff 6's group.
    const auto above = InkRows(bracketLeft, bracketRight, 0, top3 - Px(kFullHeight));
    EXPECT_EQ(above.first, -1);

    const int braceLeft = Device(System()->x - kBraceOffset - 128, 0).x;
    const int braceRight = Device(System()->x - kBracketOffset - 16, 0).x;
    const int top1 = Device(0, StaffY(1) - kFullHeight).y;
    const int bottom2 = Device(0, StaffY(2)).y;
    const auto [braceFirst, braceLast] = InkRows(braceLeft, braceRight, 0, top3 - 1);
    ASSERT_GE(braceFirst, 0);
    EXPECT_LE(braceFirst, top1 + kTolerance);
    EXPECT_GE(braceLast, bottom2 - kTolerance);
}

INSTANTIATE_TEST_SUITE_P(Zooms, SystemPicture, ::testing::Values(16, 40));

}  // namespace
}  // namespace ql::testing_sysdraw
