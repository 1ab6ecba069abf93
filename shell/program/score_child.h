// The score windows' procedure (declared with the view procedures) and the
// questions the score-window module asks of a window: may it close, how many are
// there.
#pragma once

#include <cstdint>

#include "shell/program/view_procedures.h"

namespace ql {

// Whether the view's window may close (its score saved or given up).
bool ScoreViewAgreesToClose(ScoreView* view);

// The score windows in the frame's document client.
int CountScoreWindows();

}  // namespace ql
