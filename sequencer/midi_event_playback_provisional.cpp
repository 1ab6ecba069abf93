// provisional: what a MIDI event object performs (its message kinds, user bytes,
// long messages) comes with the playback of the MIDI event objects, which is not
// built yet. Until then a MIDI event object or an articulation with MIDI plays
// nothing.
#include "sequencer/performance_builder.h"

namespace ql {

bool PerformMidiEventObject(PerformanceRun& /*run*/, int /*staff*/, int32_t /*at*/, ScoreObject* /*object*/) {
    return true;
}

}  // namespace ql
