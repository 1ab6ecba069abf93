// Fuzz entry point for the parser of received MIDI bytes. The first input byte
// cuts the rest into pieces (as a device delivers it in bursts) and says where
// bytes are lost. Every message passed on must be whole: a defined status with
// its length and 7-bit data, or a system-exclusive message from F0 to F7 within
// the input limit with 7-bit bytes between.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/midi/input_parser.h"

namespace {

using ql::midi::InputParser;
using ql::midi::ParserSink;

class CheckingSink final : public ParserSink {
public:
    void OnShort(uint32_t message) override {
        auto status = static_cast<uint8_t>(message);
        int length = ql::midi::ShortMessageLength(status);
        if (length == 0 || (message >> (8 * length)) != 0) std::abort();
        for (int i = 1; i < length; ++i)
            if (((message >> (8 * i)) & 0x80) != 0) std::abort();
    }
    void OnLong(std::span<const uint8_t> bytes) override {
        if (bytes.size() < 2 || bytes.size() > ql::midi::kMaxInputSysExBytes) std::abort();
        if (bytes.front() != 0xF0 || bytes.back() != 0xF7) std::abort();
        for (size_t i = 1; i + 1 < bytes.size(); ++i)
            if (bytes[i] & 0x80) std::abort();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t piece = 1 + (data[0] & 0x3F);
    const bool loseBetweenPieces = (data[0] & 0x40) != 0;
    InputParser parser;
    CheckingSink sink;
    for (size_t at = 1; at < size; at += piece) {
        size_t length = size - at < piece ? size - at : piece;
        parser.Feed(std::span<const uint8_t>(data + at, length), sink);
        if (loseBetweenPieces) parser.Interrupt();
    }
    return 0;
}
