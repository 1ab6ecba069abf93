// The staff keys M, S and P (see staff_mix_keys.h): the mixer's mute and solo of the
// current staff, with every mixer of the view following, and the patch of its main
// timbre.
#include "staves/staff_mix_keys.h"

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/ui/midi_services.h"
#include "core/undo/undo.h"
#include "staves/staff_value_dialog.h"

namespace ql {

int ToggleStaffMute(ScoreView* view) {
    return view != nullptr ? ToggleViewStaffMute(view, view->currentStaff) : 0;
}

int ToggleStaffSolo(ScoreView* view) {
    return view != nullptr ? ToggleViewStaffSolo(view, view->currentStaff) : 0;
}

int EditStaffPatch(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->currentStaff < 1) return 0;
    StaffRecord* staff = StaffRecordOf(view->document, view->currentStaff);
    if (staff == nullptr) return 0;
    const UndoStep edit(view->document, view, UndoKind::Item, kTimbreUndoType, UndoVerb::Modify);
    const int patch = RunMidiValueDialog(view, staff->timbres[0].patch);
    if (patch != staff->timbres[0].patch) {
        staff->timbres[0].patch = static_cast<uint8_t>(patch);
        SetDocumentModified(view->document);
    }
    return 1;
}

}  // namespace ql
