// Mixer windows: up to eight floating windows per score view, each with a fader per
// staff, a master fader and a tempo fader, solo and mute buttons per staff, and
// STOP, PLAY and Setup. In key-velocity mode the faders set the staves' and the
// master velocity offsets; in controller mode they send a Control Change to the
// staff's ports and channels. The tempo fader sets the score's tempo. Every change
// writes the document (marking it changed even while playing, not undoable) and
// the engine's live tables at once.
#pragma once

#include <cstdint>
#include <string>

#include "core/ui/midi_services.h"
#include "platform/handles.h"
#include "platform/win/messages.h"
#include "sequencer/mixer_faders.h"

namespace ql {

struct ScoreView;

constexpr char kMixerClass[] = "Mixer";
constexpr int kMixersPerView = 8;
constexpr int kMixerStaffFaders = 44;
constexpr int kMixerLeastFaders = 8;
constexpr int kMixerTempoIndex = 45;  // faders: 0 master, 1..44 staves, 45 tempo
// Control ids: staves 1..44, master 45, tempo 46; solo 100 + staff, mute 200 + staff.
constexpr int32_t kMixerMasterId = 45;
constexpr int32_t kMixerTempoId = 46;
constexpr int32_t kMixerSoloBase = 100;
constexpr int32_t kMixerMuteBase = 200;
constexpr int32_t kMixerStop = 300;
constexpr int32_t kMixerPlay = 400;
constexpr int32_t kMixerSetup = 500;
constexpr uint32_t kMixerTempoMessage = 0x800E;  // moves the tempo fader to "Tempo"

struct MixerFader {
    platform::WindowHandle trackbar;
    platform::WindowHandle solo;
    platform::WindowHandle mute;
    platform::WindowHandle number;
    int32_t value = 0;
};

struct MixerWindow {
    MixerWindow* next = nullptr;
    ScoreView* view = nullptr;
    uint8_t mode = 0;  // 0 key velocity, 1 controller
    bool shown = false;
    platform::WindowHandle window;
    platform::WindowHandle play;
    platform::WindowHandle stop;
    platform::WindowHandle setup;
    FaderRange faderRange{-64, 64};
    FaderRange tempoRange{40, 210};
    int32_t controller = 7;
    MixerFader faders[kMixerTempoIndex + 1] = {};
    platform::WindowHandle readoutFrame;
    platform::WindowHandle valueReadout;
    platform::WindowHandle nameReadout;
    platform::WindowHandle bpmLabel;
    platform::WindowHandle masterLabel;
    // Over the staff faders, shown while the score has more staves than faders: it
    // moves the scroll offset, so that fader f stands for staff f + firstStaff.
    platform::WindowHandle scroller;
    int firstStaff = 0;  // scroll offset
    int leftMargin = 66;
    int faderPitch = 0;
    int faderWidth = 0;
    int windowWidth = 0;
    int staffCount = 0;   // the score's, when the window was made
    int fadersShown = 0;  // staff count clamped to 8..44
};

// A zero-filled mixer of the view (not in its chain, no window yet); the caller owns it.
MixerWindow* ConstructMixerWindow(ScoreView* view);
// Shows the first mixer of the view that is not shown, else appends a new one
// (at most eight). "Unable to create Mixer." when there can be none; null then.
MixerWindow* ShowMixerWindow(ScoreView* view);
// With `show`, ShowMixerWindow; without, hides every mixer of the view.
void ToggleMixerWindow(ScoreView* view, bool show);
bool IsAnyMixerShown(const ScoreView* view);
// Destroys the windows and frees the chain of the view.
void DestroyMixerWindows(ScoreView* view);
// The head of the view's chain; null for none.
MixerWindow* FirstMixerOf(const ScoreView* view);
// The mixer whose window this is; null for none.
MixerWindow* MixerOfWindow(platform::WindowHandle window);

platform::WindowHandle CreateMixerControls(MixerWindow* mixer);
void LayoutMixer(MixerWindow* mixer);
void RelayoutFaders(MixerWindow* mixer);
int32_t FaderValueFromPosition(const MixerWindow* mixer, int fader, int32_t position);
void ShowFaderName(MixerWindow* mixer, int fader);
void HandleFaderScroll(MixerWindow* mixer, win::ScrollCode code, platform::WindowHandle trackbar);
// The staves of the score the mixer serves (each has its entry in the document's
// mixer table); 0 without a document.
int MixerStaffCount(const MixerWindow* mixer);
// The staff a fader (1..44) stands for at the scroll offset; 0 for the master and
// the tempo fader.
int StaffOfFader(const MixerWindow* mixer, int fader);
// The largest scroll offset: the staves beyond the staff faders (0 when they all show).
int LastMixerOffset(const MixerWindow* mixer);
// Moves the scroll offset by a scroll code of the scroller (lines by one staff,
// pages by the faders shown, the thumb to `position`), kept within
// 0..LastMixerOffset, and refreshes the faders for their new staves.
void ScrollMixer(MixerWindow* mixer, win::ScrollCode code, int32_t position);
// Every fader, button and label from the document; the Setup button is hidden while
// a run is active.
void RefreshMixer(MixerWindow* mixer);
// RefreshMixer for every mixer of the view (a run starting or ending).
void RefreshAllOf(ScoreView* view);
void SendMixerControllerAll(MixerWindow* mixer, int controller, int value);
void SendMixerController(MixerWindow* mixer, int staff, int controller, int value);
void SetMixerTempo(MixerWindow* mixer, int tempo);

// The staff's mute and solo toggled for a view (ToggleViewStaffMute,
// ToggleViewStaffSolo) are in core/ui/midi_services.h.

// The Setup dialog (849) with the mixer window disabled; its result.
intptr_t RunMixerSetupDialog(MixerWindow* mixer);
// "Mixer  Key velocity", "Mixer MIDI volume", "Mixer Realtime Controller #20"...
std::string MixerCaption(const MixerWindow* mixer);

intptr_t MixerWndProc(platform::WindowHandle window, win::Message message, uint32_t word, intptr_t data);

}  // namespace ql
