// Templates of the graphic-object dialogs, laid out on the dialog grid. The width
// edit sits after its up-down (the up-down's id is the edit's minus one).
#include "objects/graphics/shape_dialog_resources.h"

#include "core/ui/dialog_grid.h"
#include "platform/ui/dialog_template.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using dialog_grid::DialogGrid;
using namespace shape_dialog;

constexpr dialog_grid::GridSizes kSizes{100, 32, 50};
constexpr uint32_t kTab = win::kStyleVisible | win::kStyleTabStop;
constexpr const char* kWidthTexts[] = {"1/16th space", "1/8th space", "1/4th space", "1/2   space"};

// The help button, drawn as the program's logo.
void LogoButton(DialogGrid& b, int column, int row) {
    b.Add(ui::kButtonClass, kLogo, "", column, row, kSizes.buttonWidth, kTab | ui::kButtonOwnerDraw);
}

// The "Line Width" group: four codes, "Specified" and its edit, in column 0.
void WidthGroup(DialogGrid& b, int32_t editId, int firstRow) {
    b.Label("Line Width", 0, firstRow);
    for (int i = 0; i < 4; ++i) b.Radio(kFirstWidth + i, kWidthTexts[i], 0, firstRow + 1 + i, i == 0);
    b.Radio(kSpecified, "Specified", 0, firstRow + 5);
    b.SpinEdit(editId - 1, 1, firstRow + 5);
    b.Label("Degrees", 2, firstRow + 5, kDegrees);
}

ui::DialogTemplate AreaTemplate(const char* caption, int32_t editId) {
    DialogGrid b(caption, 4, 7, kSizes);
    b.Label("Frame", 1, 0);
    b.Radio(kFrameBlack, "Black", 1, 1, true);
    b.Radio(kFrameWhite, "Whiteout", 1, 2);
    b.Label("Interior", 2, 0);
    b.Radio(kInteriorBlack, "Black", 2, 1, true);
    b.Radio(kInteriorWhite, "Whiteout", 2, 2);
    b.Radio(kInteriorNone, "Transparent", 2, 3);
    WidthGroup(b, editId, 0);
    LogoButton(b, 3, 6);
    b.Buttons(3, 0);
    return b.dialog;
}

ui::DialogTemplate LineTemplate() {
    DialogGrid b("Line Attributes", 3, 7, kSizes);
    WidthGroup(b, kBoxWidthEdit, 0);
    LogoButton(b, 2, 6);
    b.Buttons(2, 0);
    return b.dialog;
}

ui::DialogTemplate PictureTemplate() {
    using namespace picture_dialog;
    DialogGrid b("Picture", 3, 4, kSizes);
    b.Check(kKeepRatio, "Keep height/width ratio", 0, 0);
    b.Check(kOpaque, "Draw Opaque", 0, 1);
    b.Label("Display as", 1, 0);
    b.Radio(kColour, "Color", 1, 1, true);
    b.Radio(kBlackAndWhite, "Black and White", 1, 2);
    LogoButton(b, 0, 3);
    b.Buttons(2, 0);
    return b.dialog;
}

}  // namespace

void AddShapeDialogResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(kBoxDialog, AreaTemplate("Box Attributes", kBoxWidthEdit));
    bundle.dialogs.emplace(kCircleDialog, AreaTemplate("Ellipse Attributes", kCircleWidthEdit));
    bundle.dialogs.emplace(kLineDialog, LineTemplate());
    bundle.dialogs.emplace(picture_dialog::kDialog, PictureTemplate());
}

void RegisterShapeDialogResources() {
    dialog_grid::AddToProgramBundle(&AddShapeDialogResources);
}

}  // namespace ql
