// Audio frames against the clock: how far a renderer is ahead of real time.
//
// The synthesizer renders for whatever pulls its sound. A sound device that plays
// holds the renderer back by itself; one that never blocks (a null device, a
// device that went away while it still takes writes) would let the renderer spin
// and take a whole processor. The renderer asks before each buffer how long to
// wait: nothing while it is less than kAheadLimitMs ahead of the clock, and once
// it is, until it is only kAheadTargetMs ahead (so a spinning device costs a
// wake-up every 50 ms, not a processor). A renderer that fell behind (the machine
// was busy, the device ran fast) keeps at most kLagCreditMs of that as credit, so
// that a device that later stops blocking is caught within the same bound.
// A device's own buffer must be shorter than kAheadLimitMs for this to leave it
// alone (FluidSynth's drivers keep a few tens of milliseconds).
#pragma once

#include <cstdint>

namespace ql::midi {

constexpr int64_t kAheadLimitMs = 250;
constexpr int64_t kAheadTargetMs = 200;
constexpr int64_t kLagCreditMs = 250;

class RealTimeFrames {
public:
    explicit RealTimeFrames(double framesPerSecond) : framesPerSecond_(framesPerSecond) {}

    // Nanoseconds to wait at `nowNs` (CLOCK_MONOTONIC) before `frames` more are
    // rendered; counts them as rendered. The first call starts the clock.
    int64_t WaitBefore(int64_t nowNs, uint32_t frames);
    // Frames the clock has made due at `nowNs` and not yet rendered (0 when
    // ahead); the first call starts the clock.
    uint64_t DueFrames(int64_t nowNs);
    void Rendered(uint32_t frames) { rendered_ += frames; }
    // Nanoseconds the rendered frames are ahead of the clock at `nowNs` (negative
    // when behind).
    int64_t AheadNs(int64_t nowNs) const;

private:
    void StartAt(int64_t nowNs);

    double framesPerSecond_;
    bool started_ = false;
    int64_t startNs_ = 0;
    uint64_t rendered_ = 0;
};

}  // namespace ql::midi
