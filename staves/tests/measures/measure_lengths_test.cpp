// Measure lengths recomputed from staff 1's time signatures and measure widths
// reset: the spacing list dropped, default factor and margins, the proportional
// width; damaged time signatures keep the length; the reset of a system is one
// undoable edit.
#include "staves/measure_lengths.h"

#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/settings/preference_defaults.h"
#include "core/undo/undo.h"
#include "layout/spacing/spacing_list.h"
#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {
namespace {

class MeasureLengthsTest : public SignatureTest {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        BuildScore(2, 4);
        Locate(1, 1);
    }
    MeasureRecord& Measure(int m) const { return *MeasureRecordOf(doc_, m); }
    void SetTime(int staff, int measure, int beats, int unit) const {
        Cell(staff, measure)->beats = static_cast<uint8_t>(beats);
        Cell(staff, measure)->beatUnit = static_cast<uint8_t>(unit);
    }
};

// Lengths follow staff 1 (staff 2 is not read); each measure is reset.
TEST_F(MeasureLengthsTest, LengthsFollowStaffOne) {
    SetTime(1, 2, 3, kQuarter);      // 3/4
    SetTime(1, 3, 6, kQuarter - 1);  // 6/8
    SetTime(2, 4, 2, kQuarter);      // only staff 2: measure 4 stays 4/4
    Measure(1).stretch = 1;
    Measure(1).lead = 0;
    EXPECT_EQ(RecomputeMeasureLengths(doc_, view_), 2);
    EXPECT_EQ(Measure(2).lengthTicks, 3 * 1024);
    EXPECT_EQ(Measure(3).lengthTicks, 6 * 512);
    EXPECT_EQ(Measure(4).lengthTicks, 4 * 1024);
    for (int m = 1; m <= 4; ++m) {
        EXPECT_EQ(Measure(m).stretch, ProgramPreferences().DefaultStretchFactor) << m;
        EXPECT_EQ(Measure(m).lead, static_cast<int16_t>(doc_->internalDistances[0])) << m;
        EXPECT_EQ(Measure(m).trail, static_cast<int16_t>(doc_->internalDistances[1])) << m;
        EXPECT_EQ(Measure(m).width, ProportionalWidth(Measure(m))) << m;
        EXPECT_EQ(Measure(m).spacing.bits, 0) << m;
    }
    EXPECT_LT(Measure(2).width, Measure(1).width);
}

// A time signature that gives no length keeps the measure's length: no beats, a unit
// of 2^16 ticks, a product past 65535.
TEST_F(MeasureLengthsTest, DamagedTimeSignaturesKeepTheLength) {
    SetTime(1, 1, 0, kQuarter);
    SetTime(1, 2, 1, 16);
    SetTime(1, 3, 255, 15);
    SetTime(1, 4, 15, 12);  // 15 x 4096 = 61440 still fits
    EXPECT_EQ(RecomputeMeasureLengths(doc_, view_), 1);
    for (int m = 1; m <= 3; ++m) EXPECT_EQ(Measure(m).lengthTicks, 4 * 1024) << m;
    EXPECT_EQ(Measure(4).lengthTicks, 61440);
}

// The system's widths reset as one undoable edit; undo brings the old widths back.
TEST_F(MeasureLengthsTest, SystemWidthsResetAsOneEdit) {
    ASSERT_NE(view_->currentSystem, nullptr);
    const uint16_t old = Measure(2).width;
    Measure(2).stretch = static_cast<uint16_t>(Measure(2).stretch * 2);
    Measure(2).width = static_cast<uint16_t>(old * 2);
    const uint16_t wide = Measure(2).width;
    const int depth = UndoDepth(doc_);
    EXPECT_EQ(ResetSystemMeasureWidths(view_), 1);
    EXPECT_EQ(UndoDepth(doc_), depth + 1);
    EXPECT_EQ(Measure(2).width, ProportionalWidth(Measure(2)));
    EXPECT_NE(Measure(2).width, wide);
    UndoCommand(doc_, view_);
    EXPECT_EQ(Measure(2).width, wide);
    view_->currentSystem = nullptr;
    EXPECT_EQ(ResetSystemMeasureWidths(view_), 0);
}

}  // namespace
}  // namespace ql::testing_signatures
