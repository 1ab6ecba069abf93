// Hit records: handle rectangles by style, the constructors' points and flags, list
// links around the SelectionState's embedded records, and freeing handle chains.
#include <gtest/gtest.h>

#include "core/objects/hit_record.h"
#include "core/memory/pool.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"

namespace ql {
namespace {

constexpr int32_t kHandle = 10;

class HitRecordTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ASSERT_EQ(InitStaticPoolSet(), 1);
        ASSERT_NE(CreateSelectionState(), nullptr);
        SetHandleSize(kHandle);
    }
    void TearDown() override {
        DestroySelectionState();
        ResetProgramState();
    }

    HitRecord* NewRecord(LogicalPoint at) {
        HitRecord* hit = AllocHitRecord();
        EXPECT_NE(hit, nullptr);
        ConstructHitRecordAtPoint(hit, nullptr, 1, at);
        return hit;
    }

    SelectionState& Selection() { return *TheSelectionState(); }
};

using HitRecordRects = HitRecordTest;
using HitRecordLists = HitRecordTest;
using HitRecordChains = HitRecordTest;

// The default style gives a pick square of twice the handle size around the point.
TEST_F(HitRecordRects, DefaultStyleSurroundsThePoint) {
    HitRecord* hit = NewRecord({100, 200});
    EXPECT_EQ(hit->outer, (RecordRect{80, 180, 120, 220}));
    EXPECT_EQ(hit->inner, (RecordRect{90, 190, 110, 210}));
    EXPECT_EQ(hit->flags & kHitFlagLive, kHitFlagLive);
    EXPECT_EQ(hit->style, kHitStyleDefault);
    EXPECT_EQ(hit->secondPoint, (LogicalPoint{100, 200}));
}

// A record takes its location from the view it is built in: the position word, the
// current staff and measure; the basic initialiser also takes the pointer's point.
TEST_F(HitRecordRects, LocationComesFromTheView) {
    ScoreView view;
    view.positionWord = 0x00120340;
    view.currentStaff = 3;
    view.currentMeasure = 17;
    view.pointerPoint = LogicalPoint{-40, 75};
    HitRecord* hit = AllocHitRecord();
    ASSERT_NE(hit, nullptr);
    ConstructHitRecordAtPoint(hit, &view, 1, {5, 6});
    EXPECT_EQ(hit->location.location.position, 0x00120340u);
    EXPECT_EQ(hit->location.location.staff, 3);
    EXPECT_EQ(hit->location.location.measure, 17);
    EXPECT_EQ(hit->location.point, (LogicalPoint{5, 6}));
    InitHitRecordBasic(hit, &view);
    EXPECT_EQ(hit->location.location.position, 0x00120340u);
    EXPECT_EQ(hit->location.point, (LogicalPoint{-40, 75}));
    EXPECT_EQ(hit->kind, kHitKindBasic);
}

// Style 10 gives empty rectangles; style 1 an inner rectangle equal to the outer.
TEST_F(HitRecordRects, StylesTenAndOne) {
    RecordRect outer, inner;
    SetHandleRects(kHitStyleEmpty, 50, 50, outer, inner, true);
    EXPECT_EQ(outer, RecordRect{});
    EXPECT_EQ(inner, RecordRect{});
    SetHandleRects(kHitStyleOuterOnly, 50, 50, outer, inner, true);
    EXPECT_EQ(inner, outer);
    EXPECT_EQ(outer, (RecordRect{30, 30, 70, 70}));
}

// Without force, well-ordered rectangles are kept.
TEST_F(HitRecordRects, WellOrderedRectanglesStayWithoutForce) {
    RecordRect outer{0, 0, 5, 5};
    RecordRect inner{1, 1, 1, 1};
    SetHandleRects(kHitStyleDefault, 50, 50, outer, inner, false);
    EXPECT_EQ(outer, (RecordRect{0, 0, 5, 5}));
    RecordRect flat{0, 0, 0, 5};
    SetHandleRects(kHitStyleDefault, 50, 50, flat, inner, false);
    EXPECT_EQ(flat, (RecordRect{30, 30, 70, 70}));
}

// A record built on the rectangle (0, 0, 5, 5) has its point at (2, 2).
TEST_F(HitRecordRects, FlaggedRecordCentresOnTheRectangle) {
    HitRecord* hit = AllocHitRecord();
    ConstructHitRecordFlagged(hit, nullptr, 3, RecordRect{0, 0, 5, 5});
    EXPECT_EQ(hit->point, (LogicalPoint{2, 2}));
    EXPECT_EQ(hit->outer, (RecordRect{0, 0, 5, 5}));
    EXPECT_EQ(hit->inner, hit->outer);
}

// Moving a record moves both points and both rectangles; the location follows.
TEST_F(HitRecordRects, OffsetMovesEverything) {
    HitRecord* hit = NewRecord({0, 0});
    OffsetHitRecord(hit, {5, -3});
    EXPECT_EQ(hit->point, (LogicalPoint{5, -3}));
    EXPECT_EQ(hit->secondPoint, (LogicalPoint{5, -3}));
    EXPECT_EQ(hit->location.point, (LogicalPoint{5, -3}));
    EXPECT_EQ(hit->outer, (RecordRect{-15, -23, 25, 17}));
    EXPECT_TRUE(HitRecordContainsPoint(hit, {5, -3}));
    EXPECT_FALSE(HitRecordContainsPoint(hit, {25, 0}));
}

// Appending before the tail keeps the order; a chain goes in whole.
TEST_F(HitRecordLists, AppendKeepsOrderBeforeTheTail) {
    HitRecord* a = NewRecord({0, 0});
    HitRecord* b = NewRecord({1, 1});
    HitRecord* c = NewRecord({2, 2});
    LinkHitRecordAfter(b, c);  // chain b -> c
    AppendHitRecord(&Selection().listATail, a);
    AppendHitRecord(&Selection().listATail, b);
    EXPECT_EQ(Selection().listAHead.next.get(), a);
    EXPECT_EQ(a->next.get(), b);
    EXPECT_EQ(b->next.get(), c);
    EXPECT_EQ(c->next.get(), &Selection().listATail);
    EXPECT_EQ(Selection().listATail.prev.get(), c);
}

// Unlinking joins the neighbours; the embedded head record is never unlinked.
TEST_F(HitRecordLists, UnlinkNeverTouchesTheEmbeddedHead) {
    HitRecord* a = NewRecord({0, 0});
    LinkHitRecordAfter(&Selection().listAHead, a);
    UnlinkHitRecord(&Selection().listAHead);
    EXPECT_EQ(Selection().listAHead.next.get(), a);
    UnlinkHitRecord(a);
    EXPECT_EQ(Selection().listAHead.next.get(), &Selection().listATail);
    EXPECT_TRUE(a->flags & kHitFlagUnlinked);
    EXPECT_FALSE(a->next);
}

// The replacement takes the old record's place; the old one is only marked.
TEST_F(HitRecordLists, ReplaceTakesThePlace) {
    HitRecord* a = NewRecord({0, 0});
    HitRecord* b = NewRecord({1, 1});
    LinkHitRecordAfter(&Selection().listAHead, a);
    ReplaceHitRecord(a, b);
    EXPECT_EQ(Selection().listAHead.next.get(), b);
    EXPECT_EQ(Selection().listATail.prev.get(), b);
    EXPECT_TRUE(a->flags & kHitFlagUnlinked);
}

// A record without children is only marked by freeing its chain.
TEST_F(HitRecordChains, FreeingAChainlessRecordOnlyMarksIt) {
    HitRecord* hit = NewRecord({0, 0});
    FreeHitRecordChain(hit);
    EXPECT_TRUE(hit->flags & kHitFlagUnlinked);
    EXPECT_FALSE(IsFreeRecord(hit));
}

// Children built with an owner form the chain, and freeing it frees every child.
TEST_F(HitRecordChains, FreeingAChainFreesEveryChild) {
    HitRecord* parent = NewRecord({0, 0});
    HitRecord* first = AllocHitRecord();
    ConstructHitRecordWithOwner(first, nullptr, 2, {1, 1}, parent);
    HitRecord* second = AllocHitRecord();
    ConstructHitRecordWithOwner(second, nullptr, 2, {2, 2}, first);
    EXPECT_EQ(GetHitRecordChild(parent), first);
    EXPECT_EQ(second->parent.get(), first);
    FreeHitRecordChain(parent);
    EXPECT_TRUE(IsFreeRecord(first));
    EXPECT_TRUE(IsFreeRecord(second));
    EXPECT_FALSE(parent->child);
}

// The SelectionState's embedded records are never returned to the pool.
TEST_F(HitRecordChains, EmbeddedRecordsAreNeverFreed) {
    HitRecord& head = Selection().listAHead;
    HitRecord* next = head.next.get();
    FreeHitRecord(&head);
    EXPECT_EQ(head.next.get(), next);
}

}  // namespace
}  // namespace ql
