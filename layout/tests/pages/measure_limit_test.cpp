// Scores at the measure limit on every grid of 1-8 systems a page and 1-8 measures
// a system: whether pages are made up to the measure count, the pages re-broken
// from page one or one page re-broken, every measure stays on exactly one system
// of one page and the page list stays sound, the last page holding what is left.
#include <string>
#include <tuple>

#include "core/memory/pool.h"
#include "core/model/grid_records.h"
#include "core/model/model_reports.h"
#include "core/model/pages.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "layout/tests/pages/page_format_fixture.h"

namespace ql::testing_layout {
namespace {

using Systems = std::vector<std::pair<int, int>>;

constexpr int kGridMost = 8;
constexpr int kFirstCount = 1000;
constexpr int kLastAsked = 1024;  // counts asked past the limit stop at it

std::string GridName(int systemsPerPage, int measuresPerSystem, int count) {
    return std::to_string(systemsPerPage) + " x " + std::to_string(measuresPerSystem) + " at " +
           std::to_string(count) + " measures";
}

class MeasureLimitTest : public PageFormatTest {
  protected:
    // A one-staff score of the grid extended to `count` measures, with its pages.
    void ScoreOf(int systemsPerPage, int measuresPerSystem, int count) {
        NewScore(1, systemsPerPage, measuresPerSystem);
        ASSERT_EQ(AddMeasures(view_, count), 1);
        ExtendPagesToMeasureCount(view_);
    }
    // Every measure of the score on one system, the last page ending at the count.
    void ExpectSound(const std::string& where) {
        EXPECT_EQ(LayoutFault(), "") << where;
        EXPECT_EQ(pages::LastPage(doc_)->lastMeasure, doc_->header.measureCount) << where;
    }
};

// The parameter: systems per page and measures per system.
class GridAtTheLimitTest : public MeasureLimitTest,
                           public ::testing::WithParamInterface<std::tuple<int, int>> {
  protected:
    int spp() const { return std::get<0>(GetParam()); }
    int mps() const { return std::get<1>(GetParam()); }
};

TEST_P(GridAtTheLimitTest, PagesReachEveryMeasureAsMeasuresAreAddedUpToTheLimit) {
    ScoreOf(spp(), mps(), kFirstCount);
    ExpectSound(GridName(spp(), mps(), kFirstCount));
    for (int n = kFirstCount + 1; n <= kLastAsked && !HasFailure(); ++n) {
        ASSERT_EQ(AddMeasures(view_, n), 1);
        ExtendPagesToMeasureCount(view_);
        ExpectSound(GridName(spp(), mps(), n));
    }
    EXPECT_EQ(doc_->header.measureCount, MeasureLimit);
}

TEST_P(GridAtTheLimitTest, ScoreMadeAtEachCountUpToTheLimitHasEveryMeasureOnAPage) {
    for (int count : {kFirstCount, 1009, 1013, 1015, kLastAsked}) {
        PageFormatTest::TearDown();  // a new document for each score
        PageFormatTest::SetUp();
        ScoreOf(spp(), mps(), count);
        ExpectSound(GridName(spp(), mps(), count));
    }
}

TEST_F(MeasureLimitTest, LastPageOfAFourByFourScoreAtTheLimitHoldsTheLastEight) {
    ScoreOf(4, 4, MeasureLimit);
    // 63 whole pages reach 1,008; a whole 64th would end at 1,024.
    EXPECT_EQ(Shapes().back(), (PageShape{1009, 1016, Systems{{1009, 1012}, {1013, 1016}}}));
    EXPECT_EQ(doc_->header.pageCount, 64);
    // Appending a page of the grid to it is still refused, nothing changed.
    const std::vector<PageShape> before = Shapes();
    EXPECT_EQ(AppendPage(view_), 0);
    EXPECT_EQ(Shapes(), before);
    EXPECT_EQ(doc_->header.measureCount, MeasureLimit);
}

// The parameter: the measure count of a 4 x 4 score.
class CountAtTheLimitTest : public MeasureLimitTest, public ::testing::WithParamInterface<int> {};

TEST_P(CountAtTheLimitTest, AllPagesRebrokenOntoEveryGridKeepEveryMeasure) {
    const int count = GetParam();
    ScoreOf(4, 4, count);
    ASSERT_EQ(LayoutFault(), "") << count;
    for (int spp = 1; spp <= kGridMost; ++spp) {
        for (int mps = 1; mps <= kGridMost && !HasFailure(); ++mps) {
            ReformatOptions grid;
            grid.systemsPerPage = static_cast<uint8_t>(spp);
            grid.measuresPerSystem = static_cast<uint16_t>(mps);
            ReformatFromPage(view_, &grid, doc_->firstPage);
            ExpectSound("re-broken onto " + GridName(spp, mps, count));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, CountAtTheLimitTest, ::testing::Values(kFirstCount, 1008, 1013, 1015, MeasureLimit));

// Three measures a system reach 1,014 in whole systems: the last system of the
// re-broken score holds 1,015-1,016.
TEST_F(MeasureLimitTest, RebreakEndsOnAShorterSystemAtTheLimit) {
    ScoreOf(4, 4, MeasureLimit);
    ReformatOptions three;
    three.measuresPerSystem = 3;
    ReformatFromPage(view_, &three, doc_->firstPage);
    ASSERT_EQ(LayoutFault(), "");
    EXPECT_EQ(Shapes().back(), (PageShape{1009, 1016, Systems{{1009, 1011}, {1012, 1014}, {1015, 1016}}}));
}

TEST_P(GridAtTheLimitTest, OnePageRebrokenAtTheLimitKeepsEveryMeasure) {
    ScoreOf(spp(), mps(), MeasureLimit);
    ASSERT_EQ(LayoutFault(), "") << GridName(spp(), mps(), MeasureLimit);
    // Fewer measures a system on the second-last page, then on the last, then more
    // again: the measures shifted go on after the last page, or the re-break is
    // refused at the limit with nothing changed.
    for (int perSystem : {std::max(1, mps() - 1), mps() + 1}) {
        for (bool lastPage : {false, true}) {
            ScorePage* page = pages::LastPage(doc_);
            if (!lastPage && page->previous.get() != nullptr) page = page->previous.get();
            ReformatOptions one;
            one.allPages = 0;
            one.measuresPerSystem = static_cast<uint16_t>(perSystem);
            ReformatFromPage(view_, &one, page);
            ExpectSound(GridName(spp(), mps(), MeasureLimit) + ", " + std::to_string(perSystem) +
                        (lastPage ? " a system on the last page" : " a system on the page before"));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Grids, GridAtTheLimitTest,
                         ::testing::Combine(::testing::Range(1, kGridMost + 1), ::testing::Range(1, kGridMost + 1)));

// A new score whose first page of the grid would pass the limit has the measures
// up to it, the system that would pass it ending at it.
TEST_F(MeasureLimitTest, NewScoreOfAGridPastTheLimitStopsAtIt) {
    NewScore(1, 8, 255);
    EXPECT_EQ(doc_->header.measureCount, MeasureLimit);
    EXPECT_EQ(LayoutFault(), "");
    const std::vector<PageShape> shapes = Shapes();
    ASSERT_FALSE(shapes.empty());
    ASSERT_FALSE(shapes.back().systems.empty());
    EXPECT_EQ(shapes.back().systems.back(), (std::pair<int, int>{766, MeasureLimit}));
}

// A blank page left after the page that ends at the limit has nothing to take: a
// re-break from it frees it and needs no record, whichever allocation fails.
class BlankPagePastTheLimitTest : public MeasureLimitTest, public ::testing::WithParamInterface<int> {};

TEST_P(BlankPagePastTheLimitTest, RebreakFromItFreesItWithoutARecord) {
    ScoreOf(4, 4, MeasureLimit);
    ASSERT_EQ(LayoutFault(), "");
    const std::vector<PageShape> before = Shapes();
    ScorePage* blank = pages::LinkBlankPageAfter(doc_, pages::LastPage(doc_));
    ASSERT_NE(blank, nullptr);
    const int reports = LowMemoryReportCount();
    FailRecordAllocationAfter(GetParam());
    ReformatOptions all;
    ReformatFromPage(view_, &all, blank);
    FailNextRecordAllocations(0);
    EXPECT_EQ(LayoutFault(), "");
    EXPECT_EQ(Shapes(), before);
    EXPECT_EQ(doc_->header.pageCount, static_cast<int>(before.size()));
    EXPECT_EQ(doc_->header.measureCount, MeasureLimit);
    EXPECT_EQ(LowMemoryReportCount(), reports);
    EXPECT_TRUE(pages::IsPageInList(doc_, view_->currentPage));
}

INSTANTIATE_TEST_SUITE_P(FailingAllocation, BlankPagePastTheLimitTest, ::testing::Values(0, 1, 2));

}  // namespace
}  // namespace ql::testing_layout
