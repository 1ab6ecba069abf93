// Templates of the MIDI event object's dialogs, laid out on the dialog grid. The texts
// are the dialogs' own.
#include "sequencer/midi_action_dialog_resources.h"

#include <iterator>

#include "core/ui/dialog_grid.h"
#include "platform/ui/dialog_template.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using dialog_grid::DialogGrid;
using dialog_grid::kMargin;

constexpr int16_t kColumnWidth = 135;
constexpr dialog_grid::GridSizes kSizes{kColumnWidth, 32, 50};
constexpr uint32_t kTab = win::kStyleVisible | win::kStyleTabStop;
constexpr int kKinds = 7;
constexpr const char* kKindLabels[kKinds] = {
    "Note on & off",    "Key Pressure", "Realtime controller", "Patch change",
    "Channel Pressure", "Pitch wheel",  "User bytes"};
constexpr const char* kKindButtons[kKinds] = {"Note",         "Key pressure",     "Controller",
                                              "Patch change", "Channel pressure", "Pitch wheel",
                                              "User bytes"};
constexpr const char* kSystemExclusiveLabel = "System exclusive";
constexpr const char* kModes[] = {"Send to this staff only",
                                  "Send to all staves",
                                  "Send to all staves in this bracket group",
                                  "Send to this staff plus one extra staff",
                                  "Send to this bracket group plus a staff",
                                  "Send to this staff plus an extra group",
                                  "Send to this group plus an extra group"};
constexpr const char* kDigits[] = {"1", "2", "3", "4"};

void Button(DialogGrid& b, int32_t id, const char* text, int column, int row) {
    b.Add(ui::kButtonClass, id, text, column, row, kColumnWidth - kMargin, kTab);
}

ui::DialogTemplate MidiEventTemplate() {
    using namespace midi_event_dialog;
    DialogGrid b("MIDI Event", 3, 7, kSizes);
    b.Check(kEnable, "Enable MIDI", 0, 0);
    b.Check(kHideImage, "Hide image", 1, 0);
    b.Radio(kSingle, "Single occurrence", 0, 1, true);
    b.Radio(kGradual, "Gradual transition", 0, 2);
    Button(b, kSetTransition, "Set Transition...", 1, 2);
    b.Label("", 0, 3, kKindLabel);
    Button(b, kSetMidi, "Set MIDI...", 1, 3);
    b.Add(ui::kEditClass, kImageText, "", 0, 4, kColumnWidth - kMargin, kTab);
    Button(b, kSetImage, "Set image...", 1, 4);
    Button(b, kSetOutput, "Set Output Destination...", 1, 5);
    b.Label("", 0, 6, kLogo);
    b.Buttons(2, 0);
    return b.dialog;
}

ui::DialogTemplate MidiMessageTemplate() {
    using namespace midi_message_dialog;
    DialogGrid b("MIDI Message", 4, 10, kSizes);
    for (int kind = 0; kind < kKinds; ++kind)
        b.Radio(kFirstKind + kind, kKindButtons[kind], 0, kind, kind == 0);
    b.Check(kSysEx, "Sys Ex", 0, 7);
    b.Label("Key:", 1, 0);
    b.SpinEdit(kKey - 1, 2, 0);
    b.Label("Velocity:", 1, 1);
    b.SpinEdit(kVelocity - 1, 2, 1);
    b.Label("Pressure:", 1, 2);
    b.SpinEdit(kPressure - 1, 2, 2);
    b.Label("Control number:", 1, 3);
    b.SpinEdit(kControlNumber - 1, 2, 3);
    b.Label("Amount:", 1, 4);
    b.SpinEdit(kControlAmount - 1, 2, 4);
    b.Label("Patch:", 1, 5);
    b.SpinEdit(kPatch - 1, 2, 5);
    b.Label("Channel pressure:", 1, 6);
    b.SpinEdit(kChannelPressure - 1, 2, 6);
    b.Label("Pitch wheel amount:", 1, 7);
    b.SpinEdit(kPitchWheel - 1, 2, 7);
    b.Label("User bytes (hexadecimal):", 0, 8);
    b.Add(ui::kEditClass, kUserBytes, "", 1, 8, static_cast<int16_t>(2 * kColumnWidth - kMargin),
          kTab);
    b.Label("", 0, 9, kLogo);
    b.Buttons(3, 0);
    return b.dialog;
}

ui::DialogTemplate TransitionTemplate() {
    using namespace transition_dialog;
    DialogGrid b("Set Transition", 3, 7, kSizes);
    b.Radio(kLinear, "Linear transition", 0, 0, true);
    b.Radio(kEnvelope, "Envelope transition", 0, 1);
    Button(b, kEditEnvelope, "Edit Envelope...", 1, 1);
    b.Label("Starting value:", 0, 2);
    b.SpinEdit(kStart - 1, 1, 2);
    b.Label("Final value:", 0, 3);
    b.SpinEdit(kFinal - 1, 1, 3);
    b.Label("Scale:", 0, 4);
    b.SpinEdit(kScale - 1, 1, 4);
    b.Label("Interval (sixteenth notes):", 0, 5);
    b.SpinEdit(kInterval - 1, 1, 5);
    b.Label("", 0, 6, kLogo);
    b.Buttons(2, 0);
    return b.dialog;
}

ui::DialogTemplate OutputTemplate() {
    using namespace output_dialog;
    DialogGrid b("Set MIDI Output Destination", 4, 12, kSizes);
    b.Radio(kVoices, "Send to voice(s)", 0, 0, true);
    b.Radio(kTimbres, "Send to timbre(s)", 1, 0);
    for (int mode = 0; mode < static_cast<int>(std::size(kModes)); ++mode)
        b.Radio(kFirstMode + mode, kModes[mode], 0, 1 + mode, mode == 0, 2);
    b.Label("On this staff ( group )", 2, 1);
    b.Label("On remote staff ( group )", 2, 4);
    // The four voice boxes of each group side by side, each as wide as its step.
    constexpr int16_t kMaskStep = 30;
    for (int bit = 0; bit < 4; ++bit) {
        for (int32_t id : {kFirstThisMask + bit, kFirstRemoteMask + bit}) {
            b.Check(id, kDigits[bit], 2, id < kFirstRemoteMask ? 2 : 5);
            ui::DialogUnitRect& rect = b.dialog.controls.back().rect;
            rect.x = static_cast<int16_t>(b.X(2) + bit * kMaskStep);
            rect.cx = static_cast<int16_t>(kMaskStep - 2);
        }
    }
    b.Label("Remote staff:", 0, 9);
    b.SpinEdit(kRemoteStaff - 1, 1, 9);
    b.Label("", 0, 11, kLogo);
    b.Buttons(3, 0);
    return b.dialog;
}

ui::DialogTemplate MidiValueTemplate() {
    using namespace midi_value_dialog;
    DialogGrid b("", 2, 3, kSizes);
    b.Add(ui::kComboBoxClass, kNames, "", 0, 0, kColumnWidth - kMargin, kTab);
    b.SpinEdit(kValue - 1, 0, 1);
    b.Buttons(1, 0);
    return b.dialog;
}

}  // namespace

const char* MidiKindLabel(int kind, bool systemExclusive) {
    if (kind < 0 || kind >= kKinds) return "";
    return kind == kKinds - 1 && systemExclusive ? kSystemExclusiveLabel : kKindLabels[kind];
}

void AddMidiActionDialogResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(midi_event_dialog::kDialog, MidiEventTemplate());
    bundle.dialogs.emplace(midi_message_dialog::kDialog, MidiMessageTemplate());
    bundle.dialogs.emplace(transition_dialog::kDialog, TransitionTemplate());
    bundle.dialogs.emplace(output_dialog::kDialog, OutputTemplate());
    bundle.dialogs.emplace(midi_value_dialog::kDialog, MidiValueTemplate());
}

void RegisterMidiActionDialogResources() {
    dialog_grid::AddToProgramBundle(&AddMidiActionDialogResources);
}

}  // namespace ql
