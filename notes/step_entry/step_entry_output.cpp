// The output side of step entry: thru and echo, each through the device of a
// logical port, opened on first use and dropped when it is gone.
#include "notes/step_entry/step_entry_output.h"


#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "notes/entry/note_entry.h"
#include "notes/entry/note_preview.h"
#include "platform/midi/midi.h"

namespace ql {

namespace {

constexpr uint32_t kFirstChannelStatus = 0x80;
constexpr uint32_t kLastChannelStatus = 0xEF;
constexpr uint32_t kStatusMask = 0xFF;
constexpr uint32_t kChannelMask = 0x0F;

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
        if (midi::OutputDevice* out = PreviewOutputForPort(port)) out->Send(message);
    }
}

void EchoToStaffPort(ScoreView* view, uint32_t message) {
    if (!IsChannelMessage(message) || view == nullptr || view->currentStaffRecord == nullptr) return;
    const StaffTimbre& slot = view->currentStaffRecord->timbres[EntryVoice(view)];
    midi::OutputDevice* out = PreviewOutputForPort(static_cast<int8_t>(slot.port));
    if (out == nullptr) return;
    out->Send((message & ~kChannelMask) | (slot.channel & kChannelMask));
}

void CloseStepEntryOutputs() {
    ClosePreviewOutputs();
}

}  // namespace ql
