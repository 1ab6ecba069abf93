// provisional: what a MIDI event object performs (its message kinds, user bytes,
// long messages) and the 14-bit split of controller values come with the MIDI
// event objects and their dialogs, which are not built yet. Until then a MIDI
// event object or an articulation with MIDI plays nothing, and a controller value
// is one message, clamped to 0..127.
#include <algorithm>

#include "sequencer/performance_builder.h"

namespace ql {
namespace {

constexpr uint8_t kControlStatus = 0xB0;
constexpr int kChannelMask = 0x0F;
constexpr int kMaxData = 127;
constexpr int kDataShift1 = 8;
constexpr int kDataShift2 = 16;

}  // namespace

bool PerformMidiEventObject(PerformanceRun& /*run*/, int /*staff*/, int32_t /*at*/, ScoreObject* /*object*/) {
    return true;
}

std::vector<uint32_t> ControllerMessages(int channel, int controller, int value) {
    return {static_cast<uint32_t>(kControlStatus | (channel & kChannelMask)) |
            (static_cast<uint32_t>(controller & kMaxData) << kDataShift1) |
            (static_cast<uint32_t>(std::clamp(value, 0, kMaxData)) << kDataShift2)};
}

}  // namespace ql
