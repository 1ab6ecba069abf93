// The Accidental Interpretation dialog (893), which the settings map opens: how
// accidentals entered from MIDI are spelled.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

// 1 after OK, 2 after Cancel.
intptr_t RunAccidentalInterpretationDialog(ScoreView* view);

}  // namespace ql
