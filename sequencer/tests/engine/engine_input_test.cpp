// The input side of the engine: thru, echo, recorded times (free and slave),
// following a sync master, the record pool running out, damaged input, and
// reading the recorded chain while the input thread frees from its head.
#include "core/memory/pool.h"
#include "core/state.h"
#include "sequencer/tests/engine/engine_fixture.h"

namespace ql::testing {
namespace {

class EngineInputTest : public EngineTest {
protected:
    midi::headless::VirtualMidiIn& Keyboard() { return static_cast<midi::headless::VirtualMidiIn&>(*input_); }
    void Inject(uint32_t ms, Bytes bytes) { ASSERT_TRUE(Keyboard().InjectAt(ms, bytes)); }

    std::vector<PerformanceEvent> Recorded() {
        std::vector<PerformanceEvent> events;
        reader_.ReadNew(*state_, [&](const PerformanceEvent& e) { events.push_back(e); });
        return events;
    }
    RecordedChainReader reader_;
};

// Thru forwards channel messages only, re-channelled, and never to the record
// port; a clock, active sensing or a system-exclusive message is not forwarded.
TEST_F(EngineInputTest, ThruForwardsOnlyChannelMessages) {
    recordInput_ = true;
    state_->run.thruPortMask = 0b11;  // includes the record port A, which is left out
    state_->run.recordChannel = 3;
    state_->run.keepMidi = 1;
    StartRun();
    Inject(10, {0x90, 0x40, 0x50});
    Inject(11, {0xF8, 0xFE, 0xF0, 0x7E, 0x7F, 0xF7, 0xF6});
    Inject(12, {0xB5, 0x07, 0x10, 0xFA, 0xFC});
    Advance(20);
    std::vector<Sent> expected{{10, 1, {0x93, 0x40, 0x50}}, {12, 1, {0xB3, 0x07, 0x10}}};
    EXPECT_EQ(SentTo(1), expected);
    EXPECT_TRUE(SentTo(0).empty());
    // Only the channel messages are recorded.
    EXPECT_EQ(Recorded().size(), 2u);
}

// A key held across Stop: its note-off reaches the input after the stop flag, and
// is ignored there; the note sent thru is ended when the run ends.
TEST_F(EngineInputTest, ThruNotesHeldAcrossStopAreEnded) {
    recordInput_ = true;
    state_->run.thruPortMask = 0b10;
    state_->run.recordChannel = 2;
    StartRun();
    Inject(10, {0x90, 0x40, 0x50, 0x90, 0x41, 0x50, 0x80, 0x41, 0});
    Inject(30, {0x80, 0x40, 0});
    Advance(20);
    state_->stopByte.store(1);  // the first step of Stop
    Advance(20);
    StopRun();
    std::vector<Sent> expected{{10, 1, {0x92, 0x40, 0x50}}, {10, 1, {0x92, 0x41, 0x50}},
                               {10, 1, {0x82, 0x41, 0}},    {40, 1, {0x82, 0x40, 0}}};
    EXPECT_EQ(SentTo(1), expected);
}

// Echo sends what is recorded to the record port, re-channelled.
TEST_F(EngineInputTest, EchoSendsToTheRecordPort) {
    recordInput_ = true;
    state_->run.echoByte = 1;
    state_->run.recordPort = 1;
    state_->run.recordChannel = 5;
    StartRun();
    Inject(7, {0x90, 60, 70});
    Advance(10);
    EXPECT_EQ(SentTo(1), (std::vector<Sent>{{7, 1, {0x95, 60, 70}}}));
}

// Recorded times count from the last beat reference at the current rate; an
// event before tick 0 is dropped.
TEST_F(EngineInputTest, RecordsTimesFromTheBeatReference) {
    recordInput_ = true;
    state_->run.keepMidi = 1;
    state_->run.recordSlot = 2;
    Add(HalfA(), 100, PerformanceEventKind::Downbeat, 0);
    midi::headless::Advance(5);  // the input starts at 5 ms
    StartRun();
    Inject(50, {0x90, 60, 80});   // 45 ms after the input's start
    Inject(300, {0x80, 60, 0});   // 194 ms after the downbeat played at 106
    Advance(400);
    std::vector<PerformanceEvent> events = Recorded();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].time, 45);
    EXPECT_EQ(events[1].time, 294);
    EXPECT_EQ(EventSlot(events[0]), 2);
    EXPECT_EQ(EventKind(events[0]), PerformanceEventKind::Tempo);  // the kind of recorded events
    EXPECT_EQ(events[1].message, 0x3C80u);
    state_->beatRef.store(PackBeatRef(1000, 0));  // a beat reference after the input's times
    Inject(420, {0x90, 61, 1});
    Advance(30);
    EXPECT_EQ(state_->droppedRecordings.load(), 1u);
    EXPECT_TRUE(Recorded().empty());
}

// As sync slave: 24 received clocks advance exactly one quarter (1,024 ticks);
// Start is announced; Stop from the master stops the run with the tick reached.
TEST_F(EngineInputTest, FollowsTheSyncMaster) {
    recordInput_ = true;
    state_->run.slaveByte = 1;
    state_->run.keepMidi = 1;
    AddNote(HalfA(), 0, 0x90, 60, 1);
    AddNote(HalfA(), 1023, 0x90, 61, 1);
    AddNote(HalfA(), 1024, 0x90, 62, 1);
    StartRun();
    Inject(10, {0xFA});
    for (uint32_t i = 0; i < 24; ++i) Inject(20 + i * 20, {0xF8});
    Inject(600, {0x90, 50, 50});  // 100 ms after the clock at 500, at 20 ms a clock
    Inject(700, {0xFC});
    Advance(800);
    EXPECT_EQ(state_->engine.currentIndex, 1024);
    std::vector<Sent> notes = SentTo(0);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[1], (Sent{480, 0, {0x90, 61, 1}}));  // played by the 24th clock
    std::vector<PerformanceEvent> recorded = Recorded();
    ASSERT_EQ(recorded.size(), 1u);
    // The last beat reference is the Start (tick 0 at 10 ms): 590 ms at 20 ms a
    // clock is 29.5 clocks, 1,258 ticks.
    EXPECT_EQ(recorded[0].time, 590 * 1024 / (20 * 24));
    Pump();
    ASSERT_EQ(posted_.size(), 2u);
    EXPECT_EQ(posted_[0].message, kMsgSyncMasterStarted);
    EXPECT_EQ(posted_[1].message, kMsgSequencerStop);
    EXPECT_EQ(posted_[1].word, kStopFromSyncMaster);
    EXPECT_EQ(posted_[1].data, 1024);
}

// Damaged input reaches the engine only as whole messages: a bad status, stray
// data, a truncated or over-long system-exclusive message are dropped and counted
// by the device, and a burst the input ring cannot take is dropped whole.
TEST_F(EngineInputTest, DamagedInputIsDroppedAndCounted) {
    recordInput_ = true;
    state_->run.keepMidi = 1;
    StartRun();
    Inject(5, {0xF4, 0x90, 60, 0xF0, 1, 2, 0x90, 61, 62});
    Bytes overlong(2000, 0x11);
    overlong.front() = 0xF0;
    overlong.back() = 0xF7;
    Inject(6, overlong);
    Inject(7, {0x80, 61});
    EXPECT_FALSE(Keyboard().InjectAt(8, Bytes(5000, 0x22)));  // more than the ring holds
    Inject(9, {0x40, 0x80, 61, 0});
    Advance(10);
    midi::InputCounters counters = input_->Counters();
    EXPECT_EQ(counters.badStatus, 1u);  // F4
    EXPECT_EQ(counters.truncated, 3u);  // 90 60 and F0 1 2 cut off; 80 61 cut by the lost burst
    EXPECT_EQ(counters.overlong, 1u);
    EXPECT_EQ(counters.droppedBursts, 1u);
    EXPECT_EQ(counters.strayData, 1u);  // 40 after the lost burst
    std::vector<PerformanceEvent> events = Recorded();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].message, 0x3E3D90u);
    EXPECT_EQ(events[1].message, 0x003D80u);
}

// When the record pool runs out, recording stops: the pool message and the stop
// are posted and what was recorded stays.
TEST_F(EngineInputTest, AnExhaustedRecordPoolStopsRecording) {
    recordInput_ = true;
    state_->run.keepMidi = 1;
    StartRun();
    Inject(5, {0x90, 60, 1});
    Advance(6);
    // Fill the pool until it refuses (allocations on this thread fail for good).
    std::vector<void*> taken;
    while (void* record = AllocStaticRecord(kSequencerStaticPool)) taken.push_back(record);
    Inject(10, {0x90, 61, 1});
    Inject(11, {0x90, 62, 1});
    Advance(10);
    EXPECT_EQ(state_->stopByte.load(), 1);
    EXPECT_EQ(Recorded().size(), 1u);
    Pump();
    ASSERT_EQ(posted_.size(), 2u);
    EXPECT_EQ(posted_[0].message, kMsgRecordPoolExhausted);
    EXPECT_EQ(posted_[0].word, 1u);
    EXPECT_EQ(posted_[1].word, kStopRecordPoolFull);
    for (void* record : taken) FreeStaticRecord(kSequencerStaticPool, record);
}

// Without "KeepMIDI" the input thread frees transcribed events from the head of
// the chain, never the one the reader stands on, and the reader sees every event
// once, in order.
TEST_F(EngineInputTest, TheReaderFollowsAChainThatIsFreedBehindIt) {
    recordInput_ = true;
    StartRun();
    std::vector<int> keys;
    auto read = [&] {
        reader_.ReadNew(*state_, [&](const PerformanceEvent& e) { keys.push_back(MessageByte(e.message, 1)); });
    };
    for (uint8_t key = 0; key < 30; ++key) {
        Inject(key + 1, {0x90, key, 1});
        Advance(1);
        if (key % 7 == 3) read();
    }
    read();
    ASSERT_EQ(keys.size(), 30u);
    for (int key = 0; key < 30; ++key) EXPECT_EQ(keys[key], key);
    Inject(40, {0x90, 30, 1});
    Advance(10);
    // Everything before the reader's event has been given back to the pool.
    PerformanceEvent* head = Ref32<PerformanceEvent>{state_->recordHead.load()}.get();
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(MessageByte(head->message, 1), 29);
}

}  // namespace
}  // namespace ql::testing
