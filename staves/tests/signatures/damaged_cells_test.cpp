// Damaged cells fed to the clef and key walks: random clef and key nibbles (codes
// 15 included), random change counts, change objects with codes above 14 and ticks
// past the measure's end. Every walk ends without a fault (ASan, UBSan), and each
// cell the redundancy pass visits has its clef count recounted from its list.
#include <random>

#include "core/model/grid.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "staves/change_range.h"
#include "staves/clef_changes.h"
#include "staves/clef_key_placement.h"
#include "staves/key_changes.h"
#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {
namespace {

constexpr int kMeasures = 6;
constexpr int kStaves = 2;
constexpr uint16_t kClefCountMask = 0x000F;
constexpr int kRounds = 40;
constexpr int kCodeValues = 16;  // nibbles 0..15
constexpr int kPastEndTick = 65535;

class DamagedCells : public SignatureTest {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        BuildScore(kStaves, kMeasures);
    }
    void Damage(std::mt19937& rng) {
        std::uniform_int_distribution<int> code(0, kCodeValues - 1);
        std::uniform_int_distribution<int> word(0, 0xFFFF);
        std::uniform_int_distribution<int> tick(0, kPastEndTick);
        std::uniform_int_distribution<int> coin(0, 3);
        for (int staff = 1; staff <= kStaves; ++staff)
            for (int m = 0; m <= kMeasures + 4; ++m) {
                MeasureCell* cell = Cell(staff, m);
                cell->clefKey = static_cast<uint8_t>(code(rng) | (code(rng) << kKeyNibbleShift));
                cell->cellWord = static_cast<uint16_t>(word(rng));
                if (m >= 1 && m <= kMeasures && coin(rng) == 0)
                    PlaceChange(ObjectType::Clef, staff, m, tick(rng), code(rng));
                if (m >= 1 && m <= kMeasures && coin(rng) == 0)
                    PlaceChange(ObjectType::KeySignature, staff, m, tick(rng), code(rng));
                if (coin(rng) == 0) AddNote(staff, m, 0, code(rng) - 8);
            }
    }
};

TEST_F(DamagedCells, WalksEndAndCountsAreRecounted) {
    std::mt19937 rng(20261206);
    std::uniform_int_distribution<int> measure(0, kMeasures + 4);
    std::uniform_int_distribution<int> code(0, kCodeValues - 1);
    for (int round = 0; round < kRounds; ++round) {
        Damage(rng);
        RebuildBeatMap();
        for (int staff = 1; staff <= kStaves; ++staff) {
            for (ChangeWhat what : {ChangeWhat::Clef, ChangeWhat::Key, ChangeWhat::Time}) {
                const ChangeRange range = ComputeChangeRange(doc_, what, ChangeRangeMode::UpToChange,
                                                             staff, measure(rng), kPastEndTick, 0);
                EXPECT_LE(range.end, doc_->header.measureCount + 5);
            }
            for (int slot = 1; slot <= kMeasures; ++slot) {
                const PlacedKeyRow row = PlaceKeySignature(view_, staff, slot, code(rng), code(rng));
                EXPECT_LE(row.count, kMaxKeyAccidentals);
                PlaceClefChange(view_, staff, slot, code(rng));
            }
            Locate(staff, 1 + measure(rng) % kMeasures);
            StepKey(view_, code(rng) - kCodeValues / 2);
            StepClef(view_, code(rng) - kCodeValues / 2);
            RemoveRedundantClefs(view_, nullptr);
            for (int m = 1; m < kMeasures; ++m)
                EXPECT_EQ(Cell(staff, m)->cellWord & kClefCountMask,
                          CountObjects(staff, m, ObjectType::Clef) % kCodeValues)
                    << "staff " << staff << " measure " << m << " round " << round;
        }
    }
}

}  // namespace
}  // namespace ql::testing_signatures
