// Beam groups: the tree of beam levels, the repairs made while a group is collected,
// failure without a node to be had, one direction for a whole group and its shape,
// and joining and breaking groups.
#include <cstring>

#include "core/memory/pool.h"
#include "notes/stems/stems.h"
#include "notes/tests/stems/stems_fixture.h"

namespace ql::testing_stems {
namespace {

using BeamGroups = StemsTest;

std::vector<BeamNode*> Children(const BeamNode* node) {
    std::vector<BeamNode*> children;
    for (BeamNode* child = BeamNodeAt(node->firstChild); child != nullptr;
         child = BeamNodeAt(child->nextSibling))
        children.push_back(child);
    return children;
}

// Eighth, sixteenth, sixteenth, eighth: the two sixteenths share a level-1 node;
// the eighths are leaves of the root.
TEST_F(BeamGroups, TreeGroupsRunsThatShareMoreBeams) {
    std::vector<EventRecord*> notes = {Note(0, kCodeEighth, 0), Note(512, kCode16th, 0),
                                       Note(768, kCode16th, 0), Note(1024, kCodeEighth, 0)};
    Beam(notes);
    BeamNode* root = CollectBeamGroup(view_, notes[1]);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->root, 1);
    EXPECT_EQ(root->level, 0);
    std::vector<BeamNode*> top = Children(root);
    ASSERT_EQ(top.size(), 3u);
    EXPECT_EQ(top[0]->chord, HandleOfEvent(notes[0]));
    EXPECT_FALSE(top[1]->chord);
    EXPECT_EQ(top[1]->level, 1);
    std::vector<BeamNode*> inner = Children(top[1]);
    ASSERT_EQ(inner.size(), 2u);
    EXPECT_EQ(inner[0]->chord, HandleOfEvent(notes[1]));
    EXPECT_EQ(inner[1]->chord, HandleOfEvent(notes[2]));
    EXPECT_EQ(BeamNodeAt(inner[0]->parent), top[1]);
    EXPECT_EQ(top[2]->chord, HandleOfEvent(notes[3]));
    EXPECT_EQ(BeamTreeLeafCount(root), 4);
    FreeBeamTree(root);
}

// A 32nd after an eighth opens one node per missing level; a following sixteenth
// closes back to level 1 and opens nothing new.
TEST_F(BeamGroups, DeeperLeafOpensIntermediateNodes) {
    std::vector<EventRecord*> notes = {Note(0, kCodeEighth, 0), Note(512, kCode32nd, 0),
                                       Note(640, kCode16th, 0)};
    Beam(notes);
    BeamNode* root = CollectBeamGroup(view_, notes[0]);
    ASSERT_NE(root, nullptr);
    std::vector<BeamNode*> top = Children(root);
    ASSERT_EQ(top.size(), 2u);
    BeamNode* level1 = top[1];
    std::vector<BeamNode*> underLevel1 = Children(level1);
    ASSERT_EQ(underLevel1.size(), 2u);
    EXPECT_EQ(underLevel1[0]->level, 2);
    EXPECT_FALSE(underLevel1[0]->chord);
    ASSERT_EQ(Children(underLevel1[0]).size(), 1u);
    EXPECT_EQ(Children(underLevel1[0])[0]->chord, HandleOfEvent(notes[1]));
    EXPECT_EQ(underLevel1[1]->chord, HandleOfEvent(notes[2]));
    FreeBeamTree(root);
}

// Missing back links and missing forward links are restored while collecting.
TEST_F(BeamGroups, CollectingRestoresMissingLinks) {
    std::vector<EventRecord*> notes = Run({0, 512, 1024}, kCodeEighth);
    Beam(notes);
    notes[1]->beamPrev = RecordHandle{};  // 0 -> 1 forward only
    notes[1]->beamNext = RecordHandle{};  // 1 -> 2 backward only
    BeamNode* root = CollectBeamGroup(view_, notes[0]);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(BeamTreeLeafCount(root), 3);
    FreeBeamTree(root);
    ExpectGroup(notes);
    // Collecting from the last chord walks back and repairs the same way.
    notes[0]->beamNext = RecordHandle{};
    root = CollectBeamGroup(view_, notes[2]);
    EXPECT_EQ(BeamTreeLeafCount(root), 3);
    FreeBeamTree(root);
    ExpectGroup(notes);
}

// Links that cannot be followed (freed record, head sentinel, another voice, an
// earlier chord named as next, a chord member) end the walk and are cleared.
TEST_F(BeamGroups, CollectingCutsLinksThatCannotBeFollowed) {
    std::vector<EventRecord*> notes = Run({0, 512, 1024}, kCodeEighth);
    EventRecord* otherVoice = Note(1, 0, kCodeEighth, 0);
    EventRecord* freed = Note(1, 512, kCodeEighth, 0);
    const RecordHandle freedHandle = HandleOfEvent(freed);
    UnlinkEvent(freed, doc_);
    FreeEvent(freed);
    EventRecord* member = Note(1024, kCodeEighth, -2);  // joins the chord at 1024
    const struct {
        RecordHandle prevOfMiddle;
        const char* what;
    } bad[] = {
        {freedHandle, "freed"},
        {cell_->voices[0], "sentinel"},
        {HandleOfEvent(otherVoice), "other voice"},
        {HandleOfEvent(notes[2]), "a later chord"},
        {HandleOfEvent(member), "a chord member"},
        {RecordHandle{0x7FFF}, "past the pool"},
    };
    for (const auto& b : bad) {
        Beam(notes);
        notes[1]->beamPrev = b.prevOfMiddle;
        BeamNode* root = CollectBeamGroup(view_, notes[1]);
        ASSERT_NE(root, nullptr) << b.what;
        EXPECT_EQ(BeamTreeLeafCount(root), 2) << b.what;
        FreeBeamTree(root);
        EXPECT_FALSE(notes[1]->beamPrev) << b.what;
        EXPECT_EQ(notes[1]->beamNext, HandleOfEvent(notes[2])) << b.what;
    }
    // A bad forward link of the last chord is cleared as well.
    Beam(notes);
    notes[2]->beamNext = HandleOfEvent(otherVoice);
    BeamNode* root = CollectBeamGroup(view_, notes[0]);
    EXPECT_EQ(BeamTreeLeafCount(root), 3);
    FreeBeamTree(root);
    EXPECT_FALSE(notes[2]->beamNext);
    EXPECT_EQ(otherVoice->beamPrev, RecordHandle{});  // nothing written into voice 2
}

// Links that run in a circle cannot make the walk loop: a link back to an earlier
// chord is not a forward link.
TEST_F(BeamGroups, LoopingLinksEndTheWalk) {
    std::vector<EventRecord*> notes = Run({0, 512}, kCodeEighth);
    notes[0]->beamNext = HandleOfEvent(notes[1]);
    notes[1]->beamNext = HandleOfEvent(notes[0]);
    notes[0]->beamPrev = HandleOfEvent(notes[1]);
    notes[1]->beamPrev = HandleOfEvent(notes[0]);
    BeamNode* root = CollectBeamGroup(view_, notes[1]);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(BeamTreeLeafCount(root), 2);
    FreeBeamTree(root);
    ExpectGroup(notes);
}

// Without a node to be had the collection fails and writes nothing, not even the
// repairs it had planned, and gives back the nodes it made. The tree below needs
// five nodes; the scratch pool is filled and then k records are freed, so that the
// collection fails at its (k + 1)th node.
TEST_F(BeamGroups, FailedCollectionLeavesTheGroupAsItWas) {
    std::vector<EventRecord*> notes = {Note(0, kCodeEighth, 0), Note(512, kCode16th, 0),
                                       Note(768, kCode16th, 0)};
    Beam(notes);
    notes[1]->beamPrev = RecordHandle{};  // a repair the walk would make
    const EventRecord before = *notes[1];
    std::vector<void*> filler;
    while (void* record = AllocStaticRecord(kNotesScratchStaticPool)) {
        filler.push_back(record);
        ASSERT_LT(filler.size(), 100000u);
    }
    const int fillerCount = LiveScratchNodes();
    for (int k = 0; k < 5; ++k) {
        for (int i = 0; i < k; ++i) {
            FreeStaticRecord(kNotesScratchStaticPool, filler.back());
            filler.pop_back();
        }
        EXPECT_EQ(CollectBeamGroup(view_, notes[0]), nullptr) << k;
        EXPECT_EQ(std::memcmp(notes[1], &before, sizeof before), 0) << k;
        EXPECT_EQ(LiveScratchNodes(), fillerCount - k) << k;
        for (int i = 0; i < k; ++i) filler.push_back(AllocStaticRecord(kNotesScratchStaticPool));
    }
    // With the stems as they were: UpdateBeamForNote changes nothing either.
    const uint16_t flags = notes[0]->flags;
    UpdateBeamForNote(view_, notes[0]);
    EXPECT_EQ(notes[0]->flags, flags);
    for (void* record : filler) FreeStaticRecord(kNotesScratchStaticPool, record);
    UpdateBeamForNote(view_, notes[0]);  // works again, and repairs the link
    EXPECT_EQ(notes[1]->beamPrev, HandleOfEvent(notes[0]));
}

// One direction for the whole group, from all its notes together: mostly below the
// middle line means up for every chord, whatever each chord alone would get.
TEST_F(BeamGroups, GroupTakesOneDirectionFromAllItsNotes) {
    std::vector<EventRecord*> notes = {Note(0, kCodeEighth, 2), Note(512, kCodeEighth, -6),
                                       Note(1024, kCodeEighth, 1)};
    EventRecord* member = Note(512, kCodeEighth, -5);  // a chord at 512
    Beam(notes);
    BeamNode* root = CollectBeamGroup(view_, notes[0]);
    BeamGroupShape shape;
    EXPECT_EQ(ComputeGroupStems(view_, root, &shape), 1);  // d: 6, -2, -1, 5
    for (EventRecord* note : {notes[0], notes[1], notes[2], member}) EXPECT_TRUE(IsUp(note));
    EXPECT_EQ(root->up, 1);
    for (BeamNode* leaf : Children(root)) EXPECT_EQ(leaf->up, 1);
    EXPECT_EQ(shape.chordCount, 3);
    EXPECT_EQ(shape.noteCount, 4);
    EXPECT_EQ(shape.firstChord, notes[0]);
    EXPECT_EQ(shape.lastChord, notes[2]);
    EXPECT_EQ(shape.highestStep, -6);
    EXPECT_EQ(shape.highestTime, 512);
    EXPECT_EQ(shape.lowestStep, 2);
    EXPECT_EQ(shape.extremeNote, notes[1]);  // stems up: the highest stem-side end
    EXPECT_EQ(shape.stepHistogram[static_cast<uint8_t>(-5)], 1);
    EXPECT_EQ(shape.risingMoves, 1);
    EXPECT_EQ(shape.fallingMoves, 1);
    EXPECT_LT(notes[1]->stemLength, 0);  // every stem agrees with its direction
    FreeBeamTree(root);
    // Down: the stem-side end is the lowest note of each chord, the largest step.
    State().notes.StemMode = kStemsDown;
    root = CollectBeamGroup(view_, notes[2]);
    EXPECT_EQ(ComputeGroupStems(view_, root, &shape), 0);
    EXPECT_EQ(shape.extremeNote, notes[0]);
    EXPECT_GT(notes[1]->stemLength, 0);
    FreeBeamTree(root);
}

// A balanced group keeps the direction of the chord just before it.
TEST_F(BeamGroups, BalancedGroupFollowsTheChordBefore) {
    EventRecord* before = Note(0, kCodeQuarter, 0);
    std::vector<EventRecord*> notes = Run({1024, 1536}, kCodeEighth, -1);  // d = 3
    notes[1]->step = static_cast<uint8_t>(-7);                             // d = -3
    Beam(notes);
    for (int direction : {1, 0}) {
        before->flags = static_cast<uint16_t>((before->flags & ~kEventStemFlag) |
                                              (direction ? kEventStemFlag : 0));
        UpdateBeamForNote(view_, notes[1]);
        EXPECT_EQ(IsUp(notes[0]), direction == 1);
        EXPECT_EQ(IsUp(notes[1]), direction == 1);
    }
}

// After a change: an unbeamed chord is stemmed alone; a beamed chord restems its
// group; a beamed quarter (not a beamable value) is left alone.
TEST_F(BeamGroups, UpdateBeamForNoteStemsChordOrGroup) {
    EventRecord* alone = Note(0, kCodeQuarter, -13);
    UpdateBeamForNote(view_, alone);
    EXPECT_FALSE(IsUp(alone));
    EXPECT_EQ(alone->stemLength, 9 * 64);  // reaches down to the middle line
    std::vector<EventRecord*> notes = Run({1024, 1536}, kCodeEighth, 0);
    Beam(notes);
    UpdateBeamForNote(view_, notes[1]);
    EXPECT_TRUE(IsUp(notes[0]) && IsUp(notes[1]));
    ExpectGroup(notes);
    notes[0]->duration = kCodeQuarter;
    notes[0]->flags &= static_cast<uint16_t>(~kEventStemFlag);
    UpdateBeamForNote(view_, notes[0]);
    EXPECT_FALSE(IsUp(notes[0]));
}

// Joining links the last chord of the earlier group to the first of the later one
// and restems the result; a quarter, a wrong order or another voice is refused.
TEST_F(BeamGroups, JoiningTwoGroups) {
    std::vector<EventRecord*> a = Run({0, 512}, kCodeEighth, 0);
    std::vector<EventRecord*> b = Run({1024, 1536}, kCodeEighth, -12);
    Beam(a);
    Beam(b);
    EventRecord* quarter = Note(2048, kCodeQuarter, 0);
    EXPECT_EQ(JoinBeamGroups(view_, b[0], a[1]), 0);   // later group first
    EXPECT_EQ(JoinBeamGroups(view_, a[1], a[0]), 0);   // same group
    EXPECT_EQ(JoinBeamGroups(view_, b[1], quarter), 0);
    ExpectGroup(a);
    ExpectGroup(b);
    EXPECT_EQ(JoinBeamGroups(view_, a[0], b[1]), 1);  // any chords of the two groups
    ExpectGroup({a[0], a[1], b[0], b[1]});
    // d: 4, 4, -8, -8: the note above is farther: down for the four.
    for (EventRecord* note : {a[0], a[1], b[0], b[1]}) EXPECT_FALSE(IsUp(note));
    EventRecord* c = Note(2560, kCodeEighth, 0);
    EXPECT_EQ(JoinBeamsCommand(view_, b[1], c), 1);
    EventRecord* otherVoice = Note(1, 3072, kCodeEighth, 0);
    EXPECT_EQ(JoinBeamGroups(view_, c, otherVoice), 0);
    EXPECT_FALSE(c->beamNext);
}

// Breaking cuts one link and restems both sides; a side left with one chord gets a
// single chord's stem.
TEST_F(BeamGroups, BreakingAGroup) {
    std::vector<EventRecord*> notes = Run({0, 512, 1024}, kCodeEighth, 0);
    notes[0]->step = static_cast<uint8_t>(-7);  // alone it points down
    Beam(notes);
    UpdateBeamForNote(view_, notes[0]);
    EXPECT_TRUE(IsUp(notes[0]));  // d: -3, 4, 4 together: up
    EXPECT_EQ(BreakBeamGroup(view_, notes[1], notes[0]), 0);  // wrong order
    EXPECT_EQ(BreakBeamGroup(view_, notes[0], notes[1]), 1);
    EXPECT_FALSE(IsBeamed(notes[0]));
    EXPECT_FALSE(IsUp(notes[0]));
    EXPECT_EQ(notes[0]->stemLength, 448);
    ExpectGroup({notes[1], notes[2]});
    EXPECT_EQ(BreakBeamsCommand(view_, notes[1], notes[2]), 1);
    EXPECT_FALSE(IsBeamed(notes[1]) || IsBeamed(notes[2]));
}

}  // namespace
}  // namespace ql::testing_stems
