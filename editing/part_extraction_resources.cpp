// Dialog 495 "Extract Part Layout" and its texts: four choices with the stored
// one named beside the last, the two page-item check boxes, OK, Cancel and Help.
#include "editing/part_extraction_resources.h"

#include "core/ui/dialog_grid.h"
#include "core/ui/help.h"
#include "platform/ui/dialog_template.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using dialog_grid::DialogGrid;

constexpr dialog_grid::GridSizes kSizes{120, 28, 50};
constexpr uint32_t kTab = win::kStyleVisible | win::kStyleTabStop;

ui::DialogTemplate ExtractPartLayoutTemplate() {
    namespace d = extract_part_dialog;
    DialogGrid g("Extract Part Layout", 3, 8, kSizes);
    g.Radio(d::kFromTemplate, "Load from Template file", 0, 0, true, 2);
    g.Radio(d::kFromMaster, "Copy from master score", 0, 1, false, 2);
    g.Radio(d::kNewFileDefaults, "Use new file defaults", 0, 2, false, 2);
    g.Radio(d::kLastSelection, "Use last selection:", 0, 3, false, 2);
    g.Label("", 0, 4, d::kStoredChoiceText, 2);
    g.Check(d::kCopyMasterItems, "Copy Master Page items", 0, 6, 2);
    g.Check(d::kCopyPageOneItems, "Copy page one items", 0, 7, 2);
    g.Buttons(2, 0);
    g.Add(ui::kButtonClass, kHelpButtonId, "&Help", 2, 3, kSizes.buttonWidth, kTab);
    return g.dialog;
}

struct PartString {
    int32_t id;
    const char* text;
};

constexpr PartString kPartStrings[] = {
    {kStrUseTemplateFile, "Use Template file:  %s"},
    {kStrCopyFromMaster, "Copy from master score"},
    {kStrUseNewFileDefaults, "Use new file defaults"},
    {kStrSelectedScoreEmpty, "The selected score is empty."},
};

}  // namespace

void AddPartExtractionResources(sys::ResourceBundle& bundle) {
    bundle.dialogs.emplace(extract_part_dialog::kDialog, ExtractPartLayoutTemplate());
    for (const PartString& entry : kPartStrings) bundle.strings.emplace(entry.id, entry.text);
}

void RegisterPartExtractionResources() {
    dialog_grid::AddToProgramBundle(AddPartExtractionResources);
}

}  // namespace ql
