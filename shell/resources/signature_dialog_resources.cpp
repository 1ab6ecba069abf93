// Templates of the "Key Selection" dialog, laid out on a grid of rows (the fifteen
// key buttons in a row, then the mode, where the change goes, its range and the
// transposing choices), and of the "Clef Selection" and staff value dialogs. The texts are the dialogs'
// own.
#include "shell/resources/signature_dialog_resources.h"

#include <memory>
#include <utility>

#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

constexpr int16_t kMargin = 7;
constexpr int16_t kRowHeight = 14;
constexpr int16_t kControlHeight = 12;
constexpr int16_t kColumnWidth = 100;
constexpr int16_t kKeyButtonWidth = 20;
constexpr int16_t kNumberWidth = 32;
constexpr int16_t kButtonWidth = 50;
constexpr int kKeyButtons = 15;
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
    void AddAt(const char* cls, int32_t id, const char* text, int16_t x, int row, int16_t width,
               uint32_t style) {
        dialog.controls.push_back({cls, id, text,
                                   {x, static_cast<int16_t>(kMargin + row * kRowHeight), width, kControlHeight},
                                   style, 0});
    }
    void Add(const char* cls, int32_t id, const char* text, int column, int row, int16_t width, uint32_t style) {
        AddAt(cls, id, text, static_cast<int16_t>(kMargin + column * kColumnWidth), row, width, style);
    }
    void Radio(int32_t id, const char* text, int column, int row, bool first = false) {
        Add(ui::kButtonClass, id, text, column, row, kColumnWidth - kMargin,
            kTab | ui::kButtonAutoRadio | (first ? win::kStyleGroup : 0));
    }
    void Check(int32_t id, const char* text, int column, int row) {
        Add(ui::kButtonClass, id, text, column, row, kColumnWidth - kMargin, kTab | ui::kButtonAutoCheckBox);
    }
    void Edit(int32_t id, int column, int row) {
        AddAt(ui::kEditClass, id, "", static_cast<int16_t>(kMargin + column * kColumnWidth + kColumnWidth - kNumberWidth),
              row, kNumberWidth, kTab);
    }
    void Label(const char* text, int column, int row, int32_t id = ui::kUnusedControlId) {
        Add(ui::kStaticClass, id, text, column, row, kColumnWidth - kMargin, kVisible);
    }
};

ui::DialogTemplate KeySelectionTemplate() {
    using namespace key_dialog;
    static const char* const kButtonTexts[kKeyButtons] = {"CF", "GF", "DF", "AF", "EF", "BF", "F", "C",
                                                           "G",  "D",  "A",  "E",  "B",  "FS", "CS"};
    Builder b("Key Selection", 4, 11);
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
    b.Radio(kThroughMeasure, "Through measure:", 1, 8);
    b.Edit(kThroughNumber, 1, 8);
    b.Radio(kMeasurePlus, "This measure plus:", 1, 9);
    b.Edit(kPlusCount, 1, 9);
    b.Check(kTranspose, "Transpose", 2, 2);
    b.Radio(kUp, "Up", 2, 3, true);
    b.Radio(kDown, "Down", 2, 4);
    b.Check(kKeepPitches, "Keep original pitches", 2, 5);
    b.Check(kAllStaves, "All staves", 2, 6);
    b.Check(kChordSymbols, "Transpose chord symbols", 2, 7);
    b.Add(ui::kButtonClass, ui::kIdOk, "OK", 3, 2, kButtonWidth, kTab | ui::kButtonDefaultPush);
    b.Add(ui::kButtonClass, ui::kIdCancel, "Cancel", 3, 3, kButtonWidth, kTab);
    return b.dialog;
}

ui::DialogTemplate ClefSelectionTemplate() {
    using namespace clef_dialog;
    static const char* const kGroupTexts[4] = {"G", "F", "T", "P"};
    static const char* const kGroupLabels[4] = {"G Clefs", "F Clefs", "C Clefs", "Other"};
    constexpr int16_t kGroupButtonWidth = 24;
    constexpr int16_t kScrollWidth = 10;
    Builder b("Clef Selection", 4, 12);
    for (int g = 0; g < 4; ++g) {
        b.Label(kGroupLabels[g], g, 0);
        b.Add(ui::kButtonClass, kGroupButtons[g], kGroupTexts[g], g, 1, kGroupButtonWidth, kTab);
        b.AddAt(ui::kScrollBarClass, kGroupScrolls[g], "",
                static_cast<int16_t>(kMargin + g * kColumnWidth + kGroupButtonWidth), 1, kScrollWidth,
                kVisible | ui::kScrollBarVertical);
        b.Label("", g, 2, kGroupNames[g]);
    }
    b.Radio(kFromMeasureStart, "Change from start of measure", 0, 4, true);
    b.Radio(kWithinMeasure, "Insert clef change within measure", 0, 5);
    b.Radio(kUpToFirstChange, "Up to first clef change", 1, 4, true);
    b.Radio(kThisMeasureOnly, "This measure only", 1, 5);
    b.Radio(kToEndOfPiece, "To end of piece", 1, 6);
    b.Radio(kThroughMeasure, "Through measure:", 1, 7);
    b.Edit(kThroughNumber, 1, 8);
    b.Radio(kMeasurePlus, "This measure plus:", 1, 9);
    b.Edit(kPlusCount, 1, 10);
    b.Check(kMoveNotes, "Move notes", 2, 4);
    b.Radio(kUp, "Up", 2, 5, true);
    b.Radio(kDown, "Down", 2, 6);
    b.Label("Chromatic steps", 2, 7);
    b.Edit(kSteps, 2, 8);
    b.Check(kTranspose, "Transpose", 2, 9);
    b.Add(ui::kButtonClass, ui::kIdOk, "OK", 3, 4, kButtonWidth, kTab | ui::kButtonDefaultPush);
    b.Add(ui::kButtonClass, ui::kIdCancel, "Cancel", 3, 5, kButtonWidth, kTab);
    return b.dialog;
}

// No caption: one value with its up-down, and OK.
ui::DialogTemplate StaffValueTemplate() {
    using namespace staff_value_dialog;
    constexpr int16_t kSpinWidth = 10;
    Builder b("", 1, 2);
    b.dialog.rect.cx = static_cast<int16_t>(2 * kMargin + kNumberWidth + kSpinWidth + kButtonWidth + kMargin);
    b.AddAt(ui::kEditClass, kValue, "", kMargin, 0, kNumberWidth, kTab);
    b.AddAt(ui::kUpDownClass, kValueSpin, "", static_cast<int16_t>(kMargin + kNumberWidth), 0, kSpinWidth,
            kVisible | ui::kUpDownSetBuddyInt | ui::kUpDownArrowKeys);
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
    std::shared_ptr<const sys::ResourceBundle> current = sys::GetProgramBundle();
    auto bundle = current ? std::make_shared<sys::ResourceBundle>(*current)
                          : std::make_shared<sys::ResourceBundle>();
    if (!current) bundle->name = "program";
    AddSignatureDialogResources(*bundle);
    sys::SetProgramBundle(std::move(bundle));
}

}  // namespace ql
