// The destinations of a MIDI action and placing its events (see perform_steps.h).
#include "sequencer/perform_steps.h"

#include "core/model/document.h"
#include "core/model/grid.h"
#include "sequencer/midi_destinations.h"

namespace ql::perform_detail {
namespace {

constexpr uint8_t kChannelMask = 0x0F;

}  // namespace

std::vector<PortChannel> Destinations(const PerformanceRun& run, int staff, const MidiAction& action) {
    std::vector<PortChannel> found;
    const uint8_t destination = action.destinationTiming & kMidiDestinationMask;
    const int voices = (action.flags & kMidiVoiceMask) >> kMidiVoiceShift;
    for (const int s : DestinationStaves(run.document, staff, destination, action.namedStaff)) {
        const StaffRecord* record = StaffRecordOf(run.document, s);
        for (int v = 0; record != nullptr && v < kVoicesPerStaff; ++v) {
            if (voices != 0 && (voices & (1 << v)) == 0) continue;
            const StaffTimbre& timbre = record->timbres[v];
            int port = static_cast<int8_t>(timbre.port);
            if (port < 0 || port >= kLogicalPortCount) port = 0;
            const PortChannel pc{port, timbre.channel & kChannelMask};
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
