// The MIDI preview of note entry: the key a note sounds (its pitch under the clef and
// key in force, with the accidental in force, plus the staff's transposition), sent
// on the port and channel of its voice slot to the device the port plays on.
#include "notes/entry/note_preview.h"

#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/ui/midi_services.h"
#include "core/ui/status_bar_notes.h"
#include "display/view_location.h"
#include "notes/entry/note_entry.h"
#include "notes/pitch/accidental_state.h"
#include "platform/midi/midi.h"

namespace ql {

namespace {

constexpr uint32_t kNoteOnStatus = 0x90;
constexpr uint32_t kControlStatus = 0xB0;
constexpr uint32_t kChannelMask = 0x0F;
constexpr int kHighestKey = 127;
constexpr int kDataShift1 = 8;
constexpr int kDataShift2 = 16;

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

midi::OutputDevice* PreviewOutputForPort(int port) { return DeviceOfLogicalPort(port); }

void ClosePreviewOutputs() { CloseMidiOutputPorts(); }

}  // namespace ql
