// The "Staff MIDI Setup" dialog (831): the port, channel and patch of a staff's four
// timbres, its base key velocity and four initial values, and the program-wide patch
// numbering offset. OK writes them back as one undoable edit and sends each newly
// used (port, channel) pair its program change at once.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/settings/logical_ports.h"
#include "core/state.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/midi_services.h"
#include "core/ui/modal_boxes.h"
#include "core/undo/undo.h"
#include "notes/pitch/patch_names.h"
#include "platform/midi/midi.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_template.h"
#include "staves/staff_dialog_resources.h"
#include "staves/staff_dialogs.h"

namespace ql {

namespace {

using namespace staff_midi_dialog;
using platform::WindowHandle;

constexpr uint8_t kTimbreUndoType = 24;
constexpr uint8_t kNoPort = 255;
constexpr int kChannels = 16;
constexpr int kPercussionChannel = 9;
constexpr int kMostVelocity = 127;
constexpr int kMostInitial = 4;
constexpr int kInitialBytes = 0;  // the initial values open the staff data at byte 22
constexpr uint8_t kProgramChange = 0xC0;
constexpr int kDataShift = 8;
constexpr char kFirstPortLetter = 'A';

// A timbre's control ids; each edit's up-down is the id before it.
int32_t PortId(int t) { return kFirstPort + kIdStep * t; }
int32_t ChannelId(int t) { return kFirstChannel + kIdStep * t; }
int32_t PatchId(int t) { return kFirstPatch + kIdStep * t; }
int32_t InitialId(int t) { return kFirstInitial + kIdStep * t; }

int PatchOffset() { return State().notes.PatchNumberOffset; }

std::string PortText(uint8_t port) {
    if (port >= kLogicalPortCount) return ProgramString(kStrNone);
    return std::string(1, static_cast<char>(kFirstPortLetter + port));
}

// The port a field shows: a letter A.., else none.
uint8_t PortOfText(const std::string& text) {
    if (text.size() == 1 && text[0] >= kFirstPortLetter && text[0] < kFirstPortLetter + kLogicalPortCount)
        return static_cast<uint8_t>(text[0] - kFirstPortLetter);
    return kNoPort;
}

void FillPatchNames(WindowHandle dialog, int t) {
    const WindowHandle combo = ui::GetDialogItem(dialog, kFirstPatchCombo + t);
    ui::ComboResetContent(combo);
    for (int p = 0; p < kGeneralMidiPrograms; ++p) {
        const std::string name = GeneralMidiPatchName(p);
        if (name.empty()) break;
        ui::ComboAddString(combo, name);
    }
}

void ShowTimbre(WindowHandle dialog, int t, const StaffTimbre& timbre) {
    ui::SetItemText(dialog, PortId(t), PortText(timbre.port));
    SetupSpinControl(dialog, ChannelId(t), 1, kChannels, std::min<int>(timbre.channel, kChannels - 1) + 1, false);
    const int offset = PatchOffset();
    SetupSpinControl(dialog, PatchId(t), offset, offset + kGeneralMidiPrograms - 1, (timbre.patch % kGeneralMidiPrograms) + offset,
                     false);
    ui::ComboSetSelection(ui::GetDialogItem(dialog, kFirstPatchCombo + t), timbre.patch % kGeneralMidiPrograms);
}

void InitMidi(WindowHandle dialog, const StaffRecord& staff, int number) {
    char header[64];
    std::snprintf(header, sizeof header, kStaffHeaderFormat, ProgramString(kStrStaff).c_str(), number);
    ui::SetItemText(dialog, kHeader, header);
    ui::SetItemText(dialog, kLabel, kNoStaffLabel);
    for (int t = 0; t < kTimbres; ++t) {
        FillPatchNames(dialog, t);
        ShowTimbre(dialog, t, staff.timbres[t]);
        const int initial = static_cast<uint8_t>(staff.staffData22[kInitialBytes + t] + 1);
        SetupSpinControl(dialog, InitialId(t), 0, kMostInitial, std::min(initial, kMostInitial), false);
    }
    SetupSpinControl(dialog, kVelocity, 0, kMostVelocity, std::clamp<int>(staff.baseKeyVelocity, 0, kMostVelocity),
                     false);
    ui::CheckRadioButton(dialog, kOffsetZero, kOffsetOne, PatchOffset() != 0 ? kOffsetOne : kOffsetZero);
}

// A port field steps through the letters and "NONE" (after the last letter).
void StepPort(WindowHandle dialog, int t, bool down) {
    const uint8_t port = PortOfText(ui::GetItemText(dialog, PortId(t)));
    const int index = port == kNoPort ? kLogicalPortCount : port;
    const int next = std::clamp(index + (down ? -1 : 1), 0, static_cast<int>(kLogicalPortCount));
    if (next == index) ui::Beep(ui::BeepKind::Stop);
    ui::SetItemText(dialog, PortId(t), PortText(static_cast<uint8_t>(next)));
}

void FollowPatchEdit(WindowHandle dialog, int t) {
    const std::optional<int32_t> shown = ui::GetItemInt(dialog, PatchId(t));
    if (shown) ui::ComboSetSelection(ui::GetDialogItem(dialog, kFirstPatchCombo + t), *shown - PatchOffset());
}

intptr_t OnMidiScroll(WindowHandle dialog, uint32_t word, intptr_t data) {
    const win::ScrollCode code = win::ScrollCodeOf(word);
    if (code != win::ScrollCode::LineUp && code != win::ScrollCode::LineDown) return 0;
    const bool down = code == win::ScrollCode::LineDown;
    auto is = [&](int32_t editId) { return static_cast<uint32_t>(data) == ui::GetDialogItem(dialog, editId - 1).bits; };
    const int offset = PatchOffset();
    for (int t = 0; t < kTimbres; ++t) {
        if (is(PortId(t))) StepPort(dialog, t, down);
        if (is(ChannelId(t))) ClampEditValue(dialog, ChannelId(t) - 1, down, 1, false, kChannels);
        if (is(InitialId(t))) ClampEditValue(dialog, InitialId(t) - 1, down, 0, false, kMostInitial);
        if (is(PatchId(t))) {
            ClampEditValue(dialog, PatchId(t) - 1, down, offset, false, offset + kGeneralMidiPrograms - 1);
            FollowPatchEdit(dialog, t);
        }
    }
    if (is(kVelocity)) ClampEditValue(dialog, kVelocitySpin, down, 0, false, kMostVelocity);
    return 0;
}

// The dialog's timbre t, held inside the fields' ranges.
StaffTimbre ReadTimbre(WindowHandle dialog, int t, const StaffTimbre& old) {
    StaffTimbre timbre = old;
    timbre.port = PortOfText(ui::GetItemText(dialog, PortId(t)));
    timbre.channel = static_cast<uint8_t>(std::clamp(ui::GetItemInt(dialog, ChannelId(t)).value_or(1), 1, kChannels) - 1);
    const int patch = ui::GetItemInt(dialog, PatchId(t)).value_or(PatchOffset()) - PatchOffset();
    timbre.patch = static_cast<uint8_t>(std::clamp(patch, 0, kGeneralMidiPrograms - 1));
    return timbre;
}

// A program change to each (port, channel) pair the staff uses first, percussion aside.
void SendProgramChanges(const StaffRecord& staff) {
    std::vector<std::pair<int, int>> sent;
    for (const StaffTimbre& timbre : staff.timbres) {
        if (timbre.port >= kLogicalPortCount) continue;
        const std::pair<int, int> pair{timbre.port, timbre.channel};
        const bool earlier = std::find(sent.begin(), sent.end(), pair) != sent.end();
        sent.push_back(pair);
        if (earlier || timbre.channel == kPercussionChannel) continue;
        if (midi::OutputDevice* out = RunDeviceOfLogicalPort(timbre.port))
            out->Send(static_cast<uint32_t>(kProgramChange | timbre.channel) | (uint32_t{timbre.patch} << kDataShift));
    }
}

void ApplyMidi(WindowHandle dialog, ScoreView* view, int number) {
    ScoreDocument* document = view->document;
    const UndoStep edit(document, view, UndoKind::Item, kTimbreUndoType, UndoVerb::Modify);
    State().notes.PatchNumberOffset = ui::IsItemChecked(dialog, kOffsetOne) ? 1 : 0;
    StaffRecord* staff = StaffRecordOf(document, number);
    for (int t = 0; t < kTimbres; ++t) {
        staff->timbres[t] = ReadTimbre(dialog, t, staff->timbres[t]);
        const int initial = std::clamp(ui::GetItemInt(dialog, InitialId(t)).value_or(1), 0, kMostInitial);
        staff->staffData22[kInitialBytes + t] = static_cast<uint8_t>(initial - 1);
    }
    staff->baseKeyVelocity =
        static_cast<int8_t>(std::clamp(ui::GetItemInt(dialog, kVelocity).value_or(staff->baseKeyVelocity), 0, kMostVelocity));
    SendProgramChanges(*staff);
    SetDocumentModified(document);
}

// The default timbres of a staff: its own channel on port A, the others unset.
void ResetTimbres(WindowHandle dialog, int number) {
    for (int t = 0; t < kTimbres; ++t) {
        StaffTimbre timbre{kNoPort, 0, 0, 0};
        if (t == 0) timbre = {0, static_cast<uint8_t>((number - 1) % kChannels), 0, 0};
        ShowTimbre(dialog, t, timbre);
    }
}

intptr_t OnMidiCommand(WindowHandle dialog, ScoreView* view, int number, uint32_t word) {
    const int32_t id = static_cast<int32_t>(win::CommandId(word));
    for (int t = 0; t < kTimbres; ++t) {
        if (id == kFirstPatchCombo + t && win::CommandCode(word) == ui::kComboSelectionChanged) {
            const int32_t index = ui::ComboGetSelection(ui::GetDialogItem(dialog, id));
            if (index >= 0) ui::SetItemInt(dialog, PatchId(t), index + PatchOffset());
            return 1;
        }
    }
    if (id == kReset) {
        ResetTimbres(dialog, number);
        return 1;
    }
    if (id != ui::kIdOk && id != ui::kIdCancel) return 0;
    if (id == ui::kIdOk) ApplyMidi(dialog, view, number);
    ui::EndDialog(dialog, id);
    return 1;
}

}  // namespace

int RunStaffMidiDialog(ScoreView* view, int number) {
    if (view == nullptr || view->document == nullptr) return 0;
    const StaffRecord* staff = StaffRecordOf(view->document, number);
    if (staff == nullptr || number < 1 || number > view->document->header.staffCount) return 0;
    const intptr_t result =
        ModalDialogBox(view, kStaffMidiDialog,
                       [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
                           if (message == win::Message::InitDialog) {
                               InitMidi(dialog, *staff, number);
                               return 0;
                           }
                           if (message == win::Message::VerticalScroll) return OnMidiScroll(dialog, word, data);
                           if (message != win::Message::Command) return 0;
                           return OnMidiCommand(dialog, view, number, word);
                       });
    return result == ui::kIdOk ? 1 : 0;
}

}  // namespace ql
