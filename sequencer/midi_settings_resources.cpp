// Templates of the MIDI and playback settings dialogs, as entries of the program's
// resource bundle.
#include "sequencer/midi_settings_resources.h"

#include <string>

#include "core/ui/dialog_grid.h"
#include "core/ui/help.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using dialog_grid::DialogGrid;

constexpr dialog_grid::GridSizes kSizes{96, 30, 50};
constexpr uint32_t kTab = win::kStyleVisible | win::kStyleTabStop;
constexpr const char* kPortLetters = "ABCDEFGH";

void Button(DialogGrid& g, int32_t id, const char* text, int column, int row) {
    g.Add(ui::kButtonClass, id, text, column, row, kSizes.buttonWidth, kTab);
}

// A push button `span` cells wide, for a text longer than OK or Cancel.
void WideButton(DialogGrid& g, int32_t id, const char* text, int column, int row, int span) {
    g.Add(ui::kButtonClass, id, text, column, row, g.CellsWidth(span), kTab);
}

void HelpButton(DialogGrid& g, int column, int row) {
    g.Add(ui::kButtonClass, kHelpButtonId, "", column, row, kSizes.buttonWidth, kTab | ui::kButtonOwnerDraw);
}

void Combo(DialogGrid& g, int32_t id, int column, int row) {
    g.Add(ui::kComboBoxClass, id, "", column, row, kSizes.columnWidth - dialog_grid::kMargin,
          kTab | ui::kComboDropDownList);
}

void Finish(DialogGrid& g, int column) {
    g.Buttons(column, 0);
    HelpButton(g, column, 2);
}

// A dialog of one number with its bounds shown beside it.
ui::DialogTemplate NumberTemplate(const char* caption, const char* prompt) {
    namespace v = note_value_dialog;
    DialogGrid g(caption, 3, 4, kSizes);
    g.Label(prompt, 0, 0, ui::kUnusedControlId, 2);
    g.Edit(v::kValue, 0, 1);
    g.Label("", 1, 1, v::kBounds);
    Finish(g, 2);
    return g.dialog;
}

ui::DialogTemplate TransposeTemplate() {
    namespace v = note_value_dialog;
    DialogGrid g("Transpose", 3, 5, kSizes);
    g.Label("Steps to move:", 0, 0);
    g.Edit(v::kValue, 1, 0);
    g.Label("", 1, 1, v::kBounds);
    g.Radio(v::kChromatic, "Chromatic (Whole measures)", 0, 2, true, 2);
    g.Radio(v::kStaffDegrees, "Staff degrees (Selected notes)", 0, 3, false, 2);
    Finish(g, 2);
    return g.dialog;
}

ui::DialogTemplate CrossStaffTemplate() {
    DialogGrid g("Cross-staff Setting", 3, 4, kSizes);
    g.Check(note_value_dialog::kValue, "Make cross-staff notes", 0, 0, 2);
    Finish(g, 2);
    return g.dialog;
}

ui::DialogTemplate DurationsTemplate() {
    namespace d = note_durations_dialog;
    DialogGrid g("Set Default Note Durations", 3, 4, kSizes);
    g.Label("Default for manuscript:", 0, 0);
    g.Edit(d::kScore, 1, 0);
    g.Label("Default for new files:", 0, 1);
    g.Edit(d::kNewFiles, 1, 1);
    Finish(g, 2);
    return g.dialog;
}

ui::DialogTemplate PortsTemplate() {
    namespace p = port_assignment_dialog;
    DialogGrid g("MIDI Port Assignment", 3, 12, kSizes);
    for (int port = 0; port < kLogicalPortButtons; ++port) {
        const std::string label = std::string("Port ") + kPortLetters[port];
        g.Label(label.c_str(), 0, port);
        Combo(g, p::kFirstPort + port, 1, port);
    }
    g.Label("MIDI step entry:", 0, 8);
    Combo(g, p::kStepEntry, 1, 8);
    g.Label("Record:", 0, 9);
    Combo(g, p::kRecord, 1, 9);
    g.Label("Metronome:", 0, 10);
    Combo(g, p::kMetronome, 1, 10);
    Finish(g, 2);
    Button(g, p::kReset, "&Reset", 2, 4);
    return g.dialog;
}

ui::DialogTemplate PlaybackTemplate() {
    namespace p = playback_settings_dialog;
    DialogGrid g("Playback Settings", 4, 8, kSizes);
    g.Label("Tempo:", 0, 0);
    g.Edit(p::kTempo, 1, 0);
    g.Label("Additional velocity:", 0, 1);
    g.Edit(p::kVelocity, 1, 1);
    g.Label("Additional transpose:", 0, 2);
    g.Edit(p::kTranspose, 1, 2);
    g.Radio(p::kFromStart, "Start at beginning", 0, 3, true, 2);
    g.Radio(p::kFromPage, "Start with this page", 0, 4, false, 2);
    g.Radio(p::kRange, "Play measure range", 0, 5, false);
    g.Edit(p::kRangeFirst, 1, 5);
    g.Label("to", 2, 5);
    g.Edit(p::kRangeLast, 2, 5 + 1);
    g.Label("RTC frequency:", 0, 7);
    g.Edit(p::kRtcFrequency, 1, 7);
    Finish(g, 3);
    return g.dialog;
}

void SendPortChecks(DialogGrid& g, int32_t first, int column, int row) {
    for (int port = 0; port < kLogicalPortButtons; ++port) {
        const std::string label = std::string("Send to port ") + kPortLetters[port];
        g.Check(first + port, label.c_str(), column + port / 4, row + port % 4);
    }
}

ui::DialogTemplate SyncTemplate() {
    namespace s = sync_dialog;
    constexpr const char* kModes[] = {"None", "Master", "Slave"};
    DialogGrid g("MIDI Synchronization", 3, 10, kSizes);
    g.Label("MIDI Sync - Playback", 0, 0);
    g.Label("MIDI Sync - Record", 1, 0);
    for (int mode = 0; mode < 3; ++mode) {
        g.Radio(s::kPlayNone + mode, kModes[mode], 0, 1 + mode, mode == 0);
        g.Radio(s::kRecordNone + mode, kModes[mode], 1, 1 + mode, mode == 0);
    }
    g.Label("Receive sync on port:", 0, 4);
    Combo(g, s::kReceivePort, 1, 4);
    SendPortChecks(g, s::kFirstSendPort, 0, 5);
    Finish(g, 2);
    return g.dialog;
}

ui::DialogTemplate ThruTemplate() {
    DialogGrid g("MIDI Thru", 3, 4, kSizes);
    SendPortChecks(g, thru_dialog::kFirstSendPort, 0, 0);
    Finish(g, 2);
    return g.dialog;
}

ui::DialogTemplate RecordTemplate() {
    namespace r = record_setup_dialog;
    DialogGrid g("Record Setup", 4, 9, kSizes);
    g.Check(r::kPunch, "Use Punch in and out", 0, 0, 2);
    g.Label("Punch-in:", 0, 1);
    g.Edit(r::kPunchIn, 1, 1);
    g.Label("Punch-out:", 0, 2);
    g.Edit(r::kPunchOut, 1, 2);
    g.Radio(r::kSingle, "Single staff", 2, 0, true);
    g.Radio(r::kSingle + 1, "Split staff", 2, 1);
    g.Radio(r::kMultichannel, "Multichannel", 2, 2);
    g.Label("Record staff:", 0, 3);
    g.Edit(r::kRecordStaff, 1, 3);
    g.Label("Split staff:", 0, 4);
    g.Edit(r::kSplitStaff, 1, 4);
    g.Label("Split point:", 0, 5);
    g.Edit(r::kSplitPoint, 1, 5);
    WideButton(g, r::kChannels, "Assign channels to staves...", 0, 7, 2);
    Button(g, r::kAccidentals, "Accidentals...", 2, 7);
    Finish(g, 3);
    Button(g, r::kReset, "Re&set", 3, 4);
    return g.dialog;
}

ui::DialogTemplate MetronomeTemplate() {
    namespace m = metronome_dialog;
    DialogGrid g("Metronome Setup", 4, 8, kSizes);
    g.Label("Channel:", 0, 0);
    g.Edit(m::kChannel, 1, 0);
    g.Label("Measure click MIDI key #:", 0, 1);
    g.Edit(m::kBarKey, 1, 1);
    Button(g, m::kAuditionBar, "Audition", 2, 1);
    g.Label("Beat click MIDI key #: ", 0, 2);
    g.Edit(m::kBeatKey, 1, 2);
    Button(g, m::kAuditionBeat, "Audition", 2, 2);
    g.Label("Volume (0-127):", 0, 3);
    g.Edit(m::kVolume, 1, 3);
    g.Label("Patch:", 0, 4);
    g.Edit(m::kPatch, 1, 4);
    g.Label("Tempo:", 0, 5);
    g.Edit(m::kTempo, 1, 5);
    g.Label("Quarter notes per minute", 2, 5);
    g.Check(m::kSaveNow, "Save preferences after closing dialog", 0, 6, 3);
    Finish(g, 3);
    return g.dialog;
}

ui::DialogTemplate PatchCacheTemplate() {
    namespace c = patch_cache_dialog;
    DialogGrid g("Set Patch Caching", 5, 10, kSizes);
    constexpr int16_t kListHeightRows = 8;
    for (int32_t id : {c::kAllPatches, c::kCacheList}) {
        g.Add(ui::kListBoxClass, id, "", id == c::kAllPatches ? 0 : 3, 0, kSizes.columnWidth - dialog_grid::kMargin,
              kTab | ui::kListNotify);
        g.dialog.controls.back().rect.cy = kListHeightRows * dialog_grid::kRowHeight;
    }
    WideButton(g, c::kAdd, "Add to cache list >>", 1, 2, 2);
    WideButton(g, c::kRemove, "<< Remove from cache list", 1, 4, 2);
    Finish(g, 4);
    return g.dialog;
}

ui::DialogTemplate MixerSetupTemplate() {
    namespace m = mixer_setup_dialog;
    DialogGrid g("Mixer Setup", 4, 6, kSizes);
    g.Radio(m::kVelocityMode, "Adjust key velocity", 0, 0, true, 2);
    g.Radio(m::kControllerMode, "Adjust real-time controller", 0, 1, false, 2);
    g.Label("Controller #:", 0, 2);
    g.BoundSpinEdit(m::kController - 1, 1, 2);
    g.Label("Fader Range", 0, 3);
    g.BoundSpinEdit(m::kFaderFrom - 1, 1, 3);
    g.BoundSpinEdit(m::kFaderTo - 1, 2, 3);
    g.Label("Tempo Fader Range", 0, 4);
    g.BoundSpinEdit(m::kTempoFrom - 1, 1, 4);
    g.BoundSpinEdit(m::kTempoTo - 1, 2, 4);
    Finish(g, 3);
    return g.dialog;
}

}  // namespace

void AddMidiSettingsResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(834, TransposeTemplate());
    bundle.dialogs.emplace(824, NumberTemplate("Set Key Velocity", "Key velocity relative to staff base:"));
    bundle.dialogs.emplace(802, NumberTemplate("Set Note Attack Offset", "Attack offset in 4096th notes:"));
    bundle.dialogs.emplace(843, NumberTemplate("Set Note Release Offset", "Release offset in 4096th notes:"));
    bundle.dialogs.emplace(858, CrossStaffTemplate());
    bundle.dialogs.emplace(note_durations_dialog::kDialog, DurationsTemplate());
    bundle.dialogs.emplace(port_assignment_dialog::kDialog, PortsTemplate());
    bundle.dialogs.emplace(playback_settings_dialog::kDialog, PlaybackTemplate());
    bundle.dialogs.emplace(sync_dialog::kDialog, SyncTemplate());
    bundle.dialogs.emplace(thru_dialog::kDialog, ThruTemplate());
    bundle.dialogs.emplace(record_setup_dialog::kDialog, RecordTemplate());
    bundle.dialogs.emplace(metronome_dialog::kDialog, MetronomeTemplate());
    bundle.dialogs.emplace(patch_cache_dialog::kDialog, PatchCacheTemplate());
    bundle.dialogs.emplace(mixer_setup_dialog::kDialog, MixerSetupTemplate());
}

void RegisterMidiSettingsResources() {
    dialog_grid::AddToProgramBundle(AddMidiSettingsResources);
}

}  // namespace ql
