// The settings dialogs of ports and recording (see settings_dialogs.h): port
// assignment with the device names, synchronisation, thru and record set-up.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/model/score_document.h"
#include "core/settings/logical_ports.h"
#include "core/settings/program_options.h"
#include "core/settings/settings_store.h"
#include "core/ui/settings_dialog_frame.h"
#include "notes/respell/accidental_interpretation_dialog.h"
#include "platform/midi/midi.h"
#include "platform/ui/controls.h"
#include "sequencer/midi_settings_resources.h"
#include "sequencer/playback.h"
#include "sequencer/sequencer_services.h"
#include "sequencer/settings_dialogs.h"
#include "sequencer/transcription_dialogs.h"

namespace ql {
namespace {

using platform::WindowHandle;

constexpr uint32_t kPortsHelp = 1439;
constexpr uint32_t kSyncHelp = 1506;
constexpr uint32_t kThruHelp = 1163;
constexpr uint32_t kRecordHelp = 1000;
constexpr char kNoDevice[] = "NONE";
constexpr int32_t kMidiTop = 127;

std::vector<std::string> DeviceNames(bool outputs) {
    std::vector<std::string> names;
    for (const midi::DeviceInfo& info : midi::CurrentBackend().Devices())
        if (outputs ? info.output : info.input) names.push_back(info.name);
    return names;
}

// "NONE" then the devices; `index` selected when in the list, else "NONE".
void FillDeviceCombo(WindowHandle dialog, int32_t id, const std::vector<std::string>& names, int index) {
    const WindowHandle combo = ui::GetDialogItem(dialog, id);
    ui::ComboResetContent(combo);
    ui::ComboAddString(combo, kNoDevice);
    for (const std::string& name : names) ui::ComboAddString(combo, name);
    ui::ComboSetSelection(combo, index >= 0 && index <= static_cast<int>(names.size()) ? index : 0);
}

// The combo's choice: 0 "NONE", n the n-th device.
int ChosenDevice(WindowHandle dialog, int32_t id) {
    return std::max(ui::ComboGetSelection(ui::GetDialogItem(dialog, id)), 0);
}

// The list entry of a stored name (the combo entry of a device: 0 "NONE"), else
// the stored entry.
int EntryOf(const std::vector<std::string>& names, const std::string& name, int entry) {
    const auto found = std::find(names.begin(), names.end(), name);
    if (!name.empty() && found != names.end()) return static_cast<int>(found - names.begin()) + 1;
    return entry;
}

std::string NameOf(const std::vector<std::string>& names, int entry) {
    return entry >= 1 && entry <= static_cast<int>(names.size()) ? names[entry - 1] : std::string();
}

void ShowPortMask(WindowHandle dialog, int32_t first, uint8_t mask) {
    for (int port = 0; port < kLogicalPortButtons; ++port) ui::CheckItem(dialog, first + port, (mask >> port & 1) != 0);
}

uint8_t ReadPortMask(WindowHandle dialog, int32_t first) {
    uint8_t mask = 0;
    for (int port = 0; port < kLogicalPortButtons; ++port)
        if (ui::IsItemChecked(dialog, first + port)) mask = static_cast<uint8_t>(mask | 1u << port);
    return mask;
}

}  // namespace

bool MidiSyncAvailable() {
    return !DeviceNames(false).empty();
}

// Each port shows the device it plays on (the run's rule, ResolvePortDevices), and
// "NONE" only for a port set to none. OK stores by name and entry the device of
// each port the user changed, and "NONE" as the none entry; a port left as shown
// keeps its stored choice (an unplugged device shown by its stand-in stays
// chosen). Reset puts every port on the default device. The metronome's device
// is shown and stored likewise (SavedMetronomeDevice).
intptr_t RunPortAssignmentDialog(ScoreView* view) {
    namespace p = port_assignment_dialog;
    ProgramOptions& o = Options();
    const std::vector<midi::DeviceInfo> devices = midi::CurrentBackend().Devices();
    const std::vector<std::string> outputs = DeviceNames(true);
    const std::vector<std::string> inputs = DeviceNames(false);
    const PortChoices saved = SavedPortChoices();
    std::array<int, kLogicalPortCount> shown{};
    bool reset = false;  // Reset chose every port anew
    const int metronomeShown = EntryOf(outputs, SavedMetronomeDevice(devices), 0);
    CloseMidiOutputPorts();
    const intptr_t result = RunSettingsDialog(
        p::kDialog, kPortsHelp,
        [&](WindowHandle dialog) {
            const std::array<std::string, kLogicalPortCount> playing = ResolvePortDevices(devices, saved);
            for (int port = 0; port < kLogicalPortCount; ++port) {
                shown[port] = EntryOf(outputs, playing[port], 0);
                FillDeviceCombo(dialog, p::kFirstPort + port, outputs, shown[port]);
            }
            FillDeviceCombo(dialog, p::kStepEntry, inputs, o.MidiStepInPort);
            FillDeviceCombo(dialog, p::kRecord, inputs, EntryOf(inputs, o.RecordPortName, o.RecordPort + 1));
            FillDeviceCombo(dialog, p::kMetronome, outputs, metronomeShown);
        },
        [&](WindowHandle dialog) {
            std::array<std::string, kLogicalPortCount> names = saved.names;
            for (int port = 0; port < kLogicalPortCount; ++port) {
                const int entry = ChosenDevice(dialog, p::kFirstPort + port);
                if (entry == shown[port] && !reset) continue;
                o.MidiPortMap[port] = entry == 0 ? kNoDeviceEntry : static_cast<uint8_t>(entry);
                names[port] = NameOf(outputs, entry);
            }
            o.MidiPortNames = JoinPortNames(names);
            o.MidiStepInPort = static_cast<uint8_t>(ChosenDevice(dialog, p::kStepEntry));
            const int record = ChosenDevice(dialog, p::kRecord);
            o.RecordPort = static_cast<uint8_t>(std::max(record - 1, 0));
            o.RecordPortName = NameOf(inputs, record);
            if (const int metronome = ChosenDevice(dialog, p::kMetronome); metronome != metronomeShown) {
                o.MetronomePort = metronome;
                o.MetronomePortName = NameOf(outputs, metronome);
            }
            SavePreferences(false);
        },
        [&](WindowHandle dialog, int32_t id, uint32_t) {
            if (id != p::kReset) return false;
            const int entry = EntryOf(outputs, DefaultOutputName(devices), 0);
            reset = true;
            for (int port = 0; port < kLogicalPortCount; ++port)
                ui::ComboSetSelection(ui::GetDialogItem(dialog, p::kFirstPort + port), entry);
            return true;
        });
    OpenMidiPortsWithPatchCache(view != nullptr ? view->document : nullptr);
    return result;
}

intptr_t RunSyncDialog(ScoreView* /*view*/) {
    namespace s = sync_dialog;
    ProgramOptions& o = Options();
    const bool available = MidiSyncAvailable();
    const std::vector<std::string> inputs = DeviceNames(false);
    return RunSettingsDialog(
        s::kDialog, kSyncHelp,
        [&](WindowHandle dialog) {
            const int play = available ? std::clamp<int>(o.PlaySyncMode, 0, 2) : 0;
            const int record = available ? std::clamp<int>(o.RecordSyncMode, 0, 2) : 0;
            ui::CheckRadioButton(dialog, s::kPlayNone, s::kPlayNone + 2, s::kPlayNone + play);
            ui::CheckRadioButton(dialog, s::kRecordNone, s::kRecordNone + 2, s::kRecordNone + record);
            for (int mode = 0; mode < 3 && !available; ++mode) {
                ui::EnableItem(dialog, s::kPlayNone + mode, false);
                ui::EnableItem(dialog, s::kRecordNone + mode, false);
            }
            FillDeviceCombo(dialog, s::kReceivePort, inputs, o.SyncInPort + 1);
            ShowPortMask(dialog, s::kFirstSendPort, o.SyncPorts);
        },
        [&](WindowHandle dialog) {
            int play = 0;
            int record = 0;
            for (int mode = 0; mode < 3 && available; ++mode) {
                if (ui::IsItemChecked(dialog, s::kPlayNone + mode)) play = mode;
                if (ui::IsItemChecked(dialog, s::kRecordNone + mode)) record = mode;
            }
            o.PlaySyncMode = static_cast<uint8_t>(play);
            o.RecordSyncMode = static_cast<uint8_t>(record);
            SetIntSettingValue("SyncInPort", std::max(ChosenDevice(dialog, s::kReceivePort) - 1, 0));
            SetIntSettingValue("SyncPorts", ReadPortMask(dialog, s::kFirstSendPort));
        },
        kNoCommand);
}

intptr_t RunThruDialog(ScoreView* /*view*/) {
    namespace t = thru_dialog;
    return RunSettingsDialog(
        t::kDialog, kThruHelp, [&](WindowHandle dialog) { ShowPortMask(dialog, t::kFirstSendPort, Options().ThruPorts); },
        [&](WindowHandle dialog) { SetIntSettingValue("ThruPorts", ReadPortMask(dialog, t::kFirstSendPort)); }, kNoCommand);
}

intptr_t RunRecordSetupDialog(ScoreView* view) {
    namespace r = record_setup_dialog;
    ProgramOptions& o = Options();
    const ScoreDocument* document = view != nullptr ? view->document : nullptr;
    const int32_t measures = document != nullptr ? std::max<int32_t>(document->header.measureCount, 1) : 1;
    const int32_t staves = document != nullptr ? std::max<int32_t>(document->header.staffCount, 1) : 1;
    const auto show = [&](WindowHandle dialog, bool reset) {
        const auto valid = [](int32_t value, int32_t high) { return value >= 1 && value <= high; };
        ui::CheckItem(dialog, r::kPunch, !reset && o.RecordContinue == 0);
        ui::SetItemInt(dialog, r::kPunchIn, !reset && valid(o.PunchIn, measures + 1) ? o.PunchIn : 1);
        ui::SetItemInt(dialog, r::kPunchOut, !reset && valid(o.PunchOut, measures + 1) ? o.PunchOut : measures + 1);
        const bool validStaves = !reset && valid(o.RecordStaff, staves) && valid(o.SplitStaff, staves);
        const int mode = validStaves && o.RecordMode <= 2 ? o.RecordMode : 0;
        ui::CheckRadioButton(dialog, r::kSingle, r::kMultichannel, r::kSingle + mode);
        ui::SetItemInt(dialog, r::kRecordStaff, validStaves ? o.RecordStaff : 1);
        ui::SetItemInt(dialog, r::kSplitStaff, validStaves ? o.SplitStaff : 1);
        ui::SetItemInt(dialog, r::kSplitPoint, std::min<int32_t>(o.SplitPoint, kMidiTop));
    };
    return RunSettingsDialog(
        r::kDialog, kRecordHelp, [&](WindowHandle dialog) { show(dialog, false); },
        [&](WindowHandle dialog) {
            TypedNumbers typed(dialog);
            const int32_t in = typed.Read(r::kPunchIn, 1, measures + 1, 1);
            const int32_t out = typed.Read(r::kPunchOut, in, measures + 1, measures + 1);
            const int32_t recordStaff = typed.Read(r::kRecordStaff, 1, staves, 1);
            const int32_t splitStaff = typed.Read(r::kSplitStaff, 1, staves, 1);
            const int32_t splitPoint = typed.Read(r::kSplitPoint, 0, kMidiTop, o.SplitPoint);
            typed.BeepIfClamped();
            int mode = 0;
            for (int m = 0; m <= 2; ++m)
                if (ui::IsItemChecked(dialog, r::kSingle + m)) mode = m;
            if (mode == 1 && splitStaff == recordStaff) mode = 0;
            o.PunchIn = static_cast<uint16_t>(in);
            o.PunchOut = static_cast<uint16_t>(out);
            SetIntSettingValue("RecordContinue", ui::IsItemChecked(dialog, r::kPunch) ? 0 : 1);
            SetIntSettingValue("RecordMode", mode);
            SetIntSettingValue("RecordStaff", recordStaff);
            SetIntSettingValue("SplitStaff", splitStaff);
            SetIntSettingValue("SplitPoint", splitPoint);
        },
        [&](WindowHandle dialog, int32_t id, uint32_t) {
            if (id == r::kChannels) RunChannelStaffDialog(view);
            else if (id == r::kAccidentals) RunAccidentalInterpretationDialog(view);
            else if (id == r::kReset) show(dialog, true);
            else return false;
            return true;
        });
}

}  // namespace ql
