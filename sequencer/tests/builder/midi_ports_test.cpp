// The output devices opened for the port map, and the patches-in-use mask.
#include <gtest/gtest.h>

#include "platform/midi/headless.h"
#include "sequencer/sequencer_services.h"
#include "sequencer/tests/builder/score_fixture.h"
#include "shell/program_options.h"

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
    ql::Options().MidiPortMap[0] = 1;
    ql::Options().MidiPortMap[1] = 5;  // past the list
    MarkPatchUsed(doc_, 40);
    EXPECT_EQ(OpenMidiPortsWithPatchCache(doc_), 0);
    EXPECT_TRUE(IsMidiOutputPortOpen(1));
    EXPECT_TRUE(IsPatchUsed(doc_, 40));
    ql::Options().MidiPortMap[1] = 0;
    EXPECT_EQ(OpenMidiPortsWithPatchCache(doc_), 1);
    ResetProgramOptions();
}

}  // namespace
}  // namespace ql::testing
