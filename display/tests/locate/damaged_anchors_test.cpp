// Damaged location words and anchors (fixed seeds): every decode gives a point in
// the logical range, the location comes back, and the only word ever written is a
// time anchor's tick past its measure.
#include <cstring>
#include <random>

#include "core/model/document.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "display/anchors.h"
#include "display/tests/locate/locate_fixture.h"
#include "display/view_location.h"

namespace ql::testing_locate {
namespace {

class DamagedAnchorsTest : public LocateTest {};

TEST_F(DamagedAnchorsTest, RandomWordsDecodeInsideTheLogicalRange) {
    BuildScore(2, {3}, 4);
    std::mt19937 rng(15);
    for (int round = 0; round < 4000; ++round) {
        const int staff = 1 + static_cast<int>(rng() % 2);
        const int measure = 1 + static_cast<int>(rng() % 12);
        Locate(staff, measure);
        ObjectLocation anchors[2];
        uint16_t words[8];
        for (uint16_t& w : words) w = static_cast<uint16_t>(rng());
        std::memcpy(anchors, words, sizeof anchors);
        const int kind = static_cast<int>(rng() % 7);
        LogicalPoint out[2]{};
        DecodeAnchors(view_, kind, anchors, out, 2);
        for (const LogicalPoint& p : out) {
            EXPECT_GE(p.x, -30720);
            EXPECT_LE(p.x, 32767);
            EXPECT_GE(p.y, -30720);
            EXPECT_LE(p.y, 32767);
        }
        uint16_t after[8];
        std::memcpy(after, anchors, sizeof after);
        for (int i = 0; i < 8; ++i) {
            if (kind == 0 && i % 4 == 1) continue;  // the tick may be repaired
            ASSERT_EQ(after[i], words[i]) << "round " << round << " word " << i;
        }
        EXPECT_EQ(view_->currentMeasure, measure);
        EXPECT_EQ(view_->currentStaff, staff);
    }
}

TEST_F(DamagedAnchorsTest, RandomLocationWordsAndPointsAreClampedOrRefused) {
    BuildScore(2, {2}, 4);
    std::mt19937 rng(1515);
    for (int round = 0; round < 2000; ++round) {
        const int measure = static_cast<int>(rng() % 70000) - 5000;
        const int staff = static_cast<int>(rng() % 600) - 300;
        SetCurrentMeasure(view_, staff, measure);
        EXPECT_LE(view_->currentMeasure, doc_->header.measureCount + 4);
        EXPECT_GE(view_->currentStaff, 0);
        EXPECT_LE(view_->currentStaff, 2);
        EXPECT_LE(SlotOfMeasure(view_, measure, view_->currentSystem), 26);
        EXPECT_GE(MeasureOfSlot(view_, static_cast<int>(rng() % 100) - 50), 1);
        const LogicalPoint far{static_cast<int32_t>(rng()), static_cast<int32_t>(rng())};
        SetLocationFromPoint(view_, far);
        EXPECT_GE(view_->currentMeasure, 1);
        ObjectLocation anchor{};
        EncodeAnchors(view_, nullptr, static_cast<int>(rng() % 5), &anchor, &far, 1);
        XToTime(view_, far.x);
        TimeToX(view_, static_cast<int>(rng() % 70000) - 1000);
    }
}

}  // namespace
}  // namespace ql::testing_locate
