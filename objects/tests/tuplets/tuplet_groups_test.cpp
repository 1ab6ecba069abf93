// The tuplet group scan over a voice, with the expected tables worked out by hand,
// and finding a note's group with the side its mark goes on.
#include <gtest/gtest.h>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "objects/tests/tuplets/tuplet_fixture.h"
#include "objects/tuplets/tuplet_groups.h"

namespace ql::testing_tuplets {
namespace {

constexpr uint8_t kSixteenth = 8;
constexpr uint8_t kEighth = 9;
constexpr uint8_t kQuarter = 10;

// Three triplet eighths: one group, unit eighth, 3 to fill, 3 counted, 341 a unit.
TEST_F(TupletTest, PlainTripletIsOneGroup) {
    EventRecord* first = Triplets(0, 1);
    Note(1024, kQuarter, kNone);
    const TupletGroupTable table = ScanTupletGroups(view_->currentCell, 0);
    ASSERT_EQ(table.count, 1);
    const TupletGroup& g = table.groups[0];
    EXPECT_EQ(g.firstNote, first);
    EXPECT_EQ(g.lastNote->time, 682);
    EXPECT_EQ(g.unitCode, kEighth);
    EXPECT_EQ(g.toFill, 3);
    EXPECT_EQ(g.count, 3);
    EXPECT_EQ(g.members, 3);
    EXPECT_EQ(g.unitTicks, 341);
    EXPECT_EQ(g.groupTicks, 1023);
    EXPECT_EQ(g.first, 3);
    EXPECT_EQ(g.second, 2);
    EXPECT_EQ(g.stemsUp, 3);
    EXPECT_FALSE(g.contained);
}

// A quarter then an eighth of a triplet: the eighth halves the unit (count 2 of 6),
// then counts 1; the plain note after it ends the group.
TEST_F(TupletTest, QuarterAndEighthHalveTheUnit) {
    Note(0, kQuarter, kTriplet);
    Note(682, kEighth, kTriplet);
    Note(1024, kQuarter, kNone);
    const TupletGroupTable table = ScanTupletGroups(view_->currentCell, 0);
    ASSERT_EQ(table.count, 1);
    EXPECT_EQ(table.groups[0].unitCode, kEighth);
    EXPECT_EQ(table.groups[0].count, 3);
    EXPECT_EQ(table.groups[0].toFill, 6);
    EXPECT_EQ(table.groups[0].members, 2);
}

// A dotted eighth counts in sixteenths (3 of 6), a sixteenth adds 1, an eighth 2:
// the group is full at 6; the next triplet note starts a second group. A rest of the
// same ratio is a member like a note.
TEST_F(TupletTest, DottedMemberCountsInHalves) {
    Note(0, kEighth, kTriplet, 1);
    RestAt(512, kSixteenth, kTriplet);
    Note(682, kEighth, kTriplet);
    Note(1024, kEighth, kTriplet);
    const TupletGroupTable table = ScanTupletGroups(view_->currentCell, 0);
    ASSERT_EQ(table.count, 2);
    const TupletGroup& g = table.groups[0];
    EXPECT_EQ(g.unitCode, kSixteenth);
    EXPECT_EQ(g.toFill, 6);
    EXPECT_EQ(g.count, 6);
    EXPECT_EQ(g.members, 3);
    ASSERT_NE(g.firstRest, nullptr);
    EXPECT_EQ(g.firstRest, g.lastRest);
    EXPECT_EQ(table.groups[1].startTime, 1024);
}

// 3:2 nested in a free 5:4: the outer group counts the nested one as one unit; the
// nested entry follows it, marked contained, its unit 512 x 4 / 5 x 2 / 3 = 272.
TEST_F(TupletTest, NestedGroupIsScannedInside) {
    const Ratio outer{2, 0x54, 0};
    const Ratio inner{1, 0, 0x54};
    Note(0, kEighth, outer);
    Note(409, kEighth, inner, 0, kStemDown);
    Note(681, kEighth, inner, 0, kStemDown);
    Note(953, kEighth, inner, 0, kStemDown);
    Note(1225, kEighth, outer);
    Note(1634, kEighth, outer);
    Note(2043, kEighth, outer);
    const TupletGroupTable table = ScanTupletGroups(view_->currentCell, 0);
    ASSERT_EQ(table.count, 2);
    const TupletGroup& o = table.groups[0];
    EXPECT_FALSE(o.contained);
    EXPECT_EQ(o.count, 5);
    EXPECT_EQ(o.toFill, 5);
    EXPECT_EQ(o.members, 7);
    EXPECT_EQ(o.stemsUp, 4);
    EXPECT_EQ(o.stemsDown, 3);
    EXPECT_EQ(o.unitTicks, 409);
    EXPECT_EQ(o.lastNote->time, 2043);
    const TupletGroup& n = table.groups[1];
    EXPECT_TRUE(n.contained);
    EXPECT_EQ(n.nested, 0x54);
    EXPECT_EQ(n.count, 3);
    EXPECT_EQ(n.members, 3);
    EXPECT_EQ(n.unitTicks, 272);
    EXPECT_EQ(n.startTime, 409);
}

// The side from the stem counts: mostly up above (-1, or -2 with some down), mostly
// down below (1, or 2 with some up); a tie goes above.
TEST(TupletSide, FollowsTheStems) {
    TupletGroup g;
    g.stemsUp = 3, g.stemsDown = 0;
    EXPECT_EQ(TupletSideOf(g), -1);
    g.stemsUp = 2, g.stemsDown = 1;
    EXPECT_EQ(TupletSideOf(g), -2);
    g.stemsUp = 0, g.stemsDown = 3;
    EXPECT_EQ(TupletSideOf(g), 1);
    g.stemsUp = 1, g.stemsDown = 2;
    EXPECT_EQ(TupletSideOf(g), 2);
    g.stemsUp = 1, g.stemsDown = 1;
    EXPECT_EQ(TupletSideOf(g), -2);
}

// 41 triplets record only the first 40 groups; a continued scan reads the 41st.
TEST_F(TupletTest, TableKeepsFortyGroups) {
    Triplets(0, 41);
    const TupletGroupTable table = ScanTupletGroups(view_->currentCell, 0);
    ASSERT_EQ(table.count, kTupletGroupLimit);
    EXPECT_TRUE(table.full);
    EXPECT_EQ(table.groups[39].startTime, 39 * 1024);
    const TupletGroupTable rest = ContinueTupletScan(table);
    ASSERT_EQ(rest.count, 1);
    EXPECT_FALSE(rest.full);
    EXPECT_EQ(rest.groups[0].startTime, 40 * 1024);
    EXPECT_EQ(rest.groups[0].members, 3);
    EXPECT_EQ(ContinueTupletScan(rest).count, 0);
}

// With 39 groups made, an outer group takes the last entry and its nested members
// start no group of their own: the outer one ends before them.
TEST_F(TupletTest, NestedGroupNotStartedAtThirtyNine) {
    Triplets(0, 39);
    const Ratio outer{2, 0x54, 0};
    Note(39 * 1024, kEighth, outer);
    Note(39 * 1024 + 409, kEighth, Ratio{1, 0, 0x54});
    const TupletGroupTable table = ScanTupletGroups(view_->currentCell, 0);
    ASSERT_EQ(table.count, kTupletGroupLimit);
    EXPECT_EQ(table.groups[39].kind, 2);
    EXPECT_EQ(table.groups[39].members, 1);
}

// A note's own group is found by its bytes and time; the end chords are the outer
// notes on the mark's side; a note without a ratio has none.
TEST_F(TupletTest, FindsTheGroupOfANote) {
    Triplets(0, 2, kStemDown);
    EventRecord* plain = Note(2048, kQuarter, kNone);
    EventRecord* second = GetVoiceFirstEvent(view_->currentCell, 0);
    for (int i = 0; i < 4; ++i) second = NextEvent(second);
    const TupletGroupOfNote found = FindTupletGroupOfNote(view_, second);
    ASSERT_TRUE(found.found);
    EXPECT_EQ(found.group.startTime, 1024);
    EXPECT_EQ(found.side, 1);
    EXPECT_EQ(found.firstChord->time, 1024);
    EXPECT_EQ(found.lastChord->time, 1024 + 682);
    EXPECT_FALSE(FindTupletGroupOfNote(view_, plain).found);
}

}  // namespace
}  // namespace ql::testing_tuplets
