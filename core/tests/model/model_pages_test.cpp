// Pages and systems: staff-array pools by staff count, system copies and chains,
// page lookups by position and number, galley pages, hidden staves.
#include "core/memory/pool.h"
#include "core/tests/model/model_fixture.h"

namespace ql::testing_model {
namespace {

using PagesTest = ModelTest;

// Offsets and flags go to the pools the staff count requires: 4 staves 4 and 3,
// 8 staves 8 and 4, 16 staves 9 and 8 (room for twice the entries).
TEST_F(PagesTest, StaffArraysLiveInThePoolOfTheStaffCount) {
    const std::pair<int, std::pair<int, int>> cases[] = {
        {4, {4, 3}}, {8, {8, 4}}, {16, {9, 8}}, {2, {3, 3}}};
    for (const auto& [staves, pools] : cases) {
        doc_->header.staffCount = static_cast<uint8_t>(staves);
        ScoreSystem* system = ConstructSystemRecord(AllocSystemRecord(sizeof(ScoreSystem)), view_);
        ASSERT_TRUE(HasSystemArrays(system));
        EXPECT_EQ(system->offsetsPool, pools.first) << staves;
        EXPECT_EQ(system->flagsPool, pools.second) << staves;
        FreeSystemRecord(system);
    }
}

// A new system spaces its staves by the staff separation from 0, after 0xF000.
TEST_F(PagesTest, NewSystemSpacesItsStaves) {
    doc_->header.staffCount = 3;
    doc_->header.newScoreBlock.staffSeparation = 1000;
    ScoreSystem* system =
        ConstructSystemRecordWithFlag(AllocSystemRecord(sizeof(ScoreSystem)), view_, -1);
    const uint16_t* offsets = StaffOffsetsOf(system);
    EXPECT_EQ(offsets[0], kFirstStaffOffset);
    EXPECT_EQ(offsets[1], 0);
    EXPECT_EQ(offsets[2], 1000);
    EXPECT_EQ(offsets[3], 2000);
    EXPECT_EQ(StaffFlagsOf(system)[3], -1);
    FreeSystemRecord(system);
}

// Resizing moves the arrays to the new pools and keeps their entries.
TEST_F(PagesTest, ResizingKeepsTheEntries) {
    doc_->header.staffCount = 3;
    ScoreSystem* system = ConstructSystemRecord(AllocSystemRecord(sizeof(ScoreSystem)), view_);
    StaffOffsetsOf(system)[3] = 4321;
    StaffFlagsOf(system)[2] = -1;
    ResizeSystemArrays(system, 3, 20);
    EXPECT_EQ(system->offsetsPool, 9);
    EXPECT_EQ(system->flagsPool, 8);
    EXPECT_EQ(StaffOffsetsOf(system)[3], 4321);
    EXPECT_EQ(StaffFlagsOf(system)[2], -1);
    FreeSystemRecord(system);
}

// Copies follow the system in order, numbered on; zero copies make nothing.
TEST_F(PagesTest, SystemCopiesFollowInOrder) {
    ScoreSystem* first = doc_->firstPage->firstSystem.get();
    EXPECT_EQ(InsertSystemCopies(first, view_, 0), nullptr);
    ScoreSystem* copies = InsertSystemCopies(first, view_, 3);
    ASSERT_NE(copies, nullptr);
    EXPECT_EQ(first->next.get(), copies);
    int count = 0;
    for (ScoreSystem* s = first; s != nullptr; s = s->next.get(), ++count) {
        EXPECT_EQ(s->number, count);
        if (s->next) {
            EXPECT_EQ(s->next->previous.get(), s);
        }
    }
    EXPECT_EQ(count, 4);
    FreeSystemChain(first);
    EXPECT_FALSE(first->next);
}

// A copy that cannot be made takes back the copies already made: with room for
// only one system's arrays, two copies fail and the chain is as it was.
TEST_F(PagesTest, FailedCopyLeavesTheChainAsItWas) {
    ScoreSystem* first = doc_->firstPage->firstSystem.get();
    const int arrayPool = PoolForWordArray(doc_->header.staffCount);
    ASSERT_EQ(arrayPool, PoolForByteArray(doc_->header.staffCount));
    std::vector<void*> taken;
    while (void* record = AllocRecord(arrayPool)) taken.push_back(record);
    FreeRecord(arrayPool, taken.back());
    taken.pop_back();
    FreeRecord(arrayPool, taken.back());
    taken.pop_back();
    EXPECT_EQ(InsertSystemCopies(first, view_, 2), nullptr);
    EXPECT_EQ(first->next.get(), nullptr);
    // The first copy's arrays went back: exactly two records are free again.
    void* a = AllocRecord(arrayPool);
    void* b = AllocRecord(arrayPool);
    EXPECT_NE(a, nullptr);
    EXPECT_NE(b, nullptr);
    EXPECT_EQ(AllocRecord(arrayPool), nullptr);
    taken.push_back(a);
    taken.push_back(b);
    for (void* record : taken) FreeRecord(arrayPool, record);
}

// Page numbers by position, past the end, and by number.
TEST_F(PagesTest, PageLookupsByPositionAndNumber) {
    EXPECT_EQ(GetPageNumberAt(doc_, 0), 1);
    EXPECT_EQ(GetPageNumberAt(doc_, 5), 2);  // past the end: the last number + 1
    EXPECT_EQ(FindPageByNumber(doc_, 1, nullptr), doc_->firstPage);
    EXPECT_EQ(FindPageByNumber(doc_, 1, doc_->firstPage), nullptr);
    EXPECT_EQ(GetPageIndex(doc_, doc_->firstPage), 0);
    EXPECT_EQ(GetPageIndex(doc_, doc_->leftMaster), -2);
    EXPECT_EQ(GetPageIndex(doc_, nullptr), 1);  // not in the list: the page count
    EXPECT_EQ(GetLastPageNumber(doc_->leftMaster), 1);
}

// The galley page of the scroll view: one system at x -30208, y -28672, measure 1.
TEST_F(PagesTest, GalleyPageHasOneSystemAtTheGalleyPosition) {
    ASSERT_TRUE(BuildGalleyPage(view_, nullptr));
    ASSERT_NE(view_->galleySystem, nullptr);
    EXPECT_EQ(view_->galleySystem->x, kGalleySystemX);
    EXPECT_EQ(view_->galleySystem->y, kGalleySystemY);
    EXPECT_EQ(view_->galleySystem->firstMeasure, 1);
    EXPECT_EQ(view_->galleyPage->systemCount, 1);
    ASSERT_NE(view_->galleyPage2, nullptr);
    StaffOffsetsOf(view_->galleySystem)[2] = 777;
    ScoreView* copy = CopyView(AllocView(), view_);
    ASSERT_TRUE(BuildGalleyPage(copy, view_));
    EXPECT_EQ(StaffOffsetsOf(copy->galleySystem)[2], 777);
    FreeView(copy);
    DestroyGalleyPages(view_);
    EXPECT_EQ(view_->galleyPage, nullptr);
}

int LiveRecords(int pool) {
    int count = 0;
    AnyLiveRecordOf(pool, [&count](void*) {
        ++count;
        return false;
    });
    return count;
}

// A page freed while no view is active (a score being read or laid out without a
// window) gives its margin element and the objects of its page list back to the pools
// of the current document; a reformat that frees and makes pages would otherwise use
// the pool up.
TEST_F(PagesTest, FreedPageGivesItsObjectsBackWithNoViewActive) {
    State().documents.ActiveView = nullptr;
    ASSERT_EQ(State().documents.CurrentDocument, doc_);
    const int before = LiveRecords(kTextObjectPool);
    for (int i = 0; i < 3; ++i) {
        ScorePage* page = ConstructPageRecord(AllocPageRecord(sizeof(ScorePage)));
        ASSERT_NE(page, nullptr);
        ScoreObject* margins = page->margins.get();
        ASSERT_NE(margins, nullptr);
        ScoreObject* box = ConstructObject(TypeCode(ObjectType::Box));
        ASSERT_NE(box, nullptr);
        margins->next = Ref32<ScoreObject>::To(box);
        FreePageRecord(page);
    }
    EXPECT_EQ(LiveRecords(kTextObjectPool), before);
}

// Hidden staves of the current system, and the next shown one.
TEST_F(PagesTest, HiddenAndShownStavesOfASystem) {
    EXPECT_EQ(FindHiddenStaff(view_), 0);
    StaffFlagsOf(view_->currentSystem)[2] = -1;
    EXPECT_EQ(FindHiddenStaff(view_), 2);
    EXPECT_EQ(NextShownStaff(doc_, 1, view_->currentSystem), 1);  // staff 2 hidden, no staff 3
    StaffFlagsOf(view_->currentSystem)[2] = 0;
    EXPECT_EQ(NextShownStaff(doc_, 1, view_->currentSystem), 2);
    EXPECT_EQ(NextShownStaff(doc_, 2, view_->currentSystem), 2);  // the last staff: itself
}

}  // namespace
}  // namespace ql::testing_model
