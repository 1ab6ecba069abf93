// The staff key P (see staff_mix_keys.h), until the MIDI value dialog exists.
#include "staves/staff_mix_keys.h"

#include "core/error_report.h"
#include "core/model/score_document.h"

namespace ql {

// provisional: the MIDI value dialog (837) that edits a patch is not built; the key
// is taken and answered with a beep, the patch left as it is.
int EditStaffPatch(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return 0;
    const int staff = view->currentStaff;
    if (staff < 1 || staff > view->document->header.staffCount || staff >= kMixerStaves) return 0;
    PlayAlertBeep(0);
    return 1;
}

}  // namespace ql
