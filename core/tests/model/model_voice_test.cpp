// Voices of a measure cell: the room left, the 16-tick tolerance of lookups by
// tick, shifting items in time, and the heads and element lists of voices.
#include "core/tests/model/model_fixture.h"

namespace ql::testing_model {
namespace {

constexpr int kQuarter = 10;
constexpr int kHalf = 11;

class VoiceTest : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        cell_ = UseCell();
    }
    MeasureCell* cell_ = nullptr;
};

// Room left in 4/4: all of it when empty, none when exactly full or overfull.
TEST_F(VoiceTest, TicksLeftInVoiceAtTheEdges) {
    EXPECT_EQ(TicksLeftInVoice(cell_, view_, 0), 4096);
    Note(cell_, 0, 0, kHalf, 4);
    EXPECT_EQ(TicksLeftInVoice(cell_, view_, 0), 2048);
    EventRecord* dotted = Note(cell_, 0, 2048, kQuarter, 4);
    EXPECT_EQ(TicksLeftInVoice(cell_, view_, 0), 1024);
    dotted->word2 |= 1;  // a dotted quarter at 2048 ends at 3584
    EXPECT_EQ(TicksLeftInVoice(cell_, view_, 0), 512);
    Note(cell_, 0, 3584, kQuarter, 4);  // ends at 4608: overfull
    EXPECT_EQ(TicksLeftInVoice(cell_, view_, 0), 0);
    EXPECT_EQ(TicksLeftInVoice(cell_, view_, 1), 4096);  // other voices untouched
}

// A voice filled exactly to the end has no room.
TEST_F(VoiceTest, ExactlyFilledVoiceHasNoRoom) {
    for (int i = 0; i < 4; ++i) Note(cell_, 2, i * 1024, kQuarter, 4);
    EXPECT_EQ(TicksLeftInVoice(cell_, view_, 2), 0);
}

// An event 15 ticks after the tick counts as at it; one 16 ticks after does not.
TEST_F(VoiceTest, LookupsByTickAllowFifteenTicks) {
    EventRecord* first = Note(cell_, 0, 115, kQuarter, 4);
    view_->voiceMask = 0;  // voice 1
    EXPECT_EQ(FindInActiveVoice(cell_, view_, 100), first);
    EXPECT_EQ(FindInActiveVoice(cell_, view_, 99), nullptr);
    EventRecord* second = Note(cell_, 0, 1024, kQuarter, 4);
    EXPECT_EQ(FindInActiveVoice(cell_, view_, 1009), second);
    EXPECT_EQ(FindInActiveVoice(cell_, view_, 1008), first);
}

// The active voice is the lowest set bit of the mask.
TEST_F(VoiceTest, ActiveVoiceFollowsTheMask) {
    EventRecord* inThird = Note(cell_, 2, 0, kQuarter, 4);
    view_->voiceMask = 0x0C;
    EXPECT_EQ(FindInActiveVoice(cell_, view_, 0), inThird);
    view_->voiceMask = 0x10;  // above 15: voice 1
    EXPECT_EQ(FindInActiveVoice(cell_, view_, 0), nullptr);
}

// Shifting from a tick moves that event and every later one; a negative shift stops
// at the first event that would fall below 0 and leaves it and the rest unchanged.
TEST_F(VoiceTest, ShiftingFromATickStopsBeforeNegativeTimes) {
    Note(cell_, 0, 0, kQuarter, 4);
    Note(cell_, 0, 1024, kQuarter, 4);
    Note(cell_, 0, 2048, kQuarter, 4);
    EXPECT_EQ(FindChordAtTick(cell_, 0, 1020, 100), 1024);
    using P = std::pair<int, int>;
    EXPECT_EQ(Voice(cell_, 0), (std::vector<P>{{0, 4}, {1124, 4}, {2148, 4}}));
    EXPECT_EQ(FindChordAtTick(cell_, 0, 0, -50), 0);
    EXPECT_EQ(Voice(cell_, 0), (std::vector<P>{{0, 4}, {1124, 4}, {2148, 4}}));
    EXPECT_EQ(FindChordAtTick(cell_, 0, 5000, 10), 0);  // nothing there
    EXPECT_EQ(ShiftVoiceElementsFromTick(doc_, 1, 1, 0, 1124, -100), 1);
    EXPECT_EQ(Voice(cell_, 0), (std::vector<P>{{0, 4}, {1024, 4}, {2048, 4}}));
    EXPECT_EQ(ShiftVoiceElementsFromTick(doc_, 7, 1, 0, 0, 10), 0);  // no such staff
}

// The end of the items that start more than 15 ticks before a tick.
TEST_F(VoiceTest, EventTimeInVoiceSeesOnlyEarlierItems) {
    Note(cell_, 1, 0, kQuarter, 4);
    Note(cell_, 1, 1024, kHalf, 4);
    EXPECT_EQ(FindEventTimeInVoice(doc_, 1, 1, 1, 1039), 1024);
    EXPECT_EQ(FindEventTimeInVoice(doc_, 1, 1, 1, 1040), 3072);
    EXPECT_EQ(FindEventTimeInVoice(doc_, 1, 1, 1, 0), 0);
    EXPECT_EQ(FindEventTimeInVoice(doc_, 9, 1, 1, 777), 777);  // no cell: the tick itself
}

// Heads are made on first use; a handle that does not resolve is replaced.
TEST_F(VoiceTest, VoiceHeadsAreMadeAndRepairedOnDemand) {
    EXPECT_EQ(GetVoiceHead(cell_, 3), nullptr);
    EventRecord* head = GetOrCreateVoiceChain(cell_, doc_, 3);
    ASSERT_NE(head, nullptr);
    EXPECT_TRUE(IsHeadSentinel(*head));
    EXPECT_EQ(GetVoiceHead(cell_, 3), head);
    FreeEvent(head);  // the handle now names a freed record
    EventRecord* renewed = GetOrCreateVoiceChain(cell_, doc_, 3);
    EXPECT_TRUE(IsHeadSentinel(*renewed));
    EXPECT_EQ(GetVoiceHead(cell_, 3), renewed);
}

// Without any record to be had, the voice gets the static fallback head, which is
// never stored in the cell.
TEST_F(VoiceTest, ExhaustedPoolYieldsTheUnstoredFallbackHead) {
    doc_->headSentinel = RecordHandle{};
    FailNextRecordAllocations(1);
    EventRecord* head = GetOrCreateVoiceChain(cell_, doc_, 2);
    FailNextRecordAllocations(0);
    ASSERT_NE(head, nullptr);
    EXPECT_TRUE(IsHeadSentinel(*head));
    EXPECT_FALSE(cell_->voices[2]);
    EXPECT_FALSE(HandleOfEvent(head));
}

// The earliest first event over the four voices, and the nearest chord after a tick.
TEST_F(VoiceTest, CellWideLookupsPickTheEarliest) {
    Note(cell_, 1, 512, kQuarter, 4);
    EventRecord* early = Note(cell_, 3, 256, kQuarter, 4);
    EventRecord* tieLow = Note(cell_, 0, 2048, kQuarter, 4);
    Note(cell_, 2, 2048, kQuarter, 4);
    EXPECT_EQ(CountCellEvents(cell_), early);
    EXPECT_EQ(FindNearestInVoices(cell_, 1500), tieLow);  // lower voice on a tie
    EXPECT_EQ(FindNearestInVoices(cell_, 3000), nullptr);
    EXPECT_EQ(IsCellEmpty(cell_), 0);
    EXPECT_EQ(IsCellEmpty(Cell(2, 3)), 1);
}

// Element lists are made with the sentinel marks and walked like voices.
TEST_F(VoiceTest, ElementListsCarryTheSentinelMarks) {
    EXPECT_EQ(GetVoiceElementList(cell_, 0), nullptr);
    ScoreObject* list = GetOrCreateVoiceElementList(cell_, 0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ElementTime(list), kSentinelTime);
    EXPECT_EQ(GetVoiceElementList(cell_, 0), list);
    EXPECT_EQ(GetVoiceFirstElement(cell_, 0), nullptr);
    EXPECT_EQ(IsVoiceEmpty(cell_, 0), 1);
}

}  // namespace
}  // namespace ql::testing_model
