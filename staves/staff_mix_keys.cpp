// The staff keys M and S (see staff_mix_keys.h): the mixer's mute and solo of the
// current staff, with every mixer of the view following.
#include "staves/staff_mix_keys.h"

#include "core/model/score_document.h"
#include "sequencer/mixer_window.h"

namespace ql {

int ToggleStaffMute(ScoreView* view) {
    return view != nullptr ? ToggleViewStaffMute(view, view->currentStaff) : 0;
}

int ToggleStaffSolo(ScoreView* view) {
    return view != nullptr ? ToggleViewStaffSolo(view, view->currentStaff) : 0;
}

}  // namespace ql
