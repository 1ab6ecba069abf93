// The mixer on the virtual clock with virtual devices: fader arithmetic and the
// tempo table, faders writing the document and the live tables, mute and solo with
// the engine's note-offs, controller mode, the chain of at most eight mixers and
// closing that only hides.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "core/settings/score_settings.h"
#include "core/state.h"
#include "objects/text_box/text_box_class.h"
#include "platform/gfx/bitmap.h"
#include "platform/midi/headless.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "platform/ui/trackbar.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "sequencer/midi_settings_resources.h"
#include "sequencer/mixer_buttons.h"
#include "sequencer/mixer_window.h"
#include "sequencer/playback.h"
#include "sequencer/sequencer_services.h"
#include "sequencer/sequencer_state.h"
#include "sequencer/tests/builder/score_fixture.h"
#include "staves/staff_mix_keys.h"

namespace ql::testing {
namespace {

class MixerTest : public ScoreTest {
  protected:
    void TearDown() override {
        DestroyMixerWindows(view_);
        win::headless::SetScreenSize({1280, 1024});
        CloseMidiOutputPorts();
        ResetProgramOptions();
        ScoreTest::TearDown();
    }
    static std::string Text(platform::WindowHandle w) { return win::GetWindowText(w); }
};

TEST(MixerFaders, ValuesFromPositionsAndTheTempoTable) {
    const FaderRange range{-64, 64};
    EXPECT_EQ(FaderValueAt(range, 0), 63);
    EXPECT_EQ(FaderValueAt(range, 63), 0);
    EXPECT_EQ(FaderValueAt(range, 127), -64);
    EXPECT_EQ(FaderValueAt(range, 128), -64);
    EXPECT_EQ(FaderPositionOf(range, 0), 63);
    EXPECT_EQ(FaderValueAt(range, FaderPositionOf(range, 20)), 20);
    EXPECT_EQ(NearestTableTempo(97), 96);
    EXPECT_EQ(NearestTableTempo(98), 100);
    EXPECT_EQ(NearestTableTempo(10), 40);
    EXPECT_EQ(NearestTableTempo(500), 208);
    // Tempo lines and pages move along the table, within the fader's range.
    const FaderRange tempo{40, 210};
    EXPECT_EQ(ScrolledFaderValue(tempo, true, 96, win::ScrollCode::LineUp, 0), 100);
    EXPECT_EQ(ScrolledFaderValue(tempo, true, 96, win::ScrollCode::PageDown, 0), 66);
    EXPECT_EQ(ScrolledFaderValue(tempo, true, 208, win::ScrollCode::LineUp, 0), 208);
    EXPECT_EQ(ScrolledFaderValue(range, false, 60, win::ScrollCode::PageUp, 0), 64);
    EXPECT_EQ(ScrolledFaderValue(range, false, 0, win::ScrollCode::ThumbTrack, 0), 63);
}

// A 3-staff score shows 8 faders; the five past the score are "Unused fader" and
// moving one changes nothing.
TEST_F(MixerTest, ThreeStavesShowEightFaders) {
    BuildScore(3, 2);
    MixerWindow* mixer = ShowMixerWindow(view_);
    ASSERT_NE(mixer, nullptr);
    EXPECT_EQ(mixer->fadersShown, 8);
    EXPECT_EQ(Text(mixer->window), "Mixer");
    EXPECT_EQ(view_->MixerWindow, mixer->window);
    int unused = 0;
    for (int fader = 1; fader <= kMixerStaffFaders; ++fader) {
        if (!mixer->faders[fader].trackbar) continue;
        ShowFaderName(mixer, fader);
        if (Text(mixer->nameReadout) == "Unused fader") ++unused;
    }
    EXPECT_EQ(unused, 5);
    win::SendMessage(mixer->faders[2].trackbar, win::Message::MouseMove, 0, 0);  // the pointer over it
    EXPECT_EQ(Text(mixer->nameReadout), "Staff #2");
    win::SendMessage(mixer->faders[0].trackbar, win::Message::MouseMove, 0, 0);
    EXPECT_EQ(Text(mixer->nameReadout), "Master Fader");
    EXPECT_FALSE(mixer->faders[9].trackbar);
    EXPECT_FALSE(win::IsWindowVisible(mixer->faders[5].solo));
    const uint16_t counter = doc_->changeCounter;
    ui::MoveTrackbar(mixer->faders[5].trackbar, win::ScrollCode::PageUp);
    EXPECT_EQ(doc_->changeCounter, counter);
    EXPECT_EQ(Text(mixer->nameReadout), "Unused fader");
}

// The name readout shows a staff's label, and "Staff #n" for a staff without one
// or with an empty one.
TEST_F(MixerTest, TheNameReadoutShowsTheStaffLabel) {
    BuildScore(3, 1);
    const auto label = [&](int staff, const char* text) {
        view_->currentStaff = staff;
        ScoreObject* object = ConstructStaffLabelWithText(view_, text);
        ASSERT_NE(object, nullptr);
        StaffRecord* record = StaffRecordOf(doc_, staff);
        if (!record->objects) record->objects = Ref32<ScoreObject>::To(AllocRootObject());
        ASSERT_TRUE(record->objects);
        InsertObjectAfter(record->objects.get(), object);
    };
    label(1, "Violin I");
    label(3, "");
    MixerWindow* mixer = ShowMixerWindow(view_);
    ASSERT_NE(mixer, nullptr);
    const auto name = [&](int fader) {
        win::SendMessage(mixer->faders[fader].trackbar, win::Message::MouseMove, 0, 0);
        return Text(mixer->nameReadout);
    };
    EXPECT_EQ(name(1), "Violin I");
    EXPECT_EQ(name(2), "Staff #2");
    EXPECT_EQ(name(3), "Staff #3");
    ui::MoveTrackbar(mixer->faders[1].trackbar, win::ScrollCode::PageUp);
    EXPECT_EQ(Text(mixer->nameReadout), "Violin I");
}

// At the narrowest pitch "Master" and "BPM" each have the room of both faders on
// a row of their own, inside the window and clear of each other and of the
// faders, also after the window is resized.
TEST_F(MixerTest, TheMasterAndBpmLabelsNeverOverlap) {
    win::headless::SetScreenSize({640, 480});
    BuildScore(44, 1);
    MixerWindow* mixer = ShowMixerWindow(view_);
    ASSERT_NE(mixer, nullptr);
    ASSERT_EQ(mixer->faderPitch, 16);  // the least fader width and the gap
    const auto check = [&] {
        const win::Rect client = win::GetClientRect(mixer->window);
        const auto at = [&](platform::WindowHandle w) {
            const win::Rect r = win::GetWindowRect(w);
            const win::Point p = win::ScreenToClient(mixer->window, {r.left, r.top});
            return win::Rect{p.x, p.y, p.x + r.Width(), p.y + r.Height()};
        };
        const win::Rect master = at(mixer->masterLabel);
        const win::Rect bpm = at(mixer->bpmLabel);
        const win::Rect masterFader = at(mixer->faders[0].trackbar);
        const win::Rect tempoFader = at(mixer->faders[kMixerTempoIndex].trackbar);
        EXPECT_TRUE(master.bottom <= bpm.top || bpm.bottom <= master.top);
        for (const win::Rect& r : {master, bpm}) {
            EXPECT_EQ(r.left, masterFader.left);
            EXPECT_GE(r.right, tempoFader.right);
            EXPECT_GE(r.top, masterFader.bottom);
            EXPECT_LE(r.right, client.right);
            EXPECT_LE(r.bottom, client.bottom);
        }
        EXPECT_LE(tempoFader.right, client.right);
    };
    check();
    const win::Rect frame = win::GetWindowRect(mixer->window);
    win::MoveWindow(mixer->window, {frame.left, frame.top, frame.right, frame.bottom + 120}, true);
    RelayoutFaders(mixer);
    check();
}

// At the widest pitch the tempo fader lies inside the window.
TEST_F(MixerTest, TheTempoFaderFitsAtTheWidestPitch) {
    BuildScore(2, 1);
    MixerWindow* mixer = ShowMixerWindow(view_);
    ASSERT_NE(mixer, nullptr);
    ASSERT_EQ(mixer->faderPitch, 42);
    const win::Rect tempo = win::GetWindowRect(mixer->faders[kMixerTempoIndex].trackbar);
    const win::Point right = win::ScreenToClient(mixer->window, {tempo.right, tempo.bottom});
    EXPECT_LE(right.x, win::GetClientRect(mixer->window).right);
}

// A staff fader writes the staff's offset in the document and the live table, the
// master fader the master offset, the tempo fader the tempo snapped to the table;
// the document is marked even while a run holds the modification lock.
TEST_F(MixerTest, FadersWriteTheDocumentAndTheLiveTables) {
    BuildScore(2, 1);
    MixerWindow* mixer = ShowMixerWindow(view_);
    ASSERT_NE(mixer, nullptr);
    PlaybackFlags().PlaybackActive.store(1);
    ui::MoveTrackbar(mixer->faders[2].trackbar, win::ScrollCode::ThumbTrack, 0);
    EXPECT_EQ(doc_->staffMix[2].velocityOffset, 63);
    EXPECT_EQ(TheSequencerState().live.velocityOffset[2].load(), 63);
    EXPECT_EQ(Text(mixer->valueReadout), "63");
    EXPECT_NE(doc_->changeCounter, 0);
    PlaybackFlags().PlaybackActive.store(0);
    ui::MoveTrackbar(mixer->faders[0].trackbar, win::ScrollCode::PageDown);
    EXPECT_EQ(doc_->extraVelocity, -8);
    EXPECT_EQ(TheSequencerState().live.masterVelocityOffset.load(), -8);
    // Position 84 of 40..210 reads 97, which plays as 96.
    ui::MoveTrackbar(mixer->faders[kMixerTempoIndex].trackbar, win::ScrollCode::ThumbPosition, 84);
    EXPECT_EQ(doc_->header.tempo, 96);
    EXPECT_EQ(TempoSetting(), 96);
    EXPECT_EQ(TheSequencerState().rate.load(), 96u * 1024);
    EXPECT_EQ(Text(mixer->nameReadout), "Tempo");
}

// Soloing a muted staff unmutes it; muting a soloed staff that sounds two notes
// unsoloes it, and the engine's next call ends both notes and nothing else.
TEST_F(MixerTest, MuteAndSoloClearEachOtherAndEndTheNotes) {
    midi::headless::AddDevice("Synth", true, false);
    BuildScore(1, 1);
    Note(1, 1, 0, kHalf, 0);
    Note(1, 1, 0, kHalf, 4);
    ASSERT_EQ(ToggleViewStaffMute(view_, 1), 1);
    EXPECT_EQ(doc_->staffMix[1].mute, 1);
    view_->currentStaff = 1;
    ASSERT_EQ(ToggleStaffSolo(view_), 1);  // the S key
    EXPECT_EQ(doc_->staffMix[1].solo, 1);
    EXPECT_EQ(doc_->staffMix[1].mute, 0);
    EXPECT_EQ(TheSequencerState().live.mute[1].load(), 0);

    PlaybackRequest request = Request(1, 1);
    request.ports.entries = {1, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    Advance(100);
    const size_t before = PlayedMessages().size();
    int ons = 0;
    for (const midi::headless::SentMessage& sent : PlayedMessages()) ons += (sent.bytes[0] & 0xF0) == 0x90;
    ASSERT_EQ(ons, 2);
    ASSERT_EQ(ToggleStaffMute(view_), 1);  // the M key
    EXPECT_EQ(doc_->staffMix[1].mute, 1);
    EXPECT_EQ(doc_->staffMix[1].solo, 0);
    Advance(3000);  // past the notes' own ends, which a muted staff does not send
    const std::vector<midi::headless::SentMessage> sent = PlayedMessages();
    std::vector<int> offs;
    for (size_t i = before; i < sent.size(); ++i)
        if ((sent[i].bytes[0] & 0xF0) == 0x80 || ((sent[i].bytes[0] & 0xF0) == 0x90 && sent[i].bytes[2] == 0))
            offs.push_back(sent[i].bytes[1]);
    EXPECT_EQ(offs.size(), 2u);
    StopPlayback();
    EXPECT_EQ(ToggleViewStaffMute(view_, 2), 0);  // past the score
}

// Setup is refused during a run, and the mixers of the run's view stop offering it
// when the run starts and offer it again when it stops.
TEST_F(MixerTest, SetupIsHiddenWhileARunIsActive) {
    midi::headless::AddDevice("Synth", true, false);
    BuildScore(1, 1);
    Note(1, 1, 0, kHalf, 0);
    MixerWindow* mixer = ShowMixerWindow(view_);
    ASSERT_NE(mixer, nullptr);
    EXPECT_TRUE(win::IsWindowVisible(mixer->setup));
    PlaybackRequest request = Request(1, 1);
    request.ports.entries = {1, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    EXPECT_FALSE(win::IsWindowVisible(mixer->setup));
    win::SendMessage(mixer->window, win::Message::Paint, 0, 0);
    EXPECT_FALSE(win::IsWindowVisible(mixer->setup));
    StopPlayback();
    EXPECT_TRUE(win::IsWindowVisible(mixer->setup));
}

// Controller mode: the master fader sends one Control Change per distinct port and
// channel of all staves with a device; a staff fader to its own.
TEST_F(MixerTest, ControllerModeSendsOncePerPortAndChannel) {
    midi::headless::AddDevice("Synth", true, false);
    BuildScore(3, 1);
    for (StaffTimbre& t : StaffRecordOf(doc_, 3)->timbres) t = StaffTimbre{0, 0, 0, 0};  // as staff 1
    ql::Options().MidiPortMap[0] = 1;
    ql::Options().MidiPortMap[1] = 1;
    MixerWindow* mixer = ShowMixerWindow(view_);
    ASSERT_NE(mixer, nullptr);
    mixer->mode = 1;
    mixer->controller = 7;
    mixer->faderRange = {0, 127};
    midi::headless::ClearSent();
    ui::MoveTrackbar(mixer->faders[0].trackbar, win::ScrollCode::ThumbTrack, 0);
    std::vector<std::vector<uint8_t>> sent;
    for (const midi::headless::SentMessage& s : PlayedMessages()) sent.push_back(s.bytes);
    EXPECT_EQ(sent, (std::vector<std::vector<uint8_t>>{{0xB0, 7, 126}, {0xB1, 7, 126}}));
    EXPECT_EQ(doc_->extraVelocity, 0);
}

// With the settings of a first start (no port chosen) the faders reach the
// default device; during a run they reach the run's own device, and the port
// map's stays closed.
TEST_F(MixerTest, ControllerFadersReachTheDeviceThatPlays) {
    midi::headless::AddDevice("Synth", true, false);
    BuildScore(2, 1);
    Note(1, 1, 0, kHalf, 0);
    MixerWindow* mixer = ShowMixerWindow(view_);
    ASSERT_NE(mixer, nullptr);
    mixer->mode = 1;
    mixer->controller = 7;
    mixer->faderRange = {0, 127};
    const auto controllers = [] {
        std::vector<std::vector<uint8_t>> sent;
        for (const midi::headless::SentMessage& s : PlayedMessages())
            if ((s.bytes[0] & 0xF0) == 0xB0) sent.push_back(s.bytes);
        midi::headless::ClearSent();
        return sent;
    };
    ui::MoveTrackbar(mixer->faders[0].trackbar, win::ScrollCode::ThumbTrack, 0);
    EXPECT_EQ(controllers(), (std::vector<std::vector<uint8_t>>{{0xB0, 7, 126}, {0xB1, 7, 126}}));
    CloseMidiOutputPorts();
    ASSERT_EQ(StartPlayback(Request(1, 1)), PlaybackStart::Started);
    ui::MoveTrackbar(mixer->faders[1].trackbar, win::ScrollCode::ThumbTrack, 10);
    EXPECT_EQ(controllers(), (std::vector<std::vector<uint8_t>>{{0xB0, 7, 116}}));
    EXPECT_FALSE(IsMidiOutputPortOpen(1)) << "the fader opened the port map's device during the run";
    StopPlayback();
}

// Eight mixers per view; the ninth shows "Unable to create Mixer.". Closing one
// only hides it, and the next show brings that one back.
TEST_F(MixerTest, EightMixersAtMostAndCloseHides) {
    BuildScore(2, 1);
    std::vector<MixerWindow*> mixers;
    for (int i = 0; i < kMixersPerView; ++i) mixers.push_back(ShowMixerWindow(view_));
    EXPECT_EQ(Text(mixers[1]->window), "Mixer 2");
    const size_t boxes = ui::headless::MessageBoxes().size();
    EXPECT_EQ(ShowMixerWindow(view_), nullptr);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), boxes + 1);
    EXPECT_EQ(ui::headless::MessageBoxes().back().text, "Unable to create Mixer.");

    const platform::WindowHandle third = mixers[2]->window;
    win::SendMessage(third, win::Message::Close, 0, 0);
    EXPECT_TRUE(win::IsWindow(third));
    EXPECT_FALSE(win::IsWindowVisible(third));
    EXPECT_EQ(ShowMixerWindow(view_), mixers[2]);
    EXPECT_TRUE(win::IsWindowVisible(third));

    ToggleMixerWindow(view_, false);
    EXPECT_FALSE(IsAnyMixerShown(view_));
    EXPECT_EQ(ShowMixerWindow(view_), mixers[0]);
}

// Setup (849) from the mixer's button: equal fader bounds become 0..127, the
// controller mode captions the mixer by its controller; Cancel keeps everything.
TEST_F(MixerTest, SetupChangesModeAndRanges) {
    namespace m = mixer_setup_dialog;
    RegisterMidiSettingsResources();
    BuildScore(2, 1);
    MixerWindow* mixer = ShowMixerWindow(view_);
    ASSERT_NE(mixer, nullptr);
    bool disabled = false;
    ui::headless::SetDialogScript(m::kDialog, [&](ui::headless::DialogDriver& d) {
        disabled = !win::IsWindowEnabled(mixer->window);
        d.Click(m::kControllerMode);
        d.Type(m::kController, "7");
        d.Type(m::kFaderFrom, "20");
        d.Type(m::kFaderTo, "20");
        d.Type(m::kTempoFrom, "100");
        d.Type(m::kTempoTo, "60");
        d.Click(ui::kIdOk);
    });
    win::SendMessage(mixer->window, win::Message::Command, kMixerSetup, 0);
    EXPECT_TRUE(disabled);
    EXPECT_TRUE(win::IsWindowEnabled(mixer->window));
    EXPECT_EQ(mixer->mode, 1);
    EXPECT_EQ(mixer->faderRange.minimum, 0);
    EXPECT_EQ(mixer->faderRange.maximum, 127);
    EXPECT_EQ(mixer->tempoRange.minimum, 60);
    EXPECT_EQ(mixer->tempoRange.maximum, 100);
    EXPECT_EQ(Text(mixer->window), "Mixer MIDI volume");
    mixer->controller = 20;
    EXPECT_EQ(MixerCaption(mixer), "Mixer Realtime Controller #20");
    mixer->mode = 0;
    EXPECT_EQ(MixerCaption(mixer), "Mixer  Key velocity");

    ui::headless::SetDialogScript(m::kDialog, [](ui::headless::DialogDriver& d) {
        d.Type(m::kFaderFrom, "-5");
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunMixerSetupDialog(mixer), 2);
    EXPECT_EQ(mixer->faderRange.minimum, 0);

    // Each number steps with its arrows, within the range it stores.
    std::optional<int32_t> controller, tempoTo, faderFrom;
    ui::headless::SetDialogScript(m::kDialog, [&](ui::headless::DialogDriver& d) {
        EXPECT_TRUE(d.StepUpDown(m::kController - 1, 200));
        EXPECT_TRUE(d.StepUpDown(m::kTempoTo - 1, 1000));
        EXPECT_TRUE(d.StepUpDown(m::kFaderFrom - 1, -300));
        controller = d.Int(m::kController);
        tempoTo = d.Int(m::kTempoTo);
        faderFrom = d.Int(m::kFaderFrom);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunMixerSetupDialog(mixer), 1);
    EXPECT_EQ(controller, 127);
    EXPECT_EQ(tempoTo, 880);
    EXPECT_EQ(faderFrom, -127);
    EXPECT_EQ(mixer->controller, 127);
    EXPECT_EQ(mixer->tempoRange.maximum, 880);
    EXPECT_EQ(mixer->faderRange.minimum, -127);
}

// The buttons are drawn from their pictures: PLAY with its green triangle, solo
// and mute grey while off and yellow or red once the staff is soloed or muted (or
// while pressed); the buttons of faders past the score and Setup during a run are
// not drawn.
TEST_F(MixerTest, ButtonsShowThePicturesOfTheirState) {
    BuildScore(2, 1);
    MixerWindow* mixer = ShowMixerWindow(view_);
    ASSERT_NE(mixer, nullptr);
    const auto pixels = [](platform::WindowHandle button, gfx::Colour colour) {
        win::InvalidateRect(button, nullptr, true);
        win::UpdateWindow(button);
        int count = 0;
        for (const gfx::Colour c : gfx::ReadBitmapPixels(win::GetWindowImage(button))) count += c == colour ? 1 : 0;
        return count;
    };
    constexpr gfx::Colour kGreen = gfx::Rgb(0, 144, 0), kYellow = gfx::Rgb(255, 208, 0), kRed = gfx::Rgb(200, 24, 24);
    EXPECT_GT(pixels(mixer->play, kGreen), 10);
    EXPECT_EQ(pixels(mixer->faders[1].solo, kYellow), 0);
    EXPECT_EQ(MixerButtonFaceOf(mixer, kMixerSoloBase + 1, false), MixerButtonFace::SoloOff);
    EXPECT_EQ(MixerButtonFaceOf(mixer, kMixerSoloBase + 1, true), MixerButtonFace::SoloOn);
    win::SendMessage(mixer->window, win::Message::Command, win::MakeCommandWord(kMixerSoloBase + 1, 0), 0);
    EXPECT_EQ(doc_->staffMix[1].solo, 1);
    EXPECT_GT(pixels(mixer->faders[1].solo, kYellow), 10);
    win::SendMessage(mixer->window, win::Message::Command, win::MakeCommandWord(kMixerMuteBase + 2, 0), 0);
    EXPECT_GT(pixels(mixer->faders[2].mute, kRed), 10);
    EXPECT_EQ(pixels(mixer->faders[1].mute, kRed), 0);
    EXPECT_EQ(MixerButtonFaceOf(mixer, kMixerSoloBase + 3, true), MixerButtonFace::None);  // past the score
    EXPECT_EQ(MixerButtonFaceOf(mixer, kMixerSetup, false), MixerButtonFace::Setup);
    midi::headless::AddDevice("Synth A", true, false);
    Note(1, 1, 0, kHalf, 0);
    ASSERT_EQ(StartPlayback(Request(1, 1)), PlaybackStart::Started);
    EXPECT_EQ(MixerButtonFaceOf(mixer, kMixerSetup, false), MixerButtonFace::None);
    StopPlayback();
}

// A score with more staves than faders: the scroller over the faders moves the
// scroll offset, and every fader, button, label and name then stands for its staff
// at that offset, up to the last staff; back at the start they show the first
// staves again.
TEST_F(MixerTest, ScrollingShowsEveryStaffOfALargeScore) {
    BuildScore(60, 1);
    MixerWindow* mixer = ShowMixerWindow(view_);
    ASSERT_NE(mixer, nullptr);
    EXPECT_EQ(mixer->fadersShown, kMixerStaffFaders);
    EXPECT_EQ(LastMixerOffset(mixer), 16);
    ASSERT_TRUE(mixer->scroller);
    EXPECT_TRUE(win::IsWindowVisible(mixer->scroller));
    EXPECT_EQ(win::GetScrollState(mixer->scroller, win::ScrollBar::Control).maximum, 16);
    // The whole window is on the screen, the tempo fader within it.
    const win::Rect frame = win::GetWindowRect(mixer->window);
    EXPECT_GE(frame.left, 0);
    EXPECT_LE(frame.right, win::GetSystemMetric(win::SystemMetric::ScreenWidth));
    EXPECT_LE(win::GetWindowRect(mixer->faders[kMixerTempoIndex].trackbar).right, frame.right);
    const auto scroll = [&](win::ScrollCode code, int32_t position = 0) {
        win::SendMessage(mixer->window, win::Message::HorizontalScroll, win::MakeScrollWord(code, position),
                         win::HandleData(mixer->scroller));
    };
    const platform::WindowHandle last = mixer->faders[kMixerStaffFaders].trackbar;
    scroll(win::ScrollCode::ThumbTrack, 100);  // kept at the last offset
    EXPECT_EQ(mixer->firstStaff, 16);
    EXPECT_EQ(win::GetScrollPosition(mixer->scroller, win::ScrollBar::Control), 16);
    EXPECT_EQ(Text(mixer->faders[kMixerStaffFaders].number), "60");
    EXPECT_EQ(Text(mixer->faders[1].number), "17");
    win::SendMessage(last, win::Message::MouseMove, 0, 0);
    EXPECT_EQ(Text(mixer->nameReadout), "Staff #60");

    ui::MoveTrackbar(last, win::ScrollCode::ThumbTrack, 0);
    EXPECT_EQ(doc_->staffMix[60].velocityOffset, 63);
    EXPECT_EQ(TheSequencerState().live.velocityOffset[60].load(), 63);
    EXPECT_EQ(doc_->staffMix[44].velocityOffset, 0);
    win::SendMessage(mixer->window, win::Message::Command, win::MakeCommandWord(kMixerMuteBase + kMixerStaffFaders, 0), 0);
    EXPECT_EQ(doc_->staffMix[60].mute, 1);
    EXPECT_EQ(doc_->staffMix[44].mute, 0);
    EXPECT_EQ(MixerButtonFaceOf(mixer, kMixerMuteBase + kMixerStaffFaders, false), MixerButtonFace::MuteOn);

    // Lines by one staff, pages by the faders shown, within 0..16.
    scroll(win::ScrollCode::LineUp);
    EXPECT_EQ(mixer->firstStaff, 15);
    EXPECT_EQ(Text(mixer->faders[kMixerStaffFaders].number), "59");
    EXPECT_EQ(MixerButtonFaceOf(mixer, kMixerMuteBase + kMixerStaffFaders, false), MixerButtonFace::MuteOff);
    EXPECT_EQ(ui::GetTrackbarPosition(last), FaderPositionOf(mixer->faderRange, 0));
    scroll(win::ScrollCode::PageUp);
    EXPECT_EQ(mixer->firstStaff, 0);
    EXPECT_EQ(Text(mixer->faders[kMixerStaffFaders].number), "44");
    scroll(win::ScrollCode::LineDown);
    scroll(win::ScrollCode::PageDown);
    EXPECT_EQ(mixer->firstStaff, 16);
    EXPECT_EQ(ui::GetTrackbarPosition(last), FaderPositionOf(mixer->faderRange, 63));
    EXPECT_EQ(MixerButtonFaceOf(mixer, kMixerMuteBase + kMixerStaffFaders, false), MixerButtonFace::MuteOn);

    // Controller mode: the fader sends to the staff it stands for.
    midi::headless::AddDevice("Synth", true, false);
    ql::Options().MidiPortMap[0] = 1;
    for (StaffTimbre& t : StaffRecordOf(doc_, 60)->timbres) t = StaffTimbre{0, 5, 0, 0};
    mixer->mode = 1;
    mixer->faderRange = {0, 127};
    midi::headless::ClearSent();
    ui::MoveTrackbar(last, win::ScrollCode::ThumbTrack, 0);
    std::vector<std::vector<uint8_t>> sent;
    for (const midi::headless::SentMessage& m : PlayedMessages()) sent.push_back(m.bytes);
    EXPECT_EQ(sent, (std::vector<std::vector<uint8_t>>{{0xB5, 7, 126}}));
}

// A score of few enough staves keeps the scroller hidden; staves that go while the
// mixer is scrolled bring the offset back within the staves left.
TEST_F(MixerTest, TheOffsetFollowsTheStaffCount) {
    BuildScore(60, 1);
    doc_->header.staffCount = 44;
    MixerWindow* mixer = ShowMixerWindow(view_);
    ASSERT_NE(mixer, nullptr);
    EXPECT_FALSE(win::IsWindowVisible(mixer->scroller));
    EXPECT_EQ(LastMixerOffset(mixer), 0);
    ScrollMixer(mixer, win::ScrollCode::Bottom, 0);
    EXPECT_EQ(mixer->firstStaff, 0);
    // Shown again for the score's new staves, the window is made anew.
    doc_->header.staffCount = 60;
    ToggleMixerWindow(view_, false);
    ASSERT_EQ(ShowMixerWindow(view_), mixer);
    EXPECT_TRUE(win::IsWindowVisible(mixer->scroller));
    ScrollMixer(mixer, win::ScrollCode::Bottom, 0);
    EXPECT_EQ(mixer->firstStaff, 16);
    doc_->header.staffCount = 50;
    win::SendMessage(mixer->window, win::Message::Paint, 0, 0);
    EXPECT_EQ(mixer->firstStaff, 6);
    EXPECT_EQ(win::GetScrollState(mixer->scroller, win::ScrollBar::Control).maximum, 6);
    EXPECT_EQ(Text(mixer->faders[kMixerStaffFaders].number), "50");
    doc_->header.staffCount = 30;
    win::SendMessage(mixer->window, win::Message::Paint, 0, 0);
    EXPECT_EQ(mixer->firstStaff, 0);
    EXPECT_FALSE(win::IsWindowVisible(mixer->scroller));
    // Made anew for 30 staves, the window has 30 staff faders and no more.
    ToggleMixerWindow(view_, false);
    ASSERT_EQ(ShowMixerWindow(view_), mixer);
    EXPECT_TRUE(mixer->faders[30].trackbar);
    EXPECT_FALSE(mixer->faders[31].trackbar);
    EXPECT_FALSE(mixer->faders[31].mute);
}

// Staves past the 44th have their mute and solo too: the M key on staff 50 mutes
// it in the document, and a run plays it muted.
TEST_F(MixerTest, StavesPastTheFadersMuteAndSolo) {
    midi::headless::AddDevice("Synth", true, false);
    BuildScore(50, 1);
    Note(50, 1, 0, kHalf, 0);
    view_->currentStaff = 50;
    ASSERT_EQ(ToggleStaffMute(view_), 1);
    EXPECT_EQ(doc_->staffMix[50].mute, 1);
    EXPECT_EQ(ToggleViewStaffSolo(view_, 45), 1);
    EXPECT_EQ(doc_->staffMix[45].solo, 1);
    EXPECT_EQ(ToggleViewStaffMute(view_, 51), 0);  // past the score

    PlaybackRequest request = Request(1, 1);
    request.ports.entries = {1, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    EXPECT_EQ(TheSequencerState().live.mute[50].load(), 1);
    EXPECT_EQ(TheSequencerState().live.solo[45].load(), 1);
    StopPlayback();
}

// The last staff the program allows has its mute too, in the document, in a run
// and on the mixer scrolled to its end.
TEST_F(MixerTest, TheLastStaffMutes) {
    midi::headless::AddDevice("Synth", true, false);
    BuildScore(kMaxStaves, 1);
    Note(kMaxStaves, 1, 0, kHalf, 0);
    view_->currentStaff = kMaxStaves;
    ASSERT_EQ(ToggleStaffMute(view_), 1);
    EXPECT_EQ(doc_->staffMix[kMaxStaves].mute, 1);
    MixerWindow* mixer = ShowMixerWindow(view_);
    ASSERT_NE(mixer, nullptr);
    ScrollMixer(mixer, win::ScrollCode::Bottom, 0);
    EXPECT_EQ(StaffOfFader(mixer, kMixerStaffFaders), kMaxStaves);
    EXPECT_EQ(MixerButtonFaceOf(mixer, kMixerMuteBase + kMixerStaffFaders, false), MixerButtonFace::MuteOn);

    PlaybackRequest request = Request(1, 1);
    request.ports.entries = {1, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    EXPECT_EQ(TheSequencerState().live.mute[kMaxStaves].load(), 1);
    StopPlayback();
}

}  // namespace
}  // namespace ql::testing
