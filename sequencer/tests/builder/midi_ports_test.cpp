// The output devices opened for the port map, and the patches-in-use mask.
#include <gtest/gtest.h>

#include "core/settings/program_options.h"
#include "platform/midi/headless.h"
#include "sequencer/sequencer_services.h"
#include "sequencer/tests/builder/score_fixture.h"

namespace ql::testing {
namespace {

class MidiPortsTest : public ScoreTest {
protected:
    void TearDown() override {
        CloseMidiOutputPorts();
        ql::Options() = saved_;
        ScoreTest::TearDown();
    }
    const ProgramOptions saved_ = ql::Options();
};

// Bits 0 and 255 of the mask, side by side with the bad patches that set nothing.
TEST_F(MidiPortsTest, PatchesInUse) {
    MarkPatchUsed(doc_, 0);
    MarkPatchUsed(doc_, 255);
    MarkPatchUsed(doc_, 40);
    MarkPatchUsed(doc_, -1);
    MarkPatchUsed(doc_, 256);
    MarkPatchUsed(nullptr, 3);
    EXPECT_TRUE(IsPatchUsed(doc_, 0));
    EXPECT_TRUE(IsPatchUsed(doc_, 40));
    EXPECT_TRUE(IsPatchUsed(doc_, 255));
    EXPECT_FALSE(IsPatchUsed(doc_, 39));
    EXPECT_FALSE(IsPatchUsed(doc_, 256));
    EXPECT_EQ(doc_->patchesInUse[0], 0x01);
    EXPECT_EQ(doc_->patchesInUse[31], 0x80);
}

// Entries count the outputs only, from 1; no entry, one past the list and an
// input-only list open nothing.
TEST_F(MidiPortsTest, OpeningByEntry) {
    midi::headless::AddDevice("Keys", false, true);
    EXPECT_EQ(OpenMidiOutputPort(1), 0);
    midi::headless::AddDevice("Synth", true, false);
    EXPECT_EQ(OpenMidiOutputPort(0), 0);
    EXPECT_EQ(OpenMidiOutputPort(2), 0);
    EXPECT_EQ(OpenMidiOutputPort(1), 1);
    EXPECT_TRUE(IsMidiOutputPortOpen(1));
    EXPECT_EQ(OpenMidiOutputPort(1), 1);  // already open: kept
    CloseMidiOutputPorts();
    EXPECT_FALSE(IsMidiOutputPortOpen(1));
}

// Outside a run, Stop goes to the open devices of the sync ports, once a device:
// ports A and C share Synth, B is not a sync port, D's device is not open.
TEST_F(MidiPortsTest, SyncPortsAreToldToStopOutsideARun) {
    midi::headless::AddDevice("Synth", true, false);
    midi::headless::AddDevice("Other", true, false);
    midi::headless::AddDevice("Closed", true, false);
    ql::Options().MidiPortMap[0] = 1;
    ql::Options().MidiPortMap[1] = 2;
    ql::Options().MidiPortMap[2] = 1;
    ql::Options().MidiPortMap[3] = 3;
    ql::Options().SyncPorts = 0b1101;
    ASSERT_EQ(OpenMidiOutputPort(1), 1);
    ASSERT_EQ(OpenMidiOutputPort(2), 1);
    const auto stops = [] {
        std::vector<int> devices;
        for (const midi::headless::SentMessage& sent : midi::headless::Sent())
            if (sent.bytes == std::vector<uint8_t>{0xFC}) devices.push_back(sent.port);
        return devices;
    };
    StopSequencerClock();
    EXPECT_EQ(stops(), std::vector<int>{0});
    midi::headless::ClearSent();
    ql::Options().SyncPorts = 0;
    StopSequencerClock();
    EXPECT_TRUE(stops().empty());
    ql::Options().SyncPorts = 0b10;
    CloseMidiOutputPorts();  // closing tells the listeners first
    EXPECT_EQ(stops(), std::vector<int>{1});
}

// A caching request opens the mapped ports and keeps the score's mask.
TEST_F(MidiPortsTest, CachingRequestOpensThePorts) {
    midi::headless::AddDevice("Synth", true, false);
    midi::headless::AddDevice("Broken", true, false);
    midi::headless::FailWrites("Broken");  // listed, but will not open
    ql::Options().MidiPortMap[0] = 1;
    ql::Options().MidiPortMap[1] = 2;
    MarkPatchUsed(doc_, 40);
    EXPECT_EQ(OpenMidiPortsWithPatchCache(doc_), 0);
    EXPECT_TRUE(IsMidiOutputPortOpen(1));
    EXPECT_TRUE(IsPatchUsed(doc_, 40));
    ql::Options().MidiPortMap[1] = 0;
    EXPECT_EQ(OpenMidiPortsWithPatchCache(doc_), 1);
    ResetProgramOptions();
}

// All Notes Off outside a run: the port map's devices open, and on each device and
// channel the score's voices play on (staff 1 on A channel 0, staff 2 on B channel
// 1; a voice on port 9 plays on A) All Notes Off and the 128 note-offs, once each;
// a device of no voice gets nothing. During a run the run's devices are silenced.
TEST_F(MidiPortsTest, AllNotesOffSilencesEveryVoiceChannel) {
    midi::headless::AddDevice("Synth A", true, false);
    midi::headless::AddDevice("Synth B", true, false);
    midi::headless::AddDevice("Unused", true, false);
    for (int port = 0; port < 3; ++port) ql::Options().MidiPortMap[port] = port + 1;
    BuildScore(2, 1);
    StaffRecordOf(doc_, 1)->timbres[1] = StaffTimbre{9, 0, 0, 0};
    const auto sweeps = [](int device, int channel) {
        int allOff = 0, keysOff = 0;
        for (const midi::headless::SentMessage& sent : midi::headless::Sent()) {
            if (sent.port != device || sent.bytes.size() != 3 || (sent.bytes[0] & 0x0F) != channel) continue;
            allOff += sent.bytes[0] == (0xB0 | channel) && sent.bytes[1] == 123 ? 1 : 0;
            keysOff += (sent.bytes[0] & 0xF0) == 0x90 && sent.bytes[2] == 0 ? 1 : 0;
        }
        return std::pair{allOff, keysOff};
    };
    ReopenMidiAndSilence(doc_);
    EXPECT_TRUE(IsMidiOutputPortOpen(1));
    EXPECT_TRUE(IsMidiOutputPortOpen(3));
    EXPECT_EQ(sweeps(0, 0), std::pair(1, 128));
    EXPECT_EQ(sweeps(1, 1), std::pair(1, 128));
    EXPECT_EQ(sweeps(1, 0), std::pair(0, 0));
    EXPECT_EQ(sweeps(2, 0), std::pair(0, 0));
    CloseMidiOutputPorts();
    midi::headless::ClearSent();
    Note(1, 1, 0, kHalf, 0);
    PlaybackRequest request = Request(1, 1);
    request.ports.entries = {1, 2, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    ReopenMidiAndSilence(doc_);
    EXPECT_FALSE(IsMidiOutputPortOpen(1));  // the run's own devices, not the port map's
    EXPECT_EQ(sweeps(0, 0), std::pair(1, 128));
    EXPECT_EQ(sweeps(1, 1), std::pair(1, 128));
    StopPlayback();
}

}  // namespace
}  // namespace ql::testing
