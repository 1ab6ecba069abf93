// The channel messages of a controller value. Controllers 0-31 have a partner
// 32 higher that carries the low seven bits of a 14-bit value: a single value
// above 127 on one of them is sent as both halves, the high one first; every
// other value is one message with its value clamped to 0..127.
#include <algorithm>

#include "sequencer/performance_builder.h"

namespace ql {
namespace {

constexpr uint8_t kControlStatus = 0xB0;
constexpr int kChannelMask = 0x0F;
constexpr int kMaxData = 127;
constexpr int kMax14Bit = 0x3FFF;
constexpr int kDataBits = 7;
constexpr int kFirstLowHalfController = 32;  // controller c's low half is on c + 32
constexpr int kDataShift1 = 8;
constexpr int kDataShift2 = 16;

uint32_t ControlMessage(int channel, int controller, int data) {
    return static_cast<uint32_t>(kControlStatus | (channel & kChannelMask)) |
           (static_cast<uint32_t>(controller & kMaxData) << kDataShift1) |
           (static_cast<uint32_t>(data & kMaxData) << kDataShift2);
}

}  // namespace

std::vector<uint32_t> ControllerMessages(int channel, int controller, int value, bool single) {
    controller &= kMaxData;
    if (single && controller < kFirstLowHalfController && value > kMaxData) {
        const int wide = std::min(value, kMax14Bit);
        return {ControlMessage(channel, controller, wide >> kDataBits),
                ControlMessage(channel, controller + kFirstLowHalfController, wide & kMaxData)};
    }
    return {ControlMessage(channel, controller, std::clamp(value, 0, kMaxData))};
}

}  // namespace ql
