// The cross-staff toggle of a note as the Note Settings dialog applies it: the note
// and the notes of its chord in the same state move to the neighbouring staff or back.
#pragma once

namespace ql {

struct ScoreView;
struct EventRecord;

void ApplyCrossStaffToggle(ScoreView* view, EventRecord* note);

}  // namespace ql
