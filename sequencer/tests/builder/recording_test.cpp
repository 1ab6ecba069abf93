// Recording: every event played into the record input reaches the transcription
// entry points exactly once and in order, at the refills and at Stop; without
// "KeepMIDI" the record pool is empty after Stop, with it the events stay until
// the next run; an input that will not open refuses the run.
#include <gtest/gtest.h>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "platform/midi/headless.h"
#include "sequencer/sequencer_state.h"
#include "sequencer/tests/builder/score_fixture.h"
#include "sequencer/tests/static_pool_count.h"
#include "sequencer/transcription.h"

namespace ql::testing {
namespace {

constexpr int kEvents = 300;
constexpr uint32_t kFirstEventMs = 1000;  // the events straddle the refill at 1,200 ticks

class RecordingTest : public ScoreTest {
protected:
    void SetUp() override {
        ScoreTest::SetUp();
        midi::headless::AddDevice("Synth", true, false);
        midi::headless::AddDevice("Keyboard", false, true);
        BuildScore(2, 4);
        ClearReceivedRecordings();
    }
    PlaybackRequest RecordRequest(bool keep) {
        PlaybackRequest request = Request(1, 4);
        request.recording = true;
        request.recordInput = "Keyboard";
        request.recordStaff = 2;
        request.keepMidi = keep;
        return request;
    }
    // 300 messages at 1 ms spacing from kFirstEventMs, note-ons and note-offs and
    // every tenth a controller, played in as the clock reaches them (the virtual
    // input holds a limited number of waiting bursts).
    std::vector<uint32_t> PlayIn() {
        auto* input = dynamic_cast<midi::headless::VirtualMidiIn*>(PlaybackRecordInput());
        EXPECT_NE(input, nullptr);
        std::vector<uint32_t> messages;
        constexpr int kChunk = 100;
        for (int first = 0; first < kEvents && input != nullptr; first += kChunk) {
            for (int i = first; i < first + kChunk; ++i) {
                std::vector<uint8_t> bytes = {static_cast<uint8_t>(i % 2 == 0 ? 0x90 : 0x80),
                                              static_cast<uint8_t>(40 + i % 50), static_cast<uint8_t>(i % 2 == 0 ? 90 : 0)};
                if (i % 10 == 5) bytes = {0xB0, 64, static_cast<uint8_t>(i % 128)};
                EXPECT_TRUE(input->InjectAt(kFirstEventMs + static_cast<uint32_t>(i), bytes));
                messages.push_back(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16));
            }
            Advance(kFirstEventMs + first + kChunk - midi::headless::Now());
        }
        return messages;
    }
};

// Each event once, in order, to the right entry point, with rising times; the
// record pool is empty afterwards.
TEST_F(RecordingTest, StopHandsOverEveryEventOnce) {
    ASSERT_EQ(StartPlayback(RecordRequest(false)), PlaybackStart::Started);
    const std::vector<uint32_t> messages = PlayIn();
    EXPECT_GT(ReceivedRecordings().size(), 0u);  // the refill at 1,200 handed over the first ones
    EXPECT_LT(ReceivedRecordings().size(), static_cast<size_t>(kEvents));
    Advance(200);
    StopPlayback();
    const std::vector<ReceivedRecording>& received = ReceivedRecordings();
    ASSERT_EQ(received.size(), static_cast<size_t>(kEvents));
    for (int i = 0; i < kEvents; ++i) {
        EXPECT_EQ(received[i].message, messages[i]) << i;
        EXPECT_EQ(received[i].note, (messages[i] & 0xE0) == 0x80) << i;
        EXPECT_EQ(received[i].staff, 2);
        if (i > 0) {
            EXPECT_GT(received[i].time, received[i - 1].time) << i;
        }
    }
    EXPECT_EQ(LiveStaticRecords(kSequencerStaticPool), 0);
    EXPECT_EQ(PlaybackFlags().SequencerRecording.load(), 0);
}

// With "KeepMIDI" the events stay after Stop, and the next run gives them back.
TEST_F(RecordingTest, KeptEventsLastUntilTheNextRun) {
    ASSERT_EQ(StartPlayback(RecordRequest(true)), PlaybackStart::Started);
    PlayIn();
    StopPlayback();
    EXPECT_EQ(ReceivedRecordings().size(), static_cast<size_t>(kEvents));
    EXPECT_EQ(LiveStaticRecords(kSequencerStaticPool), kEvents);
    ASSERT_EQ(StartPlayback(Request(1, 1)), PlaybackStart::Started);
    EXPECT_EQ(LiveStaticRecords(kSequencerStaticPool), 0);
    StopPlayback();
}

// A record input that is not there refuses the run, says so, and leaves nothing
// open or running.
TEST_F(RecordingTest, MissingInputRefusesTheRun) {
    PlaybackRequest request = RecordRequest(false);
    request.recordInput = "Unplugged";
    EXPECT_EQ(StartPlayback(request), PlaybackStart::InputFailed);
    EXPECT_EQ(PlaybackNotices(), (std::vector<std::string>{"Can't open midi"}));
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(PlaybackDeviceOfPort(0), nullptr);
    EXPECT_EQ(PlaybackFlags().PlaybackActive.load(), 0);
    EXPECT_EQ(PlaybackFlags().SequencerRecording.load(), 0);
    Advance(2000);
    EXPECT_TRUE(midi::headless::Sent().empty());
}

}  // namespace
}  // namespace ql::testing
