// The staff keys M, S and P (see staff_mix_keys.h), until the mixer window and the
// MIDI value dialog exist.
#include "staves/staff_mix_keys.h"

#include "core/model/score_document.h"
#include "core/error_report.h"
#include "sequencer/engine.h"
#include "sequencer/sequencer_state.h"

namespace ql {

namespace {

StaffMix* CurrentStaffMix(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return nullptr;
    const int staff = view->currentStaff;
    if (staff < 1 || staff > view->document->header.staffCount || staff >= kMixerStaves) return nullptr;
    return &view->document->staffMix[staff];
}

}  // namespace

// provisional: the mixer window is not built, so the toggle never goes through it;
// the document's byte and the live table are what playback and the staff popup read.
int ToggleStaffMute(ScoreView* view) {
    StaffMix* mix = CurrentStaffMix(view);
    if (mix == nullptr) return 0;
    mix->mute = mix->mute != 0 ? 0 : 1;
    SetSlotMute(TheSequencerState(), view->currentStaff, mix->mute != 0);
    return 1;
}

// provisional: as ToggleStaffMute, without the mixer window.
int ToggleStaffSolo(ScoreView* view) {
    StaffMix* mix = CurrentStaffMix(view);
    if (mix == nullptr) return 0;
    mix->solo = mix->solo != 0 ? 0 : 1;
    SetSlotSolo(TheSequencerState(), view->currentStaff, mix->solo != 0);
    return 1;
}

// provisional: the MIDI value dialog (837) that edits a patch is not built; the key
// is taken and answered with a beep, the patch left as it is.
int EditStaffPatch(ScoreView* view) {
    if (CurrentStaffMix(view) == nullptr) return 0;
    PlayAlertBeep(0);
    return 1;
}

}  // namespace ql
