// Re-breaking a long score onto more pages when a page or system record cannot be
// had part of the way: every measure stays on exactly one system of one page, the
// page list stays sound and the user sees one low-memory box.
#include <string>

#include "core/memory/pool.h"
#include "core/model/model_reports.h"
#include "core/model/pages.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "layout/tests/pages/page_format_fixture.h"

namespace ql::testing_layout {
namespace {

// The parameter: how many record allocations succeed before one fails.
class ReformatLowMemoryTest : public PageFormatTest, public ::testing::WithParamInterface<int> {};

TEST_P(ReformatLowMemoryTest, ReformatOntoMorePagesKeepsEveryMeasureOnAPage) {
    NewScore(2, 4, 4);
    ASSERT_EQ(AddMeasures(view_, 200), 1);
    ReformatOptions sixteen;  // 13 pages of four systems of four measures
    ReformatFromPage(view_, &sixteen, doc_->firstPage);
    ASSERT_EQ(LayoutFault(), "");
    ASSERT_EQ(PageCount(), 13);
    const int measures = doc_->header.measureCount;

    // Two measures a system: 26 pages, thirteen of them new, 52 systems more.
    ReformatOptions eight;
    eight.allPages = 1;
    eight.measuresPerSystem = 2;
    const int reports = LowMemoryReportCount();
    FailRecordAllocationAfter(GetParam());
    ReformatFromPage(view_, &eight, doc_->firstPage);
    FailNextRecordAllocations(0);

    EXPECT_EQ(doc_->header.measureCount, measures);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
    EXPECT_EQ(LayoutFault(), "");
    EXPECT_EQ(LowMemoryReportCount(), reports + 1);
    const std::vector<PageShape> shapes = Shapes();
    ASSERT_FALSE(shapes.empty());
    EXPECT_EQ(shapes.back().last, measures);
    // Refused whole or dealt whole: the old pages of four-measure systems or the
    // new pages of two-measure systems, never a mixture.
    ASSERT_TRUE(shapes.size() == 13 || shapes.size() == 26) << shapes.size() << " pages";
    const int perSystem = shapes.size() == 13 ? 4 : 2;
    for (const PageShape& shape : shapes)
        for (const auto& [first, last] : shape.systems)
            EXPECT_EQ(last - first + 1, perSystem) << "system " << first << "-" << last;
}

TEST_P(ReformatLowMemoryTest, MoreSystemsAPageRefusedWholeLeavesPagesAndLayoutAsTheyWere) {
    NewScore(2, 4, 4);
    ASSERT_EQ(AddMeasures(view_, 200), 1);
    ReformatOptions sixteen;
    ReformatFromPage(view_, &sixteen, doc_->firstPage);
    ASSERT_EQ(LayoutFault(), "");
    const std::vector<PageShape> before = Shapes();
    const int measures = doc_->header.measureCount;

    // Five systems a page: the first pages grow a system each, the last go.
    ReformatOptions twenty;
    twenty.systemsPerPage = 5;
    const int reports = LowMemoryReportCount();
    FailRecordAllocationAfter(GetParam() % 11);
    ReformatFromPage(view_, &twenty, doc_->firstPage);
    FailNextRecordAllocations(0);

    EXPECT_EQ(LayoutFault(), "");
    EXPECT_EQ(doc_->header.measureCount, measures);
    EXPECT_EQ(LowMemoryReportCount(), reports + 1);
    const std::vector<PageShape> shapes = Shapes();
    if (shapes == before) {
        EXPECT_EQ(doc_->header.newScoreBlock.initSystemsPerPage, 4);  // the layout as it was
    } else {
        EXPECT_EQ(doc_->header.newScoreBlock.initSystemsPerPage, 5);
        EXPECT_LT(shapes.size(), before.size());
    }
}

// Failures on the first record, among the new pages' records and among the
// systems' records.
INSTANTIATE_TEST_SUITE_P(FailingAllocations, ReformatLowMemoryTest, ::testing::Values(0, 1, 2, 5, 13, 30, 60, 90),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "after" + std::to_string(info.param);
                         });

TEST_F(PageFormatTest, ReformatWithEnoughRecordsShowsNoLowMemoryBox) {
    NewScore(2, 4, 4);
    ASSERT_EQ(AddMeasures(view_, 200), 1);
    const int reports = LowMemoryReportCount();
    ReformatOptions eight;
    eight.allPages = 1;
    eight.measuresPerSystem = 2;
    ReformatFromPage(view_, &eight, doc_->firstPage);
    EXPECT_EQ(LowMemoryReportCount(), reports);
    EXPECT_EQ(LayoutFault(), "");
    EXPECT_EQ(PageCount(), 25);
    EXPECT_EQ(Shapes()[24], (PageShape{193, 200, {{193, 194}, {195, 196}, {197, 198}, {199, 200}}}));
}

}  // namespace
}  // namespace ql::testing_layout
