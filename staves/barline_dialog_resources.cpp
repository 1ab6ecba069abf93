// Templates of the barline and measure dialogs, laid out on the dialog grid: each
// control names its column and row. The texts are the dialogs' own.
#include "staves/barline_dialog_resources.h"

#include "core/ui/dialog_grid.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using dialog_grid::DialogGrid;
using dialog_grid::kMargin;
using dialog_grid::kSpinWidth;

constexpr int16_t kColumnWidth = 115;
constexpr dialog_grid::GridSizes kSizes{kColumnWidth, 32, 50};
constexpr uint32_t kVisible = win::kStyleVisible;
constexpr uint32_t kTab = win::kStyleVisible | win::kStyleTabStop;

ui::DialogTemplate BarlinesTemplate() {
    using namespace barline_dialog;
    DialogGrid b("Barlines", 3, 11, kSizes);
    b.Label("Bar 00", 0, 0, kBarlineTitle);
    const char* types[] = {"Single barline", "Double barlines", "Begin section", "End section", "Thick barline",
                           "Start repeat",   "End repeat",      "Both repeats",  "Dotted barline"};
    for (int i = 0; i <= kLastBarlineType - kFirstBarlineType; ++i)
        b.Radio(kFirstBarlineType + i, types[i], 0, 1 + i, i == 0);
    b.Check(kHideBarline, "Hide barline", 1, 1);
    b.Check(kHideLeftBar, "Hide bar left-of-staff", 1, 2);
    b.Label("Number", 1, 3, 612);
    b.Edit(kRepeatCount, 1, 4);
    b.Label("of repeats", 1, 5, 201);
    b.Label("Beat Count Override", 1, 6);
    b.Label("Number of 1/32nds:", 1, 7, 614);
    b.Edit(kThirtySeconds, 1, 8);
    b.Add(ui::kButtonClass, kHideObjectsButton, "&Hide Measure Objects...", 2, 1, kColumnWidth - kMargin, kTab);
    b.Add(ui::kButtonClass, kMeasureNumberButton, "Set Measure &Number...", 2, 2, kColumnWidth - kMargin, kTab);
    b.Buttons(2, 4);
    return b.dialog;
}

ui::DialogTemplate HideObjectsTemplate() {
    using namespace hide_objects_dialog;
    DialogGrid b("Hide Measure Objects", 3, 10, kSizes);
    b.Label("Bar 00", 0, 0, kTitle);
    b.Label("Hide", 0, 1);
    b.Check(kKeyChange, "Key Sig change", 0, 2);
    b.Check(kKeyCancel, "Key Cancel", 0, 3);
    b.Check(kClefChange, "Clef change", 0, 4);
    b.Check(kTimeChange, "Time Sig change", 0, 5);
    b.Check(kMeasureNumber, "Measure Number", 0, 6);
    b.Label("Hide Aux Notes", 1, 1);
    b.Check(kUpStems, "Up stems", 1, 2);
    b.Check(kUpStemsAux, "Up stems Aux", 1, 3);
    b.Check(kDownStems, "Dn stems", 1, 4);
    b.Check(kDownStemsAux, "Dn stems Aux", 1, 5);
    b.Label("Hide Rests", 1, 6);
    b.Check(kRestsUp, "Up stems", 1, 7);
    b.Check(kRestsDown, "Down stems", 1, 8);
    b.Label("Range", 2, 0);
    b.Radio(kThisMeasure, "This measure only", 2, 1, true);
    b.Radio(kAllMeasures, "All measures in staff", 2, 2);
    b.Radio(kThisStaff, "This staff only", 2, 3, true);
    b.Radio(kAllStaves, "All staves in system", 2, 4);
    b.Radio(kThisSystem, "This system only", 2, 5, true);
    b.Radio(kSystemToPageEnd, "This system to page end ", 2, 6);
    b.Radio(kThisPage, "This page only", 2, 7, true);
    b.Radio(kPageToEnd, "This page to end", 2, 8);
    b.Buttons(0, 8);
    return b.dialog;
}

ui::DialogTemplate MeasureNumberTemplate() {
    using namespace measure_number_dialog;
    DialogGrid b("Set Measure Number", 2, 6, kSizes);
    b.Label("Set Measure Number:", 0, 0);
    b.Edit(kNumber, 1, 0);
    b.Radio(kToNextChange, "up to next change", 0, 1, true);
    b.Radio(kToEnd, "to end of piece", 0, 2);
    b.Radio(kToNumber, "up to measure number:", 0, 3);
    b.Edit(kToNumberEdit, 1, 3);
    b.Buttons(1, 4, "OK", "Cancel");
    return b.dialog;
}

ui::DialogTemplate TimeSignatureTemplate() {
    using namespace time_signature_dialog;
    DialogGrid b("Time Signature", 3, 9, kSizes);
    b.Label("Beats per measure", 0, 0);
    b.SpinEdit(kBeatsSpin, 1, 0);
    b.Label("Note value of beat", 0, 1);
    // The note value is drawn by the dialog in the music font.
    b.Add(ui::kButtonClass, kNoteValue, "", 1, 1, kSpinWidth * 2, kVisible | ui::kButtonOwnerDraw);
    b.Add(ui::kUpDownClass, kNoteSpin, "", 1, 2, kSpinWidth, kVisible);
    b.Check(kCommonCut, "Use Common/Cut Signature", 0, 3);
    b.Radio(kToFirstChange, "Up to first time signature change", 0, 4, true, 2);
    b.Radio(kThisMeasure, "This measure only", 0, 5);
    b.Radio(kToEnd, "To end of piece", 0, 6);
    b.Radio(kMeasurePlus, "This measure plus:", 0, 7);
    b.SpinEdit(kPlusSpin, 1, 7);
    b.Radio(kThrough, "Through measure:", 0, 8);
    b.SpinEdit(kThroughSpin, 1, 8);
    b.Buttons(2, 0);
    return b.dialog;
}

ui::DialogTemplate MultiMeasureRestTemplate() {
    using namespace rest_dialog;
    DialogGrid b("Multi-Measure Rest", 3, 3, kSizes);
    b.Label("Combine measures:", 0, 0);
    b.Edit(kStartNumber, 1, 0, ui::kEditReadOnly);
    b.Label("through:", 0, 1);
    b.SpinEdit(kEndSpin, 1, 1);
    b.Buttons(2, 0);
    return b.dialog;
}

}  // namespace

void AddBarlineDialogResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(barline_dialog::kBarlinesDialog, BarlinesTemplate());
    bundle.dialogs.emplace(hide_objects_dialog::kHideObjectsDialog, HideObjectsTemplate());
    bundle.dialogs.emplace(measure_number_dialog::kMeasureNumberDialog, MeasureNumberTemplate());
    bundle.dialogs.emplace(time_signature_dialog::kTimeSignatureDialog, TimeSignatureTemplate());
    bundle.dialogs.emplace(rest_dialog::kMultiMeasureRestDialog, MultiMeasureRestTemplate());
}

void RegisterBarlineDialogResources() {
    dialog_grid::AddToProgramBundle(&AddBarlineDialogResources);
}

}  // namespace ql
