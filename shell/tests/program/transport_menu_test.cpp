// The MIDI menu's transport in the running program on the headless backend: Start
// Playback plays the open score on a virtual device, Pause Playback pauses and
// continues the run, Stop Play/Record ends it with every sounding note ended, and
// each item can be chosen only when the run allows it. Start Recording arms
// punch-in, and Play then records from the record input.
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/view.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "platform/midi/headless.h"
#include "platform/ui/headless.h"
#include "platform/ui/menu.h"
#include "platform/ui/status_bar.h"
#include "platform/ui/toolbar.h"
#include "platform/win/headless.h"
#include "sequencer/playback.h"
#include "sequencer/tests/played_messages.h"
#include "sequencer/transcription_measures.h"
#include "sequencer/transcription_stream.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/program/transport_commands.h"
#include "shell/program/view_transport.h"
#include "shell/rebar/main_rebar.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using testing::ProgramFixture;
namespace tc = transport_cmd;

constexpr uint8_t kHalfNote = 11;
constexpr int kMeasureTicks = 4096;

class TransportMenuTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        midi::headless::Reset(midi::headless::ClockMode::Virtual);
        midi::headless::AddDevice("Synth", true, false);
        ASSERT_EQ(Start(), StartupCode::Ok);
        RequestOpen(WriteScore("played.ql"));
        Pump();
        view_ = State().documents.ActiveView;
        ASSERT_NE(view_, nullptr);
        // Two half notes in the one measure, a quarter a second: four seconds.
        ScoreDocument* document = view_->document;
        ScopedPoolSet pools(PoolSet(document->pools));
        document->header.tempo = 60;
        for (int m = 0; m <= 2; ++m) MeasureRecordOf(document, m)->lengthTicks = kMeasureTicks;
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, 1);
        ASSERT_NE(AddEventToVoice(view_, cell, 0, 0, kHalfNote, 0), nullptr);
        ASSERT_NE(AddEventToVoice(view_, cell, 0, kMeasureTicks / 2, kHalfNote, 0), nullptr);
    }
    void TearDown() override {
        ProgramFixture::TearDown();
        midi::headless::Reset(midi::headless::ClockMode::Virtual);
    }
    // The user chooses the item in the score window's menu bar; false when it
    // could not be chosen.
    bool Choose(int32_t command) {
        const bool chosen = ui::headless::ChooseMenuCommand(Frame().window, command);
        Pump();
        return chosen;
    }
    void Run(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 10) {
            midi::headless::Advance(10);
            Pump();
        }
    }
    static bool IsNoteOn(const midi::headless::SentMessage& m) { return (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] != 0; }
    static size_t NoteOns() {
        size_t count = 0;
        for (const auto& sent : testing::PlayedMessages()) count += IsNoteOn(sent);
        return count;
    }
    // Note-ons not yet ended by a note-off of their device, channel and key.
    static int SoundingNotes() {
        std::map<std::tuple<int, int, int>, int> sounding;
        for (const auto& sent : testing::PlayedMessages()) {
            const int status = sent.bytes[0] & 0xF0;
            if (status != 0x80 && status != 0x90) continue;
            sounding[{sent.port, sent.bytes[0] & 0x0F, sent.bytes[1]}] += IsNoteOn(sent) ? 1 : -1;
        }
        int count = 0;
        for (const auto& [note, n] : sounding) count += n;
        return count;
    }
    std::string StatusText() const { return ui::GetStatusBarText(Frame().statusBar, 0); }

    ScoreView* view_ = nullptr;
};

// Play sounds the first note, Pause ends it and holds the music, Pause again
// continues to the second, and Stop ends it: every note-on has its note-off.
TEST_F(TransportMenuTest, PlayPauseContinueStop) {
    ASSERT_TRUE(Choose(tc::kStartPlayback));
    EXPECT_TRUE(IsPlaybackRunning());
    EXPECT_EQ(StatusText(), " Playing...");
    Run(100);
    EXPECT_EQ(NoteOns(), 1u);
    EXPECT_EQ(SoundingNotes(), 1);

    ASSERT_TRUE(Choose(tc::kPausePlayback));
    EXPECT_TRUE(IsPlaybackPaused());
    EXPECT_EQ(SoundingNotes(), 0);
    Run(5000);
    EXPECT_EQ(NoteOns(), 1u);  // nothing plays while paused

    ASSERT_TRUE(Choose(tc::kPausePlayback));
    EXPECT_FALSE(IsPlaybackPaused());
    Run(2500);
    EXPECT_EQ(NoteOns(), 2u);
    EXPECT_EQ(SoundingNotes(), 1);

    ASSERT_TRUE(Choose(tc::kStopPlayback));
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(SoundingNotes(), 0);
    EXPECT_EQ(StatusText(), " ");
    Run(5000);
    EXPECT_EQ(NoteOns(), 2u);
}

// A paused run is continued by Pause (the menu's Play is gray while paused); a run
// that reaches the end of the score clears the status; Play then starts the score
// again.
TEST_F(TransportMenuTest, PlayContinuesAndPlaysAgain) {
    ASSERT_TRUE(Choose(tc::kStartPlayback));
    Run(100);
    ASSERT_TRUE(Choose(tc::kPausePlayback));
    EXPECT_FALSE(Choose(tc::kStartPlayback));
    ASSERT_TRUE(Choose(tc::kPausePlayback));
    EXPECT_TRUE(IsPlaybackRunning());
    EXPECT_FALSE(IsPlaybackPaused());
    Run(10000);
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(NoteOns(), 2u);
    EXPECT_EQ(SoundingNotes(), 0);
    EXPECT_EQ(StatusText(), " ");
    ASSERT_TRUE(Choose(tc::kStartPlayback));
    Run(100);
    EXPECT_EQ(NoteOns(), 3u);
    ASSERT_TRUE(Choose(tc::kStopPlayback));
}

// Idle: only Play; running: Pause and Stop; paused: all three. Without an output
// device Play cannot be chosen either.
TEST_F(TransportMenuTest, ItemsFollowTheRun) {
    EXPECT_FALSE(Choose(tc::kStopPlayback));
    EXPECT_FALSE(Choose(tc::kPausePlayback));
    ASSERT_TRUE(Choose(tc::kStartPlayback));
    EXPECT_FALSE(Choose(tc::kStartPlayback));
    ASSERT_TRUE(Choose(tc::kPausePlayback));
    ASSERT_TRUE(Choose(tc::kStopPlayback));
    EXPECT_FALSE(IsPlaybackRunning());

    midi::headless::Reset(midi::headless::ClockMode::Virtual);  // no device left
    EXPECT_FALSE(Choose(tc::kStartPlayback));
    EXPECT_FALSE(IsPlaybackRunning());
}

// While a run plays, the status bar counts the elapsed time a second at a time;
// it holds while paused and goes on after Continue.
TEST_F(TransportMenuTest, ElapsedTimeCountsWhilePlaying) {
    const auto elapse = [&](uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 10) {
            midi::headless::Advance(10);
            win::headless::AdvanceClock(10);
            Pump();
        }
    };
    ASSERT_TRUE(Choose(tc::kStartPlayback));
    elapse(2050);
    EXPECT_EQ(ui::GetStatusBarText(Frame().statusBar, 2), " Elapsed time:  0:02");
    ASSERT_TRUE(Choose(tc::kPausePlayback));
    elapse(3000);
    EXPECT_EQ(ui::GetStatusBarText(Frame().statusBar, 2), " Elapsed time:  0:02");
    ASSERT_TRUE(Choose(tc::kPausePlayback));
    elapse(1000);
    EXPECT_EQ(ui::GetStatusBarText(Frame().statusBar, 2), " Elapsed time:  0:03");
    ASSERT_TRUE(Choose(tc::kStopPlayback));
}

// The elapsed time is the run's, not a count of the clock's ticks: a tick that
// comes once after 2.3 s of music (the program was busy) shows 0:02.
TEST_F(TransportMenuTest, ElapsedTimeFollowsTheMusicThoughTicksComeLate) {
    ASSERT_TRUE(Choose(tc::kStartPlayback));
    Run(2300);
    win::headless::AdvanceClock(1000);
    Pump();
    EXPECT_EQ(ui::GetStatusBarText(Frame().statusBar, 2), " Elapsed time:  0:02");
    ASSERT_TRUE(Choose(tc::kStopPlayback));
}

// Start Recording needs an input device and no run; chosen, it arms punch-in
// (the status bar says how to punch in) and Play records: what the keyboard plays reaches the
// transcription at Stop, and the status says so while it records. Chosen again
// it disarms, and Play plays.
TEST_F(TransportMenuTest, StartRecordingArmsAndPlayRecords) {
    EXPECT_FALSE(Choose(tc::kStartRecording));  // no input device
    midi::headless::AddDevice("Keyboard", false, true);
    ASSERT_TRUE(Choose(tc::kStartRecording));
    EXPECT_NE(StatusText().find("SPACEBAR"), std::string::npos) << StatusText();
    ASSERT_TRUE(Choose(tc::kStartPlayback));
    ASSERT_TRUE(IsPlaybackRunning());
    EXPECT_EQ(StatusText(), " Recording...");
    EXPECT_FALSE(Choose(tc::kStartRecording));  // not while a run is on
    EXPECT_FALSE(Choose(tc::kPausePlayback));   // a recording is not paused
    EXPECT_FALSE(IsPlaybackPaused());
    auto* input = dynamic_cast<midi::headless::VirtualMidiIn*>(PlaybackRecordInput());
    ASSERT_NE(input, nullptr);
    const std::vector<uint8_t> noteOn = {0x90, 60, 100};
    input->InjectNow(noteOn);
    Run(100);
    ASSERT_TRUE(Choose(tc::kStopPlayback));
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(TranscriptionCountsNow().noteOns, 1u);
    EXPECT_EQ(TranscriptionWritten().soundStarts, 1u);  // the key played is in the score

    ASSERT_TRUE(Choose(tc::kStartRecording));  // armed again
    ASSERT_TRUE(Choose(tc::kStartRecording));  // and disarmed
    EXPECT_EQ(StatusText(), " Recording session cancelled.");
    ASSERT_TRUE(Choose(tc::kStartPlayback));
    EXPECT_EQ(PlaybackRecordInput(), nullptr);
    EXPECT_EQ(StatusText(), " Playing...");
    ASSERT_TRUE(Choose(tc::kStopPlayback));
}

// Closing the score stops its run at once, with its notes ended.
// A run started from the menu holds the score's window like one started by Space:
// Close View waits for Stop, and Stop leaves nothing sounding.
TEST_F(TransportMenuTest, ClosingTheScoreWaitsForStop) {
    ASSERT_TRUE(Choose(tc::kStartPlayback));
    Run(100);
    ASSERT_EQ(SoundingNotes(), 1);
    Choose(cmd::kCloseView);
    EXPECT_TRUE(IsPlaybackRunning());
    ASSERT_TRUE(Choose(tc::kStopPlayback));
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(SoundingNotes(), 0);
    EXPECT_EQ(StatusText(), " ");
}

// The bar's MIDI band shows the run: Play checked and gray while the score plays,
// Pause checked while it is paused, and Play back in ink after Stop.
TEST_F(TransportMenuTest, TheBarsTransportButtonsFollowTheRun) {
    const auto bits = [](int32_t command) { return ui::GetToolbarButtonBits(BandToolbar(kMidiBand), command); };
    constexpr uint8_t kDown = ui::kToolButtonChecked | ui::kToolButtonPressed;
    ASSERT_EQ(bits(tc::kStartPlayback), ui::kToolButtonEnabled);
    ASSERT_TRUE(Choose(tc::kStartPlayback));
    EXPECT_EQ(bits(tc::kStartPlayback), kDown);
    EXPECT_EQ(bits(tc::kStopPlayback).value_or(0) & ui::kToolButtonEnabled, ui::kToolButtonEnabled);
    ASSERT_TRUE(Choose(tc::kPausePlayback));
    EXPECT_EQ(bits(tc::kPausePlayback).value_or(0) & kDown, kDown);
    ASSERT_TRUE(Choose(tc::kStopPlayback));
    EXPECT_EQ(bits(tc::kStartPlayback), ui::kToolButtonEnabled);
    EXPECT_EQ(bits(tc::kPausePlayback).value_or(0) & kDown, 0);
}

// A run that ends by itself leaves its whole time on the clock, though no tick
// came. A run of a measure without notes (a new score) ends at once, and
// everything shows that it is over: nothing plays, Play is back in ink and Stop
// gray on the bar and in the menu, the status no longer says "Playing...", and
// the clock shows 0:00, not the time of the run before.
TEST_F(TransportMenuTest, ARunOfAnEmptyMeasureShowsItIsOver) {
    const auto bits = [](int32_t command) { return ui::GetToolbarButtonBits(BandToolbar(kMidiBand), command); };
    const auto clock = [&] { return ui::GetStatusBarText(Frame().statusBar, 2); };
    ASSERT_TRUE(Choose(tc::kStartPlayback));
    Run(5000);
    ASSERT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(clock(), " Elapsed time:  0:04");
    view_->document->header.measureCount = 2;
    Options().PlayRangeMode = 4;
    Options().PlayRangeFirst = 2;
    Options().PlayRangeLast = 2;
    const size_t played = NoteOns();
    ASSERT_TRUE(Choose(tc::kStartPlayback));
    Run(100);
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(NoteOns(), played);
    EXPECT_EQ(StatusText(), " ");
    EXPECT_EQ(bits(tc::kStartPlayback), ui::kToolButtonEnabled);
    EXPECT_EQ(bits(tc::kStopPlayback).value_or(0) & ui::kToolButtonEnabled, 0);
    EXPECT_FALSE(Choose(tc::kStopPlayback));
    EXPECT_EQ(Transport().started, 0);
    EXPECT_EQ(clock(), " Elapsed time:  0:00");
    ResetProgramOptions();
}

}  // namespace
}  // namespace ql
