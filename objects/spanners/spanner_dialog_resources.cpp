// The spanner dialogs' templates, laid out on the dialog grid: the repeat ending's
// measure range and four pass numbers with their up-downs, and the brackets' dashed
// check box, label preview, "Set image..." button and octave radios.
#include "objects/spanners/spanner_dialog_resources.h"

#include "core/ui/dialog_grid.h"
#include "platform/ui/dialog_template.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using dialog_grid::DialogGrid;
using namespace spanner_dialog;

constexpr dialog_grid::GridSizes kSizes{90, 32, 50};
constexpr const char* kPassTexts[] = {"Pass A", "Pass B", "Pass C", "Pass D"};

ui::DialogTemplate RepeatEndingTemplate() {
    DialogGrid b("Repeat Ending", 4, 7, kSizes);
    b.Label("From measure: ", 0, 0);
    b.Edit(kFromMeasure, 1, 0);
    b.SpinAfterEdit(kFirstNumberSpin, 1, 0);
    b.Label("Through: ", 0, 1);
    b.Edit(kThroughMeasure, 1, 1);
    b.SpinAfterEdit(kFirstNumberSpin + 1, 1, 1);
    b.Label("Place up to 4 repeat numbers from left to right", 0, 2, kPlacementNote, 3);
    for (int i = 0; i < 4; ++i) {
        b.Label(kPassTexts[i], i, 3);
        b.Edit(kFirstPass + i, i, 4);
        b.SpinAfterEdit(kFirstNumberSpin + 2 + i, i, 4);
    }
    b.Check(kDashedBracket, "Dashed bracket", 0, 5);
    b.Edit(kLabelPreview, 1, 5);
    b.Button(kEndingSetImage, "Set image...", 2, 5);
    b.Buttons(3, 0);
    return b.dialog;
}

// "Measure End" (the widget bracket) and "Octave": the dashed check box and the
// label preview; "Octave" adds the two octave radios.
ui::DialogTemplate BracketTemplate(const char* caption, bool octave) {
    DialogGrid b(caption, 3, 4, kSizes);
    b.Check(kBracketDashed, "Dashed bracket", 0, 0);
    b.Edit(kLabelPreview, 1, 0);
    b.Button(kBracketSetImage, "Set image...", 1, 1);
    if (octave) {
        b.Radio(kOctaveAbove, "8va  Octave above", 0, 1, true);
        b.Radio(kOctaveBelow, "8vb  Octave below", 0, 2);
    }
    b.Buttons(2, 0);
    return b.dialog;
}

// "Tuplets": the ratio's two numbers, and the outer ratio's under the check box.
ui::DialogTemplate TupletsTemplate() {
    DialogGrid b("Tuplets", 4, 3, kSizes);
    b.BoundSpinEdit(kTupletFirstSpin, 0, 0);
    b.Label("To:", 1, 0);
    b.BoundSpinEdit(kTupletSecondSpin, 2, 0);
    b.Check(kTupletNested, "Nested within:", 0, 1, 2);
    b.BoundSpinEdit(kNestedFirstSpin, 0, 2);
    b.Label("To:", 1, 2);
    b.BoundSpinEdit(kNestedSecondSpin, 2, 2);
    b.Buttons(3, 0);
    return b.dialog;
}

}  // namespace

void AddSpannerDialogResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(kRepeatEndingDialog, RepeatEndingTemplate());
    bundle.dialogs.emplace(kMeasureEndDialog, BracketTemplate("Measure End", false));
    bundle.dialogs.emplace(kOctaveDialog, BracketTemplate("Octave", true));
    bundle.dialogs.emplace(kTupletsDialog, TupletsTemplate());
}

void RegisterSpannerDialogResources() {
    dialog_grid::AddToProgramBundle(&AddSpannerDialogResources);
}

}  // namespace ql
