// Refilling the performance table between painted measures.
#include "sequencer/sequencer_services.h"

namespace ql {

// provisional: the performance table and its playback are not built, so no refill
// is ever due and there is no half to fill; the painter's call does nothing.
void BuildPerformanceBlock(ScoreView* /*view*/) {}

}  // namespace ql
