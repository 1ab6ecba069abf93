// The alert beep of an exhausted pool. Each beep is also counted in the pool state,
// so tests and diagnostics can see that the user was told. Only the user-interface
// thread sounds it; an exhausted pool on the MIDI-input thread is counted only.
#include "core/error_report.h"
#include "core/memory/pool_internal.h"
#include "core/state.h"

namespace ql::pool_detail {

void SoundExhaustionBeep() {
    StateAnyThread().pools.ExhaustionBeeps.fetch_add(1);
    if (IsUiThread()) PlayAlertBeep(0);
}

}  // namespace ql::pool_detail
