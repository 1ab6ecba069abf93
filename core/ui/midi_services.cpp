// The calls of the sequencer's service table, each doing nothing while its slot is
// empty.
#include "core/ui/midi_services.h"

#include "core/services/service_call.h"

namespace ql {
namespace {

constexpr int kDialogCancelled = 2;

MidiServices& Table() {
    static MidiServices table;
    return table;
}

template <auto Slot, typename... Args>
auto Call(Args... args) {
    return CallSlot(Table().*Slot, args...);
}

// The same for a dialog: cancelled while the slot is empty.
template <auto Slot, typename... Args>
int CallDialog(Args... args) {
    auto slot = Table().*Slot;
    return slot != nullptr ? slot(args...) : kDialogCancelled;
}

}  // namespace

void SetMidiServices(const MidiServices& services) {
    Table() = services;
}

void ApplyTranscribedAttachments(ScoreView* view, EventRecord* firstEvent) {
    Call<&MidiServices::applyTranscribedAttachments>(view, firstEvent);
}
void FixTranscribedEventChain(ScoreView* view, EventRecord* firstEvent) {
    Call<&MidiServices::fixTranscribedEventChain>(view, firstEvent);
}
int OpenMidiPortsWithPatchCache(ScoreDocument* document) {
    return Call<&MidiServices::openMidiPortsWithPatchCache>(document);
}
midi::OutputDevice* DeviceOfLogicalPort(int port) {
    return Call<&MidiServices::deviceOfLogicalPort>(port);
}
midi::OutputDevice* RunDeviceOfLogicalPort(int port) {
    return Call<&MidiServices::runDeviceOfLogicalPort>(port);
}
void CloseMidiOutputPorts() {
    Call<&MidiServices::closeMidiOutputPorts>();
}
int ToggleViewStaffMute(ScoreView* view, int staff) {
    return Call<&MidiServices::toggleViewStaffMute>(view, staff);
}
int ToggleViewStaffSolo(ScoreView* view, int staff) {
    return Call<&MidiServices::toggleViewStaffSolo>(view, staff);
}
void BuildPerformanceBlock(ScoreView* view) {
    Call<&MidiServices::buildPerformanceBlock>(view);
}
int RunMidiValueDialog(ScoreView* view, int value) {
    return Table().runMidiValueDialog != nullptr ? Table().runMidiValueDialog(view, value) : value;
}
int EditOutputDestination(ScoreView* view, MidiAction* action) {
    return CallDialog<&MidiServices::editOutputDestination>(view, action);
}
int EditTransition(ScoreView* view, MidiAction* action) {
    return CallDialog<&MidiServices::editTransition>(view, action);
}
int OpenMidiEventDialog(ScoreView* view, ScoreObject* object) {
    return CallDialog<&MidiServices::openMidiEventDialog>(view, object);
}
void RegisterMidiEventObjectClass() {
    Call<&MidiServices::registerMidiEventObjectClass>();
}

}  // namespace ql
