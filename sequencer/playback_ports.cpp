// The devices of the logical ports, as the port dialog shows them and a run plays
// on them: each port's device found by its saved name, else by its entry (the
// default device, the n-th output, or none), a missing one standing in for by port
// A's; each device of a run opened once; the metronome's settings; the program
// changes sent before the run.
#include <algorithm>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "sequencer/playback_internal.h"

namespace ql {
namespace {

constexpr char kOpenFailedStart[] = "Unable to open MIDI output port \"";
constexpr char kOpenFailedEnd[] = "\"";
constexpr char kMissingStart[] = "MIDI output port \"";
constexpr char kMissingMiddle[] = "\" is not available: its staves play on \"";
constexpr char kMissingEnd[] = "\" for now.";
constexpr uint8_t kChannelMask = 0x0F;
constexpr uint8_t kProgramChangeStatus = 0xC0;
constexpr int kMaxDataByte = 127;
constexpr int kDataShift1 = 8;
constexpr int kPortPairShift = 4;

constexpr char kPortNameSeparator = '|';
constexpr char kEntryStart[] = "device ";

// What a port's choice finds in the current output list.
struct Found {
    std::string name;      // empty: no device
    bool missing = false;  // the saved device is not in the list
};

Found ChoiceOf(const std::vector<midi::DeviceInfo>& outputs, const PortChoices& choices, int port) {
    const std::string& saved = choices.names[port];
    if (!saved.empty()) {
        // A saved name is the choice: its entry only told where the device stood
        // then, and another device may stand there now.
        for (const midi::DeviceInfo& info : outputs)
            if (info.name == saved) return {info.name};
        return {{}, true};
    }
    const int entry = choices.entries[port];
    if (entry == kNoDeviceEntry) return {};
    if (entry > 0 && entry <= static_cast<int>(outputs.size())) return {outputs[entry - 1].name};
    if (entry == kDefaultDeviceEntry) return {DefaultOutputName(outputs)};
    return {{}, true};
}

std::vector<midi::DeviceInfo> OutputsOf(const std::vector<midi::DeviceInfo>& devices) {
    std::vector<midi::DeviceInfo> outputs;
    for (const midi::DeviceInfo& info : devices)
        if (info.output) outputs.push_back(info);
    return outputs;
}

// A data byte of a message, clamped to 0..127.
uint8_t DataByte(int value) { return static_cast<uint8_t>(std::clamp(value, 0, kMaxDataByte)); }

uint32_t ProgramChange(int channel, int patch) {
    return static_cast<uint32_t>(kProgramChangeStatus | (channel & kChannelMask)) |
           (static_cast<uint32_t>(DataByte(patch)) << kDataShift1);
}

}  // namespace

std::string DefaultOutputName(const std::vector<midi::DeviceInfo>& devices) {
    const midi::DeviceInfo* first = nullptr;
    for (const midi::DeviceInfo& info : devices) {
        if (!info.output) continue;
        if (info.kind == midi::DeviceKind::Synthesizer) return info.name;
        if (first == nullptr) first = &info;
    }
    return first != nullptr ? first->name : std::string{};
}

std::array<std::string, kLogicalPortCount> ResolvePortDevices(const std::vector<midi::DeviceInfo>& devices,
                                                              const PortChoices& choices, std::vector<std::string>* missing) {
    const std::vector<midi::DeviceInfo> outputs = OutputsOf(devices);
    std::array<std::string, kLogicalPortCount> names{};
    if (outputs.empty()) return names;
    Found portA = ChoiceOf(outputs, choices, 0);
    if (portA.missing) portA.name = DefaultOutputName(outputs);
    for (int port = 0; port < kLogicalPortCount; ++port) {
        const Found found = ChoiceOf(outputs, choices, port);
        names[port] = found.missing ? portA.name : found.name;
        if (found.missing && missing != nullptr) {
            const std::string& saved = choices.names[port];
            const std::string what = !saved.empty() ? saved : kEntryStart + std::to_string(choices.entries[port]);
            if (std::find(missing->begin(), missing->end(), what) == missing->end()) missing->push_back(what);
        }
    }
    return names;
}

std::string SavedMetronomeDevice(const std::vector<midi::DeviceInfo>& devices) {
    PortChoices choice;
    choice.names[0] = Options().MetronomePortName;
    choice.entries[0] = Options().MetronomePort == 0 ? kNoDeviceEntry : Options().MetronomePort;
    return ChoiceOf(OutputsOf(devices), choice, 0).name;
}

PortChoices SavedPortChoices() {
    const ProgramOptions& options = Options();
    PortChoices choices;
    for (int port = 0; port < kLogicalPortCount; ++port) choices.entries[port] = options.MidiPortMap[port];
    const std::string& text = options.MidiPortNames;
    size_t from = 0;
    for (int port = 0; port < kLogicalPortCount && from <= text.size(); ++port) {
        const size_t bar = text.find(kPortNameSeparator, from);
        choices.names[port] = text.substr(from, bar == std::string::npos ? std::string::npos : bar - from);
        if (bar == std::string::npos) break;
        from = bar + 1;
    }
    return choices;
}

std::string JoinPortNames(const std::array<std::string, kLogicalPortCount>& names) {
    std::string text;
    for (int port = 0; port < kLogicalPortCount; ++port) {
        if (port > 0) text += kPortNameSeparator;
        text += names[port];
    }
    return text;
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

void TellMissingDevices(const std::vector<std::string>& missing, const std::string& standIn,
                        std::vector<std::string>& told, std::vector<std::string>& notices) {
    std::erase_if(told, [&](const std::string& name) { return std::find(missing.begin(), missing.end(), name) == missing.end(); });
    for (const std::string& name : missing) {
        if (std::find(told.begin(), told.end(), name) != told.end()) continue;
        notices.push_back(kMissingStart + name + kMissingMiddle + standIn + kMissingEnd);
        told.push_back(name);
    }
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
