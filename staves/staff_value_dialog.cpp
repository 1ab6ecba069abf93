// The staff value dialog and the channel edit of the current staff (see
// staff_value_dialog.h).
#include "staves/staff_value_dialog.h"

#include <algorithm>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/modal_boxes.h"
#include "core/undo/undo.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "staves/signature_dialog_resources.h"

namespace ql {

namespace {

using namespace staff_value_dialog;
using platform::WindowHandle;

intptr_t OnScroll(WindowHandle dialog, uint32_t word) {
    const win::ScrollCode code = win::ScrollCodeOf(word);
    if (code == win::ScrollCode::LineUp || code == win::ScrollCode::LineDown)
        ClampEditValue(dialog, kValueSpin, code == win::ScrollCode::LineDown, kLowestChannel, false,
                       kHighestChannel);
    return 0;
}

}  // namespace

int RunStaffValueDlg(ScoreView* view, int value) {
    int chosen = value;
    ModalDialogBox(view, kStaffValueDialog,
                   [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t) -> intptr_t {
                       if (message == win::Message::InitDialog) {
                           ui::PlaceDialogAtPointer(dialog, true);
                           SetupSpinControl(dialog, kValue, kLowestChannel, kHighestChannel,
                                            std::clamp(value, kLowestChannel, kHighestChannel), true);
                           return 0;
                       }
                       if (message == win::Message::VerticalScroll) return OnScroll(dialog, word);
                       if (message != win::Message::Command) return 0;
                       const uint32_t id = win::CommandId(word);
                       if (id == ui::kIdOk) {
                           chosen = std::clamp(ui::GetItemInt(dialog, kValue).value_or(value),
                                               kLowestChannel, kHighestChannel);
                           ui::EndDialog(dialog, ui::kIdOk);
                       } else if (id == ui::kIdCancel) {
                           ui::EndDialog(dialog, ui::kIdCancel);
                       } else {
                           return 0;
                       }
                       return 1;
                   });
    return chosen;
}

int EditStaffChannel(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return 0;
    StaffRecord* staff = StaffRecordOf(view->document, view->currentStaff);
    if (staff == nullptr || view->currentStaff < 1) return 0;
    const UndoStep edit(view->document, view, UndoKind::Item, kTimbreUndoType, UndoVerb::Modify);
    const int channel = RunStaffValueDlg(view, staff->timbres[0].channel + 1);
    if (channel - 1 != staff->timbres[0].channel) {
        staff->timbres[0].channel = static_cast<uint8_t>(channel - 1);
        SetDocumentModified(view->document);
    }
    return 1;
}

}  // namespace ql
