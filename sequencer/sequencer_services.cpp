// Fills the table of the services the layers below call with the sequencer's own
// functions (see sequencer_services.h).
#include "sequencer/sequencer_services.h"

namespace ql {

void InstallSequencerServices() {
    MidiServices midi;
    midi.applyTranscribedAttachments = sequencing::ApplyTranscribedAttachments;
    midi.fixTranscribedEventChain = sequencing::FixTranscribedEventChain;
    midi.openMidiPortsWithPatchCache = sequencing::OpenMidiPortsWithPatchCache;
    midi.deviceOfLogicalPort = sequencing::DeviceOfLogicalPort;
    midi.runDeviceOfLogicalPort = sequencing::RunDeviceOfLogicalPort;
    midi.closeMidiOutputPorts = sequencing::CloseMidiOutputPorts;
    midi.toggleViewStaffMute = sequencing::ToggleViewStaffMute;
    midi.toggleViewStaffSolo = sequencing::ToggleViewStaffSolo;
    midi.buildPerformanceBlock = sequencing::BuildPerformanceBlock;
    midi.runMidiValueDialog = sequencing::RunMidiValueDialog;
    midi.editOutputDestination = sequencing::EditOutputDestination;
    midi.editTransition = sequencing::EditTransition;
    midi.openMidiEventDialog = sequencing::OpenMidiEventDialog;
    midi.registerMidiEventObjectClass = sequencing::RegisterMidiEventObjectClass;
    SetMidiServices(midi);
}

}  // namespace ql
