// What a MIDI event object or a note articulation with MIDI plays: its action's
// message kind, on each distinct port and channel of its destinations: the voices
// (or timbres) of flag bits 8-11 on this staff or group, and of bits 12-15 on the
// named staff or group (sequencer/perform_steps.h).
//
// Key pressure, controller, channel pressure and pitch wheel follow the action's
// transition form (single, linear, envelope), one message per step; a patch change
// is one message. A note is a note-on at the object's tick and its note-off one
// interval later (16 sixteenths when the interval is 0). The pitch wheel's value is
// the 14-bit bend, 8,192 the centre: it is held to 0..16,383 and sent with the low
// seven bits as data 1 and the high seven as data 2; its envelope spans half the
// range of a 7-bit one. Every 7-bit value is held to 0..127; a note's key outside
// 0..127 or a velocity of 0 plays nothing.
//
// User bytes (kind 6) without the system-exclusive bit are read as short messages,
// each a status byte and its data bytes, one event each; reading stops at the
// first byte that does not make a whole message. An export keeps only the channel
// messages among them. System exclusive, or user bytes
// that begin with 0xF0, become one long message F0 ... F7 (the F0 and F7 added
// when missing; a data byte of 0x80 or above drops the message). While a run
// plays it is a long-message event whose entry is in the engine's table (at most
// kMaxPlayLongMessages per run); an export makes it a system-exclusive body event
// whose bytes the run keeps, once per object and time (a file has no ports). An
// object played again uses its entry again.
//
// Notes, user bytes and long messages happen once: made before tick 0 (the marks
// of the measures before the start, sequencer/perform_earlier.cpp) they play
// nothing, while the other kinds set a state that goes on into the run.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/memory/pool.h"
#include "core/objects/midi_action.h"
#include "sequencer/action_dialogs.h"
#include "sequencer/perform_steps.h"

namespace ql {
namespace {

using perform_detail::Destinations;
using perform_detail::EachStep;
using perform_detail::kTicksPerInterval;
using perform_detail::PlaceControl;
using perform_detail::PortChannel;
using perform_detail::RemoteVoices;
using perform_detail::TransitionShape;

constexpr uint8_t kKeyPressureStatus = 0xA0;
constexpr uint8_t kProgramChangeStatus = 0xC0;
constexpr uint8_t kChannelPressureStatus = 0xD0;
constexpr uint8_t kPitchWheelStatus = 0xE0;
constexpr uint8_t kNoteOnStatus = 0x90;
constexpr uint8_t kNoteOffStatus = 0x80;
constexpr uint8_t kNoteOffVelocity = 64;
constexpr uint8_t kSysExStart = 0xF0;
constexpr uint8_t kSysExEnd = 0xF7;
constexpr uint8_t kStatusBit = 0x80;
constexpr int kMaxData = 127;
constexpr int kMaxPitchWheel = 0x3FFF;
constexpr int kDataBits = 7;
constexpr int kDataShift1 = 8;
constexpr int kDataShift2 = 16;
constexpr int kVelocityShift = 8;
constexpr uint8_t kDefaultInterval = 16;  // an interval of 0 counts as a whole note

uint32_t Pack(int status, int data1, int data2) {
    return static_cast<uint32_t>(status & 0xFF) | (static_cast<uint32_t>(data1 & kMaxData) << kDataShift1) |
           (static_cast<uint32_t>(data2 & kMaxData) << kDataShift2);
}

// The packed message of one value of a valued kind, held to the kind's range.
uint32_t ValueMessage(uint8_t kind, int channel, int controllerOrKey, int value) {
    const int data = std::clamp(value, 0, kMaxData);
    switch (kind) {
        case kMidiKindKeyPressure: return Pack(kKeyPressureStatus | channel, controllerOrKey, data);
        case kMidiKindPatch: return Pack(kProgramChangeStatus | channel, data, 0);
        case kMidiKindChannelPressure: return Pack(kChannelPressureStatus | channel, data, 0);
        default: break;
    }
    const int bend = std::clamp(value, 0, kMaxPitchWheel);
    return Pack(kPitchWheelStatus | channel, bend & kMaxData, bend >> kDataBits);
}

int32_t IntervalTicks(const MidiAction& action) {
    return (action.interval != 0 ? action.interval : kDefaultInterval) * kTicksPerInterval;
}

// Key pressure, controller, patch change, channel pressure or pitch wheel.
bool PerformValued(PerformanceRun& run, int staff, int32_t at, const MidiAction& action) {
    const uint8_t kind = MidiKindOf(action);
    const bool pitchWheel = kind == kMidiKindPitchWheel;
    const TransitionShape shape{IntervalTicks(action), pitchWheel ? kPitchWheelEnvelopeDivisor : kEnvelopeDivisor};
    const int32_t start = action.head.values.value;
    const int32_t end = action.head.values.finalValue;
    MidiAction stepped = action;
    if (kind == kMidiKindPatch) stepped.destinationTiming &= kMidiDestinationMask;  // one program change
    const bool single = MidiTimingOf(stepped) == perform_detail::kTimingSingle;
    for (const PortChannel& pc : Destinations(run, staff, action, RemoteVoices::OwnMask)) {
        const bool made = EachStep(run, stepped, shape, start, end, false, [&](int32_t t, int32_t value) {
            if (kind != kMidiKindController)
                return PlaceControl(run, staff, PerformanceEventKind::Channel, pc.port, at + t,
                                    ValueMessage(kind, pc.channel, action.controller, value));
            for (const uint32_t message : ControllerMessages(pc.channel, action.controller, value, single))
                if (!PlaceControl(run, staff, PerformanceEventKind::Channel, pc.port, at + t, message)) return false;
            return true;
        });
        if (!made) return false;
    }
    return true;
}

// A note: key in the value's low byte, velocity in its high byte.
bool PerformNoteMessage(PerformanceRun& run, int staff, int32_t at, const MidiAction& action) {
    const auto value = static_cast<uint16_t>(action.head.values.value);
    const int key = value & 0xFF;
    const int velocity = std::min<int>(value >> kVelocityShift, kMaxData);
    if (key > kMaxData || velocity == 0) return true;
    for (const PortChannel& pc : Destinations(run, staff, action, RemoteVoices::OwnMask)) {
        if (!PlaceControl(run, staff, PerformanceEventKind::Channel, pc.port, at,
                          Pack(kNoteOnStatus | pc.channel, key, velocity)) ||
            !PlaceControl(run, staff, PerformanceEventKind::Channel, pc.port, at + IntervalTicks(action),
                          Pack(kNoteOffStatus | pc.channel, key, kNoteOffVelocity)))
            return false;
    }
    return true;
}

// The data bytes of a user-bytes action; empty when it has none ("no data").
std::vector<uint8_t> UserBytes(const MidiAction& action) {
    const std::byte* bytes = MidiActionDataBytes(action);
    if (bytes == nullptr) return {};
    const size_t length = std::min<size_t>(action.head.data.length, PoolSlotBytes(action.head.data.pool));
    std::vector<uint8_t> out(length);
    std::memcpy(out.data(), bytes, length);
    return out;
}

// The number of data bytes after a status byte, or -1 for one that cannot stand
// in a short message (system exclusive, its end, undefined codes).
int DataBytesAfter(uint8_t status) {
    if (status < kSysExStart) {
        const uint8_t kind = status & 0xF0;
        return kind == kProgramChangeStatus || kind == kChannelPressureStatus ? 1 : 2;
    }
    switch (status) {
        case 0xF1:
        case 0xF3: return 1;
        case 0xF2: return 2;
        case 0xF6: return 0;
        default: return status >= 0xF8 && status != 0xF9 && status != 0xFD ? 0 : -1;
    }
}

// User bytes read as whole short messages, up to the first byte that does not
// begin one or a message cut short.
std::vector<uint32_t> ShortMessagesOf(const std::vector<uint8_t>& bytes) {
    std::vector<uint32_t> messages;
    for (size_t i = 0; i < bytes.size();) {
        const uint8_t status = bytes[i];
        const int count = (status & kStatusBit) != 0 ? DataBytesAfter(status) : -1;
        if (count < 0 || i + 1 + static_cast<size_t>(count) > bytes.size()) break;
        uint32_t message = status;
        for (int d = 1; d <= count; ++d) {
            if ((bytes[i + d] & kStatusBit) != 0) return messages;
            message |= static_cast<uint32_t>(bytes[i + d]) << (kDataShift1 * d);
        }
        messages.push_back(message);
        i += 1 + static_cast<size_t>(count);
    }
    return messages;
}

// A whole system-exclusive message of the bytes, F0 and F7 added when missing;
// empty when a byte between them is not a data byte.
std::vector<uint8_t> SystemExclusiveOf(std::vector<uint8_t> bytes) {
    if (bytes.empty() || bytes.front() != kSysExStart) bytes.insert(bytes.begin(), kSysExStart);
    if (bytes.size() < 2 || bytes.back() != kSysExEnd) bytes.push_back(kSysExEnd);
    for (size_t i = 1; i + 1 < bytes.size(); ++i)
        if ((bytes[i] & kStatusBit) != 0) return {};
    return bytes;
}

// The 1-based entry of the object's long message, made now when it has none; 0
// when no entry can be had. While playing, the entry goes into the table the
// engine reads (at most kMaxPlayLongMessages); an export keeps the bytes in the
// run alone, for the file to take as the event's body.
uint32_t LongMessageEntryOf(PerformanceRun& run, const ScoreObject* object, std::vector<uint8_t> bytes, int port) {
    const auto known = std::find(run.longMessageObjects.begin(), run.longMessageObjects.end(), object);
    if (known != run.longMessageObjects.end())
        return static_cast<uint32_t>(known - run.longMessageObjects.begin()) + 1;
    LongMessageTable* table = run.options.exporting ? nullptr : run.longMessages;
    const int count = table != nullptr ? table->count.load(std::memory_order_relaxed) : 0;
    if (!run.options.exporting && (table == nullptr || count >= kMaxPlayLongMessages)) return 0;
    run.longMessageBytes.push_back(std::move(bytes));
    run.longMessageObjects.push_back(object);
    if (table == nullptr) return static_cast<uint32_t>(run.longMessageBytes.size());
    const std::vector<uint8_t>& kept = run.longMessageBytes.back();
    table->entries[count] = LongMessageEntry{kept.data(), static_cast<uint32_t>(kept.size()), static_cast<uint8_t>(port)};
    table->count.store(count + 1, std::memory_order_release);
    return static_cast<uint32_t>(count) + 1;
}

bool PerformUserBytes(PerformanceRun& run, int staff, int32_t at, const ScoreObject* object,
                      const MidiAction& action) {
    std::vector<uint8_t> bytes = UserBytes(action);
    if (bytes.empty()) return true;
    const std::vector<PortChannel> destinations = Destinations(run, staff, action, RemoteVoices::OwnMask);
    std::vector<int> ports;
    for (const PortChannel& pc : destinations)
        if (std::find(ports.begin(), ports.end(), pc.port) == ports.end()) ports.push_back(pc.port);
    const bool systemExclusive = (action.flags & kMidiFlagSystemExclusive) != 0 || bytes.front() == kSysExStart;
    if (!systemExclusive) {
        std::vector<uint32_t> messages = ShortMessagesOf(bytes);
        // A file's tracks hold channel messages only.
        if (run.options.exporting) std::erase_if(messages, [](uint32_t m) { return (m & 0xFF) >= kSysExStart; });
        for (const int port : ports)
            for (const uint32_t message : messages)
                if (!PlaceControl(run, staff, PerformanceEventKind::Channel, port, at, message)) return false;
        return true;
    }
    std::vector<uint8_t> whole = SystemExclusiveOf(std::move(bytes));
    if (whole.empty()) return true;
    // A file has no ports: the staff's track takes the message once.
    if (run.options.exporting && ports.size() > 1) ports.resize(1);
    const PerformanceEventKind kind =
        run.options.exporting ? PerformanceEventKind::SysExBody : PerformanceEventKind::LongMessage;
    for (const int port : ports) {
        const uint32_t entry = LongMessageEntryOf(run, object, whole, port);
        if (entry == 0) return true;
        if (!PlaceControl(run, staff, kind, port, at, entry)) return false;
    }
    return true;
}

}  // namespace

bool PerformMidiEventObject(PerformanceRun& run, int staff, int32_t at, ScoreObject* object) {
    const MidiAction* action = object != nullptr ? MidiActionOfText(object) : nullptr;
    if (action == nullptr || (action->flags & kMidiFlagEnabled) == 0) return true;
    const uint8_t kind = MidiKindOf(*action);
    if (kind == kMidiKindUserBytes) return at < 0 || PerformUserBytes(run, staff, at, object, *action);
    // Other kinds carry pooled data only as an envelope, which a note or a patch
    // change cannot follow.
    const bool enveloped = MidiTimingOf(*action) == perform_detail::kTimingEnvelope;
    if (IsDataCarrying(*action) && (!enveloped || kind == kMidiKindNote || kind == kMidiKindPatch)) return true;
    if (kind == kMidiKindNote) return at < 0 || PerformNoteMessage(run, staff, at, *action);
    if (kind > kMidiKindPitchWheel) return true;
    return PerformValued(run, staff, at, *action);
}

}  // namespace ql
