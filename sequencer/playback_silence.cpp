// Silencing every note a run may have left sounding, at Pause and at Stop: the
// metronome's two keys (when it plays), then on each device and channel a staff's
// voices play on the sustain pedal up, All Notes Off and a note-off (a note-on of
// velocity 0) for each of the 128 keys, for devices that ignore All Notes Off or
// hold notes the engine did not count (a note sent thru, a sustain the device
// keeps). Every note the engine itself sent is ended by the engine at the stop.
#include <algorithm>
#include <utility>
#include <vector>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "sequencer/engine_internal.h"
#include "sequencer/playback_internal.h"

namespace ql::playback_detail {
namespace {

constexpr uint8_t kControlStatus = 0xB0;
constexpr uint32_t kSustainPedal = 64;
constexpr uint32_t kAllNotesOff = 123;
constexpr int kKeyShift = 8;
constexpr int kValueShift = 16;

uint32_t ChannelMessage(uint8_t status, int channel, uint32_t data1, uint32_t data2) {
    return static_cast<uint32_t>(status | (channel & engine_detail::kChannelMask)) | (data1 << kKeyShift) |
           (data2 << kValueShift);
}

// The devices and channels the score's voices play on, each pair once.
std::vector<std::pair<midi::OutputDevice*, int>> VoiceChannels(ScoreDocument* document,
                                                               const DeviceOfPort& deviceOfPort) {
    std::vector<std::pair<midi::OutputDevice*, int>> found;
    const int staves = document != nullptr ? std::min<int>(document->header.staffCount, kMaxStaves) : 0;
    for (int staff = 1; staff <= staves; ++staff) {
        const StaffRecord* record = StaffRecordOf(document, staff);
        for (int v = 0; record != nullptr && v < kVoicesPerStaff; ++v) {
            const int port = static_cast<int8_t>(record->timbres[v].port);
            const int channel = static_cast<int8_t>(record->timbres[v].channel);
            if (port < 0 || channel < 0) continue;
            midi::OutputDevice* device = engine_detail::UsableDevice(deviceOfPort(port < kLogicalPortCount ? port : 0));
            const std::pair<midi::OutputDevice*, int> pair{device, channel & engine_detail::kChannelMask};
            if (device != nullptr && std::find(found.begin(), found.end(), pair) == found.end()) found.push_back(pair);
        }
    }
    return found;
}

// The pedal up and All Notes Off; false when the device refuses.
bool EndChannel(midi::OutputDevice* device, int channel) {
    device->Send(ChannelMessage(kControlStatus, channel, kSustainPedal, 0));
    return device->Send(ChannelMessage(kControlStatus, channel, kAllNotesOff, 0));
}

}  // namespace

void SilenceVoiceChannels(ScoreDocument* document, const DeviceOfPort& deviceOfPort) {
    SilencePlan plan;
    plan.channels = VoiceChannels(document, deviceOfPort);
    SendSilence(plan);
}

SilencePlan PlanSilence(const SequencerState& state, ScoreDocument* document) {
    const RunConstants& run = state.run;
    SilencePlan plan;
    plan.metronome = run.metronomeOn ? engine_detail::UsableDevice(run.metronomeHandle) : nullptr;
    plan.metronomeChannel = run.metronomeChannel;
    plan.metronomeKeys = {run.metronomeBarKey, run.metronomeBeatKey};
    plan.channels = VoiceChannels(document, [&](int port) { return state.run.portHandle[port]; });
    return plan;
}

void SendSilence(const SilencePlan& plan) {
    if (midi::OutputDevice* metronome = engine_detail::UsableDevice(plan.metronome)) {
        for (const uint8_t key : plan.metronomeKeys)
            metronome->Send(ChannelMessage(engine_detail::kNoteOff, plan.metronomeChannel, key, 0));
    }
    for (const auto& [device, channel] : plan.channels) {
        if (engine_detail::UsableDevice(device) == nullptr || !EndChannel(device, channel)) continue;
        for (uint32_t key = 0; key < kMidiKeys; ++key)
            device->Send(ChannelMessage(engine_detail::kNoteOn, channel, key, 0));
    }
}

void SilenceAllNotes(const SequencerState& state, ScoreDocument* document) {
    SendSilence(PlanSilence(state, document));
}

}  // namespace ql::playback_detail
