// Dispatching the page, layout, navigation and ruler commands to the active view.
// Page Layout is refused on a master page, as its menu item is.
#include "shell/program/page_commands.h"

#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/units/view_moves.h"
#include "display/navigation.h"
#include "display/view_modes.h"
#include "layout/page_edit.h"
#include "layout/page_layout_dialogs.h"

namespace ql {

bool PageCommand(int32_t command) {
    using namespace page_cmd;
    ScoreView* view = GetActiveScoreView();
    const bool valid = view != nullptr;
    switch (command) {
        case kSetMargins: if (valid) RunSetMarginsDialog(view); return true;
        case kSetStaffSize: if (valid) RunStaffSizeDialog(view); return true;
        case kSetPageNumber: if (valid) RunSetPageNumberDialog(view); return true;
        case kGoToPage: if (valid) CmdGoToPage(view); return true;
        case kGoToMeasure: if (valid) CmdGoToMeasure(view); return true;
        case kFindPageMeasure: if (valid) CmdFindMeasurePage(view); return true;
        case kRepeatFind: if (valid) CmdFindAgain(view); return true;
        case kDisplayRuler: if (valid) ApplyRulerSettingToAllViews(view); return true;
        default: return false;
    }
}

}  // namespace ql
