// The parser of received MIDI bytes (see input_parser.h for the rules).
#include "platform/midi/input_parser.h"

namespace ql::midi {
namespace {

constexpr uint8_t kStatusBit = 0x80;
constexpr uint8_t kSysExStart = 0xF0;
constexpr uint8_t kSysExEnd = 0xF7;
constexpr uint8_t kFirstRealtime = 0xF8;
constexpr uint8_t kFirstSystem = 0xF0;

bool IsChannelStatus(uint8_t status) { return status >= kStatusBit && status < kFirstSystem; }

uint32_t Pack(uint8_t status, const uint8_t* data, int count) {
    uint32_t message = status;
    for (int i = 0; i < count; ++i) message |= static_cast<uint32_t>(data[i]) << (8 * (i + 1));
    return message;
}

}  // namespace

int ShortMessageLength(uint8_t status) {
    if (status < kStatusBit) return 0;
    if (status < 0xC0) return 3;  // note off, note on, key pressure, controller
    if (status < 0xE0) return 2;  // program change, channel pressure
    if (status < kFirstSystem) return 3;  // pitch bend
    switch (status) {
        case 0xF1: return 2;  // time code quarter frame
        case 0xF2: return 3;  // song position
        case 0xF3: return 2;  // song select
        case 0xF6: return 1;  // tune request
        case 0xF8: case 0xFA: case 0xFB: case 0xFC: case 0xFE: case 0xFF: return 1;
        default: return 0;    // F0, F7 and the undefined F4, F5, F9, FD
    }
}

void InputParser::Feed(std::span<const uint8_t> bytes, ParserSink& sink) {
    for (uint8_t byte : bytes) FeedByte(byte, sink);
}

void InputParser::FeedByte(uint8_t byte, ParserSink& sink) {
    if (byte >= kFirstRealtime) {
        // Real time passes at once and leaves everything in progress alone.
        if (ShortMessageLength(byte) == 0) {
            ++counters_.badStatus;
            return;
        }
        sink.OnShort(byte);
        return;
    }
    if (byte & kStatusBit) {
        OnStatus(byte, sink);
        return;
    }
    if (inSysEx_) {
        OnSysExByte(byte);
        return;
    }
    OnData(byte, sink);
}

void InputParser::OnStatus(uint8_t status, ParserSink& sink) {
    if (status == kSysExEnd) {
        if (inSysEx_) {
            OnSysExByte(status);
            EndSysEx(sink);
        } else {
            ++counters_.badStatus;
            DropInProgress();
            status_ = 0;
        }
        return;
    }
    DropInProgress();
    if (status == kSysExStart) {
        status_ = 0;
        inSysEx_ = true;
        OnSysExByte(status);
        return;
    }
    int length = ShortMessageLength(status);
    if (length == 0) {
        ++counters_.badStatus;
        status_ = 0;
        return;
    }
    if (length == 1) {
        status_ = 0;  // tune request: system common, so running status ends
        sink.OnShort(status);
        return;
    }
    status_ = status;
    need_ = static_cast<uint8_t>(length - 1);
    have_ = 0;
    fresh_ = true;
}

void InputParser::OnData(uint8_t data, ParserSink& sink) {
    if (status_ == 0) {
        ++counters_.strayData;
        return;
    }
    data_[have_++] = data;
    fresh_ = true;
    if (have_ < need_) return;
    sink.OnShort(Pack(status_, data_, have_));
    have_ = 0;
    fresh_ = false;
    if (!IsChannelStatus(status_)) status_ = 0;  // only channel statuses run on
}

void InputParser::OnSysExByte(uint8_t byte) {
    if (sysExLength_ >= sysEx_.size()) {
        sysExOverflow_ = true;
        return;
    }
    sysEx_[sysExLength_++] = byte;
}

void InputParser::EndSysEx(ParserSink& sink) {
    if (sysExOverflow_) {
        ++counters_.overlong;
    } else {
        sink.OnLong(std::span<const uint8_t>(sysEx_.data(), sysExLength_));
    }
    inSysEx_ = false;
    sysExOverflow_ = false;
    sysExLength_ = 0;
}

// A status byte (or lost bytes) cut off whatever was being collected.
void InputParser::DropInProgress() {
    if (inSysEx_) {
        if (sysExOverflow_) {
            ++counters_.overlong;
        } else {
            ++counters_.truncated;
        }
        inSysEx_ = false;
        sysExOverflow_ = false;
        sysExLength_ = 0;
    }
    if (fresh_) ++counters_.truncated;
    fresh_ = false;
    have_ = 0;
}

void InputParser::Interrupt() {
    DropInProgress();
    status_ = 0;
}

void InputParser::Reset() {
    status_ = 0;
    need_ = 0;
    have_ = 0;
    fresh_ = false;
    inSysEx_ = false;
    sysExOverflow_ = false;
    sysExLength_ = 0;
}

}  // namespace ql::midi
