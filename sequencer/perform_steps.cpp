// The destinations of a MIDI action and placing its events (see perform_steps.h).
#include "sequencer/perform_steps.h"

#include "core/model/document.h"
#include "core/model/grid.h"
#include "sequencer/action_dialogs.h"
#include "sequencer/midi_destinations.h"

namespace ql::perform_detail {
namespace {

constexpr uint8_t kChannelMask = 0x0F;
constexpr int kAllVoices = (1 << kVoicesPerStaff) - 1;

// A voice mask of 0 means all four voices.
int MaskOrAll(int mask) {
    mask &= kAllVoices;
    return mask != 0 ? mask : kAllVoices;
}

}  // namespace

PortChannel VoiceDestination(const StaffRecord& staff, int voice) {
    const StaffTimbre* timbre = &staff.timbres[voice];
    if (static_cast<int8_t>(timbre->port) < 0) timbre = &staff.timbres[0];
    int port = static_cast<int8_t>(timbre->port);
    if (port < 0 || port >= kLogicalPortCount) port = 0;
    return PortChannel{port, timbre->channel & kChannelMask};
}

std::vector<PortChannel> Destinations(const PerformanceRun& run, int staff, const MidiAction& action,
                                      RemoteVoices remote) {
    std::vector<PortChannel> found;
    const uint8_t destination = action.destinationTiming & kMidiDestinationMask;
    const int nearMask = MaskOrAll((action.flags & kMidiVoiceMask) >> kMidiVoiceShift);
    const int remoteMask =
        remote == RemoteVoices::OwnMask ? MaskOrAll(action.flags >> kMidiRemoteMaskShift) : nearMask;
    const bool timbres = (action.flags & kMidiFlagTimbres) != 0;
    for (const DestinationStaff& d : DestinationStaves(run.document, staff, destination, action.namedStaff)) {
        const StaffRecord* record = StaffRecordOf(run.document, d.staff);
        const int mask = ((d.sides & kNearSide) != 0 ? nearMask : 0) | ((d.sides & kRemoteSide) != 0 ? remoteMask : 0);
        for (int v = 0; record != nullptr && v < kVoicesPerStaff; ++v) {
            if ((mask & (1 << v)) == 0) continue;
            // A timbre of its own sends there; one without a port is nothing to send to.
            if (timbres && static_cast<int8_t>(record->timbres[v].port) < 0) continue;
            const PortChannel pc = VoiceDestination(*record, v);
            if (std::find(found.begin(), found.end(), pc) == found.end()) found.push_back(pc);
        }
    }
    return found;
}

bool PlaceControl(PerformanceRun& run, int staff, PerformanceEventKind kind, int port, int32_t time,
                  uint32_t message) {
    PerformanceEvent* event = NewPerformanceEvent(run, kind, port, staff, time, message);
    if (event == nullptr) return false;
    InsertPerformanceEvent(run.voices[staff][0].controls, event);
    return true;
}

}  // namespace ql::perform_detail
