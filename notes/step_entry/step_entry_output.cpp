// The output side of step entry: thru and echo, each through the device of a
// logical port, opened on first use and dropped when it is gone.
#include "notes/step_entry/step_entry_output.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "notes/entry/note_entry.h"
#include "platform/midi/midi.h"
#include "shell/program_options.h"

namespace ql {

namespace {

constexpr uint32_t kFirstChannelStatus = 0x80;
constexpr uint32_t kLastChannelStatus = 0xEF;
constexpr uint32_t kStatusMask = 0xFF;
constexpr uint32_t kChannelMask = 0x0F;

using PortDevices = std::array<std::unique_ptr<midi::OutputDevice>, kLogicalPortCount>;

PortDevices& Devices() {
    static PortDevices devices;
    return devices;
}

std::string DeviceNameForPort(int port) {
    std::vector<midi::DeviceInfo> outputs;
    for (const midi::DeviceInfo& info : midi::CurrentBackend().Devices())
        if (info.output) outputs.push_back(info);
    if (outputs.empty()) return {};
    const int entry = Options().MidiPortMap[port];
    if (entry > 0 && entry <= static_cast<int>(outputs.size())) return outputs[entry - 1].name;
    for (const midi::DeviceInfo& info : outputs)
        if (info.kind == midi::DeviceKind::Synthesizer) return info.name;
    return outputs.front().name;
}

midi::OutputDevice* OutputForPort(int port) {
    if (port < 0 || port >= kLogicalPortCount) return nullptr;
    std::unique_ptr<midi::OutputDevice>& device = Devices()[port];
    if (device != nullptr && device->IsGone()) device.reset();
    if (device == nullptr) {
        const std::string name = DeviceNameForPort(port);
        if (!name.empty()) device = midi::CurrentBackend().OpenOutput(name);
    }
    return device.get();
}

bool IsChannelMessage(uint32_t message) {
    const uint32_t status = message & kStatusMask;
    return status >= kFirstChannelStatus && status <= kLastChannelStatus;
}

}  // namespace

void SendStepThru(uint32_t message) {
    if (!IsChannelMessage(message)) return;
    const uint8_t ports = Options().ThruPorts;
    for (int port = 0; port < kLogicalPortCount; ++port) {
        if ((ports & (1u << port)) == 0) continue;
        if (midi::OutputDevice* out = OutputForPort(port)) out->Send(message);
    }
}

void EchoToStaffPort(ScoreView* view, uint32_t message) {
    if (!IsChannelMessage(message) || view == nullptr || view->currentStaffRecord == nullptr) return;
    const StaffTimbre& slot = view->currentStaffRecord->timbres[EntryVoice(view)];
    midi::OutputDevice* out = OutputForPort(static_cast<int8_t>(slot.port));
    if (out == nullptr) return;
    out->Send((message & ~kChannelMask) | (slot.channel & kChannelMask));
}

void CloseStepEntryOutputs() {
    for (std::unique_ptr<midi::OutputDevice>& device : Devices()) device.reset();
}

}  // namespace ql
