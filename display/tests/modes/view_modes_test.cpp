// Page view and scroll view: the first activation's page, switching modes while
// keeping the measure and the change counter, laying out the scroll page with
// its context page, and the repair of an unusable current page.
#include <random>

#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/state.h"
#include "display/tests/modes/modes_fixture.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"

namespace ql::testing_modes {
namespace {

TEST_F(ModesTest, FirstActivationBuildsTheFirstPage) {
    // Four systems of four measures each on page 1, the view on its first system.
    ASSERT_EQ(pages::CountSystems(doc_->firstPage), 4);
    EXPECT_EQ(doc_->firstPage->lastMeasure, 16);
    EXPECT_EQ(doc_->header.measureCount, 16);
    EXPECT_EQ(view_->currentPage, doc_->firstPage);
    EXPECT_EQ(view_->currentSystem, doc_->firstPage->firstSystem.get());
}

TEST_F(ModesTest, SwitchingModesKeepsTheMeasure) {
    Grow(40);
    SetCurrentMeasure(view_, 1, 22);
    ASSERT_EQ(view_->currentMeasure, 22);
    ASSERT_EQ(EnterScrollView(view_), 1);
    EXPECT_EQ(view_->pageView, 0);
    EXPECT_EQ(view_->currentPage, view_->galleyPage);
    EXPECT_EQ(view_->currentMeasure, 22);
    EnterPageView(view_);
    EXPECT_EQ(view_->pageView, 1);
    EXPECT_EQ(view_->currentMeasure, 22);
    EXPECT_EQ(view_->currentPage, PageOfMeasure(doc_, 22));
}

TEST_F(ModesTest, EnteringPageViewLeavesTheChangeCounter) {
    doc_->changeCounter = 0;
    EnterPageView(view_);
    EXPECT_EQ(doc_->changeCounter, 0);
    doc_->changeCounter = 7;
    EnterPageView(view_);
    EXPECT_EQ(doc_->changeCounter, 7);
}

TEST_F(ModesTest, ScrollViewIsRefusedOnAMasterPage) {
    view_->currentPage = doc_->leftMaster;
    view_->currentSystem = doc_->leftMaster->firstSystem.get();
    EXPECT_EQ(EnterScrollView(view_), 0);
    EXPECT_EQ(view_->pageView, 1);
}

class ScrollStartTest : public ModesTest {
  protected:
    void SetUp() override {
        ModesTest::SetUp();
        ASSERT_EQ(EnterScrollView(view_), 1);
        doc_->header.measureCount = 10;
    }
    std::pair<int, int> Strip() const { return {view_->galleyPage->firstMeasure, view_->galleyPage->lastMeasure}; }
};

TEST_F(ScrollStartTest, StartInTheMiddleHasAContextPage) {
    SetScrollViewStart(view_, 5);
    EXPECT_EQ(Strip(), (std::pair<int, int>{5, 10}));
    EXPECT_EQ(view_->galleySystem->firstMeasure, 5);
    ScorePage* context = view_->galleyPage2;
    EXPECT_EQ(context->firstMeasure, 1);
    EXPECT_EQ(context->lastMeasure, 4);
    EXPECT_EQ(context->next.get(), view_->galleyPage);
    EXPECT_EQ(view_->galleyPage->previous.get(), context);
}

TEST_F(ScrollStartTest, StartsOutsideTheScoreAreClamped) {
    SetScrollViewStart(view_, 20);  // past the end: the last measure alone
    EXPECT_EQ(Strip(), (std::pair<int, int>{10, 10}));
    SetScrollViewStart(view_, 0);  // before the start: measure 1
    EXPECT_EQ(Strip(), (std::pair<int, int>{1, 10}));
    SetScrollViewStart(view_, -3);
    EXPECT_EQ(Strip().first, 1);
}

TEST_F(ScrollStartTest, StartAtOneLeavesTheContextPageUnlinked) {
    SetScrollViewStart(view_, 5);
    SetScrollViewStart(view_, 1);
    EXPECT_EQ(view_->galleyPage->previous.get(), nullptr);
    EXPECT_EQ(view_->galleyPage2->next.get(), nullptr);
}

TEST_F(ScrollStartTest, StripHoldsAtMostTwentyFourMeasures) {
    ASSERT_EQ(AddMeasures(view_, 100), 1);
    SetScrollViewStart(view_, 30);
    // At most 24 measures (the beat map may end the strip at what it can show).
    EXPECT_EQ(Strip().first, 30);
    EXPECT_GT(Strip().second, 30);
    EXPECT_LE(Strip().second, 53);
    EXPECT_EQ(view_->galleyPage2->firstMeasure, 22);
}

TEST_F(ModesTest, UnusablePageGoesBackToPageOne) {
    Grow(48);
    ScorePage* second = GetPageAt(doc_, 1);
    view_->currentPage = second;
    view_->currentSystem = doc_->firstPage->firstSystem.get();  // not on that page
    ValidateCurrentPage(view_);
    EXPECT_EQ(view_->currentPage, doc_->firstPage);
    EXPECT_EQ(view_->currentSystem, doc_->firstPage->firstSystem.get());
    // A page that is not in the list at all.
    ScorePage stray{};
    view_->currentPage = &stray;
    ValidateCurrentPage(view_);
    EXPECT_EQ(view_->currentPage, doc_->firstPage);
}

TEST_F(ModesTest, LinkedViewsAreRepairedToo) {
    ScoreView* other = InitView(AllocView());
    LinkView(other);
    other->document = doc_;
    ScorePage stray{};
    other->currentPage = &stray;
    view_->currentPage = nullptr;
    ValidateCurrentPage(view_);
    EXPECT_EQ(other->currentPage, doc_->firstPage);
    other->document = nullptr;
    FreeView(other);
}

TEST_F(ModesTest, BadPageOneStopsTheProgram) {
    // No first system: the emergency path, the report, and exit code 0.
    EXPECT_EXIT(
        {
            ScoreSystem* first = doc_->firstPage->firstSystem.get();
            doc_->firstPage->firstSystem = Ref32<ScoreSystem>{};
            view_->currentPage = nullptr;
            ValidateCurrentPage(view_);
            doc_->firstPage->firstSystem = Ref32<ScoreSystem>::To(first);
        },
        ::testing::ExitedWithCode(0), "");
}

// Breaks a random link or field of the page list.
void Damage(ScoreDocument* doc, std::mt19937& random) {
    std::vector<ScorePage*> list;
    for (ScorePage* p = doc->firstPage; p != nullptr; p = p->next.get()) list.push_back(p);
    ScorePage* page = list[random() % list.size()];
    ScoreSystem* system = pages::LastSystem(page);
    switch (random() % 6) {
        case 0: system->firstMeasure = static_cast<uint16_t>(system->lastMeasure + 3); break;
        case 1: page->systemCount = static_cast<uint16_t>(page->systemCount + 2); break;
        case 2: system->lastMeasure = static_cast<uint16_t>(system->lastMeasure + 1); break;
        case 3: list.back()->previous = Ref32<ScorePage>{}; break;
        case 4: doc->header.pageCount = static_cast<uint16_t>(doc->header.pageCount + 1); break;
        default: page->firstMeasure = static_cast<uint16_t>(page->firstMeasure + 1); break;
    }
}

TEST_F(ModesTest, DamagedPageListsEndOnPageOne) {
    Grow(96);
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 random(seed);
        Damage(doc_, random);
        EXPECT_FALSE(pages::IsPageListSound(doc_));
        ScorePage stray{};
        view_->currentPage = (seed % 2) != 0 ? &stray : nullptr;
        ValidateCurrentPage(view_);
        EXPECT_EQ(view_->currentPage, doc_->firstPage);
        FormatMeasuresOfAllPages(view_);  // no crash on the damaged list
        // Rebuild a sound list for the next seed.
        ReformatOptions options;
        ReformatFromPage(view_, &options, doc_->firstPage);
        ASSERT_TRUE(pages::IsPageListSound(doc_)) << "seed " << seed;
    }
}

}  // namespace
}  // namespace ql::testing_modes
