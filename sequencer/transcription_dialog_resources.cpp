// Templates of the transcription option dialogs, as entries of the program's
// resource bundle.
#include "sequencer/transcription_dialog_resources.h"

#include "core/ui/dialog_grid.h"
#include "core/ui/help.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

constexpr dialog_grid::GridSizes kSizes{90, 28, 50};
constexpr uint32_t kTab = win::kStyleVisible | win::kStyleTabStop;
constexpr int16_t kWideButton = 64;  // a push button whose text is longer than OK or Cancel

void HelpButton(dialog_grid::DialogGrid& g, int column, int row) {
    g.Add(ui::kButtonClass, kHelpButtonId, "", column, row, kSizes.buttonWidth, kTab | ui::kButtonOwnerDraw);
}

constexpr const char* kGrids[] = {"None", "Sixty-fourth", "Thirty-second", "Sixteenth", "Eighth", "Quarter"};

ui::DialogTemplate QuantizationTemplate() {
    namespace q = quantization_dialog;
    dialog_grid::DialogGrid g("Set Quantization", 3, 8, kSizes);
    g.Label("Note On", 0, 0);
    g.Label("Note Off", 1, 0);
    for (int e = q::kFirstExponent; e <= q::kLastExponent; ++e) {
        g.Radio(q::kAttackBase + e, kGrids[e - q::kFirstExponent], 0, 1 + e - q::kFirstExponent, e == q::kFirstExponent);
        g.Radio(q::kReleaseBase + e, kGrids[e - q::kFirstExponent], 1, 1 + e - q::kFirstExponent, e == q::kFirstExponent);
    }
    g.Check(q::kTriplets, "Allow triplets", 2, 3);
    g.Check(q::kQuintuplets, "Allow quintuplets", 2, 4);
    g.Check(q::kSyncopation, "Allow syncopation", 2, 5);
    g.Add(ui::kButtonClass, q::kAdvanced, "Advanced...", 2, 6, kSizes.buttonWidth, kTab);
    g.Buttons(2, 0);
    HelpButton(g, 2, 2);
    return g.dialog;
}

ui::DialogTemplate AdvancedTemplate() {
    namespace a = advanced_quantization_dialog;
    constexpr const char* kExtends[] = {"16th", "8th", "Quarter"};
    constexpr const char* kOffsets[] = {"256th", "128th", "64th", "32nd", "16th", "8th"};
    dialog_grid::DialogGrid g("Advanced Quantization", 3, 9, kSizes);
    g.Check(a::kClip, "Clip notes to remove overlaps", 0, 0, 2);
    g.Check(a::kExtend, "Extend notes to fill gaps", 0, 1, 2);
    g.Check(a::kRetain, "Retain quantization error", 0, 2, 2);
    for (int e = a::kFirstExtend; e <= a::kLastExtend; ++e)
        g.Radio(a::kExtendBase + e, kExtends[e - a::kFirstExtend], 0, 3 + e - a::kFirstExtend, e == a::kFirstExtend);
    for (int e = a::kFirstOffset; e <= a::kLastOffset; ++e)
        g.Radio(a::kOffsetBase + e, kOffsets[e - a::kFirstOffset], 1, 3 + e - a::kFirstOffset, e == a::kFirstOffset);
    g.Buttons(2, 0);
    HelpButton(g, 2, 2);
    return g.dialog;
}

ui::DialogTemplate FilterTemplate() {
    namespace f = message_filter_dialog;
    constexpr const char* kKindNames[] = {"Key pressure", "Controllers", "Patch change", "Channel pressure", "Pitch wheel"};
    dialog_grid::DialogGrid g("MIDI Message Filter", 3, 9, kSizes);
    g.Label("Filter Out", 0, 0);
    g.Label("Hide", 1, 0);
    for (int k = 0; k < f::kKinds; ++k) {
        g.Check(f::kFilterKeyPressure + k, kKindNames[k], 0, 1 + k);
        g.Check(f::kHideKeyPressure + k, kKindNames[k], 1, 1 + k);
    }
    g.Check(f::kFilterTempo, "Tempo", 0, 6);
    g.Check(f::kHideTempo, "Tempo", 1, 6);
    g.Check(f::kFilterSysex, "System exclusive", 0, 7);
    g.Check(f::kHideSysex, "System exclusive", 1, 7);
    g.Buttons(2, 0);
    HelpButton(g, 2, 2);
    return g.dialog;
}

ui::DialogTemplate ChannelStaffTemplate() {
    namespace c = channel_staff_dialog;
    dialog_grid::DialogGrid g("Channel-Staff Assignments", 5, 8, kSizes);
    for (int channel = 1; channel <= c::kChannels; ++channel) {
        const int column = (channel - 1) / 8 * 2;
        const int row = (channel - 1) % 8;
        const std::string label = "Channel " + std::to_string(channel);
        g.Label(label.c_str(), column, row);
        g.BoundSpinEdit(c::EditOfChannel(channel) - 1, column + 1, row);
    }
    g.Buttons(4, 0);
    HelpButton(g, 4, 2);
    return g.dialog;
}

ui::DialogTemplate TimbreTemplate() {
    namespace t = note_timbre_dialog;
    dialog_grid::DialogGrid g("Note Timbre", 3, 5, kSizes);
    g.Radio(t::kStaffDefault, "Use current staff default value", 0, 0, true, 2);
    for (int i = 1; i <= 4; ++i) {
        const std::string text = "Timbre " + std::to_string(i);
        g.Radio(t::kStaffDefault + i, text.c_str(), 0, i);
    }
    g.Buttons(2, 0);
    HelpButton(g, 2, 2);
    return g.dialog;
}

ui::DialogTemplate LoosenUpTemplate() {
    namespace l = loosen_up_dialog;
    constexpr const char* kTimings[] = {"1024th note", "512th note", "256th note", "128th note",
                                        "64th note",   "32nd note",  "16th note"};
    dialog_grid::DialogGrid g("Loosen Up!", 3, 9, kSizes);
    g.Label("Key velocity looseness", 0, 0);
    g.BoundSpinEdit(l::kVelocitySpin, 0, 1);
    g.Label("Choose Looseness", 1, 0);
    for (int i = 0; i <= l::kTimingLast - l::kTimingBase; ++i) g.Radio(l::kTimingBase + i, kTimings[i], 1, 1 + i, i == 0);
    g.Check(l::kDotted, "Dotted", 0, 3);
    g.Buttons(2, 0);
    HelpButton(g, 2, 2);
    return g.dialog;
}

ui::DialogTemplate ImportOptionsTemplate() {
    namespace i = import_options_dialog;
    dialog_grid::DialogGrid g("Prepare Import", 2, 7, kSizes);
    g.Check(i::kGuessClefs, "Guess clefs", 0, 0);
    g.Check(i::kTriplets, "Allow Triplets", 0, 1);
    g.Check(i::kQuintuplets, "Allow Quintuplets", 0, 2);
    g.Check(i::kSyncopation, "Allow syncopation", 0, 3);
    g.Add(ui::kButtonClass, i::kQuantization, "Quantization...", 0, 4, kWideButton, kTab);
    g.Add(ui::kButtonClass, i::kFilters, "Filters...", 0, 5, kWideButton, kTab);
    g.Add(ui::kButtonClass, i::kAccidentals, "Accidentals...", 0, 6, kWideButton, kTab);
    g.Buttons(1, 0, "Continue", "Cancel");
    HelpButton(g, 1, 2);
    return g.dialog;
}

ui::DialogTemplate MidiHeaderTemplate() {
    namespace h = midi_header_dialog;
    constexpr int16_t kTextEditWidth = 180;
    dialog_grid::DialogGrid g("MIDI Header Information", 3, 4, kSizes);
    g.Label("Title:", 0, 0);
    g.Add(ui::kEditClass, h::kTitle, "", 1, 0, kTextEditWidth, kTab);
    g.Label("Copyright:", 0, 1);
    g.Add(ui::kEditClass, h::kCopyright, "", 1, 1, kTextEditWidth, kTab);
    g.Buttons(1, 2);
    return g.dialog;
}

}  // namespace

void AddTranscriptionDialogResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(quantization_dialog::kDialog, QuantizationTemplate());
    bundle.dialogs.emplace(advanced_quantization_dialog::kDialog, AdvancedTemplate());
    bundle.dialogs.emplace(message_filter_dialog::kDialog, FilterTemplate());
    bundle.dialogs.emplace(channel_staff_dialog::kDialog, ChannelStaffTemplate());
    bundle.dialogs.emplace(note_timbre_dialog::kDialog, TimbreTemplate());
    bundle.dialogs.emplace(loosen_up_dialog::kDialog, LoosenUpTemplate());
    bundle.dialogs.emplace(import_options_dialog::kDialog, ImportOptionsTemplate());
    bundle.dialogs.emplace(midi_header_dialog::kDialog, MidiHeaderTemplate());
}

void RegisterTranscriptionDialogResources() {
    dialog_grid::AddToProgramBundle(AddTranscriptionDialogResources);
}

}  // namespace ql
