// Templates of the text-entry window, "Place Text Block", "Setup QuickFonts", "Set
// Image", "Select Font" and "Select Symbol", laid out on the dialog grid. The texts are the
// dialogs' own.
#include "objects/text_marks/text_dialog_resources.h"

#include "core/ui/dialog_grid.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using dialog_grid::DialogGrid;

constexpr int16_t kColumnWidth = 90;
constexpr int16_t kNumberWidth = 32;
constexpr int16_t kButtonWidth = 50;
constexpr dialog_grid::GridSizes kSizes{kColumnWidth, kNumberWidth, kButtonWidth};
constexpr uint32_t kVisible = win::kStyleVisible;
constexpr uint32_t kTab = win::kStyleVisible | win::kStyleTabStop;

// No caption and no frame: the edit fills the window, which the program sizes to the
// text; Enter presses the hidden default button.
ui::DialogTemplate TextEntryTemplate() {
    using namespace text_entry_dialog;
    DialogGrid b("", 1, 1, kSizes);
    b.dialog.style = ui::kDialogModalFrame;
    b.Add(ui::kEditClass, kEntryEdit, "", 0, 0, kColumnWidth, kTab | ui::kEditAutoHorizontalScroll);
    b.AddAt(ui::kButtonClass, ui::kIdOk, "OK", static_cast<int16_t>(2 * dialog_grid::kMargin + kColumnWidth), 0,
            kButtonWidth, kTab | ui::kButtonDefaultPush);
    b.dialog.rect.cx = static_cast<int16_t>(3 * dialog_grid::kMargin + kColumnWidth + kButtonWidth);
    return b.dialog;
}

ui::DialogTemplate PlaceTextBlockTemplate() {
    using namespace text_block_dialog;
    constexpr int16_t kTextWidth = 3 * kColumnWidth;
    DialogGrid b("Place Text Block", 4, 11, kSizes);
    b.AddAt(ui::kEditClass, kText, "", dialog_grid::kMargin, 0, kTextWidth,
            kTab | ui::kEditMultiLine);
    b.Label("QuickFont name:", 0, 5);
    b.Add(ui::kComboBoxClass, kQuickFont, "", 1, 5, kColumnWidth, kTab | ui::kComboDropDownList);
    b.Label("Tracking:", 2, 5);
    b.Add(ui::kComboBoxClass, kTracking, "", 3, 5, kNumberWidth, kTab | ui::kComboDropDownList);
    b.Radio(kAlignLeft, "Align left", 0, 6, true);
    b.Radio(kCentre, "Center", 0, 7);
    b.Radio(kJustify, "Justify", 0, 8);
    b.Radio(kAlignRight, "Align right", 0, 9);
    b.Radio(kAutoLeading, "Auto", 1, 6, true);
    b.Radio(kFixedLeading, "Fixed leading", 1, 7);
    b.Edit(kLeading, 1, 8);
    b.Label("% of Font size", 2, 8);
    b.Add(ui::kButtonClass, ui::kIdOk, "OK", 3, 7, kButtonWidth, kTab | ui::kButtonDefaultPush);
    b.Add(ui::kButtonClass, ui::kIdCancel, "Cancel", 3, 8, kButtonWidth, kTab);
    b.Add(ui::kButtonClass, kReset, "&Reset", 3, 9, kButtonWidth, kTab);
    b.Add(ui::kButtonClass, kHelp, "&Help", 3, 10, kButtonWidth, kTab);
    return b.dialog;
}

ui::DialogTemplate SetupQuickFontsTemplate() {
    using namespace quick_fonts_dialog;
    DialogGrid b("Setup QuickFonts", 3, 8, kSizes);
    b.Add(ui::kComboBoxClass, kSlots, "", 0, 0, kColumnWidth, kTab | ui::kComboDropDownList);
    b.Add(ui::kButtonClass, kSetName, "Set new Quick name", 1, 0, kColumnWidth, kTab);
    b.Add(ui::kEditClass, kName, "", 1, 1, kColumnWidth, win::kStyleTabStop);
    b.Add(ui::kButtonClass, kSelect, "Select", 0, 2, kButtonWidth, kTab);
    b.Check(kBold, "Bold", 0, 3);
    b.Check(kItalic, "Italic", 0, 4);
    b.Check(kUnderline, "Underline", 0, 5);
    b.Label("Height in staff lines:", 1, 3);
    b.Edit(kHeight, 1, 4);
    b.Check(kSavePreferences, "Save Preferences", 1, 6);
    b.Buttons(2, 3, "OK", "Cancel");
    b.Add(ui::kButtonClass, kHelp, "&Help", 2, 5, kButtonWidth, kTab);
    return b.dialog;
}

// The font panel from `row` on: 4 rows.
void AddFontPanel(DialogGrid& b, int row) {
    using namespace font_panel;
    b.Radio(kQuickFontRadio, "QuickFont", 0, row, true);
    b.Radio(kWinFontRadio, "WinFont", 1, row);
    b.Add(ui::kComboBoxClass, kQuickFonts, "", 0, row + 1, kColumnWidth,
          kTab | ui::kComboDropDownList);
    b.Add(ui::kButtonClass, kSelectFont, "Select", 1, row + 1, kButtonWidth, kTab);
    b.Label("Height in staff lines:", 0, row + 2);
    b.Edit(kHeight, 1, row + 2);
    b.Check(kBold, "Bold", 0, row + 3);
    b.Check(kItalic, "Italic", 0, row + 4);
    b.Check(kUnderline, "Underline", 0, row + 5);
}

ui::DialogTemplate SetImageTemplate() {
    using namespace set_image_dialog;
    DialogGrid b("Set Image", 3, 11, kSizes);
    b.Radio(kTextLine, "Text line", 0, 0, true);
    b.Radio(kSingleSymbol, "Single symbol", 1, 0);
    b.AddAt(ui::kEditClass, kText, "", dialog_grid::kMargin, 1, 2 * kColumnWidth, kTab);
    b.Add(ui::kEditClass, kSymbol, "", 0, 2, kNumberWidth, kVisible | ui::kEditReadOnly);
    b.Add(ui::kButtonClass, kSelectSymbol, "Select Symbol", 1, 2,
          kColumnWidth - dialog_grid::kMargin, kTab);
    AddFontPanel(b, 4);
    b.Buttons(2, 7, "OK", "Cancel");
    b.Add(ui::kButtonClass, kHelp, "&Help", 2, 9, kButtonWidth, kTab);
    return b.dialog;
}

ui::DialogTemplate SelectFontTemplate() {
    using namespace select_font_dialog;
    DialogGrid b("Select Font", 3, 8, kSizes);
    AddFontPanel(b, 0);
    b.Check(kSavePreferences, "Save Preferences", 0, 6);
    b.Buttons(2, 0, "OK", "Cancel");
    b.Add(ui::kButtonClass, kHelp, "&Help", 2, 2, kButtonWidth, kTab);
    return b.dialog;
}

ui::DialogTemplate SelectSymbolTemplate() {
    using namespace select_symbol_dialog;
    constexpr int16_t kGridWidth = 2 * kColumnWidth;
    DialogGrid b("Select Symbol", 3, 12, kSizes);
    b.Radio(kQuickFontRadio, "QuickFont", 0, 0, true);
    b.Radio(kWinFontRadio, "WinFont", 1, 0);
    b.Label("Quick Font:", 0, 1, kFontLabel);
    b.Add(ui::kComboBoxClass, kQuickFonts, "", 1, 1, kColumnWidth, kTab | ui::kComboDropDownList);
    b.Label("", 1, 2, kFontCaption);
    b.Add(ui::kButtonClass, kSelectFont, "Select Font...", 2, 1, kButtonWidth, kTab);
    b.Label("Character Code:", 0, 3);
    static_assert(kCode == kCodeSpin + 1, "the up-down writes the edit after it");
    b.SpinEdit(kCodeSpin, 1, 3);
    b.Add(ui::kUpDownClass, kPageSpin, "", 2, 3, dialog_grid::kSpinWidth, kVisible);
    b.AddAt(kSymbolGridClass, kGrid, "", dialog_grid::kMargin, 4, kGridWidth, kVisible);
    b.dialog.controls.back().rect.cy = static_cast<int16_t>(
        (kGridRows - 1) * dialog_grid::kRowHeight + dialog_grid::kControlHeight);
    b.Add(kSymbolPreviewClass, kPreview, "", 2, 4, kButtonWidth, kVisible);
    b.dialog.controls.back().rect.cy = static_cast<int16_t>(
        (kPreviewRows - 1) * dialog_grid::kRowHeight + dialog_grid::kControlHeight);
    b.Buttons(2, 9, "OK", "Cancel");
    b.Add(ui::kButtonClass, kHelp, "&Help", 2, 11, kButtonWidth, kTab);
    return b.dialog;
}

}  // namespace

void AddTextDialogResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(text_entry_dialog::kTextEntryDialog, TextEntryTemplate());
    bundle.dialogs.emplace(text_block_dialog::kPlaceTextBlockDialog, PlaceTextBlockTemplate());
    bundle.dialogs.emplace(quick_fonts_dialog::kSetupQuickFontsDialog, SetupQuickFontsTemplate());
    bundle.dialogs.emplace(set_image_dialog::kSetImageDialog, SetImageTemplate());
    bundle.dialogs.emplace(select_font_dialog::kSelectFontDialog, SelectFontTemplate());
    bundle.dialogs.emplace(select_symbol_dialog::kSelectSymbolDialog, SelectSymbolTemplate());
}

void RegisterTextDialogResources() {
    dialog_grid::AddToProgramBundle(&AddTextDialogResources);
}

}  // namespace ql
