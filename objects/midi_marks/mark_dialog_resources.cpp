// Templates of the mark dialogs, laid out on the dialog grid: each control names its
// column and row. The texts are the dialogs' own.
#include "objects/midi_marks/mark_dialog_resources.h"

#include <iterator>
#include <string>

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
constexpr int kQualityCount = 16;
constexpr int kLetterCount = 7;
constexpr int kPreviewRows = 5;

constexpr const char* kQualityLabels[kQualityCount] = {
    "Major",        "Minor",       "Augmented",     "Dominant 7", "Major 7",   "Minor 7",
    "Diminished 7", "Augmented 7", "Major 6",       "Dom 7 (9)",  "Suspended 4", "Dom 7 (sus 4)",
    "Minor 6",      "add 2",       "Min 7 (-5)",    "Dom 7 (9-5)"};
constexpr const char* kLetters[kLetterCount] = {"C", "D", "E", "F", "G", "A", "B"};

void Button(DialogGrid& b, int32_t id, const char* text, int column, int row) {
    b.Add(ui::kButtonClass, id, text, column, row, kColumnWidth - kMargin, kTab);
}

ui::DialogTemplate DynamicTemplate() {
    using namespace dynamic_dialog;
    DialogGrid b("Dynamic Marking", 3, 7, kSizes);
    b.Label("Add this amount to key velocities:", 0, 0);
    b.SpinEdit(kValueSpin, 1, 0);
    b.Check(kEnable, "Enable MIDI", 0, 1);
    b.Check(kKeyVelocity, "Key velocity", 0, 2);
    b.Radio(kSingle, "Single occurrence", 0, 3, true);
    b.Radio(kGradual, "Gradual transition", 0, 4);
    Button(b, kSetTransition, "Set Transition", 1, 4);
    Button(b, kSetImage, "Set Image...", 1, 5);
    Button(b, kOutput, "Set Output Destination...", 0, 5);
    b.Label("", 0, 6, mark_dialog::kLogo);
    b.Buttons(2, 0);
    return b.dialog;
}

ui::DialogTemplate PedalTemplate() {
    using namespace pedal_dialog;
    DialogGrid b("Pedal Controller", 3, 5, kSizes);
    b.Check(kEnable, "Enable MIDI", 0, 0);
    b.Label("MIDI value:", 0, 1);
    b.SpinEdit(kValueSpin, 1, 1);
    b.Label("Set this Pedal mark to MIDI footswitch #:", 0, 2, ui::kUnusedControlId, 2);
    b.SpinEdit(kControllerSpin, 1, 3);
    Button(b, kOutput, "Set Output Destination...", 0, 4);
    b.Buttons(2, 0);
    return b.dialog;
}

ui::DialogTemplate TempoTemplate() {
    using namespace tempo_dialog;
    DialogGrid b("Tempo Marking", 3, 8, kSizes);
    b.Check(kEnable, "Enable MIDI", 0, 0);
    b.Radio(kSingle, "Single occurrence", 0, 1, true);
    b.Radio(kGradual, "Gradual transition", 0, 2);
    Button(b, kSetTransition, "Set Transition...", 1, 2);
    Button(b, kSetImage, "Set Image...", 1, 3);
    b.Check(kShowBeats, "Show # of beats", 0, 3);
    b.Check(kHideImage, "Hide image", 0, 4);
    b.Radio(kEighth, "Eighth", 1, 4, true);
    b.Radio(kQuarter, "Quarter", 1, 5);
    b.Radio(kHalf, "Half", 1, 6);
    b.Check(kDotted, "Dotted", 1, 7);
    b.Label("Beats per minute:", 0, 5);
    b.SpinEdit(kBeatsSpin, 0, 6);
    b.Label("Maximum Beats per minute:", 2, 6);
    b.Label("", 2, 7, kMaximum);
    b.Label("", 0, 7, mark_dialog::kLogo);
    b.Buttons(2, 0);
    return b.dialog;
}

ui::DialogTemplate HairpinTemplate() {
    using namespace hairpin_dialog;
    DialogGrid b("Crescendo", 3, 7, kSizes);
    b.Check(kEnable, "Enable MIDI", 0, 0);
    b.Label("Gradually change", 0, 1);
    b.Label("from:", 0, 2);
    b.SpinEdit(kFromSpin, 1, 2);
    b.Label("to:", 0, 3);
    b.SpinEdit(kToSpin, 1, 3);
    b.Radio(kVolume, "MIDI Volume", 0, 4, true);
    b.Radio(kKeyVelocity, "Key Velocity", 1, 4);
    b.Label("Line width:", 0, 5);
    b.SpinEdit(kWidthSpin, 1, 5);
    b.Label("(128 = 1 staff space)", 2, 5);
    Button(b, kOutput, "Set Output Destination...", 0, 6);
    b.Label("", 1, 6, mark_dialog::kLogo);
    b.Buttons(2, 0);
    return b.dialog;
}

ui::DialogTemplate ChordTemplate() {
    using namespace chord_dialog;
    DialogGrid b("Chord Symbols", 5, 18, kSizes);
    b.Radio(kSymbolAndName, "Symbol and name", 0, 0, true);
    b.Radio(kSymbolOnly, "Symbol only", 0, 1);
    b.Radio(kNameOnly, "Name only", 0, 2);
    for (int i = 0; i < kLetterCount; ++i) {
        const std::string root = std::string(kLetters[i]) + " Root";
        const std::string bass = std::string(kLetters[i]) + " Bass";
        b.Radio(kFirstRoot + i, root.c_str(), 1, i, i == 0);
        b.Radio(kFirstBass + i, bass.c_str(), 2, i, i == 0);
    }
    b.Check(kRootSharp, "Sharp", 1, 7);
    b.Check(kRootFlat, "Flat", 1, 8);
    b.Check(kBassSharp, "Sharp", 2, 7);
    b.Check(kBassFlat, "Flat", 2, 8);
    for (int q = 0; q < kQualityCount; ++q) b.Radio(kFirstQuality + q, kQualityLabels[q], 3, q, q == 0);
    b.Label("Chord name font:", 0, 10);
    b.Add(ui::kComboBoxClass, kNameFont, "", 0, 11, kColumnWidth - kMargin, kTab);
    Button(b, kRename, "Rename chord...", 0, 12);
    // The live preview: an owner-drawn control four rows tall.
    b.Add(ui::kButtonClass, kPreview, "", 0, 4, kColumnWidth - kMargin, win::kStyleVisible | ui::kButtonOwnerDraw);
    b.dialog.controls.back().rect.cy = static_cast<int16_t>(kPreviewRows * dialog_grid::kRowHeight);
    b.Label("", 0, 13, mark_dialog::kLogo);
    b.Buttons(4, 0);
    return b.dialog;
}

ui::DialogTemplate RenameChordTemplate() {
    using namespace rename_chord_dialog;
    DialogGrid b("Rename Chord Symbols", 3, 17, kSizes);
    for (int q = 0; q < kQualityCount; ++q) {
        b.Label(kQualityLabels[q], 0, q, kFirstLabel + q);
        b.Add(ui::kEditClass, kFirstSuffix + q, "", 1, q, kColumnWidth - kMargin, kTab);
    }
    b.Check(kSavePreferences, "Save Preferences", 0, 16);
    b.Buttons(2, 0);
    return b.dialog;
}

}  // namespace

const char* ChordQualityLabel(int quality) {
    return quality >= 0 && quality < kQualityCount ? kQualityLabels[quality] : "";
}

void AddMarkDialogResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(dynamic_dialog::kDialog, DynamicTemplate());
    bundle.dialogs.emplace(pedal_dialog::kDialog, PedalTemplate());
    bundle.dialogs.emplace(tempo_dialog::kDialog, TempoTemplate());
    bundle.dialogs.emplace(hairpin_dialog::kDialog, HairpinTemplate());
    bundle.dialogs.emplace(chord_dialog::kDialog, ChordTemplate());
    bundle.dialogs.emplace(rename_chord_dialog::kDialog, RenameChordTemplate());
}

void RegisterMarkDialogResources() {
    dialog_grid::AddToProgramBundle(&AddMarkDialogResources);
}

}  // namespace ql
