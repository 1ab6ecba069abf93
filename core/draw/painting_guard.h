// The painting guard: drawing never counts as an edit. While any guard is alive,
// SetDocumentModified does nothing (as while PlaybackActive), so that the few cached
// values drawing keeps up to date in the records (repairs that stored files carry
// anyway) never mark a score as changed. Every note-drawing entry point, and the score
// painter, hold one for the length of their drawing; guards nest.
//
// The counter and the serial number of the paint live beside PlaybackActive in the
// program state. A paint is the span in which the counter stays above 0: the serial
// moves on when the first guard of a paint is set, so code that reports once per
// paint can tell paints apart. It wraps after 2^32 paints; a wrapped serial that meets
// a stored one costs at most one skipped report.
#pragma once

#include <cstdint>

#include "core/state.h"

namespace ql {

class ScopedPaintingGuard {
  public:
    ScopedPaintingGuard() {
        PlaybackGlobals& flags = PlaybackFlags();
        if (flags.PaintingGuard.fetch_add(1, std::memory_order_acq_rel) == 0)
            flags.PaintSerial.fetch_add(1, std::memory_order_acq_rel);
    }
    ~ScopedPaintingGuard() {
        PlaybackFlags().PaintingGuard.fetch_sub(1, std::memory_order_acq_rel);
    }
    ScopedPaintingGuard(const ScopedPaintingGuard&) = delete;
    ScopedPaintingGuard& operator=(const ScopedPaintingGuard&) = delete;
};

// True while a guard is alive (any thread may ask).
inline bool IsPaintingGuardSet() {
    return PlaybackFlags().PaintingGuard.load(std::memory_order_acquire) != 0;
}

// The serial number of the current (or last) paint.
inline uint32_t CurrentPaintSerial() {
    return PlaybackFlags().PaintSerial.load(std::memory_order_acquire);
}

}  // namespace ql
