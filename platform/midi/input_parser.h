// The parser of received MIDI bytes: turns a byte stream into whole short messages
// (packed: status in the low byte, then data 1 and data 2) and whole
// system-exclusive messages, and drops and counts everything else.
//
// Rules (the MIDI wire protocol): real-time bytes (F8-FF) pass at once wherever
// they fall, without disturbing a message in progress; a channel status starts a
// message and stays as running status; a system common status cancels running
// status; a status byte that cuts a message short drops that message as
// truncated; data bytes with no status to belong to are stray; the undefined
// statuses F4, F5, F9, FD and an F7 without an F0 are bad status. A
// system-exclusive message longer than kMaxInputSysExBytes is dropped as
// overlong when its end (or whatever cuts it off) arrives.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace ql::midi {

// Bytes of the longest system-exclusive message an input passes on, F0 and F7
// included.
constexpr size_t kMaxInputSysExBytes = 1024;

// The number of bytes of a short message with this status (1 to 3); 0 for a data
// byte, F0, F7 and the undefined statuses.
int ShortMessageLength(uint8_t status);

struct ParserCounters {
    uint32_t badStatus = 0;
    uint32_t strayData = 0;
    uint32_t truncated = 0;
    uint32_t overlong = 0;
};

// Receives what the parser passes on. `bytes` of a long message are valid only
// during the call.
class ParserSink {
public:
    virtual void OnShort(uint32_t message) = 0;
    virtual void OnLong(std::span<const uint8_t> bytes) = 0;

protected:
    ~ParserSink() = default;
};

class InputParser {
public:
    void Feed(std::span<const uint8_t> bytes, ParserSink& sink);
    // Bytes were lost: a message in progress is dropped as truncated, running
    // status is forgotten.
    void Interrupt();
    // Forgets everything in progress without counting (a new Start).
    void Reset();
    const ParserCounters& Counters() const { return counters_; }

private:
    void FeedByte(uint8_t byte, ParserSink& sink);
    void OnStatus(uint8_t status, ParserSink& sink);
    void OnData(uint8_t data, ParserSink& sink);
    void OnSysExByte(uint8_t byte);
    void EndSysEx(ParserSink& sink);
    void DropInProgress();

    ParserCounters counters_;
    uint8_t status_ = 0;   // status of the message being collected (or running status)
    uint8_t need_ = 0;     // data bytes the status takes
    uint8_t have_ = 0;     // data bytes collected
    bool fresh_ = false;   // a status byte arrived and its message is not complete
    uint8_t data_[2] = {};
    bool inSysEx_ = false;
    bool sysExOverflow_ = false;
    size_t sysExLength_ = 0;
    std::array<uint8_t, kMaxInputSysExBytes> sysEx_{};
};

}  // namespace ql::midi
