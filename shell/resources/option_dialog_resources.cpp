// Templates of the small option dialogs and the backup range text, as entries of the program's resource bundle.
#include "shell/resources/option_dialog_resources.h"

#include "core/ui/dialog_grid.h"
#include "core/ui/help.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

constexpr dialog_grid::GridSizes kSizes{110, 28, 50};
constexpr uint32_t kTab = win::kStyleVisible | win::kStyleTabStop;

// A count with its up-down, and OK, Cancel and Help beside it.
ui::DialogTemplate CountTemplate(const char* caption, const char* label, int32_t spin) {
    dialog_grid::DialogGrid g(caption, 2, 4, kSizes);
    g.Label(label, 0, 0);
    g.SpinEdit(spin, 0, 1);
    g.Buttons(1, 0);
    g.Add(ui::kButtonClass, kHelpButtonId, "", 1, 3, kSizes.buttonWidth,
          kTab | ui::kButtonOwnerDraw);
    return g.dialog;
}

// Measure Numbers: style, interval and measure kind on the left, alignment and
// the two offsets on the right, the switches and buttons below.
ui::DialogTemplate MeasureNumbersTemplate() {
    namespace m = measure_numbers_dialog;
    dialog_grid::DialogGrid g("Measure Numbers", 3, 9, kSizes);
    g.Radio(m::kNone, "None", 0, 0, true);
    g.Radio(m::kEachSystem, "Each System", 0, 1);
    g.Radio(m::kEvery, "Every", 0, 2);
    g.SpinEdit(m::kIntervalSpin, 0, 3);
    g.Radio(m::kManuscriptMeasures, "Manuscript measures", 0, 4, true);
    g.Radio(m::kSystemMeasures, "System measures", 0, 5);
    g.Radio(m::kCentred, "Centered", 1, 0, true);
    g.Radio(m::kRightOfBarline, "Right of barline", 1, 1);
    g.Label("Horizontal offset", 1, 2);
    g.Edit(m::kHorizontalOffset, 1, 3);
    g.Label("Vertical offset", 1, 4);
    g.Edit(m::kVerticalOffset, 1, 5);
    g.Check(m::kShowChanges, "Show numbering changes", 0, 6);
    g.Check(m::kSavePreferences, "Save preferences after closing dialog", 0, 7, 2);
    g.Buttons(2, 0);
    g.Add(ui::kButtonClass, kHelpButtonId, "", 2, 3, kSizes.buttonWidth,
          kTab | ui::kButtonOwnerDraw);
    g.Add(ui::kButtonClass, m::kSelectFont, "Select font...", 2, 5, kSizes.buttonWidth, kTab);
    return g.dialog;
}

// Pick List Options: the number of entries and "Load last file on startup".
ui::DialogTemplate PickListOptionsTemplate() {
    namespace p = pick_list_options_dialog;
    dialog_grid::DialogGrid g("Pick List Options", 2, 4, kSizes);
    g.Label("Entries in the pick list:", 0, 0);
    g.SpinEdit(p::kEntriesSpin, 0, 1);
    g.Check(p::kLoadLastFile, "Load last file on startup", 0, 2);
    g.Buttons(1, 0);
    g.Add(ui::kButtonClass, kHelpButtonId, "", 1, 3, kSizes.buttonWidth,
          kTab | ui::kButtonOwnerDraw);
    return g.dialog;
}

// Toolbar Options: the main palette's place and the buttons' look on the left,
// one check box per band on the right.
ui::DialogTemplate ToolbarOptionsTemplate() {
    namespace t = toolbar_options_dialog;
    dialog_grid::DialogGrid g("Toolbar Options", 3, 8, kSizes);
    g.Check(t::kFloatMainPalette, "Float main tool palette", 0, 0);
    g.Check(t::kRetainInBand, "Retain in band", 0, 1);
    g.Check(t::kButtonText, "Display button text", 0, 2);
    g.Check(t::kSmallToolbars, "Use small toolbars", 0, 3);
    g.Add(ui::kButtonClass, t::kSelectAll, "Select &All", 0, 5, kSizes.buttonWidth, kTab);
    g.Check(t::kFileBand, "File", 1, 0);
    g.Check(t::kEditBand, "Edit", 1, 1);
    g.Check(t::kMidiBand, "MIDI", 1, 2);
    g.Check(t::kViewBand, "View", 1, 3);
    g.Check(t::kWindowBand, "Window", 1, 4);
    g.Check(t::kVoicesBand, "Voices", 1, 5);
    g.Check(t::kPagersBand, "Pagers", 1, 6);
    g.Check(t::kGoToBand, "Go To", 1, 7);
    g.Check(t::kNotesBand, "Notes", 0, 6);
    g.Check(t::kTextBand, "Text", 0, 7);
    g.Buttons(2, 0);
    g.Add(ui::kButtonClass, kHelpButtonId, "", 2, 3, kSizes.buttonWidth, kTab | ui::kButtonOwnerDraw);
    return g.dialog;
}

// Palette Options: moving together, the small size and the colour.
ui::DialogTemplate PaletteOptionsTemplate() {
    namespace p = palette_options_dialog;
    dialog_grid::DialogGrid g("Palette Options", 3, 7, kSizes);
    g.Check(p::kSyncPalettes, "Synchronize Palette Movement", 0, 0, 2);
    g.Check(p::kSmallPalettes, "Use Small Palettes", 0, 1);
    g.Radio(p::kBlack, "Black", 0, 2, true);
    g.Radio(p::kDarkGray, "Dark Gray", 0, 3);
    g.Radio(p::kSlate, "Slate", 0, 4);
    g.Radio(p::kDarkBlue, "Dark Blue", 0, 5);
    g.Buttons(2, 0);
    g.Add(ui::kButtonClass, kHelpButtonId, "", 2, 3, kSizes.buttonWidth, kTab | ui::kButtonOwnerDraw);
    return g.dialog;
}

constexpr const char* kHeadNames[] = {
    "Slash", "X-head", "Triangle-up", "Triangle-dn", "Square", "Diamond",
    "Circled slash", "Circled X-head", "Hollow triangle-up", "Hollow triangle-dn", "Hollow square",
    "Hollow diamond", "Half note head", "Rest", "Repeat slash", "Repeat slashes", "Figure repeat",
    "Measure repeat"};

// Set Note-head: six rows of three head buttons, the chosen head's name under them,
// and OK, Cancel, Reset and Help at the right.
ui::DialogTemplate NoteHeadTemplate() {
    namespace n = note_head_dialog;
    constexpr int16_t kHeadWidth = 26;
    constexpr int kPerRow = 6;
    dialog_grid::DialogGrid g("Set Note-head", 3, 7, kSizes);
    for (int i = 0; i < 18; ++i)
        g.AddAt(ui::kButtonClass, n::kFirstHead + i, "", static_cast<int16_t>(g.X(0) + (i % kPerRow) * (kHeadWidth + 4)),
                i / kPerRow * 2, kHeadWidth, kTab | ui::kButtonOwnerDraw);
    g.Add(ui::kStaticClass, n::kChoiceLabel, "", 0, 6, kSizes.columnWidth, win::kStyleVisible);
    g.Buttons(2, 0);
    g.Add(ui::kButtonClass, n::kReset, "&Reset", 2, 2, kSizes.buttonWidth, kTab);
    g.Add(ui::kButtonClass, kHelpButtonId, "", 2, 3, kSizes.buttonWidth, kTab | ui::kButtonOwnerDraw);
    return g.dialog;
}

}  // namespace

void AddOptionDialogResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(autosave_count_dialog::kDialog,
                           CountTemplate("Set Autosave Count", "Changes between saves:",
                                         autosave_count_dialog::kCountSpin));
    bundle.dialogs.emplace(
        backup_copies_dialog::kDialog,
        CountTemplate("Set Backup Copies", "Backup copies:", backup_copies_dialog::kCountSpin));
    bundle.dialogs.emplace(measure_numbers_dialog::kDialog, MeasureNumbersTemplate());
    bundle.dialogs.emplace(pick_list_options_dialog::kDialog, PickListOptionsTemplate());
    bundle.dialogs.emplace(toolbar_options_dialog::kDialog, ToolbarOptionsTemplate());
    bundle.dialogs.emplace(palette_options_dialog::kDialog, PaletteOptionsTemplate());
    bundle.dialogs.emplace(note_head_dialog::kDialog, NoteHeadTemplate());
    for (int i = 0; i < 18; ++i) bundle.strings.emplace(note_head_dialog::kStrFirstHeadName + i, kHeadNames[i]);
    bundle.strings.emplace(backup_copies_dialog::kStrBackupRange,
                           "Number of backups must be between 1 and 9");
}

void RegisterOptionDialogResources() {
    dialog_grid::AddToProgramBundle(AddOptionDialogResources);
}

}  // namespace ql
