// The Sequencer window's transport on the headless backend: start (400), pause
// and continue (1189), stop (300) and the stop the engine asks for at the end of
// the data; while paused every other command stops.
#include <gtest/gtest.h>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/tests/model/full_score.h"
#include "core/tests/model/new_document_fixture.h"
#include "platform/midi/headless.h"
#include "platform/win/message_loop.h"
#include "sequencer/playback.h"
#include "sequencer/sequencer_state.h"
#include "shell/program/sequencer_window.h"
#include "shell/program_options.h"

namespace ql::testing {
namespace {

constexpr uint8_t kHalfNote = 11;
constexpr int kMeasureTicks = 4096;

class SequencerWindowTest : public NewDocumentTest {
protected:
    void SetUp() override {
        OpenNewDocument([] {});
        ASSERT_EQ(InitStaticPoolSet(), 1);  // after the arena mark: closing gives it back
        midi::headless::Reset(midi::headless::ClockMode::Virtual);
        midi::headless::AddDevice("Synth", true, false);
        doc_->header.staffCount = 1;
        doc_->header.tempo = 60;  // a quarter a second: 1,024 ticks
        ASSERT_TRUE(full_score::BuildStaves(doc_, view_, 2));
        for (int m = 0; m <= 3; ++m) MeasureRecordOf(doc_, m)->lengthTicks = kMeasureTicks;
        view_->currentMeasureLength = kMeasureTicks;
        for (int m = 1; m <= 2; ++m)
            AddEventToVoice(view_, GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, m), 0, 0, kHalfNote, 0);
        State().documents.ActiveView = view_;
        window_ = CreateSequencerWindow();
        ASSERT_TRUE(static_cast<bool>(window_));
    }
    void TearDown() override {
        DestroySequencerWindow();
        midi::headless::Reset(midi::headless::ClockMode::Virtual);
        CloseNewDocument();
    }
    void Command(uint32_t id) { win::SendMessage(window_, win::Message::Command, win::MakeCommandWord(id, 0), 0); }
    void Run(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 10) {
            midi::headless::Advance(10);
            win::PumpMessages();
        }
    }
    size_t NoteOns() const {
        size_t count = 0;
        for (const auto& sent : midi::headless::Sent()) count += (sent.bytes[0] & 0xF0) == 0x90 && sent.bytes[2] != 0;
        return count;
    }
    platform::WindowHandle window_;
};

// Start, pause, continue and the engine's own stop at the end of the data.
TEST_F(SequencerWindowTest, PlayPauseContinueToTheEnd) {
    Command(cmd::kSequencerStart);
    EXPECT_TRUE(IsPlaybackRunning());
    Run(100);
    EXPECT_EQ(NoteOns(), 1u);
    Command(cmd::kSequencerPause);
    EXPECT_TRUE(IsPlaybackPaused());
    Run(10000);
    EXPECT_EQ(NoteOns(), 1u);  // nothing plays while paused
    Command(cmd::kSequencerPause);
    EXPECT_FALSE(IsPlaybackPaused());
    Run(20000);
    EXPECT_EQ(NoteOns(), 2u);
    EXPECT_FALSE(IsPlaybackRunning());  // the end of the data stopped the run
    EXPECT_EQ(doc_->header.measureCount, 2);
}

// While paused a start command stops the run; Stop ends a running one; a second
// Play after a stop starts again from the beginning.
TEST_F(SequencerWindowTest, CommandsWhilePausedStop) {
    Command(cmd::kSequencerStart);
    Run(50);
    Command(cmd::kSequencerPause);
    Command(cmd::kSequencerStart);
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_FALSE(IsPlaybackPaused());
    Command(cmd::kSequencerStart);
    EXPECT_TRUE(IsPlaybackRunning());
    Run(50);
    Command(cmd::kSequencerStop);
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(PlaybackFlags().PlaybackActive.load(), 0);
    EXPECT_EQ(NoteOns(), 2u);  // measure 1 again: the second run started from the beginning
}

// The transport commands post to the window; the start waits for the loop.
TEST_F(SequencerWindowTest, CommandsArePosted) {
    PlayCommand(view_);
    EXPECT_FALSE(IsPlaybackRunning());
    win::PumpMessages();
    EXPECT_TRUE(IsPlaybackRunning());
    PauseSequencerCommand();
    win::PumpMessages();
    EXPECT_TRUE(IsPlaybackPaused());
    StopSequencerCommand();
    win::PumpMessages();
    EXPECT_FALSE(IsPlaybackRunning());
}

// Step entry is on with its setting while no run is on, and back after a stop.
TEST_F(SequencerWindowTest, StepEntryOnlyWithoutARun) {
    Options().AllowStepEntry = 1;
    Command(cmd::kSequencerStop);
    EXPECT_EQ(State().sequencer.StepEntryEnabled, 1);
    Command(cmd::kSequencerStart);
    EXPECT_EQ(State().sequencer.StepEntryEnabled, 0);
    Run(20000);  // to the end of the data
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(State().sequencer.StepEntryEnabled, 1);
    Options().AllowStepEntry = 0;
    Command(cmd::kSequencerStop);
    EXPECT_EQ(State().sequencer.StepEntryEnabled, 0);
    ResetProgramOptions();
}

// "MidiPortNames" finds the port's device by name though the port map's entry
// names another; a name not in the list leaves the entry to decide.
TEST_F(SequencerWindowTest, PortNamesFindTheirDevices) {
    midi::headless::AddDevice("Other", true, false);
    Options().MidiPortMap[0] = 1;  // "Synth"
    Options().MidiPortNames = "Other|x|y";
    Command(cmd::kSequencerStart);
    Run(100);
    ASSERT_FALSE(midi::headless::Sent().empty());
    EXPECT_EQ(midi::headless::Sent()[0].port, 1);  // "Other", the second device declared
    Command(cmd::kSequencerStop);
    midi::headless::ClearSent();
    Options().MidiPortNames = "Unplugged";
    Command(cmd::kSequencerStart);
    Run(100);
    ASSERT_FALSE(midi::headless::Sent().empty());
    EXPECT_EQ(midi::headless::Sent()[0].port, 0);
    Command(cmd::kSequencerStop);
    ResetProgramOptions();
}

}  // namespace
}  // namespace ql::testing
