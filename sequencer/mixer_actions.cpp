// What the mixer's controls do (see mixer_window.h): faders moved, mute and solo
// toggled, Control Changes sent, and every control refreshed from the document.
#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/settings/logical_ports.h"
#include "core/settings/score_settings.h"
#include "objects/object_services.h"
#include "platform/ui/controls.h"
#include "platform/ui/trackbar.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "sequencer/engine.h"
#include "sequencer/mixer_window.h"
#include "sequencer/performance_builder.h"
#include "sequencer/playback.h"
#include "sequencer/sequencer_services.h"
#include "sequencer/sequencer_state.h"

namespace ql {
namespace {

constexpr uint32_t kControlChange = 0xB0;
constexpr int kMidiTop = 127;
constexpr uint32_t kTicksPerBeat = 1024;
constexpr uint8_t kChannelBits = 0x0F;

bool IsTempo(int fader) { return fader == kMixerTempoIndex; }

FaderRange RangeOf(const MixerWindow* mixer, int fader) {
    return IsTempo(fader) ? mixer->tempoRange : mixer->faderRange;
}

ScoreDocument* DocumentOf(const MixerWindow* mixer) {
    return mixer != nullptr && mixer->view != nullptr ? mixer->view->document : nullptr;
}

bool IsStaffFader(int fader) { return fader >= 1 && fader <= kMixerStaffFaders; }

// The fader of a trackbar; -1 for none.
int FaderOfTrackbar(const MixerWindow* mixer, platform::WindowHandle trackbar) {
    for (int f = 0; f <= kMixerTempoIndex; ++f)
        if (mixer->faders[f].trackbar == trackbar && trackbar) return f;
    return -1;
}

// The device and channel of each voice of the staff that has a port with a
// device: the device the port plays on now (the run's while one is on).
std::vector<std::pair<midi::OutputDevice*, int>> StaffDestinations(ScoreDocument* document, int staff) {
    std::vector<std::pair<midi::OutputDevice*, int>> found;
    const StaffRecord* record = StaffRecordOf(document, staff);
    for (int v = 0; record != nullptr && v < kVoicesPerStaff; ++v) {
        const int port = static_cast<int8_t>(record->timbres[v].port);
        midi::OutputDevice* device = port >= 0 && port < kLogicalPortCount ? DeviceOfLogicalPort(port) : nullptr;
        if (device == nullptr) continue;
        const std::pair<midi::OutputDevice*, int> destination{device, record->timbres[v].channel & kChannelBits};
        if (std::find(found.begin(), found.end(), destination) == found.end()) found.push_back(destination);
    }
    return found;
}

void SendControl(midi::OutputDevice* device, int channel, int controller, int value) {
    const uint32_t message = (kControlChange | static_cast<uint32_t>(channel)) |
                             static_cast<uint32_t>(std::clamp(controller, 0, kMidiTop)) << 8 |
                             static_cast<uint32_t>(std::clamp(value, 0, kMidiTop)) << 16;
    device->Send(message);
}

// The fader's value written to the document and the live tables, or sent.
void ApplyFader(MixerWindow* mixer, int fader, int32_t value) {
    ScoreDocument* document = DocumentOf(mixer);
    if (document == nullptr) return;
    SequencerState& state = TheSequencerState();
    if (IsTempo(fader)) {
        SetTempoSetting(static_cast<uint16_t>(value));
        document->header.tempo = static_cast<uint16_t>(value);
        SetPerformanceRate(state, static_cast<uint32_t>(value) * kTicksPerBeat);
    } else if (mixer->mode == 1) {
        if (fader == 0) SendMixerControllerAll(mixer, mixer->controller, value);
        else SendMixerController(mixer, StaffOfFader(mixer, fader), mixer->controller, value);
    } else if (fader == 0) {
        document->extraVelocity = static_cast<int8_t>(value);
        SetMasterVelocityOffset(state, value);
    } else {
        const int staff = StaffOfFader(mixer, fader);
        document->staffMix[staff].velocityOffset = static_cast<int8_t>(value);
        SetSlotVelocityOffset(state, staff, value);
    }
    SetDocumentModifiedUnlocked(document);
}


// Toggles one flag of the staff; the other is cleared when this one comes on.
int ToggleStaffFlag(ScoreView* view, int staff, bool mute) {
    if (view == nullptr || view->document == nullptr) return 0;
    ScoreDocument* document = view->document;
    if (staff < 1 || staff > document->header.staffCount || staff >= kMixerStaves) return 0;
    StaffMix& mix = document->staffMix[staff];
    uint8_t& flag = mute ? mix.mute : mix.solo;
    uint8_t& other = mute ? mix.solo : mix.mute;
    flag = flag != 0 ? 0 : 1;
    SequencerState& state = TheSequencerState();
    if (flag != 0 && other != 0) {
        other = 0;
        if (mute) SetSlotSolo(state, staff, false);
        else SetSlotMute(state, staff, false);
    }
    if (mute) SetSlotMute(state, staff, flag != 0);
    else SetSlotSolo(state, staff, flag != 0);
    SetDocumentModifiedUnlocked(document);
    RefreshAllOf(view);
    return 1;
}

}  // namespace

int MixerStaffCount(const MixerWindow* mixer) {
    const ScoreDocument* document = DocumentOf(mixer);
    return document != nullptr ? std::min<int>(document->header.staffCount, kMixerStaves - 1) : 0;
}

int StaffOfFader(const MixerWindow* mixer, int fader) {
    return mixer != nullptr && IsStaffFader(fader) ? fader + mixer->firstStaff : 0;
}

int LastMixerOffset(const MixerWindow* mixer) {
    return mixer != nullptr ? std::max(0, MixerStaffCount(mixer) - mixer->fadersShown) : 0;
}

void ScrollMixer(MixerWindow* mixer, win::ScrollCode code, int32_t position) {
    if (mixer == nullptr) return;
    int offset = mixer->firstStaff;
    switch (code) {
        case win::ScrollCode::LineUp: --offset; break;
        case win::ScrollCode::LineDown: ++offset; break;
        case win::ScrollCode::PageUp: offset -= mixer->fadersShown; break;
        case win::ScrollCode::PageDown: offset += mixer->fadersShown; break;
        case win::ScrollCode::Top: offset = 0; break;
        case win::ScrollCode::Bottom: offset = LastMixerOffset(mixer); break;
        case win::ScrollCode::ThumbTrack:
        case win::ScrollCode::ThumbPosition: offset = position; break;
        case win::ScrollCode::EndScroll: return;
    }
    offset = std::clamp(offset, 0, LastMixerOffset(mixer));
    if (offset == mixer->firstStaff) return;
    mixer->firstStaff = offset;
    RefreshMixer(mixer);
}

int32_t FaderValueFromPosition(const MixerWindow* mixer, int fader, int32_t position) {
    const int32_t value = FaderValueAt(RangeOf(mixer, fader), position);
    return IsTempo(fader) ? NearestTableTempo(value) : value;
}

void ShowFaderName(MixerWindow* mixer, int fader) {
    std::string name;
    const int staff = StaffOfFader(mixer, fader);
    if (IsTempo(fader)) {
        name = "Tempo";
    } else if (fader == 0) {
        name = "Master Fader";
    } else if (staff > MixerStaffCount(mixer)) {
        name = "Unused fader";
    } else {
        ScoreDocument* document = DocumentOf(mixer);
        if (document != nullptr) {
            ScopedPoolSet pools(document->pools);
            name = StaffLabelText(StaffRecordOf(document, staff));
        }
        if (name.empty()) {
            char text[32];
            std::snprintf(text, sizeof text, "%s #%d", "Staff", staff);
            name = text;
        }
    }
    win::SetWindowText(mixer->nameReadout, name);
}

void HandleFaderScroll(MixerWindow* mixer, win::ScrollCode code, platform::WindowHandle trackbar) {
    const int fader = FaderOfTrackbar(mixer, trackbar);
    if (fader < 0 || code == win::ScrollCode::EndScroll) return;
    ShowFaderName(mixer, fader);
    if (IsStaffFader(fader) && StaffOfFader(mixer, fader) > MixerStaffCount(mixer)) {
        ui::SetTrackbarPosition(trackbar, FaderPositionOf(mixer->faderRange, 0));
        return;
    }
    const FaderRange range = RangeOf(mixer, fader);
    const int32_t value =
        ScrolledFaderValue(range, IsTempo(fader), mixer->faders[fader].value, code, ui::GetTrackbarPosition(trackbar));
    mixer->faders[fader].value = value;
    ui::SetTrackbarPosition(trackbar, FaderPositionOf(range, value));
    win::SetWindowText(mixer->valueReadout, std::to_string(value));
    ApplyFader(mixer, fader, value);
}

void RefreshMixer(MixerWindow* mixer) {
    const ScoreDocument* document = DocumentOf(mixer);
    if (document == nullptr || !mixer->window) return;
    const int staves = MixerStaffCount(mixer);
    // Staves may have gone since the last scroll.
    mixer->firstStaff = std::clamp(mixer->firstStaff, 0, LastMixerOffset(mixer));
    if (mixer->scroller) {
        win::SetScrollRange(mixer->scroller, win::ScrollBar::Control, 0, LastMixerOffset(mixer), false);
        win::SetScrollPosition(mixer->scroller, win::ScrollBar::Control, mixer->firstStaff, true);
        win::ShowWindow(mixer->scroller, LastMixerOffset(mixer) > 0 ? win::ShowCommand::Show : win::ShowCommand::Hide);
    }
    for (int f = 0; f <= kMixerTempoIndex; ++f) {
        MixerFader& fader = mixer->faders[f];
        if (!fader.trackbar) continue;
        const int staff = StaffOfFader(mixer, f);
        const bool used = staff >= 1 && staff <= staves;
        if (IsTempo(f)) fader.value = NearestTableTempo(TempoSetting());
        else if (f == 0) fader.value = mixer->mode == 0 ? document->extraVelocity : fader.value;
        else if (used && mixer->mode == 0) fader.value = document->staffMix[staff].velocityOffset;
        ui::SetTrackbarPosition(fader.trackbar, FaderPositionOf(RangeOf(mixer, f), fader.value));
        if (fader.solo) {
            win::ShowWindow(fader.solo, used ? win::ShowCommand::Show : win::ShowCommand::Hide);
            win::ShowWindow(fader.mute, used ? win::ShowCommand::Show : win::ShowCommand::Hide);
            win::InvalidateRect(fader.solo, nullptr, false);  // their pictures follow the flags
            win::InvalidateRect(fader.mute, nullptr, false);
        }
        if (fader.number) win::SetWindowText(fader.number, std::to_string(f + mixer->firstStaff));
    }
    // Setup is refused during a run, so it is not offered then.
    if (mixer->setup) {
        win::ShowWindow(mixer->setup, IsPlaybackRunning() ? win::ShowCommand::Hide : win::ShowCommand::Show);
        win::InvalidateRect(mixer->setup, nullptr, false);
    }
}

void RefreshAllOf(ScoreView* view) {
    for (MixerWindow* m = FirstMixerOf(view); m != nullptr; m = m->next)
        if (m->window) RefreshMixer(m);
}

void SendMixerControllerAll(MixerWindow* mixer, int controller, int value) {
    ScoreDocument* document = DocumentOf(mixer);
    std::vector<std::pair<midi::OutputDevice*, int>> sent;
    for (int staff = 1; staff <= MixerStaffCount(mixer); ++staff)
        for (const auto& destination : StaffDestinations(document, staff)) {
            if (std::find(sent.begin(), sent.end(), destination) != sent.end()) continue;
            sent.push_back(destination);
            SendControl(destination.first, destination.second, controller, value);
        }
}

void SendMixerController(MixerWindow* mixer, int staff, int controller, int value) {
    for (const auto& [device, channel] : StaffDestinations(DocumentOf(mixer), staff))
        SendControl(device, channel, controller, value);
}

void SetMixerTempo(MixerWindow* mixer, int /*tempo*/) {
    if (mixer != nullptr && mixer->window) win::PostMessage(mixer->window, win::PrivateMessage(kMixerTempoMessage - win::kPrivateMessageBase), 0, 0);
}

int sequencing::ToggleViewStaffMute(ScoreView* view, int staff) { return ToggleStaffFlag(view, staff, true); }
int sequencing::ToggleViewStaffSolo(ScoreView* view, int staff) { return ToggleStaffFlag(view, staff, false); }

void ToggleMixerMute(MixerWindow* mixer, int staff) {
    if (mixer != nullptr) ToggleViewStaffMute(mixer->view, staff + mixer->firstStaff);
}

void ToggleMixerSolo(MixerWindow* mixer, int staff) {
    if (mixer != nullptr) ToggleViewStaffSolo(mixer->view, staff + mixer->firstStaff);
}

}  // namespace ql
