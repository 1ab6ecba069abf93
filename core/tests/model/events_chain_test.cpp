// Event chains: time and step order, chords and their heads, beam groups split
// and joined by insertion, unlinking chord members, and the chord walks.
#include "core/tests/model/model_fixture.h"

namespace ql::testing_model {
namespace {

constexpr int kEighth = 9;
constexpr int kQuarter = 10;

class EventChainTest : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        cell_ = UseCell();
    }

    // Four beamed eighths at 0, 512, 1024, 1536.
    std::vector<EventRecord*> BeamedEighths() {
        std::vector<EventRecord*> notes;
        for (int i = 0; i < 4; ++i) notes.push_back(Note(cell_, 0, i * 512, kEighth, 4));
        for (size_t i = 0; i < notes.size(); ++i) {
            notes[i]->beamPrev = i > 0 ? HandleOfEvent(notes[i - 1]) : RecordHandle{};
            notes[i]->beamNext =
                i + 1 < notes.size() ? HandleOfEvent(notes[i + 1]) : RecordHandle{};
        }
        return notes;
    }

    EventRecord* Head() { return GetVoiceHead(cell_, 0); }

    MeasureCell* cell_ = nullptr;
};

// Notes link in time order, and at one time in step order, whatever the order of
// insertion.
TEST_F(EventChainTest, InsertionKeepsTimeThenStepOrder) {
    Note(cell_, 0, 1024, kQuarter, 6);
    Note(cell_, 0, 0, kQuarter, 4);
    Note(cell_, 0, 1024, kQuarter, 2);
    Note(cell_, 0, 2048, kQuarter, 1);
    using P = std::pair<int, int>;
    EXPECT_EQ(Voice(cell_, 0), (std::vector<P>{{0, 4}, {1024, 2}, {1024, 6}, {2048, 1}}));
    EventRecord* first = GetVoiceFirstEvent(cell_, 0);
    EXPECT_EQ(first->prev, cell_->voices[0]);
    EXPECT_EQ(IsFirstOfChord(first), 1);  // the sentinel's time differs
}

// Steps below the middle line are negative: a chord across it is ordered low to high.
TEST_F(EventChainTest, ChordAcrossTheMiddleLineKeepsStepOrder) {
    Note(cell_, 0, 0, kQuarter, 3);
    Note(cell_, 0, 0, kQuarter, -2);
    Note(cell_, 0, 0, kQuarter, 0);
    std::vector<int> steps;
    for (EventRecord* e = GetVoiceFirstEvent(cell_, 0); e != nullptr; e = NextEvent(e))
        steps.push_back(SignedStep(*e));
    EXPECT_EQ(steps, (std::vector<int>{-2, 0, 3}));
}

// A quarter inserted inside a group of beamed eighths splits the group there.
TEST_F(EventChainTest, LongerValueInsideBeamGroupSplitsIt) {
    auto n = BeamedEighths();
    EventRecord* quarter = Note(cell_, 0, 768, kQuarter, 4);
    ExpectBeamGroup({n[0], n[1]});
    ExpectBeamGroup({n[2], n[3]});
    EXPECT_FALSE(quarter->beamPrev);
    EXPECT_FALSE(quarter->beamNext);
    EXPECT_EQ(IsChordBeamed(quarter), 0);
    EXPECT_TRUE(quarter->flags & kEventChordHead);
}

// An eighth inserted inside a beam group joins it between its neighbours.
TEST_F(EventChainTest, EighthInsideBeamGroupJoinsIt) {
    auto n = BeamedEighths();
    EventRecord* eighth = Note(cell_, 0, 256, kEighth, 4);
    ExpectBeamGroup({n[0], eighth, n[1], n[2], n[3]});
    EXPECT_EQ(CountBeamGroupChords(n[3]), 5);
}

// After a split, an eighth between the two halves starts no group: the chord after
// it is no longer linked back.
TEST_F(EventChainTest, EighthBetweenSplitHalvesStaysUnbeamed) {
    auto n = BeamedEighths();
    Note(cell_, 0, 768, kQuarter, 4);
    EventRecord* eighth = Note(cell_, 0, 896, kEighth, 4);
    EXPECT_EQ(IsChordBeamed(eighth), 0);
    ExpectBeamGroup({n[2], n[3]});
}

// A note below the chord's head becomes the head: it takes the beam links and the
// stem keeps its end.
TEST_F(EventChainTest, LowerNoteBecomesChordHeadAndKeepsTheStemEnd) {
    auto n = BeamedEighths();
    n[1]->step = 6;
    n[1]->stemLength = 448;
    n[1]->stemWord = static_cast<uint16_t>(10 << kStemFieldShift);
    EventRecord* low = Note(cell_, 0, 512, kEighth, 4);  // d = 4 - 6 = -2
    EXPECT_EQ(GetFirstEventOfChord(n[1]), low);
    EXPECT_TRUE(low->flags & kEventChordHead);
    EXPECT_FALSE(n[1]->flags & kEventChordHead);
    ExpectBeamGroup({n[0], low, n[2], n[3]});
    EXPECT_FALSE(n[1]->beamPrev);
    EXPECT_EQ(low->stemLength, 448 + 2 * 64);
    EXPECT_EQ((low->stemWord & kStemFieldMask) >> kStemFieldShift, 12);
}

// A note above the head joins the chord as a later member and changes nothing else.
TEST_F(EventChainTest, HigherNoteJoinsChordAsMember) {
    auto n = BeamedEighths();
    EventRecord* high = Note(cell_, 0, 512, kEighth, 9);
    EXPECT_EQ(GetFirstEventOfChord(high), n[1]);
    EXPECT_EQ(GetLastEventOfChord(n[1]), high);
    EXPECT_FALSE(high->beamPrev);
    ExpectBeamGroup({n[0], n[1], n[2], n[3]});
    EXPECT_EQ(GetNextEventSameTime(n[1]), high);
    EXPECT_EQ(GetPrevEventSameTime(high), n[1]);
    EXPECT_EQ(IsLastOfChord(high), 1);
    EXPECT_EQ(IsFirstOfChord(high), 0);
}

// Unlinking a chord's head hands the head and the beam links to the next member.
TEST_F(EventChainTest, UnlinkingChordHeadPassesTheHeadOn) {
    auto n = BeamedEighths();
    EventRecord* high = Note(cell_, 0, 512, kEighth, 9);
    UnlinkChord(n[1], doc_);
    EXPECT_TRUE(high->flags & kEventChordHead);
    ExpectBeamGroup({n[0], high, n[2], n[3]});
    EXPECT_FALSE(n[1]->prev);
    EXPECT_FALSE(n[1]->next);
}

// Unlinking the only note of a beamed chord links its neighbours past it.
TEST_F(EventChainTest, UnlinkingLoneChordJoinsItsBeamNeighbours) {
    auto n = BeamedEighths();
    UnlinkChord(n[1], doc_);
    ExpectBeamGroup({n[0], n[2], n[3]});
    using P = std::pair<int, int>;
    EXPECT_EQ(Voice(cell_, 0), (std::vector<P>{{0, 4}, {1024, 4}, {1536, 4}}));
    FreeEvent(n[1]);
}

// Unlinking a middle member moves the head's stem field by the step difference.
TEST_F(EventChainTest, UnlinkingMiddleMemberAdjustsTheHeadStem) {
    EventRecord* head = Note(cell_, 0, 0, kQuarter, 2);
    EventRecord* middle = Note(cell_, 0, 0, kQuarter, 5);
    Note(cell_, 0, 0, kQuarter, 8);
    head->stemWord = static_cast<uint16_t>(20 << kStemFieldShift);
    UnlinkChord(middle, doc_);
    EXPECT_EQ((head->stemWord & kStemFieldMask) >> kStemFieldShift, 20 + (2 - 5));
    FreeEvent(middle);
}

// Every link operation counts a change of the document.
TEST_F(EventChainTest, LinkingMarksTheDocumentModified) {
    const uint16_t before = doc_->changeCounter;
    EventRecord* e = Note(cell_, 0, 0, kQuarter, 4);
    EXPECT_GT(doc_->changeCounter, before);
    const uint16_t afterInsert = doc_->changeCounter;
    UnlinkEvent(e, doc_);
    EXPECT_GT(doc_->changeCounter, afterInsert);
    FreeEvent(e);
}

// Chord walks: previous and next chords, seeks by time, and the end of the voice.
TEST_F(EventChainTest, ChordWalksFindNeighboursAndTimes) {
    EventRecord* a = Note(cell_, 0, 0, kQuarter, 4);
    EventRecord* b = Note(cell_, 0, 1024, kQuarter, 2);
    EventRecord* b2 = Note(cell_, 0, 1024, kQuarter, 7);
    EventRecord* c = Note(cell_, 0, 2048, kQuarter, 4);
    EXPECT_EQ(GetNextChordEvent(a), b);
    EXPECT_EQ(GetNextChordEvent(b), c);
    EXPECT_EQ(GetPrevChordEvent(c), b2);
    EXPECT_EQ(GetPrevChordEvent(a), nullptr);
    EXPECT_EQ(GetFirstEventOfNextChord(c), b);  // the chord BEFORE, by its first event
    EXPECT_EQ(SeekEventForwardToTime(a, 1000), b);
    EXPECT_EQ(SeekEventForwardToTime(a, 2049), nullptr);
    EXPECT_EQ(SeekEventToTime(a, 2000), b);
    EXPECT_EQ(GetPrevRealEvent(a), nullptr);
    // Stem up (flag set): the chord ends at its last member; stem down at its first.
    b->flags |= kEventStemFlag;
    EXPECT_EQ(GetChordEndByDirection(b), b2);
    b->flags &= static_cast<uint16_t>(~kEventStemFlag);
    EXPECT_EQ(GetChordEndByDirection(b), b);
    EXPECT_EQ(GetChordMember(a), b2);  // stem down: the chord starts at its last member
}

// The beam queries whose names say the opposite keep their behaviour.
TEST_F(EventChainTest, BeamQueriesAnswerAsTheirCallersExpect) {
    auto n = BeamedEighths();
    EXPECT_EQ(GetLastChordOfBeamGroup(n[2]), n[0]);   // first chord of the group
    EXPECT_EQ(GetFirstChordOfBeamGroup(n[1]), n[3]);  // last chord of the group
    EXPECT_EQ(GetChordBeamNextHandle(n[1]), HandleOfEvent(n[0]));
    EXPECT_EQ(GetChordBeamPrevHandle(n[1]), HandleOfEvent(n[2]));
    EXPECT_EQ(GetBeamGroupLastEvent(n[1]), 1536 + 512 - 512);  // ticks to the group's end
    EXPECT_EQ(GetEventAfterBeamGroupStart(n[0]), nullptr);
    EXPECT_EQ(GetBeamGroupStartAtTick(Head(), 1024), n[0]);
    EXPECT_EQ(GetBeamGroupStartAtTick(Head(), 4000), nullptr);
    EXPECT_EQ(GetAdjacentChordEvent(n[0]), n[1]);
    EventRecord* after = Note(cell_, 0, 2048, kQuarter, 4);
    EXPECT_EQ(GetEventAfterBeamGroupStart(n[0]), after);
    EXPECT_EQ(CountBeamGroupEvents(after), n[0]);  // the group before the note's own
    EXPECT_EQ(GetAdjacentChordEvent(n[3]), nullptr);
}

// Freeing a chain frees every event after the head and empties the voice.
TEST_F(EventChainTest, FreeingTheChainEmptiesTheVoice) {
    std::vector<EventRecord*> notes;
    for (int i = 0; i < 4; ++i) notes.push_back(Note(cell_, 0, i * 1024, kQuarter, 4));
    FreeEventChain(Head());
    EXPECT_FALSE(Head()->next);
    for (EventRecord* e : notes) EXPECT_TRUE(IsFreeRecord(e));
    EXPECT_EQ(IsVoiceEmpty(cell_, 0), 1);
}

// A chain that loops back on itself is freed once, without a hang.
TEST_F(EventChainTest, FreeingALoopedChainStops) {
    EventRecord* a = Note(cell_, 0, 0, kQuarter, 4);
    EventRecord* b = Note(cell_, 0, 1024, kQuarter, 4);
    b->next = HandleOfEvent(a);
    FreeEventChain(Head());
    EXPECT_TRUE(IsFreeRecord(a));
    EXPECT_TRUE(IsFreeRecord(b));
}

// A copy keeps the note and drops every link and the attachment.
TEST_F(EventChainTest, UnlinkedCopyDropsLinks) {
    auto n = BeamedEighths();
    n[1]->flags |= kEventCopyCleared;
    EventRecord copy{};
    CopyEventUnlinked(&copy, n[1]);
    EXPECT_EQ(copy.time, 512);
    EXPECT_EQ(copy.step, 4);
    EXPECT_FALSE(copy.flags & kEventCopyCleared);
    EXPECT_FALSE(copy.prev || copy.next || copy.beamPrev || copy.beamNext || copy.attachment);
}

}  // namespace
}  // namespace ql::testing_model
