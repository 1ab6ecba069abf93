// Templates of the "Key Selection" dialog, laid out on a grid of rows (the fifteen
// key buttons in a row, then the mode, where the change goes, its range and the
// transposing choices), and of the "Clef Selection" and staff value dialogs. The texts are the dialogs'
// own.
#include "staves/signature_dialog_resources.h"

#include "core/ui/dialog_grid.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using dialog_grid::DialogGrid;
using dialog_grid::kMargin;

constexpr int16_t kColumnWidth = 135;
constexpr int16_t kKeyButtonWidth = 20;
constexpr int16_t kNumberWidth = 32;
constexpr int16_t kButtonWidth = 50;
constexpr dialog_grid::GridSizes kSizes{kColumnWidth, kNumberWidth, kButtonWidth};
constexpr int kKeyButtons = 15;
constexpr uint32_t kVisible = win::kStyleVisible;
constexpr uint32_t kTab = win::kStyleVisible | win::kStyleTabStop;

ui::DialogTemplate KeySelectionTemplate() {
    using namespace key_dialog;
    static const char* const kButtonTexts[kKeyButtons] = {"CF", "GF", "DF", "AF", "EF", "BF", "F", "C",
                                                           "G",  "D",  "A",  "E",  "B",  "FS", "CS"};
    DialogGrid b("Key Selection", 4, 11, kSizes);
    for (int i = 0; i < kKeyButtons; ++i)
        b.AddAt(ui::kButtonClass, kFirstKeyButton + i, kButtonTexts[i],
                static_cast<int16_t>(kMargin + i * kKeyButtonWidth), 0, kKeyButtonWidth, kTab);
    b.Label("Key of C", 0, 1, kKeyLabel);
    b.Label("Mode", 0, 2);
    b.Radio(kMajor, "Major", 0, 3, true);
    b.Radio(kMinor, "Minor", 0, 4);
    b.Radio(kFromMeasureStart, "Change from start of measure", 1, 2, true);
    b.Radio(kWithinMeasure, "Insert key change within measure", 1, 3);
    b.Radio(kUpToFirstChange, "Up to first key change", 1, 5, true);
    b.Radio(kThisMeasureOnly, "This measure only", 1, 6);
    b.Radio(kToEndOfPiece, "To end of piece", 1, 7);
    b.RadioBeforeEdit(kThroughMeasure, "Through measure:", 1, 8);
    b.RightEdit(kThroughNumber, 1, 8);
    b.RadioBeforeEdit(kMeasurePlus, "This measure plus:", 1, 9);
    b.RightEdit(kPlusCount, 1, 9);
    b.Check(kTranspose, "Transpose", 2, 2);
    b.Radio(kUp, "Up", 2, 3, true);
    b.Radio(kDown, "Down", 2, 4);
    b.Check(kKeepPitches, "Keep original pitches", 2, 5);
    b.Check(kAllStaves, "All staves", 2, 6);
    b.Check(kChordSymbols, "Transpose chord symbols", 2, 7);
    b.Buttons(3, 2, "OK", "Cancel");
    return b.dialog;
}

ui::DialogTemplate ClefSelectionTemplate() {
    using namespace clef_dialog;
    static const char* const kGroupTexts[4] = {"G", "F", "T", "P"};
    static const char* const kGroupLabels[4] = {"G Clefs", "F Clefs", "C Clefs", "Other"};
    constexpr int16_t kGroupButtonWidth = 24;
    constexpr int16_t kScrollWidth = 10;
    constexpr int16_t kPictureGap = 4;
    constexpr int16_t kPictureWidth = 44;
    DialogGrid b("Clef Selection", 4, 12, kSizes);
    for (int g = 0; g < 4; ++g) {
        b.Label(kGroupLabels[g], g, 0);
        b.Add(ui::kButtonClass, kGroupButtons[g], kGroupTexts[g], g, 1, kGroupButtonWidth, kTab);
        b.AddAt(ui::kScrollBarClass, kGroupScrolls[g], "",
                static_cast<int16_t>(b.X(g) + kGroupButtonWidth), 1, kScrollWidth,
                kVisible | ui::kScrollBarVertical);
        b.Label("", g, 3, kGroupNames[g]);
    }
    b.Radio(kFromMeasureStart, "Change from start of measure", 0, 4, true);
    b.Radio(kWithinMeasure, "Insert clef change within measure", 0, 5);
    b.Radio(kUpToFirstChange, "Up to first clef change", 1, 4, true);
    b.Radio(kThisMeasureOnly, "This measure only", 1, 5);
    b.Radio(kToEndOfPiece, "To end of piece", 1, 6);
    b.Radio(kThroughMeasure, "Through measure:", 1, 7);
    b.RightEdit(kThroughNumber, 1, 8);
    b.Radio(kMeasurePlus, "This measure plus:", 1, 9);
    b.RightEdit(kPlusCount, 1, 10);
    b.Check(kMoveNotes, "Move notes", 2, 4);
    b.Radio(kUp, "Up", 2, 5, true);
    b.Radio(kDown, "Down", 2, 6);
    b.Label("Chromatic steps", 2, 7);
    b.RightEdit(kSteps, 2, 8);
    b.Check(kTranspose, "Transpose", 2, 9);
    b.Buttons(3, 4, "OK", "Cancel");
    // The pictures come after every other control, so that they take no place in the
    // Tab order: right of each scroll bar, two rows high.
    for (int g = 0; g < 4; ++g) {
        const auto x = static_cast<int16_t>(b.X(g) + kGroupButtonWidth + kScrollWidth + kPictureGap);
        b.dialog.controls.push_back({ui::kButtonClass, kGroupPictures[g], "",
                                     {x, static_cast<int16_t>(kMargin + dialog_grid::kRowHeight), kPictureWidth,
                                      static_cast<int16_t>(2 * dialog_grid::kRowHeight - 2)},
                                     kVisible | ui::kButtonOwnerDraw, 0});
    }
    return b.dialog;
}

// No caption: one value with its up-down, and OK.
ui::DialogTemplate StaffValueTemplate() {
    using namespace staff_value_dialog;
    using dialog_grid::kSpinWidth;
    DialogGrid b("", 1, 2, kSizes);
    b.dialog.rect.cx = static_cast<int16_t>(2 * kMargin + kNumberWidth + kSpinWidth + kButtonWidth + kMargin);
    static_assert(kValue == kValueSpin + 1, "the up-down writes the edit after it");
    b.SpinEdit(kValueSpin, 0, 0);
    b.AddAt(ui::kButtonClass, ui::kIdOk, "OK", static_cast<int16_t>(2 * kMargin + kNumberWidth + kSpinWidth), 0,
            kButtonWidth, kTab | ui::kButtonDefaultPush);
    return b.dialog;
}

}  // namespace

void AddSignatureDialogResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(key_dialog::kKeySelectionDialog, KeySelectionTemplate());
    bundle.dialogs.emplace(staff_value_dialog::kStaffValueDialog, StaffValueTemplate());
    bundle.dialogs.emplace(clef_dialog::kClefSelectionDialog, ClefSelectionTemplate());
}

void RegisterSignatureDialogResources() {
    dialog_grid::AddToProgramBundle(&AddSignatureDialogResources);
}

}  // namespace ql
