// The Sequencer window's transport on the headless backend: start (400), pause
// and continue (1189), stop (300) and the stop the engine asks for at the end of
// the data; while paused every other command stops. The view follows the played
// measure; a recording started from the window hands every recorded event over.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/objects/midi_action.h"
#include "core/settings/program_options.h"
#include "core/tests/model/full_score.h"
#include "core/tests/model/new_document_fixture.h"
#include "core/ui/progress.h"
#include "core/ui/ui_services_resources.h"
#include "display/follow_mark.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "notes/step_entry/step_entry_output.h"
#include "objects/stored_classes.h"
#include "platform/midi/headless.h"
#include "platform/ui/headless.h"
#include "platform/win/message_loop.h"
#include "sequencer/engine.h"
#include "sequencer/playback.h"
#include "sequencer/sequencer_services.h"
#include "sequencer/sequencer_state.h"
#include "sequencer/tests/played_messages.h"
#include "sequencer/tests/static_pool_count.h"
#include "sequencer/transcription_measures.h"
#include "sequencer/transcription_stream.h"
#include "shell/program/readout_window.h"
#include "shell/program/sequencer_window.h"
#include "shell/program/step_entry_port.h"
#include "shell/program/view_procedures_internal.h"
#include "shell/program/view_toggles.h"
#include "shell/program/view_transport.h"

namespace ql::testing {
namespace {

constexpr uint8_t kHalfNote = 11;
constexpr int kMeasureTicks = 4096;
constexpr int kMeasureMs = 4000;  // at a quarter a second

class SequencerWindowTest : public NewDocumentTest {
protected:
    void SetUp() override {
        OpenNewDocument([] { RegisterStoredObjectClasses(); });  // recording makes marks
        MakeStatusBar();
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
        Transport() = TransportFlags{};
        ResetProgramOptions();
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
        for (const auto& sent : PlayedMessages()) count += (sent.bytes[0] & 0xF0) == 0x90 && sent.bytes[2] != 0;
        return count;
    }
    // A recording started from the record command on a keyboard input; its input,
    // or null when no run started.
    midi::headless::VirtualMidiIn* StartRecordingFromKeyboard() {
        midi::headless::AddDevice("Keyboard", false, true);
        Options().RecordPortName = "Keyboard";
        Transport().punchInArmed = 1;
        StartRecordingCommand(view_);
        win::PumpMessages();
        return IsPlaybackRunning() ? dynamic_cast<midi::headless::VirtualMidiIn*>(PlaybackRecordInput()) : nullptr;
    }
    platform::WindowHandle window_;
};

// A run gives the view back the voices it had selected at the start; Play makes
// staff 1 current when no staff is; after a recording the record staff is current.
TEST_F(SequencerWindowTest, StopRestoresTheVoicesAndTheStaff) {
    view_->voiceMask = 0b0101;
    view_->currentStaff = 0;
    PlayCommand(view_);
    win::PumpMessages();
    ASSERT_TRUE(IsPlaybackRunning());
    EXPECT_EQ(view_->currentStaff, 1);
    view_->voiceMask = 0b0010;  // changed while the run plays
    Run(50);
    Command(cmd::kSequencerStop);
    EXPECT_EQ(view_->voiceMask, 0b0101);
    // A recording for staff 2 leaves staff 2 current.
    midi::headless::AddDevice("Keyboard", false, true);
    Options().RecordPortName = "Keyboard";
    Options().RecordStaff = 2;
    doc_->header.staffCount = 2;
    Transport().punchInArmed = 1;
    StartRecordingCommand(view_);
    win::PumpMessages();
    ASSERT_TRUE(IsPlaybackRunning());
    StopSequencerCommand();
    win::PumpMessages();
    EXPECT_EQ(view_->currentStaff, 2);
}

// Every Stop, with a run or none: the record staff becomes current, the sync ports
// of the open outputs get Stop, and every channel the score's voices play on gets
// All Notes Off and the 128 note-offs there.
TEST_F(SequencerWindowTest, EveryStopLeavesTheRecordStaffAndSilencesTheOpenOutputs) {
    doc_->header.staffCount = 2;
    Options().RecordStaff = 2;
    Options().SyncPorts = 1;  // port A
    ASSERT_NE(DeviceOfLogicalPort(0), nullptr);  // opened outside a run, as the note preview does
    const auto stopsAndSweeps = [] {
        size_t stops = 0, sweeps = 0;
        for (const auto& sent : midi::headless::Sent()) {
            stops += sent.bytes == std::vector<uint8_t>{0xFC};
            sweeps += sent.bytes.size() == 3 && (sent.bytes[0] & 0xF0) == 0xB0 && sent.bytes[1] == 123;
        }
        return std::pair{stops, sweeps};
    };
    for (const bool played : {false, true}) {
        SCOPED_TRACE(played ? "after a run" : "without a run");
        view_->currentStaff = 1;
        if (played) {
            PlayCommand(view_);
            win::PumpMessages();
            ASSERT_TRUE(IsPlaybackRunning());
            Run(50);
        }
        midi::headless::ClearSent();
        StopSequencerCommand();
        win::PumpMessages();
        EXPECT_FALSE(IsPlaybackRunning());
        EXPECT_EQ(view_->currentStaff, 2);
        const auto [stops, sweeps] = stopsAndSweeps();
        EXPECT_EQ(stops, 1u);
        EXPECT_GE(sweeps, 1u);
    }
}

// The window starts the mixers' velocity offsets at 0: the master's, the engine's
// for every staff, and the score's.
TEST_F(SequencerWindowTest, VelocityOffsetsStartAtZero) {
    DestroySequencerWindow();
    SetMasterVelocityOffset(TheSequencerState(), 20);
    SetSlotVelocityOffset(TheSequencerState(), 1, -30);
    doc_->staffMix[1].velocityOffset = 12;
    window_ = CreateSequencerWindow();
    EXPECT_EQ(TheSequencerState().live.masterVelocityOffset.load(), 0);
    EXPECT_EQ(TheSequencerState().live.velocityOffset[1].load(), 0);
    EXPECT_EQ(doc_->staffMix[1].velocityOffset, 0);
}

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
    ASSERT_FALSE(PlayedMessages().empty());
    EXPECT_EQ(PlayedMessages()[0].port, 1);  // "Other", the second device declared
    Command(cmd::kSequencerStop);
    midi::headless::ClearSent();
    Options().MidiPortNames = "Unplugged";
    Command(cmd::kSequencerStart);
    Run(100);
    ASSERT_FALSE(PlayedMessages().empty());
    EXPECT_EQ(PlayedMessages()[0].port, 0);
    Command(cmd::kSequencerStop);
    // "MetronomePortName" gives the clicks their device though "MetronomePort"
    // names another entry.
    midi::headless::ClearSent();
    Options().PlayMetro = 1;
    Options().MetronomePort = 1;  // "Synth"
    Options().MetronomePortName = "Other";
    Command(cmd::kSequencerStart);
    Run(100);
    bool clicked = false;
    for (const midi::headless::SentMessage& sent : PlayedMessages()) {
        if ((sent.bytes[0] & 0xF0) != 0x90 || (sent.bytes[0] & 0x0F) != Options().MetronomeCH) continue;
        EXPECT_EQ(sent.port, 1) << "a click on the entry's device";
        clicked = true;
    }
    EXPECT_TRUE(clicked);
    Command(cmd::kSequencerStop);
    ResetProgramOptions();
}

// The run plays the measures the Playback Settings say, wherever the pointer is:
// the whole score by default, from the current measure ("Start with this page"),
// or the measure range clamped to the score. The range Space asks for (from the
// current measure to the end) is for that one start.
TEST_F(SequencerWindowTest, RunPlaysTheRangeOfThePlaybackSettings) {
    constexpr int kMeasures = 4;
    doc_->header.measureCount = kMeasures;
    for (int m = 3; m <= kMeasures + 1; ++m) MeasureRecordOf(doc_, m)->lengthTicks = kMeasureTicks;
    for (int m = 3; m <= kMeasures; ++m)
        AddEventToVoice(view_, GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, m), 0, 0, kHalfNote, 0);
    struct Case {
        int mode, first, last, current, transportKind;
        int playedFirst, playedLast;
    };
    const Case cases[] = {
        {0, 1, 1, 3, 0, 1, kMeasures},   // "Start at beginning", the default
        {2, 1, 1, 3, 0, 3, kMeasures},   // "Start with this page"
        {4, 2, 3, 4, 0, 2, 3},           // "Play measure range"
        {4, 3, 99, 1, 0, 3, kMeasures},  // a range past the end
        {0, 1, 1, 2, 4, 2, kMeasures},   // Space: from the current measure
        {0, 1, 1, 2, 0, 1, kMeasures},   // ... for that start only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << ", current " << c.current);
        Options().PlayRangeMode = static_cast<uint8_t>(c.mode);
        Options().PlayRangeFirst = static_cast<uint16_t>(c.first);
        Options().PlayRangeLast = static_cast<uint16_t>(c.last);
        view_->currentMeasure = c.current;
        if (c.transportKind != 0) {
            Transport().rangeKind = static_cast<uint8_t>(c.transportKind);
            Transport().rangeFirst = c.current;
            Transport().rangeLast = kMeasures;
        }
        Command(cmd::kSequencerStart);
        ASSERT_TRUE(IsPlaybackRunning());
        const std::vector<PlayedMeasure>& walk = CurrentPerformanceRun().walk;
        ASSERT_FALSE(walk.empty());
        EXPECT_EQ(walk.front().measure, c.playedFirst);
        EXPECT_EQ(walk.back().measure, c.playedLast);
        Command(cmd::kSequencerStop);
    }
}

// The additional transposition of Playback Settings moves every played key; the
// metronome plays on the stored channel (stored as the channel less 1).
TEST_F(SequencerWindowTest, PlaybackSettingsReachTheRun) {
    Options().MidiPortMap[0] = 1;
    Options().GlobalTranspose = 3;
    Command(cmd::kSequencerStart);
    Run(100);
    int key = -1;
    for (const auto& sent : PlayedMessages())
        if ((sent.bytes[0] & 0xF0) == 0x90 && key < 0) key = sent.bytes[1];
    Command(cmd::kSequencerStop);
    midi::headless::ClearSent();
    Options().GlobalTranspose = 0;
    Command(cmd::kSequencerStart);
    Run(100);
    int plain = -1;
    for (const auto& sent : PlayedMessages())
        if ((sent.bytes[0] & 0xF0) == 0x90 && plain < 0) plain = sent.bytes[1];
    Command(cmd::kSequencerStop);
    ASSERT_GE(plain, 0);
    EXPECT_EQ(key, plain + 3);

    midi::headless::ClearSent();
    Options().PlayMetro = 1;
    Options().MetronomePort = 1;
    Options().MetronomeCH = 15;
    Command(cmd::kSequencerStart);
    Run(100);
    Command(cmd::kSequencerStop);
    bool clickOnSixteen = false;
    for (const auto& sent : PlayedMessages())
        clickOnSixteen |= sent.bytes[0] == 0x9F && sent.bytes[1] == Options().MetronomeBarKey;
    EXPECT_TRUE(clickOnSixteen);
    ResetProgramOptions();
}

// With "FollowMusic" the view follows the played measure: it becomes the current
// measure and carries the frame; Stop takes the frame away and the view rewinds to
// where the run started.
TEST_F(SequencerWindowTest, ViewFollowsTheMusic) {
    Options().FollowMusic = 1;
    Options().IsAutoRewind = 1;
    Command(cmd::kSequencerStart);
    Run(100);
    EXPECT_EQ(FollowedMeasure(view_), 1);
    Run(kMeasureMs);
    EXPECT_EQ(FollowedMeasure(view_), 2);
    EXPECT_EQ(view_->currentMeasure, 2);
    EXPECT_TRUE(FollowsStaff(view_, 1));
    EXPECT_EQ(ReadoutShownText(), "  2 . 1  ");
    Command(cmd::kSequencerStop);
    EXPECT_EQ(FollowedMeasure(view_), 0);
    EXPECT_EQ(view_->currentMeasure, 1);
}

// Without "FollowMusic" nothing moves and nothing is framed; a run that ends by
// itself takes its frame away too.
TEST_F(SequencerWindowTest, FollowingOnlyWithItsSetting) {
    Options().FollowMusic = 0;
    const int before = view_->currentMeasure;
    Command(cmd::kSequencerStart);
    Run(kMeasureMs + 100);
    EXPECT_EQ(FollowedMeasure(view_), 0);
    EXPECT_EQ(view_->currentMeasure, before);
    Command(cmd::kSequencerStop);
    Options().FollowMusic = 1;
    Options().IsAutoRewind = 0;
    Command(cmd::kSequencerStart);
    Run(kMeasureMs + 100);
    EXPECT_EQ(FollowedMeasure(view_), 2);
    Run(3 * kMeasureMs);  // to the end of the data
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(FollowedMeasure(view_), 0);
    EXPECT_EQ(view_->currentMeasure, 2);  // no rewind without its setting
}

// With neither "FollowMusic" nor "ShowPlaybackLoc" the readout still shows the
// measure played, at each refill.
TEST_F(SequencerWindowTest, ReadoutShowsThePlayedMeasureAtRefills) {
    Options().FollowMusic = 0;
    Options().ShowPlaybackLoc = 0;
    SetReadoutText("");
    Command(cmd::kSequencerStart);
    Run(kMeasureMs + 2500);  // into measure 2, past a refill there
    EXPECT_EQ(ReadoutShownText(), "  2 . 1  ");
    EXPECT_EQ(FollowedMeasure(view_), 0);
    Command(cmd::kSequencerStop);
}

// Record, from the window's commands: with punch-in armed the start records from
// the record input; Stop transcribes each of 300 events played in at 1 ms spacing
// once and in order into the record staff (notes written or counted as dropped,
// controllers as pedal marks and MIDI event objects in the order played), and
// without "KeepMIDI" the record pool is empty afterwards.
TEST_F(SequencerWindowTest, RecordingHandsEveryEventOverAtStop) {
    constexpr int kEvents = 300;
    constexpr uint32_t kFirstEventMs = 500;
    constexpr int kChunk = 100;
    Options().RecordStaff = 1;
    Options().KeepMIDI = 0;
    const uint16_t changes = doc_->changeCounter;
    midi::headless::VirtualMidiIn* input = StartRecordingFromKeyboard();
    ASSERT_NE(input, nullptr);
    EXPECT_NE(doc_->changeCounter, changes);  // recording changes the score
    EXPECT_EQ(PlaybackFlags().SequencerRecording.load(), 1);
    std::vector<uint32_t> messages;
    for (int first = 0; first < kEvents; first += kChunk) {
        for (int i = first; i < first + kChunk; ++i) {
            const std::vector<uint8_t> bytes = {static_cast<uint8_t>(i % 3 == 2 ? 0xB0 : 0x90),
                                                static_cast<uint8_t>(36 + i % 60), static_cast<uint8_t>(i % 100)};
            ASSERT_TRUE(input->InjectAt(kFirstEventMs + static_cast<uint32_t>(i), bytes));
            messages.push_back(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16));
        }
        Run(kFirstEventMs + first + kChunk - midi::headless::Now());
    }
    StopSequencerCommand();
    win::PumpMessages();
    EXPECT_FALSE(IsPlaybackRunning());
    uint32_t noteOns = 0;
    std::vector<std::pair<int, int>> controllers;  // number and value, in order
    for (uint32_t m : messages) {
        if ((m & 0xF0) == 0x90 && (m >> 16) != 0) ++noteOns;
        if ((m & 0xF0) == 0xB0) controllers.emplace_back((m >> 8) & 0x7F, m >> 16);
    }
    const TranscriptionCounts& counts = TranscriptionCountsNow();
    EXPECT_EQ(counts.noteOns, noteOns);
    EXPECT_EQ(counts.noteOns + counts.noteOffs + counts.channelEvents, static_cast<uint32_t>(kEvents));
    EXPECT_EQ(TranscriptionWritten().soundStarts + counts.dropped, counts.noteOns);
    EXPECT_GT(TranscriptionWritten().soundStarts, 0u);
    std::vector<std::pair<int, int>> made;
    for (int m = 1; m <= doc_->header.measureCount; ++m) {
        ScoreObject* list = GetOrCreateCellObjectList(GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, m));
        for (ScoreObject* o = list->next.get(); o != nullptr; o = o->next.get()) {
            const MidiAction& action = *MidiActionOfText(o);
            made.emplace_back(action.controller, action.head.values.value);
        }
    }
    EXPECT_EQ(made, controllers);
    EXPECT_EQ(LiveStaticRecords(kSequencerStaticPool), 0);
    EXPECT_EQ(Transport().recording, 0);
}

// During a recording the transcribe message hands recorded events over before the
// next refill, sixteen at a time, asking for the rest by message until none is left.
TEST_F(SequencerWindowTest, TranscribeMessageHandsRecordedEventsOverInSteps) {
    constexpr int kEvents = 40;
    constexpr uint32_t kFirstEventMs = 200;
    Options().RecordCountdown = 0;
    midi::headless::VirtualMidiIn* input = StartRecordingFromKeyboard();
    ASSERT_NE(input, nullptr);
    for (int i = 0; i < kEvents; ++i) {
        const std::vector<uint8_t> bytes = {static_cast<uint8_t>(i % 2 == 0 ? 0x90 : 0x80), 60, 80};
        ASSERT_TRUE(input->InjectAt(kFirstEventMs + static_cast<uint32_t>(i), bytes));
    }
    Run(kFirstEventMs + kEvents + 10);  // recorded; no refill is due yet
    const auto handed = [] {
        const TranscriptionCounts& counts = TranscriptionCountsNow();
        return counts.noteOns + counts.noteOffs + counts.channelEvents;
    };
    ASSERT_EQ(handed(), 0u);
    win::SendMessage(window_, static_cast<win::Message>(kMsgTranscribeRecorded), 0, 0);
    EXPECT_EQ(handed(), 16u);
    win::PumpMessages();  // the messages it posted for the rest
    EXPECT_EQ(handed(), static_cast<uint32_t>(kEvents));
    StopSequencerCommand();
    win::PumpMessages();
    EXPECT_EQ(handed(), static_cast<uint32_t>(kEvents));  // each once
}

// Without punch-in armed the record command starts nothing; an armed recording
// without any input device is refused with the notice "Can't open midi" and
// leaves nothing running.
TEST_F(SequencerWindowTest, RecordingNeedsPunchInAndAnInput) {
    StartRecordingCommand(view_);
    win::PumpMessages();
    EXPECT_FALSE(IsPlaybackRunning());
    Transport().punchInArmed = 1;
    StartRecordingCommand(view_);
    win::PumpMessages();
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(Transport().recording, 0);
    EXPECT_EQ(PlaybackFlags().PlaybackActive.load(), 0);
    EXPECT_EQ(PlaybackDeviceOfPort(0), nullptr);
    ASSERT_FALSE(ui::headless::StatusTexts().empty());
    EXPECT_EQ(ui::headless::StatusTexts().back().text, " Can't open midi");
}

// A device that goes away while the run plays is named in a notice at Stop.
TEST_F(SequencerWindowTest, DeviceThatWentAwayIsReportedAtStop) {
    Command(cmd::kSequencerStart);
    Run(100);
    midi::headless::FailWrites("Synth");
    Run(kMeasureMs);
    Command(cmd::kSequencerStop);
    ASSERT_FALSE(ui::headless::StatusTexts().empty());
    EXPECT_NE(ui::headless::StatusTexts().back().text.find("\"Synth\""), std::string::npos)
        << ui::headless::StatusTexts().back().text;
}

// An output device that will not open refuses the run with one message box naming
// it; nothing plays.
TEST_F(SequencerWindowTest, DeviceThatWillNotOpenIsReported) {
    midi::headless::FailWrites("Synth");
    Command(cmd::kSequencerStart);
    EXPECT_FALSE(IsPlaybackRunning());
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_NE(ui::headless::MessageBoxes()[0].text.find("\"Synth\""), std::string::npos);
    Run(1000);
    EXPECT_TRUE(PlayedMessages().empty());
}

// The swing toggle reaches the run: an eighth on the second eighth of beat 1 of
// measure 3 sounds 170 ticks late with swing on, on time with it off.
TEST_F(SequencerWindowTest, SwingToggleDelaysTheOffBeatEighth) {
    constexpr uint8_t kEighth = 9;
    doc_->header.measureCount = std::max<uint16_t>(doc_->header.measureCount, 3);
    EventRecord* note = AddEventToVoice(view_, GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, 3), 0, 512, kEighth, 0);
    ASSERT_NE(note, nullptr);
    std::vector<uint32_t> delays;
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_TRUE(RunViewToggle(view_, toggle_cmd::kSwingEighths));
        EXPECT_EQ(Options().SwingEighths, pass == 0 ? 1 : 0);
        midi::headless::ClearSent();
        Options().PlayRangeMode = 2;  // from the current measure
        view_->currentMeasure = 3;
        const uint32_t start = midi::headless::Now();
        Command(cmd::kSequencerStart);
        Run(2000);
        Command(cmd::kSequencerStop);
        uint32_t eighth = 0;  // the measure's only note
        for (const auto& sent : PlayedMessages())
            if (eighth == 0 && (sent.bytes[0] & 0xF0) == 0x90 && sent.bytes[2] != 0) eighth = sent.ms;
        ASSERT_NE(eighth, 0u) << pass;
        delays.push_back(eighth - start);
    }
    // 512 ticks are 500 ms; 682 ticks 666 ms (within the engine's 10 ms steps).
    EXPECT_NEAR(static_cast<double>(delays[0]) - delays[1], 166.0, 12.0);
}

// The tempo readout follows the rate the engine plays at: the score's tempo at the
// start, a changed rate at the next refill, and at once on the tempo message.
TEST_F(SequencerWindowTest, TempoReadoutFollowsTheRunsRate) {
    Command(cmd::kSequencerStart);
    ASSERT_TRUE(IsPlaybackRunning());
    EXPECT_EQ(PlayingTempoBpm(), 60u);
    SetPerformanceRate(TheSequencerState(), 90 * 1024);
    Run(3000);  // past a refill
    EXPECT_EQ(PlayingTempoBpm(), 90u);
    SetPerformanceRate(TheSequencerState(), 75 * 1024);
    win::SendMessage(window_, win::PrivateMessage(0x0E), 0, 0);
    EXPECT_EQ(PlayingTempoBpm(), 75u);
    Command(cmd::kSequencerStop);
}

// A short recording on the record staff, kept or not, stopped from the window:
// four quarter notes from the second beat of measure 1.
class RecordingFinishTest : public SequencerWindowTest {
protected:
    void RecordFourNotes(bool keep) {
        midi::headless::AddDevice("Keyboard", false, true);
        Options().RecordPortName = "Keyboard";
        Options().RecordStaff = 1;
        Options().KeepMIDI = keep ? 1 : 0;
        Transport().punchInArmed = 1;
        StartRecordingCommand(view_);
        win::PumpMessages();
        ASSERT_TRUE(IsPlaybackRunning());
        auto* input = dynamic_cast<midi::headless::VirtualMidiIn*>(PlaybackRecordInput());
        ASSERT_NE(input, nullptr);
        for (uint32_t i = 0; i < 4; ++i) {
            const uint32_t at = midi::headless::Now() + 1000 * (i + 1);
            const uint8_t key = static_cast<uint8_t>(60 + i);
            ASSERT_TRUE(input->InjectAt(at, std::vector<uint8_t>{0x90, key, 90}));
            ASSERT_TRUE(input->InjectAt(at + 900, std::vector<uint8_t>{0x80, key, 0}));
        }
        Run(5500);
    }
    void Stop() {
        StopSequencerCommand();
        win::PumpMessages();
        ASSERT_FALSE(IsPlaybackRunning());
    }
    int NotesIn(int staff) {
        int count = 0;
        for (int m = 1; m <= doc_->header.measureCount; ++m) {
            MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, m);
            for (EventRecord* e = GetVoiceFirstEvent(cell, 0); e != nullptr; e = NextEvent(e)) ++count;
        }
        return count;
    }
    int NotesInMeasure(int staff, int measure) {
        int count = 0;
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure);
        for (EventRecord* e = GetVoiceFirstEvent(cell, 0); e != nullptr; e = NextEvent(e)) ++count;
        return count;
    }
    // Starts a recording from measure 1 without count-in and plays a quarter note
    // on the second eighth of each measure given (4 s a measure) while the run lasts.
    void RecordAt(std::initializer_list<int> measures) {
        midi::headless::AddDevice("Keyboard", false, true);
        Options().RecordPortName = "Keyboard";
        Options().RecordStaff = 1;
        Options().RecordCountdown = 0;
        view_->currentMeasure = 1;
        Transport().punchInArmed = 1;
        StartRecordingCommand(view_);
        win::PumpMessages();
        ASSERT_TRUE(IsPlaybackRunning());
        auto* input = dynamic_cast<midi::headless::VirtualMidiIn*>(PlaybackRecordInput());
        ASSERT_NE(input, nullptr);
        const uint32_t start = midi::headless::Now();
        for (int measure : measures) {
            const uint32_t at = start + static_cast<uint32_t>(measure - 1) * kMeasureMs + 500;
            Run(at - midi::headless::Now());
            if (!IsPlaybackRunning()) return;  // the recording ended
            ASSERT_TRUE(input->InjectAt(at, std::vector<uint8_t>{0x90, 64, 90}));
            ASSERT_TRUE(input->InjectAt(at + 900, std::vector<uint8_t>{0x80, 64, 0}));
        }
        Run(2000);
    }
    std::string LastStatus() {
        const auto& texts = ui::headless::StatusTexts();
        return texts.empty() ? std::string{} : texts.back().text;
    }
};

// The analysis at Stop runs under the progress dialog: a cancel confirmed there
// leaves the staff as it was (the fixture's two half notes, no recorded note), and
// the dialog is closed afterwards; without a cancel the recorded notes are written.
TEST_F(RecordingFinishTest, AnalysisAtStopCanBeCancelled) {
    RegisterUiServiceResources();
    RecordFourNotes(false);
    BeginProgressDialog(0, 1, "");
    ASSERT_NE(State().dialogs.ProgressDialog, platform::WindowHandle{});
    win::PostMessage(State().dialogs.ProgressDialog, win::Message::Command,
                     win::MakeCommandWord(ui::kIdCancel, ui::kButtonClicked));
    ui::headless::QueueMessageBoxAnswer(ui::kIdYes);
    Stop();
    EXPECT_EQ(NotesIn(1), 2);
    EXPECT_EQ(State().dialogs.ProgressDialog, platform::WindowHandle{});
    RecordFourNotes(false);
    Stop();
    EXPECT_EQ(NotesIn(1), 4);
    EXPECT_EQ(State().dialogs.ProgressDialog, platform::WindowHandle{});
}

// New Transcription: with recordings not kept it only says " Not saving data";
// kept but with nothing recorded, " No data"; with a kept recording it writes the
// recorded notes again over what the staff holds. The command goes through the
// Sequencer window's transcribe message.
TEST_F(RecordingFinishTest, NewTranscriptionWritesTheKeptRecordingAgain) {
    const auto newTranscription = [&] {
        EXPECT_EQ(RunScoreViewCommand(view_, 40368), 1);
        win::PumpMessages();
    };
    Options().KeepMIDI = 0;
    const uint16_t changes = doc_->changeCounter;
    newTranscription();
    EXPECT_EQ(LastStatus(), " Not saving data");
    Options().KeepMIDI = 1;
    newTranscription();
    EXPECT_EQ(LastStatus(), " No data");
    EXPECT_EQ(doc_->changeCounter, changes);
    EXPECT_EQ(NotesIn(1), 2);  // the fixture's half notes
    RecordFourNotes(true);
    Stop();
    ASSERT_EQ(NotesIn(1), 4);
    ClearRecordTargets(view_, 1, 1, 1, doc_->header.measureCount, 0);
    ASSERT_EQ(NotesIn(1), 0);
    newTranscription();
    EXPECT_EQ(NotesIn(1), 4);
    EXPECT_EQ(LastStatus(), " OK");
    newTranscription();  // again: the same notes, not twice
    EXPECT_EQ(NotesIn(1), 4);
}

// New Transcription posts the transcribe message: the kept recording is written
// when the Sequencer window takes the message, not inside the menu command; while
// a run plays the command does nothing (no notice, the recording untouched).
TEST_F(RecordingFinishTest, NewTranscriptionPostsTheTranscribeMessage) {
    RecordFourNotes(true);
    Stop();
    ClearRecordTargets(view_, 1, 1, 1, doc_->header.measureCount, 0);
    ASSERT_EQ(NotesIn(1), 0);
    EXPECT_EQ(RunScoreViewCommand(view_, 40368), 1);
    EXPECT_EQ(NotesIn(1), 0);
    win::PumpMessages();
    EXPECT_EQ(NotesIn(1), 4);
    ClearRecordTargets(view_, 1, 1, 1, doc_->header.measureCount, 0);
    PlayCommand(view_);
    win::PumpMessages();
    ASSERT_TRUE(IsPlaybackRunning());
    const std::string during = LastStatus();
    EXPECT_EQ(RunScoreViewCommand(view_, 40368), 1);
    win::PumpMessages();
    EXPECT_EQ(LastStatus(), during);
    EXPECT_EQ(NotesIn(1), 0);
}

// The Sequencer window's "transcribe" message writes the kept recording again, as
// New Transcription does; while a run plays it does nothing.
TEST_F(RecordingFinishTest, TranscribeMessageWritesTheKeptRecordingAgain) {
    Options().KeepMIDI = 1;
    RecordFourNotes(true);
    Stop();
    ASSERT_EQ(NotesIn(1), 4);
    ClearRecordTargets(view_, 1, 1, 1, doc_->header.measureCount, 0);
    ASSERT_EQ(NotesIn(1), 0);
    win::PostMessage(window_, static_cast<win::Message>(kMsgTranscribeRecorded), 0, 0);
    win::PumpMessages();
    EXPECT_EQ(NotesIn(1), 4);
}

// With "RecordContinue" the recording goes on past the end of the score: the
// score gets measures as the run reaches its end, the notes played there are
// written into them, and the pages reach the new measures.
TEST_F(RecordingFinishTest, RecordingContinuesPastTheEnd) {
    Options().RecordContinue = 1;
    const int count = doc_->header.measureCount;
    RecordAt({1, count + 1, count + 2});
    EXPECT_TRUE(IsPlaybackRunning());
    Stop();
    ASSERT_GE(doc_->header.measureCount, count + 2);
    EXPECT_EQ(NotesInMeasure(1, count + 1), 1);
    EXPECT_EQ(NotesInMeasure(1, count + 2), 1);
    EXPECT_NE(PageOfMeasure(doc_, doc_->header.measureCount), nullptr);
}

// In a page view the pages grow with the recording while it runs, not at Stop:
// each measure the recording adds is on a page by the next refill, the pages the
// score had keep their measures, the view stays on its page and the status line
// still says "Recording...". The measures those pages bring are recorded into as
// the run reaches them, and the run goes on past them.
TEST_F(RecordingFinishTest, PagesGrowWhileTheRecordingAddsMeasures) {
    Options().RecordContinue = 1;
    view_->pageView = 1;
    const int count = doc_->header.measureCount;
    ASSERT_NE(doc_->firstPage, nullptr);
    doc_->firstPage->firstMeasure = 1;  // the score's one page holds its measures
    doc_->firstPage->lastMeasure = static_cast<uint16_t>(count);
    std::vector<std::pair<int, int>> pages;  // first and last measure of each page
    for (ScorePage* page = doc_->firstPage; page != nullptr; page = page->next.get())
        pages.emplace_back(page->firstMeasure, page->lastMeasure);
    ASSERT_FALSE(pages.empty());
    ScorePage* viewPage = view_->currentPage;
    midi::headless::AddDevice("Keyboard", false, true);
    Options().RecordPortName = "Keyboard";
    Options().RecordCountdown = 0;
    view_->currentMeasure = 1;
    Transport().punchInArmed = 1;
    StartRecordingCommand(view_);
    win::PumpMessages();
    ASSERT_TRUE(IsPlaybackRunning());
    int grown = count;
    for (int measure = 1; IsPlaybackRunning() && measure <= count + 12; ++measure) {
        Run(kMeasureMs);
        if (doc_->header.measureCount == count) continue;
        ASSERT_GE(pages::LastPage(doc_)->lastMeasure, doc_->header.measureCount)
            << "measure " << doc_->header.measureCount << " has no page while recording";
        grown = std::max<int>(grown, doc_->header.measureCount);
    }
    ASSERT_TRUE(IsPlaybackRunning()) << "the recording ended at measure " << grown;
    EXPECT_GT(grown, count + 2) << "the run never went past the measures its pages brought";
    EXPECT_EQ(LastStatus(), " Recording...");
    EXPECT_EQ(view_->currentPage, viewPage);
    size_t index = 0;
    for (ScorePage* page = doc_->firstPage; page != nullptr && index < pages.size(); page = page->next.get(), ++index) {
        const std::pair<int, int> measures{page->firstMeasure, page->lastMeasure};
        EXPECT_EQ(measures, pages[index]) << "page " << index + 1;
    }
    Stop();
}

// Without it the recording ends with the punch-out measure (or the score's end):
// the run stops by itself, nothing is added, and the measure after the punch-out
// keeps what it held.
TEST_F(RecordingFinishTest, PunchOutEndsTheRecording) {
    Options().RecordContinue = 0;
    Options().PunchIn = 1;
    Options().PunchOut = 1;
    const int count = doc_->header.measureCount;
    ASSERT_GE(count, 2);
    RecordAt({1, 2});
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(doc_->header.measureCount, count);
    EXPECT_EQ(NotesInMeasure(1, 1), 1);
    ASSERT_EQ(NotesInMeasure(1, 2), 1);  // the fixture's half note, untouched
    EXPECT_EQ(GetVoiceFirstEvent(GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, 2), 0)->duration, kHalfNote);
}

// A start without a timer is refused: the notice "Can't start timer" and the
// message box "Timer didn't start"; nothing plays.
TEST_F(SequencerWindowTest, NoTimerIsReported) {
    midi::headless::FailTimers(true);
    Command(cmd::kSequencerStart);
    EXPECT_FALSE(IsPlaybackRunning());
    ASSERT_FALSE(ui::headless::StatusTexts().empty());
    EXPECT_EQ(ui::headless::StatusTexts().back().text, " Can't start timer");
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].text, "Timer didn't start");
    Run(1000);
    EXPECT_EQ(NoteOns(), 0u);
}

// Step entry's input: with "AllowStepEntry" the program opens the input named by
// "MidiStepInPortName" (though "MidiStepInPort" points at another) and its keys
// reach step entry through the Sequencer window (here, with no note cursor, they
// go through to the thru port). It stays open while playing, is closed while a
// recording or a run following a sync master has the inputs, and opens again
// after it; without the setting it is closed.
TEST_F(SequencerWindowTest, StepEntryInputFollowsTheSetting) {
    midi::headless::AddDevice("Keys", false, true);
    midi::headless::AddDevice("Pads", false, true);
    Options().AllowStepEntry = 1;
    Options().ThruPorts = 0b1;
    Options().MidiStepInPort = 0;
    Options().MidiStepInPortName = "Pads";
    RefreshStepEntry();
    ASSERT_NE(StepEntryPortDevice(), nullptr);
    EXPECT_EQ(StepEntryPortDevice()->Name(), "Pads");
    auto* pads = dynamic_cast<midi::headless::VirtualMidiIn*>(StepEntryPortDevice());
    ASSERT_NE(pads, nullptr);
    ASSERT_TRUE(pads->InjectAt(midi::headless::Now() + 5, std::vector<uint8_t>{0x90, 60, 90}));
    Run(20);
    const std::vector<midi::headless::SentMessage> sent = PlayedMessages();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().bytes, (std::vector<uint8_t>{0x90, 60, 90}));

    Command(cmd::kSequencerStart);
    EXPECT_EQ(StepEntryPortDevice(), pads) << "playing closed the step-entry input";
    Command(cmd::kSequencerStop);
    Options().PlaySyncMode = 2;  // following a sync master: the run has the inputs
    Options().SyncInPortName = "Keys";
    Command(cmd::kSequencerStart);
    ASSERT_TRUE(IsPlaybackRunning());
    EXPECT_EQ(StepEntryPortDevice(), nullptr);
    Command(cmd::kSequencerStop);
    EXPECT_NE(StepEntryPortDevice(), nullptr);
    Options().PlaySyncMode = 0;
    Options().RecordPortName = "Pads";
    Transport().punchInArmed = 1;
    StartRecordingCommand(view_);
    win::PumpMessages();
    ASSERT_TRUE(IsPlaybackRunning());
    EXPECT_EQ(StepEntryPortDevice(), nullptr);
    StopSequencerCommand();
    win::PumpMessages();
    EXPECT_NE(StepEntryPortDevice(), nullptr);
    Options().AllowStepEntry = 0;
    RefreshStepEntry();
    EXPECT_EQ(StepEntryPortDevice(), nullptr);
    CloseStepEntryOutputs();
}

// MIDI sync from the settings. Play as master: the "SyncPorts" get Start before
// the first note and Stop at the end. Play as slave: the sync input is found by
// "SyncInPortName" though "SyncInPort" points at another input. Record as slave:
// the status says "Waiting for Master..." until the master's Start, then
// "Recording...".
TEST_F(SequencerWindowTest, SyncFromTheSettings) {
    Options().PlaySyncMode = 1;
    Options().SyncPorts = 0b1;
    Command(cmd::kSequencerStart);
    Run(20000);
    ASSERT_FALSE(IsPlaybackRunning());
    std::vector<midi::headless::SentMessage> sent = PlayedMessages();
    auto firstNote = std::find_if(sent.begin(), sent.end(), [](const auto& m) { return m.bytes[0] == 0x90; });
    auto start = std::find_if(sent.begin(), sent.end(), [](const auto& m) { return m.bytes[0] == 0xFA; });
    EXPECT_LT(start, firstNote) << "no Start before the first note";
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().bytes, std::vector<uint8_t>{0xFC});

    midi::headless::AddDevice("Keyboard", false, true);
    midi::headless::AddDevice("Clock", false, true);
    Options().PlaySyncMode = 2;
    Options().SyncInPort = 0;  // the keyboard, the first input
    Options().SyncInPortName = "Clock";
    Command(cmd::kSequencerStart);
    ASSERT_TRUE(IsPlaybackRunning());
    ASSERT_NE(PlaybackSyncInput(), nullptr);
    EXPECT_EQ(PlaybackSyncInput()->Name(), "Clock");
    Command(cmd::kSequencerStop);

    Options().RecordSyncMode = 2;
    Options().RecordPortName = "Keyboard";
    Transport().punchInArmed = 1;
    StartRecordingCommand(view_);
    win::PumpMessages();
    ASSERT_TRUE(IsPlaybackRunning());
    ASSERT_FALSE(ui::headless::StatusTexts().empty());
    EXPECT_EQ(ui::headless::StatusTexts().back().text, " Waiting for Master...");
    auto* input = dynamic_cast<midi::headless::VirtualMidiIn*>(PlaybackRecordInput());
    ASSERT_NE(input, nullptr);
    ASSERT_TRUE(input->InjectAt(midi::headless::Now() + 5, std::vector<uint8_t>{0xFA}));
    Run(20);
    EXPECT_EQ(ui::headless::StatusTexts().back().text, " Recording...");
    StopSequencerCommand();
    win::PumpMessages();
    EXPECT_FALSE(IsPlaybackRunning());
}

}  // namespace
}  // namespace ql::testing
