// Edits that move measures past the last page (a one-page re-break that shortens
// its systems, a system break or a page break moved back), and a re-break whose
// last page names measures past the count, when a page, system or measure record
// cannot be had part of the way: the edit is done whole or refused whole with one
// low-memory box, every measure stays on exactly one system and the page list
// stays sound.
#include <string>

#include "core/memory/pool.h"
#include "core/model/grid_records.h"
#include "core/model/model_reports.h"
#include "core/state.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/tests/pages/page_format_fixture.h"

namespace ql::testing_layout {
namespace {

using Systems = std::vector<std::pair<int, int>>;

// The parameter: how many record allocations succeed before one fails.
class CarryLowMemoryTest : public PageFormatTest, public ::testing::WithParamInterface<int> {
  protected:
    // Three pages of a 4 x 4 grid, 48 measures.
    void SetUp() override {
        PageFormatTest::SetUp();
        NewScore(2, 4, 4);
        ASSERT_EQ(AddMeasures(view_, 48), 1);
        ExtendPagesToMeasureCount(view_);
        ASSERT_EQ(LayoutFault(), "");
        before_ = Shapes();
        reports_ = LowMemoryReportCount();
    }
    void TearDown() override {
        FailNextRecordAllocations(0);
        State().input.StickyCtrlFlag = 0;
        PageFormatTest::TearDown();
    }
    // The edit is run with the failure armed; true when the failure was met.
    template <typename Edit>
    bool RunFailing(Edit edit) {
        FailRecordAllocationAfter(GetParam());
        edit();
        const bool met = State().pools.FailNextRecordAllocations == 0;
        FailNextRecordAllocations(0);
        return met;
    }
    // The pages are the old ones or the edited ones, never a mixture; a refusal
    // showed one low-memory box.
    void ExpectOldOrNew(const std::vector<PageShape>& edited, bool met, int editedCount = 48) {
        EXPECT_EQ(LayoutFault(), "");
        const std::vector<PageShape> shapes = Shapes();
        if (shapes == before_) {
            EXPECT_TRUE(met) << "refused without a failure";
            EXPECT_EQ(LowMemoryReportCount(), reports_ + 1);
            EXPECT_EQ(doc_->header.measureCount, 48);
        } else {
            EXPECT_EQ(shapes, edited);
            EXPECT_EQ(doc_->header.measureCount, editedCount);
        }
        EXPECT_LE(LowMemoryReportCount(), reports_ + 1) << "one box for one failure";
    }

    std::vector<PageShape> before_;
    int reports_ = 0;
};

// Page 1 re-broken to one measure a system: the later pages move back twelve
// measures and the twelve shifted off the last page go on three new pages.
TEST_P(CarryLowMemoryTest, OnePageRebreakIsDoneOrRefusedWhole) {
    ReformatOptions single;
    single.allPages = 0;
    single.measuresPerSystem = 1;
    const bool met = RunFailing([&] { ReformatFromPage(view_, &single, doc_->firstPage); });
    ExpectOldOrNew({{1, 4, Systems{{1, 1}, {2, 2}, {3, 3}, {4, 4}}},
                    {5, 20, Systems{{5, 8}, {9, 12}, {13, 16}, {17, 20}}},
                    {21, 36, Systems{{21, 24}, {25, 28}, {29, 32}, {33, 36}}},
                    {37, 40, Systems{{37, 37}, {38, 38}, {39, 39}, {40, 40}}},
                    {41, 44, Systems{{41, 41}, {42, 42}, {43, 43}, {44, 44}}},
                    {45, 48, Systems{{45, 45}, {46, 46}, {47, 47}, {48, 48}}}},
                   met);
    const int perSystem = doc_->header.newScoreBlock.initMeasuresPerSystem;
    EXPECT_EQ(perSystem, Shapes() == before_ ? 4 : 1) << "the layout goes with the pages";
}

// The first system gives up three measures: every later system moves back and the
// last three measures start a page of their own.
TEST_P(CarryLowMemoryTest, SystemBreakMovedBackIsDoneOrRefusedWhole) {
    const bool met = RunFailing([&] { MoveSystemBreakBack(view_, doc_->firstPage, SystemAt(0, 0), 3); });
    ExpectOldOrNew({{1, 13, Systems{{1, 1}, {2, 5}, {6, 9}, {10, 13}}},
                    {14, 29, Systems{{14, 17}, {18, 21}, {22, 25}, {26, 29}}},
                    {30, 45, Systems{{30, 33}, {34, 37}, {38, 41}, {42, 45}}},
                    {46, 48, Systems{{46, 48}}}},
                   met);
}

// Page 2 ends six measures earlier (its last system emptied and freed on the way):
// the six measures shifted off the last page go on a new page.
TEST_P(CarryLowMemoryTest, PageBreakMovedBackIsDoneOrRefusedWhole) {
    const bool met = RunFailing([&] { MovePageBreak(view_, GetPageAt(doc_, 1), nullptr, 6); });
    ExpectOldOrNew({{1, 16, Systems{{1, 4}, {5, 8}, {9, 12}, {13, 16}}},
                    {17, 26, Systems{{17, 20}, {21, 24}, {25, 26}}},
                    {27, 42, Systems{{27, 30}, {31, 34}, {35, 38}, {39, 42}}},
                    {43, 48, Systems{{43, 46}, {47, 48}}}},
                   met);
}

// On the last page the measures past the moved break need a page of their own.
TEST_P(CarryLowMemoryTest, LastPageBreakMovedBackIsDoneOrRefusedWhole) {
    const bool met = RunFailing([&] { MovePageBreak(view_, GetPageAt(doc_, 2), nullptr, 5); });
    ExpectOldOrNew({{1, 16, Systems{{1, 4}, {5, 8}, {9, 12}, {13, 16}}},
                    {17, 32, Systems{{17, 20}, {21, 24}, {25, 28}, {29, 32}}},
                    {33, 43, Systems{{33, 36}, {37, 40}, {41, 43}}},
                    {44, 48, Systems{{44, 47}, {48, 48}}}},
                   met);
}

// Five measures a system on every page: the pages keep their systems and the last
// one runs to measure 60, so twelve measures are made. Without them the pages must
// not name measures that do not exist.
TEST_P(CarryLowMemoryTest, AllPagesRebreakPastTheCountIsDoneOrRefusedWhole) {
    ReformatOptions five;
    five.measuresPerSystem = 5;
    const bool met = RunFailing([&] { ReformatFromPage(view_, &five, doc_->firstPage); });
    ExpectOldOrNew({{1, 20, Systems{{1, 5}, {6, 10}, {11, 15}, {16, 20}}},
                    {21, 40, Systems{{21, 25}, {26, 30}, {31, 35}, {36, 40}}},
                    {41, 60, Systems{{41, 45}, {46, 50}, {51, 55}, {56, 60}}}},
                   met, 60);
    EXPECT_EQ(doc_->header.newScoreBlock.initMeasuresPerSystem, Shapes() == before_ ? 4 : 5);
}

// Measures added at the end come all or none: a failure part of the way takes the
// measures made back, the four spare measures stay with their cells.
TEST_P(CarryLowMemoryTest, AddMeasuresAddsAllOrNone) {
    int added = 0;
    const bool met = RunFailing([&] { added = AddMeasures(view_, 60); });
    EXPECT_EQ(added == 0, met);
    EXPECT_EQ(doc_->header.measureCount, added != 0 ? 60 : 48);
    if (added != 0) return;
    EXPECT_EQ(LayoutFault(), "");
    EXPECT_EQ(LowMemoryReportCount(), reports_ + 1);
    for (int spare = 49; spare <= 48 + kSpareMeasures; ++spare)
        EXPECT_NE(FindMeasureCell(doc_, 1, spare), nullptr) << "spare measure " << spare;
    EXPECT_EQ(AddMeasures(view_, 60), 1) << "the table takes the measures afterwards";
    EXPECT_EQ(doc_->header.measureCount, 60);
}

// Failures on the first record, among the pages' and the systems' records, and
// past them.
INSTANTIATE_TEST_SUITE_P(FailingAllocations, CarryLowMemoryTest,
                         ::testing::Values(0, 1, 2, 3, 5, 8, 13, 21, 34, 55),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "after" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace ql::testing_layout
