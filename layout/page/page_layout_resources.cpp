// Templates of the page layout dialogs, laid out on a grid of rows and columns. The
// texts are the dialogs' own.
#include "layout/page/page_layout_resources.h"

#include <cstdlib>

#include "core/ui/dialog_grid.h"
#include "core/ui/help.h"
#include "platform/ui/dialog_template.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using dialog_grid::DialogGrid;

constexpr dialog_grid::GridSizes kSizes{110, 28, 50};
constexpr uint32_t kTab = win::kStyleVisible | win::kStyleTabStop;

void Button(DialogGrid& g, int32_t id, const char* text, int column, int row) {
    g.Add(ui::kButtonClass, id, text, column, row, kSizes.buttonWidth, kTab);
}

// A push button as wide as its cell, for a longer text.
void WideButton(DialogGrid& g, int32_t id, const char* text, int column, int row) {
    g.Add(ui::kButtonClass, id, text, column, row, g.CellsWidth(1), kTab);
}

void LogoButton(DialogGrid& g, int column, int row) {
    g.Add(ui::kButtonClass, kHelpButtonId, "", column, row, kSizes.buttonWidth, kTab | ui::kButtonOwnerDraw);
}

ui::DialogTemplate PageLayoutTemplate() {
    using namespace page_layout_dialog;
    DialogGrid g("Page Layout and Formatting", 4, 10, kSizes);
    g.Check(kSystemSeparationBox, "System separation", 0, 0);
    g.BoundSpinEdit(kSystemSeparationSpin, 1, 0);
    g.Check(kSystemsBox, "Systems per page", 0, 1);
    g.BoundSpinEdit(kSystemsSpin, 1, 1);
    g.Check(kMeasuresBox, "Measures per system", 0, 2);
    g.BoundSpinEdit(kMeasuresSpin, 1, 2);
    g.Check(kStaffSeparationBox, "Staff separation", 0, 3);
    g.BoundSpinEdit(kStaffSeparationSpin, 1, 3);
    g.Radio(kThisPageOnly, "This page only", 0, 5, true);
    g.Radio(kToEnd, "To end of manuscript", 0, 6);
    g.Check(kSetDefault, "Set default for new pages", 1, 5);
    g.Check(kRespaceSystems, "Respace systems", 1, 6);
    g.Check(kRespaceMeasures, "Respace measures", 1, 7);
    g.Radio(kFitToMargins, "Fit to margins", 2, 0, true);
    g.Radio(kUsePage, "Use page", 2, 1);
    g.Edit(kTemplatePage, 2, 2);
    WideButton(g, kSetPageNumber, "Set Page Number...", 2, 5);
    g.Buttons(3, 0);
    Button(g, kReset, "Reset", 3, 3);
    LogoButton(g, 3, 9);
    return g.dialog;
}

ui::DialogTemplate StaffSizeTemplate() {
    using namespace staff_size_dialog;
    static constexpr const char* kSizeTexts[] = {
        "Size 00      ",      "Size 0       ",      "Size 1      Giant",    "Size 2      English",
        "Size 3      Regular", "Size 4      Peter",  "Size 5      Band",     "Size 6      Choral",
        "Size 7      Cadenza", "Size 8      Pearl"};
    DialogGrid g("Staff Size", 3, 13, kSizes);
    for (int n = 0; n < 10; ++n) g.Radio(kFirstSize + n, kSizeTexts[n], 0, n, n == 0);
    g.Radio(kUserSize, "User specified:", 0, 10);
    g.Edit(kPerInch, 1, 9);
    g.Label("Degrees per inch", 1, 8);
    g.Edit(kPerCentimetre, 1, 11);
    g.Label("Degrees per centimeter", 1, 10);
    g.Check(kSavePreferences, "Save preferences after closing dialog", 0, 12, 2);
    g.Buttons(2, 0);
    Button(g, kReset, "Reset", 2, 3);
    LogoButton(g, 2, 11);
    return g.dialog;
}

ui::DialogTemplate PageSetupTemplate() {
    using namespace page_setup_dialog;
    DialogGrid g("Page Setup", 4, 10, kSizes);
    const char* papers[][2] = {{"Letter", "1312"}, {"Legal", "1313"}, {"Tabloid", "1314"}, {"A3", "1315"},
                               {"A4", "1316"},     {"A5", "2221"}};
    for (int i = 0; i < 6; ++i) g.Radio(std::atoi(papers[i][1]), papers[i][0], 0, i, i == 0);
    g.Radio(kUserPaper, "User specified:", 0, 6);
    g.Edit(kUserWidth, 0, 7);
    g.RightEdit(kUserHeight, 0, 7);
    // The units up-down steps through the units named beside it; it has no field.
    g.AddAt(ui::kUpDownClass, kUnitsSpin, "", g.X(0), 8, dialog_grid::kSpinWidth, win::kStyleVisible);
    g.AddAt(ui::kStaticClass, kUnitsLabel, "Inches", static_cast<int16_t>(g.X(0) + 2 * dialog_grid::kSpinWidth), 8,
            kSizes.buttonWidth, win::kStyleVisible);
    g.Radio(kPortrait, "Portrait", 1, 0, true);
    g.Radio(kLandscape, "Landscape", 1, 1);
    g.Radio(kSingleSide, "Single side", 1, 3, true);
    g.Radio(kDoubleSide, "Double side", 1, 4);
    g.Radio(kStartLeft, "Start left", 2, 3, true);
    g.Radio(kStartRight, "Start right", 2, 4);
    g.Check(kSavePreferences, "Save preferences after closing dialog", 1, 6, 2);
    Button(g, kMargins, "Margins...", 2, 0);
    Button(g, kStaffSize, "Staff size...", 2, 1);
    g.Buttons(3, 0);
    Button(g, kReset, "Reset", 3, 3);
    LogoButton(g, 3, 9);
    return g.dialog;
}

// The four margins of one set of pages in a column: top, left, right, bottom, each
// an edit with its integer and hundredths spins.
void MarginColumn(DialogGrid& g, const int32_t (&edits)[4], int column) {
    static constexpr const char* kNames[4] = {"Top", "Left", "Right", "Bottom"};
    for (int i = 0; i < 4; ++i) {
        g.Label(kNames[i], column, 1 + 2 * i);
        g.Edit(edits[i], column, 2 + 2 * i);
        g.AddAt(ui::kUpDownClass, edits[i] - 2, "", static_cast<int16_t>(g.X(column) + kSizes.numberWidth), 2 + 2 * i,
                dialog_grid::kSpinWidth, win::kStyleVisible);
        g.AddAt(ui::kUpDownClass, edits[i] - 1, "",
                static_cast<int16_t>(g.X(column) + kSizes.numberWidth + dialog_grid::kSpinWidth), 2 + 2 * i,
                dialog_grid::kSpinWidth, win::kStyleVisible);
    }
}

ui::DialogTemplate MarginsTemplate(bool doubleSided) {
    using namespace margins_dialog;
    DialogGrid g("Margins", 3, 11, kSizes);
    if (doubleSided) {
        g.Label("Left Pages", 0, 0);
        MarginColumn(g, kLeftEdits, 0);
        g.Label("Right Pages", 1, 0);
    } else {
        g.Label("Single-sided Manuscript", 0, 0);
        g.Label("All Pages", 1, 0);
    }
    MarginColumn(g, kRightEdits, 1);
    g.Label("Inches", 0, 10, kUnitsLabel);
    g.Check(kSavePreferences, doubleSided ? "Save preferences" : "Save Preferences", 1, 10);
    g.Buttons(2, 0);
    Button(g, kReset, "Reset", 2, 3);
    LogoButton(g, 2, 9);
    return g.dialog;
}

ui::DialogTemplate MusicMetricsTemplate() {
    using namespace music_metrics_dialog;
    constexpr int kRows = 12;
    DialogGrid g("Music Metrics", 5, kRows + 2, kSizes);
    int i = 0;
    for (const MetricField& field : kFields) {
        const int column = 2 * (i / kRows);
        g.Label(field.label, column, i % kRows);
        g.Edit(field.id, column + 1, i % kRows);
        ++i;
    }
    g.Label("*Reformat required to effect changes", 2, kRows, ui::kUnusedControlId, 2);
    g.Check(kSavePreferences, "Save preferences upon closing dialog", 0, kRows + 1, 2);
    g.Buttons(4, 0);
    WideButton(g, kDefaults, "Reset to QL Defaults", 4, 3);
    Button(g, kReset, "Reset", 4, 4);
    LogoButton(g, 4, kRows);
    return g.dialog;
}

ui::DialogTemplate NewManuscriptTemplate() {
    using namespace new_manuscript_dialog;
    DialogGrid g("New Manuscript", 3, 7, kSizes);
    g.Label("Staves per staff system", 0, 0);
    g.BoundSpinEdit(kStavesSpin, 1, 0);
    g.Label("Staff systems per page", 0, 1);
    g.BoundSpinEdit(kSystemsSpin, 1, 1);
    g.Label("Measures per line", 0, 2);
    g.BoundSpinEdit(kMeasuresSpin, 1, 2);
    g.Label("Staff separation", 0, 3);
    g.BoundSpinEdit(kStaffSeparationSpin, 1, 3);
    g.Label("System separation", 0, 4);
    g.BoundSpinEdit(kSystemSeparationSpin, 1, 4);
    g.Check(kSavePreferences, "Save preferences", 0, 5);
    g.Buttons(2, 0);
    Button(g, kUseTemplate, "Use Template", 2, 3);
    LogoButton(g, 2, 6);
    return g.dialog;
}

ui::DialogTemplate NonPrintingTemplate() {
    using namespace non_printing_dialog;
    DialogGrid g("Non-printing Area", 3, 4, kSizes);
    g.Check(kOverride, "Overide defaults with these amounts", 0, 0, 2);
    g.Label("Horizontal", 0, 1);
    g.SpinEdit(kHorizontalSpin, 1, 1);
    g.Label("Vertical", 0, 2);
    g.SpinEdit(kVerticalSpin, 1, 2);
    g.Label("Inches", 1, 3, kUnitsLabel);
    g.Buttons(2, 0);
    LogoButton(g, 2, 3);
    return g.dialog;
}

}  // namespace

void AddPageLayoutResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(page_layout_dialog::kPageLayoutDialog, PageLayoutTemplate());
    bundle.dialogs.emplace(staff_size_dialog::kStaffSizeDialog, StaffSizeTemplate());
    bundle.dialogs.emplace(page_setup_dialog::kPageSetupDialog, PageSetupTemplate());
    bundle.dialogs.emplace(music_metrics_dialog::kMusicMetricsDialog, MusicMetricsTemplate());
    bundle.dialogs.emplace(new_manuscript_dialog::kNewManuscriptDialog, NewManuscriptTemplate());
    bundle.dialogs.emplace(non_printing_dialog::kNonPrintingDialog, NonPrintingTemplate());
    bundle.dialogs.emplace(margins_dialog::kDoubleSidedDialog, MarginsTemplate(true));
    bundle.dialogs.emplace(margins_dialog::kSingleSidedDialog, MarginsTemplate(false));
}

void RegisterPageLayoutResources() {
    dialog_grid::AddToProgramBundle(AddPageLayoutResources);
}

}  // namespace ql
