// Lengthening the current measure so that an entered note or rest fits (note entry,
// "Auto extend measure").
#pragma once

namespace ql {

struct ScoreView;

// Lengthens the view's current measure by what `ticksNeeded` lacks of the room left
// in the active voice. 1 when the measure was lengthened, 0 when the new length would
// exceed 65,535 ticks (nothing changed).
int ExtendMeasureToFit(ScoreView* view, int ticksNeeded);

}  // namespace ql
