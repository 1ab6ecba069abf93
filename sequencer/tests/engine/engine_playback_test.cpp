// The engine playing hand-built tables on the virtual clock: the exact (ms, port,
// bytes) streams, tempo changes, the delay arithmetic, the MIDI clock of a sync
// master, the metronome, the checks of slots and ports, velocities, long
// messages, the end of the data and a full post ring.
#include "sequencer/tests/engine/engine_fixture.h"

namespace ql::testing {
namespace {

using Kind = PerformanceEventKind;

std::vector<uint32_t> TimesOf(const std::vector<Sent>& sent) {
    std::vector<uint32_t> times;
    for (const Sent& s : sent) times.push_back(s.ms);
    return times;
}

class EnginePlaybackTest : public EngineTest {};

// At one tick a millisecond, a sparse table plays each slot at its own time: the
// engine skips empty slots and sleeps to the next one in one wait.
TEST_F(EnginePlaybackTest, PlaysTheExactStream) {
    AddNote(HalfA(), 0, 0x90, 60, 100);
    AddNote(HalfA(), 100, 0x80, 60, 0);
    Add(HalfA(), 100, Kind::Channel, Pack(0xB0, 7, 100), 1, 2);
    Add(HalfA(), 250, Kind::EndOfData, 0);
    StartRun();
    Advance(400);
    std::vector<Sent> expected{{1, 0, {0x90, 60, 100}}, {101, 0, {0x80, 60, 0}}, {101, 1, {0xB0, 7, 100}}};
    EXPECT_EQ(midi::headless::Sent(), expected);
    Pump();
    ASSERT_EQ(posted_.size(), 1u);
    // The stop names the end of the data and the time of the last event played.
    EXPECT_EQ(posted_[0].message, kMsgSequencerStop);
    EXPECT_EQ(posted_[0].word, kStopEndOfData);
    EXPECT_EQ(posted_[0].data, 100);
    EXPECT_EQ(state_->stopByte.load(), 1);
}

// A tempo event mid-block changes the delay of the very next wait; a mixer rate
// change acts at the next call in the same way.
TEST_F(EnginePlaybackTest, TempoChangesActAtTheNextWait) {
    AddNote(HalfA(), 0, 0x90, 60, 90);
    Add(HalfA(), 100, Kind::Tempo, 120000);  // two ticks a millisecond
    AddNote(HalfA(), 300, 0x90, 62, 90);
    AddNote(HalfA(), 500, 0x90, 64, 90);
    AddNote(HalfA(), 700, 0x90, 65, 90);
    StartRun();
    Advance(250);
    SetPerformanceRate(*state_, 40000);  // from the next call: 2/3 tick a millisecond
    Advance(500);
    // 0 at 1; tempo at 101; 300 at 101 + 100; 500 at 201 + 100 (the wait armed
    // before the mixer moved); 700 at 301 + 300.
    EXPECT_EQ(TimesOf(SentTo(0)), (std::vector<uint32_t>{1, 201, 301, 601}));
}

// 17 ticks at 120 BPM are 8.3 ms: the remainder is carried, so the waits are
// 8, 8, 8, 9 ms and the times stay on the exact grid.
TEST_F(EnginePlaybackTest, CarriesTheDelayRemainder) {
    Configure(1200, 122880);
    for (int i = 0; i < 5; ++i) AddNote(HalfA(), i * 17, 0x90, 60, 1);
    StartRun();
    Advance(100);
    EXPECT_EQ(TimesOf(SentTo(0)), (std::vector<uint32_t>{1, 9, 17, 25, 34}));
}

// Tempo curves over the first bar, then notes in the second: each note sounds
// within 1 ms of its exact time (the sum over the ticks before it of a tick's
// length at the tempo of that tick). The curves: 60 to 120 in the builder's steps
// of 128 ticks; the same in steps of 5 ticks (changes inside one engine call);
// a jagged one, up and down between 40 and 200 at uneven ticks; and a slow one
// that changes at every tick.
TEST_F(EnginePlaybackTest, NotesAfterATempoCurveKeepTheirTimes) {
    constexpr int kCurveEnd = 4096;
    constexpr uint32_t kQuarterSixty = 61440;
    struct Curve {
        const char* name;
        std::vector<std::pair<int, uint32_t>> steps;  // (tick, rate)
    };
    auto rising = [](int t) { return kQuarterSixty + kQuarterSixty * static_cast<uint32_t>(t) / kCurveEnd; };
    std::vector<Curve> curves(4);
    curves[0].name = "60 to 120 every 128 ticks";
    for (int t = 0; t < kCurveEnd; t += 128) curves[0].steps.push_back({t, rising(t)});
    curves[0].steps.push_back({kCurveEnd, 2 * kQuarterSixty});
    curves[1].name = "60 to 120 every 5 ticks";
    for (int t = 0; t < kCurveEnd; t += 5) curves[1].steps.push_back({t, rising(t)});
    curves[2].name = "jagged";
    uint32_t seed = 99;
    for (int t = 0; t < kCurveEnd; t += 7 + static_cast<int>(seed % 150)) {
        seed = seed * 1103515245u + 12345u;
        curves[2].steps.push_back({t, 40960 + (seed >> 8) % 163840});
    }
    curves[3].name = "slow, every tick";
    for (int t = 0; t < kCurveEnd; ++t) curves[3].steps.push_back({t, t % 2 == 0 ? kMinRate : 7001});
    for (const Curve& curve : curves) {
        SCOPED_TRACE(curve.name);
        TearDown();
        SetUp();
        Configure(6144, curve.steps.front().second);
        for (const auto& [tick, rate] : curve.steps) Add(HalfA(), tick, Kind::Tempo, rate);
        const std::vector<int> notes{kCurveEnd + 512, kCurveEnd + 1024, kCurveEnd + 1999};
        for (int tick : notes) AddNote(HalfA(), tick, 0x90, 60, 1);
        StartRun();
        Advance(60000);
        const std::vector<Sent> sent = SentTo(0);
        ASSERT_EQ(sent.size(), notes.size());
        for (size_t i = 0; i < notes.size(); ++i) {
            double exact = 1.0;  // the first call
            size_t step = 0;
            for (int tick = 0; tick < notes[i]; ++tick) {
                while (step + 1 < curve.steps.size() && curve.steps[step + 1].first <= tick) ++step;
                exact += 60000.0 / curve.steps[step].second;
            }
            EXPECT_NEAR(sent[i].ms, exact, 1.0) << "the note at tick " << notes[i];
        }
    }
}

// Rates beyond the limits are clamped, and the clamp is stored back.
TEST_F(EnginePlaybackTest, ClampsTheRate) {
    AddNote(HalfA(), 0, 0x90, 60, 1);
    AddNote(HalfA(), 512, 0x90, 61, 1);
    Configure(1200, 3000);
    StartRun();
    Advance(2);
    EXPECT_EQ(state_->rate.load(), kMinRate);
    Advance(10000);
    // 512 ticks at 5,120 a minute are 6 seconds.
    EXPECT_EQ(TimesOf(SentTo(0)), (std::vector<uint32_t>{1, 6001}));
    SetPerformanceRate(*state_, 600000);
    Advance(20000);  // the next call clamps the new rate
    EXPECT_EQ(state_->rate.load(), kMaxRate);
}

// A long gap at a slow tempo is one long wait, not cut short.
TEST_F(EnginePlaybackTest, LongGapsAreNotCutShort) {
    Configure(6144, 5120);
    AddNote(HalfA(), 0, 0x90, 60, 1);
    AddNote(HalfA(), 4000, 0x90, 61, 1);  // 46,875 ms later
    StartRun();
    Advance(60000);
    EXPECT_EQ(TimesOf(SentTo(0)), (std::vector<uint32_t>{1, 46876}));
}

// As sync master the engine sends 24 clocks a quarter note to the sync ports.
TEST_F(EnginePlaybackTest, SendsTheMidiClockAsMaster) {
    state_->run.masterByte = 1;
    state_->run.syncPortMask = 0b10;
    AddNote(HalfA(), 0, 0x90, 60, 1);
    Add(HalfA(), 1100, Kind::EndOfData, 0);
    StartRun();
    Advance(1023);  // ticks 0..1022
    std::vector<Sent> clocks = SentTo(1);
    EXPECT_EQ(clocks.size(), 24u);
    // Clocks fall on ticks 0, 42, 85, 129, 171, 214, 256, ...
    std::vector<uint32_t> times = TimesOf(clocks);
    times.resize(7);
    EXPECT_EQ(times, (std::vector<uint32_t>{1, 43, 86, 130, 172, 215, 257}));
    Advance(200);
    // The end of the data sends Stop to the sync ports.
    EXPECT_EQ(SentTo(1).back().bytes, (Bytes{0xFC}));
}

// Downbeats and beats give only the metronome notes; click-offs end them.
TEST_F(EnginePlaybackTest, BeatsSoundOnlyTheMetronome) {
    RunConstants& run = state_->run;
    run.metronomeOn = 1;
    run.metronomeHandle = outB_.get();
    Add(HalfA(), 0, Kind::Downbeat, 0x2020, 0, 1, 0)->measure = 7;
    Add(HalfA(), 128, Kind::BarClickOff, 1);
    Add(HalfA(), 1024, Kind::Beat, 1);
    Add(HalfA(), 1152, Kind::BeatClickOff, 1);
    StartRun();
    Advance(1200);
    std::vector<Sent> expected{{1, 1, {0x99, 76, 100}},
                               {129, 1, {0x89, 76, 0}},
                               {1025, 1, {0x99, 77, 100}},
                               {1153, 1, {0x89, 77, 0}}};
    EXPECT_EQ(midi::headless::Sent(), expected);
    EXPECT_EQ(state_->lastDownbeatMeasure.load(), 7);
    // The beat reference is the last beat's time and tick.
    EXPECT_EQ(BeatTimeOf(state_->beatRef.load()), 1025u);
    EXPECT_EQ(BeatTickOf(state_->beatRef.load()), 1024);
}

// Every event's slot and port are checked, not only the chain head's: slot 0 and
// slots above the count play as slot 1, a port above 7 as port A; staves above
// 32 keep their own slot when the score has them.
TEST_F(EnginePlaybackTest, ChecksTheSlotAndPortOfEveryEvent) {
    Configure(1200, 60000, 40);
    AddNote(HalfA(), 0, 0x90, 60, 1, 0, 2);
    AddNote(HalfA(), 0, 0x90, 61, 1, 0, 0);    // slot 0: plays as slot 1
    AddNote(HalfA(), 0, 0x90, 62, 1, 0, 50);   // beyond the count: slot 1
    AddNote(HalfA(), 0, 0x90, 63, 1, 9, 40);   // port 9: port A; slot 40 is its own
    PerformanceEvent* tail = AddNote(HalfA(), 0, 0x90, 64, 1, 0, 1);
    SetSlotMute(*state_, 1, true);
    StartRun();
    Advance(5);
    std::vector<Sent> expected{{1, 0, {0x90, 60, 1}}, {1, 0, {0x90, 63, 1}}};
    EXPECT_EQ(midi::headless::Sent(), expected);
    // Nothing is written back into the events.
    EXPECT_EQ(EventSlot(*tail), 1);
    EXPECT_EQ(EventSlot(*HalfA().heads[0].get()->next.get()), 0);
}

// Velocity offsets clamp at 127 and never push a positive velocity below 1; a
// genuine 0 stays 0 (and counts as a note-on); octave shift moves the key.
TEST_F(EnginePlaybackTest, AppliesVelocityOffsetsAndOctaveShift) {
    SetMasterVelocityOffset(*state_, 20);
    SetSlotVelocityOffset(*state_, 1, 15);
    SetSlotVelocityOffset(*state_, 2, -80);
    AddNote(HalfA(), 0, 0x90, 60, 100, 0, 1);
    AddNote(HalfA(), 0, 0x90, 61, 10, 0, 2);
    AddNote(HalfA(), 0, 0x90, 62, 0, 0, 2);
    Add(HalfA(), 50, Kind::OctaveShift, 0x01000000, 0, 3);
    AddNote(HalfA(), 50, 0x90, 60, 64, 0, 3);
    Add(HalfA(), 60, Kind::VelocityOffset, 0x00FB0000, 0, 3);  // -5
    AddNote(HalfA(), 60, 0x90, 127, 64, 0, 3);                  // an octave up is off the keyboard
    StartRun();
    Advance(100);
    std::vector<Sent> expected{{1, 0, {0x90, 60, 127}},
                               {1, 0, {0x90, 61, 1}},
                               {1, 0, {0x90, 62, 0}},
                               {51, 0, {0x90, 72, 84}},
                               {51, 0, {0x90, 127, 79}}};  // 10 ticks on: the same call
    EXPECT_EQ(midi::headless::Sent(), expected);
}

// A note-off of a key that two slots sound on one channel goes out with the
// second note-off only, unless "always send note-off" is set.
TEST_F(EnginePlaybackTest, SharedNotesEndWithTheLastNoteOff) {
    for (uint8_t always : {0, 1}) {
        SCOPED_TRACE(always);
        TearDown();
        SetUp();
        state_->run.alwaysSendNoteOff = always;
        AddNote(HalfA(), 0, 0x90, 60, 50, 0, 1);
        AddNote(HalfA(), 0, 0x90, 60, 50, 0, 2);
        AddNote(HalfA(), 100, 0x80, 60, 0, 0, 1);
        AddNote(HalfA(), 200, 0x80, 60, 0, 0, 2);
        StartRun();
        Advance(300);
        std::vector<uint32_t> offs;
        for (const Sent& s : SentTo(0))
            if (s.bytes[0] == 0x80) offs.push_back(s.ms);
        EXPECT_EQ(offs, (always ? std::vector<uint32_t>{101, 201} : std::vector<uint32_t>{201}));
    }
}

// A long message plays from the run's table by its 1-based index; an index
// outside the table sends nothing.
TEST_F(EnginePlaybackTest, PlaysLongMessagesFromTheTable) {
    static const uint8_t kReset[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    state_->run.longMessages.entries[0] = LongMessageEntry{kReset, sizeof kReset, 1};
    state_->run.longMessages.count = 1;
    Add(HalfA(), 0, Kind::LongMessage, 1, 1);
    Add(HalfA(), 0, Kind::LongMessage, 2, 1);
    Add(HalfA(), 0, Kind::LongMessage, 0, 1);
    StartRun();
    Advance(5);
    std::vector<Sent> expected{{1, 1, Bytes(std::begin(kReset), std::end(kReset))}};
    EXPECT_EQ(midi::headless::Sent(), expected);
}

// A post ring that fills up (the user-interface thread not pumping) stops the
// run instead of losing messages silently.
TEST_F(EnginePlaybackTest, AFullPostRingStopsTheRun) {
    state_->run.followMeasure = 1;
    for (int i = 0; i < 1100; ++i) Add(HalfA(), i, Kind::Downbeat, 0)->measure = static_cast<uint16_t>(i);
    StartRun();
    Advance(1200);
    EXPECT_EQ(state_->stopByte.load(), 1);
    EXPECT_EQ(state_->timerPosts.Pending(), win::kPostRingEntries);
    Pump();
    ASSERT_EQ(posted_.size(), win::kPostRingEntries);
    EXPECT_EQ(posted_.back().message, kMsgDownbeat);
    EXPECT_EQ(posted_.back().word, win::kPostRingEntries - 1);
}

// A device that fails a write is closed for the rest of the run: nothing more is
// sent to it, the other ports play on, and one notice names it after the stop.
TEST_F(EnginePlaybackTest, AVanishedDeviceIsClosedForTheRun) {
    for (int tick = 0; tick < 1000; tick += 100) {
        AddNote(HalfA(), tick, 0x90, 60, 1, 0);
        AddNote(HalfA(), tick, 0x90, 61, 1, 1);
    }
    state_->run.metronomeOn = 1;
    state_->run.metronomeHandle = outB_.get();
    StartRun();
    Advance(250);
    midi::headless::FailWrites("Out B");
    Advance(800);
    EXPECT_EQ(SentTo(1).size(), 3u);  // ticks 0, 100, 200
    EXPECT_EQ(SentTo(0).size(), 10u);
    EXPECT_TRUE(outB_->IsGone());
    std::vector<std::string> notices = StopRun();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("\"Out B\""), std::string::npos);
}

}  // namespace
}  // namespace ql::testing
