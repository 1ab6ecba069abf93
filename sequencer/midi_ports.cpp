// The output devices opened outside a run (for the port map), All Notes Off on
// them, and the score's patches-in-use mask. The port map's devices are kept by
// name, each opened once however many ports or entries name it; the mixer and
// the note preview play on them through DeviceOfLogicalPort, or on the run's own
// devices while a run is on. Patch caching is not offered by any device of the
// MIDI layer: a caching request opens the ports plainly and keeps the mask.
#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "core/model/score_document.h"
#include "core/settings/logical_ports.h"
#include "core/settings/program_options.h"
#include "platform/midi/midi.h"
#include "sequencer/playback.h"
#include "sequencer/playback_internal.h"
#include "sequencer/sequencer_services.h"

namespace ql {
namespace {

constexpr int kPatchCount = 256;
constexpr int kBitsPerByte = 8;
constexpr uint8_t kMidiStop = 0xFC;

// Open devices by name; owned here until CloseMidiOutputPorts.
std::map<std::string, std::unique_ptr<midi::OutputDevice>>& OpenOutputs() {
    static std::map<std::string, std::unique_ptr<midi::OutputDevice>> outputs;
    return outputs;
}

std::vector<midi::DeviceInfo> OutputList() {
    std::vector<midi::DeviceInfo> outputs;
    for (const midi::DeviceInfo& info : midi::CurrentBackend().Devices())
        if (info.output) outputs.push_back(info);
    return outputs;
}

// The name of an entry (1-based in the output list); empty for none.
std::string NameOfEntry(int entry) {
    const std::vector<midi::DeviceInfo> outputs = OutputList();
    return entry >= 1 && entry <= static_cast<int>(outputs.size()) ? outputs[entry - 1].name : std::string{};
}

// The open device of the name, opened now when it is not; null when it will not.
midi::OutputDevice* OpenByName(const std::string& name) {
    if (name.empty()) return nullptr;
    std::unique_ptr<midi::OutputDevice>& open = OpenOutputs()[name];
    if (open != nullptr && !open->IsGone()) return open.get();
    open = midi::CurrentBackend().OpenOutput(name);
    if (open != nullptr) return open.get();
    OpenOutputs().erase(name);
    return nullptr;
}

// The device each logical port plays on outside a run, as the port dialog shows it.
std::array<std::string, kLogicalPortCount> PortMapDevices() {
    return ResolvePortDevices(midi::CurrentBackend().Devices(), SavedPortChoices());
}

// The open device of a name, without opening it.
midi::OutputDevice* OpenDevice(const std::string& name) {
    auto found = OpenOutputs().find(name);
    return found != OpenOutputs().end() ? found->second.get() : nullptr;
}

// The silencing sweep on the port map's devices that are open.
void SweepOpenPortMap(ScoreDocument* document) {
    const std::array<std::string, kLogicalPortCount> names = PortMapDevices();
    playback_detail::SilenceVoiceChannels(document, [&](int port) { return OpenDevice(names[port]); });
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

int OpenMidiOutputPort(int device) { return OpenByName(NameOfEntry(device)) != nullptr ? 1 : 0; }

bool IsMidiOutputPortOpen(int device) {
    const std::string name = NameOfEntry(device);
    return !name.empty() && OpenDevice(name) != nullptr;
}

midi::OutputDevice* sequencing::DeviceOfLogicalPort(int port) {
    if (port < 0 || port >= kLogicalPortCount) return nullptr;
    if (IsPlaybackRunning()) return PlaybackDeviceOfPort(port);
    return OpenByName(PortMapDevices()[port]);
}

void StopSequencerClock() {
    const uint8_t ports = Options().SyncPorts;
    const std::array<std::string, kLogicalPortCount> names = PortMapDevices();
    std::vector<midi::OutputDevice*> stopped;
    for (int port = 0; port < kLogicalPortCount; ++port) {
        if ((ports & (1u << port)) == 0) continue;
        midi::OutputDevice* device = OpenDevice(names[port]);
        if (device == nullptr || device->IsGone()) continue;
        if (std::find(stopped.begin(), stopped.end(), device) != stopped.end()) continue;  // ports sharing a device
        device->SendRealtime(kMidiStop);
        stopped.push_back(device);
    }
}

void sequencing::CloseMidiOutputPorts() {
    StopSequencerClock();
    OpenOutputs().clear();
}

bool SendMidiOutputMessage(int device, uint32_t message) { return SendMidiOutputMessage(NameOfEntry(device), message); }

bool SendMidiOutputMessage(const std::string& device, uint32_t message) {
    midi::OutputDevice* open = OpenByName(device);
    return open != nullptr && open->Send(message);
}

void ReopenMidiAndSilence(ScoreDocument* document) {
    if (IsPlaybackRunning()) {
        playback_detail::SilenceVoiceChannels(document, &PlaybackDeviceOfPort);
        return;
    }
    CloseMidiOutputPorts();
    OpenMidiPortsWithPatchCache(document);
    SweepOpenPortMap(document);
}

void SilenceOpenOutputs(ScoreDocument* document) {
    if (IsPlaybackRunning()) return;  // the run's Stop silences its own devices first
    StopSequencerClock();
    SweepOpenPortMap(document);
}

int sequencing::OpenMidiPortsWithPatchCache(ScoreDocument* /*document*/) {
    int ok = 1;
    for (const std::string& name : PortMapDevices())
        if (!name.empty() && OpenByName(name) == nullptr) ok = 0;
    return ok;
}

}  // namespace ql
