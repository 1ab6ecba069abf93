// The double buffer between the user-interface thread and the engine: refills on
// the posted message, an underrun when a refill comes late (counted, and the
// music resumes shifted, not in a burst), the played index, and late note-ons
// handed over through the late queue.
#include "sequencer/tests/engine/engine_fixture.h"

namespace ql::testing {
namespace {

std::vector<uint32_t> TimesOf(const std::vector<Sent>& sent) {
    std::vector<uint32_t> times;
    for (const Sent& s : sent) times.push_back(s.ms);
    return times;
}

class EngineHandoverTest : public EngineTest {
protected:
    // Each block gets a note at its first tick and 100 ticks later; the key is the
    // block number.
    void InstallFiller() {
        filler_ = [this](TickSlotHalf& half, uint32_t firstTick) {
            half.heads = {};
            auto block = static_cast<uint8_t>(firstTick / 1200);
            AddNote(half, 0, 0x90, block, 1);
            AddNote(half, 100, 0x90, block, 2);
        };
    }
};

// Refills pumped in time keep the blocks back to back; each swap posts one
// refill and the half given to the builder is the one just played.
TEST_F(EngineHandoverTest, RefillsKeepTheBlocksBackToBack) {
    InstallFiller();
    AddNote(HalfA(), 0, 0x90, 0, 1);
    AddNote(HalfB(), 0, 0x90, 1, 1);
    StartRun();
    for (int i = 0; i < 40; ++i) {
        Advance(100);
        Pump();
    }
    // Blocks 0 and 1 built before the start, 2 and 3 by refills.
    std::vector<uint32_t> expected{1, 1201, 2401, 2501, 3601, 3701};
    EXPECT_EQ(TimesOf(SentTo(0)), expected);
    EXPECT_EQ(state_->underrunCount.load(), 0u);
    int refills = 0;
    for (const Posted& p : posted_) refills += p.message == kMsgSequencerRefill;
    EXPECT_EQ(refills, 3);
    EXPECT_EQ(state_->baseTick.load(), 3u * 1200);
}

// A refill pumped 50 ms late: the engine waits without advancing, counts one
// underrun, and plays the late block from the moment it arrives, its second note
// 100 ms after its first.
TEST_F(EngineHandoverTest, ALateRefillIsAnUnderrunWithoutBurst) {
    InstallFiller();
    AddNote(HalfA(), 0, 0x90, 0, 1);
    AddNote(HalfB(), 0, 0x90, 1, 1);
    StartRun();
    Advance(2450);  // nothing pumped: the refill of halfA waits
    EXPECT_EQ(state_->underrunCount.load(), 1u);
    EXPECT_EQ(TimesOf(SentTo(0)), (std::vector<uint32_t>{1, 1201}));
    Pump();
    Advance(500);
    EXPECT_EQ(TimesOf(SentTo(0)), (std::vector<uint32_t>{1, 1201, 2451, 2551}));
    EXPECT_EQ(state_->underrunCount.load(), 1u);
}

// The played index follows the engine below the free limit and restarts at 0
// with each swap.
TEST_F(EngineHandoverTest, ThePlayedIndexFollowsTheEngine) {
    AddNote(HalfA(), 0, 0x90, 60, 1);
    AddNote(HalfA(), 400, 0x90, 61, 1);
    AddNote(HalfA(), 1100, 0x90, 62, 1);  // beyond the free limit (1,050)
    StartRun();
    Advance(2);
    EXPECT_EQ(AcquirePlayedIndex(*state_), 400);
    Advance(400);
    EXPECT_EQ(AcquirePlayedIndex(*state_), 400);  // 1,100 lies past the free limit
    Advance(1000);  // swapped to halfB at 1201
    EXPECT_EQ(AcquirePlayedIndex(*state_), 0);
}

// Late note-ons queued by the builder are played at the next call, in front of
// the slot's own events; a group whose tick lies ahead waits for its tick.
TEST_F(EngineHandoverTest, LateGroupsPlayAtTheNextCall) {
    AddNote(HalfA(), 0, 0x90, 60, 1);
    AddNote(HalfA(), 300, 0x90, 61, 1);
    AddNote(HalfA(), 600, 0x90, 62, 1);
    StartRun();
    Advance(50);
    PerformanceEvent* late = MakeEvent(PerformanceEventKind::Channel, Pack(0x90, 70, 9), 0, 1, 10);
    late->next = Ref32<PerformanceEvent>::To(MakeEvent(PerformanceEventKind::Channel, Pack(0x90, 71, 9), 0, 1, 10));
    ASSERT_TRUE(QueueLateGroup(*state_, LateGroup{10, Ref32<PerformanceEvent>::To(late)}));
    PerformanceEvent* ahead = MakeEvent(PerformanceEventKind::Channel, Pack(0x90, 72, 9), 0, 1, 501);
    ASSERT_TRUE(QueueLateGroup(*state_, LateGroup{501, Ref32<PerformanceEvent>::To(ahead)}));
    Advance(600);
    std::vector<Sent> expected{{1, 0, {0x90, 60, 1}},   {301, 0, {0x90, 70, 9}}, {301, 0, {0x90, 71, 9}},
                               {301, 0, {0x90, 61, 1}}, {501, 0, {0x90, 72, 9}}, {601, 0, {0x90, 62, 1}}};
    EXPECT_EQ(midi::headless::Sent(), expected);
}

// The late queue takes 256 groups; the 257th is refused (the builder then puts
// it in the fill half).
TEST_F(EngineHandoverTest, TheLateQueueRefusesWhenFull) {
    for (int i = 0; i < kLateRingEntries; ++i) EXPECT_TRUE(QueueLateGroup(*state_, LateGroup{i, {}}));
    EXPECT_FALSE(QueueLateGroup(*state_, LateGroup{0, {}}));
}

}  // namespace
}  // namespace ql::testing
