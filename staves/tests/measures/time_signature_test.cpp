// Time signatures: the length limits (computed in full width), setting a signature
// over a range of measures, and keypad stepping inside the dialog's limits.
#include "staves/time_signature.h"

#include "core/model/pages.h"
#include "notes/rests/staff_place.h"
#include "staves/time_signature_tool.h"

#include "core/model/grid_records.h"
#include "core/settings/program_options.h"
#include "platform/ui/headless.h"
#include "staves/tests/measures/measure_fixture.h"

namespace ql::testing_measures {
namespace {

using TimeSignatures = MeasureTest;

constexpr int kEighth = 9;
constexpr int kSixteenth = 8;
constexpr int kQuarter = kQuarterBeatCode;
const std::string kLimitText = "Must be between 2 sixteenth and 32 quarter notes.";

// The length rule: 2/16 is the shortest, 32/4 the longest; 64/4 wraps to 0 in 16
// bits and must still be refused; no beats is refused.
TEST(SignatureLimits, LengthIsCheckedInFullWidth) {
    EXPECT_TRUE(IsSignatureAccepted(2, kSixteenth));     // 512
    EXPECT_FALSE(IsSignatureAccepted(1, kSixteenth));    // 256
    EXPECT_TRUE(IsSignatureAccepted(32, kQuarter));      // 32,768
    EXPECT_FALSE(IsSignatureAccepted(33, kQuarter));     // 33,792
    EXPECT_FALSE(IsSignatureAccepted(64, kQuarter));     // 65,536
    EXPECT_FALSE(IsSignatureAccepted(0, kQuarter));
    EXPECT_EQ(MostBeatsForCode(kWholeBeatCode), 16);     // 65,536 >> 12
    EXPECT_EQ(MostBeatsForCode(kQuarter), 32);
    EXPECT_EQ(LowerNumberOfCode(kShortestBeatCode), 32);
    EXPECT_EQ(LowerNumberOfCode(kWholeBeatCode), 1);
    EXPECT_EQ(LowerNumberOfCode(13), 0);
}

// Common and cut time are symbols only for 4/4 and 2/2, and only with the setting.
TEST(SignatureLimits, CommonAndCutTimeNeedTheSetting) {
    ResetProgramOptions();
    Options().CommonCut = 1;
    EXPECT_TRUE(IsDrawnAsSymbol(4, kQuarter));
    EXPECT_TRUE(IsDrawnAsSymbol(2, kHalfBeatCode));
    EXPECT_FALSE(IsDrawnAsSymbol(4, kHalfBeatCode));
    EXPECT_FALSE(IsDrawnAsSymbol(2, kQuarter));
    Options().CommonCut = 0;
    EXPECT_FALSE(IsDrawnAsSymbol(4, kQuarter));
}

// A refused signature shows the limit box and changes nothing at all.
TEST_F(TimeSignatures, RefusedSignatureChangesNothing) {
    BuildScore(2, 6);
    UseMeasure(2);
    const auto before = Image();
    for (auto [beats, code] : {std::pair{1, kSixteenth}, {33, kQuarter}, {64, kQuarter}, {0, kQuarter}})
        EXPECT_EQ(SetTimeSignature(view_, beats, code, kUpToFirstChange), 0);
    EXPECT_EQ(Image(), before);
    ASSERT_EQ(BoxTexts().size(), 4u);
    EXPECT_EQ(BoxTexts()[0], kLimitText);
    EXPECT_EQ(SetTimeSignature(view_, 2, kSixteenth, 2), 1);
    EXPECT_EQ(Record(2).lengthTicks, 512);
}

// "Up to first time signature change" stops before the next measure whose staff-1
// signature differs; every staff's cells and the measures' lengths follow.
TEST_F(TimeSignatures, UpToTheFirstChangeStopsBeforeIt) {
    BuildScore(2, 8);
    for (int s = 0; s <= 2; ++s) Cell(s, 6)->beats = 2;
    UseMeasure(3);
    ASSERT_EQ(SetTimeSignature(view_, 6, kEighth, kUpToFirstChange), 1);
    for (int m = 3; m <= 5; ++m) {
        EXPECT_EQ(Cell(1, m)->beats, 6) << m;
        EXPECT_EQ(Cell(2, m)->beatUnit, kEighth) << m;
        EXPECT_EQ(Record(m).lengthTicks, 6 * 512) << m;
    }
    EXPECT_EQ(Cell(1, 2)->beats, 4);
    EXPECT_EQ(Cell(1, 6)->beats, 2);
    EXPECT_EQ(Record(6).lengthTicks, 4096);
    // With no later change it runs to the end of the table.
    UseMeasure(7);
    ASSERT_EQ(SetTimeSignature(view_, 3, kQuarter, kUpToFirstChange), 1);
    EXPECT_EQ(Cell(1, 8 + kSpareMeasures)->beats, 3);
}

// At measure 1 the opening signature (cell index 0, record 0) changes too.
TEST_F(TimeSignatures, MeasureOneAlsoSetsTheOpeningSignature) {
    BuildScore(1, 4);
    UseMeasure(1);
    ASSERT_EQ(SetTimeSignature(view_, 3, kQuarter, 1), 1);
    EXPECT_EQ(Cell(1, 0)->beats, 3);
    EXPECT_EQ(Record(0).lengthTicks, 3072);
    EXPECT_EQ(Record(1).lengthTicks, 3072);
    EXPECT_EQ(Record(2).lengthTicks, 4096);
}

// Stepping stays within code 7..12 and beats 1..min(32, 65,536 >> code); a step past
// either end is refused with the limit box and changes nothing.
TEST_F(TimeSignatures, SteppingStaysInsideTheDialogLimits) {
    BuildScore(1, 4);
    UseMeasure(2);
    ASSERT_EQ(StepTimeSignature(view_, +1, false), 1);  // 4/4 -> 4/2
    EXPECT_EQ(Cell(1, 2)->beatUnit, kHalfBeatCode);
    EXPECT_EQ(Record(4).lengthTicks, 8192);
    ASSERT_EQ(StepTimeSignature(view_, +1, false), 1);  // 4/1
    const auto atWhole = Image();
    EXPECT_EQ(StepTimeSignature(view_, +1, false), 0);  // no code above 12
    EXPECT_EQ(Image(), atWhole);
    for (int m = 2; m <= 4 + kSpareMeasures; ++m) Cell(1, m)->beatUnit = kSixteenth, Cell(1, m)->beats = 2;
    const auto atShortest = Image();
    EXPECT_EQ(StepTimeSignature(view_, -1, true), 0);   // 1/16: too short
    EXPECT_EQ(StepTimeSignature(view_, -1, false), 0);  // 2/32: too short
    EXPECT_EQ(Image(), atShortest);
    for (int m = 2; m <= 4 + kSpareMeasures; ++m) Cell(1, m)->beatUnit = kQuarter, Cell(1, m)->beats = 32;
    EXPECT_EQ(StepTimeSignature(view_, +1, true), 0);  // 33 beats
    EXPECT_EQ(BoxTexts().size(), 4u);
    EXPECT_EQ(BoxTexts().back(), kLimitText);
}

// The pointer chooses what steps: more than four staff steps above the reference y
// steps the upper number.
TEST(SignatureStepping, PointerHeightChoosesTheNumber) {
    EXPECT_FALSE(PointerStepsUpperNumber(1000 - 4 * 64, 1000));
    EXPECT_TRUE(PointerStepsUpperNumber(1000 - 5 * 64, 1000));
    EXPECT_TRUE(PointerStepsUpperNumber(1000 - 4 * 64 - 40, 1000));  // rounds to 5
    EXPECT_FALSE(PointerStepsUpperNumber(1200, 1000));
}

// The tool: selecting shows its status text; keypad + with the pointer low on the
// staff lengthens the beat, with it high adds a beat; other keys are not its own.
TEST_F(TimeSignatures, ToolStepsWhatThePointerPointsAt) {
    BuildScore(1, 4);
    UseMeasure(2);
    EXPECT_EQ(TimeSignatureTool(view_, 0, nullptr, {}, win::Message::Null, 0, 0), 1);
    EXPECT_THAT(StatusTexts(), ::testing::Contains(::testing::HasSubstr(kTimeToolStatus)));
    const int32_t bottom = StaffBaseY(view_);
    view_->pointerPoint.y = bottom - 64;  // just above the bottom line
    EXPECT_EQ(TimeSignatureTool(view_, 1, nullptr, {}, win::Message::KeyDown, static_cast<uint32_t>(win::Key::Add), 0), 1);
    EXPECT_EQ(Cell(1, 2)->beatUnit, kHalfBeatCode);
    view_->pointerPoint.y = bottom - 7 * 64;  // near the top line
    EXPECT_EQ(TimeSignatureTool(view_, 1, nullptr, {}, win::Message::KeyDown, static_cast<uint32_t>(win::Key::Add), 0), 1);
    EXPECT_EQ(Cell(1, 2)->beats, 5);
    EXPECT_EQ(Record(3).lengthTicks, 5 * 2048);
    EXPECT_EQ(TimeSignatureTool(view_, 1, nullptr, {}, win::Message::KeyDown, static_cast<uint32_t>(win::Key::Home), 0), 0);
}

}  // namespace
}  // namespace ql::testing_measures
