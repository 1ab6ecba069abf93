// Templates of the barline and measure dialogs, laid out on a grid of rows: each
// control names its column and row, and the helpers below turn them into dialog
// units. The texts are the dialogs' own.
#include "shell/resources/barline_dialog_resources.h"

#include <memory>
#include <string>
#include <utility>

#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

constexpr int16_t kMargin = 7;
constexpr int16_t kRowHeight = 14;
constexpr int16_t kControlHeight = 12;
constexpr int16_t kColumnWidth = 90;
constexpr int16_t kNumberWidth = 32;
constexpr int16_t kSpinWidth = 10;
constexpr int16_t kButtonWidth = 50;
constexpr uint32_t kVisible = win::kStyleVisible;
constexpr uint32_t kTab = win::kStyleVisible | win::kStyleTabStop;

struct Builder {
    ui::DialogTemplate dialog;

    Builder(const char* caption, int columns, int rows) {
        dialog.caption = caption;
        dialog.rect = {0, 0, static_cast<int16_t>(2 * kMargin + columns * kColumnWidth),
                       static_cast<int16_t>(2 * kMargin + rows * kRowHeight)};
        dialog.style = ui::kDialogCentre | ui::kDialogModalFrame | win::kStyleCaption;
    }
    static ui::DialogUnitRect At(int column, int row, int16_t width) {
        return {static_cast<int16_t>(kMargin + column * kColumnWidth), static_cast<int16_t>(kMargin + row * kRowHeight),
                width, kControlHeight};
    }
    void Add(const char* cls, int32_t id, const char* text, int column, int row, int16_t width, uint32_t style) {
        dialog.controls.push_back({cls, id, text, At(column, row, width), style, 0});
    }
    void Label(const char* text, int column, int row, int32_t id = ui::kUnusedControlId) {
        Add(ui::kStaticClass, id, text, column, row, kColumnWidth - kMargin, kVisible);
    }
    void Radio(int32_t id, const char* text, int column, int row, bool first = false) {
        Add(ui::kButtonClass, id, text, column, row, kColumnWidth - kMargin,
            kTab | ui::kButtonAutoRadio | (first ? win::kStyleGroup : 0));
    }
    void Check(int32_t id, const char* text, int column, int row) {
        Add(ui::kButtonClass, id, text, column, row, kColumnWidth - kMargin, kTab | ui::kButtonAutoCheckBox);
    }
    void Edit(int32_t id, int column, int row, uint32_t extra = 0) {
        Add(ui::kEditClass, id, "", column, row, kNumberWidth, kTab | extra);
    }
    // A spin (id) beside its edit (id + 1), written by the spin.
    void SpinEdit(int32_t spinId, int column, int row) {
        Edit(spinId + 1, column, row);
        dialog.controls.push_back({ui::kUpDownClass, spinId, "",
                                   {static_cast<int16_t>(kMargin + column * kColumnWidth + kNumberWidth),
                                    static_cast<int16_t>(kMargin + row * kRowHeight), kSpinWidth, kControlHeight},
                                   kVisible | ui::kUpDownSetBuddyInt | ui::kUpDownArrowKeys, 0});
    }
    void Buttons(int column, int row, const char* ok = "&OK", const char* cancel = "&Cancel") {
        Add(ui::kButtonClass, ui::kIdOk, ok, column, row, kButtonWidth, kTab | ui::kButtonDefaultPush);
        Add(ui::kButtonClass, ui::kIdCancel, cancel, column, row + 1, kButtonWidth, kTab);
    }
};

ui::DialogTemplate BarlinesTemplate() {
    using namespace barline_dialog;
    Builder b("Barlines", 3, 11);
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
    Builder b("Hide Measure Objects", 3, 10);
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
    Builder b("Set Measure Number", 2, 6);
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
    Builder b("Time Signature", 3, 9);
    b.Label("Beats per measure", 0, 0);
    b.SpinEdit(kBeatsSpin, 1, 0);
    b.Label("Note value of beat", 0, 1);
    b.Label("", 1, 1, kNoteValue);
    b.Add(ui::kUpDownClass, kNoteSpin, "", 1, 2, kSpinWidth, kVisible);
    b.Check(kCommonCut, "Use Common/Cut Signature", 0, 3);
    b.Radio(kToFirstChange, "Up to first time signature change", 0, 4, true);
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
    Builder b("Multi-Measure Rest", 3, 3);
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
    std::shared_ptr<const sys::ResourceBundle> current = sys::GetProgramBundle();
    auto bundle = current ? std::make_shared<sys::ResourceBundle>(*current)
                          : std::make_shared<sys::ResourceBundle>();
    if (!current) bundle->name = "program";
    AddBarlineDialogResources(*bundle);
    sys::SetProgramBundle(std::move(bundle));
}

}  // namespace ql
