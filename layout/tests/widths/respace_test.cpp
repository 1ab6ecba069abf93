// Respacing one measure after an edit: the start ratio from how full the measure
// is, the change test that keeps an equivalent old list, proportional mode, the
// guards for short measures, and the refresh the editors call.
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "layout/tests/layout_fixture.h"
#include "layout/widths/justify.h"

namespace ql::testing_layout {
namespace {

constexpr int kQuarter = 10;
constexpr int kEighth = 9;
constexpr int kFactor = kBuiltInStretchFactor;

class RespaceTest : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        BuildScore(1, 4);
        UseSystem(1, 4);
        State().program.SpaceAccidentals = 0;
    }
};

// A half-filled measure (two quarters in 4096 ticks) starts at 0.888 - 0.181 x 0.5 =
// 0.7975: D = 2048 + 2048 x 0.7975^2, unit = 2816 x 4096 / D = 3442.53; the quarters
// (the most common class) give the factor 3442, the filler 2189. At 0.707 they would
// be 3755 and 1876. The new width 2815 is within 2 of 2816, so it stays.
TEST_F(RespaceTest, HalfFilledMeasureStartsAtRatio07975) {
    Note(1, 2, 0, 0, kQuarter);
    Note(1, 2, 0, 1024, kQuarter);
    UseMeasure(2);
    EXPECT_EQ(RespaceMeasure(view_, true), 1);
    EXPECT_EQ(Record(2).stretch, 3442);
    EXPECT_EQ(Columns(2), (std::vector<Column>{{2048, 2048, 2189}}));
    EXPECT_EQ(Record(2).width, 2815);
}

// A respace that would draw the same keeps the old list and reports no change; an
// empty measure, a length of 0 and an unreadable note change nothing either.
TEST_F(RespaceTest, UnchangedMeasuresKeepTheirList) {
    for (int beat = 0; beat < 4; ++beat) Note(1, 1, 0, beat * 1024, kQuarter);
    UseMeasure(1);
    EXPECT_EQ(RespaceMeasure(view_, true), 0);  // quarters only at the factor: nothing to do
    EXPECT_FALSE(Record(1).spacing);
    WriteColumns(3, {{0, 1024, 3000}});
    UseMeasure(3);
    EXPECT_EQ(RespaceMeasure(view_, true), 0);  // empty: natural end 0
    EXPECT_EQ(Columns(3), (std::vector<Column>{{0, 1024, 3000}}));
    SetLength(4, 0);
    UseMeasure(4);
    EXPECT_EQ(RespaceMeasure(view_, true), 0);
    SetLength(4, 4096);
    Note(1, 4, 0, 0, kQuarter)->duration = 0;
    WriteColumns(4, {{0, 1024, 3000}});
    EXPECT_EQ(RespaceMeasure(view_, true), 0);
    EXPECT_EQ(Columns(4), (std::vector<Column>{{0, 1024, 3000}}));
}

// Proportional mode keeps the class words as spacing values (a quarter 256 units,
// the filler 512 per whole note); with "SpreadSpaceChanges" the width may change
// and the result is 2.
TEST_F(RespaceTest, ProportionalModeKeepsClassWords) {
    State().layout.SpacingMode = 1;
    State().layout.SpreadSpaceChanges = 1;
    Note(1, 2, 0, 0, kQuarter);
    Note(1, 2, 0, 1024, kQuarter);
    UseMeasure(2);
    EXPECT_EQ(RespaceMeasure(view_, true), 2);
    // The two quarters' entries touch with one value and become one.
    EXPECT_EQ(Columns(2), (std::vector<Column>{{0, 2048, 1024}, {2048, 2048, 512}}));
    EXPECT_EQ(Record(2).stretch, kFactor);
    EXPECT_EQ(Record(2).width, 256 + 256 + 256);
}

// Without "SpreadSpaceChanges" a respaced measure that moved by more than 2 is
// scaled back to its width.
TEST_F(RespaceTest, WidthIsKeptWithoutSpread) {
    State().layout.SpacingMode = 1;
    Note(1, 2, 0, 0, kQuarter);
    Note(1, 2, 0, 1024, kQuarter);
    UseMeasure(2);
    EXPECT_EQ(RespaceMeasure(view_, true), 1);
    EXPECT_NEAR(Record(2).width, kFactor, 2);
}

// A measure of under 16 ticks whose new list is left empty keeps its factor instead
// of dividing by length / 16 = 0: an eighth in 8 ticks gives the unit 1 x 4096 / 512
// = 8, the factor, so every entry is dropped and only the old list differs.
TEST_F(RespaceTest, ShortMeasureKeepsItsFactor) {
    SetLength(3, 8);
    Record(3).stretch = 8;
    WriteColumns(3, {{0, 4, 99}});
    Note(1, 3, 0, 0, kEighth);
    UseMeasure(3);
    EXPECT_EQ(RespaceMeasure(view_, true), 1);
    EXPECT_EQ(Record(3).stretch, 8);
    EXPECT_FALSE(Record(3).spacing);
    EXPECT_EQ(Record(3).width, 1);
}

// RefreshMeasureWidths: the spread flag stands for the setting during the call only;
// a changed measure is redrawn (result 1 with the redraw flag) and the replaced list
// goes.
TEST_F(RespaceTest, RefreshMeasureWidthsRespacesAndRestoresTheSetting) {
    Note(1, 2, 0, 0, kQuarter);
    Note(1, 2, 0, 1024, kEighth);
    WriteColumns(2, {{0, 1024, 9999}});
    const RecordHandle old = Record(2).spacing;
    UseMeasure(2);
    EXPECT_EQ(RefreshMeasureWidths(view_, true, false), 2);
    EXPECT_EQ(State().layout.SpreadSpaceChanges, 0);
    EXPECT_EQ(SpacingEntryOf(old), nullptr);  // the replaced list was freed
    Note(1, 2, 0, 1536, kEighth);
    EXPECT_EQ(RefreshMeasureWidths(view_, false, true), 1);
    EXPECT_TRUE(IsSpacingListSound(Record(2).spacing));
}

}  // namespace
}  // namespace ql::testing_layout
