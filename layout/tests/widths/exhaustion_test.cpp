// Spacing when pool 2 runs out: a list stops where it was built and stays sound, a
// respace leaves the measure as it was, and one operation shows the low-memory box
// once however many entries failed. FormatPage's run: its status texts and the two
// settings it switches on for the run only.
#include "core/state.h"
#include "layout/tests/layout_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_layout {
namespace {

constexpr int kEighth = 9;

class ExhaustionTest : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        BuildScore(1, 4);
        UseSystem(1, 4);
        State().program.SpaceAccidentals = 0;
        view_->currentPage = nullptr;
        for (int m = 1; m <= 4; ++m)
            for (int i = 0; i < 8; ++i) Note(1, m, 0, i * 512, kEighth);
    }
};

// A justification whose entries all fail: every list is sound (empty or partial),
// every width in range, and the box is shown once. The measures are longer than
// their eighths, so that each keeps an entry (the silence after them) once the
// eighths' entries give way to the factor.
TEST_F(ExhaustionTest, JustificationReportsOnce) {
    for (int m = 1; m <= 4; ++m) SetLength(m, 6144);
    const size_t boxes = ui::headless::MessageBoxes().size();
    FailNextRecordAllocations(12);
    JustifySystem(view_, view_->currentSystem);
    FailNextRecordAllocations(0);
    EXPECT_EQ(ui::headless::MessageBoxes().size(), boxes + 1);
    for (int m = 1; m <= 4; ++m) {
        EXPECT_TRUE(IsSpacingListSound(Record(m).spacing)) << m;
        EXPECT_GE(Record(m).width, 1) << m;
    }
}

// A respace that cannot build its list keeps the old list, factor and width.
TEST_F(ExhaustionTest, RespaceLeavesTheMeasureAsItWas) {
    WriteColumns(2, {{0, 1024, 3000}});
    Record(2).stretch = 1500;
    Record(2).width = 999;
    UseMeasure(2);
    FailNextRecordAllocations(1);
    EXPECT_EQ(RespaceMeasure(view_, true), 0);
    FailNextRecordAllocations(0);
    EXPECT_EQ(Columns(2), (std::vector<Column>{{0, 1024, 3000}}));
    EXPECT_EQ(Record(2).stretch, 1500);
    EXPECT_EQ(Record(2).width, 999);
}

// FormatPage reports its run in the status bar and puts both settings back.
TEST_F(ExhaustionTest, FormatPageReportsAndRestoresTheSettings) {
    MakeStatusBar();
    view_->currentPage = doc_->firstPage;
    State().layout.SpreadSpaceChanges = 0;
    FormatPage(view_);
    EXPECT_EQ(State().layout.SpreadSpaceChanges, 0);
    EXPECT_EQ(State().program.SpaceAccidentals, 0);
    EXPECT_EQ(StatusPart(1).front(), " Formatting Page...");
    EXPECT_EQ(StatusPart(0).front(), " System 1");
    EXPECT_EQ(StatusPart(0).back(), " Page Format OK");
    EXPECT_EQ(Record(1).stretch, Record(2).stretch);  // the system was justified as one
    EXPECT_NE(Record(1).stretch, 0);
}

}  // namespace
}  // namespace ql::testing_layout
