// The MIDI preview of note entry: the key a note sounds (its pitch under the clef and
// key in force, with the accidental in force, plus the staff's transposition), the
// port and channel of its voice slot, and the devices opened for the logical ports.
#include "notes/entry/note_preview.h"

#include <array>
#include <memory>
#include <vector>

#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar_notes.h"
#include "display/view_location.h"
#include "notes/entry/note_entry.h"
#include "notes/pitch/accidental_state.h"
#include "platform/midi/midi.h"
#include "shell/program_options.h"

namespace ql {

namespace {

constexpr int kPorts = kLogicalPortCount;
constexpr uint32_t kNoteOnStatus = 0x90;
constexpr uint32_t kControlStatus = 0xB0;
constexpr uint32_t kChannelMask = 0x0F;
constexpr int kHighestKey = 127;
constexpr int kDataShift1 = 8;
constexpr int kDataShift2 = 16;

// The devices opened for the logical ports; owned here until ClosePreviewOutputs.
std::array<std::unique_ptr<midi::OutputDevice>, kPorts>& PreviewDevices() {
    static std::array<std::unique_ptr<midi::OutputDevice>, kPorts> devices;
    return devices;
}

// The name of the device a logical port plays on, or empty when the backend has none.
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


// The timbre slot of the view's active voice on the current staff, or null.
const StaffTimbre* VoiceSlot(const ScoreView* view) {
    const StaffRecord* staff = view != nullptr ? view->currentStaffRecord : nullptr;
    return staff != nullptr ? &staff->timbres[EntryVoice(view)] : nullptr;
}

void SendToSlot(const StaffTimbre& slot, uint32_t status, int data1, int data2) {
    const int port = static_cast<int8_t>(slot.port);
    midi::OutputDevice* out = PreviewOutputForPort(port);
    if (out == nullptr) return;
    out->Send((status | (slot.channel & kChannelMask)) | (static_cast<uint32_t>(data1) << kDataShift1) |
              (static_cast<uint32_t>(data2) << kDataShift2));
}

}  // namespace

void PreviewNote(ScoreView* view, const EventRecord* note, bool on) {
    const StaffTimbre* slot = VoiceSlot(view);
    if (note == nullptr || slot == nullptr || view->currentCell == nullptr) return;
    const int key = ComputeNoteKeyInCell(view->currentStaffRecord, view->currentCell, *note,
                                         EntryVoice(view)) +
                    view->currentStaffRecord->semitones;
    if (key < 0 || key > kHighestKey) return;
    SendToSlot(*slot, kNoteOnStatus, key, on ? kPreviewVelocity : 0);
}

void SendSustainPedal(ScoreView* view, bool on) {
    const StaffTimbre* slot = VoiceSlot(view);
    if (slot == nullptr) return;
    SendToSlot(*slot, kControlStatus, kSustainController, on ? kSustainDown : 0);
}

void AuditionNoteOff(ScoreView* view, const EventRecord* note) {
    SendSustainPedal(view, false);
    PreviewNote(view, note, false);
}

void AuditionNote(ScoreView* view, EventRecord* note) {
    if (view == nullptr || note == nullptr) return;
    SendSustainPedal(view, false);
    SendSustainPedal(view, true);
    PreviewNote(view, note, true);
    DescribeNote(view, note);
    MovePointerToObject(view, note);
    AuditionNoteOff(view, note);
}

midi::OutputDevice* PreviewOutputForPort(int port) {
    if (port < 0 || port >= kPorts) return nullptr;
    std::unique_ptr<midi::OutputDevice>& device = PreviewDevices()[port];
    if (device != nullptr && device->IsGone()) device.reset();
    if (device == nullptr) {
        const std::string name = DeviceNameForPort(port);
        if (!name.empty()) device = midi::CurrentBackend().OpenOutput(name);
    }
    return device.get();
}

void ClosePreviewOutputs() {
    for (std::unique_ptr<midi::OutputDevice>& device : PreviewDevices()) device.reset();
}

}  // namespace ql
