// The devices of a run's logical ports: each port's device found by its saved name,
// else by its entry, else port A's; each device opened once; the metronome's
// settings; the program changes sent before the run.
#include <algorithm>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "sequencer/playback_internal.h"

namespace ql {
namespace {

constexpr char kOpenFailedStart[] = "Unable to open MIDI output port \"";
constexpr char kOpenFailedEnd[] = "\"";
constexpr uint8_t kChannelMask = 0x0F;
constexpr uint8_t kProgramChangeStatus = 0xC0;
constexpr int kMaxDataByte = 127;
constexpr int kDataShift1 = 8;
constexpr int kPortPairShift = 4;

// The device a port's choice finds in the current output list: its saved name
// first, then its entry; empty when neither finds one.
std::string ChoiceOf(const std::vector<midi::DeviceInfo>& outputs, const PortChoices& choices, int port) {
    for (const midi::DeviceInfo& info : outputs)
        if (!choices.names[port].empty() && info.name == choices.names[port]) return info.name;
    const int entry = choices.entries[port];
    if (entry > 0 && entry <= static_cast<int>(outputs.size())) return outputs[entry - 1].name;
    return {};
}

// A data byte of a message, clamped to 0..127.
uint8_t DataByte(int value) { return static_cast<uint8_t>(std::clamp(value, 0, kMaxDataByte)); }

uint32_t ProgramChange(int channel, int patch) {
    return static_cast<uint32_t>(kProgramChangeStatus | (channel & kChannelMask)) |
           (static_cast<uint32_t>(DataByte(patch)) << kDataShift1);
}

}  // namespace

std::array<std::string, kLogicalPortCount> ResolvePortDevices(const std::vector<midi::DeviceInfo>& devices,
                                                              const PortChoices& choices) {
    std::vector<midi::DeviceInfo> outputs;
    for (const midi::DeviceInfo& info : devices)
        if (info.output) outputs.push_back(info);
    std::array<std::string, kLogicalPortCount> names{};
    if (outputs.empty()) return names;
    std::string fallback = ChoiceOf(outputs, choices, 0);
    if (fallback.empty()) fallback = outputs.front().name;
    for (int port = 0; port < kLogicalPortCount; ++port) {
        names[port] = ChoiceOf(outputs, choices, port);
        if (names[port].empty()) names[port] = fallback;
    }
    return names;
}

std::string ResolveRecordInput(const std::vector<midi::DeviceInfo>& devices, const std::string& name, int index) {
    std::vector<std::string> inputs;
    for (const midi::DeviceInfo& info : devices)
        if (info.input) inputs.push_back(info.name);
    if (inputs.empty()) return {};
    if (std::find(inputs.begin(), inputs.end(), name) != inputs.end()) return name;
    return index >= 0 && index < static_cast<int>(inputs.size()) ? inputs[index] : inputs.front();
}

namespace playback_detail {

midi::OutputDevice* OpenShared(const std::string& name, OwnedOutputs& devices, std::vector<std::string>& notices) {
    auto same = std::find_if(devices.begin(), devices.end(), [&](const auto& device) { return device->Name() == name; });
    if (same != devices.end()) return same->get();
    std::unique_ptr<midi::OutputDevice> device = midi::CurrentBackend().OpenOutput(name);
    if (device == nullptr) {
        notices.push_back(kOpenFailedStart + name + kOpenFailedEnd);
        return nullptr;
    }
    devices.push_back(std::move(device));
    return devices.back().get();
}

bool OpenPorts(const std::array<std::string, kLogicalPortCount>& names, OwnedOutputs& devices,
               std::vector<std::string>& notices, RunConstants& run) {
    run.portHandle = {};
    for (int port = 0; port < kLogicalPortCount; ++port) {
        if (names[port].empty()) continue;
        run.portHandle[port] = OpenShared(names[port], devices, notices);
        if (run.portHandle[port] == nullptr) {
            run.portHandle = {};
            devices.clear();
            return false;
        }
    }
    return true;
}

void SetMetronome(RunConstants& run, const PlaybackRequest::Metronome& metronome, const OwnedOutputs& devices) {
    const int port = metronome.port >= 0 && metronome.port < kLogicalPortCount ? metronome.port : 0;
    run.metronomeHandle = run.portHandle[port];
    for (const auto& device : devices)
        if (!metronome.device.empty() && device->Name() == metronome.device) run.metronomeHandle = device.get();
    run.metronomeChannel = static_cast<uint8_t>(metronome.channel & kChannelMask);
    run.metronomeBarKey = DataByte(metronome.barKey);
    run.metronomeBeatKey = DataByte(metronome.beatKey);
    run.metronomeVelocity = DataByte(metronome.velocity);
}

void SendProgramChanges(const RunConstants& run, const PlaybackRequest& request) {
    if (run.metronomeOn && run.metronomeHandle != nullptr)
        run.metronomeHandle->Send(ProgramChange(run.metronomeChannel, request.metronome.patch));
    if (!request.sendPatches) return;
    ScoreDocument* document = request.view->document;
    for (int staff = 1; staff <= document->header.staffCount && staff <= kMaxStaves; ++staff) {
        const StaffRecord* record = StaffRecordOf(document, staff);
        uint32_t sent[kVoicesPerStaff] = {};
        for (int voice = 0; record != nullptr && voice < kVoicesPerStaff; ++voice) {
            const StaffTimbre& timbre = record->timbres[voice];
            int port = static_cast<int8_t>(timbre.port);
            const int channel = static_cast<int8_t>(timbre.channel);
            const int patch = static_cast<int8_t>(timbre.patch);
            if (port < 0 || channel < 0 || patch < 0) continue;
            if (port >= kLogicalPortCount) port = 0;
            const uint32_t pair = static_cast<uint32_t>(port << kPortPairShift | channel) + 1;
            if (std::find(std::begin(sent), std::end(sent), pair) != std::end(sent)) continue;
            sent[voice] = pair;
            if (midi::OutputDevice* out = run.portHandle[port]) out->Send(ProgramChange(channel, patch));
        }
    }
}

}  // namespace playback_detail
}  // namespace ql
