// ScanCurrentCellVoice: a sound voice passes untouched; broken links, disorder,
// duplicates, a late start and gaps are mended without crashing.
#include "core/tests/model/model_fixture.h"

namespace ql::testing_model {
namespace {

constexpr int kQuarter = 10;

class ScanTest : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        cell_ = UseCell();
        for (int i = 0; i < 4; ++i) notes_.push_back(Note(cell_, 0, i * 1024, kQuarter, 4));
    }
    using P = std::pair<int, int>;
    MeasureCell* cell_ = nullptr;
    std::vector<EventRecord*> notes_;
};

// Four quarters tiling the measure are consistent and stay as they are.
TEST_F(ScanTest, SoundVoicePassesUntouched) {
    EXPECT_EQ(ScanCurrentCellVoice(view_, 0), 1);
    EXPECT_EQ(Voice(cell_, 0), (std::vector<P>{{0, 4}, {1024, 4}, {2048, 4}, {3072, 4}}));
    EXPECT_EQ(ScanCurrentCellVoice(view_, 1), 1);  // an empty voice is consistent too
}

// A back link that leads elsewhere cuts the chain there.
TEST_F(ScanTest, BrokenBackLinkCutsTheChain) {
    notes_[2]->prev = HandleOfEvent(notes_[0]);
    EXPECT_EQ(ScanCurrentCellVoice(view_, 0), 0);
    EXPECT_EQ(Voice(cell_, 0), (std::vector<P>{{0, 4}, {1024, 4}}));
    EXPECT_EQ(ScanCurrentCellVoice(view_, 0), 1);
}

// A next link to a freed record is cut, and nothing reads the freed record.
TEST_F(ScanTest, LinkToAFreedRecordIsCut) {
    UnlinkEvent(notes_[3], doc_);
    FreeEvent(notes_[3]);
    notes_[2]->next = HandleOfEvent(notes_[3]);  // dangling
    EXPECT_EQ(ScanCurrentCellVoice(view_, 0), 0);
    EXPECT_FALSE(notes_[2]->next);
}

// A beam link whose partner does not link back is cleared.
TEST_F(ScanTest, OneSidedBeamLinkIsCleared) {
    notes_[1]->beamNext = HandleOfEvent(notes_[2]);  // notes_[2] has no beamPrev
    EXPECT_EQ(ScanCurrentCellVoice(view_, 0), 0);
    EXPECT_FALSE(notes_[1]->beamNext);
    EXPECT_EQ(Voice(cell_, 0).size(), 4u);
}

// An event earlier than the one before it cuts the chain before it.
TEST_F(ScanTest, OutOfOrderEventCutsTheChain) {
    notes_[2]->time = 512;
    EXPECT_EQ(ScanCurrentCellVoice(view_, 0), 0);
    EXPECT_EQ(Voice(cell_, 0), (std::vector<P>{{0, 4}, {1024, 4}}));
}

// A chord runs from its lowest step up, counting steps below the middle line as
// negative: a chord of steps -4 and 4 is in order.
TEST_F(ScanTest, ChordAcrossTheMiddleLineIsInOrder) {
    Note(cell_, 0, 0, kQuarter, -4);
    ASSERT_EQ(SignedStep(*GetVoiceFirstEvent(cell_, 0)), -4);
    EXPECT_EQ(ScanCurrentCellVoice(view_, 0), 1);
    EXPECT_EQ(Voice(cell_, 0).size(), 5u);
}

// A second event at the same time and step is taken out of the chain.
TEST_F(ScanTest, DuplicateEventIsUnlinked) {
    EventRecord* twin = Note(cell_, 0, 1024, kQuarter, 4);
    EXPECT_EQ(ScanCurrentCellVoice(view_, 0), 0);
    EXPECT_EQ(Voice(cell_, 0), (std::vector<P>{{0, 4}, {1024, 4}, {2048, 4}, {3072, 4}}));
    EXPECT_FALSE(twin->prev);
    FreeEvent(twin);
}

// A voice that does not start at tick 0 is moved there.
TEST_F(ScanTest, LateStartMovesToTickZero) {
    UnlinkEvent(notes_[0], doc_);
    FreeEvent(notes_[0]);
    EXPECT_EQ(ScanCurrentCellVoice(view_, 0), 0);
    EXPECT_EQ(GetVoiceFirstEvent(cell_, 0)->time, 0);
}

// A gap of 16 ticks or more ends the voice after the last chord that fits.
TEST_F(ScanTest, GapCutsTheVoiceAfterTheLastFittingChord) {
    notes_[1]->beamNext = HandleOfEvent(notes_[2]);
    notes_[2]->beamPrev = HandleOfEvent(notes_[1]);
    notes_[2]->time = 2048 + 16;
    notes_[3]->time = 3072 + 16;
    EXPECT_EQ(ScanCurrentCellVoice(view_, 0), 0);
    EXPECT_EQ(Voice(cell_, 0), (std::vector<P>{{0, 4}, {1024, 4}}));
    EXPECT_FALSE(notes_[1]->beamNext);
}

// Fifteen ticks off still counts as contiguous.
TEST_F(ScanTest, FifteenTicksOffIsStillContiguous) {
    notes_[2]->time = 2048 + 15;
    notes_[3]->time = 3072 + 15;
    EXPECT_EQ(ScanCurrentCellVoice(view_, 0), 1);
}

// A chain that loops back to an earlier event is cut, not walked for ever.
TEST_F(ScanTest, LoopedChainIsCut) {
    notes_[3]->next = HandleOfEvent(notes_[1]);
    EXPECT_EQ(ScanCurrentCellVoice(view_, 0), 0);
    EXPECT_EQ(Voice(cell_, 0).size(), 4u);
}

// Without a current cell the scan answers 0 at once.
TEST_F(ScanTest, NoCurrentCellAnswersZero) {
    view_->currentCell = nullptr;
    EXPECT_EQ(ScanCurrentCellVoice(view_, 0), 0);
    EXPECT_EQ(ScanCurrentCellVoice(nullptr, 0), 0);
}

}  // namespace
}  // namespace ql::testing_model
