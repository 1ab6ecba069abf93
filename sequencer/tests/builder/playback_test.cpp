// A score played end to end on the virtual clock through virtual devices: the
// exact messages of a two-staff piece with a repeat and two endings against a
// reviewed list, the transport (pause, continue, stop), the choice of devices for
// the logical ports, and the refusals of a start.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/model/document.h"
#include "core/state.h"
#include "platform/midi/headless.h"
#include "sequencer/tests/builder/score_fixture.h"

namespace ql::testing {
namespace {

constexpr int kEnd = 6;
constexpr char kGolden[] = "sequencer/tests/builder/two_staff_repeat.golden";
constexpr uint32_t kLongEnough = 60000;

class PlaybackTest : public ScoreTest {
protected:
    void AddOutputs() {
        midi::headless::AddDevice("Synth A", true, false);
        midi::headless::AddDevice("Synth B", true, false);
    }
    // Two staves; a repeat of measures 1-2 with measure 2 the first ending and
    // measure 3 the second; half notes, quarters and a chord.
    void BuildRepeatPiece() {
        BuildScore(2, 3);
        Note(1, 1, 0, kHalf, 0);
        Note(1, 1, 2048, kQuarter, 2);
        Note(1, 1, 2048, kQuarter, 4);
        Note(2, 1, 0, kQuarter, -2);
        Note(1, 2, 0, kQuarter, 1);
        Note(2, 2, 1024, kHalf, 0);
        Note(1, 3, 0, kHalf, 3);
        Note(2, 3, 2048, kQuarter, 1);
        AddEnding(2, 1, {1});
        AddEnding(3, 1, {2});
        SetBarline(3, kEnd, 1);
    }
    void PlayToEnd() {
        for (uint32_t ms = 0; ms < kLongEnough && IsPlaybackRunning(); ms += 100) Advance(100);
    }
    static std::string Log() {
        std::ostringstream out;
        for (const midi::headless::SentMessage& sent : PlayedMessages()) {
            out << sent.ms << " " << sent.port;
            for (uint8_t byte : sent.bytes) out << " " << std::hex << static_cast<int>(byte) << std::dec;
            out << "\n";
        }
        return out.str();
    }
};

// The piece plays the reviewed messages: times (1 ms a tick), devices, channels,
// keys and velocities, measures 1, 2, 1, 3; and the score keeps its measures.
TEST_F(PlaybackTest, RepeatPiecePlaysTheReviewedMessages) {
    AddOutputs();
    BuildRepeatPiece();
    PlaybackRequest request = Request(1, 3);
    request.ports.entries = {1, 2, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    EXPECT_EQ(PlaybackFlags().PlaybackActive.load(), 1);
    PlayToEnd();
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(PlaybackFlags().PlaybackActive.load(), 0);
    EXPECT_EQ(doc_->header.measureCount, 3);
    const std::string actual = Log();
    std::ifstream golden(std::filesystem::path(QL_SOURCE_DIR) / kGolden);
    std::stringstream expected;
    expected << golden.rdbuf();
    if (actual != expected.str()) {
        std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
        std::ofstream(std::filesystem::path(QL_TEST_OUTPUT_DIR) / "two_staff_repeat.actual") << actual;
    }
    EXPECT_EQ(actual, expected.str()) << "the log is in test-output/two_staff_repeat.actual";
}

// Before the first note: the metronome's patch on its channel, then one program
// change per port and channel of each staff (a voice without a patch sends none);
// the bar click sounds on the downbeat with the metronome's key and velocity.
TEST_F(PlaybackTest, ProgramChangesAndMetronome) {
    AddOutputs();
    BuildScore(2, 1);
    Note(1, 1, 0, kQuarter, 0);
    StaffRecord* first = StaffRecordOf(doc_, 1);
    first->timbres[0].patch = 40;
    first->timbres[1] = first->timbres[0];           // the same port and channel: sent once
    first->timbres[2] = StaffTimbre{0, 3, 0xFF, 0};  // no patch
    first->timbres[3] = StaffTimbre{0, 3, 0xFF, 0};
    StaffRecord* second = StaffRecordOf(doc_, 2);
    for (StaffTimbre& timbre : second->timbres) timbre = StaffTimbre{1, 1, 5, 0};
    PlaybackRequest request = Request(1, 1);
    request.ports.entries = {1, 2, 0, 0, 0, 0, 0, 0};
    request.sendPatches = true;
    request.options.metronome = true;
    request.metronome.port = 1;
    request.metronome.channel = 9;
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    Advance(50);
    std::vector<midi::headless::SentMessage> sent = PlayedMessages();
    ASSERT_GE(sent.size(), 5u);
    EXPECT_EQ(sent[0].bytes, (std::vector<uint8_t>{0xC9, 115}));
    EXPECT_EQ(sent[0].port, 1);
    EXPECT_EQ(sent[1].bytes, (std::vector<uint8_t>{0xC0, 40}));
    EXPECT_EQ(sent[1].port, 0);
    EXPECT_EQ(sent[2].bytes, (std::vector<uint8_t>{0xC1, 5}));
    EXPECT_EQ(sent[2].port, 1);
    EXPECT_EQ(sent[3].bytes, (std::vector<uint8_t>{0x99, 75, 110}));  // the bar click
    EXPECT_EQ(sent[4].bytes, (std::vector<uint8_t>{0x90, 64, 64}));
}

// Pause ends the sounding notes and nothing plays while paused; Continue goes on
// from where it was; Stop ends the notes and releases the ports.
TEST_F(PlaybackTest, PauseContinueStop) {
    AddOutputs();
    BuildScore(1, 2);
    Note(1, 1, 0, kHalf, 0);
    Note(1, 2, 0, kHalf, 0);
    ASSERT_EQ(StartPlayback(Request(1, 2)), PlaybackStart::Started);
    Advance(500);
    PausePlayback();
    EXPECT_TRUE(IsPlaybackPaused());
    std::vector<midi::headless::SentMessage> sent = PlayedMessages();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent.front().bytes[0], 0x90);
    EXPECT_EQ(sent.back().bytes[0], 0x80);  // the half note ended by the pause
    const size_t atPause = sent.size();
    Advance(3000);
    EXPECT_EQ(PlayedMessages().size(), atPause);
    ContinuePlayback();
    Advance(5000);
    sent = PlayedMessages();
    ASSERT_GT(sent.size(), atPause);
    EXPECT_EQ(sent[atPause].bytes[0], 0x90);  // measure 2's note
    // Measure 2 starts at 4,097 ms unpaused; the pause moved it 3 seconds on.
    EXPECT_NEAR(sent[atPause].ms, 4097 + 3000, 10);
    StopPlayback();
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(PlaybackFlags().PlaybackActive.load(), 0);
}

// Stop in the middle of a note ends it; a second Stop does nothing.
TEST_F(PlaybackTest, StopEndsSoundingNotes) {
    AddOutputs();
    BuildScore(1, 1);
    Note(1, 1, 0, 12, 0);
    ASSERT_EQ(StartPlayback(Request(1, 1)), PlaybackStart::Started);
    Advance(200);
    StopPlayback();
    std::vector<midi::headless::SentMessage> sent = PlayedMessages();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].bytes[0], 0x80);
    EXPECT_TRUE(StopPlayback().empty());
    EXPECT_EQ(PlayedMessages().size(), 2u);
}

// Pause and Stop end every note the devices may still hold: once on each device
// and channel the voices play on (a port past H on port A), the sustain pedal up,
// All Notes Off and then a note-off for each of the 128 keys; the metronome's keys
// when it plays.
TEST_F(PlaybackTest, PauseAndStopSilenceEveryVoiceChannel) {
    AddOutputs();
    BuildScore(2, 1);
    StaffRecordOf(doc_, 1)->timbres[2] = StaffTimbre{9, 4, 0, 0};  // port 9 plays on A
    StaffRecordOf(doc_, 2)->timbres[3] = StaffTimbre{0xFF, 6, 0, 0};  // unset: silent
    Note(1, 1, 0, kHalf, 0);
    PlaybackRequest request = Request(1, 1);
    request.ports.entries = {1, 2, 0, 0, 0, 0, 0, 0};
    request.options.metronome = true;
    request.metronome.port = 1;
    request.metronome.channel = 9;
    request.metronome.barKey = 75;
    request.metronome.beatKey = 72;
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    Advance(200);
    const auto sweeps = [](int device, int channel) {
        int allOff = 0, keysOff = 0;
        for (const midi::headless::SentMessage& sent : midi::headless::Sent()) {
            if (sent.port != device || sent.bytes.size() != 3 || (sent.bytes[0] & 0x0F) != channel) continue;
            allOff += sent.bytes[0] >> 4 == 0xB && sent.bytes[1] == 123 && sent.bytes[2] == 0 ? 1 : 0;
            keysOff += sent.bytes[0] >> 4 == 0x9 && sent.bytes[2] == 0 ? 1 : 0;
        }
        return std::pair{allOff, keysOff};
    };
    EXPECT_EQ(sweeps(0, 0), std::pair(0, 0));
    PausePlayback();
    EXPECT_EQ(sweeps(0, 0), std::pair(1, 128));
    midi::headless::ClearSent();
    StopPlayback();
    Advance(500);  // stopped in the last measure: the sweep follows its ring
    EXPECT_EQ(sweeps(0, 0), std::pair(1, 128));  // staff 1 on A
    EXPECT_EQ(sweeps(0, 4), std::pair(1, 128));  // its voice 3 on port 9, played on A
    EXPECT_EQ(sweeps(1, 1), std::pair(1, 128));  // staff 2 on B
    EXPECT_EQ(sweeps(1, 6), std::pair(0, 0));
    EXPECT_EQ(sweeps(1, 0), std::pair(0, 0));
    // A sweep lifts the sustain pedal first: a held pedal would keep the notes on.
    int pedalsUp = 0;
    for (const midi::headless::SentMessage& sent : midi::headless::Sent())
        pedalsUp += sent.port == 0 && sent.bytes == std::vector<uint8_t>{0xB0, 64, 0} ? 1 : 0;
    EXPECT_EQ(pedalsUp, 1);
    int metronomeOffs = 0;
    for (const midi::headless::SentMessage& sent : midi::headless::Sent())
        metronomeOffs += sent.port == 1 && sent.bytes[0] == 0x89 && (sent.bytes[1] == 75 || sent.bytes[1] == 72) ? 1 : 0;
    EXPECT_EQ(metronomeOffs, 2);
}

// Two staves on Synth A and Synth B, one channel and one key: a quarter on A and a
// half on B. Played out, and stopped while both sound, each device hears its
// note end.
TEST_F(PlaybackTest, OneKeyOnTwoDevicesEndsOnBoth) {
    for (bool stopEarly : {false, true}) {
        SCOPED_TRACE(stopEarly ? "Stop" : "to the end");
        TearDown();
        SetUp();
        AddOutputs();
        BuildScore(2, 1);
        for (StaffTimbre& timbre : StaffRecordOf(doc_, 2)->timbres) timbre.channel = 0;
        Note(1, 1, 0, kQuarter, 0);
        Note(2, 1, 0, kHalf, 0);
        PlaybackRequest request = Request(1, 1);
        request.ports.entries = {1, 2, 0, 0, 0, 0, 0, 0};
        ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
        if (stopEarly) {
            Advance(500);
            StopPlayback();
        } else {
            PlayToEnd();
        }
        for (int device : {0, 1}) {
            std::vector<uint8_t> last;
            for (const midi::headless::SentMessage& sent : PlayedMessages())
                if (sent.port == device && sent.bytes.size() == 3 && sent.bytes[1] == 64) last = sent.bytes;
            ASSERT_EQ(last.size(), 3u) << "device " << device;
            EXPECT_EQ(last[0], 0x80) << "the note hangs on device " << device;
        }
    }
}

// A repeat of the whole piece on its final barline, `|: 1 2 3 :|`, plays the
// three measures twice: a quarter at the start of each bar, six bars.
TEST_F(PlaybackTest, RepeatOnTheFinalBarlinePlaysTwice) {
    AddOutputs();
    BuildScore(1, 3);
    for (int m = 1; m <= 3; ++m) Note(1, m, 0, kQuarter, m);
    SetBarline(1, 5);
    SetBarline(4, kEnd, 1);
    ASSERT_EQ(StartPlayback(Request(1, 3)), PlaybackStart::Started);
    PlayToEnd();
    std::vector<uint32_t> ons;
    std::vector<int> keys;
    for (const midi::headless::SentMessage& sent : PlayedMessages()) {
        if (sent.bytes[0] != 0x90) continue;
        ons.push_back(sent.ms);
        keys.push_back(sent.bytes[1]);
    }
    EXPECT_EQ(ons, (std::vector<uint32_t>{1, 4097, 8193, 12289, 16385, 20481}));
    EXPECT_EQ(keys, (std::vector<int>{62, 60, 59, 62, 60, 59}));  // D4, C4, B3 twice
}

// A saved name finds its device after the list reorders; without a name the
// entry index decides; a port whose saved device is missing plays on port A's
// device; an unchosen port plays on the default device (the first output here).
TEST_F(PlaybackTest, PortsFindTheirDevices) {
    std::vector<midi::DeviceInfo> devices = {{"Keys", midi::DeviceKind::Port, false, true},
                                             {"Synth B", midi::DeviceKind::Port, true, false},
                                             {"Synth A", midi::DeviceKind::Port, true, false}};
    PortChoices choices;
    choices.names[0] = "Synth A";
    choices.entries[0] = 1;  // stale: Synth A was first when saved
    choices.entries[1] = 1;
    choices.names[2] = "Gone";
    std::array<std::string, kLogicalPortCount> names = ResolvePortDevices(devices, choices);
    EXPECT_EQ(names[0], "Synth A");
    EXPECT_EQ(names[1], "Synth B");
    EXPECT_EQ(names[2], "Synth A");
    EXPECT_EQ(names[7], "Synth B");
    // Nothing found for port A either: the first output.
    EXPECT_EQ(ResolvePortDevices(devices, PortChoices{})[0], "Synth B");
    // No output at all: no device for any port.
    EXPECT_EQ(ResolvePortDevices({devices[0]}, PortChoices{})[0], "");
}

// A missing device plays on port A for the run and the staff keeps its port.
TEST_F(PlaybackTest, MissingDevicePlaysOnPortA) {
    AddOutputs();
    BuildScore(2, 1);
    Note(2, 1, 0, kQuarter, 0);
    PlaybackRequest request = Request(1, 1);
    request.ports.names = {"Synth B", "Unplugged", "", "", "", "", "", ""};
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    PlayToEnd();
    std::vector<midi::headless::SentMessage> sent = PlayedMessages();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].port, 1);  // Synth B, port A's device
    EXPECT_EQ(StaffRecordOf(doc_, 2)->timbres[0].port, 1);
}

// Without any output device the run is refused and nothing opens or plays; with
// no document or an empty range there is nothing to play.
TEST_F(PlaybackTest, StartRefusals) {
    BuildScore(1, 1);
    Note(1, 1, 0, kQuarter, 0);
    midi::headless::AddDevice("Keys", false, true);
    EXPECT_EQ(StartPlayback(Request(1, 1)), PlaybackStart::NoOutput);
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(PlaybackFlags().PlaybackActive.load(), 0);
    AddOutputs();
    EXPECT_EQ(StartPlayback(Request(2, 1)), PlaybackStart::NothingToPlay);
    PlaybackRequest none = Request(1, 1);
    none.view = nullptr;
    EXPECT_EQ(StartPlayback(none), PlaybackStart::NothingToPlay);
    ASSERT_EQ(StartPlayback(Request(1, 1)), PlaybackStart::Started);
    EXPECT_EQ(StartPlayback(Request(1, 1)), PlaybackStart::AlreadyRunning);
    Advance(100);
    EXPECT_TRUE(PlayedMessages().size() >= 1u);
}

// A run takes the score's mute and solo flags, whatever the last run left in the
// live tables: a muted staff is silent, and with a soloed staff only it sounds.
TEST_F(PlaybackTest, RunTakesTheScoresMuteAndSolo) {
    AddOutputs();
    BuildScore(3, 1);
    for (int staff = 1; staff <= 3; ++staff) Note(staff, 1, 0, kQuarter, staff);
    SetSlotMute(TheSequencerState(), 1, true);  // left over from an earlier run
    doc_->staffMix[3].mute = 1;
    ASSERT_EQ(StartPlayback(Request(1, 1)), PlaybackStart::Started);
    PlayToEnd();
    std::vector<uint8_t> channels;
    for (const midi::headless::SentMessage& sent : PlayedMessages())
        if ((sent.bytes[0] & 0xF0) == 0x90) channels.push_back(sent.bytes[0] & 0x0F);
    EXPECT_EQ(channels, (std::vector<uint8_t>{0, 1}));  // staves 1 and 2; staff 3 muted
    midi::headless::ClearSent();
    doc_->staffMix[2].solo = 1;
    ASSERT_EQ(StartPlayback(Request(1, 1)), PlaybackStart::Started);
    PlayToEnd();
    channels.clear();
    for (const midi::headless::SentMessage& sent : PlayedMessages())
        if ((sent.bytes[0] & 0xF0) == 0x90) channels.push_back(sent.bytes[0] & 0x0F);
    EXPECT_EQ(channels, (std::vector<uint8_t>{1}));
}

// The metronome on a device of its own that no port plays on: the run opens it,
// and the clicks (with the metronome's patch) go there while the notes go to
// port A. A metronome device that will not open refuses the run, naming it.
TEST_F(PlaybackTest, MetronomeOnItsOwnDevice) {
    AddOutputs();
    midi::headless::AddDevice("Clicks", true, false);
    BuildScore(1, 1);
    Note(1, 1, 0, kQuarter, 0);
    PlaybackRequest request = Request(1, 1);
    request.ports.names = {"Synth A", "Synth A", "", "", "", "", "", ""};
    request.options.metronome = true;
    request.metronome.device = "Clicks";
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    PlayToEnd();
    std::vector<int> noteDevices;
    std::vector<int> clickDevices;
    for (const midi::headless::SentMessage& sent : PlayedMessages()) {
        if ((sent.bytes[0] & 0x0F) == request.metronome.channel) clickDevices.push_back(sent.port);
        else noteDevices.push_back(sent.port);
    }
    EXPECT_EQ(noteDevices, (std::vector<int>{0, 0}));
    ASSERT_FALSE(clickDevices.empty());
    EXPECT_TRUE(std::all_of(clickDevices.begin(), clickDevices.end(), [](int d) { return d == 2; }));
    midi::headless::FailWrites("Clicks");
    EXPECT_EQ(StartPlayback(request), PlaybackStart::DeviceFailed);
    ASSERT_EQ(PlaybackNotices().size(), 1u);
    EXPECT_NE(PlaybackNotices()[0].find("\"Clicks\""), std::string::npos);
    EXPECT_EQ(PlaybackDeviceOfPort(0), nullptr);
}

// Without a timer no run starts: "Can't start timer", nothing left open, nothing
// sent. A paused run that cannot have a new timer stays paused for its stop.
TEST_F(PlaybackTest, NoTimerNoRun) {
    AddOutputs();
    BuildScore(1, 1);
    Note(1, 1, 0, kQuarter, 0);
    midi::headless::FailTimers(true);
    EXPECT_EQ(StartPlayback(Request(1, 1)), PlaybackStart::TimerFailed);
    EXPECT_EQ(PlaybackNotices(), std::vector<std::string>{"Can't start timer"});
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(PlaybackFlags().PlaybackActive.load(), 0);
    EXPECT_EQ(PlaybackDeviceOfPort(0), nullptr);
    Advance(500);
    EXPECT_TRUE(PlayedMessages().empty());
    midi::headless::FailTimers(false);
    ASSERT_EQ(StartPlayback(Request(1, 1)), PlaybackStart::Started);
    PausePlayback();
    midi::headless::FailTimers(true);
    EXPECT_FALSE(ContinuePlayback());
    EXPECT_TRUE(IsPlaybackPaused());
    EXPECT_EQ(PlaybackNotices(), std::vector<std::string>{"Can't start timer"});
    StopPlayback();
    EXPECT_FALSE(IsPlaybackRunning());
}

}  // namespace
}  // namespace ql::testing
