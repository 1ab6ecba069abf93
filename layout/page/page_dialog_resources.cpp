// Templates of the page dialogs (Insert Pages, Delete Pages, Set Page Number) and of
// the navigation dialogs (Go to Page, Go to Measure, Find Measure and/or Page), laid
// out on a grid of rows and columns. The texts are the dialogs' own.
#include "layout/page/page_dialog_resources.h"

#include "core/ui/dialog_grid.h"
#include "core/ui/help.h"
#include "platform/ui/dialog_template.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using dialog_grid::DialogGrid;

constexpr dialog_grid::GridSizes kSizes{90, 28, 50};
constexpr uint32_t kTab = win::kStyleVisible | win::kStyleTabStop;

void LogoButton(DialogGrid& g, int column, int row) {
    g.Add(ui::kButtonClass, kHelpButtonId, "", column, row, kSizes.buttonWidth, kTab | ui::kButtonOwnerDraw);
}

ui::DialogTemplate InsertPagesTemplate() {
    using namespace insert_pages_dialog;
    DialogGrid g("Insert Pages", 3, 4, kSizes);
    g.Label("Insert ", 0, 0);
    g.SpinEdit(kCountSpin, 1, 0);
    g.Label(" page(s)", 1, 1);
    g.Radio(kBefore, "Before current page", 0, 2, true);
    g.Radio(kAfter, "After current page", 0, 3);
    g.Buttons(2, 0);
    LogoButton(g, 2, 3);
    return g.dialog;
}

ui::DialogTemplate DeletePagesTemplate() {
    using namespace delete_pages_dialog;
    DialogGrid g("Delete Pages", 3, 3, kSizes);
    g.Label("Delete Page(s):", 0, 0);
    g.Edit(kFirst, 1, 0, win::kStyleDisabled);
    g.Label("through:", 0, 1);
    g.SpinEdit(kThroughSpin, 1, 1);
    g.Buttons(2, 0);
    LogoButton(g, 2, 2);
    return g.dialog;
}

ui::DialogTemplate SetPageNumberTemplate() {
    using namespace page_number_dialog;
    DialogGrid g("Set Page Number", 3, 5, kSizes);
    g.Label("New page number:", 0, 0);
    g.Edit(kNumber, 1, 0);
    g.Radio(kToNextSetting, "up to next page number setting", 0, 1, true, 2);
    g.Radio(kToEnd, "to end of piece", 0, 2);
    g.Radio(kToNumber, "up to page number:", 0, 3);
    g.Edit(kToNumberEdit, 1, 3);
    g.Buttons(2, 0);
    LogoButton(g, 2, 4);
    return g.dialog;
}

// Go to Page and Go to Measure share their shape: a labelled number with its spin,
// the range under it.
ui::DialogTemplate GoToTemplate(const char* caption, const char* label, int32_t spin, int32_t range) {
    DialogGrid g(caption, 3, 3, kSizes);
    g.Label(label, 0, 0);
    g.SpinEdit(spin, 1, 0);
    g.Label("(1 - 999)", 1, 1, range);
    g.Buttons(2, 0);
    LogoButton(g, 2, 2);
    return g.dialog;
}

ui::DialogTemplate FindTemplate() {
    using namespace find_dialog;
    DialogGrid g("Find Measure and/or Page", 4, 5, kSizes);
    g.Label("Find", 0, 0);
    g.Check(kMeasureBox, "Measure", 0, 1);
    g.SpinEdit(kMeasureSpin, 1, 1);
    g.Label("(1 - 999)", 2, 1, kMeasureRange);
    g.Label("and/or", 0, 2);
    g.Check(kPageBox, "Page", 0, 3);
    g.SpinEdit(kPageSpin, 1, 3);
    g.Label("(1 - 999)", 2, 3, kPageRange);
    g.Buttons(3, 0);
    LogoButton(g, 3, 3);
    g.Label("Tip:  Use the F3 key to continue searching for the desired page or measure.", 0, 4, ui::kUnusedControlId, 4);
    return g.dialog;
}

}  // namespace

void AddPageDialogResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(insert_pages_dialog::kInsertPagesDialog, InsertPagesTemplate());
    bundle.dialogs.emplace(delete_pages_dialog::kDeletePagesDialog, DeletePagesTemplate());
    bundle.dialogs.emplace(page_number_dialog::kSetPageNumberDialog, SetPageNumberTemplate());
    bundle.dialogs.emplace(go_to_page_dialog::kGoToPageDialog,
                           GoToTemplate("Go to Page", "Page number:", go_to_page_dialog::kSpin, go_to_page_dialog::kRange));
    bundle.dialogs.emplace(go_to_measure_dialog::kGoToMeasureDialog,
                           GoToTemplate("Go to Measure", "Measure number:", go_to_measure_dialog::kSpin, go_to_measure_dialog::kRange));
    bundle.dialogs.emplace(find_dialog::kFindDialog, FindTemplate());
}

void RegisterPageDialogResources() {
    dialog_grid::AddToProgramBundle(AddPageDialogResources);
}

}  // namespace ql
