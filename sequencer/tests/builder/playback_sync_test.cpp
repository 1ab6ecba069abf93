// MIDI sync of a whole run on the virtual clock: as master the sync ports get
// Start, the clock and one Stop; as slave the run waits for the master's Start,
// plays one clock step of ticks per received clock, cannot pause, and stops on the
// master's Stop; a sync input that is missing leaves the run on its own clock.
// And the last measure's notes ring before the devices close at the end.
#include <gtest/gtest.h>

#include "platform/midi/headless.h"
#include "platform/win/message_loop.h"
#include "sequencer/sequencer_state.h"
#include "sequencer/tests/builder/score_fixture.h"

namespace ql::testing {
namespace {

constexpr uint32_t kLongEnough = 30000;
constexpr uint8_t kClock = 0xF8;
constexpr uint8_t kStart = 0xFA;
constexpr uint8_t kStop = 0xFC;

class PlaybackSyncTest : public ScoreTest {
protected:
    void SetUp() override {
        ScoreTest::SetUp();
        midi::headless::AddDevice("Synth A", true, false);
        midi::headless::AddDevice("Drum Machine", true, false);
        midi::headless::AddDevice("Master Clock", false, true);
    }
    // Two measures; a quarter on each downbeat.
    void BuildTwoQuarters() {
        BuildScore(1, 2);
        Note(1, 1, 0, kQuarter, 0);
        Note(1, 2, 0, kQuarter, 2);
    }
    PlaybackRequest SyncRequest(SyncMode mode) {
        PlaybackRequest request = Request(1, 2);
        request.ports.names = {"Synth A", "Drum Machine", "", "", "", "", "", ""};
        request.sync.mode = mode;
        request.sync.ports = 0b10;  // port B: the drum machine
        request.sync.input = "Master Clock";
        return request;
    }
    void PlayToEnd() {
        for (uint32_t ms = 0; ms < kLongEnough && IsPlaybackRunning(); ms += 100) Advance(100);
    }
    static std::vector<midi::headless::SentMessage> SentTo(int device) {
        std::vector<midi::headless::SentMessage> sent;
        for (const midi::headless::SentMessage& message : PlayedMessages())
            if (message.port == device) sent.push_back(message);
        return sent;
    }
    static size_t CountOf(const std::vector<midi::headless::SentMessage>& sent, uint8_t status) {
        size_t count = 0;
        for (const midi::headless::SentMessage& message : sent) count += message.bytes == std::vector<uint8_t>{status};
        return count;
    }
    static midi::headless::VirtualMidiIn* MasterClock() {
        return dynamic_cast<midi::headless::VirtualMidiIn*>(PlaybackSyncInput());
    }
};

// Master: Start before anything else, 24 clocks a quarter note from the first
// tick (tick 0 at 1 ms, a tick a millisecond), one Stop at the end; the port
// outside the sync mask hears none of them.
TEST_F(PlaybackSyncTest, MasterSendsStartClockAndOneStop) {
    BuildTwoQuarters();
    ASSERT_EQ(StartPlayback(SyncRequest(SyncMode::Master)), PlaybackStart::Started);
    EXPECT_EQ(PlaybackSyncInput(), nullptr);
    PlayToEnd();
    ASSERT_FALSE(IsPlaybackRunning());
    std::vector<midi::headless::SentMessage> drums = SentTo(1);
    ASSERT_GE(drums.size(), 3u);
    EXPECT_EQ(drums.front().bytes, std::vector<uint8_t>{kStart});
    EXPECT_EQ(drums[1].bytes, std::vector<uint8_t>{kClock});
    EXPECT_EQ(drums.back().bytes, std::vector<uint8_t>{kStop});
    EXPECT_EQ(CountOf(drums, kStop), 1u);
    std::vector<uint32_t> clockTimes;
    for (const midi::headless::SentMessage& message : drums)
        if (message.bytes == std::vector<uint8_t>{kClock}) clockTimes.push_back(message.ms);
    ASSERT_GE(clockTimes.size(), 4u * 24u + 1u);  // the first measure and the second's downbeat
    EXPECT_EQ(clockTimes[1], 43u);
    EXPECT_EQ(clockTimes[24], 1025u);      // the second beat
    EXPECT_EQ(clockTimes[4 * 24], 4097u);  // the second measure
    std::vector<midi::headless::SentMessage> synth = SentTo(0);
    EXPECT_EQ(CountOf(synth, kClock) + CountOf(synth, kStart) + CountOf(synth, kStop), 0u);
    EXPECT_EQ(synth.size(), 4u);  // the two notes
}

// Master stopped by the user in the middle: Stop goes out once, at the stop.
TEST_F(PlaybackSyncTest, MasterStoppedByTheUserSendsStopOnce) {
    BuildTwoQuarters();
    ASSERT_EQ(StartPlayback(SyncRequest(SyncMode::Master)), PlaybackStart::Started);
    Advance(1000);
    StopPlayback();
    std::vector<midi::headless::SentMessage> drums = SentTo(1);
    ASSERT_FALSE(drums.empty());
    EXPECT_EQ(drums.back().bytes, std::vector<uint8_t>{kStop});
    EXPECT_EQ(CountOf(drums, kStop), 1u);
}

// Slave: nothing plays before the master's Start and clocks; 24 clocks play one
// quarter note, 96 play the measure, and the master's Stop ends the run. Pause is
// refused while the master drives the run.
TEST_F(PlaybackSyncTest, SlaveFollowsTheMastersClock) {
    BuildTwoQuarters();
    ASSERT_EQ(StartPlayback(SyncRequest(SyncMode::Slave)), PlaybackStart::Started);
    midi::headless::VirtualMidiIn* master = MasterClock();
    ASSERT_NE(master, nullptr);
    Advance(2000);
    EXPECT_TRUE(SentTo(0).empty()) << "played before the master started";
    const uint32_t start = midi::headless::Now();
    ASSERT_TRUE(master->InjectAt(start + 5, std::vector<uint8_t>{kStart}));
    // A clock every 10 ms: 96 clocks a measure, one 4/4 measure a second.
    for (uint32_t clock = 1; clock <= 100; ++clock)
        ASSERT_TRUE(master->InjectAt(start + 5 + clock * 10, std::vector<uint8_t>{kClock}));
    Advance(20);
    std::vector<midi::headless::SentMessage> synth = SentTo(0);
    ASSERT_EQ(synth.size(), 1u);  // the first clock plays tick 0
    EXPECT_EQ(synth[0].bytes, (std::vector<uint8_t>{0x90, 64, 64}));
    PausePlayback();
    EXPECT_FALSE(IsPlaybackPaused());
    Advance(990);  // 97 clocks: into the second measure
    synth = SentTo(0);
    ASSERT_EQ(synth.size(), 3u);
    EXPECT_EQ(synth[1].bytes[0], 0x80);
    EXPECT_EQ(synth[2].bytes, (std::vector<uint8_t>{0x90, 60, 64}));
    EXPECT_EQ(synth[2].ms, start + 5 + 97 * 10) << "the second measure begins with the 97th clock";
    ASSERT_TRUE(master->InjectAt(midi::headless::Now() + 100, std::vector<uint8_t>{kStop}));
    Advance(200);
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(SentTo(0).back().bytes[0], 0x80) << "the note hangs after the master's Stop";
}

// A sync input that is not there: one notice, and the run plays on its own clock.
TEST_F(PlaybackSyncTest, MissingSyncInputPlaysOnTheOwnClock) {
    BuildTwoQuarters();
    PlaybackRequest request = SyncRequest(SyncMode::Slave);
    request.sync.input = "Unplugged";
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    ASSERT_EQ(PlaybackNotices().size(), 1u);
    EXPECT_NE(PlaybackNotices()[0].find("Unplugged"), std::string::npos);
    EXPECT_EQ(PlaybackSyncInput(), nullptr);
    Advance(50);
    ASSERT_EQ(SentTo(0).size(), 1u);
    PausePlayback();
    EXPECT_TRUE(IsPlaybackPaused());
}

// A run that ends in its last measure, by its end of data or by the user, lets
// its last notes ring for 500 ms before its devices are silenced, and Stop does
// not wait for that: the user interface goes on at once. A stop earlier in the
// piece silences at once.
TEST_F(PlaybackSyncTest, StopInTheLastMeasureLetsTheNotesRing) {
    const auto allNotesOff = [] {
        size_t count = 0;
        for (const midi::headless::SentMessage& message : midi::headless::Sent())
            count += message.bytes == std::vector<uint8_t>{0xB0, 123, 0} ? 1 : 0;
        return count;
    };
    for (uint32_t stopAt : {1000u, 4500u, 0u}) {
        SCOPED_TRACE(stopAt);
        TearDown();
        SetUp();
        BuildTwoQuarters();
        ASSERT_EQ(StartPlayback(SyncRequest(SyncMode::None)), PlaybackStart::Started);
        uint32_t stoppedAt = 0;
        if (stopAt == 0) {
            // To the end: the stop message comes from the engine.
            while (IsPlaybackRunning() && midi::headless::Now() < kLongEnough) {
                midi::headless::Advance(10);
                const uint32_t before = midi::headless::Now();
                win::PumpMessages();
                EXPECT_EQ(midi::headless::Now(), before) << "the user interface waited";
            }
            EXPECT_FALSE(IsPlaybackRunning());
        } else {
            Advance(stopAt);
            const uint32_t before = midi::headless::Now();
            StopPlayback();
            EXPECT_EQ(midi::headless::Now(), before) << "Stop waited";
        }
        stoppedAt = midi::headless::Now();
        const bool ringing = stopAt != 1000;
        EXPECT_EQ(allNotesOff(), ringing ? 0u : 1u);
        midi::headless::Advance(499);
        win::PumpMessages();
        EXPECT_EQ(allNotesOff(), ringing ? 0u : 1u) << "silenced before 500 ms";
        midi::headless::Advance(1);
        win::PumpMessages();
        EXPECT_EQ(allNotesOff(), 1u) << "not silenced " << midi::headless::Now() - stoppedAt << " ms after Stop";
    }
}

}  // namespace
}  // namespace ql::testing
