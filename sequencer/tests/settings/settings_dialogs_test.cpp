// The MIDI and playback settings dialogs driven as a user would: OK stores the
// options, settings keys and document fields; Cancel leaves the settings store and
// the document's bytes as they were; typed numbers out of range are clamped on OK
// with one beep for the whole OK.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/settings/score_settings.h"
#include "core/settings/setting_values.h"
#include "platform/midi/headless.h"
#include "platform/sys/settings_store.h"
#include "platform/ui/controls.h"
#include "platform/ui/headless.h"
#include "sequencer/midi_settings_resources.h"
#include "sequencer/playback.h"
#include "sequencer/sequencer_services.h"
#include "sequencer/sequencer_state.h"
#include "sequencer/settings_dialogs.h"
#include "sequencer/tests/builder/score_fixture.h"
#include "sequencer/transcription_dialog_resources.h"

namespace ql::testing {
namespace {

using ui::headless::DialogDriver;

constexpr char kMain[] = "Options";

class SettingsDialogTest : public ScoreTest {
  protected:
    void SetUp() override {
        ScoreTest::SetUp();
        RegisterMidiSettingsResources();
        RegisterTranscriptionDialogResources();
        BuildScore(3, 12);
    }
    void TearDown() override {
        CloseMidiOutputPorts();
        ResetProgramOptions();
        sys::CloseProgramSettings();
        ScoreTest::TearDown();
    }
    static size_t BeepCount() { return ui::headless::Beeps().size(); }
    static std::optional<int32_t> Stored(const char* key) { return sys::ProgramSettings().ReadNumber(kMain, key); }
    static std::optional<std::string> StoredText(const char* key) { return sys::ProgramSettings().ReadText(kMain, key); }
    std::vector<uint8_t> HeaderBytes() const {
        std::vector<uint8_t> bytes(sizeof doc_->header);
        std::memcpy(bytes.data(), &doc_->header, bytes.size());
        bytes.push_back(static_cast<uint8_t>(doc_->extraVelocity));
        bytes.insert(bytes.end(), std::begin(doc_->patchesInUse), std::end(doc_->patchesInUse));
        return bytes;
    }
};

// Metronome Setup: channel 20 and volume 300 store "MetronomeCH" 15 and
// "MetronomeKv" 127 with one beep; the keys, patch and tempo are stored as typed,
// the patch is marked used; in-range values store without a beep.
TEST_F(SettingsDialogTest, MetronomeClampsOnOkWithOneBeep) {
    namespace m = metronome_dialog;
    const auto run = [&](const char* channel, const char* volume) {
        ui::headless::SetDialogScript(m::kDialog, [=](DialogDriver& d) {
            d.Type(m::kChannel, channel);
            d.Type(m::kVolume, volume);
            d.Type(m::kBarKey, "80");
            d.Type(m::kBeatKey, "81");
            d.Type(m::kPatch, "12");
            d.Type(m::kTempo, "144");
            d.SetChecked(m::kSaveNow, true);
            d.Click(ui::kIdOk);
        });
        return RunMetronomeDialog(view_);
    };
    size_t beeps = BeepCount();
    EXPECT_EQ(run("20", "300"), 1);
    EXPECT_EQ(BeepCount(), beeps + 1);
    EXPECT_EQ(ql::Options().MetronomeCH, 15);
    EXPECT_EQ(Stored("MetronomeCH"), 15);
    EXPECT_EQ(Stored("MetronomeKv"), 127);
    EXPECT_EQ(Stored("MetronomeBarKey"), 80);
    EXPECT_EQ(Stored("MetronomeBeatKey"), 81);
    EXPECT_EQ(Stored("MetronomePatch"), 12);
    EXPECT_EQ(Stored("Tempo"), 144);
    EXPECT_EQ(TempoSetting(), 144);
    EXPECT_TRUE(IsPatchUsed(doc_, 12));

    beeps = BeepCount();
    EXPECT_EQ(run("3", "64"), 1);
    EXPECT_EQ(BeepCount(), beeps);
    EXPECT_EQ(Stored("MetronomeCH"), 2);
    EXPECT_EQ(Stored("MetronomeKv"), 64);
}

// Cancel after typing leaves the options, the settings store and the document.
TEST_F(SettingsDialogTest, CancelChangesNothing) {
    const sys::SettingsTree before = sys::ProgramSettings().Tree();
    const std::vector<uint8_t> bytes = HeaderBytes();
    const int32_t channel = ql::Options().MetronomeCH;
    ui::headless::SetDialogScript(metronome_dialog::kDialog, [](DialogDriver& d) {
        d.Type(metronome_dialog::kChannel, "5");
        d.Type(metronome_dialog::kTempo, "200");
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunMetronomeDialog(view_), 2);
    ui::headless::SetDialogScript(playback_settings_dialog::kDialog, [](DialogDriver& d) {
        d.Type(playback_settings_dialog::kVelocity, "40");
        d.Type(playback_settings_dialog::kRtcFrequency, "9");
        d.PressEscape();
    });
    EXPECT_EQ(RunPlaybackSettingsDialog(view_), 2);
    ui::headless::SetDialogScript(patch_cache_dialog::kDialog, [](DialogDriver& d) {
        d.Select(patch_cache_dialog::kAllPatches, 5);
        d.Click(patch_cache_dialog::kAdd);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunPatchCachingDialog(view_), 2);
    for (int id : {record_setup_dialog::kDialog, thru_dialog::kDialog, sync_dialog::kDialog, note_durations_dialog::kDialog}) {
        ui::headless::SetDialogScript(id, [](DialogDriver& d) { d.Click(ui::kIdCancel); });
    }
    EXPECT_EQ(RunRecordSetupDialog(view_), 2);
    EXPECT_EQ(RunThruDialog(view_), 2);
    EXPECT_EQ(RunSyncDialog(view_), 2);
    EXPECT_EQ(RunNoteDurationsDialog(view_), 2);
    EXPECT_EQ(sys::ProgramSettings().Tree(), before);
    EXPECT_EQ(HeaderBytes(), bytes);
    EXPECT_EQ(ql::Options().MetronomeCH, channel);
    EXPECT_EQ(doc_->changeCounter, 0);
}

// "Audition" plays the entered key on the entered channel and volume, note-on then
// note-off, on the metronome device, opening it first.
TEST_F(SettingsDialogTest, AuditionSendsTheEnteredKey) {
    namespace m = metronome_dialog;
    midi::headless::AddDevice("Synth", true, false);
    const int click = midi::headless::AddDevice("Click", true, false);
    ql::Options().MetronomePort = 2;
    ui::headless::SetDialogScript(m::kDialog, [](DialogDriver& d) {
        d.Type(m::kChannel, "4");
        d.Type(m::kBeatKey, "61");
        d.Type(m::kVolume, "99");
        d.Click(m::kAuditionBeat);
        d.Click(ui::kIdCancel);
    });
    midi::headless::ClearSent();
    EXPECT_EQ(RunMetronomeDialog(view_), 2);
    const std::vector<midi::headless::SentMessage> sent = midi::headless::Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].port, click);
    EXPECT_EQ(sent[0].bytes, (std::vector<uint8_t>{0x93, 61, 99}));
    EXPECT_EQ(sent[1].bytes, (std::vector<uint8_t>{0x83, 61, 0}));
}

// Playback Settings: RTC frequency 0 stores 1 with one beep; the additional
// velocity goes to the document and the live table and marks the document; the
// range and its mode are kept; tempo stored.
TEST_F(SettingsDialogTest, PlaybackSettingsStoreTheirFields) {
    namespace p = playback_settings_dialog;
    ui::headless::SetDialogScript(p::kDialog, [](DialogDriver& d) {
        d.Type(p::kRtcFrequency, "0");
        d.Type(p::kVelocity, "-20");
        d.Type(p::kTempo, "96");
        d.Click(p::kRange);
        d.Type(p::kRangeFirst, "3");
        d.Type(p::kRangeLast, "7");
        d.Click(ui::kIdOk);
    });
    const size_t beeps = BeepCount();
    EXPECT_EQ(RunPlaybackSettingsDialog(view_), 1);
    EXPECT_EQ(BeepCount(), beeps + 1);
    EXPECT_EQ(Stored("RTCFrequency"), 1);
    EXPECT_EQ(ql::Options().RTCFrequency, 1);
    EXPECT_EQ(doc_->extraVelocity, -20);
    EXPECT_EQ(TheSequencerState().live.masterVelocityOffset.load(), -20);
    EXPECT_NE(doc_->changeCounter, 0);
    EXPECT_EQ(ql::Options().PlayRangeMode, 4);
    EXPECT_EQ(ql::Options().PlayRangeFirst, 3);
    EXPECT_EQ(ql::Options().PlayRangeLast, 7);
    EXPECT_EQ(doc_->header.tempo, 96);
}

// Port Assignment stores the entries and the device names, and reopens the output
// ports on OK and on Cancel, having closed them while open.
TEST_F(SettingsDialogTest, PortAssignmentStoresNamesAndReopens) {
    namespace p = port_assignment_dialog;
    midi::headless::AddDevice("Synth", true, false);
    midi::headless::AddDevice("Keys", false, true);
    midi::headless::AddDevice("Module", true, false);
    ql::Options().MidiPortMap[0] = 1;
    ASSERT_EQ(OpenMidiOutputPort(1), 1);
    bool closedWhileOpen = false;
    ui::headless::SetDialogScript(p::kDialog, [&](DialogDriver& d) {
        closedWhileOpen = !IsMidiOutputPortOpen(1);
        d.Select(p::kFirstPort + 1, 2);
        d.Select(p::kRecord, 1);
        d.Select(p::kMetronome, 2);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunPortAssignmentDialog(view_), 1);
    EXPECT_TRUE(closedWhileOpen);
    EXPECT_EQ(ql::Options().MidiPortMap[1], 2);
    // The ports nobody changed keep their stored choice (here entries, no names).
    EXPECT_EQ(ql::Options().MidiPortMap[0], 1);
    EXPECT_EQ(StoredText("MidiPortNames"), "|Module||||||");
    EXPECT_EQ(StoredText("RecordPortName"), "Keys");
    EXPECT_EQ(Stored("MetronomePort"), 2);
    EXPECT_EQ(StoredText("MetronomePortName"), "Module");
    EXPECT_TRUE(IsMidiOutputPortOpen(1));
    EXPECT_TRUE(IsMidiOutputPortOpen(2));

    ui::headless::SetDialogScript(p::kDialog, [&](DialogDriver& d) { d.Click(ui::kIdCancel); });
    EXPECT_EQ(RunPortAssignmentDialog(view_), 2);
    EXPECT_TRUE(IsMidiOutputPortOpen(1));
    EXPECT_TRUE(IsMidiOutputPortOpen(2));
}

// The dialog shows the device each port plays on, as a run finds it, and "NONE"
// only for a port set to none: stored maps of a first start and of earlier
// versions (a port nobody chose, stored as entry 0) show the default device.
// "NONE" chosen is stored as the none entry and shown again as "NONE"; a run then
// has no device for that port.
TEST_F(SettingsDialogTest, PortAssignmentShowsWhatPlays) {
    namespace p = port_assignment_dialog;
    midi::headless::AddDevice("Synth", true, false);
    midi::headless::AddDevice("Module", true, false);
    struct Row {
        const char* what;
        const char* map;
        const char* names;
        std::array<const char*, 3> shown;  // ports A, B and C
    };
    const Row rows[] = {
        {"a first start", "", "", {"Synth", "Synth", "Synth"}},
        {"an earlier version's map", "0,0,0,0,0,0,0,0", "", {"Synth", "Synth", "Synth"}},
        {"entries and names", "2,0,255,0,0,0,0,0", "|Module", {"Module", "Module", "NONE"}},
        {"an unplugged device plays on port A's", "0,0,0,0,0,0,0,0", "Module|Unplugged", {"Module", "Module", "Synth"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ResetProgramOptions();
        if (const auto map = ParseNumberList(row.map, kLogicalPortCount))
            for (int port = 0; port < kLogicalPortCount; ++port) ql::Options().MidiPortMap[port] = static_cast<uint8_t>((*map)[port]);
        ql::Options().MidiPortNames = row.names;
        std::array<std::string, 3> shown;
        ui::headless::SetDialogScript(p::kDialog, [&](DialogDriver& d) {
            for (int port = 0; port < 3; ++port) shown[port] = d.Text(p::kFirstPort + port);
            d.Click(ui::kIdCancel);
        });
        RunPortAssignmentDialog(view_);
        for (int port = 0; port < 3; ++port) EXPECT_EQ(shown[port], row.shown[port]) << "port " << port;
        const std::array<std::string, kLogicalPortCount> playing =
            ResolvePortDevices(midi::CurrentBackend().Devices(), SavedPortChoices());
        for (int port = 0; port < 3; ++port)
            EXPECT_EQ(playing[port].empty() ? std::string("NONE") : playing[port], shown[port]) << "port " << port;
    }
    ResetProgramOptions();
    ui::headless::SetDialogScript(p::kDialog, [&](DialogDriver& d) {
        d.Select(p::kFirstPort + 1, 0);  // NONE
        d.Click(ui::kIdOk);
    });
    RunPortAssignmentDialog(view_);
    EXPECT_EQ(ql::Options().MidiPortMap[1], kNoDeviceEntry);
    EXPECT_EQ(StoredText("MidiPortNames"), "|||||||");
    std::string shownB;
    ui::headless::SetDialogScript(p::kDialog, [&](DialogDriver& d) {
        shownB = d.Text(p::kFirstPort + 1);
        d.Click(ui::kIdCancel);
    });
    RunPortAssignmentDialog(view_);
    EXPECT_EQ(shownB, "NONE");
    EXPECT_EQ(ResolvePortDevices(midi::CurrentBackend().Devices(), SavedPortChoices())[1], "");
}

// OK keeps the stored choice of every port and of the metronome that the user did
// not change, though the dialog shows an unplugged device's stand-in; a changed
// one is stored by name and entry, and the metronome's device shown is the one
// the run and Audition use.
TEST_F(SettingsDialogTest, PortAssignmentKeepsWhatTheUserDidNotChange) {
    namespace p = port_assignment_dialog;
    midi::headless::AddDevice("Synth", true, false);
    midi::headless::AddDevice("Module", true, false);
    midi::headless::AddDevice("Other", true, false);
    ql::Options().MidiPortNames = "Module|Unplugged|Unplugged";
    ql::Options().MetronomePort = 1;  // "Synth"
    ql::Options().MetronomePortName = "Other";
    std::string metronomeShown;
    ui::headless::SetDialogScript(p::kDialog, [&](DialogDriver& d) {
        metronomeShown = d.Text(p::kMetronome);
        d.Select(p::kFirstPort + 2, 3);  // port C on "Other"
        d.Click(ui::kIdOk);
    });
    RunPortAssignmentDialog(view_);
    EXPECT_EQ(metronomeShown, "Other");
    EXPECT_EQ(StoredText("MidiPortNames"), "Module|Unplugged|Other|||||");
    EXPECT_EQ(SavedMetronomeDevice(midi::CurrentBackend().Devices()), "Other");
    // The metronome moved to "Module": the run and the dialog both find it.
    ui::headless::SetDialogScript(p::kDialog, [&](DialogDriver& d) {
        d.Select(p::kMetronome, 2);
        d.Click(ui::kIdOk);
    });
    RunPortAssignmentDialog(view_);
    EXPECT_EQ(StoredText("MetronomePortName"), "Module");
    EXPECT_EQ(SavedMetronomeDevice(midi::CurrentBackend().Devices()), "Module");
}

// Thru and sync masks are stored bit per port; without an input device the sync
// modes are forced to None and cannot be chosen.
TEST_F(SettingsDialogTest, ThruAndSyncStorePortMasks) {
    ui::headless::SetDialogScript(thru_dialog::kDialog, [](DialogDriver& d) {
        d.SetChecked(thru_dialog::kFirstSendPort, false);
        d.SetChecked(thru_dialog::kFirstSendPort + 2, true);
        d.Click(ui::kIdOk);
    });
    ql::Options().ThruPorts = 1;
    EXPECT_EQ(RunThruDialog(view_), 1);
    EXPECT_EQ(Stored("ThruPorts"), 4);

    namespace s = sync_dialog;
    ql::Options().PlaySyncMode = 1;
    bool refused = false;
    ui::headless::SetDialogScript(s::kDialog, [&](DialogDriver& d) {
        refused = !d.Click(s::kPlayNone + 2) && d.IsChecked(s::kPlayNone);
        d.SetChecked(s::kFirstSendPort + 7, true);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunSyncDialog(view_), 1);
    EXPECT_TRUE(refused);
    EXPECT_EQ(ql::Options().PlaySyncMode, 0);
    EXPECT_EQ(Stored("SyncPorts").value_or(0) & 0x80, 0x80);

    midi::headless::AddDevice("Keys", false, true);
    ui::headless::SetDialogScript(s::kDialog, [&](DialogDriver& d) {
        d.Click(s::kRecordNone + 2);
        d.Select(s::kReceivePort, 1);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunSyncDialog(view_), 1);
    EXPECT_EQ(ql::Options().RecordSyncMode, 2);
}

// Record Setup: split mode with the split staff equal to the record staff stores
// single mode; staves past the score are clamped with one beep; the punch check
// turns "RecordContinue" off.
TEST_F(SettingsDialogTest, RecordSetupStoresModeAndStaves) {
    namespace r = record_setup_dialog;
    ui::headless::SetDialogScript(r::kDialog, [](DialogDriver& d) {
        d.Click(r::kSingle + 1);
        d.Type(r::kRecordStaff, "2");
        d.Type(r::kSplitStaff, "2");
        d.SetChecked(r::kPunch, true);
        d.Type(r::kPunchIn, "4");
        d.Type(r::kPunchOut, "99");
        d.Click(ui::kIdOk);
    });
    const size_t beeps = BeepCount();
    EXPECT_EQ(RunRecordSetupDialog(view_), 1);
    EXPECT_EQ(BeepCount(), beeps + 1);
    EXPECT_EQ(Stored("RecordMode"), 0);
    EXPECT_EQ(Stored("RecordStaff"), 2);
    EXPECT_EQ(Stored("RecordContinue"), 0);
    EXPECT_EQ(ql::Options().PunchIn, 4);
    EXPECT_EQ(ql::Options().PunchOut, 13);

    ui::headless::SetDialogScript(r::kDialog, [](DialogDriver& d) {
        d.Click(r::kSingle + 1);
        d.Type(r::kRecordStaff, "1");
        d.Type(r::kSplitStaff, "3");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunRecordSetupDialog(view_), 1);
    EXPECT_EQ(Stored("RecordMode"), 1);
    EXPECT_EQ(Stored("SplitStaff"), 3);
}

// Patch caching: the right list starts from the mask; OK replaces the mask with
// the list and marks the document.
TEST_F(SettingsDialogTest, PatchCachingReplacesTheMask) {
    namespace c = patch_cache_dialog;
    MarkPatchUsed(doc_, 3);
    MarkPatchUsed(doc_, 200);  // not a listed patch: dropped by OK
    std::string shown;
    ui::headless::SetDialogScript(c::kDialog, [&](DialogDriver& d) {
        shown = ui::ListGetItemText(d.Item(c::kCacheList), 0);
        d.Select(c::kAllPatches, 40);
        d.Click(c::kAdd);
        d.Click(c::kAdd);  // once only
        d.Select(c::kCacheList, 0);
        d.Click(c::kRemove);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunPatchCachingDialog(view_), 1);
    EXPECT_EQ(shown, "   4.  Honky-tonk Piano");
    EXPECT_FALSE(IsPatchUsed(doc_, 3));
    EXPECT_FALSE(IsPatchUsed(doc_, 200));
    EXPECT_TRUE(IsPatchUsed(doc_, 40));
    EXPECT_NE(doc_->changeCounter, 0);
}

// Default note durations: both percents clamped to 25..120 and stored; the score's
// marks the document.
TEST_F(SettingsDialogTest, NoteDurationsStoreBothPercents) {
    namespace d = note_durations_dialog;
    ui::headless::SetDialogScript(d::kDialog, [](DialogDriver& dr) {
        dr.Type(d::kScore, "10");
        dr.Type(d::kNewFiles, "75");
        dr.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunNoteDurationsDialog(view_), 1);
    EXPECT_EQ(doc_->header.notePlaybackPercent, 25);
    EXPECT_EQ(Stored("NotePlaybackPercent"), 75);
    EXPECT_NE(doc_->changeCounter, 0);
}

}  // namespace
}  // namespace ql::testing
