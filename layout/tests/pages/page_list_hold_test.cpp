// IsPageInList under a PageListHold: the pages it remembers are answered without a
// walk, and every answer is the one the walk gives, on sound and damaged lists, for
// pages of another document, and once the hold has ended and the list changes.
#include <random>
#include <vector>

#include "core/model/pages.h"
#include "layout/page_chain.h"
#include "layout/page_edit.h"
#include "layout/page_format.h"
#include "layout/page_records.h"
#include "layout/tests/pages/page_format_fixture.h"

namespace ql::testing_layout {
namespace {

using pages::IsPageInList;
using pages::PageListHold;

class PageListHoldTest : public PageFormatTest {
  protected:
    // A score of `count` one-system pages, and a blank page record on no list.
    void PagesAndAStray(int count) {
        NewScore(1, 1, 1);
        for (int i = 1; i < count; ++i) ASSERT_EQ(AppendPage(view_), 1);
        stray_ = pages::NewBlankPageRecord(doc_->firstPage);
        ASSERT_NE(stray_, nullptr);
    }
    void TearDown() override {
        if (stray_ != nullptr) FreePageRecord(stray_);
        PageFormatTest::TearDown();
    }
    std::vector<ScorePage*> Listed() const {
        std::vector<ScorePage*> listed;
        for (ScorePage* p = doc_->firstPage; p != nullptr && listed.size() < 100; p = p->next.get())
            listed.push_back(p);
        return listed;
    }
    // Every page a check may be asked about: the listed ones, the masters, the
    // stray page and null.
    std::vector<const ScorePage*> Candidates() const {
        const std::vector<ScorePage*> listed = Listed();
        std::vector<const ScorePage*> all(listed.begin(), listed.end());
        all.insert(all.end(), {doc_->leftMaster, doc_->rightMaster, stray_, nullptr});
        return all;
    }
    // Asks about the candidates in a seeded order under a hold, mostly as the
    // formatting does (the same page again, the page after it), and compares with
    // the answers given before the hold. The number of wrong answers.
    int WrongAnswersUnderAHold(unsigned seed) {
        const std::vector<const ScorePage*> all = Candidates();
        std::vector<bool> expected;
        for (const ScorePage* page : all) expected.push_back(IsPageInList(doc_, page));
        std::mt19937 random(seed);
        int wrong = 0;
        PageListHold hold(doc_);
        size_t at = 0;
        for (int ask = 0; ask < 200; ++ask) {
            const unsigned pick = random() % 4;
            if (pick == 1) at = (at + 1) % all.size();
            if (pick >= 2) at = random() % all.size();
            if (IsPageInList(doc_, all[at]) != expected[at]) ++wrong;
        }
        return wrong;
    }

    ScorePage* stray_ = nullptr;
};

TEST_F(PageListHoldTest, AnswersAsTheWalkOnASoundList) {
    PagesAndAStray(6);
    ASSERT_EQ(Listed().size(), 6u);
    for (unsigned seed = 1; seed <= 40; ++seed) EXPECT_EQ(WrongAnswersUnderAHold(seed), 0) << "seed " << seed;
}

TEST_F(PageListHoldTest, AnswersAsTheWalkOnADamagedList) {
    PagesAndAStray(6);
    std::vector<ScorePage*> listed = Listed();
    // The stray page claims to come before page 3 and to lead on to page 5: it is
    // still on no list, whatever the links around it say.
    listed[2]->previous = Ref32<ScorePage>::To(stray_);
    stray_->next = Ref32<ScorePage>::To(listed[4]);
    // The last page leads back to page 2: the walk runs round to its bound.
    listed[5]->next = Ref32<ScorePage>::To(listed[1]);
    for (unsigned seed = 1; seed <= 40; ++seed) EXPECT_EQ(WrongAnswersUnderAHold(seed), 0) << "seed " << seed;
    listed[5]->next = Ref32<ScorePage>{};
    stray_->next = Ref32<ScorePage>{};
}

TEST_F(PageListHoldTest, PagesOfAnotherDocumentAreNotOnThisList) {
    PagesAndAStray(3);
    ScoreDocument other;
    other.firstPage = stray_;
    PageListHold hold(doc_);
    EXPECT_TRUE(IsPageInList(doc_, doc_->firstPage));
    EXPECT_TRUE(IsPageInList(doc_, doc_->firstPage->next.get()));
    EXPECT_FALSE(IsPageInList(&other, doc_->firstPage));
    EXPECT_FALSE(IsPageInList(&other, doc_->firstPage->next.get()));
    EXPECT_TRUE(IsPageInList(&other, stray_));
    EXPECT_FALSE(IsPageInList(doc_, stray_));
}

TEST_F(PageListHoldTest, AChangeAfterTheHoldIsSeen) {
    PagesAndAStray(4);
    ScorePage* second = doc_->firstPage->next.get();
    ScorePage* third = second->next.get();
    {
        PageListHold outer(doc_);
        EXPECT_TRUE(IsPageInList(doc_, second));
        {
            PageListHold inner(doc_);
            EXPECT_TRUE(IsPageInList(doc_, third));
        }
        EXPECT_TRUE(IsPageInList(doc_, second));
        EXPECT_TRUE(IsPageInList(doc_, third));
    }
    // Both pages were remembered; once unlinked they are on the list no more.
    UnlinkPage(doc_, second);
    UnlinkPage(doc_, third);
    EXPECT_FALSE(IsPageInList(doc_, second));
    EXPECT_FALSE(IsPageInList(doc_, third));
    PageListHold again(doc_);
    EXPECT_FALSE(IsPageInList(doc_, second));
    EXPECT_FALSE(IsPageInList(doc_, third));
    EXPECT_TRUE(IsPageInList(doc_, doc_->firstPage->next.get()));
    FreePageRecord(second);
    FreePageRecord(third);
}

}  // namespace
}  // namespace ql::testing_layout
