// Routing recorded events to staves and filtering them.
#include "sequencer/record_routing.h"

#include <algorithm>

namespace ql {
namespace {

constexpr uint8_t kStatusKindMask = 0xF0;
constexpr uint8_t kChannelMask = 0x0F;
constexpr int kKeyShift = 8;
constexpr uint32_t kDataMask = 0x7F;
enum : uint8_t {
    kNoteOff = 0x80,
    kNoteOn = 0x90,
    kKeyPressure = 0xA0,
    kController = 0xB0,
    kProgram = 0xC0,
    kChannelPressure = 0xD0,
    kPitchWheel = 0xE0,
};

bool Filtered(const RecordRouting& routing, uint8_t kind) {
    switch (kind) {
        case kNoteOff:
        case kNoteOn: return false;
        case kKeyPressure: return routing.filterKeyPressure;
        case kController: return routing.filterControllers;
        case kProgram: return routing.filterPrograms;
        case kChannelPressure: return routing.filterChannelPressure;
        case kPitchWheel: return routing.filterPitchWheel;
        default: return true;  // not a channel message
    }
}

bool HasKey(uint8_t kind) { return kind == kNoteOff || kind == kNoteOn || kind == kKeyPressure; }

}  // namespace

RecordRouting NormalizeRouting(RecordRouting routing, int staffCount) {
    const int count = std::max(staffCount, 1);
    if (routing.mode > RecordMode::Multichannel) routing.mode = RecordMode::Single;
    if (routing.recordStaff < 1 || routing.recordStaff > count) routing.recordStaff = 1;
    if (routing.splitStaff < 1 || routing.splitStaff > count) routing.splitStaff = routing.recordStaff + 1;
    if (routing.mode == RecordMode::Split &&
        (routing.splitStaff > count || routing.splitStaff == routing.recordStaff)) {
        routing.mode = RecordMode::Single;
        routing.splitStaff = 1;
    }
    return routing;
}

int RecordedEventStaff(const RecordRouting& routing, uint32_t message, int staffCount) {
    const auto kind = static_cast<uint8_t>(message & kStatusKindMask);
    if (Filtered(routing, kind)) return 0;
    const int count = std::max(staffCount, 1);
    switch (routing.mode) {
        case RecordMode::Split: {
            const int key = static_cast<int>((message >> kKeyShift) & kDataMask);
            return HasKey(kind) && key < routing.splitPoint ? routing.splitStaff : routing.recordStaff;
        }
        case RecordMode::Multichannel: {
            const int channel = static_cast<int>(message & kChannelMask);
            int staff = routing.channelStaves[0] == kChannelStavesUnset ? channel + 1 : routing.channelStaves[channel];
            if (staff == 0 || staff > count) staff = channel + 1;
            return staff <= count ? staff : 1;
        }
        case RecordMode::Single: break;
    }
    return routing.recordStaff;
}

}  // namespace ql
