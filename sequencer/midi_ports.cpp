// The output devices opened outside a run (for the port map), All Notes Off on
// them, and the score's patches-in-use mask. Patch caching is not offered by any device of the MIDI
// layer: a caching request opens the ports plainly and keeps the mask.
#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "core/model/score_document.h"
#include "platform/midi/midi.h"
#include "sequencer/logical_ports.h"
#include "sequencer/playback_internal.h"
#include "sequencer/sequencer_services.h"
#include "shell/program_options.h"

namespace ql {
namespace {

constexpr int kPatchCount = 256;
constexpr int kBitsPerByte = 8;
constexpr uint8_t kMidiStop = 0xFC;

// Open devices by entry; owned here until CloseMidiOutputPorts.
std::map<int, std::unique_ptr<midi::OutputDevice>>& OpenOutputs() {
    static std::map<int, std::unique_ptr<midi::OutputDevice>> outputs;
    return outputs;
}

std::vector<midi::DeviceInfo> OutputList() {
    std::vector<midi::DeviceInfo> outputs;
    for (const midi::DeviceInfo& info : midi::CurrentBackend().Devices())
        if (info.output) outputs.push_back(info);
    return outputs;
}

}  // namespace

void MarkPatchUsed(ScoreDocument* document, int patch) {
    if (document == nullptr || patch < 0 || patch >= kPatchCount) return;
    document->patchesInUse[patch / kBitsPerByte] |= static_cast<uint8_t>(1u << (patch % kBitsPerByte));
}

bool IsPatchUsed(const ScoreDocument* document, int patch) {
    if (document == nullptr || patch < 0 || patch >= kPatchCount) return false;
    return (document->patchesInUse[patch / kBitsPerByte] & (1u << (patch % kBitsPerByte))) != 0;
}

int OpenMidiOutputPort(int device) {
    const std::vector<midi::DeviceInfo> outputs = OutputList();
    if (device < 1 || device > static_cast<int>(outputs.size())) return 0;
    std::unique_ptr<midi::OutputDevice>& open = OpenOutputs()[device];
    if (open != nullptr && open->Name() == outputs[device - 1].name && !open->IsGone()) return 1;
    open = midi::CurrentBackend().OpenOutput(outputs[device - 1].name);
    if (open == nullptr) {
        OpenOutputs().erase(device);
        return 0;
    }
    return 1;
}

bool IsMidiOutputPortOpen(int device) {
    auto found = OpenOutputs().find(device);
    return found != OpenOutputs().end() && found->second != nullptr;
}

void StopSequencerClock() {
    const uint8_t ports = Options().SyncPorts;
    std::vector<midi::OutputDevice*> stopped;
    for (int port = 0; port < kLogicalPortCount; ++port) {
        if ((ports & (1u << port)) == 0) continue;
        auto found = OpenOutputs().find(Options().MidiPortMap[port]);
        if (found == OpenOutputs().end() || found->second == nullptr || found->second->IsGone()) continue;
        midi::OutputDevice* device = found->second.get();
        if (std::find(stopped.begin(), stopped.end(), device) != stopped.end()) continue;  // ports sharing a device
        device->SendRealtime(kMidiStop);
        stopped.push_back(device);
    }
}

void CloseMidiOutputPorts() {
    StopSequencerClock();
    OpenOutputs().clear();
}

bool SendMidiOutputMessage(int device, uint32_t message) {
    if (!OpenMidiOutputPort(device)) return false;
    return OpenOutputs()[device]->Send(message);
}

void ReopenMidiAndSilence(ScoreDocument* document) {
    if (IsPlaybackRunning()) {
        playback_detail::SilenceVoiceChannels(document, &PlaybackDeviceOfPort);
        return;
    }
    CloseMidiOutputPorts();
    OpenMidiPortsWithPatchCache(document);
    playback_detail::SilenceVoiceChannels(document, [](int port) -> midi::OutputDevice* {
        auto found = OpenOutputs().find(Options().MidiPortMap[port]);
        return found != OpenOutputs().end() ? found->second.get() : nullptr;
    });
}

int OpenMidiPortsWithPatchCache(ScoreDocument* /*document*/) {
    int ok = 1;
    for (int port = 0; port < kLogicalPortCount; ++port) {
        const int entry = Options().MidiPortMap[port];
        if (entry != 0 && !OpenMidiOutputPort(entry)) ok = 0;
    }
    return ok;
}

}  // namespace ql
